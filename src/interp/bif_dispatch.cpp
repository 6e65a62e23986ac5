#include "interp/bif_dispatch.h"

#include "interp/fatal.h"
#include "interp/frames.h"
#include "interp/registers.h"

#include <string>

namespace quillet {

namespace {

[[noreturn]] void unimplemented_bif(uint32_t n, const char* why) {
    const bcode::BifInfo* b = bcode::bif_info(n);
    std::string detail = "bif " + std::to_string(n);
    if (b) detail.append(" (").append(b->name).append(")");
    detail.append(" called at ").append(code_position(vm.pc - 2)).append(": ").append(why);
    fatal_stop("unimplemented bif", detail);
}

} // namespace

void bcode_bif(uint32_t n) {
    Addr entry = program.bif_overrides + 4 * n;
    uint32_t offset = load_u16(entry), m = load_u16(entry + 2);
    if (offset == 0 || program.bif_overrides == 0)
        unimplemented_bif(n, "the engine has no handler for it and the image no routine");
    if (m >= program.modules.size())
        unimplemented_bif(n, "the image's routine for it names a module that does not exist");
    enter_routine(program.modules[m].base + offset, m);
}

bool has_bcode_bif(uint32_t n) {
    return bcode_bif_routine(n).has_value();
}

std::optional<BcodeRoutine> bcode_bif_routine(uint32_t n) {
    if (program.bif_overrides == 0 || n >= bif_count) return std::nullopt;
    Addr entry = program.bif_overrides + 4 * n;
    uint32_t offset = load_u16(entry), m = load_u16(entry + 2);
    if (offset == 0 || m >= program.modules.size()) return std::nullopt;
    return BcodeRoutine{program.modules[m].base + offset, m};
}

} // namespace quillet
