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

// Whether w is a word of the language other than an op's, an address mode's or a line mark's
// name: the disassembler names no label with one. With module_statement, only the words that
// start a module statement, which come where an op's name does (an op of such a name is not
// one in that place).
bool is_language_word(std::string_view w, bool module_statement = false);

} // namespace quillet::tools
