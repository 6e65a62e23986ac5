// Printing windows (object type 5): a print job whose pages the program draws on between the
// page queries, in a slot of the window table (type 4). Also the print methods of every window
// (print its contents, page setup) and the print records the windows keep.
#pragma once

#include "ui/window_table.h"

#include <memory>

namespace quillet {

inline constexpr int32_t printer_trouble = 9002; // "Trouble using disk or printer."

// The window's print record, made when first needed; none for a free slot. A printing window
// shares the record of the window that was current when it was made.
std::shared_ptr<XvtPrintSetup> print_record_of(WindowRecord& window);

// Ends the print job of printing window n (the pages finished so far are kept) and frees its
// slot.
void end_printing_window(int n);

// Fills the object hooks of printing windows and the print methods.
void install_printing_windows();

} // namespace quillet
