// Bifs about the running process: the command-line text.
#include "interp/bif_dispatch.h"
#include "interp/operands.h"
#include "interp/program_arguments.h"
#include "values/strings.h"

namespace quillet {

std::string command_line_text() {
    std::string text = program_arguments.name;
    text += '\0';
    for (const std::string& word : program_arguments.words) {
        text += word;
        text += '\0';
    }
    return text;
}

namespace {

void command_line() { // 106
    str_set(str_operand(), command_line_text());
}

} // namespace

void install_process_bifs(BifTable& t) {
    t.native[106] = command_line;
}

} // namespace quillet
