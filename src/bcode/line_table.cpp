#include "bcode/line_table.h"

#include "bcode/byte_reader.h"
#include "bcode/format_error.h"

namespace quillet::bcode {

namespace {

struct MarkName {
    uint8_t byte;
    std::string_view name;
};
constexpr MarkName all_marks[] = {
#define QUILLET_LINE_MARK(byte, name) {byte, #name},
#include "bcode/line_bytes.def"
#undef QUILLET_LINE_MARK
};

void encode_value(uint8_t short_base, uint8_t long_base, uint32_t short_max, const LineItem& item,
                  std::vector<uint8_t>& out) {
    if (item.value > line_value_max)
        throw FormatError("line table value " + std::to_string(item.value) + " is above 2097151");
    if (!item.long_form && item.value <= short_max) {
        out.push_back(uint8_t(short_base + item.value));
        return;
    }
    out.push_back(uint8_t(long_base | (item.value >> 16)));
    out.push_back(uint8_t(item.value >> 8));
    out.push_back(uint8_t(item.value));
}

} // namespace

std::string_view line_mark_name(uint8_t byte) {
    for (const MarkName& m : all_marks)
        if (m.byte == byte) return m.name;
    return {};
}

bool line_mark_by_name(std::string_view name, uint8_t& byte) {
    for (const MarkName& m : all_marks)
        if (m.name == name) {
            byte = m.byte;
            return true;
        }
    return false;
}

LineTable parse_line_table(std::span<const uint8_t> bytes, size_t pos, const std::string& what) {
    ByteReader in(bytes, what, pos);
    LineTable table;
    for (;;) {
        uint8_t b = in.u8("line table byte");
        LineItem item;
        item.kind = LineItem::step;
        if (b < line_long_step) {
            item.value = b;
        } else if (b < line_first_mark) {
            item.value = uint32_t(b & line_value_high_bits) << 16 | uint32_t(in.u8("line step"))
                                                                        << 8;
            item.value |= in.u8("line step");
            item.long_form = true;
        } else if (b == line_end_table) {
            table.size = in.pos() - pos;
            return table;
        } else if (b == line_routine || b == line_internal) {
            item.kind = b == line_routine ? LineItem::routine : LineItem::internal;
            item.name = in.c_string("routine name");
            // The engine reads name bytes as step bytes, so only ASCII names leave its state alone.
            for (unsigned char c : item.name)
                if (c >= 0x80)
                    throw FormatError(what + ": routine name \"" + item.name +
                                      "\" holds a byte above 0x7F");
        } else if (b < line_short_record) {
            if (line_mark_name(b).empty())
                throw FormatError(what + ": byte " + std::to_string(b) + " at offset " +
                                  std::to_string(in.pos() - 1) + " is not a line-table byte");
            item.kind = LineItem::mark;
            item.value = b;
        } else {
            item.kind = LineItem::code;
            if (b < line_long_record) {
                item.value = b & line_value_high_bits;
            } else {
                item.value =
                    uint32_t(b & line_value_high_bits) << 16 | uint32_t(in.u8("line length")) << 8;
                item.value |= in.u8("line length");
                item.long_form = true;
            }
        }
        table.items.push_back(std::move(item));
    }
}

void encode_line_item(const LineItem& item, std::vector<uint8_t>& out) {
    switch (item.kind) {
    case LineItem::step: encode_value(0x00, line_long_step, line_long_step - 1, item, out); break;
    case LineItem::code:
        encode_value(line_short_record, line_long_record, line_value_high_bits, item, out);
        break;
    case LineItem::mark: out.push_back(uint8_t(item.value)); break;
    case LineItem::routine:
    case LineItem::internal:
        for (unsigned char c : item.name)
            if (c == 0 || c >= 0x80)
                throw FormatError("routine name \"" + item.name +
                                  "\" in a line table must be ASCII without NUL");
        out.push_back(item.kind == LineItem::routine ? line_routine : line_internal);
        out.insert(out.end(), item.name.begin(), item.name.end());
        out.push_back(0);
        break;
    }
}

void encode_line_table(const std::vector<LineItem>& items, std::vector<uint8_t>& out) {
    for (const LineItem& item : items)
        encode_line_item(item, out);
    out.push_back(line_end_table);
}

} // namespace quillet::bcode
