// Dialogs built from control definitions, keyboard navigation among controls (Tab, arrows
// among radio buttons, Enter for the default button, Escape to cancel), and message boxes.
#include "host/backend.h"
#include "host/controls.h"
#include "host/ui_style.h"
#include "host/window_record.h"
#include "host/window_system.h"

#include <algorithm>

namespace quillet::host {

namespace {

bool focusable(const WindowSystem& ws, WindowId id) {
    WindowRecord* w = ws.record(id);
    return w && w->control && w->control->takes_focus() && w->owner == no_window &&
           ws.is_shown(id) && w->enabled;
}

} // namespace

// Keyboard navigation before a key reaches the focused control. True when the key was used.
bool WindowSystem::dialog_key(WindowRecord& target, Key key, uint8_t modifiers) {
    if (m_menu || (modifiers & mod_alt)) return false;
    WindowRecord* control = target.control ? &target : nullptr;
    if (control && control->owner != no_window)
        control = record(control->owner); // the edit part of a drop-down
    WindowId top_id = top_level_of(target.id);
    WindowRecord* top = record(top_id);
    if (!top) return false;
    bool is_dialog = top->dialog;
    if (control && control->control->wants_key(key)) return false;
    if (control && control->control->has_popup_open()) return false;
    WindowId parent = control ? control->parent : top_id;
    std::vector<WindowId> order;
    for (WindowId c : children(parent))
        if (focusable(*this, c)) order.push_back(c);
    switch (key) {
    case Key::tab: {
        if (!is_dialog && !control) return false;
        if (order.empty()) return true;
        auto it = control ? std::find(order.begin(), order.end(), control->id) : order.end();
        int n = static_cast<int>(order.size());
        int i = it == order.end() ? -1 : static_cast<int>(it - order.begin());
        int next = (modifiers & mod_shift) ? (i <= 0 ? n - 1 : i - 1) : (i + 1) % n;
        set_focus(order[next]);
        if (control_kind(order[next]) == ControlKind::edit) set_edit_selection(order[next], 0, -1);
        return true;
    }
    case Key::up:
    case Key::down:
    case Key::left:
    case Key::right: {
        if (!control || control->control->kind() != ControlKind::radio_button) return false;
        std::vector<WindowId> all = children(parent);
        auto self = std::find(all.begin(), all.end(), control->id);
        bool back = key == Key::up || key == Key::left;
        auto is_radio = [&](WindowId id) { return control_kind(id) == ControlKind::radio_button; };
        if (back && self != all.begin() && is_radio(*(self - 1)) && focusable(*this, *(self - 1))) {
            set_focus(*(self - 1));
            static_cast<ButtonControl&>(*record(*(self - 1))->control)
                .click(*this, *record(*(self - 1)));
        } else if (!back && self + 1 != all.end() && is_radio(*(self + 1)) &&
                   focusable(*this, *(self + 1))) {
            set_focus(*(self + 1));
            static_cast<ButtonControl&>(*record(*(self + 1))->control)
                .click(*this, *record(*(self + 1)));
        }
        return true;
    }
    case Key::enter: {
        if (!is_dialog) return false;
        WindowId button = no_window;
        if (control && control->control->kind() == ControlKind::push_button) button = control->id;
        for (WindowId c : children(top_id))
            if (!button && focusable(*this, c) && control_kind(c) == ControlKind::push_button &&
                static_cast<ButtonControl&>(*record(c)->control).is_default())
                button = c;
        if (!button) return false;
        static_cast<ButtonControl&>(*record(button)->control).click(*this, *record(button));
        return true;
    }
    case Key::escape:
        if (!is_dialog) return false;
        post({top_id, Msg::close});
        return true;
    default: return false;
    }
}

WindowId WindowSystem::create_dialog(const DialogDef& def, WindowId owner, WindowProc procedure) {
    if (def.client_size.width < 0 || def.client_size.height < 0 || def.client_size.width > 8192 ||
        def.client_size.height > 8192)
        return no_window;
    WindowStyle style;
    style.caption = true;
    style.dialog_frame = true;
    FrameInsets f = frame_insets(m_metrics, style, false);
    int w = def.client_size.width + f.left + f.right;
    int h = def.client_size.height + f.top + f.bottom;
    IntRect around = exists(owner) ? outer_rect(top_level_of(owner))
                                   : IntRect::from_size(screen_size().width, screen_size().height);
    int x = around.left + static_cast<int>((around.width() - w) / 2);
    int y = around.top + static_cast<int>((around.height() - h) / 2);
    x = std::clamp(x, 0, std::max(0, screen_size().width - w));
    y = std::clamp(y, 0, std::max(0, screen_size().height - h));
    WindowDef wd;
    wd.rect = {x, y, x + w, y + h};
    wd.title = def.title;
    wd.style = style;
    wd.visible = false;
    wd.procedure = std::move(procedure);
    WindowId id = create_window(wd);
    WindowRecord* rec = record(id);
    if (!rec) return no_window;
    rec->dialog = true;
    rec->owner = exists(owner) ? top_level_of(owner) : no_window;
    rec->background = ui::face;
    rec->surface.fill(ui::face);
    for (const ControlDef& c : def.controls)
        if (!create_control(id, c)) {
            destroy_window(id);
            return no_window;
        }
    return id;
}

int WindowSystem::message_box(MessageBoxKind kind, std::string_view text, std::string_view title) {
    const Font& font = *m_ui_font;
    int line_h = font.metrics().height;
    int text_w = 0, lines = 0;
    for (size_t start = 0; start <= text.size(); ++lines) {
        size_t nl = text.find('\n', start);
        std::string_view line = text.substr(start, nl == std::string_view::npos ? nl : nl - start);
        text_w = std::max(text_w, font.text_extent(line).width);
        if (nl == std::string_view::npos) break;
        start = nl + 1;
    }
    int width = std::clamp(text_w + 40, 240, std::max(240, screen_size().width - 40));
    int height = lines * line_h + 76;
    DialogDef def;
    def.title = std::string(title);
    def.client_size = {width, height};
    ControlDef label;
    label.kind = ControlKind::static_left;
    label.rect = {20, 18, width - 20, 18 + lines * line_h};
    label.text = std::string(text);
    label.id = 1;
    ControlDef ok;
    ok.kind = ControlKind::push_button;
    ok.rect = {width / 2 - 38, height - 38, width / 2 + 38, height - 14};
    ok.text = "Ok";
    ok.id = 2;
    ok.default_button = true;
    def.controls = {label, ok};
    WindowId owner = m_active;
    WindowId box = create_dialog(def, owner, [](WindowSystem& ws, const Message& m) -> intptr_t {
        if (m.kind == Msg::notify && static_cast<Notify>(m.value) == Notify::clicked) {
            ws.end_modal(m.window, 1);
            return 0;
        }
        return ws.default_procedure(m);
    });
    if (!box) return -1;
    // Label text keeps its '&' as typed.
    if (WindowId l = control_by_id(box, 1)) {
        std::string escaped;
        for (char c : text)
            escaped += c == '&' ? std::string("&&") : std::string(1, c);
        set_title(l, escaped);
    }
    m_backend->message_box_opened(box, kind, text);
    show_window(box, true);
    set_focus(control_by_id(box, 2));
    int result = run_modal(box);
    m_backend->message_box_closed(box);
    destroy_window(box);
    return result < 0 ? 0 : result;
}

} // namespace quillet::host
