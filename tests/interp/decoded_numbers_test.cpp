// Random mixed arithmetic run twice through the real engine: once with decoded ops (their inline
// number paths) and once with every op from the op stream (the primitives of values/numbers.h).
// Operands are integers near the 32-bit limits, doubles of every size, zero and negative zero,
// subnormals, infinity and NaN, in every operand form the decoded handlers have (literals,
// locals, reference and value parameters through call plans, the environment, FOR loops whose
// one-op body runs in the for_next's handler). Both runs must
// leave every result, its form, every raised error and every array element bit for bit alike.
// A second program calls routines in every way the decoded call ops build frames (quick calls of
// each count of value and reference parameters, in mixed orders, strings, arrays, recursion, raises
// caught in the caller, another module, the environment) and must leave the whole arena alike both
// ways.
#include "assembler.h"
#include "bcode/byte_reader.h"
#include "bcode/image.h"
#include "bcode/trailer.h"
#include "bifs/install_bifs.h"
#include "interp/decoded_ops.h"
#include "interp/fatal.h"
#include "interp/native_routines.h"
#include "interp/op_loop.h"
#include "interp/registers.h"
#include "interp/routine_plans.h"
#include "startup/image_loader.h"
#include "startup/program_start.h"
#include "values/arrays.h"
#include "values/memory.h"
#include "values/numbers.h"

#include <array>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace quillet {
namespace {

constexpr int32_t case_count = 1500;
constexpr int32_t element_count = 8;

// The ops that take two numbers: the arithmetic ones store a result, the comparisons set the flag.
struct TwoOperandOp {
    const char* name;
    bool compares;
};
constexpr TwoOperandOp two_operand_ops[] = {
    {"add", false},   {"sub", false},   {"mul", false},   {"div", false},
    {"num_eq", true}, {"num_gt", true}, {"num_ge", true},
};

std::string bits(Cell c) {
    char text[32];
    std::snprintf(text, sizeof text, "bits 0x%016" PRIX64, c);
    return text;
}

// Numbers where the forms and the normalization part ways.
class NumberSource {
public:
    explicit NumberSource(uint64_t seed) : random_(seed) {}

    Cell any() {
        switch (below(6)) {
        case 0: return num_int(int32_t(pick(edge_ints)));
        case 1: return num_int(int32_t(random_()));
        case 2: // a few steps either side, wrapping round the 32-bit range
            return num_int(int32_t(uint32_t(pick(edge_ints)) + uint32_t(below(9)) - 4u));
        case 3: return std::bit_cast<Cell>(pick(edge_doubles));
        case 4: return std::bit_cast<Cell>(near_integer());
        default: return any_double();
        }
    }

    // A plain double of any magnitude and sign.
    Cell any_double() {
        uint64_t exponent = 1 + below(2046);
        return (random_() & 0x800FFFFFFFFFFFFFull) | exponent << 52;
    }

    double near_integer() {
        double whole = double(int64_t(random_() % 0x200000000ull) - 0x100000000ll);
        return whole + pick(fractions);
    }

    uint64_t below(uint64_t n) { return random_() % n; }

    template <typename T, size_t N>
    T pick(const T (&values)[N]) {
        return values[below(N)];
    }

    // Integral values become integer form where they fit, half of the time.
    Cell number(double d) {
        if (d == std::trunc(d) && std::fabs(d) <= 2147483647.0 && below(2))
            return num_int(int32_t(d));
        return std::bit_cast<Cell>(d);
    }

private:
    static constexpr int64_t edge_ints[] = {
        0,          1,           -1,         2,           -2,
        7,          46340,       -46341,     92681,       92680,
        -92681,     65536,       65535,      2147483647,  -2147483647 - 1,
        2147483646, -2147483647, 1073741824, -1073741824, 100000,
    };
    static constexpr double edge_doubles[] = {
        0.5,
        -0.5,
        1.5,
        -2.5,
        2147483648.0,
        2147483647.0,
        -2147483648.0,
        -2147483649.0,
        4294967296.0,
        0.0,
        -0.0,
        1e308,
        -1e308,
        std::numeric_limits<double>::max(),
        std::numeric_limits<double>::min(),
        -std::numeric_limits<double>::min(),
        std::numeric_limits<double>::denorm_min(),
        -std::numeric_limits<double>::denorm_min(),
        2.2250738585072014e-308 * 0.75,
        1e-300,
        std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN(),
        -std::numeric_limits<double>::quiet_NaN(),
        1.0000000000000002,
        0.9999999999999999,
        1e15 + 0.5,
        9007199254740993.0,
    };
    static constexpr double fractions[] = {0.0, 0.5, -0.5, 0.25, 0.4999999999999999, 1e-9};

    std::mt19937_64 random_;
};

// A program of case_count cases in one protected block: each case stores its result in out(k),
// a second value in aux(k), and the handler stores the code of anything a case raises in
// errs(k) and goes on at the next case's line.
class ProgramWriter {
public:
    // op_step_divisor: ops between pumps, 0 to keep the default.
    ProgramWriter(uint64_t seed, int32_t op_step_divisor)
        : numbers_(seed), op_step_divisor_(op_step_divisor) {}

