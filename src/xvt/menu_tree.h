// Building host menus from the layer's menu item arrays (private to the layer).
#pragma once

#include "host/windows/window_types.h"
#include "xvt/layer_state.h"

#include <string>
#include <vector>

namespace quillet::xvt_detail {

// A copy of the title with "&" before the first character that equals the mnemonic without
// regard to case; the title as it is when the mnemonic is 0 or not in it.
std::string mark_mnemonic_char(std::string_view title, char mnemonic);

// The host menu of the items (a menu bar when top_level, else a popup), recursively; records
// each item's tag, menu and position in the window's menu table (one entry per tag).
std::vector<host::MenuItem> i_menu_create_tree(LayerWindow& window, const XvtMenuItem* items,
                                               bool top_level);

} // namespace quillet::xvt_detail
