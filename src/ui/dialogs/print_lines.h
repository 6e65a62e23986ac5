// Printing lines of text: one print job of as many pages as the lines need, in the current
// window's font, after the print dialog.
#pragma once

#include <string>
#include <vector>

namespace quillet {

// Runs the print dialog on the current window's print record; when it is accepted prints the
// lines one per line from the top of each page, a line whose first character is a form feed
// ending the page unprinted. Raises 9002 when the job cannot be run; a cancelled dialog prints
// nothing.
void print_lines(const std::vector<std::string>& lines);

} // namespace quillet
