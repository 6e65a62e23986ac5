#include "values/number_text.h"

namespace quillet {

std::optional<IntegerText> integer_to_text(Cell x) {
    if (!is_int(x)) return std::nullopt;
    int32_t v = int_value(x);
    if (v <= -100000000 || v >= 100000000) return std::nullopt;
    char digits[integer_text_capacity];
    int n = 0;
    uint32_t m = v < 0 ? uint32_t(-v) : uint32_t(v);
    do {
        digits[n++] = char('0' + m % 10);
        m /= 10;
    } while (m);
    IntegerText text{};
    if (v < 0) text.bytes[text.length++] = '-';
    while (n)
        text.bytes[text.length++] = digits[--n];
    return text;
}

std::optional<int32_t> text_to_integer(std::string_view s) {
    if (s.size() >= 10) return std::nullopt;
    bool negative = !s.empty() && s[0] == '-';
    std::string_view digits = s.substr(negative ? 1 : 0);
    if (digits.empty()) return std::nullopt;
    int32_t v = 0; // at most 9 digits: no overflow
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return negative ? -v : v;
}

} // namespace quillet
