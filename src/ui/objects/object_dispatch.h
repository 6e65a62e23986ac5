// The one entry of both object bifs: CREATE by the type in the first numeric value, every other
// method by the class that the ID's range names.
#pragma once

#include "ui/objects/object_request.h"

namespace quillet {

// Object methods by number.
namespace object_method {
inline constexpr int32_t create = 0, copy = 1, set = 2, get = 3, show = 4, hide = 5, free = 6,
                         select = 7, redraw = 8, sys_info = 9, print = 10, page_setup = 11,
                         load_palette = 12, scroll = 13, quit_allow = 14, quit_refuse = 15,
                         nothing = 16, print_start_page = 17, print_end_page = 18,
                         first_text_edit = 20, last_text_edit = 26, end_routine_call = 99;
} // namespace object_method

// CREATE types (the first numeric value of CREATE).
namespace create_type {
inline constexpr int32_t graphic = 0, window = 1, control = 2, menu = 3, group = 4,
                         printing_window = 5;
} // namespace create_type

// Runs the request's method; errors are raised as the program's errors, and what was done
// before one stays done.
void object_call(ObjectRequest& request);

} // namespace quillet
