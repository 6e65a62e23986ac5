// Messages: the queue with posted messages, generated paint and timer messages, sent messages,
// dispatch to window procedures, quit and end-session requests, and modal loops.
#include "host/windows/backend.h"
#include "host/windows/ui_style.h"
#include "host/windows/window_record.h"
#include "host/windows/window_system.h"

#include <algorithm>

namespace quillet::host {

void WindowSystem::pump_backend() {
    m_backend->poll();
}

bool WindowSystem::post(const Message& message) {
    if (!exists(message.window)) return false;
    // Pointer moves are merged, as a desktop merges them, so a busy program never falls behind.
    if (message.kind == Msg::mouse_move && !m_queue.empty()) {
        QueuedMessage& last = m_queue.back();
        if (!last.to_focus && last.message.kind == Msg::mouse_move &&
            last.message.window == message.window) {
            last.message = message;
            return true;
        }
    }
    m_queue.push_back({message});
    return true;
}

WindowId WindowSystem::keyboard_target() const {
    if (m_menu && exists(m_active)) return m_active; // an open menu reads the keys
    return m_focus != no_window ? m_focus : m_active;
}

void WindowSystem::post_input(const Message& message) {
    if (exists(keyboard_target())) m_queue.push_back({message, true});
}

// The character of a key goes ahead of the keys typed after it, which are still queued.
void WindowSystem::post_translated(const Message& message) {
    if (!exists(message.window)) return;
    auto first_input = std::find_if(m_queue.begin(), m_queue.end(),
                                    [](const QueuedMessage& q) { return q.to_focus; });
    m_queue.insert(first_input, {message});
}

intptr_t WindowSystem::send(const Message& message) {
    return dispatch(message);
}

void WindowSystem::post_quit(int exit_code) {
    m_quit_posted = true;
    m_quit_code = exit_code;
}

std::optional<Clock::time_point> WindowSystem::next_timer_due() const {
    std::optional<Clock::time_point> due;
    for (const Timer& t : m_timers)
        if (!due || t.due < *due) due = t.due;
    return due;
}

bool WindowSystem::take_timer(Message& out, bool remove) {
    Clock::time_point now = Clock::now();
    auto best = m_timers.end();
    for (auto it = m_timers.begin(); it != m_timers.end(); ++it)
        if (it->due <= now && (best == m_timers.end() || it->due < best->due)) best = it;
    if (best == m_timers.end()) return false;
    out = {best->window, Msg::timer, best->id};
    if (remove) {
        if (best->periodic)
            best->due = now + std::chrono::milliseconds(best->interval_ms);
        else
            m_timers.erase(best);
    }
    return true;
}

// A hidden window is not painted, nor are the windows inside it: their update areas wait until
// they are shown (showing a window invalidates it anyway).
WindowId WindowSystem::find_invalid(WindowId id) const {
    WindowRecord* w = record(id);
    if (!w || !w->visible) return no_window;
    if (w->invalid) return id;
    for (WindowId c : w->children)
        if (WindowId found = find_invalid(c)) return found;
    return no_window;
}

bool WindowSystem::paint_pending() const {
    if (m_invalid_windows == 0) return false;
    for (WindowId top : m_top_levels)
        if (find_invalid(top) != no_window) return true;
    return false;
}

bool WindowSystem::take_paint(Message& out) {
    for (WindowId top : m_top_levels)
        if (WindowId id = find_invalid(top)) {
            out = {id, Msg::paint};
            return true;
        }
    return false;
}

bool WindowSystem::next_generated(Message& out, bool remove) {
    if (m_quit_posted) {
        out = {no_window, Msg::quit, m_quit_code};
        if (remove) m_quit_posted = false;
        return true;
    }
    if (m_invalid_windows > 0 && take_paint(out)) return true;
    return !m_timers.empty() && take_timer(out, remove);
}

bool WindowSystem::peek(Message& out, bool remove) {
    pump_backend();
    while (!m_queue.empty()) {
        const QueuedMessage& front = m_queue.front();
        out = front.message;
        if (front.to_focus) {
            out.window = keyboard_target();
            if (!exists(out.window)) { // typed while no window can take keys
                m_queue.pop_front();
                continue;
            }
        }
        if (remove) m_queue.pop_front();
        return true;
    }
    return next_generated(out, remove);
}

void WindowSystem::wait_for_input(std::optional<Clock::time_point> deadline) {
    m_backend->wait(deadline);
    if (m_wait_hook) m_wait_hook();
}

bool WindowSystem::get(Message& out) {
    for (;;) {
        if (peek(out, true)) return out.kind != Msg::quit;
        wait_for_input(next_timer_due());
    }
}

intptr_t WindowSystem::dispatch(const Message& message) {
    WindowRecord* w = record(message.window);
    if (!w) return 0;
    if (message.kind == Msg::key_down &&
        dialog_key(*w, static_cast<Key>(message.code), message.modifiers))
        return 0;
    unsigned invalidations = w->invalidations;
    intptr_t answer = 0;
    bool handled = false;
    if (w->control) handled = w->control->dispatch(*this, *w, message);
    if (!handled) {
        if (w->procedure) {
            WindowProc procedure = w->procedure; // it may replace itself or destroy the window
            answer = procedure(*this, message);
        } else {
            answer = default_procedure(message);
        }
    }
    w = record(message.window);
    if (!w) return answer;
    // A paint that drew nothing and asked for nothing more does not come back.
    if (message.kind == Msg::paint && w->invalid && w->invalidations == invalidations)
        validate(message.window);
    if (message.kind == Msg::key_down) {
        int code = key_to_code(static_cast<Key>(message.code), static_cast<char>(message.value),
                               message.modifiers);
        if (code >= 0)
            post_translated({message.window, Msg::character, code, 0, 0, {}, message.modifiers});
        else if (static_cast<Key>(message.code) == Key::f1)
            post({message.window, Msg::help});
    }
    return answer;
}

bool Control::dispatch(WindowSystem& ws, WindowRecord& w, const Message& m) {
    if (!takes_input()) return false;
    switch (m.kind) {
    case Msg::mouse_down: return mouse_down(ws, w, m);
    case Msg::mouse_double_click: return mouse_double_click(ws, w, m);
    case Msg::mouse_up: return mouse_up(ws, w, m);
    case Msg::mouse_move: return mouse_move(ws, w, m);
    case Msg::mouse_wheel: return mouse_wheel(ws, w, m);
    case Msg::key_down: return key_down(ws, w, m);
    case Msg::character: return character(ws, w, m);
    case Msg::set_focus: return focus_in(ws, w, m);
    case Msg::kill_focus: return focus_out(ws, w, m);
    case Msg::capture_lost: return capture_lost(ws, w, m);
    case Msg::notify: return part_notified(ws, w, m);
    default: return false;
    }
}

intptr_t WindowSystem::default_procedure(const Message& m) {
    WindowRecord* w = record(m.window);
    if (!w) return 0;
    switch (m.kind) {
    case Msg::close:
        if (w->dialog)
            end_modal(m.window, 0);
        else
            destroy_window(m.window);
        return 0;
    case Msg::paint: {
        PaintScope scope(*this, m.window);
        if (scope.valid() && w->control) {
            scope.dc().state().font = font_of(*w);
            w->control->paint(*this, *w, scope.dc());
        }
        return 0;
    }
    case Msg::query_end_session: return 1;
    case Msg::key_down: {
        WindowId top = top_level_of(m.window);
        WindowRecord* t = record(top);
        if (!t || !t->has_menu || m_menu) return 0;
        Key key = static_cast<Key>(m.code);
        // The menu runs its loop now, so the keys typed after these read it.
        if (key == Key::alt || key == Key::f10) {
            track_menu(top, 0, true);
        } else if (key == Key::character && (m.modifiers & mod_alt)) {
            for (size_t i = 0; i < t->menu.size(); ++i)
                if (ui::parse_mnemonic(t->menu[i].title).key == m.value) {
                    track_menu(top, static_cast<int>(i), true);
                    break;
                }
        }
        return 0;
    }
    case Msg::open_menu: track_menu(m.window, m.code, m.value != 0); return 0;
    case Msg::character:
        // Keys a control has no use for go on to the window it sits in.
        if (w->control && w->parent != no_window && !w->dialog)
            return send(
                {w->parent, Msg::character, m.code, 0, 0, {}, m.modifiers, m.button, m.window});
        return 0;
    default: return 0;
    }
}

bool WindowSystem::request_end_session(bool query) {
    std::vector<WindowId> tops = m_top_levels;
    if (query) {
        for (WindowId top : tops)
            if (exists(top) && send({top, Msg::query_end_session, 1}) == 0) return false;
    }
    m_session_ended = true;
    for (WindowId top : tops)
        if (exists(top)) send({top, Msg::end_session, 0});
    return true;
}

bool WindowSystem::set_timer(WindowId id, int timer_id, int interval_ms, bool periodic) {
    if (!exists(id) || interval_ms < 0) return false;
    kill_timer(id, timer_id);
    // A periodic timer of 0 ms would flood the queue; the desktop's minimum is used.
    if (periodic && interval_ms < 1) interval_ms = 1;
    m_timers.push_back({id, timer_id, interval_ms, periodic,
                        Clock::now() + std::chrono::milliseconds(interval_ms), false});
    return true;
}

bool WindowSystem::kill_timer(WindowId id, int timer_id) {
    return std::erase_if(m_timers,
                         [&](const Timer& t) { return t.window == id && t.id == timer_id; }) > 0;
}

int WindowSystem::run_modal(WindowId id) {
    WindowRecord* w = record(id);
    if (!w || w->modal_running || w->parent != no_window) return -1;
    w->modal_running = true;
    w->modal_done = false;
    ++m_modal_depth;
    WindowId owner = w->owner;
    std::vector<WindowId> disabled;
    for (WindowId top : m_top_levels)
        if (WindowRecord* t = record(top); t && top != id && t->enabled && !t->overlay) {
            t->enabled = false;
            disabled.push_back(top);
        }
    // The windows come back however the loop ends: a window procedure may leave it with an
    // exception.
    struct Restore {
        WindowSystem& ws;
        WindowId id, owner;
        const std::vector<WindowId>& disabled;
        ~Restore() {
            if (WindowRecord* w = ws.record(id)) w->modal_running = false;
            for (WindowId top : disabled)
                if (WindowRecord* t = ws.record(top)) t->enabled = true;
            --ws.m_modal_depth;
            if (ws.exists(owner)) ws.activate(owner);
        }
    } restore{*this, id, owner, disabled};
    show_window(id, true);
    activate(id);
    Message m;
    while ((w = record(id)) && !w->modal_done) {
        if (!get(m)) {
            post_quit(m.code); // for the loop outside this one
            break;
        }
        dispatch(m);
    }
    w = record(id);
    return w ? w->modal_result : -1;
}

bool WindowSystem::end_modal(WindowId id, int result) {
    WindowRecord* w = record(id);
    if (!w || !w->modal_running) return false;
    w->modal_done = true;
    w->modal_result = result;
    return true;
}

} // namespace quillet::host
