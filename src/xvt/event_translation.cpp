// Host messages to layer events: the event table of the layer's window procedure.
#include "xvt/event_translation.h"

#include "xvt/layer_state.h"

namespace quillet::xvt_detail {

namespace {

// Win32 notification codes, the numbers the rules below are written in.
namespace code {
constexpr int32_t bn_clicked = 0, bn_double_clicked = 5;
constexpr int32_t en_set_focus = 0x100, en_kill_focus = 0x200, en_change = 0x300;
constexpr int32_t lbn_sel_change = 1, lbn_double_click = 2, lbn_set_focus = 4, lbn_kill_focus = 5;
constexpr int32_t cbn_sel_change = 1, cbn_double_click = 2, cbn_set_focus = 3, cbn_kill_focus = 4,
                  cbn_edit_change = 5;
constexpr int32_t stn_clicked = 0;
} // namespace code

void set_kind(XvtEvent& e, EventKind kind) {
    e.words[0] = static_cast<int32_t>(kind);
}

int32_t shift(const host::Message& m) {
    return (m.modifiers & host::mod_shift) ? 1 : 0;
}
int32_t control(const host::Message& m) {
    return (m.modifiers & host::mod_control) ? 1 : 0;
}

void scroll(XvtEvent& e, EventKind kind, int32_t what, int32_t position) {
    set_kind(e, kind);
    e.words[1] = what;
    // The position means something only for the thumb.
    if (what == 5 || what == 6) e.words[2] = position;
}

bool control_event(const host::WindowSystem& ws, const host::Message& m, XvtEvent& e) {
    std::optional<host::ControlKind> kind = ws.control_kind(m.source);
    if (!kind) return false;
    int32_t type = layer_control_type(*kind);
    set_kind(e, EventKind::control);
    e.words[1] = m.code & 0xFFFF;
    e.words[2] = type;
    e.words[3] = static_cast<int32_t>(layer_handle(m.source));
    if (m.value < 0 || m.value > static_cast<int32_t>(host::Notify::scrolled)) {
        diagnostic("unknown command message: %d %x", m.value, m.code);
        return false;
    }
    auto notify = static_cast<host::Notify>(m.value);
    if (notify == host::Notify::scrolled) {
        int32_t what = m.point.x;
        e.words[4] = what;
        e.words[5] = (what == 5 || what == 6) ? m.position : 0;
        return true;
    }
    std::optional<int32_t> host_code = host_notification_code(*kind, notify);
    if (!host_code) return false;
    switch (notification_rule(*host_code, type)) {
    case NotificationRule::focus_gained: e.words[4] = 1, e.words[5] = 1; return true;
    case NotificationRule::focus_lost: e.words[4] = 1; return true;
    case NotificationRule::focus_flag: e.words[4] = 1; return true;
    case NotificationRule::plain: return true;
    case NotificationRule::none: return false;
    case NotificationRule::unknown:
        diagnostic("unknown command message: %d %x", *host_code, m.code);
        return false;
    }
    return false;
}

} // namespace

NotificationRule notification_rule(int32_t code, int32_t control_type) {
    bool list = control_type == static_cast<int32_t>(ControlType::list_box) ||
                control_type == static_cast<int32_t>(ControlType::list_button);
    switch (code) {
    case 3:
    case 4:
        // A list's own codes 3 and 4 are not about the focus.
        if (list) return NotificationRule::none;
        return code == 3 ? NotificationRule::focus_gained : NotificationRule::focus_lost;
    case 0x100: return NotificationRule::focus_gained;
    case 0x200: return NotificationRule::focus_lost;
    case 2: return NotificationRule::focus_flag;
    case 0:
    case 1:
    case 5: return NotificationRule::plain;
    case 0x300:
    case 0x400:
    case 0x601:
    case 0x602: return NotificationRule::none;
    default: return NotificationRule::unknown;
    }
}

std::optional<int32_t> host_notification_code(host::ControlKind kind, host::Notify notify) {
    using host::ControlKind;
    using host::Notify;
    switch (kind) {
    case ControlKind::push_button:
    case ControlKind::radio_button:
    case ControlKind::check_box:
    case ControlKind::group_box:
        if (notify == Notify::clicked) return code::bn_clicked;
        if (notify == Notify::double_clicked) return code::bn_double_clicked;
        return std::nullopt; // buttons tell no focus changes
    case ControlKind::static_left:
    case ControlKind::static_center:
    case ControlKind::static_right:
        if (notify == Notify::clicked) return code::stn_clicked;
        return std::nullopt;
    case ControlKind::edit:
        if (notify == Notify::focus_gained) return code::en_set_focus;
        if (notify == Notify::focus_lost) return code::en_kill_focus;
        if (notify == Notify::text_changed) return code::en_change;
        return std::nullopt;
    case ControlKind::list_box:
        if (notify == Notify::selection_changed) return code::lbn_sel_change;
        if (notify == Notify::double_clicked) return code::lbn_double_click;
        if (notify == Notify::focus_gained) return code::lbn_set_focus;
        if (notify == Notify::focus_lost) return code::lbn_kill_focus;
        return std::nullopt;
    case ControlKind::dropdown_list:
    case ControlKind::dropdown_edit:
        if (notify == Notify::selection_changed) return code::cbn_sel_change;
        if (notify == Notify::double_clicked) return code::cbn_double_click;
        if (notify == Notify::focus_gained) return code::cbn_set_focus;
        if (notify == Notify::focus_lost) return code::cbn_kill_focus;
        if (notify == Notify::text_changed) return code::cbn_edit_change;
        return std::nullopt;
    case ControlKind::hscroll_bar:
    case ControlKind::vscroll_bar: return std::nullopt; // they scroll, see control_event
    }
    return std::nullopt;
}

int32_t layer_control_type(host::ControlKind kind) {
    switch (kind) {
#define X(type, name, host_kind)                                                                   \
    case host::ControlKind::host_kind:                                                             \
        return type;
#include "xvt/control_types.def"
#undef X
    case host::ControlKind::static_center:
    case host::ControlKind::static_right: return static_cast<int32_t>(ControlType::static_text);
    }
    return 0;
}

bool translate_message(const host::WindowSystem& ws, const host::Message& m, int32_t window_type,
                       XvtEvent& e) {
    using host::Msg;
    switch (m.kind) {
    case Msg::create: {
        const WindowTypeInfo* info = xvt_window_type_info(window_type);
        if (info && !info->creation_event) return false;
        set_kind(e, EventKind::create);
        return true;
    }
    case Msg::destroy: set_kind(e, EventKind::destroy); return true;
    case Msg::activate:
        set_kind(e, EventKind::focus);
        e.words[1] = m.value ? 1 : 0;
        return true;
    case Msg::size:
        set_kind(e, EventKind::size);
        e.words[1] = static_cast<int32_t>((static_cast<uint32_t>(m.point.x) << 16) |
                                          (static_cast<uint32_t>(m.point.y) & 0xFFFF));
        return true;
    case Msg::close: set_kind(e, EventKind::close); return true;
    case Msg::query_end_session:
        set_kind(e, EventKind::quit);
        e.words[1] = 1;
        return true;
    case Msg::end_session: set_kind(e, EventKind::quit); return true;
    case Msg::help: set_kind(e, EventKind::help); return true;
    case Msg::character:
        set_kind(e, EventKind::character);
        e.words[1] = m.code & 0xFFFF;
        e.words[2] = shift(m);
        e.words[3] = control(m);
        return true;
    case Msg::command:
        set_kind(e, EventKind::menu);
        e.words[1] = m.code;
        e.words[2] = shift(m);
        e.words[3] = control(m);
        return true;
    case Msg::notify: return control_event(ws, m, e);
    case Msg::timer:
        set_kind(e, EventKind::timer);
        e.words[1] = m.code;
        return true;
    case Msg::vscroll: scroll(e, EventKind::vscroll, m.value, m.position); return true;
    case Msg::hscroll: scroll(e, EventKind::hscroll, m.value, m.position); return true;
    case Msg::mouse_down: translate_pointer(e, EventKind::mouse_down, m); return true;
    case Msg::mouse_up: translate_pointer(e, EventKind::mouse_up, m); return true;
    case Msg::mouse_move: translate_pointer(e, EventKind::mouse_move, m); return true;
    case Msg::mouse_double_click: translate_pointer(e, EventKind::mouse_double, m); return true;
    default: return false;
    }
}

} // namespace quillet::xvt_detail
