#include "interp/routine_plans.h"

#include "interp/fatal.h"
#include "interp/frames.h"
#include "interp/native_routines.h"
#include "values/arrays.h"
#include "values/errors.h"
#include "values/numbers.h"
#include "values/strings.h"

#include <algorithm>
#include <span>

namespace quillet {
namespace {

using namespace bcode;

bool releasable_code(uint8_t code) {
    switch (code) {
    case desc_fixed_string:
    case desc_num_array:
    case desc_str_array:
    case desc_str_value:
    case desc_num_array_value:
    case desc_str_array_value: return true;
    default: return false;
    }
}

// The codes whose work comes before they take their place in the frame: allocating an array,
// mapping a channel. A frame_error fault of theirs stops only after that work.
bool works_before_placing(uint8_t code) {
    return code == desc_num_array || code == desc_str_array || code == desc_num_array_value ||
           code == desc_str_array_value || code == desc_channel;
}

// Whether a plain plan may hold the step (enter_planned_routine builds it).
bool plain_code(uint8_t code) {
    switch (code) {
    case desc_fixed_string:
    case desc_num_value:
    case desc_str_value:
    case desc_num_ref:
    case desc_str_ref:
    case desc_num_array_ref:
    case desc_str_array_ref:
    case desc_num_result:
    case desc_str_result:
    case desc_reserve: return true;
    default: return false;
    }
}

// Lays out the frames of a descriptor read by bcode's reader, taking the argument operands from
// the caller's op stream at args with the checks of enter_routine: where it would stop, the plan
// gets a fault step and ends.
class PlanMaker {
public:
    PlanMaker(RoutinePlan& plan, Addr args) : plan_(plan), p_(args) {}

    void make(Addr entry) {
        std::span<const uint8_t> image(reinterpret_cast<const uint8_t*>(host_ptr(program.image)),
                                       program.image_size);
        // An entry outside the image reads as a descriptor cut short.
        DescriptorReading reading =
            read_entry_descriptor(image, size_t(entry - program.image), "entry descriptor");
        plan_.raise_pc = p_;
        const std::vector<FrameDescriptor>& frames = reading.desc.frames;
        for (size_t i = 0; i < frames.size(); ++i) {
            bool last = i + 1 == frames.size();
            FramePlan& f = last ? plan_.frame : plan_.blocks.emplace_back();
            bool ended = lay_out(frames[i], f, last ? reading.fault : DescriptorFault::none);
            f.end_pc = p_;
            if (!ended) {
                if (!last) { // the fault stops the call in this block: it is the last frame built
                    plan_.frame = std::move(f);
                    plan_.blocks.pop_back();
                }
                break;
            }
        }
        plan_.return_pc = p_;
        plan_.body = entry + Addr(reading.desc.size);
        // Counts of 16 bits, as the frame stores them; larger ones stay with enter_routine.
        plan_.plain = plan_.blocks.empty() && args_in_image_ && in_image(plan_.body) &&
                      (plan_.frame.end == desc_own_env || plan_.frame.end == desc_caller_env) &&
                      releases_ <= 0x7FFF && references_ <= 0x7FFF;
        for (const PlanStep& step : plan_.frame.steps)
            plan_.plain = plan_.plain && step.fault == PlanFault::none && plain_code(step.code);
        plan_.counts = uint32_t(plan_.frame.reference_count) << 16 | plan_.frame.release_count;
        plan_.resume = uint64_t(vm.module) << 32 | plan_.return_pc;
        plan_.other_module = plan_.module != vm.module;
        plan_.quick = plan_.plain;
        plan_.quick_locals = plan_.frame.numeric_locals != 0 || plan_.frame.string_locals != 0;
        plan_.quick_direct = true;
        for (const PlanStep& step : plan_.frame.steps) {
            if (!plan_.quick || step.code == desc_reserve) continue;
            bool value = step.code == desc_num_value;
            bool ref = step.code >= desc_num_ref && step.code <= desc_str_array_ref;
            const Operand& o = step.arg;
            plan_.quick =
                (value || ref) && (o.base == bcode::base_frame || o.base == bcode::base_absolute);
            plan_.quick_args.push_back(
                {.slot = {.delta = o.delta, .fp_mask = o.fp_mask, .at = step.at},
                 .indirect = o.indirect,
                 .value = value});
            plan_.quick_direct = plan_.quick_direct && !o.indirect;
        }
        std::stable_partition(plan_.quick_args.begin(), plan_.quick_args.end(),
                              [](const QuickArg& a) { return a.value; });
        plan_.quick_values =
            uint32_t(std::count_if(plan_.quick_args.begin(), plan_.quick_args.end(),
                                   [](const QuickArg& a) { return a.value; }));
    }

private:
    // Lays out one frame; false when a fault step (or a frame too small for its header) stops
    // the call in it.
    bool lay_out(const FrameDescriptor& d, FramePlan& f, DescriptorFault fault) {
        f.size = 2 * d.frame_units;
        f.start_pc = p_;
        steps_ = &f.steps;
        releases_ = references_ = 0;
        if (f.size < frame::header + 4) return false; // the builder stops before anything
        lo_ = 4 - int64_t(f.size);
        hi_ = -int64_t(frame::header);
        references_started_ = false;
        if (hi_ - lo_ < 8 * int64_t(d.numeric_locals)) return stop(PlanFault::frame_error);
        lo_ += 8 * int64_t(d.numeric_locals);
        f.numeric_locals = d.numeric_locals;
        if (hi_ - lo_ < 8 * int64_t(d.string_locals)) return stop(PlanFault::frame_error);
        hi_ -= 8 * int64_t(d.string_locals);
        f.string_locals = releases_ = d.string_locals;
        bool ended = true;
        for (const DescriptorItem& item : d.items)
            if (!add(item, f, fault)) {
                ended = false;
                break;
            }
        if (ended && (fault == DescriptorFault::bad_code || fault == DescriptorFault::truncated))
            ended = stop(PlanFault::frame_error);
        f.release_count = uint16_t(releases_);
        f.reference_count = uint16_t(references_);
        return ended;
    }

