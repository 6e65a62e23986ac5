// The object class (graphic objects and controls): CREATE, COPY, SET and GET with the core
// attributes shared by both kinds, SHOW, HIDE, FREE, focus and the text-edit methods.
#include "ui/controls/control_state.h"
#include "ui/drawing.h"
#include "ui/objects/attribute_tables.h"
#include "ui/objects/graphic_attributes.h"
#include "ui/objects/object_classes.h"
#include "ui/objects/object_dispatch.h"
#include "ui/objects/object_errors.h"
#include "ui/objects/object_lifecycle.h"
#include "ui/objects/user_units.h"
#include "ui/text_edits/text_edit_methods.h"
#include "values/errors.h"

#include <algorithm>

namespace quillet {
namespace {

bool is_control(const ObjectEntry& entry) {
    return entry.kind == object_kind::control;
}

AttributeClass attribute_class(const ObjectEntry& entry) {
    return is_control(entry) ? AttributeClass::control : AttributeClass::graphic;
}

bool is_line(const ObjectEntry& entry) {
    return !is_control(entry) && (entry.graphic.type == graphic_shape::line ||
                                  entry.graphic.type == graphic_shape::arrow_line);
}

// One edge: a coordinate, or for a relative edge a distance from the window's side.
int32_t edge_value(const ObjectEntry& entry, ObjectRequest& request, bool vertical,
                   uint16_t relative_bit) {
    if (!(entry.flags & object_flag::user_units) || !(entry.relative & relative_bit))
        return object_coordinate(entry, request, vertical);
    const WindowRecord& w = window_record(entry.window);
    double d = request.next_double();
    return std::abs(vertical ? user_distance_y(w, d) : user_distance_x(w, d));
}

// Values left, right, bottom, top. Lines keep their ends as given (they are the line's points);
// other objects have their pairs of plain edges put in order.
void set_rectangle(ObjectEntry& entry, ObjectRequest& request) {
    request.need_numbers(4);
    int32_t left = edge_value(entry, request, false, relative_edge::left);
    int32_t right = edge_value(entry, request, false, relative_edge::right);
    int32_t bottom = edge_value(entry, request, true, relative_edge::bottom);
    int32_t top = edge_value(entry, request, true, relative_edge::top);
    if (!is_line(entry)) {
        if (left == right || top == bottom) raise_error(object_error::empty_rectangle);
        // A relative edge is a distance, not a coordinate: only a pair of plain edges is put
        // in order.
        uint16_t rel = entry.relative;
        if (left > right && !(rel & (relative_edge::left | relative_edge::right)))
            std::swap(left, right);
        if (top > bottom && !(rel & (relative_edge::top | relative_edge::bottom)))
            std::swap(top, bottom);
    }
    IntRect old = object_pixel_rect(entry);
    entry.rect = narrow_rect(left, top, right, bottom);
    if (!(entry.flags & object_flag::shown)) return;
    if (is_control(entry)) {
        control_of(entry).move(entry, old);
    } else {
        invalidate_object_area(entry, old, entry.graphic.pen.width + 5);
    }
}

void set_relative(ObjectEntry& entry, uint16_t bits, bool on) {
    entry.relative = on ? static_cast<uint16_t>(entry.relative | bits)
                        : static_cast<uint16_t>(entry.relative & ~bits);
}

void set_core(ObjectEntry& entry, int32_t a, ObjectRequest& request) {
    using namespace graphic_attr;
    switch (a) {
    case type: entry.kind = request.next_int(); return;
    case name: entry.name = request.next_string(); return;
    case sensitive: {
        bool on = request.next_int() != 0;
        entry.flags =
            on ? (entry.flags | object_flag::sensitive) : (entry.flags & ~object_flag::sensitive);
        if (is_control(entry)) control_of(entry).set_sensitive(entry, on);
        return;
    }
    case visible: raise_error(object_error::attribute_not_used);
    case rectangle: set_rectangle(entry, request); return;
    case units: {
        bool on = request.next_int() != 0;
        entry.flags =
            on ? (entry.flags | object_flag::user_units) : (entry.flags & ~object_flag::user_units);
        return;
    }
    case relative: set_relative(entry, relative_edge::all, request.next_int() != 0); return;
    case left_relative: set_relative(entry, relative_edge::left, request.next_int() != 0); return;
    case right_relative: set_relative(entry, relative_edge::right, request.next_int() != 0); return;
    case bottom_relative:
        set_relative(entry, relative_edge::bottom, request.next_int() != 0);
        return;
    case top_relative: set_relative(entry, relative_edge::top, request.next_int() != 0); return;
    default: break;
    }
}

void get_core(const ObjectEntry& entry, int32_t a, ObjectRequest& request) {
    using namespace graphic_attr;
    switch (a) {
    case type: request.append_int(entry.kind); return;
    case name: request.append_string(entry.name); return;
    case sensitive: request.append_int((entry.flags & object_flag::sensitive) ? 1 : 0); return;
    case visible: request.append_int((entry.flags & object_flag::shown) ? 1 : 0); return;
    case rectangle:
        for (int32_t v : {entry.rect.left, entry.rect.right, entry.rect.bottom, entry.rect.top})
            request.append_int(v);
        return;
    case units: request.append_int((entry.flags & object_flag::user_units) ? 1 : 0); return;
    case relative: request.append_int(entry.relative != 0 ? 1 : 0); return; // any edge relative
    case left_relative: request.append_int((entry.relative & relative_edge::left) ? 1 : 0); return;
    case right_relative:
        request.append_int((entry.relative & relative_edge::right) ? 1 : 0);
        return;
    case bottom_relative:
        request.append_int((entry.relative & relative_edge::bottom) ? 1 : 0);
        return;
    case top_relative: request.append_int((entry.relative & relative_edge::top) ? 1 : 0); return;
    default: break;
    }
}

void set_attributes(int32_t id, ObjectRequest& request) {
    try {
        for (const std::string& name : request.names()) {
            ObjectEntry& entry = object_entry(id);
            int32_t a = lookup_attribute(attribute_class(entry), name);
            if (a <= last_core_attribute)
                set_core(entry, a, request);
            else if (is_control(entry))
                set_control(entry, a, request);
            else
                set_graphic_attribute(entry, a, request);
        }
    } catch (const EndOfSetCall&) {
        // A soft error that the program's handler did not take ends the SET call here.
    }
    if (ObjectEntry* entry = find_object(id)) refresh_graphic_object(*entry);
}

void get_attributes(int32_t id, ObjectRequest& request) {
    for (const std::string& name : request.names()) {
        ObjectEntry& entry = object_entry(id);
        int32_t a = lookup_attribute(attribute_class(entry), name);
        if (a <= last_core_attribute)
            get_core(entry, a, request);
        else if (is_control(entry))
            get_control(entry, a, request);
        else
            get_graphic_attribute(entry, a, request);
    }
}

void copy_object(int32_t id, ObjectRequest& request) {
    object_entry(id); // a valid ID in use, before a new one is handed out
    int32_t new_id = allocate_object_id();
    ObjectEntry& original = object_entry(id); // the table may have grown
    ObjectEntry& copy = object_tables.objects[static_cast<size_t>(new_id - first_object_id)];
    copy.id = new_id;
    copy.name = original.name;
    copy.kind = original.kind;
    copy.graphic = original.graphic;
    copy.control.kind = original.control.kind;
    if (original.control.state) copy.control.state = original.control.state->clone();
    copy.window = original.window;
    copy.flags = original.flags & (object_flag::sensitive | object_flag::user_units);
    copy.rect = original.rect;
    copy.relative = original.relative;
    request.append_int(new_id);
}

void call_text_edit_method(int32_t id, ObjectRequest& request) {
    ObjectEntry& entry = object_entry(id);
    if (!is_control(entry) || entry.control.kind != control_kind::text_edit)
        raise_error(object_error::text_edit_method);
    text_edit_method_call(entry, request);
}

} // namespace

void create_object(ObjectRequest& request, int32_t kind) {
    int32_t id = allocate_object_id();
    ObjectEntry& entry = object_tables.objects[static_cast<size_t>(id - first_object_id)];
    entry.id = id;
    entry.kind = kind;
    entry.window = window_table.current;
    request.set_new_id(id);
    // A control joins its window's object list when it is made on screen.
    if (request.has_names()) set_attributes(id, request);
}

void object_method_call(int32_t id, ObjectRequest& request) {
    using namespace object_method;
    int32_t method = request.method();
    if (method >= first_text_edit && method <= last_text_edit) {
        call_text_edit_method(id, request);
        return;
    }
    switch (method) {
    case copy: copy_object(id, request); return;
    case set: set_attributes(id, request); return;
    case get: get_attributes(id, request); return;
    case show: show_object(object_entry(id)); return;
    case hide: hide_object(object_entry(id)); return;
    case free: free_object(object_entry(id)); return;
    case select: {
        ObjectEntry& entry = object_entry(id);
        if (is_control(entry) && (entry.flags & object_flag::shown)) control_of(entry).focus(entry);
        return;
    }
    default: raise_error(object_error::unknown_object_method);
    }
}

} // namespace quillet
