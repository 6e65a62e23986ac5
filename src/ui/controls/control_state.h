// The state of a control of kinds 12..22 beyond the object entry: its native control and the
// settings of its kind. One record serves every kind; the kind (the entry's control kind)
// decides which fields mean something. Also the object methods' one way to any control's state
// (control_of), with the calls on controls that are more than one state's business.
#pragma once

#include "ui/controls/exit_chars.h"
#include "ui/objects/object_table.h"
#include "xvt/xvt.h"

#include <memory>
#include <string>
#include <vector>

namespace quillet {

// Control kinds 12..23: the layer's control types.
namespace control_kind {
#define X(type, name, host_kind) inline constexpr int32_t name = type;
#include "xvt/control_types.def"
#undef X
inline constexpr int32_t text_edit = static_cast<int32_t>(ControlType::text_edit);
inline constexpr bool is_button(int32_t kind) {
    return kind >= push_button && kind <= check_box;
}
inline constexpr bool is_scroll_bar(int32_t kind) {
    return kind == hscroll_bar || kind == vscroll_bar;
}
inline constexpr bool is_list(int32_t kind) {
    return kind == list_box || kind == list_button || kind == list_edit;
}
// Kinds made as native controls of the windowing layer (text edits are not).
inline constexpr bool is_native(int32_t kind) {
    return kind >= push_button && kind <= group_box;
}
} // namespace control_kind

// Text justification of buttons and static text.
namespace text_justify {
inline constexpr int32_t left = 0, centre = 1, right = 2;
}

struct ControlKindState final : ControlState {
    XvtWindow owner = no_xvt_window;  // the native window it was made in
    XvtWindow native = no_xvt_window; // its native control, once made
    IntRect created;                  // the rectangle it was made with
    // Buttons and static text.
    std::string text;
    int32_t justify = text_justify::left;
    int32_t state = 0;
    int32_t is_default = 0;
    int32_t button_group = 0;
    // Scroll bars.
    ScrollBarSettings bar{.position = 1, .attached_text_edit = -1};
    // Edit fields and list edits.
    std::string format;
    ExitChars exit_chars;
    // List boxes, list buttons, list edits.
    int32_t selection_mode = 0;
    std::vector<std::string> list;
    int32_t selection = -1;
    // The native selection when the list last told of a change: the layer reports a list box's
    // focus loss as it reports a selection change, and only a real change is a click.
    std::vector<int32_t> seen_selection;
    // Group boxes.
    std::string title;

    std::unique_ptr<ControlState> clone() const override {
        auto copy = std::make_unique<ControlKindState>(*this);
        copy->owner = copy->native = no_xvt_window;
        return copy;
    }
    // The control interface over the native control (native_control.cpp; set and get serve
    // the kinds' rules in control_attributes.cpp, focus is in control_handler.cpp).
    void set(ObjectEntry& entry, int32_t attribute, ObjectRequest& request) override;
    void get(ObjectEntry& entry, int32_t attribute, ObjectRequest& request) override;
    void show(ObjectEntry& entry) override;
    void hide(ObjectEntry& entry) override;
    void free(ObjectEntry& entry) override;
    void move(ObjectEntry& entry, const IntRect& old) override;
    void focus(ObjectEntry& entry) override;
    void set_sensitive(ObjectEntry& entry, bool sensitive) override;
    void relayout(int n, ObjectEntry& entry) override;
};

// The control state of a control entry, made with the defaults of its kind when it has none (a
// control whose kind was never set gets the native controls' state, whose calls then refuse
// the missing kind).
ControlState& control_of(ObjectEntry& entry);

// SET and GET of a control attribute numbered 12 or more: the control type and ID here, the
// kind's own through the control state; -11257 while the kind is not set.
void set_control(ObjectEntry& entry, int32_t attribute, ObjectRequest& request);
void get_control(ObjectEntry& entry, int32_t attribute, ObjectRequest& request);

// FREE of a control: no longer the pending edit field, its state freed and dropped.
void free_control(ObjectEntry& entry);

// The state of a button (group attribute "on" looks for 1); 0 for other controls.
int32_t button_state(const ObjectEntry& entry);
// A control joins the radio-button group group_id (0: leaves its group); returns its native
// control (no_xvt_window before the first SHOW, and for a text edit, which takes no part).
XvtWindow join_button_group(ObjectEntry& entry, int32_t group_id);

// The native state of a control entry, made with the defaults of its kind when it has none;
// -11223 for a text edit, whose state is its own part's.
ControlKindState& control_state(ObjectEntry& entry);
// The state when the entry has one; nullptr otherwise.
ControlKindState* find_control_state(ObjectEntry& entry);
// The native control of a control entry; no_xvt_window before it was made.
XvtWindow native_control(ObjectEntry& entry);

// Display-list record of a control in window n: lays it out again for the window's size, or
// makes a shown one whose window has come to exist since its SHOW.
void relayout_listed_control(int n, int32_t id);

// Sets the entry's control kind (-11257 outside 12..23) and gives it the fresh state of that
// kind; a native control or text edit of the previous kind is destroyed.
void set_control_kind(ObjectEntry& entry, int32_t kind);

} // namespace quillet
