#include "interp/line_table.h"

#include "bcode/line_table.h"
#include "interp/fatal.h"
#include "interp/registers.h"

namespace quillet {

LineTableReader::Stop LineTableReader::read() {
    for (;;) {
        if (pos >= end) return Stop::table_end;
        uint8_t b = load_u8(pos);
        if (b < bcode::line_long_step) {
            step = b;
            ++pos;
        } else if (b < bcode::line_first_mark) {
            step = int32_t(((b & uint32_t(bcode::line_value_high_bits)) << 16) |
                           (uint32_t(load_u8(pos + 1)) << 8) | load_u8(pos + 2));
            pos += 3;
        } else if (b >= bcode::line_short_record) {
            int32_t length = b & bcode::line_value_high_bits;
            if (b >= bcode::line_long_record) {
                length = int32_t(((b & uint32_t(bcode::line_value_high_bits)) << 16) |
                                 (uint32_t(load_u8(pos + 1)) << 8) | load_u8(pos + 2));
                pos += 3;
            } else {
                ++pos;
            }
            line += step;
            code_offset += length;
            if (code_offset >= target_offset || line == target_line) {
                line_start = code_offset - length;
                return Stop::line_record;
            }
        } else {
            switch (b) {
            case bcode::line_when:
                ++block_depth;
                ++pos;
                break;
            case bcode::line_use:
            case bcode::line_use_alt:
                ++pos;
                if (--block_depth < 0) return Stop::mark;
                break;
            case bcode::line_mark: ++pos; break;
            case bcode::line_end_table: return Stop::table_end;
            case bcode::line_handler:
                ++handler_depth;
                ++pos;
                break;
            case bcode::line_handler_test:
                ++pos;
                if (handler_depth == 0) return Stop::mark;
                break;
            case bcode::line_end_handler:
                ++pos;
                if (--handler_depth < 0) return Stop::mark;
                break;
            case bcode::line_routine:
                // The name's bytes that follow are read as step bytes; a step always follows it.
                routine_name = ++pos;
                internal_name = 0;
                line = 0;
                break;
            case bcode::line_internal:
                internal_name = ++pos;
                line = 0;
                break;
            default: fatal_stop("read_ln_tab bug");
            }
        }
    }
}

bool LineTableReader::find_line(int32_t wanted) {
    target_line = wanted;
    target_offset = no_target;
    for (;;) {
        Stop stop = read();
        if (stop == Stop::table_end) return false;
        if (stop == Stop::line_record && line == wanted) return true;
        // A depth mark stopped the reader: the marks do not matter here, read on.
        block_depth = handler_depth = 0x4000;
    }
}

LineTableReader line_table_of(uint32_t m) {
    LineTableReader r;
    r.pos = program.modules[m].line_table;
    r.end = program.image + program.image_size;
    return r;
}

int32_t line_at(uint32_t m, Addr pc) {
    LineTableReader r = line_table_of(m);
    r.target_offset = int32_t(pc - program.modules[m].base);
    r.handler_depth = 0x4000;
    r.read();
    return r.line;
}

} // namespace quillet
