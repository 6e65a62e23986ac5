#include "ui/objects/graphic_attributes.h"

#include "devices/path_mapping.h"
#include "graphics/image_files.h"
#include "graphics/picture_string.h"
#include "graphics/read_image.h"
#include "ui/drawing.h"
#include "ui/objects/attribute_tables.h"
#include "ui/objects/object_errors.h"
#include "ui/objects/user_units.h"
#include "values/errors.h"

#include <algorithm>
#include <fstream>

namespace quillet {
namespace {

using namespace graphic_attr;

void require_type(const GraphicRecord& g, std::initializer_list<int32_t> types) {
    if (std::find(types.begin(), types.end(), g.type) == types.end())
        raise_error(object_error::attribute_not_used);
}

int32_t object_distance(const ObjectEntry& entry, ObjectRequest& request, bool vertical) {
    if (!(entry.flags & object_flag::user_units)) return request.next_int();
    const WindowRecord& w = window_record(entry.window);
    double d = request.next_double();
    return std::abs(vertical ? user_distance_y(w, d) : user_distance_x(w, d));
}

void set_points(ObjectEntry& entry, ObjectRequest& request) {
    int32_t count = request.next_int();
    if (count < 0) raise_error(object_error::not_enough_values);
    request.need_numbers(2 * static_cast<size_t>(count));
    std::vector<IntPoint> points;
    points.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        int32_t x = object_coordinate(entry, request, false);
        int32_t y = object_coordinate(entry, request, true);
        points.push_back(narrow_point(x, y));
    }
    entry.graphic.points = std::move(points);
    if (entry.graphic.points.empty()) return;
    IntRect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (IntPoint p : entry.graphic.points) {
        box.left = std::min(box.left, p.x);
        box.top = std::min(box.top, p.y);
        box.right = std::max(box.right, p.x);
        box.bottom = std::max(box.bottom, p.y);
    }
    entry.rect = box;
    entry.relative = 0;
}

void set_image_file(const ObjectEntry& entry, const std::string& name) {
    const int32_t id = entry.id;
    const std::string type = entry.graphic.file_type;
    std::string path = host_path(name);
    if (!std::ifstream(path, std::ios::binary)) raise_error(object_error::no_such_file);
    ImagePicture picture;
    try {
        // A palette matters only where the screen has one: drawing the image selects it.
        const bool want_palette = screen_color_class() != color_class::true_color;
        picture = ImagePicture::of_image_file(read_image(type, path, want_palette));
    } catch (const ImageFileError& e) {
        raise_error(e.code());
    } catch (const std::bad_alloc&) {
        raise_error(err::out_of_memory);
    }
    // The reader pumps host messages, and what they run may have moved the object's entry (the
    // table grows) or changed the object: it is looked up again.
    ObjectEntry* still = find_object(id);
    if (!still || still->kind != object_kind::graphic ||
        still->graphic.type != graphic_shape::image)
        return;
    GraphicRecord& g = still->graphic;
    PictureInfo info = picture.info();
    g.image.file_name = name;
    g.image.picture = std::move(picture);
    g.image.width = narrow16(info.width);
    g.image.height = narrow16(info.height);
}

void set_image_picture(GraphicRecord& g, const std::string& text) {
    std::vector<uint8_t> picture(text.begin(), text.end());
    int width = 0, height = 0;
    if (!picture.empty()) {
        try {
            PictureInfo info = read_picture_info(picture);
            width = info.width;
            height = info.height;
        } catch (const PictureError&) {
            raise_error(object_error::attribute_not_used);
        }
    }
    g.image.picture = ImagePicture::of_string(std::move(picture));
    g.image.width = narrow16(width);
    g.image.height = narrow16(height);
}

} // namespace

int32_t object_coordinate(const ObjectEntry& entry, ObjectRequest& request, bool vertical) {
    if (!(entry.flags & object_flag::user_units)) return request.next_int();
    const WindowRecord& w = window_record(entry.window);
    double v = request.next_double();
    IntPoint p =
        vertical ? user_to_pixel(w, w.user_rect.left, v) : user_to_pixel(w, v, w.user_rect.top);
    return vertical ? p.y : p.x;
}

