// What the layers above the interpreter register with it: the interpreter calls up only through
// these, never by name. Start-up fills them once; a hook left empty does nothing.
#pragma once

namespace quillet {

struct UpperLayerHooks {
    // At a program end that asks for it (kinds 1 and 44): "Press any key." and the wait for a
    // key, in the default window.
    void (*end_of_program_wait)() = nullptr;
    // After each pump of the op loop: the serial ports gather what they received, a playing
    // tune's position reaches its string.
    void (*poll_devices)() = nullptr;
    // After each pump between ops: acts on what the window events asked for (the default
    // window's close box ending the program).
    void (*after_pump)() = nullptr;
    // At every program end, after the end-of-program wait: stops the tune that plays and closes
    // the audio device.
    void (*end_sound)() = nullptr;
    // At every program end, after the end-of-program wait: closes all the program's windows.
    void (*close_all_windows)() = nullptr;
};

// The wiring of the layers, not program state: an engine reset keeps it.
inline UpperLayerHooks upper_layer_hooks;

} // namespace quillet
