#include "interp/fatal.h"

#include <cstdio>
#include <cstdlib>

#include "xvt/xvt.h"

namespace quillet {

void fatal_stop(const char* message) {
    xvt_dm_post_message(MessageKind::fatal, message);
    program_exit();
}

void program_exit() {
    xvt_app_destroy();
    std::fflush(nullptr);
    std::_Exit(0);
}

void run_exit() {
    std::fflush(nullptr);
    std::_Exit(1);
}

} // namespace quillet
