// Each kind's attributes, as the kind rules of control_attributes.def give them: a SET stores
// the value and, on a made control, shows it at once; a GET appends the stored value, or the
// native control's where the user can change it (edit texts, list selections, scroll
// positions). Attributes a kind does not take are -11223. These are the set and get of the
// native controls' state (control_state.h), reached once the control's kind is known.
#include "ui/controls/native_control.h"
#include "ui/objects/attribute_rules.h"
#include "ui/objects/attribute_tables.h"
#include "ui/objects/object_errors.h"
#include "ui/objects/scroll_bar_rules.h"
#include "values/errors.h"

#include <algorithm>
#include <array>

namespace quillet {
namespace {

constexpr size_t max_read_back = 1024;
constexpr int32_t too_many_exit_chars = -11241;

// What the kinds' rules act on.
struct ControlTarget {
    ObjectEntry& entry;
    ControlKindState& s;
    int32_t kind;
    ControlKindState& fields() { return s; }
};

// The actions after a set.
enum ControlAfter : uint8_t {
    then_show_text = 1, // a made control shows its text (static text: a blank for none)
    then_show_title,    // a made group box shows its title
    then_button_state,  // a made button shows its state
};

[[noreturn]] void not_for_kind() {
    raise_error(object_error::attribute_not_used);
}

void set_title_now(ControlKindState& s, std::string_view text) {
    if (s.native != no_xvt_window) xp_vobj_set_title(s.native, text);
}

// Edit lines give their text as the user left it, stored; the stored text before the control
// exists and for the other kinds.
void get_text(ControlTarget& t, int32_t, ObjectRequest& request) {
    ControlKindState& s = t.s;
    if (t.kind == control_kind::edit || t.kind == control_kind::list_edit) {
        if (s.native != no_xvt_window) {
            std::array<char, max_read_back + 1> buffer{};
            int32_t n = xp_vobj_get_title(s.native, buffer);
            s.text.assign(buffer.data(), static_cast<size_t>(std::max(n, 0)));
        }
    }
    request.append_string(s.text);
}

// Icons are taken and left: SET takes no value, GET gives none.
bool leave_icon(ControlTarget&, int32_t, ObjectRequest&) {
    return false;
}
void no_icon(ControlTarget&, int32_t, ObjectRequest&) {}

template <ScrollSetting Setting>
bool set_scroll(ControlTarget& t, int32_t, ObjectRequest& request) {
    store_scroll_setting(t.s.bar, Setting, request.next_int());
    if (t.s.native != no_xvt_window) apply_scroll_settings(t.s.native, 0, t.s.bar);
    return false;
}

// The position is the native bar's once it is made (the user moves it).
template <ScrollSetting Setting>
void get_scroll(ControlTarget& t, int32_t, ObjectRequest& request) {
    if (Setting == ScrollSetting::position && t.s.native != no_xvt_window)
        t.s.bar.position = xp_sbar_get_pos(t.s.native, 0);
    request.append_int(scroll_setting(t.s.bar, Setting));
}

void select_in_list(ControlKindState& s, int32_t index, bool selected) {
    if (s.native == no_xvt_window || index < 0 || index >= xp_list_count_all(s.native)) return;
    xp_list_set_sel(s.native, index, selected);
    remember_list_selection(s);
}

// Edit fields: start and end of the selected text. List boxes: a mode (0 deselects) and an
// index. List buttons: the index.
bool set_selection(ControlTarget& t, int32_t, ObjectRequest& request) {
    ControlKindState& s = t.s;
    if (t.kind == control_kind::edit) {
        int32_t start = request.next_int();
        int32_t end = request.next_int();
        if (s.native != no_xvt_window) xp_ctl_set_text_sel(s.native, start, end);
    } else if (t.kind == control_kind::list_box) {
        int32_t mode = request.next_int();
        int32_t index = request.next_int();
        if (mode == 0) {
            select_in_list(s, index, false);
        } else {
            s.selection = index;
            select_in_list(s, index, true);
        }
    } else {
        s.selection = request.next_int();
        select_in_list(s, s.selection, true);
    }
    return false;
}

// The count of selected items, then their indexes; an edit field's selection is not read.
void get_selection(ControlTarget& t, int32_t, ObjectRequest& request) {
    if (t.kind == control_kind::edit) not_for_kind();
    if (t.s.native == no_xvt_window) {
        request.append_int(0);
        return;
    }
    XvtSlist selected = xp_list_get_sel(t.s.native);
    request.append_int(static_cast<int32_t>(selected.size()));
    for (const XvtSlistItem& item : selected)
        request.append_int(static_cast<int32_t>(item.data));
}

// 0 to 2; other values leave the mode.
bool set_selection_mode(ControlTarget& t, int32_t, ObjectRequest& request) {
    if (int32_t mode = request.next_int(); mode >= 0 && mode <= 2) t.s.selection_mode = mode;
    return false;
}

// A count, then that many items; a made list is filled again.
bool set_list(ControlTarget& t, int32_t, ObjectRequest& request) {
    int32_t count = request.next_int();
    std::vector<std::string> list;
    for (int32_t i = 0; i < count; ++i)
        list.push_back(request.next_string());
    t.s.list = std::move(list);
    refill_native_list(t.entry);
    return false;
}

void get_list(ControlTarget& t, int32_t, ObjectRequest& request) {
    for (const std::string& item : t.s.list)
        request.append_string(item);
}

bool set_exit_char(ControlTarget& t, int32_t, ObjectRequest& request) {
    if (!t.s.exit_chars.set(request.next_int())) raise_error(too_many_exit_chars);
    return false;
}

void get_exit_chars(ControlTarget& t, int32_t, ObjectRequest& request) {
    for (int32_t key : t.s.exit_chars.keys())
        request.append_int(key);
}

constexpr uint32_t kind_bit(int32_t kind) {
    return 1u << kind;
}

// The kinds' rule makers beside the shared ones.
struct ControlRules : AttributeRules<ControlTarget> {
    static constexpr uint32_t buttons = kind_bit(control_kind::push_button) |
                                        kind_bit(control_kind::radio_button) |
                                        kind_bit(control_kind::check_box);
    static constexpr uint32_t scroll_bars =
        kind_bit(control_kind::hscroll_bar) | kind_bit(control_kind::vscroll_bar);
    static constexpr uint32_t edits = kind_bit(control_kind::edit);
    static constexpr uint32_t static_texts = kind_bit(control_kind::static_text);
    static constexpr uint32_t list_boxes = kind_bit(control_kind::list_box);
    static constexpr uint32_t list_buttons = kind_bit(control_kind::list_button);
    static constexpr uint32_t list_edits = kind_bit(control_kind::list_edit);
    static constexpr uint32_t lists = list_boxes | list_buttons | list_edits;
    static constexpr uint32_t group_boxes = kind_bit(control_kind::group_box);
    static constexpr uint32_t texts = buttons | edits | static_texts | list_edits;

