// Clipboard and typed text between Windows-1252 and UTF-8.
#include "host/backends/desktop_text.h"

#include <gtest/gtest.h>

namespace quillet::host {
namespace {

TEST(DesktopText, EveryByteButZeroGoesOutAndComesBack) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    std::string utf8 = cp1252_to_utf8(all);
    EXPECT_EQ(utf8_to_cp1252(utf8), all);
}

TEST(DesktopText, TheWindowsRangeHasItsOwnCharacters) {
    EXPECT_EQ(cp1252_to_utf8("\x80 \x99 \x9F"), "\u20AC \u2122 \u0178");
    EXPECT_EQ(cp1252_to_utf8("Gr\xFC\xDF"), "Gr\u00FC\u00DF");
    EXPECT_EQ(utf8_to_cp1252("\u201Cquoted\u201D \u2026"), "\x93quoted\x94 \x85");
    EXPECT_EQ(utf8_to_cp1252("Zo\u00EB"), "Zo\xEB");
}

TEST(DesktopText, WhatTheBytesCannotHoldBecomesAQuestionMark) {
    // Characters beyond Windows-1252: Greek, a CJK one, an emoji (four bytes).
    EXPECT_EQ(utf8_to_cp1252("a\u03B1b\u4E2Dc\U0001F600d"), "a?b?c?d");
    // Malformed: a stray continuation byte, a lead cut short (inside and at the end), an overlong
    // form of '/', an impossible lead byte.
    EXPECT_EQ(utf8_to_cp1252("x\x80y"), "x?y");
    EXPECT_EQ(utf8_to_cp1252("x\xE2\x82y"), "x?y");
    EXPECT_EQ(utf8_to_cp1252("x\xC3"), "x?");
    EXPECT_EQ(utf8_to_cp1252("x\xC0\xAFy"), "x?y");
    EXPECT_EQ(utf8_to_cp1252("x\xFFy"), "x?y");
}

} // namespace
} // namespace quillet::host
