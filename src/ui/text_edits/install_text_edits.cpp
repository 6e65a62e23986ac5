#include "ui/text_edits/install_text_edits.h"

#include "ui/objects/object_hooks.h"
#include "ui/text_edits/text_edit_input.h"
#include "ui/text_edits/text_edit_methods.h"
#include "ui/ui_seams.h"

namespace quillet {
namespace {

bool changing_text_edit() {
    return text_edit_engine.changing;
}

} // namespace

void install_text_edits() {
    object_hooks.text_edit_method = text_edit_method_call;
    ui_seams.text_edit_mouse = text_edit_mouse;
    ui_seams.text_edit_updating = changing_text_edit;
    ui_seams.text_edit_process = xp_tx_process_event;
}

} // namespace quillet
