// The headless backend's input script parser over arbitrary text.
#include "entries.h"
#include "host/backends/host_error.h"
#include "host/backends/input_script.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace quillet::fuzz {

namespace {

[[noreturn]] void fail(const char* what, int line) {
    std::fprintf(stderr, "command of line %d: %s\n", line, what);
    std::abort();
}

} // namespace

void parse_input_script_text(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    host::InputScript script;
    try {
        script = host::parse_input_script("fuzz.input", text);
    } catch (const host::HostError& e) {
        // FILE:LINE: message, with a line that the text has.
        const std::string message = e.what();
        if (message.rfind("fuzz.input:", 0) != 0) fail("a refusal that names no line", 0);
        return;
    }
    int lines = 1;
    for (char c : text)
        lines += c == '\n';
    int previous = 0;
    using K = host::ScriptCommand::Kind;
    for (const host::ScriptCommand& c : script.commands) {
        if (c.line <= previous || c.line > lines) fail("line number out of order", c.line);
        previous = c.line;
        switch (c.kind) {
        case K::type:
        case K::target:
        case K::menu:
        case K::answer:
            if (c.text.empty()) fail("a command that needs a text has none", c.line);
            break;
        case K::key:
            if (c.keys.empty()) fail("a key command without keys", c.line);
            break;
        case K::resize:
            if (c.point.x < 0 || c.point.y < 0) fail("a negative size", c.line);
            break;
        case K::wait_time:
        case K::wait_window:
            if (c.amount < 0) fail("a negative wait", c.line);
            break;
        default: break;
        }
    }
}

} // namespace quillet::fuzz
