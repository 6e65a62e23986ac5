// The source scanner: its class table, the leading line number, and the token stream for names,
// relational pairs, numbers (well-formed and malformed), quoted strings and the statement end.
#include "values/token_scanner.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace quillet {
namespace {

struct Seen {
    int32_t kind;
    std::string text;
    uint32_t position; // 1-based
    bool operator==(const Seen&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Seen& s) {
    return out << "{" << s.kind << " \"" << s.text << "\" @" << s.position << "}";
}

Seen seen(const TokenScanner& scanner, Token t) {
    std::string text(scanner.source().substr(t.start, t.length));
    if (t.lower_case)
        for (char& c : text)
            if (c >= 'A' && c <= 'Z') c = char(c + 32);
    return {t.kind, text, t.start + 1};
}

// Tokens up to and including the first statement end.
std::vector<Seen> tokens(std::string_view source, bool skip_line_number = false) {
    TokenScanner scanner(source);
    if (skip_line_number) scanner.line_number();
    std::vector<Seen> out;
    for (int guard = 0; guard < 100; ++guard) {
        out.push_back(seen(scanner, scanner.next()));
        if (out.back().kind == token_class::statement_end) break;
    }
    return out;
}

using Seq = std::vector<Seen>;

TEST(ScannerClasses, TheTable) {
    EXPECT_EQ(scanner_class('='), 1);
    EXPECT_EQ(scanner_class('>'), 2);
    EXPECT_EQ(scanner_class('<'), 4);
    const char* singles = "&^+-*/([)]#,;:?{}";
    const int8_t classes[] = {7, 8, 9, 10, 11, 12, 13, 13, 14, 14, 15, 16, 17, 18, 19, 20, 21};
    for (int i = 0; singles[i]; ++i)
        EXPECT_EQ(scanner_class(uint8_t(singles[i])), classes[i]);
    EXPECT_EQ(scanner_class(' '), 22);
    EXPECT_EQ(scanner_class('\t'), 22);
    EXPECT_EQ(scanner_class('!'), 24);
    EXPECT_EQ(scanner_class('"'), 27);
    EXPECT_EQ(scanner_class('.'), 26);
    int letters = 0, digits = 0, illegal = 0;
    for (int c = 0; c < 256; ++c) {
        letters += scanner_class(uint8_t(c)) == 25;
        digits += scanner_class(uint8_t(c)) == 26 && c != '.';
        illegal += scanner_class(uint8_t(c)) == 23;
    }
    EXPECT_EQ(letters, 52);
    EXPECT_EQ(digits, 10);
    EXPECT_EQ(illegal, 256 - 52 - 11 - 17 - 3 - 2 - 1 - 1);
    for (char c : std::string_view("$%'\\_`|~@\x7f\x80\xff\n\r\0", 15))
        EXPECT_EQ(scanner_class(uint8_t(c)), 23) << int(c);
}

TEST(TokenScanner, LineNumberThenAStatement) {
    TokenScanner scanner("10 PRINT a$<=b!x");
    EXPECT_EQ(scanner.line_number(), 10);
    Seq got;
    for (int i = 0; i < 6; ++i)
        got.push_back(seen(scanner, scanner.next()));
    EXPECT_EQ(got, (Seq{{23, "print", 4},
                        {24, "a$", 10},
                        {5, "", 12},
                        {23, "b", 14},
                        {28, "", 15},
                        {28, "", 15}}))
        << "the statement end is not consumed";
}

TEST(TokenScanner, LineNumbers) {
    auto number = [](std::string_view s) {
        TokenScanner scanner(s);
        int32_t n = scanner.line_number();
        return std::pair{n, scanner.position()};
    };
    EXPECT_EQ(number(""), std::pair(-1, 0u));
    EXPECT_EQ(number("PRINT"), std::pair(-1, 0u));
    EXPECT_EQ(number(" 10"), std::pair(-1, 0u)) << "no blank is skipped first";
    EXPECT_EQ(number("999999 X"), std::pair(999999, 6u));
    EXPECT_EQ(number("1234567 X"), std::pair(0, 7u)) << "stops after the digit that exceeded";
    EXPECT_EQ(number("00012"), std::pair(12, 5u));
    EXPECT_EQ(number("10PRINT"), std::pair(0, 2u));
    EXPECT_EQ(number("10=3"), std::pair(10, 2u));
    EXPECT_EQ(number("10"), std::pair(10, 2u));
}

TEST(TokenScanner, RelationalPairs) {
    EXPECT_EQ(tokens("<> >= => =< <= == >< > <"), (Seq{{6, "", 1},
                                                       {3, "", 4},
                                                       {3, "", 7},
                                                       {5, "", 10},
                                                       {5, "", 13},
                                                       {1, "", 16},
                                                       {1, "", 17},
                                                       {6, "", 19},
                                                       {2, "", 22},
                                                       {4, "", 24},
                                                       {28, "", 25}}));
    EXPECT_EQ(tokens("<<>"), (Seq{{4, "", 1}, {6, "", 2}, {28, "", 4}}));
    EXPECT_EQ(tokens("<=>"), (Seq{{5, "", 1}, {2, "", 3}, {28, "", 4}}));
}

TEST(TokenScanner, SinglesIllegalBytesAndNames) {
    EXPECT_EQ(tokens("(A_1$+x9)[]{}&^-*/#,;:?"),
              (Seq{{13, "", 1},  {24, "a_1$", 2}, {9, "", 6},   {23, "x9", 7}, {14, "", 9},
                   {13, "", 10}, {14, "", 11},    {20, "", 12}, {21, "", 13},  {7, "", 14},
                   {8, "", 15},  {10, "", 16},    {11, "", 17}, {12, "", 18},  {15, "", 19},
                   {16, "", 20}, {17, "", 21},    {18, "", 22}, {19, "", 23},  {28, "", 24}}));
    EXPECT_EQ(
        tokens("a$$ _b \x80"),
        (Seq{{24, "a$", 1}, {29, "", 3}, {29, "", 5}, {23, "b", 6}, {29, "", 8}, {28, "", 9}}));
    EXPECT_EQ(tokens("\t  "), (Seq{{28, "", 4}}));
}

TEST(TokenScanner, WellFormedNumbers) {
    EXPECT_EQ(tokens("12 1.5 .5 1. 1e5 1E+5 2.5e-3 1.e2 007"), (Seq{{25, "12", 1},
                                                                    {26, "1.5", 4},
                                                                    {26, ".5", 8},
                                                                    {26, "1.", 11},
                                                                    {26, "1e5", 14},
                                                                    {26, "1E+5", 18},
                                                                    {26, "2.5e-3", 23},
                                                                    {26, "1.e2", 30},
                                                                    {25, "007", 35},
                                                                    {28, "", 38}}));
    EXPECT_EQ(tokens("1e5-3"), (Seq{{26, "1e5", 1}, {10, "", 4}, {25, "3", 5}, {28, "", 6}}));
    EXPECT_EQ(tokens("3$"), (Seq{{25, "3", 1}, {29, "", 2}, {28, "", 3}}));
}

TEST(TokenScanner, MalformedNumbers) {
    // The scan goes on after the byte that made the number malformed.
    EXPECT_EQ(tokens("x=1.2.3"),
              (Seq{{23, "x", 1}, {1, "", 2}, {30, "", 3}, {25, "3", 7}, {28, "", 8}}));
    EXPECT_EQ(tokens("x=1e"), (Seq{{23, "x", 1}, {1, "", 2}, {30, "", 3}, {28, "", 5}}));
    EXPECT_EQ(tokens("x=12abc"),
              (Seq{{23, "x", 1}, {1, "", 2}, {30, "", 3}, {23, "bc", 6}, {28, "", 8}}));
    EXPECT_EQ(tokens("1e+)"), (Seq{{30, "", 1}, {28, "", 5}}));
    EXPECT_EQ(tokens("1e5e2"), (Seq{{30, "", 1}, {25, "2", 5}, {28, "", 6}}));
    EXPECT_EQ(tokens("1e5.2"), (Seq{{30, "", 1}, {25, "2", 5}, {28, "", 6}}));
    EXPECT_EQ(tokens(".e5"), (Seq{{30, "", 1}, {25, "5", 3}, {28, "", 4}}));
    EXPECT_EQ(tokens(". x"), (Seq{{30, "", 1}, {23, "x", 3}, {28, "", 4}})) << "no digit at all";
}

TEST(TokenScanner, QuotedStrings) {
    std::string_view doubled = "\"ab\"\"c\"";
    EXPECT_EQ(tokens(doubled), (Seq{{27, std::string(doubled), 1}, {28, "", 8}}));
    EXPECT_EQ(tokens("\"\" x"), (Seq{{27, "\"\"", 1}, {23, "x", 4}, {28, "", 5}}));
    EXPECT_EQ(tokens("\"open"), (Seq{{31, "", 1}, {28, "", 6}}));
    EXPECT_EQ(tokens("\"open\"\""), (Seq{{31, "", 1}, {28, "", 8}}));
    EXPECT_EQ(tokens("\"a!b\"!"), (Seq{{27, "\"a!b\"", 1}, {28, "", 6}}));
}

TEST(TokenScanner, EndOfTextRepeats) {
    TokenScanner scanner("x");
    EXPECT_EQ(seen(scanner, scanner.next()), (Seen{23, "x", 1}));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(seen(scanner, scanner.next()), (Seen{28, "", 2}));
    TokenScanner empty("");
    EXPECT_EQ(empty.line_number(), -1);
    EXPECT_EQ(seen(empty, empty.next()), (Seen{28, "", 1}));
}

} // namespace
} // namespace quillet
