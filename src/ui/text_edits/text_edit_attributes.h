// The attributes of text edits (control kind 23): SET stores a value and applies it at once to a
// made text edit; GET reads the made text edit, or the stored value before it is made.
#pragma once

#include "ui/objects/object_request.h"
#include "ui/objects/object_table.h"

namespace quillet {

void set_text_edit_attribute(ObjectEntry& entry, int32_t attribute, ObjectRequest& request);
void get_text_edit_attribute(ObjectEntry& entry, int32_t attribute, ObjectRequest& request);

// Errors of text edits (their texts belong to the program's library).
namespace text_edit_error {
inline constexpr int32_t add_paragraph = -11232;       // Error adding paragraph.
inline constexpr int32_t paragraph_too_large = -11233; // Paragraph number is too large.
inline constexpr int32_t delete_paragraph = -11234;    // Error deleting paragraph.
inline constexpr int32_t active_unshown = -11242;      // Can't set ACTIVE until object is visible.
inline constexpr int32_t set_num_lines = -11243;
inline constexpr int32_t set_num_pars = -11244;
inline constexpr int32_t set_num_chars = -11245;
inline constexpr int32_t set_lines_in_par = -11246;
inline constexpr int32_t set_max_width = -11248;
inline constexpr int32_t set_font_metrics = -11249;
inline constexpr int32_t too_many_trap_chars = -11250; // Too many trap chars for TextEdit.
inline constexpr int32_t negative_colour = -11251;     // Color must be >= 0.
inline constexpr int32_t get_line_paragraph = -11252;  // Paragraph out of range for GET LINE.
inline constexpr int32_t get_line_line = -11253;       // Line out of range for GET LINE.
} // namespace text_edit_error

} // namespace quillet