    std::string write() {
        std::string n = std::to_string(case_count);
        text_ = "module main\n"
                "  routine main name \"Main program\"\n"
                "    local num r\n    local num x\n    local num y\n    local num idx\n"
                "    local num code\n    local num count\n    local num v\n"
                "    local numarr out (1 to " +
                n + ")\n    local numarr aux (1 to " + n + ")\n    local numarr errs (1 to " + n +
                ")\n    local numarr vals (1 to " + std::to_string(element_count) +
                ")\n    reserve num e, num f\n    line 1\n    when\n";
        if (op_step_divisor_)
            line("bif set_op_step_divisor " + std::to_string(op_step_divisor_) + ", v");
        for (int32_t k = 1; k <= case_count; ++k) {
            line("line " + std::to_string(k + 1));
            line("move " + std::to_string(k) + ", idx");
            switch (numbers_.below(13)) {
            case 0: for_case(k); break;
            case 1: element_case(); break;
            case 2: one_op_loop_case(k); break;
            case 3: landing_case(k); break;
            default: two_operand_case(k); break;
            }
            line("num_elem1 out, idx, e");
            line("move r, e");
        }
        line("line " + std::to_string(case_count + 2));
        text_ += "    jump after\n    use\n    gosub_block handler_part\n    jump after\n"
                 "  handler_part:\n    handler\n    bif exception_code code\n"
                 "    num_elem1 errs, idx, e\n    move code, e\n    bif continue_next\n"
                 "    end_handler\n  after:\n    end_unit 0\n";
        for (const TwoOperandOp& op : two_operand_ops)
            routines(op);
        text_ += "end\n";
        return text_;
    }

private:
    void line(const std::string& statement) { text_ += "    " + statement + "\n"; }
    void label(const std::string& name) { text_ += "  " + name + ":\n"; }

    // The op on a and b into result; a comparison stores its flag as 1 or 0, branching on it
    // with either jump.
    void apply(const TwoOperandOp& op, const std::string& a, const std::string& b,
               const std::string& result, const std::string& unique) {
        if (!op.compares) {
            line(std::string(op.name) + " " + a + ", " + b + ", " + result);
            return;
        }
        bool on_true = numbers_.below(2);
        line(std::string("move ") + (on_true ? "1, " : "0, ") + result);
        line(std::string(op.name) + " " + a + ", " + b);
        line((on_true ? "jump_if_true no_" : "jump_if_false no_") + unique);
        line(std::string("move ") + (on_true ? "0, " : "1, ") + result);
        label("no_" + unique);
    }

    // A jump that lands on the jump_if_true after a compare, with the flag of another compare:
    // twice, the first time false. A second jump reads the flag the first compare left (the flag
    // was true before it). The rounds in out.
    void landing_case(int32_t k) {
        std::string unique = std::to_string(k), limit = numbers_.below(2) ? "2" : "2.5";
        line("num_eq 0, 0");
        line("move 0, count");
        line("num_ge count, " + limit);
        label("land_" + unique);
        line("jump_if_true out_" + unique);
        line("jump_if_true out_" + unique);
        line("add count, 1, count");
        line("num_ge count, " + limit);
        line("jump land_" + unique);
        label("out_" + unique);
        line("move count, r");
    }

    void two_operand_case(int32_t k) {
        const TwoOperandOp& op = numbers_.pick(two_operand_ops);
        std::string a = bits(numbers_.any()), b = bits(numbers_.any()), unique = std::to_string(k);
        line("move " + a + ", x");
        line("move " + b + ", y");
        switch (numbers_.below(8)) {
        case 0: apply(op, a, b, "r", unique); break;
        case 1: apply(op, "x", b, "r", unique); break;
        case 2: apply(op, "x", "y", "r", unique); break;
        case 3: line(std::string("call ref_") + op.name + " x, y, r"); break;
        case 4: line(std::string("call value_") + op.name + " x, y, r"); break;
        case 5: line(std::string("call pass_") + op.name + " x, y, r"); break;
        case 6:
            line("move x, r");
            line(std::string("call total_") + op.name + " r, y");
            break;
        default: line(std::string("call env_") + op.name); break;
        }
    }

    // A FOR loop of at most a few dozen rounds (a guard ends one whose variable stops moving):
    // its last value in out, its rounds in aux.
    void for_case(int32_t k) {
        static constexpr double steps[] = {1,   2,     3,    -1,           -3,   0.25,
                                           0.5, -0.75, 1e-3, 2147483647.0, 1e300};
        double step = numbers_.pick(steps);
        double start = numbers_.below(3) ? numbers_.near_integer()
                                         : double(int_value(numbers_.any() | 0xFFFFFFFF00000000));
        double limit = start + step * double(numbers_.below(30)) + double(numbers_.below(3)) * 0.3;
        std::string unique = std::to_string(k);
        line("move 0, count");
        label("for_" + unique);
        // Now and then a limit of any kind (NaN, infinity, zero of either sign).
        Cell limit_cell = numbers_.below(6) ? numbers_.number(limit) : numbers_.any();
        line("for_start v, " + bits(numbers_.number(start)) + ", " + bits(limit_cell) + ", " +
             bits(numbers_.number(step)) + ", done_" + unique);
        line("add count, 1, count");
        line("num_gt count, 40");
        line("jump_if_true done_" + unique);
        line("for_next for_" + unique);
        label("done_" + unique);
        line("move v, r");
        line("num_elem1 aux, idx, e");
        line("move count, e");
    }

    // A FOR loop whose whole body is one add, sub or mul (the loop the for_next runs with its body
    // in one handler), of at most a few dozen rounds: a running result of any numbers, or of the
    // loop variable, in out; the variable's last value in aux. Now and then the body's first
    // operand is not its result, or the body moves the variable on by a second step.
    void one_op_loop_case(int32_t k) {
        static constexpr double steps[] = {1, 1, -1, 3, -2, 0.25, -0.5, 1e-3, 2147483647.0, 1e300};
        static constexpr const char* ops[] = {"add", "sub", "mul"};
        double step = numbers_.pick(steps);
        double start = numbers_.below(2) ? numbers_.near_integer()
                                         : double(int_value(numbers_.any() | 0xFFFFFFFF00000000));
        double limit = start + step * double(numbers_.below(30)) + double(numbers_.below(3)) * 0.3;
        std::string unique = std::to_string(k), op = numbers_.pick(ops);
        std::string operand = numbers_.below(3) ? bits(numbers_.any()) : std::string("v");
        line("move " + bits(numbers_.any()) + ", x");
        label("loop_" + unique);
        line("for_start v, " + bits(numbers_.number(start)) + ", " + bits(numbers_.number(limit)) +
             ", " + bits(numbers_.number(step)) + ", done_" + unique);
        switch (numbers_.below(4)) {
        case 0: line(op + " " + operand + ", x, x"); break;
        case 1: line("add v, " + bits(numbers_.number(step)) + ", v"); break;
        default: line(op + " x, " + operand + ", x"); break;
        }
        line("for_next loop_" + unique);
        label("done_" + unique);
        line("move x, r");
        line("num_elem1 aux, idx, e");
        line("move v, e");
    }

