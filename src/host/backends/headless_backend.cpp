// The headless backend: the script runs one command each time the program has taken all the
// input before it, so a run is the same however fast the program is.
#include "host/backends/headless_backend.h"

#include "host/backends/host_error.h"
#include "host/raster/png_file.h"
#include "host/raster/raster_error.h"
#include "host/windows/window_system.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <thread>

namespace quillet::host {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

HeadlessOptions HeadlessOptions::from_environment() {
    HeadlessOptions o;
    if (const char* screen = std::getenv("QUILLET_SCREEN"); screen && *screen) {
        int w = 0, h = 0;
        char x = 0, extra = 0;
        if (std::sscanf(screen, "%d%c%d%c", &w, &x, &h, &extra) != 3 || (x != 'x' && x != 'X') ||
            w < 64 || h < 64 || w > max_square_surface_side || h > max_square_surface_side)
            throw HostError("QUILLET_SCREEN: expected WIDTHxHEIGHT between 64 and " +
                            std::to_string(max_square_surface_side) + ", found \"" + screen + "\"");
        o.screen = {w, h};
    }
    if (const char* depth = std::getenv("QUILLET_SCREEN_DEPTH"); depth && *depth) {
        std::string d = depth;
        if (d != "1" && d != "4" && d != "8" && d != "16" && d != "24" && d != "32")
            throw HostError("QUILLET_SCREEN_DEPTH: expected 1, 4, 8, 16, 24 or 32, found \"" + d +
                            "\"");
        o.depth = std::stoi(d);
    }
    if (const char* input = std::getenv("QUILLET_INPUT"); input && *input)
        o.script = read_input_script(input);
    if (const char* dir = std::getenv("QUILLET_SNAPSHOT_DIR"); dir && *dir) o.snapshot_dir = dir;
    return o;
}

HeadlessBackend::HeadlessBackend(HeadlessOptions options) : m_options(std::move(options)) {}

void HeadlessBackend::report(const ScriptCommand& c, const std::string& message) const {
    std::fprintf(stderr, "%s:%d: %s\n", m_options.script.file.c_str(), c.line, message.c_str());
    std::fflush(stderr);
}

WindowId HeadlessBackend::target() const {
    if (m_ws->exists(m_target)) return m_target;
    return m_ws->active_window();
}

void HeadlessBackend::poll() {
    if (m_running || script_done()) return;
    if (m_waiting == Waiting::time) {
        if (steady_clock::now() < m_wait_until) return;
        m_waiting = Waiting::none;
    }
    // Input is given when the program has taken everything before it.
    if (m_ws->messages_pending()) {
        m_idle_polls = 0;
        return;
    }
    // Before the program first waits (and after a window was waited for) it is still setting
    // up: a click now could reach a window without its controls. A program that only polls
    // waits all the same, by polling with nothing to take.
    if (!m_program_waited) {
        if (++m_idle_polls < idle_polls_as_a_wait) return;
        m_program_waited = true;
    }
    run_next();
}

// The newest top-level window with that title that is shown (it and its owners visible).
WindowId HeadlessBackend::shown_top_level(const std::string& title) const {
    std::vector<WindowId> tops = m_ws->top_level_windows();
    for (auto it = tops.rbegin(); it != tops.rend(); ++it)
        if (m_ws->title(*it) == title && m_ws->is_shown(*it)) return *it;
    return no_window;
}

// Whether the window can take the command's input; reported when it cannot.
bool HeadlessBackend::check_shown(const ScriptCommand& c, WindowId top, const char* what) const {
    if (!top) {
        report(c, std::string("no window ") + what);
        return false;
    }
    if (!m_ws->is_shown(top)) {
        report(c, "the window \"" + m_ws->title(top) + "\" is not shown");
        return false;
    }
    if (!m_ws->is_enabled(top)) {
        report(c, "the window \"" + m_ws->title(top) + "\" is disabled (a modal window is open)");
        return false;
    }
    return true;
}

bool HeadlessBackend::run_next() {
    if (script_done()) return false;
    const ScriptCommand& c = m_options.script.commands[m_next];
    m_running = true;
    bool done = false;
    try {
        done = run(c);
    } catch (...) {
        // A window procedure left with an exception while the command's messages were
        // delivered: the command was carried out, and the script goes on after it.
        m_running = false;
        ++m_next;
        throw;
    }
    m_running = false;
    if (done) ++m_next;
    return done;
}

namespace {
std::string plain_title(std::string_view t) {
    std::string out;
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i] == '&' && i + 1 < t.size()) ++i;
        out += t[i];
    }
    return out;
}
std::string window_not_shown(const WindowSystem& ws, const std::string& title) {
    if (ws.find_top_level(title)) return "the window \"" + title + "\" was never shown";
    return "no window titled \"" + title + "\" appeared";
}

} // namespace

