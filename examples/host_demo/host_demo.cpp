// host_demo: two windows of the host window system, to try its look and feel on a desktop.
// The main window has a menu bar, an edit field, buttons, a check box, radio buttons, a
// drop-down list and a list box; the log window lists what the controls and menus report.
// With QUILLET_BACKEND=headless it takes its input from QUILLET_INPUT and ends by itself when the
// script is done.
#include "host/backends/backend_choice.h"
#include "host/backends/host_error.h"
#include "host/controls/controls.h"
#include "host/controls/dialogs.h"
#include "host/windows/window_system.h"

#include <iostream>
#include <memory>
#include <string>

namespace {

using namespace quillet;
using namespace quillet::host;

constexpr const char* main_title = "Quillet Host Demo";
constexpr const char* log_title = "Quillet Host Demo Log";

// Control ids of the main window.
enum : int {
    name_edit = 1,
    add_button,
    keep_check,
    names_list,
    remove_button,
    size_group,
    small_radio,
    large_radio,
    colour_drop,
    status_text,
    name_label,
};
constexpr int log_list = 1;
constexpr int clear_button = 2;

// Menu tags.
enum : int {
    menu_new = 100,
    menu_exit,
    menu_show_log,
    menu_grayed,
    menu_about,
};

const char* notify_name(Notify n) {
    switch (n) {
    case Notify::clicked: return "clicked";
    case Notify::double_clicked: return "double-clicked";
    case Notify::focus_gained: return "focus gained";
    case Notify::focus_lost: return "focus lost";
    case Notify::selection_changed: return "selection changed";
    case Notify::text_changed: return "text changed";
    case Notify::scrolled: return "scrolled";
    }
    return "?";
}

// A control's title as the user reads it: the '&' that marks a mnemonic dropped, "&&" as '&'.
std::string without_mnemonic(const std::string& title) {
    std::string out;
    for (size_t i = 0; i < title.size(); ++i) {
        if (title[i] == '&' && i + 1 < title.size()) ++i;
        out += title[i];
    }
    return out;
}

WindowDef top_level(const char* title, IntRect rect) {
    WindowDef d;
    d.title = title;
    d.rect = rect;
    d.style.caption = true;
    d.style.sizable = true;
    return d;
}

// Owns the window system, so that the procedures of its windows can reach the demo until the
// last window is gone.
class Demo {
public:
    explicit Demo(std::unique_ptr<Backend> backend)
        : m_system(std::make_unique<WindowSystem>(std::move(backend))), m_ws(*m_system) {
        build_main();
        build_log();
        log("Ready: type a name and press Add, or try the menus");
    }
    ~Demo() { m_system.reset(); }
    Demo(const Demo&) = delete;
    Demo& operator=(const Demo&) = delete;

    // Dispatches messages until the quit message; returns its exit code.
    int run() {
        Message m;
        while (m_ws.get(m))
            m_ws.dispatch(m);
        return m.code;
    }

private:
    WindowId add(WindowId parent, ControlKind kind, IntRect r, std::string text, int id,
                 ListSelection selection = ListSelection::single) {
        ControlDef c;
        c.kind = kind;
        c.rect = r;
        c.text = std::move(text);
        c.id = id;
        c.selection = selection;
        c.default_button = id == add_button;
        return create_control(m_ws, parent, c);
    }
    WindowId control(int id) const { return control_by_id(m_ws, m_main, id); }
    ListControl* list(WindowId id) const { return find_control<ListControl>(m_ws, id); }

    void build_main() {
        WindowDef d = top_level(main_title, {80, 60, 80 + 440, 60 + 330});
        d.procedure = [this](WindowSystem&, const Message& m) { return main_procedure(m); };
        m_main = m_ws.create_window(d);
        m_ws.set_menu_bar(
            m_main,
            {{0,
              "&File",
              true,
              false,
              false,
              {{menu_new, "&New name"}, {0, "", true, false, true}, {menu_exit, "E&xit"}}},
             {0,
              "&View",
              true,
              false,
              false,
              {{menu_show_log, "&Log window", true, true}, {menu_grayed, "&Grayed item", false}}},
             {0, "&Help", true, false, false, {{menu_about, "&About"}}}});
        add(m_main, ControlKind::static_left, {10, 13, 60, 31}, "&Name:", name_label);
        add(m_main, ControlKind::edit, {64, 10, 250, 32}, "", name_edit);
        add(m_main, ControlKind::push_button, {262, 9, 346, 33}, "&Add", add_button);
        add(m_main, ControlKind::check_box, {10, 40, 250, 60}, "&Keep the name after adding",
            keep_check);
        WindowId names = add(m_main, ControlKind::list_box, {10, 68, 250, 220}, "", names_list,
                             ListSelection::extended);
        if (ListControl* l = list(names))
            for (const char* name : {"Ada", "Blaise", "Grace", "Niklaus", "Dennis", "Barbara"})
                l->add(-1, name);
        add(m_main, ControlKind::push_button, {262, 68, 346, 92}, "&Remove", remove_button);
        add(m_main, ControlKind::group_box, {262, 100, 420, 170}, "Size", size_group);
        WindowId small =
            add(m_main, ControlKind::radio_button, {272, 118, 410, 138}, "&Small", small_radio);
        add(m_main, ControlKind::radio_button, {272, 142, 410, 162}, "&Large", large_radio);
        if (auto* button = find_control<ButtonControl>(m_ws, small)) button->set_checked(true);
        WindowId colours =
            add(m_main, ControlKind::dropdown_list, {262, 180, 420, 202}, "", colour_drop);
        if (ListControl* l = list(colours)) {
            for (const char* colour : {"Amber", "Cobalt", "Jade", "Ruby"})
                l->add(-1, colour);
            l->set_selected(0, true);
        }
        add(m_main, ControlKind::static_left, {10, 232, 420, 250}, "", status_text);
        m_ws.set_focus(control(name_edit));
    }

