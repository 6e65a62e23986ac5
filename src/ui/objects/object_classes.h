// The methods of each object class, called by the dispatch once the class is known.
#pragma once

#include "ui/objects/object_request.h"

#include <cstdint>

namespace quillet {

// Windows (IDs 0..99).
void create_window(ObjectRequest& request);
void window_method(int32_t n, ObjectRequest& request);

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
