// Golden picture comparison and the update switch.
#include "golden.h"

#include "host/raster/png_file.h"
#include "host/raster/raster_error.h"

#include <cstdlib>
#include <filesystem>

namespace quillet::test {

namespace {

bool updating() {
    const char* v = std::getenv("QUILLET_UPDATE_GOLDEN");
    return v && std::string(v) == "1";
}

Surface difference(const Surface& golden, const Surface& actual) {
    const int w = std::max(golden.width(), actual.width());
    const int h = std::max(golden.height(), actual.height());
    Surface diff(w, h, 0xFF0000);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (!golden.contains({x, y}) || !actual.contains({x, y})) continue;
            const Color g = golden.pixel(x, y);
            if (g != actual.pixel(x, y)) continue;
            diff.set_pixel(x, y, (g >> 2) & 0x3F3F3F);
        }
    return diff;
}

} // namespace

::testing::AssertionResult matches_golden(const Surface& actual, const std::string& name) {
    const std::filesystem::path golden_path =
        std::filesystem::path(QUILLET_GOLDEN_DIR) / (name + ".png");
    if (updating()) {
        write_png(actual, golden_path.string());
        return ::testing::AssertionSuccess() << "wrote " << golden_path;
    }
    if (!std::filesystem::exists(golden_path))
        return ::testing::AssertionFailure()
               << "no golden picture " << golden_path
               << "; create it with QUILLET_UPDATE_GOLDEN=1 and check it by eye";
    const Surface golden = read_png(golden_path.string());
    if (golden == actual) return ::testing::AssertionSuccess();

    const std::filesystem::path out(QUILLET_GOLDEN_OUTPUT_DIR);
    std::filesystem::create_directories(out);
    const std::string actual_path = (out / (name + ".actual.png")).string();
    const std::string diff_path = (out / (name + ".diff.png")).string();
    write_png(actual, actual_path);
    write_png(difference(golden, actual), diff_path);
    int64_t changed = 0;
    if (golden.width() == actual.width() && golden.height() == actual.height())
        for (size_t i = 0; i < golden.pixels().size(); ++i)
            changed += golden.pixels()[i] != actual.pixels()[i];
    return ::testing::AssertionFailure()
           << "picture differs from golden " << golden_path << " (golden " << golden.width()
           << " x " << golden.height() << ", actual " << actual.width() << " x " << actual.height()
           << ", " << changed << " pixels differ); see " << actual_path << " and " << diff_path;
}

std::string picture(const Surface& s, IntRect area, Color ink) {
    std::string out;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x)
            out += s.contains({x, y}) && s.pixel(x, y) == ink ? '#' : '.';
        out += '\n';
    }
    return out;
}

} // namespace quillet::test
