// The tables of the object classes that live in ID ranges of their own: objects (graphic
// objects and controls, IDs handed out from 101), menus (from 10001) and groups (from 15001).
// Each table grows by 10 entries when a new ID falls beyond it; a new ID is the lowest free slot
// up to the highest ID handed out, else the highest + 1.
#pragma once

#include "graphics/read_image.h"
#include "ui/window_table.h"
#include "xvt/xvt.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quillet {

inline constexpr int32_t first_object_id = 101;
inline constexpr int32_t last_object_id = 10000;
inline constexpr int32_t first_menu_id = 10001;
inline constexpr int32_t last_menu_id = 14999;
inline constexpr int32_t first_group_id = 15001;
inline constexpr int32_t last_group_id = 19999;
inline constexpr int32_t first_window_id_out_of_range = 20000;
inline constexpr size_t table_growth = 10;

// Object kinds of an entry (attribute "type" may set any number).
namespace object_kind {
inline constexpr int32_t free = -1;
inline constexpr int32_t graphic = 0;
inline constexpr int32_t control = 2;
} // namespace object_kind

namespace object_flag {
inline constexpr uint32_t shown = 0x1;
inline constexpr uint32_t sensitive = 0x2;
inline constexpr uint32_t user_units = 0x4;
inline constexpr uint32_t listed = 0x8; // entered in the window's display list
} // namespace object_flag

// Edges given as distances from the window's right or bottom side.
namespace relative_edge {
inline constexpr uint16_t left = 0x1;
inline constexpr uint16_t right = 0x2;
inline constexpr uint16_t bottom = 0x4;
inline constexpr uint16_t top = 0x8;
inline constexpr uint16_t all = 0xF;
} // namespace relative_edge

namespace graphic_shape {
inline constexpr int32_t none = -1;
inline constexpr int32_t oval = 0, line = 1, rectangle = 2, arc = 3, pie = 4, arrow_line = 5,
                         rounded_rectangle = 6, polygon = 7, polyline = 8, image = 9;
} // namespace graphic_shape

struct GraphicImage {
    std::string file_name;
    // A picture string; one read from a file on a palette screen brings its palette along.
    ImagePicture picture;
    int16_t width = 0;
    int16_t height = 0;
    int32_t force_palette = 0;
};

struct GraphicRecord {
    int32_t type = graphic_shape::none;
    PenRecord pen{.width = 1, .colour = -1, .pattern = 2, .style = 0};
    BrushRecord brush{.colour = -2, .pattern = 2};
    int32_t background_colour = -2;
    int32_t draw_mode = 0;
    IntPoint start;               // arcs and pies
    IntPoint stop;                // arcs and pies
    uint32_t arrows = 0;          // xvt_arrow bits: arrow lines
    IntSize oval;                 // rounded rectangles
    std::vector<IntPoint> points; // polygons and polylines, 16-bit coordinates
    GraphicImage image;
    std::string file_type;
};

class ObjectRequest;
struct ObjectEntry;

// A control's own state and what the object methods do with a control: native controls
// (ControlKindState, controls/control_state.h) and text edits (TextEditState,
// text_edits/text_edit_state.h) implement it, and the object methods reach every control
// through it (control_of, controls/control_state.h). Each call gets the control's entry.
struct ControlState {
    virtual ~ControlState() = default;
    // For COPY: a new state with the same settings and no native control.
    virtual std::unique_ptr<ControlState> clone() const = 0;
    // SET and GET of an attribute numbered 12 or more of the entry's kind, taking values from
    // and appending results to the request; -11223 for one the kind does not take.
    virtual void set(ObjectEntry& entry, int32_t attribute, ObjectRequest& request) = 0;
    virtual void get(ObjectEntry& entry, int32_t attribute, ObjectRequest& request) = 0;
    // SHOW: the first time, makes the control on screen when its window exists (else its
    // window's first redraw does) and lists it in the window's object list; afterwards shows
    // it again.
    virtual void show(ObjectEntry& entry) = 0;
    // HIDE of a shown control.
    virtual void hide(ObjectEntry& entry) = 0;
    // FREE, or a change of kind: destroys what the control has on screen; the caller then
    // drops the state.
    virtual void free(ObjectEntry& entry) = 0;
    // The rectangle of a shown control changed (old: its previous rectangle).
    virtual void move(ObjectEntry& entry, const IntRect& old) = 0;
    // Object method 7 on a shown control: it takes the keyboard focus.
    virtual void focus(ObjectEntry& entry) = 0;
    // Attribute "sensitive" (the object flag is already set).
    virtual void set_sensitive(ObjectEntry& entry, bool sensitive) = 0;
    // Display-list replay of window n: lays the control out again for the window's size, or
    // makes a shown one whose window has come to exist since its SHOW.
    virtual void relayout(int n, ObjectEntry& entry) = 0;
};

