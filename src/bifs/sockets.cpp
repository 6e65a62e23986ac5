// The socket bif (506): operations 0 to 9 over the sockets of the devices layer. Integer
// arguments come in a numeric array; a new socket is handed back as its only element.
#include "devices/sockets.h"

#include "bifs/install_bifs.h"
#include "bifs/string_read_target.h"
#include "interp/operands.h"
#include "values/arrays.h"
#include "values/record_hold.h"
#include "values/split_join.h"
#include "values/strings.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace quillet {
namespace {

// Elements each operation needs in the array; -1: none checked.
constexpr std::array<int32_t, 10> values_needed = {3, 1, 2, 1, 1, 1, 1, 1, -1, 3};

int32_t value(Addr block, int32_t i) {
    return num_to_int32(load_cell(ArrayBlock{block}.element(i)));
}

// The socket address: the bytes of data before the first list delimiter.
std::string_view address_of(Addr data) {
    std::string_view text = str_view(load_u32(data));
    return text.substr(0, text.find(list_syntax.delimiter));
}

// The array redimensioned to one element (each dimension keeps its lower bound) holding n.
void return_socket(Addr array_cell, int32_t n) {
    ArrayBlock a{load_u32(array_cell)};
    int32_t dimensions = a.dimensions();
    Addr bounds = str_new(8 * dimensions);
    for (int32_t d = 0; d < dimensions; ++d) {
        uint32_t lower = uint32_t(a.lower_bound(d));
        std::array<uint8_t, 8> word = {uint8_t(lower >> 24),
                                       uint8_t(lower >> 16),
                                       uint8_t(lower >> 8),
                                       uint8_t(lower),
                                       0,
                                       0,
                                       0,
                                       1};
        std::memcpy(host_ptr(str_text(bounds) + 8 * uint32_t(d)), word.data(), word.size());
    }
    struct Release {
        Addr rec;
        ~Release() { str_release(rec); }
    } release{bounds};
    array_redim(array_cell, bounds);
    num_set_int(ArrayBlock{load_u32(array_cell)}.element(0), n);
}

// The variable's length is the most that one receive takes.
void receive(int32_t socket, Addr data) {
    size_t n = str_view(load_u32(data)).size();
    if (n == 0) return;
    StringReadTarget into(data);
    socket_receive(socket, n, into);
}

// The text is held, not copied: host messages pumped while the send waits may run B-code that
// assigns the variable, and that gives the variable another record.
void send(int32_t socket, Addr data) {
    RecordHold text(load_u32(data));
    std::string_view bytes = str_view(text.record());
    if (bytes.empty()) return;
    socket_send(socket, std::as_bytes(std::span(bytes)));
}

void socket_call() {
    int32_t op = int_operand();
    Addr data = str_operand();
    Addr array_cell = num_array_operand();
    if (op < 0 || op > 9) return;
    Addr block = load_u32(array_cell);
    if (ArrayBlock{block}.count() < values_needed[size_t(op)])
        raise_error(socket_code::not_enough_values);
    switch (op) {
    case 0:
        return return_socket(array_cell,
                             socket_create(value(block, 0), value(block, 1), value(block, 2)));
    case 1: return socket_bind(value(block, 0), address_of(data));
    case 2: return socket_listen(value(block, 0), value(block, 1));
    case 3: return return_socket(array_cell, socket_accept(value(block, 0), address_of(data)));
    case 4: return socket_connect(value(block, 0), address_of(data));
    case 5: return receive(value(block, 0), data);
    case 6: return send(value(block, 0), data);
    case 7: return socket_close(value(block, 0));
    case 8: {
        std::array<std::byte, 4> address = socket_resolve(str_view(load_u32(data)));
        return str_set_bytes(data, address.data(), 4);
    }
    case 9: return socket_control(value(block, 0), value(block, 1), value(block, 2));
    }
}

} // namespace

void install_socket_bifs(BifTable& t) {
    t.install(bif::socket_call, socket_call);
}

} // namespace quillet
