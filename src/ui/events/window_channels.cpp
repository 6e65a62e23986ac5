#include "ui/events/window_channels.h"

#include "interp/frames.h"
#include "interp/registers.h"
#include "ui/window_table.h"
#include "values/errors.h"

#include <algorithm>

namespace quillet {
namespace {

constexpr int32_t unknown_object_id = -11220;
constexpr int32_t freed_object_id = -11221;

std::vector<WindowChannel>& channel_list(int32_t window) {
    if (window < 0 || window > window_table.highest) raise_error(unknown_object_id);
    WindowRecord& record = window_record(window);
    if (!record.in_use()) raise_error(freed_object_id);
    return record.channels;
}

// Channel c of the current frame as its owner's channel number and frame offset.
WindowChannel owner_pair(int32_t c) {
    ChannelOwner mapped = map_channel(c, vm.fp());
    return {mapped.channel, static_cast<int32_t>(mapped.owner - vm.stack_base)};
}

bool same_pair(const WindowChannel& p, int32_t a, int32_t b) {
    return p.channel == a && p.owner_frame == b;
}

} // namespace

void add_window_channel(int32_t window, int32_t c) {
    std::vector<WindowChannel>& list = channel_list(window);
    list.push_back(owner_pair(c));
}

void remove_window_channel(int32_t window, int32_t c) {
    std::vector<WindowChannel>& list = channel_list(window);
    WindowChannel pair = owner_pair(c);
    if (std::none_of(list.begin(), list.end(), [&](const WindowChannel& p) {
            return same_pair(p, pair.channel, pair.owner_frame);
        }))
        return;
    std::erase_if(list, [&](const WindowChannel& p) { return p.channel == pair.channel; });
}

bool next_window_channel(int32_t window, int32_t& a, int32_t& b, int32_t& index) {
    const std::vector<WindowChannel>& list = channel_list(window);
    // The list counts in words; an odd index reads a pair's second word and the next pair's
    // first. The last word has no word after it to read: the walk ends there too.
    int64_t words = static_cast<int64_t>(list.size()) * 2;
    if (index < 0 || int64_t{index} + 1 >= words) {
        index = 0;
        return false;
    }
    auto word = [&](int64_t i) {
        const WindowChannel& p = list[static_cast<size_t>(i / 2)];
        return i % 2 == 0 ? p.channel : p.owner_frame;
    };
    a = word(index);
    b = word(index + 1);
    index += 2;
    return true;
}

void remove_window_channel_pair(int32_t window, int32_t a, int32_t b) {
    std::erase_if(channel_list(window), [&](const WindowChannel& p) { return same_pair(p, a, b); });
}

bool window_has_channels(int n) {
    const WindowRecord* record = find_window(n);
    return record && !record->channels.empty();
}

} // namespace quillet
