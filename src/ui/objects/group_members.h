// Membership of objects in groups.
#pragma once

#include <cstdint>

namespace quillet {

// Takes the object out of the group's member list (and its native handle with it).
void leave_group(int32_t group_id, int32_t object_id);

} // namespace quillet
