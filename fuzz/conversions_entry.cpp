// The number and text conversions a program feeds with its users' data, over arbitrary bytes:
// the fast paths of bif 13 (an integer's text, from any 8-byte cell) and bif 14 (a short digit
// string's integer), the token scanner of bifs 97 and 98 (which classifies number texts), packed
// doubles (bifs 8 and 9), the searches (15, 250 to 254) with any positions, bit fields (22, 23)
// with any positions and widths, and the case changes (19, 20). Each is checked against a plain
// reference or a round trip; the bytes are a sequence of operations, each taking its operands
// from the bytes that follow it.
#include "entries.h"
#include "values/bit_fields.h"
#include "values/case_conversion.h"
#include "values/errors.h"
#include "values/memory.h"
#include "values/number_text.h"
#include "values/numbers.h"
#include "values/packed_numbers.h"
#include "values/string_search.h"
#include "values/strings.h"
#include "values/token_scanner.h"
#include "values/values_state.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace quillet::fuzz {

namespace {

[[noreturn]] void fail(const char* what, std::string_view detail = {}) {
    std::fprintf(stderr, "%s: \"%.*s\"\n", what, int(detail.size()), detail.data());
    std::abort();
}

// The operands of the operations, taken from the front of the bytes; past their end, zeros.
class Operands {
public:
    Operands(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool done() const { return at_ >= size_; }
    uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    uint32_t u32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = v << 8 | byte();
        return v;
    }
    uint64_t u64() { return uint64_t{u32()} << 32 | u32(); }
    // A length byte, then that many bytes (fewer when the input ends); a length byte of 255
    // takes the rest of the input, however long.
    std::string_view text() {
        const size_t wanted = byte();
        const size_t n = wanted == 255 ? size_ - at_ : std::min(wanted, size_ - at_);
        std::string_view t(reinterpret_cast<const char*>(data_ + at_), n);
        at_ += n;
        return t;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// A string variable in the arena, released with what it holds.
class StringCell {
public:
    explicit StringCell(std::string_view text) : addr_(mem_alloc(8)) {
        store_u32(addr_, empty_string);
        store_i32(addr_ + 4, no_max_length);
        str_retain(empty_string);
        str_set(addr_, text);
    }
    ~StringCell() {
        str_release(load_u32(addr_));
        mem_free(addr_);
    }
    StringCell(const StringCell&) = delete;
    StringCell& operator=(const StringCell&) = delete;
    Addr addr() const { return addr_; }
    Addr record() const { return load_u32(addr_); }
    std::string text() const { return std::string(str_view(record())); }

private:
    Addr addr_;
};

// The integer a text spells for bif 14's fast path: shorter than 10 bytes, an optional "-" and
// one or more digits.
std::optional<int32_t> reference_integer(std::string_view s) {
    if (s.size() >= 10) return std::nullopt;
    const bool negative = !s.empty() && s[0] == '-';
    const std::string_view digits = s.substr(negative ? 1 : 0);
    if (digits.empty()) return std::nullopt;
    int64_t v = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return static_cast<int32_t>(negative ? -v : v);
}

// Bif 13's fast path on any cell: integer form below 10^8 in magnitude only, and its text reads
// back through bif 14's fast path as the same integer.
void number_to_text(Cell x) {
    const std::optional<IntegerText> text = integer_to_text(x);
    const bool applies = is_int(x) && int_value(x) > -100000000 && int_value(x) < 100000000;
    if (text.has_value() != applies) fail("bif 13's fast path took the wrong cells");
    if (!text) return;
    if (text->view() != std::to_string(int_value(x))) fail("bif 13 misspelt", text->view());
    if (text_to_integer(text->view()) != int_value(x)) fail("bif 13's text reads back different");
}

// Bif 14's fast path on any text, and the round trip through bif 13's.
void text_to_number(std::string_view s) {
    const std::optional<int32_t> v = text_to_integer(s);
    if (v != reference_integer(s)) fail("bif 14's fast path misread", s);
    if (v && *v > -100000000 && *v < 100000000) number_to_text(num_int(*v));
}

// The scanner over any text: tokens lie in the text in order, it ends, and every number token
// is a number: an integer is digits alone (and reads through bif 14's fast path when short),
// a real is read whole by strtod.
void scan(std::string_view s) {
    TokenScanner scanner(s);
    const int32_t line = scanner.line_number();
    if (line < -1 || line > 999999) fail("a line number out of range", s);
    uint32_t previous_end = scanner.position();
    for (size_t count = 0;; ++count) {
        if (count > s.size() + 1) fail("the scanner does not advance", s);
        const Token t = scanner.next();
        if (t.start < previous_end || t.start > s.size() || t.length > s.size() - t.start)
            fail("a token outside the text or out of order", s);
        if (t.kind == token_class::statement_end) break;
        previous_end = scanner.position();
        if (previous_end <= t.start) fail("a token that consumed nothing", s);
        const std::string text(s.substr(t.start, t.length));
        if (t.kind == token_class::integer) {
            if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
                fail("an integer token that is not digits", text);
            if (text.size() < 10 && text_to_integer(text) != std::stoi(text))
                fail("an integer token that bif 14 reads otherwise", text);
        } else if (t.kind == token_class::real) {
            char* end = nullptr;
            std::strtod(text.c_str(), &end);
            if (text.empty() || end != text.c_str() + text.size())
                fail("a real token that is not a number", text);
        }
    }
}

// Bifs 8 and 9: any cell packs into 8 bytes that unpack into the same number (an infinity into
// the largest finite number of its sign, zero and subnormals into integer 0); a NaN's bytes are
// refused with -4020.
void pack_and_unpack(Cell x) {
    const StringCell packed("");
    str_pack_double(packed.addr(), x);
    if (str_length(packed.record()) != 8) fail("a packed number that is not 8 bytes");
    const double d = num_to_double(x);
    Cell y;
    try {
        y = unpack_double(packed.record());
    } catch (const BasicError& e) {
        if (e.code == err::improper_num_string && std::isnan(d)) return;
        fail("a packed number refused");
    }
    if (std::isnan(d)) fail("a NaN's bytes unpacked");
    double want = d;
    if (std::isinf(d)) want = d < 0 ? -num_max() : num_max();
    if (std::fpclassify(d) == FP_SUBNORMAL || d == 0) want = 0;
    if (num_to_double(y) != want) fail("a packed number unpacks different");
    if (want == 0 && y != num_int(0)) fail("zero unpacked not as integer 0");
}

// The searches from any position against plain scans.
void search(std::string_view s, std::string_view t, int32_t n) {
    const int64_t length = static_cast<int64_t>(s.size());
    const int64_t up = n > 0 ? int64_t{n} - 1 : 0;  // first place of an upward search
    const int64_t down = std::min<int64_t>(int64_t{n} - 1, length - 1); // of a downward one
    auto matches = [&](int64_t i) {
        return i >= 0 && i + int64_t(t.size()) <= length && s.substr(size_t(i), t.size()) == t;
    };
    int32_t want = 0;
    if (t.empty()) {
        want = static_cast<int32_t>(std::min(up, length) + 1);
    } else {
        for (int64_t i = up; i < length && !want; ++i)
            if (matches(i)) want = static_cast<int32_t>(i + 1);
    }
    if (search_forward(s, t, n) != want) fail("a forward search misfound", t);
    want = 0;
    for (int64_t i = std::min<int64_t>(int64_t{n} - 1, length - int64_t(t.size())); i >= 0; --i)
        if (matches(i)) {
            want = static_cast<int32_t>(i + 1);
            break;
        }
    if (search_backward(s, t, n) != want) fail("a backward search misfound", t);
    for (bool in_set : {true, false}) {
        auto hit = [&](int64_t i) {
            return (t.find(s[size_t(i)]) != std::string_view::npos) == in_set;
        };
        want = 0;
        for (int64_t i = up; i < length && !want; ++i)
            if (hit(i)) want = static_cast<int32_t>(i + 1);
        if (search_set_forward(s, t, n, in_set) != want) fail("a forward set search misfound", t);
        want = 0;
        for (int64_t i = down; i >= 0 && !want; --i)
            if (hit(i)) want = static_cast<int32_t>(i + 1);
        if (search_set_backward(s, t, n, in_set) != want)
            fail("a backward set search misfound", t);
    }
}

// Bit fields: a field written reads back as written, the bits before it are kept, and a field
// of more than 32 bits is zeros before its last 32 bits. Widths up to 2^31 bits may ask for more
// memory than the heap allows: 5000 (or 1106 past the longest string) is a right answer then.
void bit_field(std::string_view s, int32_t position, int32_t width, int32_t value) {
    const StringCell cell(s);
    const int64_t length = static_cast<int64_t>(s.size());
    try {
        bit_field_write(cell.addr(), position, width, value);
    } catch (const BasicError& e) {
        if (e.code == err::out_of_memory || e.code == err::string_too_long) return;
        fail("a bit field write raised an unexpected error");
    }
    const std::string after = cell.text();
    if (width == long_mode_width) {
        const int64_t offset = std::clamp<int64_t>(int64_t{position} - 1, 0, length);
        if (bit_field_read(cell.record(), int32_t(offset + 1), width) != value)
            fail("a LONG word reads back different");
        if (after.compare(0, size_t(offset), s.substr(0, size_t(offset))) != 0)
            fail("a LONG word changed the bytes before it");
        return;
    }
    const int64_t p = std::clamp<int64_t>(int64_t{position} - 1, 0, length * 8);
    const int64_t k = width < 0 ? -int64_t{width} : width;
    const int64_t low = std::min<int64_t>(k, 32);
    if (int64_t(after.size()) != std::max(length, (p + k + 7) / 8))
        fail("a bit field made the text the wrong length");
    if (after.compare(0, size_t(p / 8), s.substr(0, size_t(p / 8))) != 0)
        fail("a bit field changed the bytes before it");
    if (k == 0) return;
    uint32_t want = low == 32 ? uint32_t(value) : uint32_t(value) & ((uint32_t{1} << low) - 1);
    if (width < 0 && low < 32 && (want >> (low - 1) & 1)) want |= ~uint32_t{0} << low;
    if (bit_field_read(cell.record(), int32_t(p + 1), width) != int32_t(want))
        fail("a bit field reads back different");
    if (k > 32 && bit_field_read(cell.record(), int32_t(p + 1), int32_t(k - 32)) != 0)
        fail("a wide bit field is not zeros before its last 32 bits");
}

// UCASE and LCASE: the same length, ASCII letters changed, every other byte kept; in place too.
void change_case(std::string_view s, bool upper) {
    const StringCell from(s), to("");
    str_change_case(from.addr(), to.addr(), upper);
    std::string want(s);
    for (char& c : want)
        if (upper ? (c >= 'a' && c <= 'z') : (c >= 'A' && c <= 'Z')) c = char(c ^ 0x20);
    if (to.text() != want) fail("a case change misspelt", s);
    str_change_case(from.addr(), from.addr(), upper);
    if (from.text() != want) fail("a case change in place misspelt", s);
}

} // namespace

void convert_numbers_and_texts(const uint8_t* data, size_t size) {
    arena_init();
    // Arbitrary widths of bit fields ask for up to 256 MiB: refused beyond 16 MiB here.
    heap.limit = 16u << 20;
    const uint32_t blocks = heap.blocks_in_use;
    Operands in(data, size);
    while (!in.done()) {
        const uint8_t op = in.byte();
        switch (op % 8) {
        case 0: number_to_text(op & 8 ? num_int(int32_t(in.u32())) : in.u64()); break;
        case 1: text_to_number(in.text()); break;
        case 2: scan(in.text()); break;
        case 3: pack_and_unpack(op & 8 ? num_int(int32_t(in.u32())) : in.u64()); break;
        case 4: {
            const std::string_view s = in.text(), t = in.text();
            search(s, t, int32_t(in.u32()));
            break;
        }
        case 5: {
            const std::string_view s = in.text();
            const int32_t position = int32_t(in.u32());
            // Widths near the text's size are the interesting ones; any other now and then.
            const int32_t width = op & 8    ? int32_t(in.u32())
                                  : op & 16 ? long_mode_width
                                            : int8_t(in.byte());
            bit_field(s, position, width, int32_t(in.u32()));
            break;
        }
        case 6: change_case(in.text(), op & 8); break;
        default: text_to_number(in.text()); break;
        }
    }
    if (heap.blocks_in_use != blocks) fail("the conversions leaked heap blocks");
}

} // namespace quillet::fuzz
