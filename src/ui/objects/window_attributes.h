// SET and GET of window attributes, one attribute after another in the order of the names, as
// the rows of window_attributes.def give them.
#pragma once

#include "ui/objects/object_request.h"

namespace quillet {

void set_window_attributes(int n, ObjectRequest& request);
void get_window_attributes(int n, ObjectRequest& request);

// A double rounded half away from zero and held to the 32-bit range (absurd values saturate).
int32_t round_saturated(double v);

} // namespace quillet
