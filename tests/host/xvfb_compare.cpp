// Drives a window on the SDL backend with real X input (xdotool), takes a screenshot of its client
// area from the X server (xwd, ImageMagick's convert) and compares it pixel for pixel with the
// headless rendering of the same window after the same input. Run on a virtual display by
// run_xvfb_test.sh; the argument is a directory for the pictures (written on a mismatch).
// Exit status: 0 equal, 1 different or failed.
#include "host/backends/headless_backend.h"
#include "host/backends/sdl_backend.h"
#include "host/controls/controls.h"
#include "host/raster/png_file.h"
#include "host/windows/window_record.h"
#include "host/windows/window_system.h"
#include "window_test_support.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace quillet::host {
namespace {

using namespace std::chrono_literals;

constexpr const char* window_title = "Quillet Xvfb Check";
constexpr int edit_id = 1;
constexpr int check_id = 2;
constexpr int button_id = 3;
constexpr int list_id = 4;
constexpr int label_id = 5;
constexpr int copy_tag = 20;

// The window under test: a menu bar whose Edit/Copy and a push button retitle a label, an edit
// field, a check box and a list box.
struct Scene {
    WindowId window = no_window;
    WindowId edit = no_window;
    WindowId check = no_window;
    WindowId list = no_window;
    WindowId label = no_window;
    int presses = 0;
    int copies = 0;
};

WindowId add_control(WindowSystem& ws, WindowId parent, ControlKind kind, IntRect r,
                     std::string text, int id) {
    ControlDef c;
    c.kind = kind;
    c.rect = r;
    c.text = std::move(text);
    c.id = id;
    return create_control(ws, parent, c);
}

void build_scene(WindowSystem& ws, Scene& s) {
    WindowDef d;
    d.title = window_title;
    d.rect = {60, 50, 60 + 380, 50 + 240};
    d.style.caption = true;
    d.style.sizable = true;
    d.procedure = [&s](WindowSystem& w, const Message& m) -> intptr_t {
        if (m.kind == Msg::notify && m.code == button_id &&
            static_cast<Notify>(m.value) == Notify::clicked) {
            ++s.presses;
            w.set_title(s.label, "Pressed " + std::to_string(s.presses));
        }
        if (m.kind == Msg::command && m.code == copy_tag) {
            ++s.copies;
            w.set_title(s.label, "Copied, pressed " + std::to_string(s.presses));
        }
        return w.default_procedure(m);
    };
    s.window = ws.create_window(d);
    ws.set_menu_bar(s.window, {{0, "&File", true, false, false, {{10, "&Quit"}}},
                               {0, "&Edit", true, false, false, {{copy_tag, "&Copy"}}}});
    s.edit = add_control(ws, s.window, ControlKind::edit, {10, 10, 170, 32}, "", edit_id);
    s.check =
        add_control(ws, s.window, ControlKind::check_box, {10, 44, 170, 64}, "&Remember", check_id);
    add_control(ws, s.window, ControlKind::push_button, {10, 76, 100, 100}, "&Press", button_id);
    s.label =
        add_control(ws, s.window, ControlKind::static_left, {10, 112, 170, 130}, "Idle", label_id);
    s.list = add_control(ws, s.window, ControlKind::list_box, {190, 10, 360, 130}, "", list_id);
    if (ListControl* list = find_control<ListControl>(ws, s.list))
        for (const char* item : {"Amber", "Basalt", "Cobalt", "Dune", "Ember"})
            list->add(-1, item);
}

// One step of input, written both as a headless script line and as an xdotool command.
struct Step {
    enum class Kind { click, text, key } kind;
    IntPoint point{}; // client coordinates
    std::string text; // text to type, or the key's headless name
};

std::string xdotool_key(const std::string& name) {
    if (name == "Backspace") return "BackSpace";
    return name; // Down, Tab, Home... are spelled alike
}

std::vector<Step> input_steps(WindowSystem& ws, const Scene& s) {
    WindowRecord& list_record = *find_record(ws, s.list);
    auto& list = static_cast<ListBoxControl&>(*list_record.control);
    int row = list.item_height(ws, list_record);
    IntRect list_rect = ws.outer_rect(s.list);
    return {
        {Step::Kind::click, {60, 21}, {}},
        {Step::Kind::text, {}, "Hello Xvfb"},
        {Step::Kind::key, {}, "Backspace"},
        {Step::Kind::click, {20, 54}, {}},
        {Step::Kind::click, {list_rect.left + 30, list_rect.top + 2 + row + row / 2}, {}},
        {Step::Kind::key, {}, "Down"},
        {Step::Kind::click, {55, 88}, {}},
        {Step::Kind::key, {}, "alt+e"}, // the Edit menu, then its item by its mnemonic
        {Step::Kind::text, {}, "c"},
    };
}

bool is_checked(WindowSystem& ws, WindowId id) {
    const ButtonControl* button = find_control<ButtonControl>(ws, id);
    return button && button->is_checked();
}

bool reached_final_state(WindowSystem& ws, const Scene& s) {
    const ListControl* list = find_control<ListControl>(ws, s.list);
    return ws.title(s.edit) == "Hello Xvf" && is_checked(ws, s.check) && list &&
           list->selection() == std::vector<int>{2} && s.presses == 1 && s.copies == 1;
}

std::string headless_script(const std::vector<Step>& steps) {
    std::string out = std::string("target ") + window_title + "\n";
    for (const Step& st : steps) {
        switch (st.kind) {
        case Step::Kind::click:
            out += "click " + std::to_string(st.point.x) + " " + std::to_string(st.point.y);
            break;
        case Step::Kind::text: out += "type " + st.text; break;
        case Step::Kind::key: out += "key " + st.text; break;
        }
        out += "\n";
    }
    return out;
}

// xdotool finds and focuses the window, then types and clicks; the window's position in its
// SDL window (which starts below the caption drawn by the desktop) turns client points into
// SDL window points.
std::string xdotool_script(const std::vector<Step>& steps, IntPoint client_in_sdl,
                           const std::string& id_file) {
    std::string out = std::string("set -e\nid=$(xdotool search --sync --onlyvisible --name '^") +
                      window_title + "$' | head -n 1)\nxdotool windowfocus --sync \"$id\"\n";
    for (const Step& st : steps) {
        switch (st.kind) {
        case Step::Kind::click:
            out += "xdotool mousemove --sync --window \"$id\" " +
                   std::to_string(client_in_sdl.x + st.point.x) + " " +
                   std::to_string(client_in_sdl.y + st.point.y) + " click 1";
            break;
        case Step::Kind::text: out += "xdotool type --delay 10 '" + st.text + "'"; break;
        case Step::Kind::key: out += "xdotool key " + xdotool_key(st.text); break;
        }
        out += "\n";
    }
    out += "echo \"$id\" > '" + id_file + "'\n";
    return out;
}

// A shell running a script in its own process group; ended with the group when still running.
class ShellJob {
public:
    explicit ShellJob(const std::string& script) {
        posix_spawnattr_t attr;
        posix_spawnattr_init(&attr);
        posix_spawnattr_setpgroup(&attr, 0);
        posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
        const char* argv[] = {"/bin/sh", "-c", script.c_str(), nullptr};
        if (posix_spawn(&m_pid, "/bin/sh", nullptr, &attr, const_cast<char**>(argv), environ) != 0)
            m_pid = -1;
        posix_spawnattr_destroy(&attr);
    }
    ~ShellJob() {
        if (m_pid > 0 && !m_status) {
            kill(-m_pid, SIGKILL);
            int status = 0;
            waitpid(m_pid, &status, 0);
        }
    }
    ShellJob(const ShellJob&) = delete;
    ShellJob& operator=(const ShellJob&) = delete;

