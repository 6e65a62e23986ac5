// The row loops of fills and copies: every length and every alignment of the destination, with
// the pixels around the row left alone.
#include "host/raster/pixel_rows.h"

#include <gtest/gtest.h>
#include <numeric>
#include <vector>

namespace quillet {
namespace {

constexpr Color untouched = 0xABCDEF;

TEST(PixelRows, FillEveryLengthAndAlignment) {
    for (size_t offset = 0; offset < 4; ++offset) {
        for (size_t count = 0; count <= 40; ++count) {
            std::vector<Color> row(count + 8, untouched);
            paint::fill_row(row.data() + offset, 0x123456, count);
            for (size_t i = 0; i < row.size(); ++i) {
                const bool inside = i >= offset && i < offset + count;
                ASSERT_EQ(row[i], inside ? 0x123456u : untouched)
                    << "offset " << offset << ", count " << count << ", pixel " << i;
            }
        }
    }
}

TEST(PixelRows, CopyEveryLengthAndAlignment) {
    std::vector<Color> source(48);
    std::iota(source.begin(), source.end(), Color{1});
    for (size_t dest_offset = 0; dest_offset < 4; ++dest_offset) {
        for (size_t source_offset = 0; source_offset < 4; ++source_offset) {
            for (size_t count = 0; count <= 40; ++count) {
                std::vector<Color> row(count + 8, untouched);
                paint::copy_row(row.data() + dest_offset, source.data() + source_offset, count);
                for (size_t i = 0; i < row.size(); ++i) {
                    const bool inside = i >= dest_offset && i < dest_offset + count;
                    ASSERT_EQ(row[i], inside ? source[source_offset + i - dest_offset] : untouched)
                        << "offsets " << dest_offset << " and " << source_offset << ", count "
                        << count << ", pixel " << i;
                }
            }
        }
    }
}

} // namespace
} // namespace quillet
