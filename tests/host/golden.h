// Golden pictures: a surface compared with tests/host/golden/<name>.png. On a mismatch the actual
// picture and a difference picture (changed pixels red on a dimmed copy of the golden) go to
// golden-output/ in the test's build directory. QUILLET_UPDATE_GOLDEN=1 writes the goldens anew.
#pragma once

#include "host/raster/surface.h"

#include <gtest/gtest.h>
#include <ostream>
#include <string>

namespace quillet {
// Failure messages show a surface's size rather than its bytes.
inline void PrintTo(const Surface& s, std::ostream* os) {
    *os << "surface " << s.width() << " x " << s.height();
}
} // namespace quillet

namespace quillet::test {

::testing::AssertionResult matches_golden(const Surface& actual, const std::string& name);

// A readable dump of a small surface region: '#' where the pixel has colour ink, '.' elsewhere.
std::string picture(const Surface& s, IntRect area, Color ink);

} // namespace quillet::test
