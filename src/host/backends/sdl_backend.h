// The SDL backend: each shown top-level window is an SDL window showing the window's picture
// below its caption (the desktop's window manager draws caption and border where it has one).
// Keyboard, text input, mouse, wheel, resize, close and focus come from SDL; the clipboard's
// text is the desktop's.
#pragma once

#include "host/windows/backend.h"

#include <memory>

namespace quillet::host {

class SdlBackend final : public Backend {
public:
    SdlBackend(); // throws HostError when SDL's video cannot start
    ~SdlBackend() override;
    const char* name() const override { return "sdl"; }
    void attach(WindowSystem& ws) override;
    IntSize screen_size() const override;
    int screen_depth() const override;
    void poll() override;
    void wait(std::optional<std::chrono::steady_clock::time_point> deadline) override;
    void window_created(WindowId id) override;
    void window_destroyed(WindowId id) override;
    void window_changed(WindowId id) override;
    void window_drawn(WindowId id) override;
    void cursor_changed() override;

    // The part of a top-level window that its SDL window shows, in the window's outer coordinates.
    IntRect shown_part(WindowId id) const;
    void present_all(); // shows every window whose picture changed

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

} // namespace quillet::host