    // An element of vals, chosen by an index of either form, grows by a number.
    void element_case() {
        static constexpr double indexes[] = {1, 2, 8, 3.5, 2.4999999, 7.5, 0.5, 0, 9, -1, 1e10};
        line("num_elem1 vals, " + bits(numbers_.number(numbers_.pick(indexes))) + ", f");
        line("add f, " + bits(numbers_.any()) + ", f");
        line("move f, r");
    }

    // Per op: through reference parameters, through value parameters and a reference result,
    // through a routine that passes its own arguments on, and through the environment of main.
    void routines(const TwoOperandOp& op) {
        std::string name = op.name;
        text_ += "\n  routine ref_" + name + "\n    ref num a\n    ref num b\n    ref num out\n";
        apply(op, "a", "b", "out", "ref_" + name);
        line("return");
        text_ +=
            "\n  routine value_" + name + "\n    param num a\n    param num b\n    ref num out\n";
        apply(op, "a", "b", "out", "value_" + name);
        line("return");
        // A running total kept through a reference: op t, b, t.
        text_ += "\n  routine total_" + name + "\n    ref num t\n    param num b\n";
        apply(op, "t", "b", "t", "total_" + name);
        line("return");
        // Arguments passed on from a frame: a local copy, a reference parameter read through
        // as a value, and one passed on as a reference; a raise unwinds both frames.
        text_ += "\n  routine pass_" + name +
                 "\n    param num a\n    ref num b\n    ref num out\n    local num t\n";
        line("move a, t");
        line("call value_" + name + " t, b, out");
        line("call ref_" + name + " out, b, out");
        line("return");
        text_ += "\n  internal env_" + name + " of main\n";
        apply(op, "x", "y", "r", "env_" + name);
        line("return");
    }

