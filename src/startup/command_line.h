// Splitting a command-line text into words, as the engine does for texts it receives whole.
#pragma once

#include <vector>

namespace quillet {

// Cuts s in place into words appended to argv: each space ends a word (two spaces make an empty
// word), double quotes group words. Text before an opening quote inside a word is dropped, and
// an unclosed quote keeps the text after it as the last word. The words point into s.
void split_command_line(char* s, std::vector<char*>& argv);

} // namespace quillet
