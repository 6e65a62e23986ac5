// The menu class: the menu table's entries (titles of a window's menu bar and their items);
// what menus look like and do belongs to the menu part (ui/menus).
#include "ui/menus/menu_methods.h"

#include "ui/objects/attribute_tables.h"
#include "ui/objects/object_classes.h"
#include "ui/objects/object_dispatch.h"
#include "ui/objects/object_errors.h"
#include "values/errors.h"

namespace quillet {
namespace {

MenuEntry& menu_at(int32_t id) {
    return object_tables.menus[static_cast<size_t>(id - first_menu_id)];
}

void set_menu(int32_t id, ObjectRequest& request) {
    try {
        for (const std::string& name : request.names()) {
            MenuEntry& entry = menu_entry(id);
            int32_t a = lookup_attribute(AttributeClass::menu, name);
            set_menu_attribute(id, entry, a, request);
        }
    } catch (const EndOfSetCall&) {
    }
}

void get_menu(int32_t id, ObjectRequest& request) {
    for (const std::string& name : request.names()) {
        MenuEntry& entry = menu_entry(id);
        int32_t a = lookup_attribute(AttributeClass::menu, name);
        get_menu_attribute(id, entry, a, request);
    }
}

// A menu ID frees that menu with its submenus; a negated one (-m) frees the whole menu bar of
// m's window.
void free_menu_id(int32_t id) {
    MenuEntry& entry = menu_entry(id < 0 ? -id : id);
    free_menu(id, entry);
    if (id < 0) return;
    MenuEntry& freed = menu_at(id);
    if (!freed.in_use()) return;
    if (MenuEntry* parent = find_menu(freed.parent); parent && parent->children > 0)
        --parent->children;
    freed = MenuEntry{};
}

} // namespace

void create_menu(ObjectRequest& request) {
    int32_t menu_type = request.next_int();
    int32_t parent = request.next_int();
    int32_t id = allocate_menu_id();
    MenuEntry& entry = menu_at(id);
    entry.parent = parent;
    entry.children = 0;
    entry.item.tag = static_cast<int16_t>(id);
    if (MenuEntry* parent_menu = find_menu(parent)) {
        ++parent_menu->children;
        entry.window = parent_menu->window;
    } else {
        entry.window = parent;
    }
    // A refused type or parent gives the entry back: only a menu that stays has its ID handed
    // to the program.
    create_menu_item(id, menu_at(id), menu_type);
    request.set_new_id(id);
    if (request.has_names()) set_menu(id, request);
}

void menu_method(int32_t id, ObjectRequest& request) {
    using namespace object_method;
    int32_t method = request.method();
    if (method == select || (method >= first_text_edit && method <= last_text_edit))
        raise_error(object_error::invalid_id); // checked as an object ID, which it cannot be
    switch (method) {
    case copy:
    case hide: return;
    case set: set_menu(id, request); return;
    case get: get_menu(id, request); return;
    case show: {
        MenuEntry& entry = menu_entry(id);
        show_menu(id, entry);
        return;
    }
    case free: free_menu_id(id); return;
    default: raise_error(object_error::unknown_object_method);
    }
}

} // namespace quillet
