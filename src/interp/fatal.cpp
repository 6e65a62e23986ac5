#include "interp/fatal.h"

#include "values/memory.h"
#include "xvt/xvt.h"

#include <cstdio>
#include <cstdlib>

namespace quillet {

void fatal_stop(const char* message) {
    xvt_dm_post_message(MessageKind::fatal, message);
    program_exit();
}

namespace {

[[noreturn]] void end_process(int status) {
    if (exit_policy.hook) exit_policy.hook(status);
    std::fflush(nullptr);
    std::_Exit(status);
}

} // namespace

void program_exit() {
    xvt_app_destroy();
    end_process(0);
}

void immediate_exit(int status) {
    end_process(status);
}

void run_exit() {
    end_process(1);
}

void install_memory_fault_stop() {
    memory_fault_policy.hook = [](Addr) {
        fatal_stop("memory error: freeing a block that is not allocated");
    };
}

} // namespace quillet
