#include "values/string_search.h"

#include <array>
#include <cstring>

namespace quillet {
namespace {

int32_t size_of(std::string_view s) {
    return static_cast<int32_t>(s.size());
}

// 0-based start index of an upward search: n - 1, at least 0.
int64_t upward_start(int32_t n) {
    return n > 0 ? int64_t{n} - 1 : 0;
}

class ByteSet {
public:
    explicit ByteSet(std::string_view bytes) {
        for (char c : bytes)
            member_[static_cast<unsigned char>(c)] = true;
    }
    bool contains(char c) const { return member_[static_cast<unsigned char>(c)]; }

private:
    std::array<bool, 256> member_{};
};

} // namespace

int32_t search_forward(std::string_view s, std::string_view t, int32_t n) {
    int64_t i = upward_start(n);
    int64_t length = size_of(s);
    if (t.empty()) return static_cast<int32_t>(i < length ? i + 1 : length + 1);
    if (i + size_of(t) > length) return 0;
    // The first occurrence at or after i. A near one is found fastest by looking for the first
    // byte (memchr) and comparing the rest; after a few false starts glibc's memmem takes over,
    // whose two-way search stays linear whatever the text.
    const char* at = s.data() + i;
    const char* last = s.data() + (length - size_of(t)); // the last place t can start
    for (int false_starts = 0; false_starts < 8; ++false_starts, ++at) {
        at = static_cast<const char*>(memchr(at, t[0], size_t(last - at) + 1));
        if (!at) return 0;
        if (std::memcmp(at + 1, t.data() + 1, t.size() - 1) == 0)
            return static_cast<int32_t>(at - s.data() + 1);
        if (at == last) return 0;
    }
    const void* found = memmem(at, size_t(s.data() + length - at), t.data(), t.size());
    return found ? static_cast<int32_t>(static_cast<const char*>(found) - s.data() + 1) : 0;
}

int32_t search_backward(std::string_view s, std::string_view t, int32_t n) {
    int64_t i = int64_t{n} - 1;
    int64_t last = int64_t{size_of(s)} - size_of(t);
    if (i > last) i = last;
    for (; i >= 0; --i)
        if (s.compare(size_t(i), t.size(), t) == 0) return static_cast<int32_t>(i + 1);
    return 0;
}

int32_t search_set_forward(std::string_view s, std::string_view set, int32_t n, bool in_set) {
    int64_t i = upward_start(n);
    if (i >= size_of(s)) return 0;
    if (set.empty()) return in_set ? 0 : static_cast<int32_t>(i + 1);
    ByteSet bytes(set);
    for (; i < size_of(s); ++i)
        if (bytes.contains(s[size_t(i)]) == in_set) return static_cast<int32_t>(i + 1);
    return 0;
}

int32_t search_set_backward(std::string_view s, std::string_view set, int32_t n, bool in_set) {
    int64_t i = int64_t{n} - 1;
    if (i > int64_t{size_of(s)} - 1) i = int64_t{size_of(s)} - 1;
    if (i < 0) return 0;
    if (set.empty()) return in_set ? 0 : static_cast<int32_t>(i + 1);
    ByteSet bytes(set);
    for (; i >= 0; --i)
        if (bytes.contains(s[size_t(i)]) == in_set) return static_cast<int32_t>(i + 1);
    return 0;
}

} // namespace quillet
