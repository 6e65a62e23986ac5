// SET and GET of the control attributes numbered 12 and up, by control kind.
#pragma once

#include "ui/objects/object_request.h"
#include "ui/objects/object_table.h"

namespace quillet {

void set_control_attribute(ObjectEntry& entry, int32_t attribute, ObjectRequest& request);
void get_control_attribute(ObjectEntry& entry, int32_t attribute, ObjectRequest& request);

} // namespace quillet
