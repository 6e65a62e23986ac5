#include "values/strings.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace quillet {

Addr str_new(int32_t n) {
    // Header plus text plus a quarter more, so that small growth stays in place. Lengths beyond
    // what a block can hold are out of memory rather than a wrapped size.
    int64_t want = int64_t{n} + 16;
    want += want >> 2;
    if (n < 0 || want > INT32_MAX) raise_error(err::out_of_memory);
    Addr rec = mem_alloc(static_cast<uint32_t>(want));
    store_i32(rec, 1);
    store_i32(rec + 4, n);
    return rec;
}

void str_assign(Addr cell, Addr rec) {
    if (str_length(rec) > StringCell{cell}.max_length()) raise_error(err::string_too_long);
    str_assign_unchecked(cell, rec);
}

void str_assign_unchecked(Addr rec_ptr, Addr rec) {
    str_retain(rec);
    Addr old = load_u32(rec_ptr);
    store_u32(rec_ptr, rec);
    str_release(old);
}

bool str_writable_in_place(Addr rec, int32_t n) {
    // The room is compared in 64 bits so that a negative length never passes; str_new refuses it.
    return rec != empty_string && str_count(rec) == 1 &&
           mem_size(rec) >= uint64_t{static_cast<uint32_t>(n)} + str_header_size;
}

Addr str_prepare(Addr cell, int32_t n) {
    if (n > StringCell{cell}.max_length()) raise_error(err::string_too_long);
    Addr rec = load_u32(cell);
    if (str_writable_in_place(rec, n)) return rec;
    Addr fresh = str_new(n);
    store_u32(cell, fresh);
    str_release(rec);
    return fresh;
}

Addr str_reserve(Addr cell, int32_t n) {
    if (n > StringCell{cell}.max_length()) raise_error(err::string_too_long);
    Addr rec = load_u32(cell);
    if (str_writable_in_place(rec, n)) return rec;
    Addr fresh = str_new(n);
    int32_t kept = std::min(str_length(rec), n);
    copy_bytes(str_text(fresh), str_text(rec), static_cast<uint32_t>(kept));
    str_set_length(fresh, kept);
    store_u32(cell, fresh);
    str_release(rec);
    return fresh;
}

void str_set_bytes(Addr cell, const void* bytes, int32_t n) {
    // The source may be the cell's own record (a substring of itself), which str_prepare may
    // replace and free: then a reference is held across the copy.
    Addr old = load_u32(cell);
    const std::byte* src = static_cast<const std::byte*>(bytes);
    const std::byte* old_text = host_ptr(str_text(old));
    bool aliased = src >= old_text && src < old_text + str_length(old);
    if (!aliased) {
        Addr rec = str_prepare(cell, n);
        if (n > 0) std::memcpy(host_ptr(str_text(rec)), bytes, static_cast<size_t>(n));
        str_set_length(rec, n);
        return;
    }
    str_retain(old);
    struct Release {
        Addr rec;
        ~Release() { str_release(rec); }
    } hold{old};
    Addr rec = str_prepare(cell, n);
    std::memmove(host_ptr(str_text(rec)), bytes, static_cast<size_t>(n));
    str_set_length(rec, n);
}

void str_set_cstr(Addr cell, const char* text) {
    str_set_bytes(cell, text, static_cast<int32_t>(std::strlen(text)));
}

void str_to_cbuf(char* buffer, Addr rec, int32_t n) {
    if (n <= 0) return;
    int32_t length = str_length(rec);
    int32_t copied = length >= n ? n - 1 : length;
    std::memcpy(buffer, host_ptr(str_text(rec)), static_cast<size_t>(copied));
    buffer[copied] = '\0';
}

uint32_t str_u32_at(Addr rec, int32_t i) {
    uint32_t v = 0;
    for (int32_t k = 0; k < 4; ++k) {
        int64_t at = int64_t{i} + k;
        int32_t byte = at > INT32_MAX ? 0 : str_byte_at(rec, static_cast<int32_t>(at));
        v = (v << 8) | static_cast<uint32_t>(byte);
    }
    return v;
}

} // namespace quillet
