// Tokens of one source line, with their columns.
#pragma once

#include "source.h"

#include <string>
#include <vector>

namespace quillet::compiler {

struct Token {
    enum Kind { end, number, string, word, symbol, rest } kind = end;
    std::string text; // word: upper case; symbol: "<=" etc.; string: the bytes; rest: raw text
    Pos pos;
};

// Tokenizes line `line` (1-based) of file `file`. The text after REM is dropped and the text after
// DATA is one `rest` token, since neither is made of tokens. Lexical errors are reported and the
// line ends there.
std::vector<Token> tokenize_line(const std::string& text, int file, int line, Diagnostics& diags);

} // namespace quillet::compiler