    bool started() const { return m_pid > 0; }
    bool finished() {
        if (m_status || m_pid <= 0) return true;
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) m_status = status;
        return m_status.has_value();
    }
    bool succeeded() const {
        return m_status && WIFEXITED(*m_status) && WEXITSTATUS(*m_status) == 0;
    }

private:
    pid_t m_pid = -1;
    std::optional<int> m_status;
};

// Dispatches the window system's messages until done() holds; false at the deadline or on quit.
bool pump_until(WindowSystem& ws, const std::function<bool()>& done, Clock::time_point deadline) {
    Message m;
    while (!done()) {
        if (Clock::now() > deadline) return false;
        if (ws.peek(m, true)) {
            if (m.kind == Msg::quit) return false;
            ws.dispatch(m);
        } else {
            ws.wait_for_input(Clock::now() + 10ms);
        }
    }
    return true;
}

bool run_job(WindowSystem& ws, const std::string& script, const char* what,
             Clock::time_point deadline) {
    ShellJob job(script);
    if (!job.started()) {
        std::cerr << "xvfb check: cannot start the shell for " << what << "\n";
        return false;
    }
    if (!pump_until(
            ws, [&] { return job.finished(); }, deadline)) {
        std::cerr << "xvfb check: " << what << " did not finish in time\n";
        return false;
    }
    if (!job.succeeded()) {
        std::cerr << "xvfb check: " << what << " failed\n";
        return false;
    }
    return true;
}

Surface crop(const Surface& s, IntRect r) {
    r = r.intersected(s.rect());
    Surface out(static_cast<int>(r.width()), static_cast<int>(r.height()));
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            out.set_pixel(x, y, s.pixel(r.left + x, r.top + y));
    return out;
}

