// The font attributes that windows and text edits share.
#include "ui/font_attributes.h"

#include "ui/objects/attribute_tables.h"
#include "ui/objects/font_styles.h"
#include "ui/objects/object_errors.h"
#include "values/errors.h"

#include <string>

namespace quillet {

namespace {

constexpr size_t longest_family = 128;

template <typename T>
bool change(T& field, T value) {
    if (field == value) return false;
    field = std::move(value);
    return true;
}

} // namespace

bool set_font_attribute(TextMetrics& metrics, int32_t attribute, ObjectRequest& request) {
    switch (attribute) {
    case window_attr::font_name:
        return change(metrics.family, request.next_string().substr(0, longest_family));
    case window_attr::font_size: {
        const int32_t size = request.next_int();
        if (size < 1) raise_error(font_size_not_positive);
        return change(metrics.font_size, size);
    }
    case window_attr::font_style:
        return change(metrics.font_style, font_style_bits(request.next_string()));
    default: raise_error(object_error::attribute_not_used);
    }
}

void get_font_attribute(const TextMetrics& metrics, int32_t attribute, ObjectRequest& request) {
    switch (attribute) {
    case window_attr::font_name: request.append_string(metrics.family); return;
    case window_attr::font_size: request.append_int(metrics.font_size); return;
    case window_attr::font_style:
        request.append_string(font_style_words(metrics.font_style));
        request.append_int(static_cast<int32_t>(metrics.font_style));
        return;
    default: raise_error(object_error::attribute_not_used);
    }
}

void append_font_metrics(ObjectRequest& request, int32_t leading, int32_t ascent, int32_t descent,
                         int32_t width) {
    for (int32_t v : {leading, ascent, descent, width, leading + ascent + descent, 1})
        request.append_int(v);
}

} // namespace quillet