    NumberSource numbers_;
    int32_t op_step_divisor_;
    std::string text_;
};

struct RunEnded {};

int last_exit_status = -1; // the status the last run ended with

[[noreturn]] void end_run(int status) {
    last_exit_status = status;
    throw RunEnded{};
}

// main's array slots, in the order declared: out, aux, errs, vals.
constexpr uint32_t first_array_slot = 40;

struct Outcome {
    std::vector<std::vector<Cell>> arrays;
    size_t decoded_runs = 0;
    size_t fused_loops = 0;       // for_next records that run their loop's body
    size_t quick_calls = 0;       // call records built from quick plans
    size_t passing_on = 0;        // of those, the ones that read an argument through a reference
    size_t totals = 0;            // running totals through a reference (op t, x, t)
    size_t compare_jumps[2] = {}; // compares that run the jump_if_false, jump_if_true after them
    uint32_t op_count = 0;        // the ops the run counted, raising ones included
};

// A run bounded to budget ops (0: not bounded) ends at a check point, in whatever frame; its
// outcome is its count of ops alone.
Outcome run(const std::vector<uint8_t>& file, bool decode, uint32_t budget = 0) {
    reset_engine();
    install_bifs();
    native_policy.enabled = false;
    exit_policy.hook = end_run;
    decode_policy.enabled = decode;
    load_image_from(file);
    if (budget) bound_run_to_ops(budget);
    try {
        start_program();
    } catch (const RunEnded&) {
    }
    decode_policy.enabled = true;
    // The program ended in main, whose frame is still in place.
    Outcome outcome;
    outcome.op_count = vm.op_counter;
    if (budget) return outcome;
    outcome.decoded_runs = decoded.runs.size();
    for (const DecodedOp* d : decoded.slot) {
        outcome.fused_loops +=
            d && d->handler >= handler_for_next_add && d->handler <= handler_for_next_mul;
        if (d && d->handler >= handler_num_eq_if_true && d->handler < handler_count)
            ++outcome.compare_jumps[(d->handler - handler_num_eq_if_true + 1) % 2];
        outcome.totals += d && d->handler >= handler_add_total && d->handler <= handler_mul_total;
        if (d && d->handler >= handler_call_quick && d->handler <= handler_call_quick_0_4) {
            ++outcome.quick_calls;
            for (const QuickArg& a : d->plan->quick_args)
                if (a.indirect) {
                    ++outcome.passing_on;
                    break;
                }
        }
    }
    for (uint32_t slot = first_array_slot; slot < first_array_slot + 4 * 8; slot += 8) {
        ArrayBlock a{load_u32(vm.fp() - slot)};
        std::vector<Cell>& cells = outcome.arrays.emplace_back();
        for (int32_t i = 0; i < a.count(); ++i)
            cells.push_back(load_cell(a.element(i)));
    }
    return outcome;
}

std::string describe(Cell c) {
    char text[64];
    if (is_int(c))
        std::snprintf(text, sizeof text, "integer %d", int_value(c));
    else
        std::snprintf(text, sizeof text, "double %.17g (0x%016" PRIX64 ")", double_value(c), c);
    return text;
}

TEST(DecodedNumbers, DecodedOpsGiveWhatTheOpStreamGivesBitForBit) {
    // The last with a pump every few ops, so that check points fall between a compare and the
    // jump it runs.
    for (uint64_t seed : {1u, 2u, 3u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::string source = ProgramWriter(seed, seed == 3 ? 5 : 0).write();
        bcode::Image image = tools::assemble(source, "decoded_numbers.qba");
        std::vector<uint8_t> file = bcode::write_image(image);
        bcode::append_trailer(uint32_t(file.size()), file);

        Outcome reference = run(file, false);
        Outcome decoded_run = run(file, true);
        EXPECT_EQ(reference.decoded_runs, 0u);
        EXPECT_GT(decoded_run.decoded_runs, 0u);
        EXPECT_GT(decoded_run.fused_loops, size_t(case_count / 50));
        EXPECT_GT(decoded_run.quick_calls, size_t(case_count / 50));
        EXPECT_GT(decoded_run.passing_on, 0u);
        EXPECT_GE(decoded_run.totals, 3u); // a routine for each of add, sub and mul, and elements
        EXPECT_GT(decoded_run.compare_jumps[0], size_t(case_count / 50));
        EXPECT_GT(decoded_run.compare_jumps[1], size_t(case_count / 50));
        ASSERT_EQ(reference.arrays.size(), 4u);
        ASSERT_EQ(reference.arrays[0].size(), size_t(case_count));
        ASSERT_EQ(reference.arrays[3].size(), size_t(element_count));

        // The cases reach every outcome: both forms of result and raised errors.
        int ints = 0, doubles = 0, errors = 0;
        for (int32_t k = 0; k < case_count; ++k) {
            Cell error = reference.arrays[2][k];
            errors += error != num_int(0);
            if (error == num_int(0)) (is_int(reference.arrays[0][k]) ? ints : doubles) += 1;
        }
        EXPECT_GT(ints, case_count / 10);
        EXPECT_GT(doubles, case_count / 10);
        EXPECT_GT(errors, 10);

        // Both count every op once, so that the pump and the check points come at the same ops.
        EXPECT_EQ(reference.op_count, decoded_run.op_count);
        // A bounded run stops at the same check point both ways.
        uint32_t budget = reference.op_count / 2 + uint32_t(seed);
        uint32_t bounded = run(file, false, budget).op_count;
        EXPECT_GE(bounded, budget);
        EXPECT_LT(bounded, reference.op_count);
        EXPECT_EQ(bounded, run(file, true, budget).op_count);

        const char* names[] = {"out", "aux", "errs", "vals"};
        for (size_t a = 0; a < 4; ++a)
            for (size_t i = 0; i < reference.arrays[a].size(); ++i)
                ASSERT_EQ(reference.arrays[a][i], decoded_run.arrays[a][i])
                    << names[a] << "(" << i + 1 << "): the op stream gives "
                    << describe(reference.arrays[a][i]) << ", the decoded ops "
                    << describe(decoded_run.arrays[a][i]);
    }
}

// Calls of every form the decoded call ops take. Each routine that snaps writes its own frame's
// header words (frame 4 to frame 32: the links, its module and pc, the exception fields, the
// counts) into main's log, so that what a frame holds while it runs is compared too, not only
// what is left of it.
std::string snap() {
    std::string text;
    for (int offset : {4, 12, 20, 28, 32})
        text += "    add main.at, 1, main.at\n    num_elem1 main.log, main.at, e\n    move frame " +
                std::to_string(offset) + ", e\n";
    return text;
}

// The call program, each SNAP line replaced by snap().
std::string call_program() {
    std::string text = R"(module main
  routine main name "Main program"
    local num i
    local num total
    local num count
    local num r
    local num code
    local num at
    local num p
    local num q
    local num mix
    local num k
    local str s
    local str t
    local str u
    local numarr log (1 to 800)
    local numarr nums (1 to 4)
    local strarr strs (1 to 3)
    local numarr codes (1 to 8)
    reserve num e
    line 1
    when
    line 2
    str_move "text", s
    str_move "other", t
  loop:
    for_start i, 1, 3, 1, done
    call values i, 7, r
    call refs i, total, r
    call passon i, total, r
    call four i, total, 3, count
    call five i, total, 2, count, r
    call noargs
    call single total
    call wide i
    call strings s, t, u
    call arrays nums, strs
    call array_value nums
    call fact i, r
    call inner
    call other.twice i, r
    call v2 i, 5
    call v3 i, 2, total
    call v4 1, i, 3, count
    call r1 p
    call r2 p, q
    call r4 p, q, total, count
    call m31 i, p, 7, count
    call m13 p, q, i, total
    call gosubs i, total
    for_next loop
  done:
    line 3
    call fails 1
    line 4
    call deep 1, r
    line 5
    call lonely
    line 6
    jump after
    use
    gosub_block handler_part
    jump after
  handler_part:
    handler
    bif exception_code code
    add k, 1, k
    num_elem1 codes, k, e
    move code, e
    bif continue_next
    end_handler
  after:
    end_unit 0

  routine values
    param num a
    param num b
    ref num out
    reserve num e
    add a, b, out
    SNAP
    return

  routine refs
    ref num a
    ref num b
    ref num out
    reserve num e
    add a, b, b
    mul a, b, out
    SNAP
    return

  ; Its own arguments passed on: a value read through, a reference passed as a reference.
  routine passon
    param num a
    ref num b
    ref num out
    local num t
    reserve num e
    move a, t
    call values t, b, out
    call refs out, b, out
    SNAP
    return

  routine four
    param num n
    ref num total
    param num k
    ref num count
    local num t
    local num u
    reserve num e
    add n, k, t
    add count, 1, u
    add total, t, total
    move u, count
    SNAP
    return

  routine five
    param num a
    ref num b
    param num c
    ref num d
    ref num out
    reserve num e
    add a, c, out
    add b, out, b
    add d, 1, d
    SNAP
    return

  routine noargs
    local num 3
    local str 2
    reserve num e
    SNAP
    return

  ; Locals of a kind filled one by one, in pairs (noargs above) and in a loop, around the
  ; parameters and under the header.
  routine single
    ref num b
    local num 1
    local str 1
    reserve num e
    SNAP
    return

  routine wide
    param num a
    local num 6
    local str 5
    reserve num e
    SNAP
    return

  ; The plain path: string values, references and results, a fixed-length string.
  routine strings
    param str a
    local str fixed size 20
    ref str b
    result str out
    reserve num e
    concat a, b, out
    str_move out, fixed
    concat b, "!", b
    SNAP
    return

  routine arrays
    ref numarr a
    ref strarr b
    reserve num e, str f
    num_elem1 a, 2, e
    add e, 5, e
    str_elem1 b, 3, f
    concat f, "x", f
    SNAP
    return

  ; A copied array: the call runs through the generic builder.
  routine array_value
    param numarr a
    reserve num e
    num_elem1 a, 1, e
    move 99, e
    SNAP
    return

  routine fact
    param num n
    ref num r
    local num m
    reserve num e
    move 1, r
    num_gt n, 1
    jump_if_false base
    sub n, 1, m
    call fact m, r
    mul r, n, r
  base:
    SNAP
    return

  internal inner of main
    reserve num e
    add total, i, total
    call values total, count, r
    SNAP
    return

  ; Values and references in every count up to four and in mixed orders: each folds its
  ; parameters in the order declared into main's mix, and steps each reference.
  routine v2
    param num a
    param num b
    reserve num e
    mul main.mix, 3, main.mix
    add main.mix, a, main.mix
    mul main.mix, 3, main.mix
    add main.mix, b, main.mix
    SNAP
    return

  routine v3
    param num a
    param num b
    param num c
    reserve num e
    mul main.mix, 3, main.mix
    add main.mix, a, main.mix
    mul main.mix, 3, main.mix
    add main.mix, b, main.mix
    mul main.mix, 3, main.mix
    add main.mix, c, main.mix
    SNAP
    return

  routine v4
    param num a
    param num b
    param num c
    param num d
    reserve num e
    mul main.mix, 3, main.mix
    add main.mix, a, main.mix
    mul main.mix, 3, main.mix
    add main.mix, b, main.mix
    mul main.mix, 3, main.mix
    add main.mix, c, main.mix
    mul main.mix, 3, main.mix
    add main.mix, d, main.mix
    SNAP
    return

  routine r1
    ref num a
    reserve num e
    mul main.mix, 3, main.mix
    add main.mix, a, main.mix
    add a, 1, a
    SNAP
    return

  routine r2
    ref num a
    ref num b
    reserve num e
    mul main.mix, 3, main.mix
    add main.mix, a, main.mix
    add a, 1, a
    mul main.mix, 3, main.mix
    add main.mix, b, main.mix
    add b, 1, b
    SNAP
    return

  routine r4
    ref num a
    ref num b
    ref num c
    ref num d
    reserve num e
    mul main.mix, 3, main.mix
    add main.mix, a, main.mix
    add a, 1, a
    mul main.mix, 3, main.mix
    add main.mix, b, main.mix
    add b, 1, b
    mul main.mix, 3, main.mix
    add main.mix, c, main.mix
    add c, 1, c
    mul main.mix, 3, main.mix
    add main.mix, d, main.mix
    add d, 1, d
    SNAP
    return

  routine m31
    param num a
    ref num b
    param num c
    param num d
    reserve num e
    mul main.mix, 3, main.mix
    add main.mix, a, main.mix
    mul main.mix, 3, main.mix
    add main.mix, b, main.mix
    add b, 1, b
    mul main.mix, 3, main.mix
    add main.mix, c, main.mix
    mul main.mix, 3, main.mix
    add main.mix, d, main.mix
    SNAP
    return

  routine m13
    ref num a
    ref num b
    param num c
    ref num d
    reserve num e
    mul main.mix, 3, main.mix
    add main.mix, a, main.mix
    add a, 1, a
    mul main.mix, 3, main.mix
    add main.mix, b, main.mix
    add b, 1, b
    mul main.mix, 3, main.mix
    add main.mix, c, main.mix
    mul main.mix, 3, main.mix
    add main.mix, d, main.mix
    add d, 1, d
    SNAP
    return

  ; Raises three frames down; main's handler catches it.
  routine fails
    param num n
    local num m
    reserve num e
    SNAP
    num_ge n, 3
    jump_if_true raise
    add n, 1, m
    call fails m
    return
  raise:
    cause 7, "three frames down"
    return

  ; GOSUBs from two places to one subroutine and nested, each return to where it came from.
  routine gosubs
    param num n
    ref num total
    local num m
    reserve num e
    gosub twice
    add total, m, total
    gosub twice
    gosub nested
    SNAP
    return
  twice:
    add m, n, m
    SNAP
    gosub_return
  nested:
    gosub twice
    mul m, 2, m
    gosub_return

  ; A GOSUB return without its GOSUB (10002).
  routine lonely
    reserve num e
    gosub_return
    return

  ; Until the value stack is full (5000 at the call).
  routine deep
    param num n
    ref num r
    local num m
    add n, 1, m
    move m, r
    call deep m, r
    return
end

module other
  routine twice
    param num a
    ref num r
    add a, a, r
    add r, a, r
    return
end
)";
    for (size_t at; (at = text.find("    SNAP\n")) != std::string::npos;)
        text.replace(at, 9, snap());
    return text;
}

// The bound image file of an assembly source.
std::vector<uint8_t> image_file(const std::string& source, const char* name) {
    std::vector<uint8_t> file = bcode::write_image(tools::assemble(source, name));
    bcode::append_trailer(uint32_t(file.size()), file);
    return file;
}

// The arena up to the heap's top and the op count after a run of the call program.
struct CallRun {
    std::vector<std::byte> arena;
    uint32_t op_count = 0;
    std::array<size_t, handler_count> handlers{}; // decoded records by handler
};

CallRun run_calls(const std::vector<uint8_t>& file, bool decode) {
    reset_engine();
    install_bifs();
    native_policy.enabled = false;
    exit_policy.hook = end_run;
    decode_policy.enabled = decode;
    load_image_from(file);
    bound_run_to_ops(1'000'000); // a run that goes astray ends, and the comparison fails
    try {
        start_program();
    } catch (const RunEnded&) {
    }
    decode_policy.enabled = true;
    CallRun run;
    run.op_count = vm.op_counter;
    run.arena.assign(host_ptr(0), host_ptr(0) + heap.top);
    for (const DecodedOp* d : decoded.slot)
        if (d) ++run.handlers[d->handler];
    return run;
}

// The decoded run counted the same ops and left the arena byte for byte as the op stream did.
void expect_same_runs(const CallRun& reference, const CallRun& decoded_run) {
    EXPECT_EQ(reference.op_count, decoded_run.op_count);
    ASSERT_EQ(reference.arena.size(), decoded_run.arena.size());
    for (size_t i = 0; i < reference.arena.size(); ++i)
        ASSERT_EQ(reference.arena[i], decoded_run.arena[i])
            << "arena byte " << i << " (value stack from " << vm.stack_base << ")";
}

TEST(DecodedNumbers, DecodedCallsBuildWhatTheOpStreamBuilds) {
    std::vector<uint8_t> file = image_file(call_program(), "decoded_calls.qba");
    CallRun reference = run_calls(file, false);
    CallRun decoded_run = run_calls(file, true);

    // Every form of call ran decoded: the plain one, the counted quick one, and the quick one of
    // each count of values and of references.
    for (Handler h :
         {handler_call, handler_call_quick, handler_return, handler_gosub, handler_gosub_return})
        EXPECT_GT(decoded_run.handlers[h], 0u) << "handler " << int(h);
    for (int h = handler_call_quick_0_0; h <= handler_call_quick_0_4; ++h)
        EXPECT_GT(decoded_run.handlers[h], 0u) << "quick call form " << h - handler_call_quick_0_0;
    // main ended at line 6 after its handler caught the raise three frames down, the full stack
    // and the GOSUB return without its GOSUB: the codes are in codes (the fourth array slot
    // after log, nums, strs).
    ArrayBlock codes{load_u32(vm.fp() - frame::header - 8 * 7)};
    ASSERT_EQ(codes.count(), 8);
    EXPECT_EQ(load_cell(codes.element(0)), num_int(7));
    EXPECT_EQ(load_cell(codes.element(1)), num_int(5000));
    EXPECT_EQ(load_cell(codes.element(2)), num_int(err::return_without_gosub));

    expect_same_runs(reference, decoded_run);
}

// Bifs in decoded runs: numeric and string operands, literals, operands through references and
// in the environment, an array operand (read from the op stream), bifs numbered above 255, bifs
// that raise (code and line logged by the handler), bifs that fall back to the op stream's
// reading, a FOR loop of bifs only, and a pump every 7 ops. Each LOG line appends a number to
// main's log, each TEXT line a string to its texts.
std::string bif_program() {
    std::string text = R"(module main
  routine main name "Main program"
    local num i
    local num k
    local num j
    local num n
    local num x
    local num y
    local num q
    local num r
    local num code
    local num at
    local num c10
    local num c11
    local num c12
    local str s
    local str t
    local str u
    local numarr log (1 to 600)
    local strarr texts (1 to 100)
    local numarr a (1 to 5)
    reserve num e, str f
    line 1
    bif set_op_step_divisor 7, x
    str_move "the quick brown fox jumps over the lazy dog ", s
  loop:
    for_start i, 1, 12, 1, done
    line 2
    bif pos s, "o", i, r
    LOG r
    mul i, 0.37, x
    bif floor x, r
    LOG r
    bif round x, r
    LOG r
    bif ldexp x, i, r
    LOG r
    bif double_to_bytes x, u
    bif bytes_to_double u, y
    LOG y
    bif string_length u, r
    LOG r
    bif upper_case s, u
    TEXT u
    substr s, i, 40, t
    bif lower_case t, u
    TEXT u
    bif number_to_string i, u
    TEXT u
    bif string_to_number u, r
    LOG r
    bif array_size_numeric a, 0, r
    LOG r
    bif minus_one r
    LOG r
    bif cpos s, "xyz", i, r
    LOG r
    call through s, i, r
    LOG r
    gosub_block guarded
  tight:
    for_start n, 1, 3, 1, tight_done
    bif pos s, "the", n, r
    for_next tight
  tight_done:
    LOG r
    for_next loop
  done:
    line 3
    num_eq c10, 1
    jump_if_false wrong
    num_eq c11, 6
    jump_if_false wrong
    num_eq c12, 5
    jump_if_false wrong
    end_unit 0
  wrong:
    cause 99, "the raises were not reported with their codes and lines"

  guarded:
    when
    line 10
    sub i, 6, x
    bif divmod 100, x, q, r
    LOG q
    LOG r
    line 11
    div i, 6, x
    bif asin x, r
    LOG r
    line 12
    substr s, 1, i, t
    bif bytes_to_double t, r
    LOG r
    line 13
    block_return
    use
    handler
    bif exception_code code
    bif exception_line at
    LOG code
    LOG at
    mul code, 100, x
    add x, at, x
    num_eq x, 300110
    jump_if_false not10
    add c10, 1, c10
  not10:
    num_eq x, 300711
    jump_if_false not11
    add c11, 1, c11
  not11:
    num_eq x, -401988
    jump_if_false not12
    add c12, 1, c12
  not12:
    block_return
    end_handler

  ; The bifs' operands through references, and the program's variables through the environment.
  routine through
    ref str text
    param num from
    ref num out
    local num m
    reserve num e, str f
    bif pos text, "fox", from, out
    bif string_length text, m
    add m, out, out
    bif pos main.s, "dog", from, m
    add m, out, out
    return
end
)";
    auto expand = [&text](std::string_view word, const std::string& lines) {
        for (size_t at; (at = text.find(word)) != std::string::npos;) {
            size_t end = text.find('\n', at);
            std::string operand = text.substr(at + word.size(), end - at - word.size());
            std::string body = lines;
            for (size_t v; (v = body.find("VALUE")) != std::string::npos;)
                body.replace(v, 5, operand);
            text.replace(at, end - at, body);
        }
    };
    expand("LOG ", "add main.k, 1, main.k\n    num_elem1 main.log, main.k, e\n    move VALUE, e");
    expand("TEXT ",
           "add main.j, 1, main.j\n    str_elem1 main.texts, main.j, f\n    str_move VALUE, f");
    return text;
}

