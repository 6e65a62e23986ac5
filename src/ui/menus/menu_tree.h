// The menu bars that programs build item by item: the order of each menu's items, the tree of
// layer menu items handed to a window, and the freeing of menus with their submenus.
#pragma once

#include "ui/objects/object_table.h"
#include "xvt/xvt.h"

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace quillet {

// The window whose menu bar holds the menu (the root of its parent chain); -1 when the chain is
// broken.
int menu_window(int32_t id);
// True for a menu-bar title (its parent is a window).
bool is_menu_title(const MenuEntry& entry);

// A new menu at the end of its parent's items.
void add_menu_item(int32_t id, MenuEntry& entry);
// Frees the menu and its submenus and takes it out of its parent's items (the parent's child
// count goes down).
void remove_menu(int32_t id);
// Frees every menu of window n's menu bar; an installed bar is replaced by an empty one unless
// the window is going.
void remove_menu_bar(int n, bool window_going = false);

// Window n's menu bar as layer menu items (a terminator alone when it has none), valid until
// the next call for the same window.
const XvtMenuItem* menu_bar_items(int n);
// The menu bar to make window n's native window with: null for a window without menus (an
// empty bar would still take its line), else as menu_bar_items.
const XvtMenuItem* menu_bar_template(int n);
// Hands window n's menu bar to its native window (when made) and marks its menus installed.
void install_menu_bar(int n);
// Window n's native window was made with its menu bar (menu_bar_items): the bar counts as
// installed when it has titles, and every menu of the window is marked installed.
void menu_bar_made_with_window(int n);
// Marks every menu of window n installed.
void mark_menus_installed(int n);

// The menu part of the ui layer's state (ui_state.h).
// The layer's item arrays of one window's menu bar and the titles they point at.
struct MenuBarItems {
    std::deque<std::vector<XvtMenuItem>> arrays;
    std::deque<std::string> titles;
};
struct MenuTree {
    // The items of each menu in their order, by parent: a window number for the menu bar's
    // titles, a menu ID for the items of a menu.
    std::map<int32_t, std::vector<int32_t>> items;
    std::map<int, MenuBarItems> bars; // by window number
};
extern MenuTree& menu_tree;

// Forgets every menu bar's item order and item arrays (the layer's reset does it too).
void reset_menu_tree();

} // namespace quillet
