// Bif 437: named engine options set and asked for by the B-code library.
//
#include "bifs/install_bifs.h"
#include "interp/exceptions.h"
#include "interp/operands.h"
#include "interp/registers.h"
#include "ui/default_window.h"
#include "ui/splash.h"
#include "ui/window_table.h"
#include "values/debug_log.h"
#include "values/strings.h"
#include "values/values_state.h"
#include "xvt/xvt.h"

#include <cstdio>
#include <string>

namespace quillet {
namespace {

void set_current_window_title(const std::string& title) {
    WindowRecord* record = find_window(window_table.current);
    if (!record) return;
    record->title = title;
    if (record->native_window != no_xvt_window) xp_vobj_set_title(record->native_window, title);
}

int32_t focus_window_number() {
    int n = window_number_of(xvt_scr_get_focus_vobj());
    return n >= 0 ? n : window_table.current;
}

void engine_option() {
    std::string name(str_view(load_u32(str_operand())));
    Addr value_rec = load_u32(str_operand());
    std::string value(str_view(value_rec));
    Addr number = num_operand();
    if (name == "dialog") xvt_dm_post_message(MessageKind::note, value);
    if (name == "DEBUG" || name == "debug") debug_log("%s", value.c_str());
    if (name == "DISMISS SPLASH") dismiss_splash();
    if (name == "stt" && !value.empty()) xvt_app_set_title(value);
    if (name == "sdt") set_current_window_title(value);
    if (name == "aaw") num_set_int(number, window_table.current);
    if (name == "afw") num_set_int(number, focus_window_number());
    if (name == "DEFAULT WINDOW CHECK" && window_table.current == default_window)
        show_default_window();
    if (name == "SEGMENT COUNT") num_set_int(number, int32_t(program.modules.size()));
    // Ours, for the library of compiled programs: "infinity" lets an overflow outside protected
    // parts give infinity with a warning; any other value restores exception 1002.
    if (name == "QUILLET OVERFLOW")
        overflow_policy.goes_on = value == "infinity" ? overflow_goes_on : nullptr;
    if (name == "CHECK NULL") {
        debug_log("checking null");
        if (value_rec != empty_string)
            debug_log("bad null! %x %d %d %x %d %d", value_rec, load_i32(value_rec),
                      load_i32(value_rec + 4), empty_string, load_i32(empty_string),
                      load_i32(empty_string + 4));
    }
}

} // namespace

void install_option_bifs(BifTable& t) {
    t.install(bif::engine_option, engine_option);
}

} // namespace quillet
