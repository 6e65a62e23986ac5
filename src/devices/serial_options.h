// Option strings of the serial ports: tokens separated by single spaces, compared without regard
// to case ("DTR D8 S1"). A string is parsed whole before anything is applied, so a bad token
// leaves the port exactly as it was.
#pragma once

#include <optional>
#include <string_view>
#include <termios.h>
#include <vector>

namespace quillet {

enum class SerialOption {
    dtr_on,
    dtr_off,
    rts_on,
    rts_off,
    xoff_input_on, // RXOFF: we send XOFF/XON as our input fills and drains
    xoff_input_off,
    xoff_output_on, // SXOFF: a received XOFF holds our output
    xoff_output_off,
    data_bits_5,
    data_bits_6,
    data_bits_7, // with even parity, checked
    data_bits_8, // with no parity
    stop_bits_1,
    stop_bits_2,
    parity_even, // with 7 data bits, checked
    parity_odd,
    parity_mark,
    parity_none, // with 8 data bits
};

// The options of text in order; nullopt when any token is unknown (an empty token included, as
// two spaces in a row make). An empty text has no options.
std::optional<std::vector<SerialOption>> parse_serial_options(std::string_view text);

// Applies the line-setting part of an option (DTR and RTS have none) to settings.
void apply_line_setting(SerialOption option, termios& settings);

// The modem-control bit (TIOCM_DTR or TIOCM_RTS) an option raises or lowers, 0 for none.
int modem_line_of(SerialOption option);
bool raises_modem_line(SerialOption option);

} // namespace quillet