    bool add(const DescriptorItem& item, FramePlan& f, DescriptorFault fault) {
        PlanStep step;
        step.code = item.code;
        const ModuleRecord& caller = program.modules[vm.module];
        switch (item.code) {
        case desc_none: return true;
        case desc_fixed_string: step.number = item.number; return releasable(step);
        case desc_num_array:
        case desc_str_array:
            step.data = program.image + Addr(item.data_pos);
            return releasable(step);
        case desc_num_value: return argument(vm.num_operands, step) && numeric(step);
        case desc_str_value: return argument(vm.str_operands, step) && releasable(step);
        case desc_num_array_value: return argument(caller.num_arrays, step) && releasable(step);
        case desc_str_array_value: return argument(caller.str_arrays, step) && releasable(step);
        case desc_num_ref:
        case desc_num_result: return argument(vm.num_operands, step) && reference(step);
        case desc_str_ref:
        case desc_str_result: return argument(vm.str_operands, step) && reference(step);
        case desc_num_array_ref: return argument(caller.num_arrays, step) && reference(step);
        case desc_str_array_ref: return argument(caller.str_arrays, step) && reference(step);
        case desc_channel:
            step.number = item.number;
            return argument(vm.num_operands, step) && numeric(step);
        case desc_reserve:
            step.number = item.number;
            references_started_ = true;
            if (hi_ - lo_ < 8 * int64_t(item.number)) return place_fault(step);
            hi_ -= 8 * int64_t(item.number);
            references_ += item.number;
            return push(step);
        case desc_own_env:
        case desc_caller_env:
            if (hi_ != lo_) return stop(PlanFault::frame_error);
            f.end = item.code;
            return true;
        case desc_shared_block:
            if (hi_ != lo_) return stop(PlanFault::frame_error);
            if (fault == DescriptorFault::bad_shared_register)
                return stop(PlanFault::shared_stack_error);
            f.end = item.code;
            f.shared_register = uint8_t(item.number - shared_register_byte_bias);
            return true;
        case desc_native:
            f.end = item.code;
            f.native = program.image + Addr(item.data_pos);
            f.lo = int32_t(lo_);
            f.hi = int32_t(hi_);
            return true;
        default: return stop(PlanFault::frame_error); // the reader gives no other code
        }
    }

    // Resolves the step's argument operand at the call site.
    bool argument(Addr table, PlanStep& step) {
        args_in_image_ = args_in_image_ && in_image(p_);
        Addr desc = fetch_descriptor(p_, table);
        args_in_image_ = args_in_image_ && in_image(p_ - 1);
        step.pc = p_;
        if (resolve_operand(desc, step.arg)) return true;
        step.fault = PlanFault::bad_operand_mode;
        step.number = load_u16(desc);
        push(step);
        return false;
    }
    bool numeric(PlanStep& step) {
        if (hi_ - lo_ < 8) return place_fault(step);
        step.at = int32_t(lo_);
        lo_ += 8;
        return push(step);
    }
    // Releasable slots come before reference slots, which is what lets leaving the frame find
    // them as the first release-count slots.
    bool releasable(PlanStep& step) {
        if (references_started_ || hi_ - lo_ < 8) return place_fault(step);
        hi_ -= 8;
        step.at = int32_t(hi_);
        ++releases_;
        return push(step);
    }
    bool reference(PlanStep& step) {
        references_started_ = true;
        if (hi_ - lo_ < 8) return place_fault(step);
        hi_ -= 8;
        step.at = int32_t(hi_);
        ++references_;
        return push(step);
    }

