// The shared font attributes.
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

} // namespace quillet
