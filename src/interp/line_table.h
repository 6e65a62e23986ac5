// The reader of a module's line table: a byte stream of line steps, line records with their code
// lengths, protected-block and handler marks, and routine names.
#pragma once

#include "values/arena.h"

#include <cstdint>

namespace quillet {

inline constexpr int32_t no_target = 0x40000000;

struct LineTableReader {
    Addr pos = 0;
    int32_t line = 0;
    int32_t step = 0;
    int32_t code_offset = 0;
    int32_t line_start = 0;
    int32_t block_depth = 0;
    int32_t handler_depth = 0;
    Addr routine_name = 0;
    Addr internal_name = 0;
    int32_t target_offset = no_target;
    int32_t target_line = no_target;
    Addr end = 0; // the reader never passes this address (the end of the image)

    // Reads until a stop condition: a line record that reaches the target offset or line, a block
    // or handler depth that becomes negative, a handler test at depth 0, or the end of the table.
    enum class Stop { line_record, mark, table_end };
    Stop read();

    // Reads on to the record of the given line; false when the table ends first.
    bool find_line(int32_t wanted);
};

// A reader positioned at the start of module m's line table.
LineTableReader line_table_of(uint32_t m);

// The line of the code at pc in module m (0 for modules without line numbers).
int32_t line_at(uint32_t m, Addr pc);

} // namespace quillet
