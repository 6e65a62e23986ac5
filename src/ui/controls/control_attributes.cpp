// Each kind's attributes: a SET stores the value and, on a made control, shows it at once; a
// GET appends the stored value, or the native control's where the user can change it (edit
// texts, list selections, scroll positions). Attributes a kind does not take are -11223.
#include "ui/controls/control_attributes.h"

#include "ui/controls/native_control.h"
#include "ui/objects/attribute_tables.h"
#include "ui/objects/object_errors.h"
#include "ui/objects/scroll_bar_rules.h"
#include "ui/text_edits/text_edit_attributes.h"
#include "values/errors.h"

#include <array>

namespace quillet {
namespace {

constexpr size_t max_read_back = 1024;
constexpr int32_t too_many_exit_chars = -11241;

[[noreturn]] void not_for_kind() {
    raise_error(object_error::attribute_not_used);
}

// The edit line's text as the user left it, stored; the stored text before the control exists.
const std::string& read_back_text(ControlKindState& s) {
    if (s.native != no_xvt_window) {
        std::array<char, max_read_back + 1> buffer{};
        int32_t n = xp_vobj_get_title(s.native, buffer);
        s.text.assign(buffer.data(), static_cast<size_t>(std::max(n, 0)));
    }
    return s.text;
}

void set_title_now(ControlKindState& s, std::string_view text) {
    if (s.native != no_xvt_window) xp_vobj_set_title(s.native, text);
}

void set_list(ObjectEntry& entry, ControlKindState& s, ObjectRequest& request) {
    int32_t count = request.next_int();
    std::vector<std::string> list;
    for (int32_t i = 0; i < count; ++i)
        list.push_back(request.next_string());
    s.list = std::move(list);
    refill_native_list(entry);
}

void get_list_selection(ControlKindState& s, ObjectRequest& request) {
    if (s.native == no_xvt_window) {
        request.append_int(0);
        return;
    }
    XvtSlist selected = xp_list_get_sel(s.native);
    request.append_int(static_cast<int32_t>(selected.size()));
    for (const XvtSlistItem& item : selected)
        request.append_int(static_cast<int32_t>(item.data));
}

void get_list(const ControlKindState& s, ObjectRequest& request) {
    for (const std::string& item : s.list)
        request.append_string(item);
}

void set_button(ObjectEntry& entry, ControlKindState& s, int32_t attribute,
                ObjectRequest& request) {
    switch (attribute) {
    case control_attr::state:
        s.state = request.next_int() != 0 ? 1 : 0;
        show_button_state(entry);
        return;
    case control_attr::default_: s.is_default = request.next_int() != 0 ? 1 : 0; return;
    case control_attr::text:
        s.text = request.next_string();
        set_title_now(s, s.text);
        return;
    case control_attr::up_icon:
    case control_attr::down_icon: return;
    case control_attr::text_justify: s.justify = request.next_int(); return;
    default: not_for_kind();
    }
}

void get_button(ControlKindState& s, int32_t attribute, ObjectRequest& request) {
    switch (attribute) {
    case control_attr::state: request.append_int(s.state); return;
    case control_attr::default_: request.append_int(s.is_default); return;
    case control_attr::text: request.append_string(s.text); return;
    case control_attr::text_justify: request.append_int(s.justify); return;
    case control_attr::button_group: request.append_int(s.button_group); return;
    case control_attr::up_icon:
    case control_attr::down_icon: return;
    default: not_for_kind();
    }
}

void set_scroll_bar(ControlKindState& s, int32_t attribute, ObjectRequest& request) {
    std::optional<ScrollSetting> setting = scroll_setting_of_attribute(attribute);
    if (!setting) not_for_kind();
    store_scroll_setting(s.bar, *setting, request.next_int());
    if (s.native != no_xvt_window) apply_scroll_settings(s.native, 0, s.bar);
}

void get_scroll_bar(ControlKindState& s, int32_t attribute, ObjectRequest& request) {
    std::optional<ScrollSetting> setting = scroll_setting_of_attribute(attribute);
    if (!setting) not_for_kind();
    if (*setting == ScrollSetting::position && s.native != no_xvt_window)
        s.bar.position = xp_sbar_get_pos(s.native, 0);
    request.append_int(scroll_setting(s.bar, *setting));
}

void set_edit_field(ControlKindState& s, int32_t attribute, ObjectRequest& request) {
    switch (attribute) {
    case control_attr::text:
        s.text = request.next_string();
        set_title_now(s, s.text);
        return;
    case control_attr::format: s.format = request.next_string(); return;
    case control_attr::selection: {
        int32_t start = request.next_int();
        int32_t end = request.next_int();
        if (s.native != no_xvt_window) xp_ctl_set_text_sel(s.native, start, end);
        return;
    }
    case control_attr::exit_char:
        if (!s.exit_chars.set(request.next_int())) raise_error(too_many_exit_chars);
        return;
    default: not_for_kind();
    }
}

void get_edit_field(ControlKindState& s, int32_t attribute, ObjectRequest& request) {
    switch (attribute) {
    case control_attr::text: request.append_string(read_back_text(s)); return;
    case control_attr::format: request.append_string(s.format); return;
    case control_attr::exit_char:
        for (int32_t key : s.exit_chars.keys())
            request.append_int(key);
        return;
    default: not_for_kind();
    }
}

void set_static_text(ControlKindState& s, int32_t attribute, ObjectRequest& request) {
    switch (attribute) {
    case control_attr::text:
        s.text = request.next_string();
        set_title_now(s, s.text.empty() ? std::string_view(" ") : std::string_view(s.text));
        return;
    case control_attr::text_justify: s.justify = request.next_int(); return;
    default: not_for_kind();
    }
}

void get_static_text(ControlKindState& s, int32_t attribute, ObjectRequest& request) {
    switch (attribute) {
    case control_attr::text: request.append_string(s.text); return;
    case control_attr::text_justify: request.append_int(s.justify); return;
    default: not_for_kind();
    }
}

void select_in_list(ControlKindState& s, int32_t index, bool selected) {
    if (s.native == no_xvt_window || index < 0 || index >= xp_list_count_all(s.native)) return;
    xp_list_set_sel(s.native, index, selected);
    remember_list_selection(s);
}

void set_list_control(ObjectEntry& entry, ControlKindState& s, int32_t attribute,
                      ObjectRequest& request) {
    int32_t kind = entry.control.kind;
    switch (attribute) {
    case control_attr::selection:
        if (kind == control_kind::list_box) {
            int32_t mode = request.next_int();
            int32_t index = request.next_int();
            if (mode == 0) {
                select_in_list(s, index, false);
            } else {
                s.selection = index;
                select_in_list(s, index, true);
            }
            return;
        }
        if (kind == control_kind::list_button) {
            s.selection = request.next_int();
            select_in_list(s, s.selection, true);
            return;
        }
        not_for_kind();
    case control_attr::selection_mode:
        if (kind != control_kind::list_box) not_for_kind();
        if (int32_t mode = request.next_int(); mode >= 0 && mode <= 2) s.selection_mode = mode;
        return;
    case control_attr::list: set_list(entry, s, request); return;
    case control_attr::text:
        if (kind != control_kind::list_edit) not_for_kind();
        s.text = request.next_string();
        set_title_now(s, s.text);
        return;
    case control_attr::format:
        if (kind != control_kind::list_edit) not_for_kind();
        s.format = request.next_string();
        return;
    default: not_for_kind();
    }
}

void get_list_control(ObjectEntry& entry, ControlKindState& s, int32_t attribute,
                      ObjectRequest& request) {
    int32_t kind = entry.control.kind;
    switch (attribute) {
    case control_attr::selection:
        if (kind == control_kind::list_edit) not_for_kind();
        get_list_selection(s, request);
        return;
    case control_attr::selection_mode:
        if (kind != control_kind::list_box) not_for_kind();
        request.append_int(s.selection_mode);
        return;
    case control_attr::list: get_list(s, request); return;
    case control_attr::text:
        if (kind != control_kind::list_edit) not_for_kind();
        request.append_string(read_back_text(s));
        return;
    case control_attr::format:
        if (kind != control_kind::list_edit) not_for_kind();
        request.append_string(s.format);
        return;
    default: not_for_kind();
    }
}

// A control whose kind was never set has no attributes of a kind.
int32_t kind_of(const ObjectEntry& entry) {
    int32_t kind = entry.control.kind;
    if (kind < control_kind::push_button || kind > control_kind::text_edit)
        raise_error(object_error::unknown_control_kind);
    return kind;
}

} // namespace

void set_control_attribute(ObjectEntry& entry, int32_t attribute, ObjectRequest& request) {
    if (attribute == control_attr::control_type) {
        set_control_kind(entry, request.next_int());
        return;
    }
    if (attribute == control_attr::cid) return;
    int32_t kind = kind_of(entry);
    if (kind == control_kind::text_edit) return set_text_edit_attribute(entry, attribute, request);
    ControlKindState& s = control_state(entry);
    if (control_kind::is_button(kind)) return set_button(entry, s, attribute, request);
    if (control_kind::is_scroll_bar(kind)) return set_scroll_bar(s, attribute, request);
    if (control_kind::is_list(kind)) return set_list_control(entry, s, attribute, request);
    switch (kind) {
    case control_kind::edit: return set_edit_field(s, attribute, request);
    case control_kind::static_text: return set_static_text(s, attribute, request);
    case control_kind::group_box:
        if (attribute != control_attr::title) not_for_kind();
        s.title = request.next_string();
        set_title_now(s, s.title);
        return;
    default: not_for_kind();
    }
}

void get_control_attribute(ObjectEntry& entry, int32_t attribute, ObjectRequest& request) {
    if (attribute == control_attr::control_type) {
        request.append_int(entry.control.kind);
        return;
    }
    if (attribute == control_attr::cid) {
        request.append_int(entry.id);
        return;
    }
    int32_t kind = kind_of(entry);
    if (kind == control_kind::text_edit) return get_text_edit_attribute(entry, attribute, request);
    ControlKindState& s = control_state(entry);
    if (control_kind::is_button(kind)) return get_button(s, attribute, request);
    if (control_kind::is_scroll_bar(kind)) return get_scroll_bar(s, attribute, request);
    if (control_kind::is_list(kind)) return get_list_control(entry, s, attribute, request);
    switch (kind) {
    case control_kind::edit: return get_edit_field(s, attribute, request);
    case control_kind::static_text: return get_static_text(s, attribute, request);
    case control_kind::group_box:
        if (attribute != control_attr::title) not_for_kind();
        request.append_string(s.title);
        return;
    default: not_for_kind();
    }
}

} // namespace quillet
