// Menu bars and their popups: the popup of a title opens under it (as an overlay of the window)
// and is tracked with the keyboard and the mouse until an item is chosen or the menu is left.
#include "host/windows/frame.h"
#include "host/windows/ui_style.h"
#include "host/windows/window_record.h"
#include "host/windows/window_system.h"

#include <algorithm>
#include <cctype>

namespace quillet::host {

namespace {

MenuItem* find_item(std::vector<MenuItem>& items, int tag) {
    for (MenuItem& item : items) {
        if (item.tag == tag && !item.separator) return &item;
        if (MenuItem* found = find_item(item.submenu, tag)) return found;
    }
    return nullptr;
}

std::string lower_plain(std::string_view title) {
    std::string s = ui::parse_mnemonic(title).text;
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

constexpr int item_height = 18;
constexpr int separator_height = 8;

} // namespace

bool WindowSystem::set_menu_bar(WindowId top, std::vector<MenuItem> items) {
    WindowRecord* w = record(top);
    if (!w || w->parent != no_window) return false;
    IntSize before = w->client_size(m_metrics);
    w->menu = std::move(items);
    w->has_menu = !w->menu.empty();
    w->menu_hot = -1;
    refit(*w, before);
    return true;
}

bool WindowSystem::has_menu_bar(WindowId top) const {
    WindowRecord* w = record(top);
    return w && w->has_menu;
}

const MenuItem* WindowSystem::menu_item(WindowId top, int tag) const {
    WindowRecord* w = record(top);
    return w ? find_item(w->menu, tag) : nullptr;
}

bool WindowSystem::set_menu_checked(WindowId top, int tag, bool checked) {
    WindowRecord* w = record(top);
    MenuItem* item = w ? find_item(w->menu, tag) : nullptr;
    if (!item) return false;
    item->checked = checked;
    mark_top_drawn(top);
    return true;
}

bool WindowSystem::set_menu_enabled(WindowId top, int tag, bool enabled) {
    WindowRecord* w = record(top);
    MenuItem* item = w ? find_item(w->menu, tag) : nullptr;
    if (!item) return false;
    item->enabled = enabled;
    mark_top_drawn(top);
    return true;
}

bool WindowSystem::set_menu_title(WindowId top, int tag, std::string_view title) {
    WindowRecord* w = record(top);
    MenuItem* item = w ? find_item(w->menu, tag) : nullptr;
    if (!item) return false;
    item->title = title;
    mark_top_drawn(top);
    return true;
}

bool WindowSystem::choose_menu_path(WindowId top, std::string_view path) {
    WindowRecord* w = record(top);
    if (!w || !w->enabled) return false;
    const std::vector<MenuItem>* level = &w->menu;
    const MenuItem* chosen = nullptr;
    while (!path.empty()) {
        size_t slash = path.find('/');
        std::string step = lower_plain(path.substr(0, slash));
        path = slash == std::string_view::npos ? std::string_view{} : path.substr(slash + 1);
        auto it = std::find_if(level->begin(), level->end(), [&](const MenuItem& item) {
            return !item.separator && lower_plain(item.title) == step;
        });
        if (it == level->end() || !it->enabled) return false;
        chosen = &*it;
        level = &it->submenu;
    }
    if (!chosen || !chosen->submenu.empty()) return false;
    return post({top, Msg::command, chosen->tag});
}

struct MenuTracker {
    WindowSystem& ws;
    WindowId top;
    int index = -1;
    int hot = -1;
    WindowId popup = no_window;
    bool done = false;

    WindowRecord* owner() const { return ws.record(top); }
    const std::vector<MenuItem>& items() const { return owner()->menu[index].submenu; }

    IntRect item_rect(int i) const {
        int y = 2;
        const auto& list = items();
        for (int k = 0; k < i; ++k)
            y += list[k].separator ? separator_height : item_height;
        int width = ws.client_size(popup).width;
        return {2, y, width - 2, y + (list[i].separator ? separator_height : item_height)};
    }

