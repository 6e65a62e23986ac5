// Frames built from call plans: enter_routine (the generic path) and the decoded call's inline
// builder must leave the arena and the registers byte for byte alike, for every descriptor code
// a plain plan holds and for arguments in every address mode; the codes that only the generic
// path builds (arrays, channels, shared blocks, native routines) build what they mean.
#include "assembler.h"
#include "bcode/image.h"
#include "bcode/trailer.h"
#include "frame_programs.h"
#include "interp/frames.h"
#include "interp/native_routines.h"
#include "interp/op_stream.h"
#include "interp/registers.h"
#include "interp/routine_plans.h"
#include "startup/image_loader.h"
#include "startup/program_start.h"
#include "values/arrays.h"
#include "values/errors.h"
#include "values/memory.h"
#include "values/strings.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace quillet {
namespace {

// Main's slots (frame_programs.h) and the numeric cells the harness points its references at.
constexpr uint32_t slot_title = 40, slot_note = 48, slot_cell = 80, slot_text = 88;

// The arena up to the heap's top (static records, image, value stack, every block) and the
// registers a frame build touches.
struct Snapshot {
    std::vector<std::byte> arena;
    std::vector<uint32_t> registers;
    bool operator==(const Snapshot&) const = default;
};

Snapshot capture() {
    Snapshot s;
    s.arena.assign(host_ptr(0), host_ptr(0) + heap.top);
    s.registers = {vm.pc,
                   vm.module,
                   vm.num_operands,
                   vm.str_operands,
                   vm.sp,
                   vm.pending_frame,
                   uint32_t(vm.release_count),
                   uint32_t(vm.reference_count)};
    for (Addr b : vm.bases)
        s.registers.push_back(b);
    return s;
}

// The offset of the first difference, to say where two snapshots part.
std::string first_difference(const Snapshot& a, const Snapshot& b) {
    if (a.registers != b.registers) return "the registers differ";
    if (a.arena.size() != b.arena.size()) return "the heaps have different tops";
    for (size_t i = 0; i < a.arena.size(); ++i)
        if (a.arena[i] != b.arena[i]) return "arena byte " + std::to_string(i) + " differs";
    return "no difference";
}

class FrameBuilding : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        bcode::Image image = tools::assemble(test::frame_program, "frames.qba");
        file_ = bcode::write_image(image);
        bcode::append_trailer(uint32_t(file_.size()), file_);
    }

    // A fresh engine with main's frame built and its references pointing at main's variables;
    // keep_plans keeps the plans of the run before (the image lies at the same place again).
    void start(bool keep_plans = false) {
        reset_engine();
        native_policy.enabled = false;
        load_image_from(file_);
        init_value_stack();
        lay_out_image();
        vm.bases[bcode::base_cell1] = program.cell_area1;
        vm.bases[bcode::base_tail] = program.literal_tail;
        vm.bases[bcode::base_cell2] = program.cell_area2;
        if (!keep_plans) reset_decoded_ops();
        set_module(program.start_module);
        vm.pc = 0;
        enter_routine(program.start_entry, program.start_module);
        main_ = vm.fp();
        body_ = vm.pc;
        // cell refers to count (main's second numeric local), text to note; shared register 1
        // reaches main's frame.
        uint32_t size = routine_plan(program.start_entry, program.start_module, 0).frame.size;
        store_u32(main_ - slot_cell, main_ - size + 4 + 8);
        store_u32(main_ - slot_text, main_ - slot_note);
        vm.shared(1) = main_;
        str_set_cstr(main_ - slot_title, "title text");
    }

    // The call ops of main's body, in order, and the routine each one calls.
    struct CallSite {
        Addr pc;
        Addr args; // after the routine index
        Addr entry;
        uint32_t module;
    };
    std::vector<CallSite> call_sites() {
        start();
        std::vector<CallSite> sites;
        for (Addr pc = body_; load_u8(pc) == bcode::op_call;) {
            Addr p = pc + 1;
            Addr entry = program.modules[vm.module].routines + 4 * read_unsigned(p);
            uint32_t m = load_u16(entry + 2);
            sites.push_back({pc, p, program.modules[m].base + load_u16(entry), m});
            pc = routine_plan(sites.back().entry, m, p).return_pc;
        }
        return sites;
    }

    // The call at site, through enter_routine as the op loop's undecoded call runs it.
    void enter_generic(const CallSite& site) {
        vm.pc = site.args;
        enter_routine(site.entry, site.module);
    }

    // The call at site, as the decoded call op enters it.
    void enter_decoded(const CallSite& site) {
        const RoutinePlan* plan = plan_call(site.pc);
        ASSERT_NE(plan, nullptr);
        ASSERT_TRUE(plan_fits(*plan));
        enter_planned_routine(*plan);
    }

    static inline std::vector<uint8_t> file_;
    Addr main_ = 0;
    Addr body_ = 0;
};