struct ControlRecord {
    int32_t kind = 0; // 12..23, 0 until set
    std::unique_ptr<ControlState> state;
};

struct ObjectEntry {
    int32_t id = 0;
    std::string name;
    int32_t kind = object_kind::free;
    GraphicRecord graphic;
    ControlRecord control;
    int32_t window = default_window; // current when the object was created
    int32_t group = 0;               // graphic group it belongs to, 0 none
    std::array<int32_t, 3> words{-1, -1, 0};
    uint32_t flags = object_flag::sensitive;
    IntRect rect; // pixels; a relative edge holds its distance from the window's side
    uint16_t relative = 0;

    bool in_use() const { return kind != object_kind::free; }
};

// The item of a menu as the windowing layer takes it.
struct MenuItemRecord {
    int16_t tag = 0; // the menu ID
    std::string text;
    int16_t mnemonic = 0;
    uint32_t flags = 0x1; // 0x1 enabled, 0x2 checked, 0x4 checkable, 0x8 separator
};

struct MenuEntry {
    int32_t parent = 0;    // window number of a menu-bar title, menu ID of an item
    int32_t children = -1; // items below it; -1 for a free entry
    int32_t window = -1;   // window whose menu bar holds it; -1 once handed to the layer
    MenuItemRecord item;

    bool in_use() const { return children != -1; }
};

struct GroupEntry {
    std::vector<int32_t> members;         // object IDs
    std::vector<XvtWindow> member_native; // native control handles (radio-button groups)
    int32_t type = -1;                    // 0 radio-button group, other graphic; -1 free

    bool in_use() const { return type != -1; }
};

struct ObjectTables {
    std::vector<ObjectEntry> objects; // index ID - 101
    std::vector<MenuEntry> menus;     // index ID - 10001
    std::vector<GroupEntry> groups;   // index ID - 15001
    int32_t highest_object = first_object_id - 1;
    int32_t highest_menu = first_menu_id - 1;
    int32_t highest_group = first_group_id - 1;
};

extern ObjectTables& object_tables; // part of the ui layer's state (ui_state.h)

// Frees every entry of the three tables: this part alone, as reset_ui_state does with the whole
// state.
void reset_object_tables();

// A new ID of each class with its entry made ready (in use is up to the caller); -11236 when
// the class's range is exhausted.
int32_t allocate_object_id();
int32_t allocate_menu_id();
int32_t allocate_group_id();

// The entry of an ID in use: -11220 outside 101..highest object ID, -11221 for a freed entry.
ObjectEntry& object_entry(int32_t id);
// The entry when the ID is in use, else nullptr (no error).
ObjectEntry* find_object(int32_t id);
// The same for menus (-11220, -11221) and groups (-11220, -11221).
MenuEntry& menu_entry(int32_t id);
MenuEntry* find_menu(int32_t id);
GroupEntry& group_entry(int32_t id);
GroupEntry* find_group(int32_t id);

// The window of a valid window number: -11220 beyond the highest or negative, -11221 free.
WindowRecord& window_entry(int32_t n);

} // namespace quillet
