// Printing lines of text: one print job of as many pages as the lines need, in the current
// window's font, after the print dialog.
#pragma once

#include <string>
#include <vector>

namespace quillet {

inline constexpr int32_t printer_trouble = 9002; // "Trouble using disk or printer."

// Runs the print dialog for the current window; when it is accepted prints the lines one per
// line from the top of each page, a line whose first character is a form feed ending the page
// unprinted. Raises 9002 when the job cannot be run; a cancelled dialog prints nothing.
void print_lines(const std::vector<std::string>& lines);

// Forgets the print setup chosen so far.
void reset_print_lines();

} // namespace quillet