    int item_at(IntPoint p) const {
        for (int i = 0; i < static_cast<int>(items().size()); ++i)
            if (item_rect(i).contains(p)) return items()[i].separator ? -1 : i;
        return -1;
    }

    void paint(DeviceContext& dc) {
        IntRect all = ws.record(popup)->surface.rect();
        ui::fill(dc, all, ui::face);
        ui::raised_edge(dc, all);
        const auto& list = items();
        for (int i = 0; i < static_cast<int>(list.size()); ++i) {
            IntRect r = item_rect(i);
            const MenuItem& item = list[i];
            if (item.separator) {
                int y = r.top + separator_height / 2 - 1;
                ui::fill(dc, {r.left + 1, y, r.right - 1, y + 1}, ui::shadow);
                ui::fill(dc, {r.left + 1, y + 1, r.right - 1, y + 2}, ui::highlight);
                continue;
            }
            bool is_hot = i == hot;
            if (is_hot) ui::fill(dc, r, ui::selection);
            Color color = !item.enabled ? ui::gray_text : is_hot ? ui::selection_text : ui::text;
            if (item.checked) {
                int x = r.left + 5, y = r.top + 8;
                for (int k = 0; k < 3; ++k)
                    ui::fill(dc, {x + k, y + k, x + k + 1, y + k + 2}, color);
                for (int k = 0; k < 5; ++k)
                    ui::fill(dc, {x + 3 + k, y + 1 - k, x + 4 + k, y + 3 - k}, color);
            }
            ui::draw_label(dc, {r.left + 18, r.top, r.right - 12, r.bottom}, item.title, color,
                           ui::Align::left);
            if (!item.submenu.empty())
                ui::draw_arrow(dc, {r.right - 12, r.top, r.right - 2, r.bottom}, 3, color);
        }
    }

    void open(int i) {
        close_popup();
        WindowRecord* w = owner();
        if (!w || i < 0 || i >= static_cast<int>(w->menu.size())) return;
        index = i;
        hot = -1;
        w->menu_hot = i;
        ws.mark_drawn(top);
        if (items().empty()) return;
        const Font& font = *ws.ui_font();
        int width = 80, height = 4;
        for (const MenuItem& item : items()) {
            width =
                std::max(width, font.text_extent(ui::parse_mnemonic(item.title).text).width + 40);
            height += item.separator ? separator_height : item_height;
        }
        IntRect title = menu_title_rects(*w, ws.metrics(), font)[i];
        IntRect client = ws.client_area_in_outer(top);
        int x = title.left - client.left;
        WindowDef def;
        def.parent = top;
        def.rect = {x, 0, x + width, height};
        def.title = "menu";
        def.procedure = [this](WindowSystem& s, const Message& m) -> intptr_t {
            if (m.kind != Msg::paint) return s.default_procedure(m);
            WindowSystem::PaintScope scope(s, m.window);
            if (!scope.valid()) return 0;
            scope.dc().state().font = s.ui_font();
            paint(scope.dc());
            return 0;
        };
        popup = ws.create_window(def);
        if (WindowRecord* p = ws.record(popup)) {
            p->overlay = true;
            ws.raise_window(popup);
        }
    }

    void close_popup() {
        if (popup) ws.destroy_window(popup);
        popup = no_window;
    }

    void set_hot(int i) {
        if (i == hot) return;
        hot = i;
        ws.invalidate(popup);
    }

    void step(int direction) {
        int n = static_cast<int>(items().size());
        for (int k = 1; k <= n; ++k) {
            int i = ((hot < 0 ? (direction > 0 ? -1 : 0) : hot) + direction * k + 2 * n) % n;
            if (!items()[i].separator) {
                set_hot(i);
                return;
            }
        }
    }

