#include "values/token_scanner.h"

#include "values/strings.h"

namespace quillet {
namespace {

constexpr bool is_digit(unsigned char c) {
    return c >= '0' && c <= '9';
}
constexpr bool is_letter(unsigned char c) {
    return static_cast<unsigned char>((c | 0x20) - 'a') < 26;
}

constexpr std::array<int8_t, 256> make_classes() {
    std::array<int8_t, 256> t{};
    t.fill(char_class::illegal);
    constexpr std::string_view singles = "&^+-*/([)]#,;:?{}";
    constexpr int8_t single_classes[] = {7,  8,  9,  10, 11, 12, 13, 13, 14,
                                         14, 15, 16, 17, 18, 19, 20, 21};
    for (size_t i = 0; i < singles.size(); ++i)
        t[static_cast<unsigned char>(singles[i])] = single_classes[i];
    t['='] = char_class::equals;
    t['>'] = char_class::greater;
    t['<'] = char_class::less;
    t['\t'] = t[' '] = char_class::blank;
    t['!'] = char_class::statement_end;
    for (int c = 'A'; c <= 'Z'; ++c)
        t[c] = t[c + 32] = char_class::letter;
    t['.'] = char_class::number_start;
    for (int c = '0'; c <= '9'; ++c)
        t[c] = char_class::number_start;
    t['"'] = char_class::quote;
    return t;
}

} // namespace

const std::array<int8_t, 256> scanner_classes = make_classes();

int32_t TokenScanner::line_number() {
    pos_ = 0;
    int32_t v = 0;
    bool any = false;
    while (!at_end() && is_digit(peek())) {
        v = v * 10 + (peek() - '0');
        ++pos_;
        any = true;
        if (v > 999999) return 0;
    }
    if (!any) return -1;
    if (!at_end() && is_letter(peek())) return 0;
    return v;
}

Token TokenScanner::next() {
    for (;;) {
        uint32_t start = pos_;
        int8_t cls = scanner_class(peek());
        switch (cls) {
        case char_class::blank: ++pos_; continue;
        case char_class::equals:
        case char_class::greater:
        case char_class::less: {
            ++pos_;
            int8_t second = scanner_class(peek());
            if (second <= char_class::less && second != cls) {
                ++pos_;
                return {cls | second, start, 0, false};
            }
            return {cls, start, 0, false};
        }
        case char_class::illegal: ++pos_; return {token_class::illegal, start, 0, false};
        case char_class::statement_end: return {token_class::statement_end, start, 0, false};
        case char_class::letter: return name(start);
        case char_class::number_start: return number(start);
        case char_class::quote: return quoted(start);
        default: ++pos_; return {cls, start, 0, false};
        }
    }
}

Token TokenScanner::name(uint32_t start) {
    pos_ = start + 1;
    while (!at_end() && (is_letter(peek()) || is_digit(peek()) || peek() == '_'))
        ++pos_;
    int32_t kind = token_class::name;
    if (!at_end() && peek() == '$') {
        ++pos_;
        kind = token_class::string_name;
    }
    return {kind, start, pos_ - start, true};
}

Token TokenScanner::number(uint32_t start) {
    pos_ = start;
    bool digits = false, point = false, exponent = false;
    // The byte that made the number malformed is consumed; the scan goes on after it.
    auto malformed = [&] {
        if (!at_end()) ++pos_;
        return Token{token_class::bad_number, start, 0, false};
    };
    while (!at_end()) {
        unsigned char c = peek();
        if (is_digit(c)) {
            digits |= !exponent;
        } else if (c == '.') {
            if (point || exponent) return malformed();
            point = true;
        } else if (c == 'E' || c == 'e') {
            if (exponent || !digits) return malformed();
            exponent = true;
            ++pos_;
            if (!at_end() && (peek() == '+' || peek() == '-')) ++pos_;
            if (at_end() || !is_digit(peek())) return malformed();
            continue;
        } else if (is_letter(c)) {
            return malformed();
        } else {
            break;
        }
        ++pos_;
    }
    if (!digits) return {token_class::bad_number, start, 0, false};
    int32_t kind = point || exponent ? token_class::real : token_class::integer;
    return {kind, start, pos_ - start, false};
}

Token TokenScanner::quoted(uint32_t start) {
    pos_ = start + 1;
    for (;;) {
        size_t q = source_.find('"', pos_);
        if (q == std::string_view::npos) {
            pos_ = uint32_t(source_.size());
            return {token_class::open_quote, start, 0, false};
        }
        pos_ = uint32_t(q) + 1;
        if (at_end() || peek() != '"') return {token_class::quoted, start, pos_ - start, false};
        ++pos_; // a doubled quote stands for one and the string goes on
    }
}

void store_token_text(Addr cell, const TokenScanner& scanner, Token token) {
    std::string_view text = scanner.source().substr(token.start, token.length);
    if (!token.lower_case) return str_set(cell, text);
    // Even when the cell holds the source record itself and is written in place, the copy is
    // safe: it runs forward and every byte read lies at or after the bytes already written.
    Addr rec = str_prepare(cell, int32_t(text.size()));
    std::byte* out = host_ptr(str_text(rec));
    for (size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        out[i] = static_cast<std::byte>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
    str_set_length(rec, int32_t(text.size()));
}

} // namespace quillet
