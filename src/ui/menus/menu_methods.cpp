#include "ui/menus/menu_methods.h"

#include "interp/exceptions.h"
#include "interp/registers.h"
#include "ui/menus/menu_tree.h"
#include "ui/objects/attribute_tables.h"
#include "ui/objects/object_errors.h"
#include "values/errors.h"

namespace quillet {
namespace {

namespace menu_flag {
inline constexpr uint32_t enabled = 0x1, checked = 0x2, checkable = 0x4, separator = 0x8;
}

// Soft errors: the flag is already as it must stay; unless the program's handler takes the
// error, the SET call ends here.
constexpr int32_t separator_checked = -11255;
constexpr int32_t separator_checkable = -11256;
constexpr int32_t title_checked = -11261;
constexpr int32_t title_separator = -11262;
constexpr int32_t bad_menu_type = -11254;
constexpr int32_t bad_menu_parent = -11263;

void soft_error(int32_t code) {
    soft_raise(code);
    throw EndOfSetCall{};
}

// The native window of an installed menu bar holding the menu; no_xvt_window otherwise.
XvtWindow installed_bar(int32_t id, const MenuEntry& entry) {
    if (entry.window != -1) return no_xvt_window;
    WindowRecord* window = find_window(menu_window(id));
    return window && window->menus.has_menus ? window->native_window : no_xvt_window;
}

void set_flag(MenuItemRecord& item, uint32_t flag, bool on) {
    item.flags = on ? item.flags | flag : item.flags & ~flag;
}

} // namespace

void create_menu_item(int32_t id, MenuEntry& entry, int32_t menu_type) {
    bool title_of_window = menu_type == 0 && entry.parent >= 0 && entry.parent < window_count;
    MenuEntry* parent_menu = entry.parent >= first_menu_id ? find_menu(entry.parent) : nullptr;
    if (!title_of_window && !(menu_type == 1 && parent_menu)) {
        // The entry was handed out for nothing: give it back before refusing.
        if (parent_menu && parent_menu->children > 0) --parent_menu->children;
        entry = MenuEntry{};
        raise_error(menu_type == 0 || menu_type == 1 ? bad_menu_parent : bad_menu_type);
    }
    entry.item.tag = static_cast<int16_t>(id);
    entry.item.flags =
        menu_type == 0 ? menu_flag::enabled : menu_flag::enabled | menu_flag::checkable;
    add_menu_item(id, entry);
}

void set_menu_attribute(int32_t id, MenuEntry& entry, int32_t attribute, ObjectRequest& request) {
    MenuItemRecord& item = entry.item;
    XvtWindow bar = installed_bar(id, entry);
    switch (attribute) {
    case menu_attr::text:
        item.text = request.next_string();
        if (bar != no_xvt_window) xvt_menu_set_item_title(bar, id, item.text);
        return;
    case menu_attr::mkey: item.mnemonic = static_cast<int16_t>(request.next_int()); return;
    case menu_attr::enabled: {
        bool on = request.next_int() & 1;
        set_flag(item, menu_flag::enabled, on);
        if (bar == no_xvt_window) return;
        xvt_menu_set_item_enabled(bar, id, on);
        if (is_menu_title(entry)) xvt_menu_update(bar);
        return;
    }
    case menu_attr::checked: {
        bool on = request.next_int() & 1;
        if (item.flags & menu_flag::separator) {
            set_flag(item, menu_flag::checked, false);
            soft_error(separator_checked);
        }
        if (is_menu_title(entry)) {
            set_flag(item, menu_flag::checked, false);
            soft_error(title_checked);
        }
        set_flag(item, menu_flag::checked, on);
        if (bar != no_xvt_window) xvt_menu_set_item_checked(bar, id, on);
        return;
    }
    case menu_attr::checkable: {
        bool on = request.next_int() & 1;
        if (item.flags & menu_flag::separator) {
            set_flag(item, menu_flag::checkable, false);
            soft_error(separator_checkable);
        }
        set_flag(item, menu_flag::checkable, on);
        return;
    }
    case menu_attr::separator: {
        bool on = request.next_int() & 1;
        if (is_menu_title(entry)) {
            set_flag(item, menu_flag::separator, false);
            soft_error(title_separator);
        }
        set_flag(item, menu_flag::separator, on);
        if (on) set_flag(item, menu_flag::checkable | menu_flag::checked, false);
        return;
    }
    default: raise_error(object_error::attribute_not_used);
    }
}

void get_menu_attribute(int32_t, MenuEntry& entry, int32_t attribute, ObjectRequest& request) {
    const MenuItemRecord& item = entry.item;
    switch (attribute) {
    case menu_attr::text: request.append_string(item.text); return;
    case menu_attr::mkey: request.append_int(item.mnemonic); return;
    case menu_attr::enabled: request.append_int((item.flags & menu_flag::enabled) ? 1 : 0); return;
    case menu_attr::checked: request.append_int((item.flags & menu_flag::checked) ? 1 : 0); return;
    case menu_attr::checkable:
        request.append_int((item.flags & menu_flag::checkable) ? 1 : 0);
        return;
    case menu_attr::separator:
        request.append_int((item.flags & menu_flag::separator) ? 1 : 0);
        return;
    default: raise_error(object_error::attribute_not_used);
    }
}

void show_menu(int32_t id, MenuEntry&) {
    int n = menu_window(id);
    if (n < 0) return;
    install_menu_bar(n);
    process_host_messages();
}

void free_menu(int32_t id, MenuEntry&) {
    if (id < 0) {
        if (int n = menu_window(-id); n >= 0) remove_menu_bar(n);
        return;
    }
    remove_menu(id);
}

} // namespace quillet
