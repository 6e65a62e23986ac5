// The errors the object methods raise (by number; the texts belong to the program's library).
#pragma once

#include <cstdint>

namespace quillet::object_error {

inline constexpr int32_t invalid_id = -11220;            // Unknown or invalid object ID.
inline constexpr int32_t freed_id = -11221;              // Cannot reference a freed object ID.
inline constexpr int32_t attribute_not_used = -11223;    // Attribute not used for specified object.
inline constexpr int32_t unknown_group_method = -11224;  // Unknown or invalid group method.
inline constexpr int32_t unknown_attribute = -11225;     // Unknown or invalid attribute in SET/GET.
inline constexpr int32_t text_edit_method = -11229;      // TextEdit method passed to non-TextEdit.
inline constexpr int32_t id_out_of_range = -11236;       // Object ID out of range.
inline constexpr int32_t unknown_window_method = -11237; // Unknown window method.
inline constexpr int32_t unknown_object_method = -11238; // Unknown object method.
inline constexpr int32_t cannot_show_window = -11239;    // Unable to SHOW window.
inline constexpr int32_t unknown_create_type = -11240;   // Unknown or invalid type in CREATE.
inline constexpr int32_t unknown_control_kind = -11257;  // Unknown or invalid control type.
inline constexpr int32_t unknown_graphic_type = -11258;  // Unknown or invalid graphic type.
inline constexpr int32_t unknown_window_type = -11259;   // Unknown or invalid window type.
inline constexpr int32_t select_unshown = -11264;        // Can't SELECT an unSHOWn window.
inline constexpr int32_t empty_rectangle = -11271;       // RECTANGLE minimum = maximum.
inline constexpr int32_t not_enough_values = -11273;     // Not enough values for attribute list.
inline constexpr int32_t no_such_file = 9003;            // No such file.

} // namespace quillet::object_error
