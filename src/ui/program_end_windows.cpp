// The windows' part of a program's end: "Press any key." and the wait, closing every window,
// and the default window's close box ending the program.
#include "interp/fatal.h"
#include "interp/registers.h"
#include "ui/default_window.h"
#include "ui/key_queue.h"
#include "ui/objects/object_classes.h"
#include "ui/window_after_draw.h"
#include "ui/window_table.h"

namespace quillet {
namespace {

constexpr std::string_view press_any_key = "Press any key.";

} // namespace

void end_of_program_wait() {
    WindowRecord* record = find_window(window_table.current);
    if (!record || (record->native_window == no_xvt_window && !window_table.default_not_yet_shown))
        return;
    if (record->type == window_type::printing) return; // a page takes no keys
    int32_t saved_busy = vm.busy_mark;
    vm.busy_mark = 1;
    // Drawn before the window is shown, so that it is there from the window's first picture.
    int32_t y = record->pixel_height - 10;
    text_metrics(*record); // the default window's fonts, if its first text is this line
    for_each_drawable(*record, [&](XvtWindow w) {
        xp_dwin_draw_text(w, 1, y, press_any_key, static_cast<int32_t>(press_any_key.size()));
    });
    window_after_draw(window_table.current);
    show_default_window();
    // Until a key is queued, the window is closed (its destroy asks for the exit) or the session
    // ends (a headless run with no scripted key left).
    while (key_queue.key_count <= 0 && !window_table.exit_requested && xvt_wait_message()) {
    }
    vm.busy_mark = saved_busy;
}

void close_all_windows() {
    xvt_app_program_ending();
    bool saved = window_table.exit_on_default_destroy;
    window_table.exit_on_default_destroy = false;
    // The user windows go as FREE takes them: their controls first, then the native window,
    // whose destroy event frees the record. The library's routine for windows with channels is
    // not entered: the program has ended and no B-code runs any more. The default window goes
    // last.
    for (int n = window_table.highest; n > default_window; --n)
        if (find_window(n)) free_window(n);
    if (WindowRecord* record = find_window(default_window);
        record && record->native_window != no_xvt_window)
        xp_vobj_destroy(record->native_window);
    window_table.exit_on_default_destroy = saved;
    window_table.exit_requested = false;
    process_host_messages();
}

void act_on_exit_request() {
    if (!window_table.exit_requested) return;
    window_table.exit_requested = false;
    program_exit();
}

} // namespace quillet
