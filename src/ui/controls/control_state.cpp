#include "ui/controls/control_state.h"

#include "ui/controls/control_handler.h"
#include "ui/objects/attribute_tables.h"
#include "ui/objects/object_errors.h"
#include "ui/objects/object_request.h"
#include "ui/text_edits/text_edit_state.h"
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

// A control whose kind was never set has no attributes of a kind.
void check_kind(const ObjectEntry& entry) {
    int32_t kind = entry.control.kind;
    if (kind < control_kind::push_button || kind > control_kind::text_edit)
        raise_error(object_error::unknown_control_kind);
}

} // namespace

ControlState& control_of(ObjectEntry& entry) {
    if (!entry.control.state) entry.control.state = fresh_state(entry, entry.control.kind);
    return *entry.control.state;
}

void set_control(ObjectEntry& entry, int32_t attribute, ObjectRequest& request) {
    if (attribute == control_attr::control_type) {
        set_control_kind(entry, request.next_int());
        return;
    }
    if (attribute == control_attr::cid) return;
    check_kind(entry);
    control_of(entry).set(entry, attribute, request);
}

void get_control(ObjectEntry& entry, int32_t attribute, ObjectRequest& request) {
    if (attribute == control_attr::control_type) {
        request.append_int(entry.control.kind);
        return;
    }
    if (attribute == control_attr::cid) {
        request.append_int(entry.id);
        return;
    }
    check_kind(entry);
    control_of(entry).get(entry, attribute, request);
}

void free_control(ObjectEntry& entry) {
    forget_pending_edit_field(entry.id);
    control_of(entry).free(entry);
    entry.control.state.reset();
}

void relayout_listed_control(int n, int32_t id) {
    ObjectEntry* entry = find_object(id);
    if (entry && entry->kind == object_kind::control) control_of(*entry).relayout(n, *entry);
}

int32_t button_state(const ObjectEntry& entry) {
    auto* s = dynamic_cast<const ControlKindState*>(entry.control.state.get());
    return s ? s->state : 0;
}

XvtWindow join_button_group(ObjectEntry& entry, int32_t group_id) {
    auto* s = dynamic_cast<ControlKindState*>(&control_of(entry));
    if (!s) return no_xvt_window;
    s->button_group = group_id;
    return s->native;
}

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
    if (entry.control.state) entry.control.state->free(entry);
    entry.control.kind = kind;
    entry.control.state = fresh_state(entry, kind);
    // Static text never takes the mouse or the keyboard.
    if (kind == control_kind::static_text) entry.flags = 0;
}

} // namespace quillet