void set_graphic_attribute(ObjectEntry& entry, int32_t a, ObjectRequest& request) {
    GraphicRecord& g = entry.graphic;
    switch (a) {
    case graphic_type: {
        int32_t t = request.next_int();
        if (t < graphic_shape::oval || t > graphic_shape::image)
            raise_error(object_error::unknown_graphic_type);
        g.type = t;
        return;
    }
    case width: g.pen.width = narrow16(request.next_int()); return;
    case pen_color: g.pen.colour = request.next_int(); return;
    case pen_style: g.pen.style = request.next_int(); return;
    case pen_pattern: g.pen.pattern = request.next_int(); return;
    case brush_color: g.brush.colour = request.next_int(); return;
    case brush_pattern: g.brush.pattern = request.next_int(); return;
    case background_color: g.background_colour = request.next_int(); return;
    case drawmode: g.draw_mode = request.next_int(); return;
    case start_x:
    case start_y:
    case stop_x:
    case stop_y: {
        require_type(g, {graphic_shape::arc, graphic_shape::pie});
        bool vertical = a == start_y || a == stop_y;
        int16_t v = narrow16(object_coordinate(entry, request, vertical));
        IntPoint& p = (a == start_x || a == start_y) ? g.start : g.stop;
        (vertical ? p.y : p.x) = v;
        return;
    }
    case start_arrow:
    case end_arrow: {
        require_type(g, {graphic_shape::arrow_line});
        uint32_t bit = a == start_arrow ? xvt_arrow::at_from : xvt_arrow::at_to;
        g.arrows = request.next_int() != 0 ? (g.arrows | bit) : (g.arrows & ~bit);
        return;
    }
    case oval_width:
        require_type(g, {graphic_shape::rounded_rectangle});
        g.oval.width = object_distance(entry, request, false);
        return;
    case oval_height:
        require_type(g, {graphic_shape::rounded_rectangle});
        g.oval.height = object_distance(entry, request, true);
        return;
    case points:
        require_type(g, {graphic_shape::polygon, graphic_shape::polyline});
        set_points(entry, request);
        return;
    case filename:
        require_type(g, {graphic_shape::image});
        set_image_file(entry, request.next_string());
        return;
    case image:
        require_type(g, {graphic_shape::image});
        set_image_picture(g, request.next_string());
        return;
    case force_palette:
        require_type(g, {graphic_shape::image});
        g.image.force_palette = request.next_int();
        return;
    case filetype: g.file_type = request.next_string(); return;
    default: raise_error(object_error::attribute_not_used);
    }
}

void get_graphic_attribute(const ObjectEntry& entry, int32_t a, ObjectRequest& request) {
    const GraphicRecord& g = entry.graphic;
    switch (a) {
    case graphic_type: request.append_int(g.type); return;
    case width: request.append_int(g.pen.width); return;
    case pen_color: request.append_int(g.pen.colour); return;
    case pen_style: request.append_int(g.pen.style); return;
    case pen_pattern: request.append_int(g.pen.pattern); return;
    case brush_color: request.append_int(g.brush.colour); return;
    case brush_pattern: request.append_int(g.brush.pattern); return;
    case background_color: request.append_int(g.background_colour); return;
    case drawmode: request.append_int(g.draw_mode); return;
    case start_x:
        require_type(g, {graphic_shape::arc, graphic_shape::pie});
        request.append_int(g.start.x);
        return;
    case start_y:
        require_type(g, {graphic_shape::arc, graphic_shape::pie});
        request.append_int(g.start.y);
        return;
    case stop_x:
        require_type(g, {graphic_shape::arc, graphic_shape::pie});
        request.append_int(g.stop.x);
        return;
    case stop_y:
        require_type(g, {graphic_shape::arc, graphic_shape::pie});
        request.append_int(g.stop.y);
        return;
    case start_arrow:
        require_type(g, {graphic_shape::arrow_line});
        request.append_int((g.arrows & xvt_arrow::at_from) ? 1 : 0);
        return;
    case end_arrow:
        require_type(g, {graphic_shape::arrow_line});
        request.append_int((g.arrows & xvt_arrow::at_to) ? 1 : 0);
        return;
    case oval_width:
        require_type(g, {graphic_shape::rounded_rectangle});
        request.append_int(g.oval.width);
        return;
    case oval_height:
        require_type(g, {graphic_shape::rounded_rectangle});
        request.append_int(g.oval.height);
        return;
    case points:
        require_type(g, {graphic_shape::polygon, graphic_shape::polyline});
        request.append_int(static_cast<int32_t>(g.points.size()));
        for (IntPoint p : g.points) {
            request.append_int(p.x);
            request.append_int(p.y);
        }
        return;
    case filename:
        require_type(g, {graphic_shape::image});
        request.append_string(g.image.file_name);
        return;
    case image: {
        require_type(g, {graphic_shape::image});
        const std::vector<uint8_t> picture = g.image.picture.picture_string();
        request.append_string(std::string(picture.begin(), picture.end()));
        return;
    }
    case image_width:
        require_type(g, {graphic_shape::image});
        request.append_int(g.image.width);
        return;
    case image_height:
        require_type(g, {graphic_shape::image});
        request.append_int(g.image.height);
        return;
    case force_palette:
        require_type(g, {graphic_shape::image});
        request.append_int(g.image.force_palette);
        return;
    case filetype: request.append_string(g.file_type); return;
    default: raise_error(object_error::attribute_not_used);
    }
}

} // namespace quillet
