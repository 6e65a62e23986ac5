#include "interp/fatal.h"

#include "interp/registers.h"
#include "values/debug_log.h"
#include "values/memory.h"
#include "xvt/xvt.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace quillet {

namespace {

[[noreturn]] void end_process(int status) {
    if (exit_policy.hook) exit_policy.hook(status);
    std::fflush(nullptr);
    std::_Exit(status);
}

} // namespace

void fatal_stop(const char* message, std::string_view detail) {
    // The line comes first: on a desktop the box waits for the user.
    std::string line = std::string("fatal stop \"") + message + "\"";
    if (!detail.empty()) line.append(": ").append(detail);
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
    debug_log("%s", line.c_str());
    // The box keeps the system's text first; on a desktop, where no one reads standard error, the
    // line with what explains it follows.
    std::string box = message;
    if (!detail.empty()) box.append("\n").append(line);
    xvt_dm_post_message(MessageKind::fatal, box);
    xvt_app_destroy();
    end_process(fatal_exit_status);
}

std::string code_position(uint32_t pc) {
    char text[64];
    uint32_t m = vm.module;
    Addr base = m < program.modules.size() ? program.modules[m].base : 0;
    std::snprintf(text, sizeof text, "module %u offset 0x%04X", m, pc - base);
    return text;
}

void program_exit() {
    xvt_app_destroy();
    end_process(0);
}

void immediate_exit(int status) {
    end_process(status);
}

void interrupted_exit(int signal) {
    debug_log("stopped by signal %d", signal);
    xvt_app_destroy();
    std::fflush(nullptr);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    std::_Exit(128 + signal); // not reached: the signal's default action ends the process
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
