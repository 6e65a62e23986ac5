// Line tables: the byte stream that maps a module's code offsets to BASIC line numbers, names
// program units and internal routines, and marks protected blocks and handler parts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::bcode {

enum LineMark : uint8_t {
#define QUILLET_LINE_MARK(byte, name) line_##name = byte,
#include "bcode/line_bytes.def"
#undef QUILLET_LINE_MARK
};

// The byte classes of a table: a line step is one byte 0x00..0x7F (the step itself) or three
// from 0x80..0x9F; marks and names lie in 0xA0..0xBF; a line record, which gives the code bytes
// of one line, is one byte 0xC0..0xDF or three from 0xE0..0xFF. The three-byte forms carry 21
// bits: the first byte's low five, then two big-endian bytes.
inline constexpr uint8_t line_long_step = 0x80;
inline constexpr uint8_t line_first_mark = 0xA0;
inline constexpr uint8_t line_short_record = 0xC0;
inline constexpr uint8_t line_long_record = 0xE0;
inline constexpr uint8_t line_value_high_bits = 0x1F;

inline constexpr uint8_t line_routine = 0xA8;
inline constexpr uint8_t line_internal = 0xA9;
inline constexpr uint32_t line_value_max = 0x1FFFFF; // 21 bits in the three-byte forms

// nullptr / empty for a byte that is not a marker.
std::string_view line_mark_name(uint8_t byte);
bool line_mark_by_name(std::string_view name, uint8_t& byte);

struct LineItem {
    enum Kind { step, code, mark, routine, internal } kind = step;
    uint32_t value = 0;     // step: the line step; code: code bytes of the line; mark: the byte
    bool long_form = false; // step, code: the three-byte form although the value fits one byte
    std::string name;       // routine, internal
};

struct LineTable {
    std::vector<LineItem> items; // up to, not including, the end byte 0xA3
    size_t size = 0;             // bytes including the end byte
};

// Read the table that starts at `pos`; throws FormatError when it has a byte 0xAA..0xBF, a name
// without NUL, or no end byte before the end of `bytes`.
LineTable parse_line_table(std::span<const uint8_t> bytes, size_t pos, const std::string& what);
// Appends the items and the end byte.
void encode_line_table(const std::vector<LineItem>& items, std::vector<uint8_t>& out);
void encode_line_item(const LineItem& item, std::vector<uint8_t>& out);

} // namespace quillet::bcode
