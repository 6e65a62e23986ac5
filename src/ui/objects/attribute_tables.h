// The attribute tables of the object classes: one .def file per class lists every attribute's
// number, name and rule (the rules are read by the class's attribute file, attribute_rules.h).
// Each table is also held as one text of name|number| pairs, in which names are
// found as substrings, so that a name that ends a listed name finds that name's number.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace quillet {

namespace window_attr {
enum : int32_t {
#define X(number, id, name, ...) id = number,
#include "ui/objects/window_attributes.def"
#undef X
};
} // namespace window_attr

namespace graphic_attr {
enum : int32_t {
#define X(number, id, name, ...) id = number,
#include "ui/objects/graphic_attributes.def"
#undef X
};
} // namespace graphic_attr

namespace control_attr {
enum : int32_t {
#define X(number, id, name, ...) id = number,
#include "ui/objects/control_attributes.def"
#undef X
};
} // namespace control_attr

namespace menu_attr {
enum : int32_t {
#define X(number, id, name, ...) id = number,
#include "ui/objects/menu_attributes.def"
#undef X
};
} // namespace menu_attr

namespace group_attr {
enum : int32_t {
#define X(number, id, name, ...) id = number,
#include "ui/objects/group_attributes.def"
#undef X
};
} // namespace group_attr

// The core attributes, 1..11, mean the same for graphic objects and controls.
inline constexpr int32_t last_core_attribute = 11;

enum class AttributeClass { window, graphic, control, menu, group };

struct AttributeName {
    int32_t number;
    std::string_view name;
};

// The listed attributes of a class, in table order.
std::span<const AttributeName> attribute_names(AttributeClass cls);

// The class's table as one text: "name|number|" for each attribute in table order.
const std::string& attribute_text(AttributeClass cls);

// The number written after the first occurrence of name + "|" in the text; 0 when the name does
// not occur or no number follows it.
int32_t find_attribute(std::string_view table_text, std::string_view name);

// find_attribute in the class's table; error -11225 when the name is not found.
int32_t lookup_attribute(AttributeClass cls, std::string_view name);

} // namespace quillet
