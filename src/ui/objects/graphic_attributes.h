// SET and GET of the graphic-object attributes numbered 12 and up, as the rows of
// graphic_attributes.def give them.
#pragma once

#include "ui/objects/object_request.h"
#include "ui/objects/object_table.h"

namespace quillet {

void set_graphic_attribute(ObjectEntry& entry, int32_t attribute, ObjectRequest& request);
void get_graphic_attribute(ObjectEntry& entry, int32_t attribute, ObjectRequest& request);

// A coordinate value of an object: an integer in pixels, a double in user units converted along
// x or y (vertical).
int32_t object_coordinate(const ObjectEntry& entry, ObjectRequest& request, bool vertical);

} // namespace quillet
