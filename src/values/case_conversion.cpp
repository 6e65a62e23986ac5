#include "values/case_conversion.h"

#include "values/strings.h"

namespace quillet {

void str_change_case(Addr src_cell, Addr dst_cell, bool upper) {
    int32_t n = str_length(load_u32(src_cell));
    // Reserving keeps the destination's text, so when both cells are one the source survives in
    // the (possibly new) record; otherwise the source cell still holds its own record.
    Addr dst = str_reserve(dst_cell, n);
    Addr src = load_u32(src_cell);
    const std::byte* from = host_ptr(str_text(src));
    std::byte* to = host_ptr(str_text(dst));
    const unsigned char first = upper ? 'a' : 'A';
    for (int32_t i = 0; i < n; ++i) {
        auto c = static_cast<unsigned char>(from[i]);
        if (static_cast<unsigned char>(c - first) < 26) c ^= 0x20;
        to[i] = static_cast<std::byte>(c);
    }
    str_set_length(dst, n);
}

} // namespace quillet
