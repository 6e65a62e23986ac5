// Object methods 20..26 of text edits: suspend, resume, and the paragraph and scroll methods.
#pragma once

#include "ui/objects/object_request.h"
#include "ui/objects/object_table.h"

namespace quillet {

namespace text_edit_method {
inline constexpr int32_t suspend = 20, resume = 21, add_paragraph = 22, delete_paragraph = 23,
                         append = 24, scroll_vertically = 25, scroll_horizontally = 26;
}

// Runs the request's method (20..26) on a text edit; the first number is the paragraph or the
// scroll amount, the first string the text.
void text_edit_method_call(ObjectEntry& entry, ObjectRequest& request);

} // namespace quillet