// add, sub and mul at the same places on operands whose kinds change from round to round: two
// doubles, a double and an integer either way round, two integers, results that are zero,
// subnormal, past the largest double or NaN, and two doubles whose bits together look like an
// integer's. A record that ran with one pair of kinds runs a handler made for them the next
// time, and must leave it whenever the kinds or the result do not fit it. Each result goes to
// out, and each raise's code too (the handler goes on at the next line); each round ends with an
// element of xs, past its end after the first 20 rounds (a raise in main's own frame).
std::string changing_kinds_program() {
    // Each kind comes in a run of rounds, so that the records run their paired handlers.
    static const char* const pairs[][2] = {{"1.5", "2.25"},
                                           {"bits 0x400E000000000000", "-1.5"},
                                           {"2.5", "3"},
                                           {"0.5", "-3"},
                                           {"1.25", "8"},
                                           {"7", "0.5"},
                                           {"-2", "0.25"},
                                           {"6", "-2.5"},
                                           {"4", "5"},
                                           {"2147483647", "1"},
                                           {"1.5", "2.5"},
                                           {"2.5", "2.5"},
                                           {"1e308", "1e308"},
                                           {"1e-300", "1e-300"},
                                           {"bits 0xFFFF000000000001", "bits 0x0000FFFF00000000"},
                                           {"3.5", "-0.75"},
                                           {"-1e300", "1e300"},
                                           {"9.5", "2"},
                                           {"0.1", "0.2"},
                                           {"-7", "-9"}};
    std::string fill, log_r = "    add n, 1, n\n    num_elem1 out, n, e\n    move r, e\n";
    int k = 0;
    for (const auto& pair : pairs) {
        ++k;
        fill += "    num_elem1 xs, " + std::to_string(k) + ", e\n    move " + pair[0] + ", e\n";
        fill += "    num_elem1 ys, " + std::to_string(k) + ", e\n    move " + pair[1] + ", e\n";
    }
    std::string body;
    int line = 10;
    for (const char* op : {"add", "sub", "mul"}) {
        body += "    line " + std::to_string(line++) + "\n    " + op + " a, b, r\n" + log_r;
        // The same op as a running total through a reference, from a routine.
        body += "    line " + std::to_string(line++) + "\n    move a, r\n    call total_" + op +
                " r, b\n" + log_r;
    }
    std::string text = "module main\n  routine main name \"Main program\"\n"
                       "    local num k\n    local num a\n    local num b\n    local num r\n"
                       "    local num n\n    local num code\n"
                       "    local numarr xs (1 to " +
                       std::to_string(k) + ")\n    local numarr ys (1 to " + std::to_string(k) +
                       ")\n    local numarr out (1 to 800)\n    reserve num e\n    line 1\n" +
                       fill + "    when\n    line 2\n  loop:\n    for_start k, 1, " +
                       std::to_string(3 * k) +
                       ", 1, done\n"
                       "    sub k, 1, a\n    bif divmod a, " +
                       std::to_string(k) +
                       ", b, a\n    add a, 1, a\n"
                       "    num_elem1 xs, a, e\n    move e, r\n    num_elem1 ys, a, e\n"
                       "    move e, b\n    move r, a\n" +
                       body +
                       "    line 29\n    num_elem1 xs, k, e\n    line 30\n    for_next loop\n  "
                       "done:\n    line 40\n    num_elem1 out, 800, e\n"
                       "    move n, e\n    jump after\n"
                       "    use\n    gosub_block handler_part\n    jump after\n"
                       "  handler_part:\n    handler\n    bif exception_code code\n"
                       "    add n, 1, n\n    num_elem1 out, n, e\n    move code, e\n"
                       "    bif continue_next\n    end_handler\n  after:\n    end_unit 0\n";
    for (const char* op : {"add", "sub", "mul"})
        text += "\n  routine total_" + std::string(op) + "\n    ref num t\n    param num b\n    " +
                op + " t, b, t\n    " + op + " t, b, t\n    return\n";
    return text + "end\n";
}

