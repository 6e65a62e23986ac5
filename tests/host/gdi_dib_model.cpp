// Replays a group twice (colours, then fourth bytes) and hashes the DIB they make together.
#include "gdi_dib_model.h"

#include "sha1.h"

#include <vector>

namespace quillet::test {

std::string dib_hash_after(const DibGroup& group) {
    constexpr Color cleared = 0xCCCCCC;
    Surface colors(dib_side, dib_side, cleared), fourth(dib_side, dib_side, cleared);
    DeviceContext color_dc(colors), fourth_dc(fourth);
    group(color_dc, DibPass(false));
    group(fourth_dc, DibPass(true));
    std::vector<uint8_t> bytes;
    bytes.reserve(size_t{dib_side} * dib_side * 4);
    for (int y = dib_side - 1; y >= 0; --y) {
        for (int x = 0; x < dib_side; ++x) {
            const Color c = colors.pixel(x, y);
            bytes.push_back(blue_of(c));
            bytes.push_back(green_of(c));
            bytes.push_back(red_of(c));
            bytes.push_back(blue_of(fourth.pixel(x, y)));
        }
    }
    return sha1_hex(bytes);
}

} // namespace quillet::test
