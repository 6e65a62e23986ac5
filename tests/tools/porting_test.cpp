// The icon of a Windows executable as the port command writes it, and its desktop entry.
#include "porting.h"

#include <cstring>
#include <gtest/gtest.h>
#include <png.h>

namespace quillet::tools {
namespace {

void put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    if (b.size() < at + 2) b.resize(at + 2);
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}

// A PE32 executable with one section .rsrc that holds icon 1 (the picture) and icon group 1
// naming it as a picture of w x h pixels and that many bits.
std::vector<uint8_t> pe_with_icon(const std::vector<uint8_t>& picture, uint8_t w, uint8_t h,
                                  uint16_t bits) {
    constexpr uint32_t rva = 0x1000, raw = 0x200, optional = 0x58, optional_size = 224;
    // The resource tree: root, type 3 and its ID 1, type 14 and its ID 1, two data entries.
    std::vector<uint8_t> r(160);
    auto dir = [&](size_t at, uint32_t id, uint32_t target, bool subdirectory) {
        put16(r, at + 14, 1);
        put32(r, at + 16, id);
        put32(r, at + 20, target | (subdirectory ? 0x80000000u : 0));
    };
    put16(r, 14, 2); // root: two types
    put32(r, 16, 3);
    put32(r, 20, 32 | 0x80000000u);
    put32(r, 24, 14);
    put32(r, 28, 80 | 0x80000000u);
    dir(32, 1, 56, true);
    dir(56, 0x409, 128, false);
    dir(80, 1, 104, true);
    dir(104, 0x409, 144, false);
    const uint32_t picture_at = 160, group_at = uint32_t(160 + picture.size());
    put32(r, 128, rva + picture_at);
    put32(r, 132, uint32_t(picture.size()));
    put32(r, 144, rva + group_at);
    put32(r, 148, 20);
    r.insert(r.end(), picture.begin(), picture.end());
    std::vector<uint8_t> group(20);
    put16(group, 2, 1);
    put16(group, 4, 1);
    group[6] = w;
    group[7] = h;
    put16(group, 10, 1);
    put16(group, 12, bits);
    put32(group, 14, uint32_t(picture.size()));
    put16(group, 18, 1);
    r.insert(r.end(), group.begin(), group.end());

    std::vector<uint8_t> pe(raw);
    pe[0] = 'M';
    pe[1] = 'Z';
    put32(pe, 0x3C, 0x40);
    std::memcpy(&pe[0x40], "PE\0\0", 4);
    put16(pe, 0x44, 0x14C);
    put16(pe, 0x46, 1); // one section
    put16(pe, 0x54, optional_size);
    put16(pe, optional, 0x10B);
    put32(pe, optional + 92, 16);
    put32(pe, optional + 96 + 16, rva);
    put32(pe, optional + 96 + 20, uint32_t(r.size()));
    const size_t section = optional + optional_size;
    std::memcpy(&pe[section], ".rsrc", 5);
    put32(pe, section + 8, uint32_t(r.size()));
    put32(pe, section + 12, rva);
    put32(pe, section + 16, uint32_t(r.size()));
    put32(pe, section + 20, raw);
    pe.insert(pe.end(), r.begin(), r.end());
    return pe;
}

// A bottom-up DIB of an icon: header, palette, rows, AND mask.
std::vector<uint8_t> dib(int32_t w, int32_t h, uint16_t bits, const std::vector<uint8_t>& palette,
                         const std::vector<uint8_t>& rows, const std::vector<uint8_t>& mask) {
    std::vector<uint8_t> d(40);
    put32(d, 0, 40);
    put32(d, 4, uint32_t(w));
    put32(d, 8, uint32_t(h * 2));
    put16(d, 12, 1);
    put16(d, 14, bits);
    put32(d, 32, uint32_t(palette.size() / 4));
    d.insert(d.end(), palette.begin(), palette.end());
    d.insert(d.end(), rows.begin(), rows.end());
    d.insert(d.end(), mask.begin(), mask.end());
    return d;
}

std::vector<uint8_t> decode_rgba(const std::vector<uint8_t>& png, uint32_t& w, uint32_t& h) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) return {};
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) return {};
    w = image.width;
    h = image.height;
    return rgba;
}

