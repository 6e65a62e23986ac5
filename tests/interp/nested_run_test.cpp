// A routine run nested from host-event processing: it runs to its return wherever the program
// was interrupted, and the interrupted registers come back as they were; a raise that the
// routine handles resumes it, one that only the interrupted frame handles ends the run there; a
// routine that would read arguments from the interrupted op stream does not run.
#include "assembler.h"
#include "bcode/image.h"
#include "bcode/trailer.h"
#include "bifs/install_bifs.h"
#include "interp/decoded_ops.h"
#include "interp/exceptions.h"
#include "interp/for_loops.h"
#include "interp/frames.h"
#include "interp/nested_run.h"
#include "interp/registers.h"
#include "startup/image_loader.h"
#include "startup/program_start.h"
#include "values/numbers.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

// Main's protected part begins with its first op (line 20). Bif 445 counts its runs in main's
// variable and has a loop, a bif (which adds 0 when it gives 1000), compares and a handled raise
// of its own; 446 raises what only main
// handles; 447 takes an argument.
constexpr const char* program_text = R"(
override 445 main.counts
override 446 main.raises
override 447 main.takes_argument
module main
  routine main name "Main program"
    local num runs
    line 10
    when
    line 20
    move 0, runs
    line 30
    jump after
    use
    gosub_block handler_part
    jump after
  handler_part:
    handler
    line 40
    block_return
    end_handler
  after:
    line 50
    end_unit 0

  routine counts
    local num i
    local num x
    line 100
  loop:
    for_start i, 1, 3, 1, looped
    add main.runs, 1, main.runs
    for_next loop
  looped:
    bif floor 1000.5, x
    sub x, 1000, x
    add main.runs, x, main.runs
    line 110
    when
    line 120
    cause 5, "handled inside"
    line 130
    jump handled
    use
    gosub_block inner_handler
    jump handled
  inner_handler:
    handler
    line 140
    add main.runs, 10, main.runs
    block_return
    end_handler
  handled:
    line 150
    add main.runs, 100, main.runs
    num_eq 1, 2
    return

  routine raises
    line 200
    cause 88, "only main handles it"
    return

  routine takes_argument
    param num x
    add main.runs, 1, main.runs
    return
end
)";

class NestedRun : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        bcode::Image image = tools::assemble(program_text, "nested.qba");
        file_ = bcode::write_image(image);
        bcode::append_trailer(uint32_t(file_.size()), file_);
    }

    // A fresh engine with main's frame built and its first op (inside the protected part)
    // as the interrupted pc.
    void SetUp() override {
        reset_engine();
        install_bifs();
        load_image_from(file_);
        init_value_stack();
        lay_out_image();
        reset_decoded_ops();
        vm.bases[bcode::base_cell1] = program.cell_area1;
        vm.bases[bcode::base_tail] = program.literal_tail;
        vm.bases[bcode::base_cell2] = program.cell_area2;
        set_module(program.start_module);
        vm.pc = 0;
        enter_routine(program.start_entry, program.start_module);
        main_ = vm.fp();
        interrupted_pc_ = vm.pc;
        runs_ = vm.sp + 4; // main's one numeric local: the first cell of its numeric region
    }

    int32_t runs() const { return num_to_int32(load_cell(runs_)); }

    static inline std::vector<uint8_t> file_;
    Addr main_ = 0;
    Addr interrupted_pc_ = 0;
    Addr runs_ = 0;
};

// The operand list of a decoded bif that the run interrupts (operands.h): one operand at the
// interrupted pc, which the nested run's own bifs must neither take nor end.
const BifOperand interrupted_bif_operands[2] = {{.at = 1, .after = 2, .table = 3}, {}};

TEST_F(NestedRun, TheRoutineRunsToItsReturnAndTheInterruptedRegistersComeBack) {
    vm.pc = interrupted_pc_ + 1; // in the middle of an op, as inside a bif
    decoded.bif_cursor = interrupted_bif_operands;
    vm.flag = 1;
    vm.busy_mark = 1;
    for_cache.key_pc = 0x1234;
    for_cache.key_fp = main_;
    exceptions.last_code = 55;
    const uint32_t module = vm.module;
    const Addr sp = vm.sp, env = vm.env();

    ASSERT_TRUE(run_bcode_bif_nested(445));

    // Three turns of its loop, its handler, then the rest after the handled raise.
    EXPECT_EQ(runs(), 113);
    EXPECT_EQ(vm.pc, interrupted_pc_ + 1);
    EXPECT_EQ(vm.module, module);
    EXPECT_EQ(vm.fp(), main_);
    EXPECT_EQ(vm.sp, sp);
    EXPECT_EQ(vm.env(), env);
    EXPECT_EQ(vm.flag, 1) << "the routine's last compare is false";
    EXPECT_EQ(vm.busy_mark, 1);
    EXPECT_EQ(for_cache.key_pc, 0x1234u);
    EXPECT_EQ(for_cache.key_fp, main_);
    EXPECT_EQ(exceptions.last_code, 55) << "the routine's own raise is its business";
    EXPECT_EQ(vm.stop_flag, 1);
    EXPECT_EQ(vm.nested_floor, 0u);
    EXPECT_EQ(decoded.bif_cursor, interrupted_bif_operands) << "the interrupted bif's operands";

    // It runs again from the same place.
    ASSERT_TRUE(run_bcode_bif_nested(445));
    EXPECT_EQ(runs(), 226);
    EXPECT_EQ(vm.pc, interrupted_pc_ + 1);
}

TEST_F(NestedRun, ARaiseOnlyTheInterruptedFrameHandlesResumesThereAfterTheRun) {
    vm.pc = interrupted_pc_ + 1; // inside line 20's op
    decoded.bif_cursor = interrupted_bif_operands;
    bool resumed = false;
    try {
        run_bcode_bif_nested(446);
    } catch (const ResumeAtHandler&) {
        resumed = true;
    }
    ASSERT_TRUE(resumed);
    EXPECT_EQ(vm.fp(), main_) << "the routine's frame is left";
    EXPECT_NE(vm.pc, interrupted_pc_ + 1) << "main goes on at its handler";
    EXPECT_EQ(load_i32(main_ - frame::exc_code), 88);
    EXPECT_EQ(load_u32(main_ - frame::exc_line) >> 8, 20u) << "the interrupted line";
    EXPECT_EQ(exceptions.last_code, 88);
    EXPECT_EQ(decoded.bif_cursor, interrupted_bif_operands)
        << "put back: the interrupted loop clears it as it goes on at the handler";
    EXPECT_EQ(vm.stop_flag, 1);
    EXPECT_EQ(vm.nested_floor, 0u);
}

TEST_F(NestedRun, NothingRunsWithoutARoutineWithoutArgumentsOrWithoutAFrame) {
    vm.pc = interrupted_pc_;
    const Addr sp = vm.sp;
    EXPECT_FALSE(run_bcode_bif_nested(447)) << "its argument would be read from the op stream";
    EXPECT_FALSE(run_bcode_bif_nested(448)) << "the image has no routine for it";
    EXPECT_EQ(runs(), 0);
    EXPECT_EQ(vm.pc, interrupted_pc_);
    EXPECT_EQ(vm.sp, sp);

    vm.fp() = 0;
    EXPECT_FALSE(run_bcode_bif_nested(445));
    EXPECT_EQ(runs(), 0);
}

} // namespace
} // namespace quillet