    template <ScrollSetting Setting>
    static constexpr Rule scroll() {
        return own(set_scroll<Setting>, get_scroll<Setting>);
    }

    static constexpr auto rows() {
        return std::to_array<Row>({
#define X(number, id, name, text_edit_rule, kind_rule) row(number, QUILLET_RULE kind_rule),
#include "ui/objects/control_attributes.def"
#undef X
        });
    }
};

constexpr auto control_rows = ControlRules::rows();

// The row's rule, when it applies to the control's kind.
const AttributeRule<ControlTarget>& control_rule(const ControlTarget& t, int32_t number) {
    const AttributeRule<ControlTarget>* rule = find_rule<ControlTarget>(control_rows, number);
    if (!rule || !rule->applies_to(t.kind)) not_for_kind();
    return *rule;
}

void after_set(ControlTarget& t, uint8_t action) {
    ControlKindState& s = t.s;
    switch (action) {
    case then_show_text:
        if (t.kind == control_kind::static_text && s.text.empty())
            set_title_now(s, " ");
        else
            set_title_now(s, s.text);
        return;
    case then_show_title: set_title_now(s, s.title); return;
    case then_button_state: show_button_state(t.entry); return;
    default: return;
    }
}

} // namespace

void ControlKindState::set(ObjectEntry& entry, int32_t attribute, ObjectRequest& request) {
    ControlTarget t{entry, *this, entry.control.kind};
    const AttributeRule<ControlTarget>& rule = control_rule(t, attribute);
    if (!rule.set) raise_error(rule.refusal);
    if (rule.set(t, attribute, request)) after_set(t, rule.after);
}

void ControlKindState::get(ObjectEntry& entry, int32_t attribute, ObjectRequest& request) {
    ControlTarget t{entry, *this, entry.control.kind};
    const AttributeRule<ControlTarget>& rule = control_rule(t, attribute);
    if (!rule.get) not_for_kind();
    rule.get(t, attribute, request);
}

} // namespace quillet
