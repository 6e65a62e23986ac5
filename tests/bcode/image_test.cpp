// Writing, reading and validating images and bound executables.
#include "bcode/elf_sections.h"
#include "bcode/format_error.h"
#include "bcode/image.h"
#include "bcode/trailer.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <optional>

using namespace quillet::bcode;

namespace {

// A one-module image: a routine `12 00 00 20 96 00` (36-byte frame, end_unit) and one string.
Image small_image() {
    Image image;
    image.start_offset = 14;
    image.code_area = {2, 0, 0, 0, 2, 0, 0, 0, 'h', 'i', 0, 0};
    image.cells1.assign(8, 0xFF);
    image.string_pointers = {4};
    image.literal_tail_entries = 1;
    Module m;
    m.bytes = {0, 0,  0, 0, 20, 0,    20,   0,    20,   0,    20,   0,   20,
               0, 20, 0, 0, 0,  0x12, 0x00, 0x00, 0x20, 0x96, 0x40, 0xA3};
    image.modules.push_back(m);
    return image;
}

std::string error_of(const std::vector<uint8_t>& bytes) {
    try {
        validate_image(bytes);
    } catch (const FormatError& e) {
        return e.what();
    }
    return "";
}

void put_u32(std::vector<uint8_t>& bytes, size_t at, uint32_t v) {
    for (int b = 0; b < 4; ++b)
        bytes[at + size_t(b)] = uint8_t(v >> (8 * b));
}

} // namespace

TEST(Image, WriteThenReadGivesTheSameImageAndBytes) {
    std::vector<uint8_t> bytes = write_image(small_image());
    EXPECT_EQ(bytes.size(), code_area_offset + 12 + 8 + 4 + 4 + 25);
    Image back = read_image(bytes);
    EXPECT_EQ(back.start_offset, 14);
    EXPECT_EQ(back.code_area, small_image().code_area);
    EXPECT_EQ(back.modules.size(), 1u);
    EXPECT_EQ(back.modules[0].table_offset(table_lines), 20);
    EXPECT_FALSE(back.modules[0].has_channel_table());
    EXPECT_EQ(write_image(back), bytes);
    ImageLayout l = validate_image(bytes);
    EXPECT_EQ(l.literal_tail, l.string_pointers);
    EXPECT_EQ(l.module_offsets[0], l.module_area);
}

TEST(Image, EveryInconsistencyIsNamed) {
    const std::vector<uint8_t> good = write_image(small_image());
    struct Case {
        const char* expect;
        void (*corrupt)(std::vector<uint8_t>&);
    };
    const Case cases[] = {
        {"shorter than its 40-byte header", [](std::vector<uint8_t>& b) { b.resize(20); }},
        {"D4 42 55 58", [](std::vector<uint8_t>& b) { b[0] = 0; }},
        {"version 2201", [](std::vector<uint8_t>& b) { put_u32(b, 4, 2201); }},
        {"areas end at byte", [](std::vector<uint8_t>& b) { b.pop_back(); }},
        {"areas end at byte", [](std::vector<uint8_t>& b) { put_u32(b, 8, 0xFFFFFFF0); }},
        {"first cell area size", [](std::vector<uint8_t>& b) { put_u32(b, 32, 16); }},
        {"literal tail size", [](std::vector<uint8_t>& b) { put_u32(b, 36, 8); }},
        {"string pointer 0",
         [](std::vector<uint8_t>& b) { put_u32(b, code_area_offset + 20, 400); }},
        {"runs past the end of the code area",
         [](std::vector<uint8_t>& b) { put_u32(b, code_area_offset + 4, 50); }},
        {"module 0 starts", [](std::vector<uint8_t>& b) { put_u32(b, code_area_offset + 24, 7); }},
        {"line table offset", [](std::vector<uint8_t>& b) { b[code_area_offset + 28 + 14] = 200; }},
        {"line table", [](std::vector<uint8_t>& b) { b.back() = 0xC1; }},
        {"the start routine", [](std::vector<uint8_t>& b) { b[30] = 1; }},
        {"bif override 5", [](std::vector<uint8_t>& b) { b[40 + 20] = 1, b[40 + 22] = 3; }},
        {"no modules",
         [](std::vector<uint8_t>& b) {
             // The module table holds 0 entries and the module area grows by 4 bytes instead.
             put_u32(b, 20, 0);
             put_u32(b, 24, 29);
         }},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bad = good;
        c.corrupt(bad);
        std::string message = error_of(bad);
        EXPECT_NE(message.find(c.expect), std::string::npos)
            << "expected \"" << c.expect << "\", got \"" << message << "\"";
    }
}

TEST(Image, EveryTruncationIsRefused) {
    const std::vector<uint8_t> good = write_image(small_image());
    for (size_t size = 0; size < good.size(); ++size) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + long(size));
        EXPECT_THROW(validate_image(cut), FormatError) << size;
    }
}

TEST(Trailer, BindAndFind) {
    std::vector<uint8_t> file = {'E', 'X', 'E'};
    std::vector<uint8_t> image = write_image(small_image());
    file.insert(file.end(), image.begin(), image.end());
    append_trailer(uint32_t(image.size()), file);
    ASSERT_TRUE(has_trailer(file));
    std::span<const uint8_t> found = bound_image(file);
    EXPECT_EQ(std::vector<uint8_t>(found.begin(), found.end()), image);
    EXPECT_EQ(file[file.size() - 10], 0);
    EXPECT_EQ(std::string(file.end() - 9, file.end() - 1), "OS2Magic");
}