// What the SDL backend put on the X display in the window's client area after the input.
std::optional<Surface> sdl_client_picture(const std::filesystem::path& dir, Scene& s,
                                          std::vector<Step>& steps) {
    WindowSystem ws(std::make_unique<SdlBackend>());
    build_scene(ws, s);
    steps = input_steps(ws, s);
    auto& sdl = static_cast<SdlBackend&>(ws.backend());
    IntRect client = ws.client_area_in_outer(s.window);
    IntRect shown = sdl.shown_part(s.window);
    IntPoint client_in_sdl{client.left - shown.left, client.top - shown.top};

    Clock::time_point deadline = Clock::now() + 15s;
    std::string id_file = (dir / "window-id").string();
    if (!run_job(ws, xdotool_script(steps, client_in_sdl, id_file), "xdotool", deadline))
        return std::nullopt;
    if (!pump_until(
            ws, [&] { return reached_final_state(ws, s); }, deadline)) {
        std::cerr << "xvfb check: the window did not reach the expected state (edit \""
                  << ws.title(s.edit) << "\", checked " << is_checked(ws, s.check) << ", presses "
                  << s.presses << ")\n";
        return std::nullopt;
    }
    // Let the last repaints happen, then put the picture on the display.
    Clock::time_point settle = Clock::now() + 200ms;
    pump_until(
        ws, [&] { return Clock::now() > settle; }, deadline);
    sdl.present_all();

    std::string id;
    std::ifstream(id_file) >> id;
    std::string shot = (dir / "sdl-window.png").string();
    std::string xwd = "xwd -silent -id " + id + " | convert xwd:- png:'" + shot + "'\n";
    if (!run_job(ws, xwd, "xwd", deadline)) return std::nullopt;
    Surface window = read_png(shot);
    IntRect client_rect{client_in_sdl.x, client_in_sdl.y,
                        client_in_sdl.x + static_cast<int>(client.width()),
                        client_in_sdl.y + static_cast<int>(client.height())};
    if (window.rect().intersected(client_rect) != client_rect) {
        std::cerr << "xvfb check: the screenshot is " << window.width() << " x " << window.height()
                  << ", too small for the client area\n";
        return std::nullopt;
    }
    return crop(window, client_rect);
}

// The same window on the headless backend after the same input as a script.
std::optional<Surface> headless_client_picture(const std::vector<Step>& steps) {
    std::unique_ptr<WindowSystem> ws = test::make_system(headless_script(steps));
    Scene s;
    build_scene(*ws, s);
    test::drain(*ws);
    if (!reached_final_state(*ws, s)) {
        std::cerr << "xvfb check: the headless window did not reach the expected state\n";
        return std::nullopt;
    }
    return ws->compose_client(s.window);
}

int compare(const Surface& sdl, const Surface& headless, const std::filesystem::path& dir) {
    if (sdl.width() != headless.width() || sdl.height() != headless.height()) {
        std::cerr << "xvfb check: client areas differ in size: sdl " << sdl.width() << " x "
                  << sdl.height() << ", headless " << headless.width() << " x " << headless.height()
                  << "\n";
        return 1;
    }
    int differing = 0;
    std::optional<IntPoint> first;
    for (int y = 0; y < sdl.height(); ++y)
        for (int x = 0; x < sdl.width(); ++x)
            if ((sdl.pixel(x, y) & color_mask) != (headless.pixel(x, y) & color_mask)) {
                if (!first) first = IntPoint{x, y};
                ++differing;
            }
    if (differing == 0) {
        std::cout << "xvfb check: the " << sdl.width() << " x " << sdl.height()
                  << " client areas are equal\n";
        return 0;
    }
    write_png(sdl, (dir / "sdl-client.png").string());
    write_png(headless, (dir / "headless-client.png").string());
    std::fprintf(stderr,
                 "xvfb check: %d pixels differ; first at (%d, %d): sdl %06X, headless %06X; "
                 "pictures in %s\n",
                 differing, first->x, first->y, sdl.pixel(first->x, first->y) & color_mask,
                 headless.pixel(first->x, first->y) & color_mask, dir.c_str());
    return 1;
}

int run(const std::filesystem::path& dir) {
    std::filesystem::create_directories(dir);
    Scene sdl_scene;
    std::vector<Step> steps;
    std::optional<Surface> sdl = sdl_client_picture(dir, sdl_scene, steps);
    std::optional<Surface> headless = sdl ? headless_client_picture(steps) : std::nullopt;
    if (!headless) return 1;
    return compare(*sdl, *headless, dir);
}

} // namespace
} // namespace quillet::host

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: host_xvfb_compare OUTPUT-DIRECTORY\n";
        return 2;
    }
    try {
        return quillet::host::run(argv[1]);
    } catch (const std::exception& e) {
        std::cerr << "xvfb check: " << e.what() << "\n";
        return 1;
    }
}
