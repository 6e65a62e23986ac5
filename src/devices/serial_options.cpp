// Option tokens of the serial ports and what each does to the termios line settings.
#include "devices/serial_options.h"

#include <array>
#include <cctype>
#include <sys/ioctl.h>
#include <utility>

namespace quillet {
namespace {

constexpr std::array<std::pair<std::string_view, SerialOption>, 18> tokens{{
    {"DTR", SerialOption::dtr_on},
    {"DTR-", SerialOption::dtr_off},
    {"RTS", SerialOption::rts_on},
    {"RTS-", SerialOption::rts_off},
    {"RXOFF", SerialOption::xoff_input_on},
    {"RXOFF-", SerialOption::xoff_input_off},
    {"SXOFF", SerialOption::xoff_output_on},
    {"SXOFF-", SerialOption::xoff_output_off},
    {"D5", SerialOption::data_bits_5},
    {"D6", SerialOption::data_bits_6},
    {"D7", SerialOption::data_bits_7},
    {"D8", SerialOption::data_bits_8},
    {"S1", SerialOption::stop_bits_1},
    {"S2", SerialOption::stop_bits_2},
    {"PE", SerialOption::parity_even},
    {"PO", SerialOption::parity_odd},
    {"PM", SerialOption::parity_mark},
    {"P-", SerialOption::parity_none},
}};

bool same_token(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != b[i]) return false;
    return true;
}

std::optional<SerialOption> option_of(std::string_view token) {
    for (const auto& [name, option] : tokens)
        if (same_token(token, name)) return option;
    return std::nullopt;
}

void set_data_bits(termios& s, tcflag_t size) {
    s.c_cflag = (s.c_cflag & ~tcflag_t(CSIZE)) | size;
}

// parity_bits is 0 for none, else PARENB with PARODD and CMSPAR as wanted.
void set_parity(termios& s, tcflag_t parity_bits) {
    s.c_cflag = (s.c_cflag & ~tcflag_t(PARENB | PARODD | CMSPAR)) | parity_bits;
    if (parity_bits)
        s.c_iflag |= INPCK;
    else
        s.c_iflag &= ~tcflag_t(INPCK);
}

} // namespace

std::optional<std::vector<SerialOption>> parse_serial_options(std::string_view text) {
    std::vector<SerialOption> options;
    if (text.empty()) return options;
    for (;;) {
        size_t space = text.find(' ');
        std::optional<SerialOption> option = option_of(text.substr(0, space));
        if (!option) return std::nullopt;
        options.push_back(*option);
        if (space == std::string_view::npos) return options;
        text.remove_prefix(space + 1);
    }
}

void apply_line_setting(SerialOption option, termios& s) {
    switch (option) {
    case SerialOption::dtr_on:
    case SerialOption::dtr_off:
    case SerialOption::rts_on:
    case SerialOption::rts_off: return;
    case SerialOption::xoff_input_on: s.c_iflag |= IXOFF; return;
    case SerialOption::xoff_input_off: s.c_iflag &= ~tcflag_t(IXOFF); return;
    case SerialOption::xoff_output_on: s.c_iflag |= IXON; return;
    case SerialOption::xoff_output_off: s.c_iflag &= ~tcflag_t(IXON); return;
    case SerialOption::data_bits_5: return set_data_bits(s, CS5);
    case SerialOption::data_bits_6: return set_data_bits(s, CS6);
    case SerialOption::data_bits_7: set_data_bits(s, CS7); return set_parity(s, PARENB);
    case SerialOption::data_bits_8: set_data_bits(s, CS8); return set_parity(s, 0);
    case SerialOption::stop_bits_1: s.c_cflag &= ~tcflag_t(CSTOPB); return;
    case SerialOption::stop_bits_2: s.c_cflag |= CSTOPB; return;
    case SerialOption::parity_even: set_data_bits(s, CS7); return set_parity(s, PARENB);
    case SerialOption::parity_odd: set_data_bits(s, CS7); return set_parity(s, PARENB | PARODD);
    case SerialOption::parity_mark:
        set_data_bits(s, CS7);
        return set_parity(s, PARENB | PARODD | CMSPAR);
    case SerialOption::parity_none: set_data_bits(s, CS8); return set_parity(s, 0);
    }
}

int modem_line_of(SerialOption option) {
    switch (option) {
    case SerialOption::dtr_on:
    case SerialOption::dtr_off: return TIOCM_DTR;
    case SerialOption::rts_on:
    case SerialOption::rts_off: return TIOCM_RTS;
    default: return 0;
    }
}

bool raises_modem_line(SerialOption option) {
    return option == SerialOption::dtr_on || option == SerialOption::rts_on;
}

} // namespace quillet
