// The rules of attribute rows. Beside its number and name, every row of a class's .def table
// names its rule: how SET takes the value and what GET appends, the field it reads and writes,
// whether it is read-only (and the error a SET gets then), which graphic types or control kinds
// it applies to and which of the class's actions follows a set. A class serves all its rows with
// one set loop and one get loop; the irregular attributes keep functions of their own, named in
// their rows. A table read by two classes (controls: text edits and the native kinds) has one
// rule column for each, each written in parentheses.
//
// A class's rules act on a target: the record the rows' fields live in (target.fields()) with
// what the class's actions need beside it. The class derives its rule makers from
// AttributeRules<Target> and adds its own, and its .def rows are read inside that derived class,
// so that a row reads `integer<&WindowRecord::parent>()` or `own(set_cursor, get_cursor)`.
#pragma once

#include "ui/drawing.h"
#include "ui/font_attributes.h"
#include "ui/objects/object_errors.h"
#include "ui/objects/object_request.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <type_traits>

// A rule column written in parentheses (a table with more than one rule column), unwrapped.
#define QUILLET_RULE(...) __VA_ARGS__

namespace quillet {

template <class Target>
struct AttributeRule {
    // Takes the attribute's values; true when the row's action after a set is due.
    using Set = bool (*)(Target&, int32_t attribute, ObjectRequest&);
    using Get = void (*)(Target&, int32_t attribute, ObjectRequest&);
    static constexpr uint32_t all_types = ~0u;

    Set set = nullptr;          // nullptr: read-only, SET is refused with `refusal`
    Get get = nullptr;          // nullptr: GET is refused (-11223)
    uint8_t after = 0;          // the class's action after a set; 0 none
    uint32_t types = all_types; // bit t: applies to graphic type or control kind t
    int32_t refusal = object_error::attribute_not_used;

    constexpr AttributeRule then(uint8_t action) const {
        AttributeRule r = *this;
        r.after = action;
        return r;
    }
    constexpr AttributeRule only(uint32_t type_bits) const {
        AttributeRule r = *this;
        r.types = type_bits;
        return r;
    }
    // The field is read as the rule says, but set by a function of its own.
    constexpr AttributeRule set_by(Set own_set) const {
        AttributeRule r = *this;
        r.set = own_set;
        return r;
    }
    constexpr AttributeRule get_by(Get own_get) const {
        AttributeRule r = *this;
        r.get = own_get;
        return r;
    }
    constexpr AttributeRule read_only(int32_t code = object_error::attribute_not_used) const {
        AttributeRule r = *this;
        r.set = nullptr;
        r.refusal = code;
        return r;
    }
    // Whether the row applies to an object of graphic type or control kind `type` (-1: none).
    constexpr bool applies_to(int32_t type) const {
        if (types == all_types) return true;
        return type >= 0 && type < 32 && ((types >> type) & 1u) != 0;
    }
};

template <class Target>
struct AttributeRow {
    int32_t number;
    AttributeRule<Target> rule;
};

// The rule of the row with that number; nullptr when there is none.
template <class Target>
const AttributeRule<Target>* find_rule(std::span<const AttributeRow<Target>> rows, int32_t number) {
    for (const AttributeRow<Target>& row : rows)
        if (row.number == number) return &row.rule;
    return nullptr;
}

// A field reached from a record through member pointers in turn (a, then a member of a, ...).
template <auto... Path, class Record>
constexpr auto& field_of(Record& record) {
    return (record.*....*Path);
}

// The drawing tools that windows and graphic objects both keep, under the same names and
// numbers (13 to 20): where each one lives in a record with a pen, a brush, a background colour
// and a draw mode.
namespace drawing_tool {
struct width {
    static auto& of(auto& r) { return r.pen.width; }
};
struct pen_colour {
    static auto& of(auto& r) { return r.pen.colour; }
};
struct pen_style {
    static auto& of(auto& r) { return r.pen.style; }
};
struct pen_pattern {
    static auto& of(auto& r) { return r.pen.pattern; }
};
struct brush_colour {
    static auto& of(auto& r) { return r.brush.colour; }
};
struct brush_pattern {
    static auto& of(auto& r) { return r.brush.pattern; }
};
struct background_colour {
    static auto& of(auto& r) { return r.background_colour; }
};
struct draw_mode {
    static auto& of(auto& r) { return r.draw_mode; }
};
} // namespace drawing_tool

// The shapes of the regular rows.
namespace attribute_shape {

template <class Field>
void store_int(Field& field, int32_t value) {
    if constexpr (std::is_same_v<Field, int16_t>)
        field = narrow16(value);
    else
        field = value;
}

template <class Target, auto... Path>
bool set_integer(Target& t, int32_t, ObjectRequest& request) {
    store_int(field_of<Path...>(t.fields()), request.next_int());
    return true;
}
template <class Target, auto... Path>
void get_integer(Target& t, int32_t, ObjectRequest& request) {
    request.append_int(field_of<Path...>(t.fields()));
}

// Negative values are taken as 0.
template <class Target, auto... Path>
bool set_non_negative(Target& t, int32_t, ObjectRequest& request) {
    field_of<Path...>(t.fields()) = std::max(request.next_int(), 0);
    return true;
}

// 1 for a non-zero value, else 0.
template <class Target, auto... Path>
bool set_boolean(Target& t, int32_t, ObjectRequest& request) {
    field_of<Path...>(t.fields()) = request.next_int() != 0 ? 1 : 0;
    return true;
}

template <class Target, auto... Path>
bool set_text(Target& t, int32_t, ObjectRequest& request) {
    field_of<Path...>(t.fields()) = request.next_string();
    return true;
}
template <class Target, auto... Path>
void get_text(Target& t, int32_t, ObjectRequest& request) {
    request.append_string(field_of<Path...>(t.fields()));
}

// One bit of a word: a non-zero value sets it; GET reads 1 or 0.
template <class Target, uint32_t Bit, auto... Path>
bool set_flag(Target& t, int32_t, ObjectRequest& request) {
    const bool on = request.next_int() != 0;
    auto& word = field_of<Path...>(t.fields());
    word = on ? (word | Bit) : (word & ~Bit);
    return true;
}
template <class Target, uint32_t Bit, auto... Path>
void get_flag(Target& t, int32_t, ObjectRequest& request) {
    request.append_int((field_of<Path...>(t.fields()) & Bit) ? 1 : 0);
}

template <class Target, class Tool>
bool set_tool(Target& t, int32_t, ObjectRequest& request) {
    store_int(Tool::of(t.fields()), request.next_int());
    return true;
}
template <class Target, class Tool>
void get_tool(Target& t, int32_t, ObjectRequest& request) {
    request.append_int(Tool::of(t.fields()));
}

// Font name, size and style of the target's text metrics (target.metrics()); the action after
// the set is due only when the value changed.
template <class Target>
bool set_font(Target& t, int32_t attribute, ObjectRequest& request) {
    return set_font_attribute(t.metrics(), attribute, request);
}
template <class Target>
void get_font(Target& t, int32_t attribute, ObjectRequest& request) {
    get_font_attribute(t.metrics(), attribute, request);
}

} // namespace attribute_shape

// The rule makers every class shares.
template <class Target>
struct AttributeRules {
    using Rule = AttributeRule<Target>;
    using Row = AttributeRow<Target>;

