// A run of text drawn on a printed page (private to the layer), kept so that the document carries
// the text as well as the page's picture: readers can then search and copy it.
#pragma once

#include <string>

namespace quillet::xvt_detail {

struct PageText {
    int x = 0, baseline = 0; // page pixels
    int width = 0, height = 0;
    std::string utf8;
};

} // namespace quillet::xvt_detail
