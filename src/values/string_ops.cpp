#include "values/string_ops.h"

#include "values/errors.h"
#include "values/strings.h"

#include <algorithm>
#include <cstring>

namespace quillet {
namespace {

void set_empty(Addr cell) {
    Addr old = load_u32(cell);
    store_u32(cell, empty_string);
    str_release(old);
}

int32_t checked_length(int64_t n) {
    if (n > INT32_MAX) raise_error(err::string_too_long);
    return int32_t(n);
}

} // namespace

bool str_after(Addr a_record, Addr b_record) {
    std::string_view a = str_view(a_record), b = str_view(b_record);
    size_t n = std::min(a.size(), b.size());
    int c = n ? std::memcmp(a.data(), b.data(), n) : 0;
    if (c != 0) return c > 0;
    return a.size() > b.size();
}

void concat(Addr a_cell, Addr b_cell, Addr r_cell) {
    Addr a = load_u32(a_cell), b = load_u32(b_cell), r = load_u32(r_cell);
    int32_t la = str_length(a), lb = str_length(b);
    int32_t total = checked_length(int64_t{la} + lb);
    if (total == 0) {
        set_empty(r_cell);
        return;
    }
    if (r == b) {
        // b is the destination: build a new record, b's text is still needed.
        if (StringCell{r_cell}.max_length() < total) raise_error(err::string_too_long);
        Addr fresh = str_new(total);
        copy_bytes(str_text(fresh), str_text(a), uint32_t(la));
        copy_bytes(str_text(fresh) + uint32_t(la), str_text(b), uint32_t(lb));
        store_u32(r_cell, fresh);
        str_release(r);
        return;
    }
    if (r == a) {
        // Append in place when a's record is private and has room.
        Addr rec = str_reserve(r_cell, total);
        copy_bytes(str_text(rec) + uint32_t(la), str_text(b), uint32_t(lb));
        str_set_length(rec, total);
        return;
    }
    Addr rec = str_prepare(r_cell, total);
    copy_bytes(str_text(rec), str_text(a), uint32_t(la));
    copy_bytes(str_text(rec) + uint32_t(la), str_text(b), uint32_t(lb));
    str_set_length(rec, total);
}

void substr(Addr src_cell, int32_t from, int32_t to, Addr dst_cell) {
    Addr src = load_u32(src_cell);
    int64_t start = int64_t(std::max(from, 1)) - 1;
    int64_t end = std::max<int64_t>(std::min<int64_t>(to, str_length(src)), 0);
    int64_t n = end - start;
    if (n < 1) {
        set_empty(dst_cell);
        return;
    }
    str_set_bytes(dst_cell, host_ptr(str_text(src) + uint32_t(start)), int32_t(n));
}

void substr_assign(Addr src_cell, Addr dst_cell, int32_t from, int32_t to) {
    Addr src = load_u32(src_cell), dst = load_u32(dst_cell);
    int32_t len = str_length(dst), ls = str_length(src);
    int32_t start = std::max(from, 1) - 1;
    int32_t end = std::min(to, len);
    if (end < start) {
        start = std::min(start, len);
        end = start;
    }
    int32_t total = checked_length(int64_t{len} + ls - (end - start));
    if (total == 0) {
        set_empty(dst_cell);
        return;
    }
    int32_t tail = len - end;
    if (str_count(dst) == 1 && dst != src && dst != empty_string) {
        Addr rec = str_reserve(dst_cell, std::max(total, len));
        copy_bytes(str_text(rec) + uint32_t(start + ls), str_text(rec) + uint32_t(end),
                   uint32_t(tail));
        copy_bytes(str_text(rec) + uint32_t(start), str_text(src), uint32_t(ls));
        str_set_length(rec, total);
        return;
    }
    if (StringCell{dst_cell}.max_length() < total) raise_error(err::string_too_long);
    Addr fresh = str_new(total);
    copy_bytes(str_text(fresh), str_text(dst), uint32_t(start));
    copy_bytes(str_text(fresh) + uint32_t(start), str_text(src), uint32_t(ls));
    copy_bytes(str_text(fresh) + uint32_t(start + ls), str_text(dst) + uint32_t(end),
               uint32_t(tail));
    store_u32(dst_cell, fresh);
    str_release(dst);
}

} // namespace quillet
