#include "ui/controls/install_controls.h"

#include "ui/controls/control_attributes.h"
#include "ui/controls/control_handler.h"
#include "ui/controls/menu_methods.h"
#include "ui/controls/menu_tree.h"
#include "ui/controls/native_control.h"
#include "ui/objects/object_hooks.h"
#include "ui/ui_seams.h"

namespace quillet {
namespace {

void free_control(ObjectEntry& entry) {
    forget_pending_edit_field(entry.id);
    free_native_control(entry);
}

void focus(ObjectEntry& entry, ObjectRequest&) {
    focus_control(entry);
}

int32_t button_state(const ObjectEntry& entry) {
    auto* s = dynamic_cast<const ControlKindState*>(entry.control.state.get());
    return s ? s->state : 0;
}

XvtWindow join_button_group(ObjectEntry& entry, int32_t group_id) {
    ControlKindState& s = control_state(entry);
    s.button_group = group_id;
    return s.native;
}

// A window without menus is made without a menu bar (an empty bar would still take its line).
const XvtMenuItem* menu_bar_template(int n) {
    const XvtMenuItem* items = menu_bar_items(n);
    return items->tag == 0 ? nullptr : items;
}

void drop_menus(int n) {
    remove_menu_bar(n, true);
}

} // namespace

void install_controls() {
    object_hooks.control_set = set_control_attribute;
    object_hooks.control_get = get_control_attribute;
    object_hooks.control_set_sensitive = set_native_sensitive;
    object_hooks.control_show = make_native_control;
    object_hooks.control_hide = hide_native_control;
    object_hooks.control_free = free_control;
    object_hooks.control_move = move_native_control;
    object_hooks.control_focus = focus;
    object_hooks.control_state = button_state;
    object_hooks.set_button_group = join_button_group;

    object_hooks.menu_create = create_menu_item;
    object_hooks.menu_set = set_menu_attribute;
    object_hooks.menu_get = get_menu_attribute;
    object_hooks.menu_show = show_menu;
    object_hooks.menu_free = free_menu;
    object_hooks.menu_bar_template = menu_bar_template;
    object_hooks.menus_installed = mark_menus_installed;

    ui_seams.control_event = control_handler;
    ui_seams.relayout_control = relayout_control;
    ui_seams.text_edit_key = edit_field_exit_key;
    ui_seams.drop_menus = drop_menus;
}

void reset_controls() {
    reset_control_events();
    reset_menu_tree();
}

} // namespace quillet
