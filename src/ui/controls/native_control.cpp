#include "ui/controls/native_control.h"

#include "ui/objects/object_errors.h"
#include "ui/objects/scroll_bar_rules.h"
#include "values/errors.h"

#include <algorithm>

namespace quillet {
namespace {

// The rectangle in the window: a right or bottom relative edge holds its distance from the
// window's right or bottom side.
IntRect laid_out_rect(const ObjectEntry& entry, const WindowRecord& window) {
    IntRect rect = entry.rect;
    if (entry.relative & relative_edge::right) rect.right = window.pixel_width - entry.rect.right;
    if (entry.relative & relative_edge::bottom)
        rect.bottom = window.pixel_height - entry.rect.bottom;
    return rect;
}

uint32_t creation_flags(const ObjectEntry& entry, const ControlKindState& s) {
    uint32_t flags = (entry.flags & object_flag::sensitive) ? 0 : xvt_ctl_flag::disabled;
    const int32_t kind = entry.control.kind;
    // Buttons and static text place their text by their justification.
    if (control_kind::is_button(kind) || kind == control_kind::static_text) {
        if (s.justify == text_justify::centre) flags |= xvt_ctl_flag::centered;
        if (s.justify == text_justify::right) flags |= xvt_ctl_flag::right;
    }
    switch (kind) {
    case control_kind::push_button:
        if (s.is_default) flags |= xvt_ctl_flag::default_button;
        break;
    case control_kind::list_box:
        if (s.selection_mode == 1) flags |= xvt_ctl_flag::multiple_selection;
        if (s.selection_mode == 2) flags |= xvt_ctl_flag::extended_selection;
        break;
    default: break;
    }
    return flags;
}

std::string_view creation_text(int32_t kind, const ControlKindState& s) {
    if (kind == control_kind::group_box) return s.title;
    if (control_kind::is_button(kind) || kind == control_kind::static_text ||
        kind == control_kind::edit || kind == control_kind::list_edit)
        return s.text;
    return {};
}

GroupEntry* radio_group(const ControlKindState& s) {
    size_t index = static_cast<size_t>(s.button_group - first_group_id);
    if (s.button_group < first_group_id || index >= object_tables.groups.size()) return nullptr;
    GroupEntry& group = object_tables.groups[index];
    return group.in_use() && group.type == 0 ? &group : nullptr;
}

// The group keeps its members' native controls beside their IDs.
void record_in_group(const ObjectEntry& entry, const ControlKindState& s) {
    GroupEntry* group = radio_group(s);
    if (!group) return;
    group->member_native.resize(group->members.size(), no_xvt_window);
    for (size_t i = 0; i < group->members.size(); ++i)
        if (group->members[i] == entry.id) group->member_native[i] = s.native;
}

void create_native(ObjectEntry& entry, ControlKindState& s, WindowRecord& window) {
    int32_t kind = entry.control.kind;
    XvtCtlDef def;
    def.type = kind;
    def.rect = laid_out_rect(entry, window);
    def.title = creation_text(kind, s);
    def.id = static_cast<int16_t>(entry.id);
    def.flags = creation_flags(entry, s);
    s.native = xp_ctl_create_def(def, window.native_window, entry.id);
    if (s.native == no_xvt_window) return;
    s.owner = window.native_window;
    s.created = def.rect;
    if (kind == control_kind::radio_button) record_in_group(entry, s);
    if (control_kind::is_button(kind)) show_button_state(entry);
    if (control_kind::is_scroll_bar(kind)) apply_scroll_settings(s.native, 0, s.bar);
    if (control_kind::is_list(kind) && !s.list.empty()) refill_native_list(entry);
    list_made_control(entry);
}

} // namespace

void ControlKindState::show(ObjectEntry& entry) {
    if (!control_kind::is_native(entry.control.kind))
        raise_error(object_error::unknown_control_kind);
    if (native != no_xvt_window) {
        xp_vobj_set_visible(native, true);
        return;
    }
    WindowRecord* window = find_window(entry.window);
    if (!window || window->native_window == no_xvt_window) return;
    create_native(entry, *this, *window);
}

void list_made_control(const ObjectEntry& entry) {
    WindowRecord* window = find_window(entry.window);
    if (!window) return;
    std::vector<int32_t>& objects = window->objects;
    if (std::find(objects.begin(), objects.end(), entry.id) == objects.end())
        objects.push_back(entry.id);
}

void ControlKindState::relayout(int n, ObjectEntry& entry) {
    if (entry.window != n || !control_kind::is_native(entry.control.kind)) return;
    WindowRecord& window = window_record(n);
    if (native == no_xvt_window) {
        if (entry.flags & object_flag::shown) show(entry);
        return;
    }
    if (!(entry.relative & (relative_edge::right | relative_edge::bottom))) return;
    IntRect rect = laid_out_rect(entry, window);
    if (rect == created) return;
    constexpr auto in_layout = static_cast<int32_t>(XvtScreenAttr::repaint_in_layout);
    xp_vobj_set_attr(window.native_window, in_layout, 1);
    xp_vobj_move(native, rect);
    xp_vobj_set_attr(window.native_window, in_layout, 0);
    created = rect;
}

void ControlKindState::hide(ObjectEntry&) {
    if (native != no_xvt_window) xp_vobj_set_visible(native, false);
}

void ControlKindState::free(ObjectEntry&) {
    if (native == no_xvt_window) return;
    if (GroupEntry* group = radio_group(*this))
        std::replace(group->member_native.begin(), group->member_native.end(), native,
                     no_xvt_window);
    xp_vobj_destroy(native);
    native = no_xvt_window;
}

void ControlKindState::move(ObjectEntry& entry, const IntRect&) {
    WindowRecord* window = find_window(entry.window);
    if (native == no_xvt_window || !window) return;
    created = laid_out_rect(entry, *window);
    xp_vobj_move(native, created);
}

void ControlKindState::set_sensitive(ObjectEntry& entry, bool sensitive) {
    if (!control_kind::is_native(entry.control.kind))
        raise_error(object_error::unknown_control_kind);
    if (native != no_xvt_window) xp_vobj_set_enabled(native, sensitive);
}

void refill_native_list(ObjectEntry& entry) {
    ControlKindState* s = find_control_state(entry);
    if (!s || s->native == no_xvt_window) return;
    xp_list_clear(s->native);
    for (const std::string& item : s->list)
        xp_list_add(s->native, -1, item);
    if (s->selection >= 0 && s->selection < static_cast<int32_t>(s->list.size()))
        xp_list_set_sel(s->native, s->selection, true);
    remember_list_selection(*s);
}

void remember_list_selection(ControlKindState& s) {
    s.seen_selection.clear();
    if (s.native == no_xvt_window) return;
    for (const XvtSlistItem& item : xp_list_get_sel(s.native))
        s.seen_selection.push_back(static_cast<int32_t>(item.data));
}

void show_button_state(ObjectEntry& entry) {
    ControlKindState* s = find_control_state(entry);
    int32_t kind = entry.control.kind;
    if (!s || s->native == no_xvt_window ||
        (kind != control_kind::check_box && kind != control_kind::radio_button))
        return;
    GroupEntry* group = kind == control_kind::radio_button ? radio_group(*s) : nullptr;
    if (!group || s->state == 0) {
        xp_ctl_set_checked(s->native, s->state != 0);
        return;
    }
    std::vector<XvtWindow> members;
    for (int32_t id : group->members) {
        ObjectEntry* member = find_object(id);
        ControlKindState* ms = member ? find_control_state(*member) : nullptr;
        if (!ms || member->control.kind != control_kind::radio_button) continue;
        if (id != entry.id) ms->state = 0;
        if (ms->native != no_xvt_window) members.push_back(ms->native);
    }
    xp_ctl_check_radio_button(s->native, members);
}

} // namespace quillet
