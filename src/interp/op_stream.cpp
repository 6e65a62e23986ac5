#include "interp/op_stream.h"

#include "interp/fatal.h"

#include <cstdio>

namespace quillet {

void bad_operand_mode(uint16_t mode) {
    char text[64];
    std::snprintf(text, sizeof text, "illegal operand mode 0x%x", mode);
    fatal_stop(text);
}

Addr stream_operand(Addr table) {
    return fetch_operand(vm.pc, table);
}

} // namespace quillet
