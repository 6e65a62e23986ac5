#include "interp/bif_dispatch.h"

#include "interp/fatal.h"
#include "interp/frames.h"
#include "interp/registers.h"

namespace quillet {

void bcode_bif(uint32_t n) {
    Addr entry = program.bif_overrides + 4 * n;
    uint32_t offset = load_u16(entry), m = load_u16(entry + 2);
    if (offset == 0 || program.bif_overrides == 0) fatal_stop("unimplemented bif");
    if (m >= program.modules.size()) fatal_stop("unimplemented bif");
    enter_routine(program.modules[m].base + offset, m);
}

} // namespace quillet
