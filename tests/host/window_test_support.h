// A window system on the headless backend for tests, with a script given as text, and helpers
// that run its messages and record what windows receive.
#pragma once

#include "host/backends/headless_backend.h"
#include "host/controls/controls.h"
#include "host/controls/dialogs.h"
#include "host/windows/window_system.h"

#include <memory>
#include <string>
#include <vector>

namespace quillet::host::test {

inline std::unique_ptr<WindowSystem> make_system(const std::string& script = "",
                                                 std::string snapshot_dir = "") {
    HeadlessOptions o;
    o.script = parse_input_script("test.script", script);
    o.snapshot_dir = std::move(snapshot_dir);
    o.echo_message_boxes = false;
    return std::make_unique<WindowSystem>(std::make_unique<HeadlessBackend>(std::move(o)));
}

// Dispatches until nothing is left (the script runs on the way); false when quit arrived.
inline bool drain(WindowSystem& ws, int limit = 100000) {
    auto& headless = static_cast<HeadlessBackend&>(ws.backend());
    Message m;
    while (limit-- > 0) {
        if (ws.peek(m, true)) {
            if (m.kind == Msg::quit) return false;
            ws.dispatch(m);
        } else if (headless.script_done()) {
            break;
        } else {
            ws.wait_for_input(ws.next_timer_due()); // runs the next command
        }
    }
    return true;
}

struct Recorder {
    std::vector<Message> messages;
    WindowProc procedure() {
        return [this](WindowSystem& ws, const Message& m) -> intptr_t {
            messages.push_back(m);
            return ws.default_procedure(m);
        };
    }
    std::vector<Msg> kinds() const {
        std::vector<Msg> k;
        for (const Message& m : messages)
            k.push_back(m.kind);
        return k;
    }
    int count(Msg kind) const {
        int n = 0;
        for (const Message& m : messages)
            n += m.kind == kind;
        return n;
    }
    std::vector<Message> notifications() const {
        std::vector<Message> out;
        for (const Message& m : messages)
            if (m.kind == Msg::notify) out.push_back(m);
        return out;
    }
    void clear() { messages.clear(); }
};

inline WindowDef top_level(std::string title, IntRect rect, WindowProc proc = {}) {
    WindowDef d;
    d.title = std::move(title);
    d.rect = rect;
    d.style.caption = true;
    d.style.sizable = true;
    d.procedure = std::move(proc);
    return d;
}

} // namespace quillet::host::test