TEST(DecodedNumbers, ArithmeticOnChangingKindsGivesWhatTheOpStreamGives) {
    std::vector<uint8_t> file = image_file(changing_kinds_program(), "changing_kinds.qba");
    CallRun reference = run_calls(file, false);
    EXPECT_EQ(last_exit_status, 0);
    CallRun decoded_run = run_calls(file, true);
    EXPECT_EQ(last_exit_status, 0);
    EXPECT_GT(decoded_run.handlers[handler_add_total], 0u);

    // Every round logged its six results, and some ops raised (overflow) and logged the code.
    ArrayBlock out{load_u32(vm.fp() - frame::header - 8 * 3)};
    ASSERT_EQ(out.count(), 800);
    int32_t logged = int_value(load_cell(out.element(799))); // main's count, n
    // A raise logs its code in place of the result (the handler goes on at the next line).
    EXPECT_EQ(logged, 60 * 6 + 40);
    int overflows = 0, subscripts = 0;
    for (int32_t i = 0; i < logged; ++i) {
        overflows += load_cell(out.element(i)) == num_int(err::overflow);
        subscripts += load_cell(out.element(i)) == num_int(err::subscript_range);
    }
    EXPECT_EQ(subscripts, 40);
    int doubles = 0, ints = 0;
    for (int32_t i = 0; i < logged; ++i)
        (is_int(load_cell(out.element(i))) ? ints : doubles) += 1;
    EXPECT_GT(doubles, 100);
    EXPECT_GT(ints, 30);
    EXPECT_GT(overflows, 6);

    expect_same_runs(reference, decoded_run);
}

