// The headless backend's input script: one command a line, read and checked as a whole before
// the program starts, so a malformed line stops the run at once with "FILE:LINE: message".
// The format is documented in docs/headless.md.
#pragma once

#include "host/windows/window_types.h"

#include <string>
#include <vector>

namespace quillet::host {

struct ScriptKey {
    Key key = Key::none;
    char character = 0;
    uint8_t modifiers = 0;
};

struct ScriptCommand {
    enum class Kind : uint8_t {
        type,  // text
        key,   // keys
        move,  // point
        click, // point, button, modifiers
        double_click,
        down,
        up,
        wheel,       // point, amount
        target,      // text = title
        close,       // text = title or empty (the target)
        resize,      // point = client width, height
        menu,        // text = path
        wait_time,   // amount = milliseconds
        wait_window, // text = title, amount = milliseconds allowed
        snapshot,    // text = name or empty
        answer,      // text = button title
        quit,        // asks whether the session may end, then ends it when every window agrees
    };
    Kind kind = Kind::type;
    int line = 0;
    std::string text;
    std::vector<ScriptKey> keys;
    IntPoint point;
    MouseButton button = MouseButton::left;
    uint8_t modifiers = 0;
    int amount = 0;
};

struct InputScript {
    std::string file;
    std::vector<ScriptCommand> commands;
};

// Throws HostError("FILE:LINE: message") for a malformed line, HostError("FILE: ...") when the
// file cannot be read.
InputScript read_input_script(const std::string& path);
InputScript parse_input_script(const std::string& name, const std::string& text);

} // namespace quillet::host