// Main calls, in order: values, refs, results, mixed, locals_only, through_modes, helper,
// with_nothing, odd_order (plain), with_arrays, array_locals, with_channel, with_block,
// native_missing, allocates_first, overfull (built by enter_routine alone).
constexpr size_t plain_calls = 9;
constexpr size_t all_calls = 16;

// The error code fn raised, or 0 when it returned normally.
template <typename Fn>
int32_t raised(Fn&& fn) {
    try {
        fn();
    } catch (const BasicError& e) {
        return e.code;
    }
    return 0;
}

TEST_F(FrameBuilding, BothPathsBuildTheSameFrameForEveryPlainCall) {
    std::vector<CallSite> sites = call_sites();
    ASSERT_EQ(sites.size(), all_calls);
    for (size_t i = 0; i < plain_calls; ++i) {
        SCOPED_TRACE("call " + std::to_string(i));
        start();
        Addr frame_at = vm.sp;
        enter_generic(sites[i]);
        Snapshot generic = capture();
        EXPECT_EQ(vm.fp(), frame_at);
        EXPECT_EQ(load_u32(vm.fp() - frame::prev), main_);
        start();
        enter_decoded(sites[i]);
        Snapshot decoded = capture();
        EXPECT_TRUE(generic == decoded) << first_difference(generic, decoded);
        // A plan taken from the cache builds the same again.
        start(true);
        enter_generic(sites[i]);
        Snapshot cached = capture();
        EXPECT_TRUE(generic == cached) << first_difference(generic, cached);
    }
}

TEST_F(FrameBuilding, ArraysChannelsSharedBlocksAndNativeCodeHaveNoPlainPlan) {
    std::vector<CallSite> sites = call_sites();
    ASSERT_EQ(sites.size(), all_calls);
    for (size_t i = 0; i < all_calls; ++i)
        EXPECT_EQ(plan_call(sites[i].pc) != nullptr, i < plain_calls) << "call " << i;
}

TEST_F(FrameBuilding, ParametersCopyShareAndReferTheCallersVariables) {
    std::vector<CallSite> sites = call_sites();
    start();
    Addr title = load_u32(main_ - slot_title);
    int32_t count_before = str_count(title);
    enter_generic(sites[0]); // values total, title, 42, "literal", lit2 7
    Addr f = vm.fp();
    // 36 + 5 cells: the numbers n, k, k2 from the frame's bottom, the strings s, lit from F-40.
    EXPECT_EQ(vm.sp, f - 76);
    EXPECT_EQ(load_cell(f - 72), num_int(0));
    EXPECT_EQ(load_cell(f - 64), num_int(42));
    EXPECT_EQ(load_cell(f - 56), num_int(7));
    EXPECT_EQ(load_u32(f - 40), title);
    EXPECT_EQ(str_count(title), count_before + 1);
    EXPECT_EQ(str_view(load_u32(f - 48)), "literal");
    EXPECT_EQ(load<int16_t>(f - frame::release_count), 2);
    EXPECT_EQ(load_u32(f + frame::env), main_);
    EXPECT_EQ(vm.env(), f); // own environment

    start();
    Addr count = load_u32(main_ - slot_cell);
    store_cell(count, num_int(5));
    str_set_cstr(main_ - slot_note, "note");
    enter_generic(sites[2]); // results count, note
    f = vm.fp();
    EXPECT_EQ(load_cell(count), num_int(0));
    EXPECT_EQ(load_u32(main_ - slot_note), empty_string);
    EXPECT_EQ(load_u32(f - 40), count);
    EXPECT_EQ(load_u32(f - 48), main_ - slot_note);
    EXPECT_EQ(load<int16_t>(f - frame::reference_count), 2);
    EXPECT_EQ(load<int16_t>(f - frame::release_count), 0);

    start();
    enter_generic(sites[6]); // helper total, note: an internal routine keeps main's environment
    EXPECT_EQ(vm.env(), main_);
}

