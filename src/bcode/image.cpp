#include "bcode/image.h"

#include "bcode/byte_reader.h"
#include "bcode/format_error.h"
#include "bcode/line_table.h"

#include <cstring>
#include <string>

namespace quillet::bcode {

namespace {

std::string num(uint64_t v) {
    return std::to_string(v);
}

void put_u16(uint16_t v, std::vector<uint8_t>& out) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void put_u32(uint32_t v, std::vector<uint8_t>& out) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(uint8_t(v >> shift));
}

uint32_t checked_u32(size_t v, const char* field) {
    if (v > 0xFFFFFFFFu)
        throw FormatError(std::string(field) + " of " + num(v) + " bytes does not fit in 32 bits");
    return uint32_t(v);
}

struct Header {
    uint32_t version, code_size, string_pointer_offset, string_pointer_size, module_table_size,
        module_area_size;
    uint16_t start_offset, start_module;
    uint32_t first_cell_area_size, literal_tail_size;
};

Header read_header(std::span<const uint8_t> bytes) {
    if (bytes.size() < header_size)
        throw FormatError("image of " + num(bytes.size()) +
                          " bytes is shorter than its 40-byte header");
    if (std::memcmp(bytes.data(), image_magic, 4) != 0)
        throw FormatError("not a B-code image: it does not begin with D4 42 55 58");
    ByteReader in(bytes, "image header", 4);
    Header h;
    h.version = in.u32le("version");
    h.code_size = in.u32le("code size");
    h.string_pointer_offset = in.u32le("string-pointer offset");
    h.string_pointer_size = in.u32le("string-pointer size");
    h.module_table_size = in.u32le("module table size");
    h.module_area_size = in.u32le("module area size");
    h.start_offset = in.u16le("start offset");
    h.start_module = in.u16le("start module");
    h.first_cell_area_size = in.u32le("first cell area size");
    h.literal_tail_size = in.u32le("literal tail size");
    if (h.version != image_version)
        throw FormatError("image version " + num(h.version) + ", expected 2200");
    return h;
}

void check_multiple(uint32_t value, uint32_t unit, const char* field) {
    if (value % unit != 0)
        throw FormatError(std::string(field) + " " + num(value) + " is not a multiple of " +
                          num(unit));
}

ImageLayout layout_of(const Header& h, size_t image_size) {
    check_multiple(h.first_cell_area_size, 8, "first cell area size");
    check_multiple(h.string_pointer_offset, 8, "string-pointer offset (size of both cell areas)");
    check_multiple(h.string_pointer_size, 4, "string-pointer size");
    check_multiple(h.literal_tail_size, 4, "literal tail size");
    check_multiple(h.module_table_size, 4, "module table size");
    if (h.first_cell_area_size > h.string_pointer_offset)
        throw FormatError("first cell area size " + num(h.first_cell_area_size) +
                          " is larger than both cell areas together (" +
                          num(h.string_pointer_offset) + ")");
    if (h.literal_tail_size > h.string_pointer_size)
        throw FormatError("literal tail size " + num(h.literal_tail_size) +
                          " is larger than the string-pointer table (" +
                          num(h.string_pointer_size) + ")");
    ImageLayout l;
    // 64-bit sums: five 32-bit sizes cannot overflow.
    uint64_t pos = code_area_offset;
    l.code_area = pos;
    pos += h.code_size;
    l.cells1 = pos;
    l.cells2 = pos + h.first_cell_area_size;
    pos += h.string_pointer_offset;
    l.string_pointers = pos;
    pos += h.string_pointer_size;
    l.literal_tail = pos - h.literal_tail_size;
    l.module_table = pos;
    pos += h.module_table_size;
    l.module_area = pos;
    pos += h.module_area_size;
    l.end = pos;
    if (pos != image_size)
        throw FormatError("the header's areas end at byte " + num(pos) + " but the image has " +
                          num(image_size) + " bytes");
    return l;
}

void check_table_offset(const Module& m, size_t index, ModuleTable table) {
    uint16_t off = m.table_offset(table);
    size_t position = module_base_offset + off;
    if (table == table_channels && off == 0) return;
    if (position < module_header_size || position > m.bytes.size())
        throw FormatError("module " + num(index) + ": " + std::string(table_name(table)) +
                          " offset " + num(off) + " lies outside the module (" +
                          num(m.bytes.size()) + " bytes)");
}

} // namespace

