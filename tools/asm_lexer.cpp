#include "asm_lexer.h"

#include "asm_error.h"
#include "bcode/windows_1252.h"

#include <cstdio>
#include <unordered_map>

namespace quillet::tools {

namespace {

// ASCII classes by table (the locale's isalnum and isspace are slower and no better here).
struct CharClasses {
    bool word[256] = {}, space[256] = {}, digit[256] = {};
    CharClasses() {
        for (int c = 0; c < 256; ++c) {
            digit[c] = c >= '0' && c <= '9';
            word[c] = digit[c] || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
                      c == '.';
            space[c] = c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
        }
    }
};
const CharClasses classes;

bool word_char(char c) {
    return classes.word[static_cast<unsigned char>(c)];
}
bool digit_char(char c) {
    return classes.digit[static_cast<unsigned char>(c)];
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The column of byte `at` of a UTF-8 line: characters before it, plus one.
int column_of(std::string_view text, size_t at) {
    int column = 1;
    for (size_t i = 0; i < at && i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++column;
    return column;
}

// The UTF-8 character at text[at] as the Windows-1252 byte of a string literal; its length in
// the source goes to `length`.
char windows_1252_char(std::string_view text, size_t at, const std::string& file, int line,
                       size_t& length) {
    const bcode::Utf8Char u = bcode::decode_utf8(text.substr(at));
    char hex[16];
    if (u.length == 0) {
        std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned char>(text[at]));
        throw AsmError(file, line, column_of(text, at),
                       std::string("the string is not valid UTF-8 (byte ") + hex + ")");
    }
    const int byte = bcode::windows_1252_of(u.code_point);
    if (byte < 0) {
        std::snprintf(hex, sizeof hex, "U+%04X", unsigned(u.code_point));
        throw AsmError(file, line, column_of(text, at),
                       std::string("the character ") + hex +
                           " has no Windows-1252 form, the character set of the engine's strings");
    }
    length = u.length;
    return static_cast<char>(byte);
}

} // namespace

std::vector<Token> tokenize_line(const std::string& text, const std::string& file, int line) {
    std::vector<Token> tokens;
    tokenize_line(text, file, line, tokens);
    return tokens;
}

void tokenize_line(std::string_view text, const std::string& file, int line,
                   std::vector<Token>& tokens) {
    // Tokens are reused in place: their strings keep their storage.
    size_t count = 0;
    auto next = [&](Token::Kind kind) -> std::string& {
        if (count == tokens.size()) tokens.emplace_back();
        Token& t = tokens[count++];
        t.kind = kind;
        t.text.clear();
        return t.text;
    };
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == ';') break;
        if (classes.space[static_cast<unsigned char>(c)]) {
            ++i;
            continue;
        }
        if (c == '"') {
            std::string& bytes = next(Token::string);
            ++i;
            for (;;) {
                if (i >= text.size()) throw AsmError(file, line, "string without closing quote");
                char d = text[i++];
                if (d == '"') break;
                if (static_cast<unsigned char>(d) >= 0x80) {
                    // Sources are UTF-8; the engine's strings are Windows-1252.
                    size_t length = 1;
                    bytes += windows_1252_char(text, i - 1, file, line, length);
                    i += length - 1;
                    continue;
                }
                if (d != '\\') {
                    bytes += d;
                    continue;
                }
                if (i >= text.size()) throw AsmError(file, line, "string ends inside an escape");
                char e = text[i++];
                switch (e) {
                case 'n': bytes += '\n'; break;
                case 't': bytes += '\t'; break;
                case 'r': bytes += '\r'; break;
                case '0': bytes += '\0'; break;
                case '\\': bytes += '\\'; break;
                case '"': bytes += '"'; break;
                case 'x': {
                    int hi = i < text.size() ? hex_value(text[i]) : -1;
                    int lo = i + 1 < text.size() ? hex_value(text[i + 1]) : -1;
                    if (hi < 0 || lo < 0)
                        throw AsmError(file, line, "\\x must be followed by two hex digits");
                    bytes += char(hi * 16 + lo);
                    i += 2;
                    break;
                }
                default:
                    throw AsmError(file, line,
                                   std::string("unknown escape \\") + e +
                                       " (use \\n \\t \\r \\0 \\\\ \\\" or \\xHH)");
                }
            }
            continue;
        }
        bool sign = (c == '-' || c == '+') && i + 1 < text.size() &&
                    (digit_char(text[i + 1]) || text[i + 1] == '.');
        if (digit_char(c) || sign) {
            size_t start = i;
            if (sign) ++i;
            bool hex = i + 1 < text.size() && text[i] == '0' && (text[i + 1] | 0x20) == 'x';
            while (i < text.size()) {
                char d = text[i];
                bool exponent_sign = !hex && (d == '+' || d == '-') && (text[i - 1] | 0x20) == 'e';
                if (!word_char(d) && !exponent_sign) break;
                ++i;
            }
            next(Token::number).assign(text.substr(start, i - start));
            continue;
        }
        if (word_char(c)) {
            size_t start = i;
            while (i < text.size() && word_char(text[i]))
                ++i;
            next(Token::word).assign(text.substr(start, i - start));
            continue;
        }
        if (c == ',' || c == '=' || c == ':' || c == '(' || c == ')' || c == '#') {
            next(Token::punct).assign(1, c);
            ++i;
            continue;
        }
        throw AsmError(file, line, std::string("unexpected character '") + c + "'");
    }
    tokens.resize(count);
}

std::string quote_string(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out = "\"";
    for (unsigned char c : bytes) {
        switch (c) {
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        default:
            if (c >= 0x20 && c < 0x7F) {
                out += char(c);
            } else {
                out += "\\x";
                out += digits[c >> 4];
                out += digits[c & 15];
            }
        }
    }
    return out + "\"";
}

// The words of the language that start a module statement, and its other words (op names,
// address modes and line marks aside).
constexpr std::string_view module_statement_words[] = {"end",
                                                       "body_length",
                                                       "table_offsets",
                                                       "num",
                                                       "str",
                                                       "numarr",
                                                       "strarr",
                                                       "routine",
                                                       "internal",
                                                       "bytes",
                                                       "line",
                                                       "numeric_operands",
                                                       "string_operands",
                                                       "numeric_arrays",
                                                       "string_arrays",
                                                       "routines",
                                                       "lines",
                                                       "channels"};
constexpr std::string_view other_language_words[] = {
    "lit",     "lit2",    "bits",     "param",  "ref",    "result",        "local",
    "channel", "reserve", "nothing",  "shared", "native", "native_cached", "frame_size",
    "module",  "start",   "override", "cells1", "cells2", "code_area",     "string_pointers",
    "of",      "name",    "wide",     "size",   "to",     "raw",           "tail",
    "ptr",     "string"};

bool is_language_word(std::string_view w, bool module_statement) {
    static const std::unordered_map<std::string_view, bool> words = [] {
        std::unordered_map<std::string_view, bool> m;
        for (std::string_view word : module_statement_words)
            m.emplace(word, true);
        for (std::string_view word : other_language_words)
            m.emplace(word, false);
        return m;
    }();
    auto it = words.find(w);
    return it != words.end() && (it->second || !module_statement);
}

} // namespace quillet::tools
