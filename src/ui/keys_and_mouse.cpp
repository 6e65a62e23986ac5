#include "ui/keys_and_mouse.h"

#include "interp/fatal.h"
#include "interp/registers.h"
#include "ui/default_window.h"
#include "ui/engine_timers.h"
#include "values/errors.h"

namespace quillet {
namespace {

constexpr int32_t input_timeout = 8401;

struct BusyMark {
    int32_t saved = vm.busy_mark;
    BusyMark() { vm.busy_mark = 1; }
    ~BusyMark() { vm.busy_mark = saved; }
    BusyMark(const BusyMark&) = delete;
    BusyMark& operator=(const BusyMark&) = delete;
};

} // namespace

int32_t key_wait() {
    show_default_window();
    {
        BusyMark busy;
        while (key_queue.key_count <= 0) {
            if (engine_timers.input_limit_expired) {
                engine_timers.input_limit_expired = false;
                raise_error(input_timeout); // the busy mark is restored on the way out
            }
            // No key can come any more: the program ends as when its window is closed.
            if (!xvt_wait_message()) program_exit();
            act_on_exit_request();
        }
    }
    int32_t key = 0;
    switch (take_key(key)) {
    case 1: fatal_stop("Internal error: End of event queue reached while retrieving key.");
    case 2: fatal_stop("Internal error: End of event queue reached in while retrieving key.");
    default: return key;
    }
}

bool key_test() {
    return key_queue.key_count > 0;
}

void translate_key_code(int32_t& key, int32_t& /*shift*/, int32_t control) {
    if (control != 0 && key >= 0 && key < 0x20) key += 0x40;
}

void set_key_codes_hook(bool on) {
    xvt_set_char_filter(on ? translate_key_code : nullptr);
}

int32_t take_mouse_state(int32_t& state) {
    const int32_t reported = state;
    if (state == 2 || state == 4)
        state = 1;
    else if (state == 3)
        state = 0;
    return reported;
}

} // namespace quillet
