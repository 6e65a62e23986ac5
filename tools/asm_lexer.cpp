#include "asm_lexer.h"

#include "asm_error.h"

#include <cctype>

namespace quillet::tools {

namespace {

bool word_char(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.';
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

std::vector<Token> tokenize_line(const std::string& text, const std::string& file, int line) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == ';') break;
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
            continue;
        }
        if (c == '"') {
            std::string bytes;
            ++i;
            for (;;) {
                if (i >= text.size()) throw AsmError(file, line, "string without closing quote");
                char d = text[i++];
                if (d == '"') break;
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
            tokens.push_back({Token::string, bytes});
            continue;
        }
        bool sign = (c == '-' || c == '+') && i + 1 < text.size() &&
                    (std::isdigit(static_cast<unsigned char>(text[i + 1])) || text[i + 1] == '.');
        if (std::isdigit(static_cast<unsigned char>(c)) || sign) {
            size_t start = i;
            if (sign) ++i;
            bool hex = i + 1 < text.size() && text[i] == '0' && (text[i + 1] | 0x20) == 'x';
            while (i < text.size()) {
                char d = text[i];
                bool exponent_sign = !hex && (d == '+' || d == '-') && (text[i - 1] | 0x20) == 'e';
                if (!word_char(d) && !exponent_sign) break;
                ++i;
            }
            tokens.push_back({Token::number, text.substr(start, i - start)});
            continue;
        }
        if (word_char(c)) {
            size_t start = i;
            while (i < text.size() && word_char(text[i]))
                ++i;
            tokens.push_back({Token::word, text.substr(start, i - start)});
            continue;
        }
        if (std::string(",=:()#").find(c) != std::string::npos) {
            tokens.push_back({Token::punct, std::string(1, c)});
            ++i;
            continue;
        }
        throw AsmError(file, line, std::string("unexpected character '") + c + "'");
    }
    return tokens;
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

} // namespace quillet::tools