// Carries out one command; false when it must be tried again later (waits).
bool HeadlessBackend::run(const ScriptCommand& c) {
    using K = ScriptCommand::Kind;
    WindowSystem& ws = *m_ws;
    // A message box takes the next command when it is its answer; snapshots and waits run as
    // usual; anything else first closes the box with its default button.
    if (!m_boxes.empty() && ws.exists(m_boxes.back())) {
        WindowId box = m_boxes.back();
        if (c.kind == K::answer) {
            for (WindowId child : ws.children(box))
                if (plain_title(ws.title(child)) == c.text &&
                    ws.control_kind(child) == ControlKind::push_button) {
                    IntRect r = ws.outer_rect(child);
                    IntRect client = ws.client_area_in_outer(box);
                    IntPoint p{client.left + static_cast<int>(r.left + r.width() / 2),
                               client.top + static_cast<int>(r.top + r.height() / 2)};
                    ws.input_mouse(box, WindowSystem::MouseEvent::down, p, MouseButton::left, 0);
                    ws.input_mouse(box, WindowSystem::MouseEvent::up, p, MouseButton::left, 0);
                    return true;
                }
            report(c, "the message box has no button \"" + c.text + "\"");
            ws.input_key(Key::enter, 0, 0);
            return true;
        }
        if (c.kind != K::snapshot && c.kind != K::wait_time && c.kind != K::wait_window) {
            ws.input_key(Key::enter, 0, 0);
            return false;
        }
    }
    // Keys go to the focus, else to the active window: with neither they would be lost.
    if ((c.kind == K::type || c.kind == K::key) && !ws.exists(ws.focus()) &&
        !ws.exists(ws.active_window())) {
        report(c, "no window to take the keys");
        return true;
    }
    switch (c.kind) {
    case K::type:
        for (char ch : c.text) {
            if (ch == '\t')
                ws.input_key(Key::tab, 0, 0);
            else
                ws.input_text(std::string_view(&ch, 1));
        }
        return true;
    case K::key:
        for (const ScriptKey& k : c.keys)
            if (k.key == Key::character && !(k.modifiers & (mod_control | mod_alt)))
                ws.input_text(std::string_view(&k.character, 1));
            else
                ws.input_key(k.key, k.character, k.modifiers);
        return true;
    case K::move:
    case K::click:
    case K::double_click:
    case K::down:
    case K::up:
    case K::wheel: {
        WindowId top = target();
        if (!check_shown(c, top, "to point at")) return true;
        IntRect client = ws.client_area_in_outer(top);
        IntPoint p{client.left + c.point.x, client.top + c.point.y};
        using E = WindowSystem::MouseEvent;
        if (c.kind == K::wheel) {
            ws.input_wheel(top, p, c.amount);
        } else if (c.kind == K::move) {
            ws.input_mouse(top, E::move, p, c.button, c.modifiers);
        } else {
            ws.input_mouse(top, E::move, p, c.button, c.modifiers);
            if (c.kind != K::up) ws.input_mouse(top, E::down, p, c.button, c.modifiers);
            if (c.kind != K::down) ws.input_mouse(top, E::up, p, c.button, c.modifiers);
            if (c.kind == K::double_click) {
                ws.input_mouse(top, E::down, p, c.button, c.modifiers);
                ws.input_mouse(top, E::up, p, c.button, c.modifiers);
            }
        }
        return true;
    }
    case K::target: {
        WindowId top = shown_top_level(c.text);
        if (!top) top = ws.find_top_level(c.text);
        if (!top) {
            report(c, "no window titled \"" + c.text + "\"");
            return true;
        }
        m_target = top;
        if (check_shown(c, top, "")) ws.input_activate(top);
        return true;
    }
    case K::close: {
        WindowId top = target();
        if (!c.text.empty()) {
            top = shown_top_level(c.text);
            if (!top) top = ws.find_top_level(c.text);
            if (!top) {
                report(c, "no window titled \"" + c.text + "\" to close");
                return true;
            }
        }
        if (check_shown(c, top, "to close")) ws.input_close(top);
        return true;
    }
    case K::quit:
        // As a desktop's log-out: the windows are asked first; a refusal keeps the session.
        ws.request_end_session(true);
        return true;
    case K::resize: {
        WindowId top = target();
        if (!check_shown(c, top, "to resize")) return true;
        IntRect outer = ws.outer_rect(top);
        IntSize client = ws.client_size(top);
        ws.input_resize(top, {static_cast<int>(outer.width()) - client.width + c.point.x,
                              static_cast<int>(outer.height()) - client.height + c.point.y});
        return true;
    }
    case K::menu: {
        WindowId top = target();
        if (!top || !ws.choose_menu_path(top, c.text))
            report(c, "no enabled menu item \"" + c.text + "\"");
        return true;
    }
    case K::wait_time:
        m_waiting = Waiting::time;
        m_wait_until = steady_clock::now() + milliseconds(c.amount);
        return true;
    case K::wait_window:
        // Shown, and then the program waits for input once more before the next command: a
        // program often shows its window before it has finished setting it up.
        if (shown_top_level(c.text)) {
            m_waiting = Waiting::none;
            m_program_waited = false;
            m_idle_polls = 0;
            return true;
        }
        if (m_waiting != Waiting::window) {
            m_waiting = Waiting::window;
            m_wait_until = steady_clock::now() + milliseconds(c.amount);
        } else if (steady_clock::now() >= m_wait_until) {
            report(c, window_not_shown(ws, c.text));
            m_waiting = Waiting::none;
            return true;
        }
        return false;
    case K::snapshot:
        write_snapshots(c.text.empty() ? "snapshot-" + std::to_string(++m_snapshot_count) : c.text);
        return true;
    case K::answer: report(c, "no message box to answer"); return true;
    }
    return true;
}