TEST_F(FrameBuilding, ArrayParametersAreCopiesAndArrayLocalsHaveTheirBounds) {
    std::vector<CallSite> sites = call_sites();
    start();
    Addr grid = load_u32(main_ - 64), names = load_u32(main_ - 72);
    enter_generic(sites[9]); // with_arrays grid, names
    Addr f = vm.fp();
    Cell a = load_cell(f - 40), b = load_cell(f - 48);
    EXPECT_EQ(int32_t(cell_hi(a)), numeric_array);
    EXPECT_EQ(int32_t(cell_hi(b)), string_array);
    EXPECT_NE(cell_lo(a), grid);
    EXPECT_NE(cell_lo(b), names);
    EXPECT_EQ(ArrayBlock{cell_lo(a)}.count(), ArrayBlock{grid}.count());
    EXPECT_EQ(ArrayBlock{cell_lo(b)}.count(), ArrayBlock{names}.count());
    EXPECT_EQ(load<int16_t>(f - frame::release_count), 2);
    EXPECT_EQ(load<int16_t>(f - frame::reference_count), 1);

    start();
    enter_generic(sites[10]); // array_locals
    f = vm.fp();
    ArrayBlock numbers{cell_lo(load_cell(f - 40))}, strings{cell_lo(load_cell(f - 48))};
    EXPECT_EQ(numbers.dimensions(), 2);
    EXPECT_EQ(numbers.lower_bound(0), 0);
    EXPECT_EQ(numbers.size(0), 5);
    EXPECT_EQ(numbers.lower_bound(1), 1);
    EXPECT_EQ(numbers.size(1), 2);
    EXPECT_EQ(strings.count(), 2);
    EXPECT_EQ(strings.max_length(), 9);
}

TEST_F(FrameBuilding, ChannelParametersMapTheCallersChannel) {
    std::vector<CallSite> sites = call_sites();
    start();
    enter_generic(sites[11]); // with_channel 7
    Addr f = vm.fp();
    EXPECT_EQ(load_u16(f - frame::channel_count), 1);
    EXPECT_EQ(load_u32(f - 40), main_); // not a channel parameter anywhere: main's own
    EXPECT_EQ(load_u16(f - 36), 7 + frame::channel_bias);
    EXPECT_EQ(load_u16(f - 34), 3 + frame::channel_bias);
    ChannelOwner mapped = map_channel(3, f);
    EXPECT_EQ(mapped.owner, main_);
    EXPECT_EQ(mapped.channel, 7);
}

TEST_F(FrameBuilding, ASharedBlockLiesBetweenTheCallerAndTheRoutine) {
    std::vector<CallSite> sites = call_sites();
    start();
    Addr block = vm.sp;
    vm.shared(0) = 1234;      // the value the block saves and leaving it restores
    enter_generic(sites[12]); // with_block total
    EXPECT_EQ(vm.shared(0), block);
    EXPECT_EQ(load_u32(block + frame::env), 0u); // marks a shared block
    EXPECT_EQ(load_u32(block - frame::prev), main_);
    EXPECT_EQ(load<int16_t>(block - frame::release_count), 1);
    Addr f = vm.fp();
    EXPECT_EQ(load_u32(f - frame::prev), block);
    leave_routine();
    EXPECT_EQ(vm.fp(), main_);
    EXPECT_EQ(vm.shared(0), 1234u);
    EXPECT_EQ(vm.sp, block);
}

TEST_F(FrameBuilding, ANativeRoutineThatCannotLoadLeavesItsFramePending) {
    std::vector<CallSite> sites = call_sites();
    start();
    Addr frame_at = vm.sp;
    EXPECT_EQ(raised([&] { enter_generic(sites[13]); }), err::native_library);
    EXPECT_EQ(vm.pending_frame, frame_at);
    EXPECT_EQ(vm.fp(), main_);
    finish_pending_frame();
    EXPECT_EQ(vm.fp(), main_);
    EXPECT_EQ(vm.sp, frame_at);
}

TEST_F(FrameBuilding, AStopInTheDescriptorComesAfterWhatTheCodesBeforeItDo) {
    std::vector<CallSite> sites = call_sites();
    // The regions of allocates_first do not meet, which stops the program at its end; its array
    // local raises 5001 before that, with the partial frame pending.
    start();
    Addr frame_at = vm.sp;
    EXPECT_EQ(raised([&] { enter_generic(sites[14]); }), err::array_too_large);
    EXPECT_EQ(vm.pending_frame, frame_at);

    // overfull: the array takes the only cell, the parameter after it finds no room.
    const RoutinePlan& plan = routine_plan(sites[15].entry, sites[15].module, sites[15].args);
    EXPECT_FALSE(plan.plain);
    ASSERT_EQ(plan.frame.steps.size(), 2u);
    EXPECT_EQ(plan.frame.steps[0].code, bcode::desc_num_array);
    EXPECT_EQ(plan.frame.steps[0].fault, PlanFault::none);
    EXPECT_EQ(plan.frame.steps[1].code, bcode::desc_num_value);
    EXPECT_EQ(plan.frame.steps[1].fault, PlanFault::frame_error);
}

} // namespace
} // namespace quillet
