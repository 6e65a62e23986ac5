// UCASE and LCASE: ASCII letters change case, every other byte is kept.
#pragma once

#include "values/arena.h"

namespace quillet {

// dst = src with lower-case letters made upper case (upper) or upper-case letters made lower
// case; the two cells may be the same.
void str_change_case(Addr src_cell, Addr dst_cell, bool upper);

} // namespace quillet
