#include "lexer.h"

#include <cctype>
#include <string_view>

namespace quillet::compiler {

namespace {

bool is_letter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}
bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

std::vector<Token> tokenize_line(const std::string& s, int file, int line, Diagnostics& diags) {
    std::vector<Token> out;
    out.reserve(8); // most lines have a few tokens: fewer reallocations
    size_t i = 0;
    auto at = [&](size_t col) { return Pos{file, line, int(col) + 1}; };
    while (i < s.size()) {
        char c = s[i];
        if (c == ' ' || c == '\t') {
            ++i;
            continue;
        }
        size_t start = i;
        Token t;
        t.pos = at(start);
        if (is_digit(c) || (c == '.' && i + 1 < s.size() && is_digit(s[i + 1]))) {
            while (i < s.size() && is_digit(s[i]))
                ++i;
            if (i < s.size() && s[i] == '.') {
                ++i;
                while (i < s.size() && is_digit(s[i]))
                    ++i;
            }
            // An exponent only when digits follow, so that `1E` stays a number and a word.
            if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
                size_t j = i + 1;
                if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
                if (j < s.size() && is_digit(s[j])) {
                    i = j;
                    while (i < s.size() && is_digit(s[i]))
                        ++i;
                }
            }
            t.kind = Token::number;
            t.text = s.substr(start, i - start);
        } else if (is_letter(c)) {
            // A '.' between a name's letters makes one word (`qnum.pow10`): the parser takes it
            // as a routine of another module in library sources and refuses it elsewhere.
            while (i < s.size() && (is_letter(s[i]) || is_digit(s[i]) || s[i] == '_' ||
                                    (s[i] == '.' && i + 1 < s.size() && is_letter(s[i + 1]))))
                ++i;
            if (i < s.size() && s[i] == '$') ++i;
            t.kind = Token::word;
            t.text = s.substr(start, i - start);
            for (char& ch : t.text)
                if (ch >= 'a' && ch <= 'z') ch = char(ch - 'a' + 'A');
            out.push_back(std::move(t));
            const Token& w = out.back();
            // Compared as string views: most words differ in length, and that is seen at once.
            if (std::string_view(w.text) == std::string_view("REM")) return out;
            if (std::string_view(w.text) == std::string_view("DATA")) {
                Token r;
                r.kind = Token::rest;
                r.pos = at(i);
                r.text = s.substr(i);
                out.push_back(r);
                return out;
            }
            // `IMAGE:` at the start of a line: the rest of the line is a format, as written
            // (its blanks after the colon included, those at the end not).
            if (std::string_view(w.text) != std::string_view("IMAGE")) continue;
            size_t colon = s.find_first_not_of(" \t", i);
            if (colon != std::string::npos && s[colon] == ':' &&
                (out.size() == 1 || (out.size() == 2 && out[0].kind == Token::number))) {
                Token sep;
                sep.kind = Token::symbol;
                sep.text = ":";
                sep.pos = at(colon);
                out.push_back(sep);
                Token r;
                r.kind = Token::rest;
                r.pos = at(colon + 1);
                r.text = s.substr(colon + 1);
                r.text.erase(r.text.find_last_not_of(" \t") + 1);
                out.push_back(r);
                return out;
            }
            continue;
        } else if (c == '"') {
            ++i;
            std::string text;
            for (;;) {
                if (i >= s.size()) {
                    diags.error(t.pos, "unterminated string (no closing quote on this line)");
                    out.clear();
                    return out;
                }
                if (s[i] == '"') {
                    if (i + 1 < s.size() && s[i + 1] == '"') { // "" stands for one quote
                        text += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                text += s[i++];
            }
            t.kind = Token::string;
            t.text = std::move(text);
        } else {
            static const char* const pairs[] = {"<=", ">=", "<>", "=<", "=>", "><"};
            t.kind = Token::symbol;
            t.text = std::string(1, c);
            if ((c == '<' || c == '>' || c == '=') && i + 1 < s.size())
                for (const char* p : pairs)
                    if (s.compare(i, 2, p) == 0) t.text = p;
            if (t.text == "=<") t.text = "<=";
            if (t.text == "=>") t.text = ">=";
            if (t.text == "><") t.text = "<>";
            if (std::string_view("+-*/^(),;:=<>&!#").find(c) == std::string_view::npos) {
                diags.error(t.pos, std::string("unexpected character '") + c + "'");
                out.clear();
                return out;
            }
            if (c == '!') return out; // a comment to the end of the line
            i += t.text.size();
        }
        out.push_back(std::move(t));
    }
    return out;
}

} // namespace quillet::compiler