    bool push(PlanStep& step) {
        step.pc = p_;
        steps_->push_back(step);
        return true;
    }
    bool place_fault(PlanStep& step) {
        step.fault = PlanFault::frame_error;
        push(step);
        return false;
    }
    bool stop(PlanFault fault) {
        PlanStep step;
        step.fault = fault;
        push(step);
        return false;
    }

    RoutinePlan& plan_;
    Addr p_; // in the caller's op stream
    bool args_in_image_ = true;
    std::vector<PlanStep>* steps_ = nullptr;
    // The numeric region grows up from lo, the slots down from hi, both counted from the frame.
    int64_t lo_ = 0;
    int64_t hi_ = 0;
    bool references_started_ = false;
    uint32_t releases_ = 0; // the frame's slot counts
    uint32_t references_ = 0;
};

struct PlanKey {
    Addr entry;
    Addr args;
    uint32_t target;
    uint32_t caller_module;
    bool operator==(const PlanKey&) const = default;
};

struct PlanKeyHash {
    size_t operator()(const PlanKey& k) const {
        uint64_t h = (uint64_t(k.entry) << 32 | k.args) * 0x9E3779B97F4A7C15ull;
        return size_t(h ^ (uint64_t(k.target) << 16 | k.caller_module));
    }
};

// Plans stay where they are once made: decoded call ops point at them.
std::unordered_map<PlanKey, RoutinePlan, PlanKeyHash> plans;

[[noreturn]] void stop_at(const PlanStep& step) {
    switch (step.fault) {
    case PlanFault::bad_operand_mode: bad_operand_mode(uint16_t(step.number));
    case PlanFault::shared_stack_error: fatal_stop("shared stack error");
    default: fatal_stop("stack frame error");
    }
}

Cell array_slot(Addr block, int32_t kind) {
    return make_cell(block, static_cast<uint32_t>(kind));
}

// One step of the frame under construction at s (whose caller's frame is prev), as enter_routine
// takes it: the argument, the work, the place in the frame, the counts of the pending frame.
void build_step(const PlanStep& step, Addr s, Addr prev) {
    vm.pc = step.pc;
    if (step.fault != PlanFault::none &&
        (step.fault != PlanFault::frame_error || !works_before_placing(step.code)))
        stop_at(step);
    Addr at = s + uint32_t(step.at);
    switch (step.code) {
    case desc_num_array:
    case desc_str_array: {
        int32_t kind = step.code == desc_num_array ? numeric_array : string_array;
        Addr block = array_new(step.data, kind);
        if (step.fault != PlanFault::none) stop_at(step);
        store_cell(at, array_slot(block, kind));
        break;
    }
    case desc_num_array_value:
    case desc_str_array_value: {
        int32_t kind = step.code == desc_num_array_value ? numeric_array : string_array;
        Addr copy = array_copy(load_u32(generic_operand_address(step.arg)));
        if (step.fault != PlanFault::none) stop_at(step);
        store_cell(at, array_slot(copy, kind));
        break;
    }
    case desc_channel: {
        int32_t c = num_to_int32(load_cell(generic_operand_address(step.arg)));
        ChannelOwner mapped = map_channel(c, prev);
        if (step.fault != PlanFault::none) stop_at(step);
        store_u32(at, mapped.owner);
        // The frame keeps channel numbers in 16 bits; any int wraps there.
        store_u16(at + 4, uint16_t(uint32_t(mapped.channel) + frame::channel_bias));
        store_u16(at + 6, uint16_t(step.number + frame::channel_bias));
        store_u16(s - frame::channel_count, load_u16(s - frame::channel_count) + 1);
        return;
    }
    case desc_reserve: vm.reference_count += int32_t(step.number); return;
    case desc_num_value: store_cell(at, load_cell(generic_operand_address(step.arg))); return;
    case desc_num_ref:
    case desc_str_ref:
    case desc_num_array_ref:
    case desc_str_array_ref: store_cell(at, make_cell(generic_operand_address(step.arg), 0)); break;
    default: run_plan_step(step, at); break;
    }
    if (releasable_code(step.code))
        ++vm.release_count;
    else
        ++vm.reference_count;
}

// Builds frame f at the stack pointer over prev, up to its ending code; returns its address.
Addr build_frame(const FramePlan& f, Addr prev) {
    if (f.size < frame::header + 4) fatal_stop("stack frame error");
    Addr s = vm.sp;
    vm.pc = f.start_pc;
    if (s - vm.stack_base < f.size) raise_error(err::out_of_memory);
    start_frame_header(s, prev, vm.env());
    vm.pending_frame = s;
    vm.release_count = vm.reference_count = 0;
    Addr numbers = s + 4 - f.size;
    for (uint32_t k = 0; k < f.numeric_locals; ++k)
        store_cell(numbers + 8 * k, num_int(0));
    Addr slots = s - frame::header;
    for (uint32_t k = 1; k <= f.string_locals; ++k) {
        store_cell(slots - 8 * k, make_cell(empty_string, no_max_length));
        ++vm.release_count;
    }
    for (const PlanStep& step : f.steps)
        build_step(step, s, prev);
    vm.pc = f.end_pc;
    return s;
}

void no_pending_frame() {
    vm.release_count = vm.reference_count = 0;
    vm.pending_frame = 0;
}

} // namespace

const RoutinePlan& routine_plan(Addr entry, uint32_t target, Addr args) {
    auto [it, made] = plans.try_emplace(PlanKey{entry, args, target, vm.module});
    if (made) {
        it->second.module = target;
        PlanMaker(it->second, args).make(entry);
    }
    return it->second;
}

void reset_routine_plans() {
    plans.clear();
}

const RoutinePlan* plan_call(Addr pc) {
    Addr p = pc + 1;
    if (!in_image(p)) return nullptr;
    uint32_t index = read_unsigned(p);
    Addr entry = program.modules[vm.module].routines + 4 * index;
    if (!in_image(entry) || !in_image(entry + 3)) return nullptr;
    uint32_t offset = load_u16(entry), m = load_u16(entry + 2);
    if (m >= program.modules.size()) return nullptr;
    const RoutinePlan& plan = routine_plan(program.modules[m].base + offset, m, p);
    return plan.plain ? &plan : nullptr;
}

void enter_routine_by_plan(const RoutinePlan& plan) {
    Addr prev = vm.fp();
    for (const FramePlan& block : plan.blocks) {
        // A shared block: a marker frame whose variables the shared register reaches.
        Addr s = build_frame(block, prev);
        store_u32(s - frame::module, 0);
        store_u32(s - frame::pc, 0);
        store_u32(s + frame::env, 0);
        store_u16(s - frame::release_count, uint16_t(vm.release_count));
        store_u16(s - frame::reference_count, uint16_t(vm.reference_count));
        no_pending_frame();
        Addr bottom = s - block.size;
        if (bottom - vm.stack_base < 8) raise_error(err::out_of_memory);
        store_u32(bottom, vm.shared(block.shared_register));
        store_u32(bottom - 4, block.shared_register);
        vm.shared(block.shared_register) = s;
        vm.sp = bottom - 8;
        prev = s;
    }
    const FramePlan& f = plan.frame;
    Addr s = build_frame(f, prev);
    switch (f.end) {
    case desc_native:
        // The procedure finds its parameters in the partial frame, which is then abandoned.
        call_native_routine(f.native, s, s - f.size + 4, s + uint32_t(f.lo), s + uint32_t(f.hi));
        no_pending_frame();
        return;
    case desc_own_env: vm.env() = s; [[fallthrough]];
    case desc_caller_env:
        switch_to_frame(s, uint16_t(vm.release_count), uint16_t(vm.reference_count), vm.pc,
                        plan.module, s - f.size, plan.body);
        no_pending_frame();
        return;
    default: fatal_stop("stack frame error"); // a fault step has stopped before
    }
}

void run_plan_step(const PlanStep& step, Addr at) {
    switch (step.code) {
    case desc_fixed_string: store_cell(at, make_cell(empty_string, step.number)); break;
    case desc_str_value: {
        Addr rec = load_u32(generic_operand_address(step.arg));
        str_retain(rec);
        store_cell(at, make_cell(rec, no_max_length));
        break;
    }
    case desc_num_result: {
        Addr cell = generic_operand_address(step.arg);
        store_cell(at, make_cell(cell, 0));
        store_cell(cell, num_int(0));
        break;
    }
    case desc_str_result: {
        Addr cell = generic_operand_address(step.arg);
        store_cell(at, make_cell(cell, 0));
        str_release(load_u32(cell));
        store_u32(cell, empty_string);
        break;
    }
    }
}

} // namespace quillet
