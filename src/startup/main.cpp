// Process entry of the engine: the argument vector, the debug log, the image, and the task
// window whose creation starts the program.
#include "bcode/version.h"
#include "bifs/install_bifs.h"
#include "interp/fatal.h"
#include "interp/program_arguments.h"
#include "startup/image_loader.h"
#include "startup/program_start.h"
#include "startup/startup_state.h"
#include "ui/default_window.h"
#include "ui/events/event_queue.h"
#include "ui/splash.h"
#include "ui/ui_hooks.h"
#include "values/arena.h"
#include "values/debug_log.h"
#include "xvt/xvt.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace quillet {
namespace {

std::string executable_path(const char* argv0) {
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return argv0;
    return std::string(path, size_t(n));
}

constexpr char engine_usage[] =
    "usage: quillet-engine --help | --version\n"
    "\n"
    "The run-time engine of Quillet BASIC. It runs the B-code image bound to it:\n"
    "\n"
    "    quillet bind quillet-engine PROG.img -o PROG\n"
    "    ./PROG [ARGS...]\n"
    "\n"
    "A bound program takes no options: every word after its path is an argument of the BASIC\n"
    "program. It shows windows on the desktop (DISPLAY or WAYLAND_DISPLAY), or runs headless.\n"
    "\n"
    "Environment:\n"
    "  QUILLET_BACKEND       sdl or headless (default: sdl when a display is set)\n"
    "  QUILLET_LOG           the debug log's file (default: a file named debug beside the\n"
    "                        program, used only when it exists)\n"
    "  QUILLET_INPUT         the input script of a headless run\n"
    "  QUILLET_SNAPSHOT_DIR  where a headless run writes pictures of its windows\n"
    "\n"
    "Exit status: 0 when the program ends, 3 after a fatal stop, 1 when it cannot start.\n"
    "The manual is docs/engine.md.\n";

void layer_diagnostic(const char* line) {
    debug_log("%s", line);
}

long task_event_handler(int, int event) {
    switch (event) {
    case xvt_event_create:
        // Headless counts as a window system; a run without one has no default window.
        if (xvt_screen_size()) {
            show_splash();
            create_default_window();
        }
        start_program();
    case xvt_event_destroy: program_exit();
    case xvt_event_quit: xvt_set_quit_allowed(host_quit_request(xvt_quit_is_query())); return 0;
    default: return 0;
    }
}

} // namespace
} // namespace quillet

int main(int argc, char** argv) {
    using namespace quillet;
    StartupState& s = startup;
    s.executable = executable_path(argc > 0 ? argv[0] : "quillet-engine");
    // The engine on its own answers --version and --help; a bound program passes every word to
    // the program.
    std::string_view word = argc == 2 ? argv[1] : "";
    if ((word == "--version" || word == "--help" || word == "-h") && !carries_image(s.executable)) {
        if (word == "--version")
            std::printf("quillet-engine %.*s\n", int(quillet_version.size()),
                        quillet_version.data());
        else
            std::fputs(engine_usage, stdout);
        return 0;
    }
    size_t slash = s.executable.rfind('/');
    std::string directory = slash == std::string::npos ? "." : s.executable.substr(0, slash);
    std::string file = s.executable.substr(slash == std::string::npos ? 0 : slash + 1);
    s.base_name = file.substr(0, file.find('.'));
    // QUILLET_LOG lets an installed program, whose directory a user cannot write, keep a log.
    if (const char* log = std::getenv("QUILLET_LOG"); log && *log) {
        if (!debug_log_open_file(log))
            std::fprintf(stderr, "QUILLET_LOG: cannot write the debug log %s: %s\n", log,
                         std::strerror(errno));
    } else {
        debug_log_open(directory);
    }
    xvt_set_diagnostic_sink(layer_diagnostic);
    program_arguments.name = s.executable;
    for (int i = 1; i < argc; ++i)
        program_arguments.words.emplace_back(argv[i]);

    arena_init();
    install_bifs();
    install_ui_hooks();
    install_memory_fault_stop();
    xvt_catch_interrupts(interrupted_exit);
    if (!xvt_app_open()) run_exit();
    load_image(s.executable);
    AppConfig config{s.executable.c_str(), s.executable.c_str(), "Quillet BASIC/2G", 500};
    xvt_app_create(argc, argv, 0, task_event_handler, config);
    run_exit();
}
