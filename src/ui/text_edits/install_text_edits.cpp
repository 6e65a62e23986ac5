#include "ui/text_edits/install_text_edits.h"

#include "ui/objects/object_hooks.h"
#include "ui/text_edits/text_edit_input.h"
#include "ui/text_edits/text_edit_methods.h"

namespace quillet {
void install_text_edits() {
    object_hooks.text_edit_method = text_edit_method_call;
}

} // namespace quillet
