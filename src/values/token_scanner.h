// The source scanner of the interactive command and the program library: a leading line number,
// then one token per call, classified by a table of character classes.
#pragma once

#include "values/arena.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace quillet {

// Character classes of the scanner's bytes.
namespace char_class {
inline constexpr int8_t equals = 1, greater = 2, less = 4;
inline constexpr int8_t blank = 22, illegal = 23, statement_end = 24;
inline constexpr int8_t letter = 25, number_start = 26, quote = 27;
} // namespace char_class

// Token classes beyond the character classes reported as themselves.
namespace token_class {
inline constexpr int32_t greater_equal = 3, less_equal = 5, not_equal = 6;
inline constexpr int32_t name = 23, string_name = 24, integer = 25, real = 26, quoted = 27;
inline constexpr int32_t statement_end = 28, illegal = 29, bad_number = 30, open_quote = 31;
} // namespace token_class

extern const std::array<int8_t, 256> scanner_classes;

inline int8_t scanner_class(unsigned char c) {
    return scanner_classes[c];
}

struct Token {
    int32_t kind;
    uint32_t start;  // 0-based offset of its first byte; the text's length at the end
    uint32_t length; // bytes of its text, from start; 0 for tokens without text
    bool lower_case; // the text is a name, to be given in lower case
};

// A scan over a source text; one byte past the end reads as "!".
class TokenScanner {
public:
    TokenScanner() = default;
    explicit TokenScanner(std::string_view source) : source_(source) {}

    // Reads the leading line number: the number, 0 when it exceeds 999999 or runs into a letter,
    // -1 when the text does not start with a digit.
    int32_t line_number();

    Token next();

    uint32_t position() const { return pos_; }
    std::string_view source() const { return source_; }

private:
    bool at_end() const { return pos_ >= source_.size(); }
    unsigned char peek() const {
        return at_end() ? '!' : static_cast<unsigned char>(source_[pos_]);
    }
    Token number(uint32_t start);
    Token quoted(uint32_t start);
    Token name(uint32_t start);

    std::string_view source_;
    uint32_t pos_ = 0;
};

} // namespace quillet

namespace quillet {

// Stores the token's text from the scanner's source into a string cell, names in lower case.
void store_token_text(Addr cell, const TokenScanner& scanner, Token token);

} // namespace quillet

// The scan in progress (scan_state) is part of the layer's state, whose struct holds a scanner.
#include "values/values_state.h"