void HeadlessBackend::wait(std::optional<steady_clock::time_point> deadline) {
    m_program_waited = true;
    m_idle_polls = 0;
    if (m_waiting == Waiting::window && !deadline && !script_done()) {
        // Nothing can run that would show the window.
        const ScriptCommand& c = m_options.script.commands[m_next];
        report(c, window_not_shown(*m_ws, c.text));
        m_waiting = Waiting::none;
        ++m_next;
        return;
    }
    if (m_waiting != Waiting::none) {
        auto until = deadline ? std::min(*deadline, m_wait_until) : m_wait_until;
        sleep_a_while(until);
        if (m_waiting == Waiting::time && steady_clock::now() >= m_wait_until)
            m_waiting = Waiting::none;
        return;
    }
    if (!script_done()) {
        run_next();
        return;
    }
    if (!deadline) {
        end_session_when_idle();
        return;
    }
    // Only the program's own timers are left. Once its session has ended, the next wait
    // receives the quit; otherwise the timers run, and after enough of them came due with
    // nothing else happening the session ends.
    if (m_ws->session_ended() && !m_quit_sent) {
        m_quit_sent = true;
        m_ws->post_quit(0);
        return;
    }
    sleep_a_while(*deadline);
    if (steady_clock::now() >= *deadline && ++m_idle_timer_waits >= idle_timer_waits_before_end) {
        m_idle_timer_waits = 0;
        end_session_after_timers();
    }
}

