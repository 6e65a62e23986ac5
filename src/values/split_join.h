// Lists held in one text with a separator byte: joining a string array into a text and splitting
// a text into a string array. The object bifs pass attribute lists the same way.
#pragma once

#include "values/arena.h"
#include "values/values_state.h"

#include <cstdint>

namespace quillet {

// The separator of such lists is list_syntax (values_state.h).

// dst = the elements of the string array block in order, separated by delimiter. A single element
// is shared, not copied.
void join_strings(Addr dst_cell, Addr array_block, char delimiter);

// The array (through its cell, as the block may move) becomes the pieces of the source record
// between delimiters, as many elements in its first dimension as there are pieces (none for an
// empty text), keeping its number of dimensions and its first lower bound. A piece longer than
// the array's maximum length raises 1106 before anything changes.
void split_string(Addr source_record, Addr array_cell, char delimiter);

} // namespace quillet
