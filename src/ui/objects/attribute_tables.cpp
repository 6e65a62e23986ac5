#include "ui/objects/attribute_tables.h"

#include "ui/objects/object_errors.h"
#include "values/errors.h"

#include <array>
#include <charconv>

namespace quillet {
namespace {

constexpr AttributeName window_names[] = {
#define X(number, id, name, ...) {number, name},
#include "ui/objects/window_attributes.def"
#undef X
};
constexpr AttributeName graphic_names[] = {
#define X(number, id, name, ...) {number, name},
#include "ui/objects/graphic_attributes.def"
#undef X
};
constexpr AttributeName control_names[] = {
#define X(number, id, name, ...) {number, name},
#include "ui/objects/control_attributes.def"
#undef X
};
constexpr AttributeName menu_names[] = {
#define X(number, id, name, ...) {number, name},
#include "ui/objects/menu_attributes.def"
#undef X
};
constexpr AttributeName group_names[] = {
#define X(number, id, name, ...) {number, name},
#include "ui/objects/group_attributes.def"
#undef X
};

std::string joined(std::span<const AttributeName> names) {
    std::string text;
    for (const AttributeName& a : names) {
        text += a.name;
        text += '|';
        text += std::to_string(a.number);
        text += '|';
    }
    return text;
}

} // namespace

std::span<const AttributeName> attribute_names(AttributeClass cls) {
    switch (cls) {
    case AttributeClass::window: return window_names;
    case AttributeClass::graphic: return graphic_names;
    case AttributeClass::control: return control_names;
    case AttributeClass::menu: return menu_names;
    case AttributeClass::group: return group_names;
    }
    return {};
}

const std::string& attribute_text(AttributeClass cls) {
    static const std::array<std::string, 5> texts = {joined(window_names), joined(graphic_names),
                                                     joined(control_names), joined(menu_names),
                                                     joined(group_names)};
    return texts[static_cast<size_t>(cls)];
}

int32_t find_attribute(std::string_view table_text, std::string_view name) {
    std::string key(name);
    key += '|';
    size_t at = table_text.find(key);
    if (at == std::string_view::npos) return 0;
    std::string_view rest = table_text.substr(at + key.size());
    int32_t number = 0;
    std::from_chars(rest.data(), rest.data() + rest.size(), number);
    return number;
}

int32_t lookup_attribute(AttributeClass cls, std::string_view name) {
    int32_t number = find_attribute(attribute_text(cls), name);
    if (number <= 0) raise_error(object_error::unknown_attribute);
    return number;
}

} // namespace quillet