// Waits are cut into slices of at most 100 ms, as on a desktop, so that the window system's
// owner hears of outside requests (signals) while a script waits.
void HeadlessBackend::sleep_a_while(steady_clock::time_point until) {
    std::this_thread::sleep_until(
        std::min(until, steady_clock::now() + std::chrono::milliseconds(100)));
}

// The script is done: an open message box takes its default button.
bool HeadlessBackend::close_box_when_done() {
    if (m_boxes.empty() || !m_ws->exists(m_boxes.back())) return false;
    m_ws->input_key(Key::enter, 0, 0);
    return true;
}

// Waiting with no script left and no timer: the input the program waits for cannot come.
void HeadlessBackend::end_session_when_idle() {
    WindowSystem& ws = *m_ws;
    if (close_box_when_done()) return;
    if (!ws.session_ended()) {
        ws.request_end_session(false);
        return;
    }
    if (!m_quit_sent) {
        m_quit_sent = true;
        ws.post_quit(0);
        return;
    }
    if (++m_idle_after_end >= 1000) {
        std::fputs("headless: the program kept waiting for input after its session ended; "
                   "stopping it\n",
                   stderr);
        write_snapshots("exit");
        std::fflush(nullptr);
        std::_Exit(0);
    }
}

// The program kept waiting for its own timers with the script done. An open message box takes
// its default button first; then the program is asked, as by a desktop's log-out (in event mode
// it receives QUIT and answers); refused, it is told the session ended without a question the
// next time. After that each round posts the quit again, which ends the program's next wait for
// input (a pause still lasts its time).
void HeadlessBackend::end_session_after_timers() {
    WindowSystem& ws = *m_ws;
    if (close_box_when_done()) return;
    if (!ws.session_ended()) {
        if (!m_end_asked) {
            m_end_asked = true;
            ws.request_end_session(true);
        } else {
            ws.request_end_session(false);
        }
        return;
    }
    m_quit_sent = true;
    ws.post_quit(0);
}

void HeadlessBackend::message_box_opened(WindowId box, MessageBoxKind kind, std::string_view text) {
    m_boxes.push_back(box);
    if (!m_options.echo_message_boxes) return;
    std::fputs(message_box_echo_line(kind, text).c_str(), stderr);
    std::fflush(stderr);
}

void HeadlessBackend::message_box_closed(WindowId box) {
    std::erase(m_boxes, box);
}

// The exit pictures are taken once: before the program closes its windows at its end, or when
// the window system ends without that (a fatal stop, a signal).
void HeadlessBackend::program_ending() {
    if (!m_exit_pictures_taken) write_snapshots("exit");
    m_exit_pictures_taken = true;
}

void HeadlessBackend::shutting_down() {
    program_ending();
}

std::vector<std::string> HeadlessBackend::write_snapshots(const std::string& prefix) {
    std::vector<std::string> files;
    if (m_options.snapshot_dir.empty()) return files;
    std::error_code ec;
    std::filesystem::create_directories(m_options.snapshot_dir, ec);
    std::set<std::string> used;
    for (WindowId top : m_ws->top_level_windows()) {
        if (!m_ws->is_visible(top) || m_ws->is_popup(top)) continue;
        std::string title;
        for (char c : plain_title(m_ws->title(top)))
            title += std::isalnum(static_cast<unsigned char>(c)) || c == '-' ? c : '_';
        if (title.empty()) title = "untitled";
        std::string name = prefix + "-" + title;
        for (int n = 2; used.contains(name); ++n)
            name = prefix + "-" + title + "-" + std::to_string(n);
        used.insert(name);
        std::string path = m_options.snapshot_dir + "/" + name + ".png";
        try {
            Surface picture = m_ws->compose(top);
            // A window without area (on a screen smaller than its frame) has no picture.
            if (picture.width() == 0 || picture.height() == 0) continue;
            write_png(picture, path);
            files.push_back(path);
        } catch (const RasterError& e) {
            std::fprintf(stderr, "headless: %s\n", e.what());
        }
    }
    return files;
}

} // namespace quillet::host
