#include "bifs/string_read_target.h"

#include "values/memory.h"
#include "values/strings.h"

#include <cstring>

namespace quillet {

StringReadTarget::~StringReadTarget() {
    if (fresh_) str_release(fresh_);
}

std::span<std::byte> StringReadTarget::room(size_t n) {
    int32_t length = static_cast<int32_t>(n);
    Addr own = load_u32(cell_);
    if (str_writable_in_place(own, length)) {
        target_ = own;
    } else {
        if (fresh_ && !str_writable_in_place(fresh_, length)) {
            str_release(fresh_);
            fresh_ = 0;
        }
        if (!fresh_) fresh_ = str_new(length);
        target_ = fresh_;
    }
    return {host_ptr(str_text(target_)), n};
}

void StringReadTarget::arrived(size_t n) {
    int32_t length = static_cast<int32_t>(n);
    if (target_ != fresh_) return str_set_length(target_, length);
    // A short read copies its few bytes rather than keep a large record for them.
    if (uint64_t{n} * 2 < mem_size(fresh_))
        return str_set_bytes(cell_, host_ptr(str_text(fresh_)), length);
    str_set_length(fresh_, length);
    str_assign(cell_, fresh_);
}

} // namespace quillet
