#include "asm_warnings.h"

#include "bcode/bifs.h"
#include "bcode/descriptor.h"
#include "bcode/ops.h"

namespace quillet::tools {

using namespace bcode;

namespace {

// Ops after which control never reaches the next byte.
bool ends_flow(const InstrSrc& in) {
    switch (in.op) {
    case op_end_unit:
    case op_return:
    case op_jump:
    case op_jump_table:
    case op_gosub_return:
    case op_block_return:
    case op_cause: return true;
    case op_bif:
    case op_bif_high:
        return in.bif == bif::end_program || in.bif == bif::reraise || in.bif == bif::retry ||
               in.bif == bif::continue_next;
    default: return false;
    }
}

bool is_native(const RoutineSrc& r) {
    for (const FrameSrc& f : r.frames)
        if (f.end_code == desc_native) return true;
    return false;
}

} // namespace

std::vector<std::string> assembly_warnings(const ProgramSrc& program) {
    std::vector<std::string> warnings;
    for (const ModuleSrc& m : program.modules) {
        const RoutineSrc* routine = nullptr;
        const ItemSrc* last = nullptr; // the routine's last op or raw bytes
        auto check = [&] {
            // A native routine has no ops of its own.
            if (!routine || is_native(*routine)) return;
            // Raw bytes may end it any way; only ops are judged.
            if (last && last->kind == ItemSrc::bytes_item) return;
            if (last && ends_flow(m.instrs[last->index])) return;
            int line = last ? last->line : routine->line;
            warnings.push_back(program.file + ":" + std::to_string(line) + ": warning: routine " +
                               routine->label +
                               " can run off its end: end it with end_unit, return or a jump");
        };
        for (const ItemSrc& item : m.items) {
            if (item.kind == ItemSrc::routine_item) {
                check();
                routine = &m.routines[item.index];
                last = nullptr;
            } else if (item.kind == ItemSrc::instr_item || item.kind == ItemSrc::bytes_item) {
                last = &item;
            }
        }
        check();
    }
    return warnings;
}

} // namespace quillet::tools
