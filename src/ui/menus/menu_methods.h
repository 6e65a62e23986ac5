// CREATE, SET, GET, SHOW and FREE of menus: menu-bar titles and their items, with the text,
// mnemonic and flags of each, changed at once on an installed menu bar.
#pragma once

#include "ui/objects/object_request.h"
#include "ui/objects/object_table.h"

namespace quillet {

void create_menu_item(int32_t id, MenuEntry& entry, int32_t menu_type);
void set_menu_attribute(int32_t id, MenuEntry& entry, int32_t attribute, ObjectRequest& request);
void get_menu_attribute(int32_t id, MenuEntry& entry, int32_t attribute, ObjectRequest& request);
void show_menu(int32_t id, MenuEntry& entry);
// A negative ID -m frees the whole menu bar of m's window.
void free_menu(int32_t id, MenuEntry& entry);

} // namespace quillet
