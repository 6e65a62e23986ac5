// The methods of each object class, called by the dispatch once the class is known.
#pragma once

#include "ui/objects/object_request.h"

#include <cstdint>

namespace quillet {

// Windows (IDs 0..99).
void create_window(ObjectRequest& request);
void window_method(int32_t n, ObjectRequest& request);
// Window FREE of window n: its controls are freed, then the native window is destroyed (its
// destroy event frees the record; a window never made is freed at once); window 0 is only
// hidden. True when the library's routine for freed windows is due: a program frame is active
// and the window had channels bound to it (read before the destroy event empties the list).
bool free_window(int n);

// Graphic objects and controls (IDs 101..10000); kind: object_kind::graphic or control.
void create_object(ObjectRequest& request, int32_t kind);
void object_method_call(int32_t id, ObjectRequest& request);

// Menus (IDs 10001..14999).
void create_menu(ObjectRequest& request);
void menu_method(int32_t id, ObjectRequest& request);

// Groups (IDs 15001..19999).
void create_group(ObjectRequest& request);
void group_method(int32_t id, ObjectRequest& request);

} // namespace quillet
