#include "values/split_join.h"

#include "values/arrays.h"
#include "values/record_hold.h"
#include "values/strings.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace quillet {
namespace {

// A bounds text for array_redim: the array's own bounds with the first size replaced.
Addr bounds_with_first_size(ArrayBlock a, int32_t size) {
    int32_t dimensions = a.dimensions();
    Addr rec = str_new(8 * dimensions);
    for (int32_t d = 0; d < dimensions; ++d) {
        Addr at = str_text(rec) + 8 * uint32_t(d);
        store_u32(at, __builtin_bswap32(uint32_t(a.lower_bound(d))));
        store_u32(at + 4, __builtin_bswap32(uint32_t(d == 0 ? size : a.size(d))));
    }
    return rec;
}

} // namespace

void join_strings(Addr dst_cell, Addr array_block, char delimiter) {
    if (!array_block) return str_assign(dst_cell, empty_string); // an array never dimensioned
    ArrayBlock a{array_block};
    int32_t count = a.count();
    if (count == 0) return str_assign(dst_cell, empty_string);
    if (count == 1) return str_assign(dst_cell, load_u32(a.element(0)));
    int64_t total = count - 1;
    for (int32_t i = 0; i < count; ++i)
        total += str_length(load_u32(a.element(i)));
    if (total > StringCell{dst_cell}.max_length()) raise_error(err::string_too_long);
    // Built in a fresh record: the destination may itself be one of the elements.
    Addr rec = str_new(static_cast<int32_t>(total));
    std::byte* out = host_ptr(str_text(rec));
    for (int32_t i = 0; i < count; ++i) {
        Addr element = load_u32(a.element(i));
        if (i > 0) *out++ = static_cast<std::byte>(delimiter);
        std::memcpy(out, host_ptr(str_text(element)), size_t(str_length(element)));
        out += str_length(element);
    }
    str_assign_unchecked(dst_cell, rec);
    str_release(rec);
}

void split_string(Addr source_record, Addr array_cell, char delimiter) {
    // The source may be an element of the array it is split into.
    RecordHold hold(source_record);
    std::string_view text = str_view(source_record);
    ArrayBlock a{load_u32(array_cell)};
    if (!a.addr || a.dimensions() < 1) raise_error(err::illegal_bounds);

    int64_t pieces = text.empty() ? 0 : std::count(text.begin(), text.end(), delimiter) + 1;
    if (pieces > INT32_MAX) raise_error(err::array_too_large);
    int32_t max_length = a.max_length();
    for (size_t from = 0; from < text.size();) {
        size_t to = std::min(text.find(delimiter, from), text.size());
        if (int64_t(to - from) > max_length) raise_error(err::string_too_long);
        from = to + 1;
    }

    RecordHold bounds = RecordHold::adopt(bounds_with_first_size(a, static_cast<int32_t>(pieces)));
    array_redim(array_cell, bounds.record());

    ArrayBlock resized{load_u32(array_cell)};
    int32_t count = resized.count();
    size_t from = 0;
    for (int32_t i = 0; i < count; ++i) {
        Addr element = resized.element(i);
        if (i >= pieces) {
            str_assign(element, empty_string); // beyond the first row of a many-dimensional array
            continue;
        }
        size_t to = std::min(text.find(delimiter, from), text.size());
        str_set_bytes(element, text.data() + from, int32_t(to - from));
        from = to + 1;
    }
}

} // namespace quillet
