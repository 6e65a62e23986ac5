// What a backend does for the window system: it shows top-level windows (or not), feeds input
// into the system and waits for it, and knows the screen. The window system calls it; it calls
// the system's input_* functions.
#pragma once

#include "host/raster/surface.h"
#include "host/windows/window_types.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string_view>

namespace quillet::host {

class WindowSystem;
enum class MessageBoxKind : uint8_t;

class Backend {
public:
    virtual ~Backend() = default;
    virtual const char* name() const = 0;

    // Called once by the window system it serves, before anything else.
    virtual void attach(WindowSystem& ws) { m_ws = &ws; }

    virtual IntSize screen_size() const = 0;
    virtual int screen_depth() const = 0; // bits per pixel

    // Feeds whatever input is ready into the window system; never waits.
    virtual void poll() = 0;
    // Waits for input until the deadline (none: no timer is pending). A backend that can never
    // get more input ends the session instead of waiting for ever.
    virtual void wait(std::optional<std::chrono::steady_clock::time_point> deadline) = 0;

    // A top-level window was created, destroyed, moved, shown, retitled or redrawn.
    virtual void window_created(WindowId) {}
    virtual void window_destroyed(WindowId) {}
    virtual void window_changed(WindowId) {}
    virtual void window_drawn(WindowId) {}
    virtual void cursor_changed() {}

    // A message box opens (its modal loop runs next) and closes. The headless backend writes
    // the text to standard error and answers it.
    virtual void message_box_opened(WindowId, MessageBoxKind, std::string_view) {}
    virtual void message_box_closed(WindowId) {}

    // Called by the window system's destructor while every window still exists.
    virtual void shutting_down() {}
    // The program is ending and is about to close its windows: the last moment they are all
    // there. shutting_down still follows.
    virtual void program_ending() {}

protected:
    WindowSystem* m_ws = nullptr;
};

} // namespace quillet::host
