#include "ui/objects/graphic_attributes.h"

#include "devices/path_mapping.h"
#include "graphics/image_files.h"
#include "graphics/picture_string.h"
#include "graphics/read_image.h"
#include "ui/drawing.h"
#include "ui/objects/attribute_rules.h"
#include "ui/objects/attribute_tables.h"
#include "ui/objects/object_errors.h"
#include "ui/objects/user_units.h"
#include "values/errors.h"

#include <algorithm>
#include <array>
#include <fstream>

namespace quillet {
namespace {

// What a graphic object's rules act on.
struct GraphicTarget {
    ObjectEntry& entry;
    GraphicRecord& fields() { return entry.graphic; }
};

int32_t object_distance(const ObjectEntry& entry, ObjectRequest& request, bool vertical) {
    if (!(entry.flags & object_flag::user_units)) return request.next_int();
    const WindowRecord& w = window_record(entry.window);
    double d = request.next_double();
    return std::abs(vertical ? user_distance_y(w, d) : user_distance_x(w, d));
}

// A count, then that many x, y pairs; the rectangle becomes their bounding box.
bool set_points(GraphicTarget& t, int32_t, ObjectRequest& request) {
    ObjectEntry& entry = t.entry;
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
    if (entry.graphic.points.empty()) return true;
    IntRect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (IntPoint p : entry.graphic.points) {
        box.left = std::min(box.left, p.x);
        box.top = std::min(box.top, p.y);
        box.right = std::max(box.right, p.x);
        box.bottom = std::max(box.bottom, p.y);
    }
    entry.rect = box;
    entry.relative = 0;
    return true;
}

void get_points(GraphicTarget& t, int32_t, ObjectRequest& request) {
    const GraphicRecord& g = t.entry.graphic;
    request.append_int(static_cast<int32_t>(g.points.size()));
    for (IntPoint p : g.points) {
        request.append_int(p.x);
        request.append_int(p.y);
    }
}

// The file is read at once (error 9003 when it cannot be opened).
bool set_image_file(GraphicTarget& t, int32_t, ObjectRequest& request) {
    const ObjectEntry& entry = t.entry;
    const std::string& name = request.next_string();
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
        return true;
    GraphicRecord& g = still->graphic;
    PictureInfo info = picture.info();
    g.image.file_name = name;
    g.image.picture = std::move(picture);
    g.image.width = narrow16(info.width);
    g.image.height = narrow16(info.height);
    return true;
}

bool set_image_picture(GraphicTarget& t, int32_t, ObjectRequest& request) {
    GraphicRecord& g = t.entry.graphic;
    const std::string& text = request.next_string();
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
    return true;
}

void get_image_picture(GraphicTarget& t, int32_t, ObjectRequest& request) {
    const std::vector<uint8_t> picture = t.entry.graphic.image.picture.picture_string();
    request.append_string(std::string(picture.begin(), picture.end()));
}

bool set_graphic_type(GraphicTarget& t, int32_t, ObjectRequest& request) {
    const int32_t type = request.next_int();
    if (type < graphic_shape::oval || type > graphic_shape::image)
        raise_error(object_error::unknown_graphic_type);
    t.entry.graphic.type = type;
    return true;
}

// A coordinate of a point (x or y), in pixels or user units; kept to 16 bits.
template <auto Point, auto Coordinate>
bool set_point(GraphicTarget& t, int32_t, ObjectRequest& request) {
    constexpr bool vertical = Coordinate == &IntPoint::y;
    const int16_t v = narrow16(object_coordinate(t.entry, request, vertical));
    field_of<Point, Coordinate>(t.entry.graphic) = v;
    return true;
}

// A width or height, in pixels or a user-unit distance.
template <auto Size, auto Extent>
bool set_distance(GraphicTarget& t, int32_t, ObjectRequest& request) {
    constexpr bool vertical = Extent == &IntSize::height;
    field_of<Size, Extent>(t.entry.graphic) = object_distance(t.entry, request, vertical);
    return true;
}

constexpr uint32_t types(std::initializer_list<int32_t> shapes) {
    uint32_t bits = 0;
    for (int32_t shape : shapes)
        bits |= 1u << shape;
    return bits;
}

// The graphic types' rule makers beside the shared ones.
struct GraphicRules : AttributeRules<GraphicTarget> {
    static constexpr uint32_t arcs_and_pies = types({graphic_shape::arc, graphic_shape::pie});
    static constexpr uint32_t arrow_lines = types({graphic_shape::arrow_line});
    static constexpr uint32_t rounded_rectangles = types({graphic_shape::rounded_rectangle});
    static constexpr uint32_t polygons_and_polylines =
        types({graphic_shape::polygon, graphic_shape::polyline});
    static constexpr uint32_t images = types({graphic_shape::image});

    template <auto Point, auto Coordinate>
    static constexpr Rule point() {
        return integer<Point, Coordinate>().set_by(set_point<Point, Coordinate>);
    }
    template <auto Size, auto Extent>
    static constexpr Rule distance() {
        return integer<Size, Extent>().set_by(set_distance<Size, Extent>);
    }

    static constexpr auto rows() {
        return std::to_array<Row>({
#define X(number, id, name, ...) row(number, __VA_ARGS__),
#include "ui/objects/graphic_attributes.def"
#undef X
        });
    }
};

constexpr auto graphic_rows = GraphicRules::rows();

// The row's rule, when it applies to the object's graphic type.
const AttributeRule<GraphicTarget>& graphic_rule(const ObjectEntry& entry, int32_t number) {
    const AttributeRule<GraphicTarget>* rule = find_rule<GraphicTarget>(graphic_rows, number);
    if (!rule || !rule->applies_to(entry.graphic.type))
        raise_error(object_error::attribute_not_used);
    return *rule;
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

void set_graphic_attribute(ObjectEntry& entry, int32_t attribute, ObjectRequest& request) {
    const AttributeRule<GraphicTarget>& rule = graphic_rule(entry, attribute);
    if (!rule.set) raise_error(rule.refusal);
    GraphicTarget t{entry};
    rule.set(t, attribute, request);
}

void get_graphic_attribute(ObjectEntry& entry, int32_t attribute, ObjectRequest& request) {
    const AttributeRule<GraphicTarget>& rule = graphic_rule(entry, attribute);
    if (!rule.get) raise_error(object_error::attribute_not_used);
    GraphicTarget t{entry};
    rule.get(t, attribute, request);
}

} // namespace quillet
