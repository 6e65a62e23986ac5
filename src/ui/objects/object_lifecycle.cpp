#include "ui/objects/object_lifecycle.h"

#include "graphics/picture_string.h"
#include "host/raster/raster_ops.h"
#include "interp/registers.h"
#include "ui/colours.h"
#include "ui/controls/control_state.h"
#include "ui/objects/group_members.h"
#include "ui/objects/window_tools.h"
#include "values/numbers.h"

#include <algorithm>
#include <cstring>

namespace quillet {
namespace {

constexpr int32_t display_record_size = 16;

void append_display_record(WindowRecord& window, int32_t kind, int32_t id) {
    uint8_t record[display_record_size];
    int32_t length = display_record_size;
    Cell value = num_int(id);
    std::memcpy(record, &length, 4);
    std::memcpy(record + 4, &kind, 4);
    std::memcpy(record + 8, &value, 8);
    window.display_list.insert(window.display_list.end(), record, record + display_record_size);
}

// Takes the object's records out of the window's display list.
void remove_display_records(WindowRecord& window, int32_t id) {
    std::vector<uint8_t>& list = window.display_list;
    size_t at = 0;
    while (at + 12 <= list.size()) {
        int32_t length, record_id;
        std::memcpy(&length, list.data() + at, 4);
        std::memcpy(&record_id, list.data() + at + 8, 4);
        if (length < 12 || at + static_cast<size_t>(length) > list.size()) return;
        if (record_id == id && !window.replaying)
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(at),
                       list.begin() + static_cast<std::ptrdiff_t>(at + size_t(length)));
        else
            at += static_cast<size_t>(length);
    }
}

DrawTools graphic_tools(const WindowRecord& window, const GraphicRecord& g, DrawTools tools) {
    tools.pen_width = g.pen.width;
    tools.pen_pattern = g.pen.pattern;
    tools.pen_style = g.pen.style;
    tools.pen_color = colour_value(g.pen.colour);
    tools.brush_pattern = g.brush.pattern;
    tools.brush_color = colour_value(g.brush.colour);
    tools.background =
        g.background_colour == -2 ? window.background_value : colour_value(g.background_colour);
    tools.mode = g.draw_mode;
    return tools;
}

void draw_shape(XvtWindow w, const ObjectEntry& entry, const IntRect& r) {
    const GraphicRecord& g = entry.graphic;
    switch (g.type) {
    case graphic_shape::oval: xp_dwin_draw_oval(w, r); break;
    case graphic_shape::line:
        draw_line({w, no_xvt_window}, {r.left, r.top}, {r.right, r.bottom}, g.pen.width);
        break;
    case graphic_shape::rectangle: xp_dwin_draw_rect(w, r); break;
    case graphic_shape::arc: xp_dwin_draw_arc(w, r, g.start, g.stop); break;
    case graphic_shape::pie: xp_dwin_draw_pie(w, r, g.start, g.stop); break;
    case graphic_shape::arrow_line:
        xp_dwin_draw_aline(w, {r.left, r.top}, {r.right, r.bottom}, g.arrows);
        break;
    case graphic_shape::rounded_rectangle:
        xp_dwin_draw_roundrect(w, r, g.oval.width, g.oval.height);
        break;
    case graphic_shape::polygon: xp_dwin_draw_polygon(w, g.points); break;
    case graphic_shape::polyline: xp_dwin_draw_polyline(w, g.points); break;
    case graphic_shape::image: {
        if (g.image.picture.empty()) break;
        Surface pixels = g.image.picture.decode();
        IntRect source = IntRect::from_size(pixels.width(), pixels.height());
        IntRect dest =
            r.is_empty() ? IntRect{r.left, r.top, r.left + pixels.width(), r.top + pixels.height()}
                         : r;
        // A picture read with a palette (on a palette screen) makes it the window's.
        if (XvtPalette palette = g.image.picture.palette()) xp_vobj_set_palet(w, palette);
        xp_dwin_draw_picture(w, pixels, dest, source, rop3::src_copy);
        break;
    }
    default: break;
    }
}

// The rectangle widened by margin on every side, its edges in either order.
IntRect widened_area(const IntRect& rect, int32_t margin) {
    return {std::min(rect.left, rect.right) - margin, std::min(rect.top, rect.bottom) - margin,
            std::max(rect.left, rect.right) + margin + 1,
            std::max(rect.top, rect.bottom) + margin + 1};
}

bool is_arc_or_pie(const ObjectEntry& entry) {
    return entry.graphic.type == graphic_shape::arc || entry.graphic.type == graphic_shape::pie;
}

// Covers the area with a solid fill of the object's brush colour, whatever the window's drawing
// mode.
void cover_with_brush(const ObjectEntry& entry, const WindowRecord& window, const IntRect& area) {
    XvtWindow w = window.native_window;
    DrawTools saved;
    xp_dwin_get_draw_ctools(w, saved);
    DrawTools filling = saved;
    filling.pen_color = filling.brush_color = colour_value(entry.graphic.brush.colour);
    filling.pen_width = 1;
    filling.pen_pattern = 2; // a solid pen of the same colour: the outline is part of the fill
    filling.pen_style = 0;
    filling.brush_pattern = xvt_brush_pattern::solid;
    filling.mode = xvt_draw_mode::copy;
    xp_dwin_set_draw_ctools(w, filling);
    xp_dwin_draw_rect(w, area);
    xp_dwin_set_draw_ctools(w, saved);
}

} // namespace

