// The font attributes that windows and text edits share: "font name", "font size" and
// "font style" of a text metrics record, and the values of "font metrics".
#pragma once

#include "ui/objects/object_request.h"
#include "ui/window_table.h"

#include <cstdint>

namespace quillet {

// Sets attribute 46 (the family: a text, at most 128 bytes), 47 (the size in points: a number,
// at least 1, else -11228) or 48 (the style: a text of style words, else -11227) from the
// request's next value; any other attribute raises -11223. True when the value changed, so that
// the caller applies the font again.
bool set_font_attribute(TextMetrics& metrics, int32_t attribute, ObjectRequest& request);

// GET of attribute 46 (the family), 47 (the size) or 48 (the style's words, then its bits); any
// other attribute raises -11223.
void get_font_attribute(const TextMetrics& metrics, int32_t attribute, ObjectRequest& request);

// GET of "font metrics": leading, ascent, descent, the width of "W", the line height (the first
// three summed) and 1.
void append_font_metrics(ObjectRequest& request, int32_t leading, int32_t ascent, int32_t descent,
                         int32_t width);

} // namespace quillet
