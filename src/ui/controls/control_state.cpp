#include "ui/controls/control_state.h"

#include "ui/objects/object_errors.h"
#include "ui/text_edits/text_edit_lifecycle.h"
#include "values/errors.h"

namespace quillet {
namespace {

std::unique_ptr<ControlState> fresh_state(const ObjectEntry& entry, int32_t kind) {
    if (kind == control_kind::text_edit) return make_text_edit_state();
    auto state = std::make_unique<ControlKindState>();
    if (kind == control_kind::push_button) state->justify = text_justify::centre;
    if (control_kind::is_scroll_bar(kind)) {
        state->bar.page_increment = 10;
        state->bar.bar_id = kind;
        // A vertical bar already placed pages by the lines of its window's font that it spans.
        int32_t line_height = text_metrics(window_record(entry.window)).line_height;
        int32_t height = entry.rect.bottom - entry.rect.top;
        if (kind == control_kind::vscroll_bar && height != 0 && line_height > 0)
            state->bar.page_increment = height / line_height;
    }
    return state;
}

} // namespace

ControlKindState* find_control_state(ObjectEntry& entry) {
    return dynamic_cast<ControlKindState*>(entry.control.state.get());
}

ControlKindState& control_state(ObjectEntry& entry) {
    if (!entry.control.state) entry.control.state = fresh_state(entry, entry.control.kind);
    ControlKindState* state = find_control_state(entry);
    // Text edits keep a state of their own part.
    if (!state) raise_error(object_error::attribute_not_used);
    return *state;
}

XvtWindow native_control(ObjectEntry& entry) {
    ControlKindState* state = find_control_state(entry);
    return state ? state->native : no_xvt_window;
}

void set_control_kind(ObjectEntry& entry, int32_t kind) {
    if (kind < control_kind::push_button || kind > control_kind::text_edit)
        raise_error(object_error::unknown_control_kind);
    if (XvtWindow native = native_control(entry); native != no_xvt_window) xp_vobj_destroy(native);
    // A text edit's state destroys its own text edit.
    if (entry.control.kind == control_kind::text_edit) free_text_edit(entry);
    entry.control.kind = kind;
    entry.control.state = fresh_state(entry, kind);
    // Static text never takes the mouse or the keyboard.
    if (kind == control_kind::static_text) entry.flags = 0;
}

} // namespace quillet
