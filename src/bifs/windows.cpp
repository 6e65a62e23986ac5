// The window bifs of the system family and the key wait: text at a character cell, font
// measures, the key wait and key test.
#include "bifs/install_bifs.h"
#include "interp/operands.h"
#include "ui/keys_and_mouse.h"
#include "ui/text_cells.h"
#include "values/strings.h"

#include <string>

namespace quillet {
namespace {

void print_at_cell() {
    int32_t r = int_operand();
    int32_t c = int_operand();
    std::string text(str_view(load_u32(str_operand())));
    quillet::print_at_cell(r, c, text);
}

void font_measure() {
    int32_t w = int_operand();
    int32_t k = int_operand();
    std::string text(str_view(load_u32(str_operand())));
    Addr result = num_operand();
    num_set_int(result, quillet::font_measure(w, k, text));
}

void key_wait() {
    num_operand(); // taken and left alone
    Addr result = num_operand();
    num_set_int(result, quillet::key_wait());
}

void key_test() {
    set_int_operand(quillet::key_test() ? 1 : 0);
}

} // namespace

void install_window_bifs(BifTable& t) {
    t.install(bif::print_at_cell, print_at_cell);
    t.install(bif::print_at_cell_alt, print_at_cell);
    t.install(bif::font_measure, font_measure);
    t.install(bif::key_wait, key_wait);
    t.install(bif::key_test, key_test);
}

} // namespace quillet
