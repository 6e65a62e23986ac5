// The 32-bit DIB of the public GDI checkpoints, modelled on our surfaces: 512 x 512 pixels, every
// byte 0xCC before a group, hashed with SHA-1 over the pixel bytes (blue, green, red, fourth
// byte) bottom row first. Our surfaces hold 24-bit colours; the fourth byte, which GDI mixes
// bit by bit like the colour bytes, is obtained by replaying the group with every colour replaced
// by its own fourth byte (zero for colours a program names, the alpha of 32-bit source pixels)
// and reading one channel of that replay.
#pragma once

#include "host/raster/device_context.h"

#include <functional>
#include <string>

namespace quillet::test {

class DibPass {
public:
    explicit DibPass(bool fourth_byte) : m_fourth_byte(fourth_byte) {}
    bool fourth_byte() const { return m_fourth_byte; }
    // A colour a program names (0x00RRGGBB): its fourth byte is zero.
    Color color(Color c) const { return m_fourth_byte ? 0 : c; }
    // A pixel of a 32-bit source with its fourth byte (0xAARRGGBB).
    Color pixel(uint32_t argb) const {
        return m_fourth_byte ? (argb >> 24) * 0x010101u : argb & color_mask;
    }
    // A source decoded from a bitmap without a fourth byte.
    Surface source(Surface s) const {
        if (m_fourth_byte) s.fill(0);
        return s;
    }

private:
    bool m_fourth_byte;
};

using DibGroup = std::function<void(DeviceContext&, const DibPass&)>;

inline constexpr int dib_side = 512;

// The SHA-1 of the DIB after the group has drawn on it.
std::string dib_hash_after(const DibGroup& group);

} // namespace quillet::test