// One routine's code run under two modules: other.r called as usual, and the same code entered
// from main through a routine entry of main's own (made so by hand below: no assembler writes
// one), where its operands read main's tables. Each run of r adds to the variables its operand
// indices name in the module it runs under.
std::string two_module_program() {
    return R"(module main
  routine main name "Main program"
    local num i
    local num x
    local num y
    move 0, i
    move 0, x
    move 0, y
  loop:
    for_start i, 1, 5, 1, done
    call other.r x
    call main.decoy y
    call other.r x
    for_next loop
  done:
    end_unit 0

  routine decoy
    ref num v
    return
end

module other
  routine r
    ref num v
    add v, 5, v
    add v, v, v
    return
end
)";
}

// The image of the two-module program with main's entry of decoy made to lead to other.r.
std::vector<uint8_t> two_module_image_file() {
    std::vector<uint8_t> file =
        bcode::write_image(tools::assemble(two_module_program(), "two.qba"));
    bcode::ImageLayout layout = bcode::validate_image(file);
    auto u16 = [&](size_t at) { return bcode::get_u16le(&file[at]); };
    size_t main_base = layout.module_offsets[0] + bcode::module_base_offset;
    size_t other_base = layout.module_offsets[1] + bcode::module_base_offset;
    size_t routines = main_base + u16(main_base + 2 * bcode::table_routines);
    // main's entries: other.r (module 1) and decoy (module 0).
    size_t r_entry = routines, decoy_entry = routines + 4;
    if (u16(r_entry + 2) != 1) std::swap(r_entry, decoy_entry);
    EXPECT_EQ(u16(r_entry + 2), 1);
    EXPECT_EQ(u16(decoy_entry + 2), 0);
    size_t offset = other_base + u16(r_entry) - main_base;
    file[decoy_entry] = uint8_t(offset);
    file[decoy_entry + 1] = uint8_t(offset >> 8);
    bcode::append_trailer(uint32_t(file.size()), file);
    return file;
}