TEST(WindowsIcon, ThirtyTwoBitPictureKeepsItsColoursAndAlphaTopDown) {
    // 2 x 2, bottom row first: blue, half-transparent green; then the top row red, clear.
    const std::vector<uint8_t> rows = {0xFF, 0, 0,    0xFF, 0, 0xFF, 0, 0x80,
                                       0,    0, 0xFF, 0xFF, 0, 0,    0, 0};
    const std::vector<uint8_t> mask(8, 0);
    std::string why;
    auto png = windows_icon_png(pe_with_icon(dib(2, 2, 32, {}, rows, mask), 2, 2, 32), why);
    ASSERT_TRUE(png) << why;
    uint32_t w = 0, h = 0;
    std::vector<uint8_t> rgba = decode_rgba(*png, w, h);
    ASSERT_EQ(w, 2u);
    ASSERT_EQ(h, 2u);
    EXPECT_EQ(rgba, (std::vector<uint8_t>{0xFF, 0, 0, 0xFF, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0xFF,
                                          0, 0x80}));
}

TEST(WindowsIcon, PalettePictureTakesItsTransparencyFromTheMask) {
    // 4 bits per pixel, 3 x 1: colours 1, 2, 1 of a two-entry palette; the mask clears x = 2.
    const std::vector<uint8_t> palette = {0, 0, 0, 0, 0x10, 0x20, 0x30, 0, 0x40, 0x50, 0x60, 0};
    const std::vector<uint8_t> rows = {0x12, 0x10, 0, 0};
    const std::vector<uint8_t> mask = {0x20, 0, 0, 0};
    std::string why;
    auto png = windows_icon_png(pe_with_icon(dib(3, 1, 4, palette, rows, mask), 3, 1, 4), why);
    ASSERT_TRUE(png) << why;
    uint32_t w = 0, h = 0;
    std::vector<uint8_t> rgba = decode_rgba(*png, w, h);
    ASSERT_EQ(w, 3u);
    EXPECT_EQ(rgba, (std::vector<uint8_t>{0x30, 0x20, 0x10, 0xFF, 0x60, 0x50, 0x40, 0xFF, 0x30,
                                          0x20, 0x10, 0}));
}

TEST(WindowsIcon, PngPictureIsTakenAsItIsAndDamageNeverCrashes) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = 1;
    image.height = 1;
    image.format = PNG_FORMAT_RGBA;
    const uint8_t pixel[4] = {1, 2, 3, 4};
    png_alloc_size_t size = 1024;
    std::vector<uint8_t> png(size);
    ASSERT_TRUE(png_image_write_to_memory(&image, png.data(), &size, 0, pixel, 0, nullptr));
    png.resize(size);
    const std::vector<uint8_t> exe = pe_with_icon(png, 0, 0, 32); // 0: 256 pixels wide
    std::string why;
    EXPECT_EQ(windows_icon_png(exe, why), png);

    // Cut anywhere or with a byte changed, it is read or refused with a reason.
    for (size_t cut = 0; cut < exe.size(); ++cut) {
        why.clear();
        auto icon = windows_icon_png(std::span(exe).first(cut), why);
        EXPECT_TRUE(icon || !why.empty()) << cut;
    }
    for (size_t at = 0; at < exe.size(); ++at) {
        std::vector<uint8_t> changed = exe;
        changed[at] ^= 0xA5;
        why.clear();
        auto icon = windows_icon_png(changed, why);
        EXPECT_TRUE(icon || !why.empty()) << at;
    }
    const std::vector<uint8_t> elf = {0x7F, 'E', 'L', 'F'};
    EXPECT_FALSE(windows_icon_png(elf, why));
    EXPECT_EQ(why, "it is not a Windows executable");
}

TEST(DesktopEntry, ExecQuotesPathsAndDoublesPercentSigns) {
    std::string entry = desktop_entry("Ledger", "/opt/my apps/ledger 100%", "/opt/ledger.png");
    EXPECT_NE(entry.find("Exec=\"/opt/my apps/ledger 100%%\"\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("Icon=/opt/ledger.png\n"), std::string::npos);
    EXPECT_NE(entry.find("Name=Ledger\n"), std::string::npos);
    EXPECT_EQ(desktop_entry("A", "/x/a$b", "").find("Icon="), std::string::npos);
    EXPECT_NE(desktop_entry("A", "/x/a$b", "").find("Exec=\"/x/a\\\\$b\""), std::string::npos);
}

} // namespace
} // namespace quillet::tools
