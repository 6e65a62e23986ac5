#include "interp/program_arguments.h"

namespace quillet {

std::string command_line_text() {
    if (program_arguments.chained_text) return *program_arguments.chained_text;
    std::string text = program_arguments.name;
    text += '\0';
    for (const std::string& word : program_arguments.words) {
        text += word;
        text += '\0';
    }
    return text;
}

} // namespace quillet
