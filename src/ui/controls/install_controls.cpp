#include "ui/controls/install_controls.h"

#include "ui/controls/control_attributes.h"
#include "ui/controls/control_handler.h"
#include "ui/controls/native_control.h"
#include "ui/objects/object_hooks.h"
#include "ui/text_edits/install_text_edits.h"
#include "ui/text_edits/text_edit_input.h"
#include "ui/text_edits/text_edit_lifecycle.h"

namespace quillet {
namespace {

bool is_text_edit(const ObjectEntry& entry) {
    return entry.control.kind == control_kind::text_edit;
}

// A text edit joins its window's object list once it is made, as a native control does.
void list_made_text_edit(ObjectEntry& entry) {
    TextEditState* s = text_edit_state(entry);
    if (s && made_text_edit(*s) != no_xvt_window) list_made_control(entry);
}

void show_control(ObjectEntry& entry) {
    if (is_text_edit(entry)) {
        show_text_edit(entry);
        list_made_text_edit(entry);
    } else {
        make_native_control(entry);
    }
}

void hide_control(ObjectEntry& entry) {
    if (is_text_edit(entry))
        hide_text_edit(entry);
    else
        hide_native_control(entry);
}

void free_control(ObjectEntry& entry) {
    forget_pending_edit_field(entry.id);
    if (is_text_edit(entry))
        free_text_edit(entry);
    else
        free_native_control(entry);
}

void set_sensitive(ObjectEntry& entry, bool sensitive) {
    if (is_text_edit(entry))
        set_text_edit_sensitive(entry, sensitive);
    else
        set_native_sensitive(entry, sensitive);
}

void move_control(ObjectEntry& entry, const IntRect& old) {
    if (is_text_edit(entry))
        move_text_edit(entry);
    else
        move_native_control(entry, old);
}

void focus(ObjectEntry& entry, ObjectRequest&) {
    if (!is_text_edit(entry)) {
        focus_control(entry);
        return;
    }
    if (TextEditState* s = text_edit_state(entry)) activate_text_edit(entry, *s);
}

} // namespace

void relayout_listed_control(int n, int32_t id) {
    ObjectEntry* entry = find_object(id);
    if (entry && entry->kind == object_kind::control && is_text_edit(*entry)) {
        relayout_text_edit(n, *entry);
        if (ObjectEntry* still = find_object(id)) list_made_text_edit(*still);
    } else
        relayout_control(n, id);
}

namespace {

int32_t button_state(const ObjectEntry& entry) {
    auto* s = dynamic_cast<const ControlKindState*>(entry.control.state.get());
    return s ? s->state : 0;
}

XvtWindow join_button_group(ObjectEntry& entry, int32_t group_id) {
    if (is_text_edit(entry)) return no_xvt_window; // a text edit takes no part in radio buttons
    ControlKindState& s = control_state(entry);
    s.button_group = group_id;
    return s.native;
}

} // namespace

void install_controls() {
    object_hooks.control_set = set_control_attribute;
    object_hooks.control_get = get_control_attribute;
    object_hooks.control_set_sensitive = set_sensitive;
    object_hooks.control_show = show_control;
    object_hooks.control_hide = hide_control;
    object_hooks.control_free = free_control;
    object_hooks.control_move = move_control;
    object_hooks.control_focus = focus;
    object_hooks.control_state = button_state;
    object_hooks.set_button_group = join_button_group;
    install_text_edits();
}

} // namespace quillet
