// The headless backend: a screen without a display. Input comes from a script (QUILLET_INPUT),
// pictures of the windows go to PNG files (QUILLET_SNAPSHOT_DIR), message boxes are written to
// standard error as "KIND: TEXT". It never hangs: when the program waits for input that cannot
// come, or only for its own timers a number of times after the script is done, the session is
// ended. docs/headless.md describes the variables and the script.
#pragma once

#include "host/backends/input_script.h"
#include "host/windows/backend.h"

#include <optional>
#include <string>
#include <vector>

namespace quillet::host {

struct HeadlessOptions {
    IntSize screen{1024, 768};
    int depth = 32;           // as reported; pictures are always drawn in true colour
    InputScript script;       // empty: no input at all
    std::string snapshot_dir; // empty: no snapshots
    bool echo_message_boxes = true;

    // QUILLET_SCREEN (WIDTHxHEIGHT), QUILLET_SCREEN_DEPTH (bits per pixel), QUILLET_INPUT,
    // QUILLET_SNAPSHOT_DIR; throws HostError for a malformed value or script.
    static HeadlessOptions from_environment();
};

class HeadlessBackend final : public Backend {
public:
    // A program that waits only for its own timers after the script is done is asked to end its
    // session after this many of them came due (and, if it refuses, told after as many more).
    static constexpr int idle_timer_waits_before_end = 5;
    // A program that polls for input without ever waiting counts as waiting after this many
    // polls in a row found nothing to take.
    static constexpr int idle_polls_as_a_wait = 1000;

    explicit HeadlessBackend(HeadlessOptions options);
    const char* name() const override { return "headless"; }
    IntSize screen_size() const override { return m_options.screen; }
    int screen_depth() const override { return m_options.depth; }
    void poll() override;
    void wait(std::optional<std::chrono::steady_clock::time_point> deadline) override;
    void message_box_opened(WindowId box, MessageBoxKind kind, std::string_view text) override;
    void message_box_closed(WindowId box) override;
    void shutting_down() override;
    void program_ending() override;

    // Writes every shown top-level window as DIR/PREFIX-TITLE.png; returns the files written.
    std::vector<std::string> write_snapshots(const std::string& prefix);
    bool script_done() const { return m_next >= m_options.script.commands.size(); }

private:
    bool run_next();
    bool run(const ScriptCommand& c);
    WindowId target() const;
    void report(const ScriptCommand& c, const std::string& message) const;
    void sleep_a_while(std::chrono::steady_clock::time_point until);
    void end_session_when_idle();
    void end_session_after_timers();
    bool close_box_when_done();
    WindowId shown_top_level(const std::string& title) const;
    bool check_shown(const ScriptCommand& c, WindowId top, const char* what) const;

    HeadlessOptions m_options;
    size_t m_next = 0;
    bool m_running = false; // a command is being carried out (no re-entry)
    // The next command waits until the program waits for input: at the start, and after a
    // "wait window", so that input never reaches a window before the program is ready for it.
    bool m_program_waited = false;
    int m_idle_polls = 0;
    int m_idle_timer_waits = 0; // timers that came due with the script done and nothing else
    bool m_end_asked = false;   // the session's end was asked for (a query) after idle timers
    enum class Waiting : uint8_t { none, time, window } m_waiting = Waiting::none;
    std::chrono::steady_clock::time_point m_wait_until;
    WindowId m_target = no_window;
    std::vector<WindowId> m_boxes;
    int m_snapshot_count = 0;
    int m_idle_after_end = 0;
    bool m_quit_sent = false;
    bool m_exit_pictures_taken = false;
};

} // namespace quillet::host
