// Where a line of text breaks to fit a width: the one search behind the lines of the host's
// message boxes and the wrapped lines of the windowing layer's text edits.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace quillet::host {

struct LineBreak {
    // The longest prefix that fits, at least one byte so that every line makes progress (0 only
    // for empty text).
    size_t fit = 0;
    // The last blank at or before `fit` (a blank just past the fit may end the line); npos when
    // the whole text fits or the fitting part holds no blank (a word wider than the width breaks
    // between characters). Callers decide whether the blank ends the line or is dropped.
    size_t blank = std::string_view::npos;
};

// The break of the first line of `text` at max_width pixels, `width` measuring a prefix; widths
// grow with the prefix (a font's advances are not negative). The search first doubles its bound
// until the prefix no longer fits, so that a line costs measures of about its own length, not of
// the whole rest of a long paragraph.
template <class Width>
LineBreak break_line(std::string_view text, int max_width, const Width& width) {
    LineBreak b;
    if (text.empty()) return b;
    size_t lo = 1, hi = 2;
    while (hi < text.size() && width(text.substr(0, hi)) <= max_width) {
        lo = hi;
        hi = std::min(text.size(), hi * 2);
    }
    hi = std::min(hi, text.size());
    while (lo < hi) {
        size_t mid = (lo + hi + 1) / 2;
        if (width(text.substr(0, mid)) <= max_width)
            lo = mid;
        else
            hi = mid - 1;
    }
    b.fit = lo;
    if (lo < text.size()) b.blank = text.substr(0, lo + 1).rfind(' ');
    return b;
}

} // namespace quillet::host