void redraw_listed_object(int32_t id) {
    ObjectEntry* entry = find_object(id);
    if (entry && entry->kind == object_kind::graphic && (entry->flags & object_flag::shown))
        draw_graphic_object(*entry);
}

void window_covered(int n) {
    for (ObjectEntry& entry : object_tables.objects)
        if (entry.in_use() && entry.kind == object_kind::graphic && entry.window == n)
            entry.flags &= ~object_flag::shown;
}

IntRect object_pixel_rect(const ObjectEntry& entry) {
    IntRect r = entry.rect;
    const WindowRecord* window = find_window(entry.window);
    int32_t w = window ? window->pixel_width : 0, h = window ? window->pixel_height : 0;
    if (entry.relative & relative_edge::left) r.left = w - r.left;
    if (entry.relative & relative_edge::right) r.right = w - r.right;
    if (entry.relative & relative_edge::top) r.top = h - r.top;
    if (entry.relative & relative_edge::bottom) r.bottom = h - r.bottom;
    return r;
}

void draw_graphic_object(const ObjectEntry& entry) {
    WindowRecord* window = find_window(entry.window);
    if (!window || !window_is_made(*window)) return;
    XvtWindow w = window->native_window;
    DrawTools saved;
    xp_dwin_get_draw_ctools(w, saved);
    xp_dwin_set_draw_ctools(w, graphic_tools(*window, entry.graphic, saved));
    try {
        draw_shape(w, entry, object_pixel_rect(entry));
    } catch (const PictureError&) {
        // A picture that cannot be decoded draws nothing.
    }
    xp_dwin_set_draw_ctools(w, saved);
}

void invalidate_object_area(const ObjectEntry& entry, const IntRect& rect, int32_t margin) {
    WindowRecord* window = find_window(entry.window);
    if (!window || !window_is_made(*window) || window->type == window_type::printing) return;
    IntRect area = widened_area(rect, margin);
    xp_dwin_invalidate_rect(window->native_window, &area);
}

void show_object(ObjectEntry& entry) {
    bool control = entry.kind == object_kind::control;
    if (!(entry.flags & object_flag::listed)) {
        entry.flags |= object_flag::shown | object_flag::listed;
        if (control)
            control_of(entry).show(entry);
        else
            draw_graphic_object(entry);
        if (WindowRecord* window = find_window(entry.window))
            append_display_record(*window, control ? display_control : display_graphic_object,
                                  entry.id);
        // A program following its scroll bar in a slice is not re-entered by the events that
        // come meanwhile.
        if (!vm.in_slice) process_host_messages();
        return;
    }
    if (entry.flags & object_flag::shown) return;
    entry.flags |= object_flag::shown;
    if (control)
        control_of(entry).show(entry);
    else
        draw_graphic_object(entry);
}

void hide_object(ObjectEntry& entry) {
    bool was_shown = entry.flags & object_flag::shown;
    if (entry.kind == object_kind::control && was_shown) control_of(entry).hide(entry);
    entry.flags &= ~object_flag::shown;
    int32_t margin = entry.kind == object_kind::control ? 0 : entry.graphic.pen.width + 5;
    invalidate_object_area(entry, object_pixel_rect(entry), margin);
    process_host_messages();
}

void free_object(ObjectEntry& entry) {
    int32_t id = entry.id;
    bool shown = entry.flags & object_flag::shown;
    if (entry.kind == object_kind::control) free_control(entry);
    if (WindowRecord* window = find_window(entry.window)) {
        std::erase(window->objects, id);
        remove_display_records(*window, id);
    }
    if (shown && entry.kind != object_kind::control)
        invalidate_object_area(entry, object_pixel_rect(entry), entry.graphic.pen.width + 5);
    if (entry.group != 0) leave_group(entry.group, id);
    entry = ObjectEntry{};
    entry.id = id;
}

void refresh_graphic_object(ObjectEntry& entry) {
    if (entry.kind != object_kind::graphic || !(entry.flags & object_flag::shown)) return;
    int32_t margin = std::max(entry.graphic.pen.width - 1, 0);
    invalidate_object_area(entry, object_pixel_rect(entry), margin);
    int32_t id = entry.id;
    process_host_messages();
    ObjectEntry* still = find_object(id);
    if (!still || !(still->flags & object_flag::shown)) return;
    // An arc or pie on a window without a backing pixmap stands on a box of its brush colour.
    // The box goes on after the repaint above, which clears the area to white.
    WindowRecord* window = find_window(still->window);
    if (window && window_is_made(*window) && window->backing_pixmap == no_xvt_window &&
        window->type != window_type::printing && is_arc_or_pie(*still))
        cover_with_brush(*still, *window, widened_area(object_pixel_rect(*still), margin));
    draw_graphic_object(*still);
}

} // namespace quillet
