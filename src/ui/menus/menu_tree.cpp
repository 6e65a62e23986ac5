#include "ui/menus/menu_tree.h"

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <vector>

namespace quillet {
namespace {

MenuEntry* entry_of(int32_t id) {
    return find_menu(id);
}

void free_subtree(int32_t id) {
    if (auto it = menu_tree.items.find(id); it != menu_tree.items.end()) {
        std::vector<int32_t> items = std::move(it->second);
        menu_tree.items.erase(it);
        for (int32_t child : items)
            free_subtree(child);
    }
    if (MenuEntry* entry = entry_of(id)) *entry = MenuEntry{};
}

const XvtMenuItem* build(MenuBarItems& bar, int32_t parent) {
    std::vector<XvtMenuItem> items;
    if (auto it = menu_tree.items.find(parent); it != menu_tree.items.end())
        for (int32_t id : it->second) {
            MenuEntry* entry = entry_of(id);
            if (!entry) continue;
            XvtMenuItem item;
            item.tag = entry->item.tag;
            item.title = bar.titles.emplace_back(entry->item.text).c_str();
            item.mnemonic = static_cast<char>(entry->item.mnemonic);
            item.flags = entry->item.flags;
            if (menu_tree.items.contains(id) && !menu_tree.items[id].empty())
                item.submenu = build(bar, id);
            items.push_back(item);
        }
    items.push_back(XvtMenuItem{}); // the terminator: tag 0
    return bar.arrays.emplace_back(std::move(items)).data();
}

void update_first_title(int n) {
    WindowRecord* window = find_window(n);
    if (!window) return;
    auto it = menu_tree.items.find(n);
    window->menus.root_menu_id =
        it == menu_tree.items.end() || it->second.empty() ? 0 : it->second[0];
}

} // namespace

int menu_window(int32_t id) {
    for (int depth = 0; depth <= last_menu_id - first_menu_id; ++depth) {
        MenuEntry* entry = entry_of(id);
        if (!entry) return -1;
        if (is_menu_title(*entry)) return entry->parent;
        id = entry->parent;
    }
    return -1;
}

bool is_menu_title(const MenuEntry& entry) {
    return entry.parent >= 0 && entry.parent < window_count;
}

void add_menu_item(int32_t id, MenuEntry& entry) {
    menu_tree.items[entry.parent].push_back(id);
    if (is_menu_title(entry)) update_first_title(entry.parent);
}

void remove_menu(int32_t id) {
    MenuEntry* entry = entry_of(id);
    if (!entry) return;
    int32_t parent = entry->parent;
    int n = menu_window(id);
    free_subtree(id);
    if (auto it = menu_tree.items.find(parent); it != menu_tree.items.end())
        std::erase(it->second, id);
    if (MenuEntry* p = entry_of(parent); p && parent >= first_menu_id && p->children > 0)
        --p->children;
    if (n < 0) return;
    update_first_title(n);
    if (WindowRecord* window = find_window(n); window && window->menus.has_menus)
        install_menu_bar(n);
}

void remove_menu_bar(int n, bool window_going) {
    if (auto it = menu_tree.items.find(n); it != menu_tree.items.end()) {
        std::vector<int32_t> titles = std::move(it->second);
        menu_tree.items.erase(it);
        for (int32_t id : titles)
            free_subtree(id);
    }
    menu_tree.bars.erase(n);
    WindowRecord* window = find_window(n);
    if (!window) return;
    bool installed =
        !window_going && window->menus.has_menus && window->native_window != no_xvt_window;
    window->menus = WindowMenus{};
    if (installed) {
        static const XvtMenuItem empty_bar[1] = {};
        xvt_menu_set_tree(window->native_window, empty_bar);
    }
}

const XvtMenuItem* menu_bar_items(int n) {
    MenuBarItems& bar = menu_tree.bars[n] = MenuBarItems{};
    return build(bar, n);
}

const XvtMenuItem* menu_bar_template(int n) {
    const XvtMenuItem* items = menu_bar_items(n);
    return items->tag == 0 ? nullptr : items;
}

void install_menu_bar(int n) {
    WindowRecord* window = find_window(n);
    if (!window || window->native_window == no_xvt_window) return;
    window->menus.has_menus = true;
    xvt_menu_set_tree(window->native_window, menu_bar_items(n));
    mark_menus_installed(n);
}

void menu_bar_made_with_window(int n) {
    WindowRecord* window = find_window(n);
    if (!window) return;
    // Installed as by menu SHOW: later changes reach the bar, and the window's destroy frees it.
    if (auto it = menu_tree.items.find(n); it != menu_tree.items.end() && !it->second.empty())
        window->menus.has_menus = true;
    mark_menus_installed(n);
}

void mark_menus_installed(int n) {
    for (size_t i = 0; i < object_tables.menus.size(); ++i) {
        MenuEntry& entry = object_tables.menus[i];
        int32_t id = first_menu_id + static_cast<int32_t>(i);
        if (entry.in_use() && entry.window != -1 && menu_window(id) == n) entry.window = -1;
    }
}

void reset_menu_tree() {
    menu_tree = MenuTree{};
}

} // namespace quillet
