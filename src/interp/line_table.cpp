#include "interp/line_table.h"

#include "interp/fatal.h"
#include "interp/registers.h"

namespace quillet {

LineTableReader::Stop LineTableReader::read() {
    for (;;) {
        if (pos >= end) return Stop::table_end;
        uint8_t b = load_u8(pos);
        if (b < 0x80) {
            step = b;
            ++pos;
        } else if (b < 0xA0) {
            step =
                int32_t(((b & 0x1Fu) << 16) | (uint32_t(load_u8(pos + 1)) << 8) | load_u8(pos + 2));
            pos += 3;
        } else if (b >= 0xC0) {
            int32_t length = b & 0x1F;
            if (b >= 0xE0) {
                length = int32_t(((b & 0x1Fu) << 16) | (uint32_t(load_u8(pos + 1)) << 8) |
                                 load_u8(pos + 2));
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
            case 0xA0:
                ++block_depth;
                ++pos;
                break;
            case 0xA1:
            case 0xA7:
                ++pos;
                if (--block_depth < 0) return Stop::mark;
                break;
            case 0xA2: ++pos; break;
            case 0xA3: return Stop::table_end;
            case 0xA4:
                ++handler_depth;
                ++pos;
                break;
            case 0xA5:
                ++pos;
                if (handler_depth == 0) return Stop::mark;
                break;
            case 0xA6:
                ++pos;
                if (--handler_depth < 0) return Stop::mark;
                break;
            case 0xA8:
                // The name's bytes that follow are read as step bytes; a step always follows it.
                routine_name = ++pos;
                internal_name = 0;
                line = 0;
                break;
            case 0xA9:
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
