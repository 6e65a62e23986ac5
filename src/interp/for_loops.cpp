#include "interp/for_loops.h"

#include "interp/op_stream.h"

namespace quillet {

void fill_for_cache(Addr head, Addr exit_pc, Addr fp) {
    Addr p = head + 1;
    ForCache& c = for_cache;
    c.key_pc = exit_pc;
    c.key_fp = fp;
    c.var = fetch_num(p);
    fetch_descriptor(p, vm.num_operands); // the start value
    c.limit = load_cell(fetch_num(p));
    c.step = load_cell(fetch_num(p));
    skip_number(p); // the FOR's own offset
    c.body_pc = p;
    c.step_negative = num_is_negative(c.step);
    if (both_int(c.step, c.limit))
        c.how = c.step_negative ? ForStep::int_down : ForStep::int_up;
    else if (is_plain_double(c.step) && (is_int(c.limit) || is_plain_double(c.limit)))
        c.how = c.step_negative ? ForStep::double_down : ForStep::double_up;
    else
        c.how = ForStep::general;
    c.int_up_pc = c.how == ForStep::int_up ? exit_pc : 0;
    c.int_limit = int_value(c.limit);
    c.int_step = int_value(c.step);
    c.double_limit = num_to_double(c.limit);
    c.double_step = double_value(c.step);
}

} // namespace quillet
