// Raster operations against their truth tables, both as functions and through the device
// context's drawing and block transfers.
#include "host/raster/device_context.h"

#include <functional>
#include <gtest/gtest.h>
#include <random>

namespace quillet {
namespace {

constexpr Color ones = 0xFFFFFF;

TEST(Rop2, EveryMixMatchesItsDefinition) {
    using F = std::function<Color(Color, Color)>;
    const std::pair<Rop2, F> mixes[] = {
        {Rop2::black, [](Color, Color) { return 0u; }},
        {Rop2::not_merge_pen, [](Color p, Color d) { return ~(p | d); }},
        {Rop2::mask_not_pen, [](Color p, Color d) { return ~p & d; }},
        {Rop2::not_copy_pen, [](Color p, Color) { return ~p; }},
        {Rop2::mask_pen_not, [](Color p, Color d) { return p & ~d; }},
        {Rop2::invert, [](Color, Color d) { return ~d; }},
        {Rop2::xor_pen, [](Color p, Color d) { return p ^ d; }},
        {Rop2::not_mask_pen, [](Color p, Color d) { return ~(p & d); }},
        {Rop2::mask_pen, [](Color p, Color d) { return p & d; }},
        {Rop2::not_xor_pen, [](Color p, Color d) { return ~(p ^ d); }},
        {Rop2::nop, [](Color, Color d) { return d; }},
        {Rop2::merge_not_pen, [](Color p, Color d) { return ~p | d; }},
        {Rop2::copy_pen, [](Color p, Color) { return p; }},
        {Rop2::merge_pen_not, [](Color p, Color d) { return p | ~d; }},
        {Rop2::merge_pen, [](Color p, Color d) { return p | d; }},
        {Rop2::white, [](Color, Color) { return ones; }},
    };
    std::mt19937 random(7);
    for (const auto& [op, f] : mixes) {
        for (int i = 0; i < 64; ++i) {
            const Color p = random() & ones, d = random() & ones;
            ASSERT_EQ(apply_rop2(op, p, d), f(p, d) & ones) << int(op);
        }
        // Through a pen on a surface.
        Surface s(2, 1, 0x00FF00);
        DeviceContext dc(s);
        dc.state().rop2 = op;
        dc.state().pen.color = 0x0F0F0F;
        dc.move_to({0, 0});
        dc.line_to({1, 0});
        EXPECT_EQ(s.pixel(0, 0), f(0x0F0F0F, 0x00FF00) & ones) << int(op);
        EXPECT_EQ(s.pixel(1, 0), 0x00FF00u);
    }
}

// Eight columns hold every combination of pattern, source and destination bits; a block
// transfer with each of the 256 codes must make column k white exactly when bit k of the code's
// table is set.
TEST(Rop3, EveryCodeFollowsItsTruthTable) {
    auto pattern = std::make_shared<Surface>(8, 1);
    Surface source(8, 1);
    for (int k = 0; k < 8; ++k) {
        pattern->set_pixel(k, 0, (k & 4) ? ones : 0);
        source.set_pixel(k, 0, (k & 2) ? ones : 0);
    }
    for (unsigned table = 0; table < 256; ++table) {
        Surface dest(8, 1);
        for (int k = 0; k < 8; ++k)
            dest.set_pixel(k, 0, (k & 1) ? ones : 0);
        DeviceContext dc(dest);
        dc.state().brush = Brush::with_pattern(pattern);
        dc.bit_blt({0, 0, 8, 1}, source, {0, 0}, table << 16);
        for (int k = 0; k < 8; ++k)
            ASSERT_EQ(dest.pixel(k, 0), (table >> k & 1) ? ones : 0u)
                << "table " << table << " column " << k;
    }
}

TEST(Rop3, NamedCodesMatchTheirDefinitions) {
    using F = std::function<Color(Color, Color, Color)>;
    const std::pair<Rop3, F> codes[] = {
        {rop3::blackness, [](Color, Color, Color) { return 0u; }},
        {rop3::not_src_erase, [](Color, Color s, Color d) { return ~(s | d); }},
        {rop3::not_src_copy, [](Color, Color s, Color) { return ~s; }},
        {rop3::src_erase, [](Color, Color s, Color d) { return s & ~d; }},
        {rop3::dst_invert, [](Color, Color, Color d) { return ~d; }},
        {rop3::pat_invert, [](Color p, Color, Color d) { return p ^ d; }},
        {rop3::src_invert, [](Color, Color s, Color d) { return s ^ d; }},
        {rop3::src_and, [](Color, Color s, Color d) { return s & d; }},
        {rop3::merge_paint, [](Color, Color s, Color d) { return ~s | d; }},
        {rop3::merge_copy, [](Color p, Color s, Color) { return p & s; }},
        {rop3::src_copy, [](Color, Color s, Color) { return s; }},
        {rop3::src_paint, [](Color, Color s, Color d) { return s | d; }},
        {rop3::pat_copy, [](Color p, Color, Color) { return p; }},
        {rop3::pat_paint, [](Color p, Color s, Color d) { return p | ~s | d; }},
        {rop3::whiteness, [](Color, Color, Color) { return ones; }},
    };
    std::mt19937 random(11);
    for (const auto& [code, f] : codes) {
        const Color p = random() & ones;
        Surface src(16, 4), dest(16, 4), expected(16, 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 16; ++x) {
                src.set_pixel(x, y, random());
                dest.set_pixel(x, y, random());
                expected.set_pixel(x, y, f(p, src.pixel(x, y), dest.pixel(x, y)));
                ASSERT_EQ(apply_rop3(rop3_table(code), p, src.pixel(x, y), dest.pixel(x, y)),
                          expected.pixel(x, y));
            }
        DeviceContext dc(dest);
        dc.state().brush = Brush::solid(p);
        dc.bit_blt(dest.rect(), src, {0, 0}, code);
        EXPECT_EQ(dest, expected) << std::hex << code;
    }
}

// The picture modes: a Boolean function of source and destination numbered by its truth table,
// bit 3 for (0, 0), bit 2 for (0, 1), bit 1 for (1, 0), bit 0 for (1, 1), with these codes.
TEST(Rop3, PictureModeCodes) {
    const Rop3 codes[16] = {0x000042, 0x8800C6, 0x440328, 0xCC0020, 0x220000, 0xAA0000,
                            0x660046, 0xEE0086, 0x1100A6, 0x990000, 0x550009, 0xDD0000,
                            0x330008, 0xBB0226, 0x770000, 0xFF0062};
    for (unsigned mode = 0; mode < 16; ++mode) {
        Surface src(4, 1), dest(4, 1);
        for (int k = 0; k < 4; ++k) {
            src.set_pixel(k, 0, (k & 2) ? ones : 0);
            dest.set_pixel(k, 0, (k & 1) ? ones : 0);
        }
        DeviceContext dc(dest);
        dc.bit_blt({0, 0, 4, 1}, src, {0, 0}, codes[mode]);
        for (int k = 0; k < 4; ++k) {
            const int s = (k >> 1) & 1, d = k & 1;
            const bool bit = mode >> ((1 - s) * 2 + (1 - d)) & 1;
            EXPECT_EQ(dest.pixel(k, 0), bit ? ones : 0u)
                << "mode " << mode << " s " << s << " d " << d;
        }
    }
}

TEST(Rop3, SourceAndPatternDependence) {
    EXPECT_TRUE(rop3_uses_source(rop3_table(rop3::src_copy)));
    EXPECT_FALSE(rop3_uses_pattern(rop3_table(rop3::src_copy)));
    EXPECT_FALSE(rop3_uses_source(rop3_table(rop3::pat_copy)));
    EXPECT_TRUE(rop3_uses_pattern(rop3_table(rop3::pat_invert)));
    EXPECT_FALSE(rop3_uses_source(rop3_table(rop3::dst_invert)));
    EXPECT_FALSE(rop3_uses_pattern(rop3_table(rop3::whiteness)));
}

} // namespace
} // namespace quillet