    void build_log() {
        WindowDef d = top_level(log_title, {540, 60, 540 + 360, 60 + 330});
        d.procedure = [this](WindowSystem&, const Message& m) { return log_procedure(m); };
        m_log = m_ws.create_window(d);
        add(m_log, ControlKind::list_box, {8, 8, 344, 250}, "", log_list);
        add(m_log, ControlKind::push_button, {8, 260, 100, 284}, "&Clear", clear_button);
    }

    void log(const std::string& line) {
        if (ListControl* l = list(control_by_id(m_ws, m_log, log_list))) {
            l->add(-1, line);
            l->set_selected(l->count() - 1, true); // also scrolls it into view
        }
        m_ws.set_title(control(status_text), line);
    }

    void add_name() {
        std::string name = m_ws.title(control(name_edit));
        if (name.empty()) {
            log("Nothing to add: the name is empty");
            return;
        }
        if (ListControl* l = list(control(names_list))) l->add(-1, name);
        log("Added \"" + name + "\"");
        auto* keep = find_control<ButtonControl>(m_ws, control(keep_check));
        if (!keep || !keep->is_checked()) m_ws.set_title(control(name_edit), "");
        m_ws.set_focus(control(name_edit));
    }

    void remove_selected() {
        ListControl* names = list(control(names_list));
        std::vector<int> chosen = names ? names->selection() : std::vector<int>{};
        for (auto it = chosen.rbegin(); it != chosen.rend(); ++it)
            names->remove(*it);
        log("Removed " + std::to_string(chosen.size()) + " name(s)");
    }

    void show_log(bool shown) {
        m_ws.show_window(m_log, shown);
        m_ws.set_menu_checked(m_main, menu_show_log, shown);
        if (shown) m_ws.raise_window(m_log);
    }

    void command(int tag) {
        switch (tag) {
        case menu_new:
            m_ws.set_title(control(name_edit), "New name");
            m_ws.set_focus(control(name_edit));
            if (EditControl* edit = find_edit(m_ws, control(name_edit))) edit->select(0, -1);
            log("File/New name");
            break;
        case menu_exit: m_ws.post_quit(0); break;
        case menu_show_log: show_log(!m_ws.is_visible(m_log)); break;
        case menu_about:
            log("Help/About");
            message_box(m_ws, MessageBoxKind::note,
                        "Quillet host demo\nWindows, menus and controls drawn by the host "
                        "window system.",
                        "About the host demo");
            break;
        default: break;
        }
    }

    void notified(const Message& m) {
        Notify what = static_cast<Notify>(m.value);
        WindowId source = m.source;
        if (what == Notify::focus_gained || what == Notify::focus_lost) return;
        if (what == Notify::clicked && m.code == add_button) add_name();
        if (what == Notify::clicked && m.code == remove_button) remove_selected();
        if (what == Notify::double_clicked && m.code == names_list) {
            const ListControl* names = list(source);
            std::vector<int> chosen = names ? names->selection() : std::vector<int>{};
            if (!chosen.empty()) m_ws.set_title(control(name_edit), names->text(chosen.front()));
        }
        std::string text = without_mnemonic(m_ws.title(source));
        log("Control " + std::to_string(m.code) + (text.empty() ? "" : " (" + text + ")") + ": " +
            notify_name(what));
    }

    intptr_t main_procedure(const Message& m) {
        switch (m.kind) {
        case Msg::command: command(m.code); return 0;
        case Msg::notify: notified(m); return 0;
        case Msg::close:
        case Msg::end_session: m_ws.post_quit(0); return 0;
        default: return m_ws.default_procedure(m);
        }
    }

    intptr_t log_procedure(const Message& m) {
        switch (m.kind) {
        case Msg::close:
            show_log(false);
            return 0; // hidden, not destroyed: View/Log brings it back
        case Msg::notify:
            if (m.code == clear_button && static_cast<Notify>(m.value) == Notify::clicked)
                if (ListControl* l = list(control_by_id(m_ws, m_log, log_list))) l->clear();
            return 0;
        case Msg::end_session: m_ws.post_quit(0); return 0;
        default: return m_ws.default_procedure(m);
        }
    }

    std::unique_ptr<WindowSystem> m_system;
    WindowSystem& m_ws;
    WindowId m_main = no_window;
    WindowId m_log = no_window;
};

} // namespace

int main() {
    try {
        Demo demo(create_backend_from_environment());
        return demo.run();
    } catch (const std::exception& e) {
        std::cerr << "host_demo: " << e.what() << "\n";
        return 1;
    }
}
