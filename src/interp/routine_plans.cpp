#include "interp/routine_plans.h"

#include "interp/frames.h"
#include "values/errors.h"
#include "values/numbers.h"
#include "values/strings.h"

namespace quillet {
namespace {

// Reads the plan's frame layout from the descriptor at e, taking argument operands from the call
// site at p, with the checks of enter_routine: anything it would refuse ends the plan.
class PlanReader {
public:
    PlanReader(RoutinePlan& plan, Addr e, Addr p) : plan_(plan), e_(e), p_(p) {}

    bool read() {
        uint32_t half, numbers, strings;
        if (!number(half)) return false;
        plan_.size = 2 * half;
        if (plan_.size < frame::header + 4) return false;
        lo_ = 4 - int64_t(plan_.size);
        if (!number(numbers) || !number(strings)) return false;
        if (hi_ - lo_ < 8 * int64_t(numbers)) return false;
        lo_ += 8 * int64_t(numbers);
        plan_.numeric_locals = numbers;
        for (uint32_t n = strings; n; --n)
            if (!releasable()) return false;
        plan_.string_locals = strings;
        for (;;) {
            if (!in_image(e_)) return false;
            uint8_t code = load_u8(e_++);
            PlanStep step;
            step.code = code;
            switch (code) {
            case 0: continue;
            case 2:
                if (!in_image(e_ + 2)) return false;
                step.max_length = (uint32_t(load_u8(e_)) << 16) | (uint32_t(load_u8(e_ + 1)) << 8) |
                                  load_u8(e_ + 2);
                e_ += 3;
                if (!releasable(&step.at)) return false;
                break;
            case 8:
                if (!argument(vm.num_operands, step.arg) || !numeric(step.at)) return false;
                break;
            case 10:
                if (!argument(vm.str_operands, step.arg) || !releasable(&step.at)) return false;
                break;
            case 16:
            case 24:
                if (!argument(vm.num_operands, step.arg) || !reference(&step.at)) return false;
                break;
            case 18:
            case 26:
                if (!argument(vm.str_operands, step.arg) || !reference(&step.at)) return false;
                break;
            case 20:
            case 22: {
                const ModuleRecord& caller = program.modules[vm.module];
                Addr table = code == 20 ? caller.num_arrays : caller.str_arrays;
                if (!argument(table, step.arg) || !reference(&step.at)) return false;
                break;
            }
            case 30: {
                uint32_t n;
                if (!number(n)) return false;
                for (; n; --n)
                    if (!reference(nullptr)) return false;
                continue; // reserved slots are only counted
            }
            case 32:
            case 34:
                if (hi_ != lo_) return false;
                plan_.own_environment = code == 32;
                plan_.body = e_;
                plan_.return_pc = p_;
                return in_image(e_);
            default: return false; // arrays, channels, shared blocks, native code
            }
            plan_.steps.push_back(step);
        }
    }

private:
    bool number(uint32_t& v) {
        if (!in_image(e_)) return false;
        v = read_unsigned(e_);
        return in_image(e_ - 1);
    }
    bool argument(Addr table, Operand& out) {
        if (!in_image(p_)) return false;
        Addr desc = fetch_descriptor(p_, table);
        return in_image(p_ - 1) && resolve_operand(desc, out);
    }
    bool numeric(int32_t& at) {
        if (hi_ - lo_ < 8) return false;
        at = int32_t(lo_);
        lo_ += 8;
        return true;
    }
    bool releasable(int32_t* at = nullptr) {
        if (references_started_ || hi_ - lo_ < 8) return false;
        hi_ -= 8;
        if (at) *at = int32_t(hi_);
        ++plan_.release_count;
        return true;
    }
    bool reference(int32_t* at) {
        references_started_ = true;
        if (hi_ - lo_ < 8) return false;
        hi_ -= 8;
        if (at) *at = int32_t(hi_);
        ++plan_.reference_count;
        return true;
    }

    RoutinePlan& plan_;
    Addr e_; // in the callee's descriptor
    Addr p_; // in the caller's op stream
    // The numeric region grows up from lo, the slots down from hi, both counted from the frame.
    int64_t lo_ = 0;
    int64_t hi_ = -int64_t(frame::header);
    bool references_started_ = false;
};

} // namespace

std::optional<RoutinePlan> plan_call(Addr pc) {
    Addr p = pc + 1;
    if (!in_image(p)) return {};
    uint32_t index = read_unsigned(p);
    Addr entry = program.modules[vm.module].routines + 4 * index;
    if (!in_image(entry) || !in_image(entry + 3)) return {};
    uint32_t offset = load_u16(entry), m = load_u16(entry + 2);
    if (m >= program.modules.size()) return {};
    RoutinePlan plan;
    plan.module = m;
    plan.raise_pc = p;
    // Counts of 16 bits, as the frame stores them; larger ones stay with enter_routine.
    if (!PlanReader(plan, program.modules[m].base + offset, p).read() ||
        plan.release_count > 0x7FFF || plan.reference_count > 0x7FFF)
        return {};
    return plan;
}

void run_plan_step(const PlanStep& step, Addr at) {
    switch (step.code) {
    case 2: store_cell(at, make_cell(empty_string, step.max_length)); break;
    case 10: {
        Addr rec = load_u32(generic_operand_address(step.arg));
        str_retain(rec);
        store_cell(at, make_cell(rec, no_max_length));
        break;
    }
    case 24: {
        Addr cell = generic_operand_address(step.arg);
        store_cell(at, make_cell(cell, 0));
        store_cell(cell, num_int(0));
        break;
    }
    case 26: {
        Addr cell = generic_operand_address(step.arg);
        store_cell(at, make_cell(cell, 0));
        str_release(load_u32(cell));
        store_u32(cell, empty_string);
        break;
    }
    }
}

} // namespace quillet
