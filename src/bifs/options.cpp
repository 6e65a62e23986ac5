// Bif 437: named engine options set and asked for by the B-code library.
//
// The options that act on windows (titles, window numbers, the splash and the default-window
// check) are ignored until the window system lands; the others act as documented.
#include "bifs/install_bifs.h"
#include "interp/operands.h"
#include "interp/registers.h"
#include "values/debug_log.h"
#include "values/strings.h"
#include "xvt/xvt.h"

#include <cstdio>
#include <string>

namespace quillet {
namespace {

void engine_option() {
    std::string name(str_view(load_u32(str_operand())));
    Addr value_rec = load_u32(str_operand());
    std::string value(str_view(value_rec));
    Addr number = num_operand();
    if (name == "dialog") xvt_dm_post_message(MessageKind::note, value);
    if (name == "DEBUG" || name == "debug") debug_log("%s", value.c_str());
    if (name == "SEGMENT COUNT") num_set_int(number, int32_t(program.modules.size()));
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
