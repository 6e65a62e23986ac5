// Printing windows (object type 5): a print job whose pages the program draws on between the
// page queries, in a slot of the window table (type 4). Also the print methods of every window
// (print its contents, page setup) and the print records the windows keep.
#pragma once

#include "ui/objects/object_request.h"
#include "ui/window_table.h"

#include <memory>

namespace quillet {

inline constexpr int32_t printer_trouble = 9002; // "Trouble using disk or printer."

// The window's print record, made when first needed; none for a free slot. A printing window
// shares the record of the window that was current when it was made.
std::shared_ptr<XvtPrintSetup> print_record_of(WindowRecord& window);

// CREATE of type 5: a printing window in a new slot, its print job started after the print
// dialog (the value appended: 1 started, 0 cancelled).
void create_printing_window(ObjectRequest& request);

// Window methods 10, 11, 17 and 18: print the window's contents, page setup, and the start and
// end of a page of a printing window.
void print_method(int n, ObjectRequest& request);

// FREE of printing window n: ends its print job (the pages finished so far are kept) and frees
// its slot.
void end_printing_window(int n);

} // namespace quillet
