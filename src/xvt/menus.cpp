// Menus: menu bars built from the layer's item arrays, and their items changed by tag through the
// window's menu table.
#include "xvt/menu_tree.h"

#include <cctype>

namespace quillet {

using namespace xvt_detail;

namespace xvt_detail {

namespace {

char upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

void record_item(LayerWindow& window, int16_t tag, int menu, int16_t position) {
    for (MenuEntry& entry : window.menu_table)
        if (entry.tag == tag) {
            entry = {tag, menu, position};
            return;
        }
    window.menu_table.push_back({tag, menu, position});
}

std::vector<host::MenuItem> build(LayerWindow& window, const XvtMenuItem* items, int menu,
                                  int& next_menu) {
    std::vector<host::MenuItem> out;
    for (const XvtMenuItem* item = items; item && item->tag != 0; ++item) {
        host::MenuItem host_item;
        host_item.tag = item->tag;
        host_item.title = mark_mnemonic_char(item->title ? item->title : "", item->mnemonic);
        host_item.enabled = item->flags & xvt_menu_flag::enabled;
        host_item.checked = item->flags & xvt_menu_flag::checked;
        host_item.separator = item->flags & xvt_menu_flag::separator;
        if (item->submenu) host_item.submenu = build(window, item->submenu, next_menu++, next_menu);
        record_item(window, item->tag, menu, static_cast<int16_t>(out.size()));
        out.push_back(std::move(host_item));
    }
    return out;
}

bool takes_menus(const WindowTypeInfo& info) {
    return info.menus;
}

} // namespace

std::string mark_mnemonic_char(std::string_view title, char mnemonic) {
    std::string copy(title);
    if (mnemonic == 0) return copy;
    char wanted = upper(mnemonic);
    for (size_t i = 0; i < copy.size(); ++i)
        if (upper(copy[i]) == wanted) {
            copy.insert(i, 1, '&');
            break;
        }
    return copy;
}

std::vector<host::MenuItem> i_menu_create_tree(LayerWindow& window, const XvtMenuItem* items,
                                               bool top_level) {
    int next_menu = top_level ? 1 : static_cast<int>(window.menu_table.size()) + 1;
    return build(window, items, top_level ? 0 : next_menu++, next_menu);
}

} // namespace xvt_detail

std::string xvt_menu_mark_mnemonic(std::string_view title) {
    std::string copy(title);
    if (size_t tilde = copy.find('~'); tilde != std::string::npos) copy[tilde] = '&';
    return copy;
}

void xvt_menu_set_tree(XvtWindow window, const XvtMenuItem* items) {
    constexpr std::string_view api = "xvt_menu_set_tree";
    LayerWindow* record = checked_window(window, api, ErrorCategory::menu, takes_menus);
    if (!record) return;
    if (!items) return xvt_report_error(api, ErrorCategory::menu, ErrorId::invalid_parameter);
    record->menu_table.clear();
    std::vector<host::MenuItem> bar = i_menu_create_tree(*record, items, true);
    if (!app.windows->set_menu_bar(record->host, std::move(bar)))
        xvt_report_error(api, ErrorCategory::menu, ErrorId::host_error);
}

void xvt_menu_update(XvtWindow window) {
    // The host draws the menu bar anew with every change; only the window is checked.
    checked_window(window, "xvt_menu_update", ErrorCategory::menu, takes_menus);
}

namespace {

// The window's host window when its menu table knows the tag.
host::WindowId menu_owner(XvtWindow window, int tag, std::string_view api) {
    LayerWindow* record = checked_window(window, api, ErrorCategory::menu, takes_menus);
    if (!record) return host::no_window;
    for (const MenuEntry& entry : record->menu_table)
        if (entry.tag == tag) return record->host;
    return host::no_window;
}

} // namespace

void xvt_menu_set_item_checked(XvtWindow window, int tag, bool checked) {
    if (host::WindowId id = menu_owner(window, tag, "xvt_menu_set_item_checked"))
        app.windows->set_menu_checked(id, tag, checked);
}

void xvt_menu_set_item_enabled(XvtWindow window, int tag, bool enabled) {
    if (host::WindowId id = menu_owner(window, tag, "xvt_menu_set_item_enabled"))
        app.windows->set_menu_enabled(id, tag, enabled);
}

void xvt_menu_set_item_title(XvtWindow window, int tag, std::string_view title) {
    if (host::WindowId id = menu_owner(window, tag, "xvt_menu_set_item_title"))
        app.windows->set_menu_title(id, tag, title);
}

} // namespace quillet
