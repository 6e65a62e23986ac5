// Splits one line of assembly source into tokens: words, numbers, strings and punctuation.
// A ';' outside a string starts a comment.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::tools {

struct Token {
    enum Kind { word, number, string, punct } kind;
    std::string text; // word: the word; number: as written; string: the decoded bytes;
                      // punct: the character
};

// Throws AsmError (with `file` and `line`) for an unterminated string or a bad escape, and (with
// the column) for a string character that is not UTF-8 or has no Windows-1252 form: sources are
// UTF-8, string literals become Windows-1252 bytes.
std::vector<Token> tokenize_line(const std::string& text, const std::string& file, int line);
// The same into `tokens` (cleared first), whose storage is reused from line to line.
void tokenize_line(std::string_view text, const std::string& file, int line,
                   std::vector<Token>& tokens);

// Text of a string literal as the assembler reads it back: quotes, \\, \", \n, \t, \xHH.
std::string quote_string(const std::string& bytes);

} // namespace quillet::tools