uint32_t Module::body_length() const {
    return get_u32le(bytes.data());
}

uint16_t Module::table_offset(ModuleTable table) const {
    return get_u16le(bytes.data() + module_base_offset + 2 * size_t(table));
}

void validate_module(const Module& m, size_t index) {
    if (m.bytes.size() < module_header_size)
        throw FormatError("module " + num(index) + " has " + num(m.bytes.size()) +
                          " bytes, fewer than its 18-byte header");
    for (int t = 0; t < module_table_count; ++t)
        check_table_offset(m, index, ModuleTable(t));
    std::string what = "module " + num(index);
    if (m.has_channel_table()) {
        ByteReader in(m.bytes, what + " shared channel table", m.table_position(table_channels));
        uint8_t count = in.u8("channel count");
        uint8_t reg = in.u8("shared register");
        if (reg < 9 || reg > 11)
            throw FormatError(what + ": shared channel table register byte " + num(reg) +
                              " (must be 9, 10 or 11)");
        in.u16le("first slot index");
        for (int i = 0; i < count; ++i)
            in.u16le("channel number");
    }
    parse_line_table(m.bytes, m.table_position(table_lines), what + " line table");
}

ImageLayout validate_image(std::span<const uint8_t> bytes) {
    Header h = read_header(bytes);
    ImageLayout l = layout_of(h, bytes.size());

    for (size_t i = 0; i < h.string_pointer_size / 4; ++i) {
        uint32_t w = get_u32le(bytes.data() + l.string_pointers + 4 * i);
        // w is the record's offset in the code area plus 4.
        if (w < 4 || uint64_t(w) - 4 + string_record_header > h.code_size)
            throw FormatError("string pointer " + num(i) + " (" + num(w) +
                              ") does not point at a string record inside the code area (" +
                              num(h.code_size) + " bytes)");
        uint32_t length = get_u32le(bytes.data() + l.code_area + w - 4 + 4);
        if (uint64_t(w) - 4 + string_record_header + length > h.code_size)
            throw FormatError("string record of pointer " + num(i) + " (length " + num(length) +
                              ") runs past the end of the code area");
    }

    size_t count = h.module_table_size / 4;
    if (count == 0) throw FormatError("the image has no modules");
    for (size_t i = 0; i < count; ++i) {
        uint32_t off = get_u32le(bytes.data() + l.module_table + 4 * i);
        size_t expected_min = i == 0 ? l.module_area : l.module_offsets.back() + module_header_size;
        if (i == 0 && off != l.module_area)
            throw FormatError("module 0 starts at image offset " + num(off) +
                              ", not at the start of the module area (" + num(l.module_area) + ")");
        if (off < expected_min || off > l.end)
            throw FormatError("module table entry " + num(i) + " (" + num(off) +
                              ") lies outside the module area or before the module it follows");
        if (off % module_alignment != 0)
            throw FormatError("module " + num(i) + " at image offset " + num(off) +
                              " does not start on a 4-byte boundary");
        l.module_offsets.push_back(off);
    }
    for (size_t i = 0; i < count; ++i) {
        size_t end = i + 1 < count ? l.module_offsets[i + 1] : l.end;
        Module m;
        m.bytes.assign(bytes.begin() + long(l.module_offsets[i]), bytes.begin() + long(end));
        validate_module(m, i);
    }

    auto check_entry = [&](uint16_t module, uint16_t offset, const std::string& what) {
        if (module >= count)
            throw FormatError(what + " names module " + num(module) + " but the image has " +
                              num(count));
        size_t end = size_t(module) + 1 < count ? l.module_offsets[module + 1] : l.end;
        if (module_base_offset + size_t(offset) >= end - l.module_offsets[module])
            throw FormatError(what + " offset " + num(offset) + " lies outside module " +
                              num(module));
    };
    check_entry(h.start_module, h.start_offset, "the start routine");
    for (size_t n = 0; n < bif_count; ++n) {
        const uint8_t* e = bytes.data() + override_table_offset + 4 * n;
        if (get_u16le(e) != 0)
            check_entry(get_u16le(e + 2), get_u16le(e), "bif override " + num(n));
    }
    return l;
}

