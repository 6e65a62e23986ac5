// Running host commands for the program: what was once "COMMAND.COM /C text" runs as
// `/bin/sh -c text`, and a direct start of a ".EXE", ".COM" or ".BAT" program runs that file
// when it exists (found without regard to case; a ".BAT" file through /bin/sh), else goes to the
// shell. Children get standard input, output and error and no other descriptor of the engine.
// A wait keeps pumping host messages and sleeps on the child in between.
#pragma once

#include <string_view>
#include <sys/types.h>
#include <vector>

namespace quillet {

struct HostCommands {
    std::vector<pid_t> background; // started without waiting, reaped when they end
};

inline HostCommands host_commands;

// Reaps the background children that have ended (the others run on).
void reset_host_commands();

enum class CommandOutcome {
    refused,      // s does not start with "!": nothing was run
    finished,     // the command ran (and ended, unless it was started without waiting)
    cannot_start, // the shell could not be started
};

// Runs the command s of the run-command bif: closes the program's files, deletes the file
// named by t (missing is no error), then runs the text after "!" (cut to 329 bytes in all; a
// second byte "&" starts it without waiting when it is started directly).
CommandOutcome run_host_command(std::string_view s, std::string_view t);

// Splits a command line into words at blanks; double quotes group words.
std::vector<std::string_view> split_command_words(std::string_view line);

} // namespace quillet