    // Every row names its rule: a row without one does not compile.
    static constexpr Row row(int32_t number, Rule rule) { return {number, rule}; }

    // A row another class serves before these rules are asked (the core attributes that graphic
    // objects and controls share, a control's type and ID).
    static constexpr Rule core() { return {}; }
    // Neither SET nor GET is used (-11223).
    static constexpr Rule unused() { return {}; }
    // Hand-written SET and GET (either may be nullptr: refused).
    static constexpr Rule own(typename Rule::Set set, typename Rule::Get get) {
        return {.set = set, .get = get};
    }
    // GET by a function of its own; SET refused with the error `code`.
    static constexpr Rule read_only(typename Rule::Get get,
                                    int32_t code = object_error::attribute_not_used) {
        return {.get = get, .refusal = code};
    }
    template <auto... Path>
    static constexpr Rule integer() {
        return own(attribute_shape::set_integer<Target, Path...>,
                   attribute_shape::get_integer<Target, Path...>);
    }
    template <auto... Path>
    static constexpr Rule non_negative() {
        return own(attribute_shape::set_non_negative<Target, Path...>,
                   attribute_shape::get_integer<Target, Path...>);
    }
    template <auto... Path>
    static constexpr Rule boolean() {
        return own(attribute_shape::set_boolean<Target, Path...>,
                   attribute_shape::get_integer<Target, Path...>);
    }
    template <auto... Path>
    static constexpr Rule text() {
        return own(attribute_shape::set_text<Target, Path...>,
                   attribute_shape::get_text<Target, Path...>);
    }
    template <uint32_t Bit, auto... Path>
    static constexpr Rule flag() {
        return own(attribute_shape::set_flag<Target, Bit, Path...>,
                   attribute_shape::get_flag<Target, Bit, Path...>);
    }
    template <class Tool>
    static constexpr Rule tool() {
        return own(attribute_shape::set_tool<Target, Tool>,
                   attribute_shape::get_tool<Target, Tool>);
    }
    static constexpr Rule font() {
        return own(attribute_shape::set_font<Target>, attribute_shape::get_font<Target>);
    }
};

} // namespace quillet
