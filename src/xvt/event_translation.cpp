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

XvtEvent event(EventKind kind) {
    XvtEvent e;
    e.words[0] = static_cast<int32_t>(kind);
    return e;
}

int32_t shift(const host::Message& m) {
    return (m.modifiers & host::mod_shift) ? 1 : 0;
}
int32_t control(const host::Message& m) {
    return (m.modifiers & host::mod_control) ? 1 : 0;
}

XvtEvent mouse(EventKind kind, const host::Message& m) {
    XvtEvent e = event(kind);
    e.words[1] = xvt_pack_point(m.point);
    e.words[2] = shift(m);
    e.words[3] = control(m);
    if (kind != EventKind::mouse_move) e.words[4] = static_cast<int32_t>(m.button);
    return e;
}

XvtEvent scroll(EventKind kind, int32_t what, int32_t position) {
    XvtEvent e = event(kind);
    e.words[1] = what;
    // The position means something only for the thumb.
    if (what == 5 || what == 6) e.words[2] = position;
    return e;
}

std::optional<XvtEvent> control_event(const host::WindowSystem& ws, const host::Message& m) {
    std::optional<host::ControlKind> kind = ws.control_kind(m.source);
    if (!kind) return std::nullopt;
    int32_t type = layer_control_type(*kind);
    XvtEvent e = event(EventKind::control);
    e.words[1] = m.code & 0xFFFF;
    e.words[2] = type;
    e.words[3] = static_cast<int32_t>(layer_handle(m.source));
    if (m.value < 0 || m.value > static_cast<int32_t>(host::Notify::scrolled)) {
        diagnostic("unknown command message: %d %x", m.value, m.code);
        return std::nullopt;
    }
    auto notify = static_cast<host::Notify>(m.value);
    if (notify == host::Notify::scrolled) {
        int32_t what = m.point.x;
        e.words[4] = what;
        e.words[5] = (what == 5 || what == 6) ? m.position : 0;
        return e;
    }
    std::optional<int32_t> host_code = host_notification_code(*kind, notify);
    if (!host_code) return std::nullopt;
    switch (notification_rule(*host_code, type)) {
    case NotificationRule::focus_gained: e.words[4] = 1, e.words[5] = 1; return e;
    case NotificationRule::focus_lost: e.words[4] = 1; return e;
    case NotificationRule::focus_flag: e.words[4] = 1; return e;
    case NotificationRule::plain: return e;
    case NotificationRule::none: return std::nullopt;
    case NotificationRule::unknown:
        diagnostic("unknown command message: %d %x", *host_code, m.code);
        return std::nullopt;
    }
    return std::nullopt;
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

std::optional<XvtEvent> translate_message(const host::WindowSystem& ws, const host::Message& m,
                                          int32_t window_type) {
    using host::Msg;
    switch (m.kind) {
    case Msg::create: {
        const WindowTypeInfo* info = xvt_window_type_info(window_type);
        if (info && !info->creation_event) return std::nullopt;
        return event(EventKind::create);
    }
    case Msg::destroy: return event(EventKind::destroy);
    case Msg::activate: {
        XvtEvent e = event(EventKind::focus);
        e.words[1] = m.value ? 1 : 0;
        return e;
    }
    case Msg::size: {
        XvtEvent e = event(EventKind::size);
        e.words[1] = static_cast<int32_t>((static_cast<uint32_t>(m.point.x) << 16) |
                                          (static_cast<uint32_t>(m.point.y) & 0xFFFF));
        return e;
    }
    case Msg::close: return event(EventKind::close);
    case Msg::query_end_session: {
        XvtEvent e = event(EventKind::quit);
        e.words[1] = 1;
        return e;
    }
    case Msg::end_session: return event(EventKind::quit);
    case Msg::help: return event(EventKind::help);
    case Msg::character: {
        XvtEvent e = event(EventKind::character);
        e.words[1] = m.code & 0xFFFF;
        e.words[2] = shift(m);
        e.words[3] = control(m);
        return e;
    }
    case Msg::command: {
        XvtEvent e = event(EventKind::menu);
        e.words[1] = m.code;
        e.words[2] = shift(m);
        e.words[3] = control(m);
        return e;
    }
    case Msg::notify: return control_event(ws, m);
    case Msg::timer: {
        XvtEvent e = event(EventKind::timer);
        e.words[1] = m.code;
        return e;
    }
    case Msg::vscroll: return scroll(EventKind::vscroll, m.value, m.position);
    case Msg::hscroll: return scroll(EventKind::hscroll, m.value, m.position);
    case Msg::mouse_down: return mouse(EventKind::mouse_down, m);
    case Msg::mouse_up: return mouse(EventKind::mouse_up, m);
    case Msg::mouse_move: return mouse(EventKind::mouse_move, m);
    case Msg::mouse_double_click: return mouse(EventKind::mouse_double, m);
    default: return std::nullopt;
    }
}

} // namespace quillet::xvt_detail