Image read_image(std::span<const uint8_t> bytes) {
    ImageLayout l = validate_image(bytes);
    Header h = read_header(bytes);
    Image image;
    image.start_offset = h.start_offset;
    image.start_module = h.start_module;
    for (size_t n = 0; n < bif_count; ++n) {
        const uint8_t* e = bytes.data() + override_table_offset + 4 * n;
        image.overrides[n] = {get_u16le(e), get_u16le(e + 2)};
    }
    auto slice = [&](size_t from, size_t to) {
        return std::vector<uint8_t>(bytes.begin() + long(from), bytes.begin() + long(to));
    };
    image.code_area = slice(l.code_area, l.cells1);
    image.cells1 = slice(l.cells1, l.cells2);
    image.cells2 = slice(l.cells2, l.string_pointers);
    for (size_t p = l.string_pointers; p < l.module_table; p += 4)
        image.string_pointers.push_back(get_u32le(bytes.data() + p));
    image.literal_tail_entries = h.literal_tail_size / 4;
    for (size_t i = 0; i < l.module_offsets.size(); ++i) {
        size_t end = i + 1 < l.module_offsets.size() ? l.module_offsets[i + 1] : l.end;
        image.modules.push_back({slice(l.module_offsets[i], end)});
    }
    return image;
}

std::vector<uint8_t> write_image(const Image& image) {
    if (image.literal_tail_entries > image.string_pointers.size())
        throw FormatError("literal tail has more entries than the string-pointer table");
    if (image.cells1.size() % 8 != 0 || image.cells2.size() % 8 != 0)
        throw FormatError("a numeric cell area is not a whole number of 8-byte cells");
    size_t cells = image.cells1.size() + image.cells2.size();
    size_t pointers = 4 * image.string_pointers.size();
    size_t module_table = 4 * image.modules.size();
    size_t module_area_start =
        code_area_offset + image.code_area.size() + cells + pointers + module_table;
    if (module_area_start % module_alignment != 0)
        throw FormatError("the code area of " + num(image.code_area.size()) +
                          " bytes leaves the modules off their 4-byte boundaries");
    // Every module starts on a 4-byte boundary; the last one is not padded.
    std::vector<uint8_t> module_area;
    std::vector<size_t> module_offsets;
    for (const Module& m : image.modules) {
        while (module_area.size() % module_alignment != 0)
            module_area.push_back(0);
        module_offsets.push_back(module_area.size());
        module_area.insert(module_area.end(), m.bytes.begin(), m.bytes.end());
    }

    std::vector<uint8_t> out(image_magic, image_magic + 4);
    put_u32(image_version, out);
    put_u32(checked_u32(image.code_area.size(), "code area"), out);
    put_u32(checked_u32(cells, "cell areas"), out);
    put_u32(checked_u32(pointers, "string-pointer table"), out);
    put_u32(checked_u32(module_table, "module table"), out);
    put_u32(checked_u32(module_area.size(), "module area"), out);
    put_u16(image.start_offset, out);
    put_u16(image.start_module, out);
    put_u32(uint32_t(image.cells1.size()), out);
    put_u32(4 * image.literal_tail_entries, out);
    for (const BifOverride& o : image.overrides) {
        put_u16(o.entry_offset, out);
        put_u16(o.module, out);
    }
    out.insert(out.end(), image.code_area.begin(), image.code_area.end());
    out.insert(out.end(), image.cells1.begin(), image.cells1.end());
    out.insert(out.end(), image.cells2.begin(), image.cells2.end());
    for (uint32_t p : image.string_pointers)
        put_u32(p, out);
    for (size_t off : module_offsets)
        put_u32(checked_u32(module_area_start + off, "module offset"), out);
    out.insert(out.end(), module_area.begin(), module_area.end());
    return out;
}

} // namespace quillet::bcode
