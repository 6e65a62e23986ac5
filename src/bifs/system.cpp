// System services: the command-line text.
#include "bifs/install_bifs.h"
#include "interp/operands.h"
#include "interp/program_arguments.h"
#include "values/strings.h"

namespace quillet {

namespace {

void command_line() {
    str_set(str_operand(), command_line_text());
}

} // namespace

void install_system_bifs(BifTable& t) {
    t.install(bif::command_line, command_line);
}

} // namespace quillet
