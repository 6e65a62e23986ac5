// The FOR/NEXT cache: the loop last stepped, keyed by the pc after its NEXT and the frame. A NEXT
// that finds its own loop in the cache steps with the limit and step read when the cache was
// filled; any other NEXT fills it anew, and every FOR empties it.
#pragma once

#include "interp/interp_state.h"
#include "interp/quick_numbers.h"
#include "values/arena.h"
#include "values/numbers.h"

#include <bit>
#include <type_traits>

namespace quillet {

// Every FOR empties the cache.
inline void forget_for_cache() {
    for_cache.key_pc = for_cache.int_up_pc = 0;
}

// A double stored into a cell straight from its floating-point register, so that a later
// load_double of the cell is forwarded from the store without a move between register files.
QUILLET_HOT_INLINE void store_double(Addr a, double v) {
    *reinterpret_cast<unaligned::f64*>(host_ptr(a)) = v;
}

inline bool loop_done(Cell var, Cell limit, bool step_negative) {
    return step_negative ? num_less(var, limit) : num_less(limit, var);
}

// Decodes the FOR op at head, whose NEXT ends at exit_pc, and fills the cache.
void fill_for_cache(Addr head, Addr exit_pc, Addr fp);

// Steps the cached loop: the loop variable moves by the step; true while the loop goes on.
QUILLET_HOT_INLINE bool step_for_loop() {
    const ForCache& c = for_cache;
    Cell var = load_cell(c.var);
    int32_t v;
    // The integer path gives what num_add and num_less would give whenever the sum cannot
    // overflow; that holds for any integer, not just small ones.
    if (c.how == ForStep::int_up) {
        if (is_int(var) && !__builtin_add_overflow(int_value(var), c.int_step, &v)) {
            store_cell(c.var, num_int(v));
            return v <= c.int_limit;
        }
    } else if (c.how == ForStep::int_down) {
        if (is_int(var) && !__builtin_add_overflow(int_value(var), c.int_step, &v)) {
            store_cell(c.var, num_int(v));
            return v >= c.int_limit;
        }
    }
    Cell next = num_add(var, c.step);
    store_cell(c.var, next);
    return !loop_done(next, c.limit, c.step_negative);
}

// Steps the cached loop inline as step_for_loop does, when the variable's new value is stored as
// computed (quick_arithmetic): true, with whether the loop goes on. False, with the variable
// untouched, when step_for_loop must take the step.
QUILLET_HOT_INLINE bool quick_step_for_loop(bool& goes_on) {
    const ForCache& c = for_cache;
    if (steps_by_double(c.how)) {
        // Read as a double, an integer variable is a NaN, and so is the sum: its first step from
        // an integer start goes the general way. As neither the sum nor the limit is zero or
        // NaN, num_less's order is the order of the numbers.
        double v = load_double(c.var) + c.double_step;
        if (!is_plain_double(std::bit_cast<Cell>(v))) return false;
        store_double(c.var, v);
        goes_on = c.step_negative ? v >= c.double_limit : v <= c.double_limit;
        return true;
    }
    Cell next;
    if (!quick_arithmetic<quick::Add>(load_cell(c.var), c.step, next)) return false;
    store_cell(c.var, next);
    goes_on = c.step_negative ? !quick_less(next, c.limit) : !quick_less(c.limit, next);
    return true;
}

// The loop variable's value in the form a step of its kind uses: a double when it steps by a
// double, else the cell.
template <ForStep how>
using RunningValue = std::conditional_t<steps_by_double(how), double, Cell>;

// The cached loop's step held in locals, for a handler that steps the loop many times while the
// cache stays as it is: the steps of step_for_loop that store the sum as computed, as the integer
// paths and quick_step_for_loop take them, for the cache's kind of step (how). The caller holds
// the variable's value (load_var) and may keep it from one step to the next while nothing else
// writes the variable, so that a step waits for its addition only, not for the store and load
// of the cell.
struct LoopStepper {
    explicit LoopStepper(const ForCache& c)
        : var(c.var), step_negative(c.step_negative), int_limit(c.int_limit), int_step(c.int_step),
          limit(c.limit), step(c.step), double_limit(c.double_limit), double_step(c.double_step) {}

    // Read as a double, an integer variable is a NaN, and so is its sum: the step goes the
    // general way.
    template <ForStep how>
    QUILLET_HOT_INLINE RunningValue<how> load_var() const {
        if constexpr (steps_by_double(how))
            return load_double(var);
        else
            return load_cell(var);
    }

    // Steps from current, the variable's value: stores the new value in the variable and in
    // current, and says whether the loop goes on. False, with both untouched, when step_for_loop
    // must take the step.
    template <ForStep how>
    QUILLET_HOT_INLINE bool quick_step(RunningValue<how>& current, bool& goes_on) const {
        if constexpr (how == ForStep::int_up || how == ForStep::int_down) {
            int32_t v;
            if (!is_int(current) || __builtin_add_overflow(int_value(current), int_step, &v))
                return false;
            current = num_int(v);
            store_cell(var, current);
            goes_on = how == ForStep::int_up ? v <= int_limit : v >= int_limit;
        } else if constexpr (steps_by_double(how)) {
            double sum = current + double_step;
            if (!is_plain_double(std::bit_cast<Cell>(sum))) return false;
            current = sum;
            store_double(var, sum);
            goes_on = how == ForStep::double_up ? sum <= double_limit : sum >= double_limit;
        } else {
            Cell next;
            if (!quick_arithmetic<quick::Add>(current, step, next)) return false;
            current = next;
            store_cell(var, next);
            goes_on = step_negative ? !quick_less(next, limit) : !quick_less(limit, next);
        }
        return true;
    }

    Addr var;
    bool step_negative;
    int32_t int_limit;
    int32_t int_step;
    Cell limit;
    Cell step;
    double double_limit;
    double double_step;
};

} // namespace quillet
