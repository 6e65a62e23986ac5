// Bif 496, the serial ports: one selector for open, select, options, write, read, status, find,
// break and close, over the port table of devices/serial_ports.h.
#include "bifs/install_bifs.h"
#include "devices/serial_ports.h"
#include "interp/operands.h"
#include "values/strings.h"

namespace quillet {
namespace {

inline constexpr int32_t illegal_selector = -963;

std::string_view text_of(Addr cell) {
    return str_view(load_u32(cell));
}

int32_t int_of(Addr cell) {
    return num_to_int32(load_cell(cell));
}

void serial_call() {
    int32_t selector = int_operand();
    Addr a = num_operand();
    Addr b = num_operand();
    Addr s = str_operand();
    switch (selector) {
    case 0: return serial_open(int_of(a), int_of(b), text_of(s));
    case 1: return serial_select(int_of(a));
    case 2: return serial_set_options(text_of(s));
    case 3: return num_set_int(a, serial_write(text_of(s)));
    case 4: return str_set(s, serial_read(int_of(a)));
    case 5: return num_set_int(a, serial_status(text_of(s), int_of(b)));
    case 6: return num_set_int(a, serial_find(text_of(s)));
    case 7: return serial_break();
    case 8: return serial_close(int_of(a));
    default: raise_error(illegal_selector);
    }
}

} // namespace

void install_serial_bifs(BifTable& t) {
    t.install(bif::serial_call, serial_call);
}

} // namespace quillet