TEST(Trailer, MissingOrInconsistentTrailerIsReported) {
    std::vector<uint8_t> plain(100, 'x');
    EXPECT_FALSE(has_trailer(plain));
    EXPECT_THROW(bound_image(plain), FormatError);
    std::vector<uint8_t> lying = {'a', 'b'};
    append_trailer(1000, lying);
    try {
        bound_image(lying);
        FAIL();
    } catch (const FormatError& e) {
        EXPECT_NE(std::string(e.what()).find("1000 bytes"), std::string::npos);
    }
}

namespace {

// A little-endian ELF32 file as a 32-bit engine is: header, 8 bytes of code (.text), the
// section-name table and a section table of the null section, the name table and .text.
// (The build's own engine, ELF64, is bound and stripped by the program test strip_checks.)
std::vector<uint8_t> elf32_file() {
    // Magic, class 1 (32 bits), data 1 (little-endian), version 1.
    std::vector<uint8_t> f = {0x7F, 'E', 'L', 'F', 1, 1, 1};
    f.resize(52, 0);
    auto put16 = [&f](size_t at, uint16_t v) { f[at] = uint8_t(v), f[at + 1] = uint8_t(v >> 8); };
    auto put32 = [&f](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            f[at + size_t(i)] = uint8_t(v >> (8 * i));
    };
    f.insert(f.end(), 8, 0x90);
    const char names[] = "\0.shstrtab\0.text";
    f.insert(f.end(), names, names + sizeof names); // at 60, 17 bytes
    f.resize(80, 0);
    put32(32, 80); // e_shoff
    put16(40, 52), put16(46, 40), put16(48, 3), put16(50, 1);
    f.resize(80 + 3 * 40, 0);
    put32(120, 1), put32(124, 3), put32(136, 60), put32(140, 17); // .shstrtab
    put32(160, 11), put32(164, 1), put32(176, 52), put32(180, 8); // .text
    return f;
}

} // namespace

TEST(ImageSection, Elf32BindStripAndBindAgain) {
    const std::vector<uint8_t> image = write_image(small_image());
    std::optional<std::vector<uint8_t>> bound = with_image_section(elf32_file(), image);
    ASSERT_TRUE(bound);
    std::vector<uint8_t> file = *bound;
    append_trailer(uint32_t(image.size()), file);
    // The trailer's image and the section's are the same bytes, just before the trailer.
    std::span<const uint8_t> by_trailer = bound_image(file);
    EXPECT_EQ(std::vector<uint8_t>(by_trailer.begin(), by_trailer.end()), image);
    std::vector<uint8_t> stripped(file.begin(), file.end() - long(trailer_size));
    ASSERT_FALSE(has_trailer(stripped));
    std::span<const uint8_t> by_section = find_bound_image(stripped);
    EXPECT_EQ(std::vector<uint8_t>(by_section.begin(), by_section.end()), image);
    EXPECT_EQ(by_section.data() + by_section.size(), stripped.data() + stripped.size());
    // The code before the tables is kept; binding the bound file again changes nothing.
    const std::vector<uint8_t> engine = elf32_file();
    EXPECT_TRUE(std::equal(file.begin() + 52, file.begin() + 60, engine.begin() + 52));
    EXPECT_EQ(with_image_section(*bound, image), bound);
    std::optional<ElfFile> elf = read_elf(stripped);
    ASSERT_TRUE(elf);
    EXPECT_FALSE(elf->is64);
    ASSERT_EQ(elf->sections.size(), 4u);
    EXPECT_EQ(elf->sections[3].name, image_section_name);
    EXPECT_EQ(elf->sections[2].name, ".text");
    EXPECT_EQ(elf->sections[2].offset, 52u);
}

TEST(ImageSection, ForgedSectionsAreRefused) {
    const std::vector<uint8_t> image = write_image(small_image());
    const std::vector<uint8_t> bound = *with_image_section(elf32_file(), image);
    const size_t table = bound.size() - image.size() - 4 * 40, own = table + 3 * 40;
    auto forged = [&](size_t at, uint32_t value) {
        std::vector<uint8_t> f = bound;
        for (int i = 0; i < 4; ++i)
            f[at + size_t(i)] = uint8_t(value >> (8 * i));
        return f;
    };
    EXPECT_THROW(find_bound_image(forged(own + 20, uint32_t(bound.size()))), FormatError); // size
    EXPECT_THROW(find_bound_image(forged(own + 16, 0xFFFFFFF0u)), FormatError);            // offset
    EXPECT_THROW(find_bound_image(forged(own + 4, 8)), FormatError);    // no bytes
    EXPECT_THROW(find_bound_image(forged(own + 20, 0)), FormatError);   // empty
    EXPECT_THROW(find_bound_image(forged(own, 1u << 20)), FormatError); // name outside names
    EXPECT_THROW(find_bound_image(forged(32, uint32_t(bound.size()))), FormatError); // table
    EXPECT_TRUE(carries_bound_image(forged(own + 20, uint32_t(bound.size()))));
    EXPECT_FALSE(carries_bound_image(elf32_file()));
    EXPECT_THROW(find_bound_image(elf32_file()), FormatError);
}