    void choose(int i) {
        if (i < 0 || i >= static_cast<int>(items().size())) return;
        const MenuItem& item = items()[i];
        if (item.separator || !item.enabled || !item.submenu.empty()) return;
        ws.post({top, Msg::command, item.tag});
        done = true;
    }

    void key(Key k, char c) {
        int bar = static_cast<int>(owner()->menu.size());
        switch (k) {
        case Key::escape:
        case Key::alt:
        case Key::f10: done = true; break;
        case Key::left: open((index + bar - 1) % bar); break;
        case Key::right: open((index + 1) % bar); break;
        case Key::up: step(-1); break;
        case Key::down: step(1); break;
        case Key::enter: choose(hot); break;
        case Key::character:
            for (int i = 0; i < static_cast<int>(items().size()); ++i)
                if (!items()[i].separator && ui::parse_mnemonic(items()[i].title).key ==
                                                 std::tolower(static_cast<unsigned char>(c))) {
                    set_hot(i);
                    choose(i);
                    break;
                }
            break;
        default: break;
        }
    }

    // p: client coordinates of the owner (the capture); menu bar titles lie above 0.
    void mouse(Msg kind, IntPoint p) {
        WindowRecord* w = owner();
        IntRect client = ws.client_area_in_outer(top);
        IntPoint outer{p.x + client.left, p.y + client.top};
        IntRect popup_rect = ws.outer_rect(popup);
        bool in_popup = popup && popup_rect.contains(p);
        int item = in_popup ? item_at({p.x - popup_rect.left, p.y - popup_rect.top}) : -1;
        FrameHit hit = frame_hit(*w, ws.metrics(), *ws.ui_font(), outer);
        if (kind == Msg::mouse_move) {
            if (in_popup)
                set_hot(item);
            else if (hit.part == FramePart::menu_bar && hit.menu_index >= 0 &&
                     hit.menu_index != index)
                open(hit.menu_index);
        } else if (kind == Msg::mouse_down || kind == Msg::mouse_double_click) {
            if (hit.part == FramePart::menu_bar && hit.menu_index == index)
                done = true;
            else if (hit.part == FramePart::menu_bar && hit.menu_index >= 0)
                open(hit.menu_index);
            else if (!in_popup)
                done = true;
        } else if (kind == Msg::mouse_up && in_popup) {
            choose(item);
        }
    }
};

bool WindowSystem::menu_open() const {
    return m_menu != nullptr;
}

void WindowSystem::track_menu(WindowId top, int index, bool keyboard) {
    WindowRecord* w = record(top);
    if (m_menu || !w || !w->has_menu || index < 0 || index >= static_cast<int>(w->menu.size()) ||
        !w->enabled)
        return;
    MenuTracker tracker{*this, top};
    m_menu = &tracker;
    set_capture(top);
    tracker.open(index);
    if (keyboard) tracker.step(1);
    Message m;
    while (!tracker.done && exists(top)) {
        if (!get(m)) {
            post_quit(m.code);
            break;
        }
        switch (m.kind) {
        case Msg::key_down:
            tracker.key(static_cast<Key>(m.code), static_cast<char>(m.value));
            break;
        case Msg::character:
            if (m.code >= 32 && m.code < 256)
                tracker.key(Key::character, static_cast<char>(m.code));
            break;
        case Msg::mouse_down:
        case Msg::mouse_up:
        case Msg::mouse_move:
        case Msg::mouse_double_click:
            if (m.window == top) tracker.mouse(m.kind, m.point);
            break;
        case Msg::capture_lost:
            if (m.window == top) tracker.done = true;
            break;
        case Msg::close:
        case Msg::end_session:
        case Msg::query_end_session:
            tracker.done = true;
            dispatch(m);
            break;
        default: dispatch(m); break;
        }
    }
    tracker.close_popup();
    m_menu = nullptr;
    if (m_capture == top) m_capture = no_window;
    if ((w = record(top))) {
        w->menu_hot = -1;
        mark_top_drawn(top);
    }
}

} // namespace quillet::host
