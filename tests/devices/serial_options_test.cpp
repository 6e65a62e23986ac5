// Option strings of the serial ports: tokenising, case, refusals, and the termios bits each
// token sets.
#include "devices/serial_options.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>

namespace quillet {
namespace {

termios applied(std::string_view text, termios start = {}) {
    auto options = parse_serial_options(text);
    EXPECT_TRUE(options.has_value()) << text;
    for (SerialOption option : *options)
        apply_line_setting(option, start);
    return start;
}

TEST(SerialOptions, TokensWithoutRegardToCase) {
    auto options = parse_serial_options("dtr D8 s1 Rts- sXoFf");
    ASSERT_TRUE(options);
    EXPECT_EQ(*options, (std::vector{SerialOption::dtr_on, SerialOption::data_bits_8,
                                     SerialOption::stop_bits_1, SerialOption::rts_off,
                                     SerialOption::xoff_output_on}));
    EXPECT_TRUE(parse_serial_options("")->empty());
}

TEST(SerialOptions, AnyBadTokenRefusesTheWholeString) {
    for (const char* text : {"D9", "DTR  D8", " DTR", "DTR ", "DTR\tD8", "D8 DTRX", "P", "-"})
        EXPECT_FALSE(parse_serial_options(text)) << text;
}

TEST(SerialOptions, DataBitsAndParity) {
    termios s = applied("D7");
    EXPECT_EQ(s.c_cflag & CSIZE, tcflag_t(CS7));
    EXPECT_TRUE(s.c_cflag & PARENB);
    EXPECT_FALSE(s.c_cflag & PARODD);
    EXPECT_TRUE(s.c_iflag & INPCK);

    s = applied("PO", s);
    EXPECT_TRUE(s.c_cflag & PARODD);
    s = applied("PM", s);
    EXPECT_TRUE(s.c_cflag & CMSPAR);
    s = applied("PE", s);
    EXPECT_FALSE(s.c_cflag & (PARODD | CMSPAR));

    s = applied("D5", s);
    EXPECT_EQ(s.c_cflag & CSIZE, tcflag_t(CS5));
    EXPECT_TRUE(s.c_cflag & PARENB); // D5 and D6 leave the parity alone
    s = applied("P-", s);
    EXPECT_EQ(s.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_FALSE(s.c_cflag & PARENB);
    EXPECT_FALSE(s.c_iflag & INPCK);
}

TEST(SerialOptions, StopBitsAndSoftwareFlowControl) {
    termios s = applied("S2 RXOFF SXOFF");
    EXPECT_TRUE(s.c_cflag & CSTOPB);
    EXPECT_TRUE(s.c_iflag & IXOFF);
    EXPECT_TRUE(s.c_iflag & IXON);
    s = applied("S1 RXOFF- SXOFF-", s);
    EXPECT_FALSE(s.c_cflag & CSTOPB);
    EXPECT_FALSE(s.c_iflag & (IXOFF | IXON));
}

TEST(SerialOptions, ModemLinesAreNotLineSettings) {
    termios before{};
    termios after = applied("DTR DTR- RTS RTS-");
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(modem_line_of(SerialOption::dtr_off), TIOCM_DTR);
    EXPECT_FALSE(raises_modem_line(SerialOption::dtr_off));
    EXPECT_EQ(modem_line_of(SerialOption::rts_on), TIOCM_RTS);
    EXPECT_TRUE(raises_modem_line(SerialOption::rts_on));
    EXPECT_EQ(modem_line_of(SerialOption::data_bits_8), 0);
}

} // namespace
} // namespace quillet