TEST(DecodedNumbers, CodeRunUnderTwoModulesReadsTheOperandsOfEach) {
    std::vector<uint8_t> file = two_module_image_file();
    CallRun reference = run_calls(file, false);
    EXPECT_EQ(last_exit_status, 0);
    CallRun decoded_run = run_calls(file, true);
    EXPECT_EQ(last_exit_status, 0);
    // x went through r as written, (x + 5) * 2 twice a round for five rounds; main's numeric
    // locals lie at the bottom of its frame, i first.
    int32_t x = 0;
    for (int k = 0; k < 10; ++k)
        x = (x + 5) * 2;
    EXPECT_EQ(load_cell(vm.sp + 4 + 8), num_int(x));

    expect_same_runs(reference, decoded_run);
}

TEST(DecodedNumbers, DecodedBifsDoWhatTheOpStreamDoes) {
    std::vector<uint8_t> file = image_file(bif_program(), "decoded_bifs.qba");
    CallRun reference = run_calls(file, false);
    EXPECT_EQ(last_exit_status, 0);
    CallRun decoded_run = run_calls(file, true);
    EXPECT_EQ(reference.handlers[handler_bif] + reference.handlers[handler_bif_high], 0u);
    EXPECT_GE(decoded_run.handlers[handler_bif], 15u);
    EXPECT_GE(decoded_run.handlers[handler_bif_high], 3u); // minus_one and the handler's two

    // Both runs went round the whole loop and ended at main's end: the handler counted the
    // three raises by code and line (divmod by zero at line 10 once, asin beyond 1 at line 11
    // six times, eight bytes expected at line 12 five times), and main checked the counts.
    EXPECT_EQ(last_exit_status, 0);
    expect_same_runs(reference, decoded_run);
}

// A bounded run ends within one check interval of its budget, both ways of running, whatever the
// program does between check points: here it sets an op-step divisor far beyond the budget on
// every round (each call out of the loop reloads its count of ops to the next check point).
// Unbounded, the program would run a million ops.
TEST(DecodedNumbers, ABoundedRunEndsAtItsBudgetWhenEveryRoundSetsTheDivisor) {
    const char* source = R"(module main
  routine main
    local num i
    local num old
  again:
    for_start i, 1, 500000, 1, done
    bif set_op_step_divisor 2147483647, old
    for_next again
  done:
    end_unit 0
end
)";
    bcode::Image image = tools::assemble(source, "bounded_run.qba");
    std::vector<uint8_t> file = bcode::write_image(image);
    bcode::append_trailer(uint32_t(file.size()), file);
    for (bool decode : {false, true}) {
        SCOPED_TRACE(decode ? "decoded" : "op stream");
        reset_engine();
        install_bifs();
        exit_policy.hook = end_run;
        decode_policy.enabled = decode;
        load_image_from(file);
        bound_run_to_ops(16000);
        bool ended = false;
        try {
            start_program();
        } catch (const RunEnded&) {
            ended = true;
        }
        decode_policy.enabled = true;
        EXPECT_TRUE(ended);
        EXPECT_GE(vm.op_counter, 16000u);
        EXPECT_LE(vm.op_counter, 16000u + 320u);
    }
}

} // namespace
} // namespace quillet
