#include "devices/host_commands.h"

#include "devices/file_system.h"
#include "devices/path_mapping.h"
#include "devices/program_files.h"
#include "xvt/xvt.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace quillet {
namespace {

constexpr size_t command_buffer = 330;     // the command with its "!"
constexpr size_t delete_name_buffer = 100; // the file deleted before the command
constexpr size_t direct_test_bytes = 99;

// Closes every descriptor from 3 up in the child, and frees the spawn settings on every path.
struct SpawnActions {
    posix_spawn_file_actions_t actions;
    SpawnActions() {
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
};

std::optional<pid_t> spawn(const std::vector<std::string>& words) {
    std::vector<char*> argv;
    for (const std::string& w : words)
        argv.push_back(const_cast<char*>(w.c_str()));
    argv.push_back(nullptr);
    SpawnActions actions;
    pid_t pid;
    if (posix_spawn(&pid, argv[0], &actions.actions, nullptr, argv.data(), environ) != 0)
        return std::nullopt;
    return pid;
}

// Waits for the child, pumping host messages; between pumps it sleeps on the child's process
// descriptor (or a few milliseconds where the host has none).
void wait_pumping(pid_t pid) {
    int pidfd = int(syscall(SYS_pidfd_open, pid, 0));
    for (;;) {
        int status;
        pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid || (r < 0 && errno != EINTR)) break;
        process_host_messages();
        if (pidfd >= 0) {
            pollfd p = {pidfd, POLLIN, 0};
            poll(&p, 1, 10);
        } else {
            usleep(5000);
        }
    }
    if (pidfd >= 0) close(pidfd);
}

void reap_background() {
    std::erase_if(host_commands.background, [](pid_t pid) {
        int status;
        return waitpid(pid, &status, WNOHANG) != 0;
    });
}

bool ends_with_no_case(std::string_view s, std::string_view suffix) {
    if (s.size() < suffix.size()) return false;
    return engine_file_name(s.substr(s.size() - suffix.size()), suffix.size() + 1) == suffix;
}

// A direct start: the program file named by the first word, when it exists. Nothing when it
// does not or cannot be started.
bool start_directly(std::string_view line, bool wait) {
    std::vector<std::string_view> words = split_command_words(line);
    if (words.empty()) return false;
    std::string program = host_path(words[0]);
    struct stat st;
    if (stat(program.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    std::vector<std::string> argv;
    if (ends_with_no_case(words[0], ".BAT")) argv.push_back("/bin/sh");
    argv.push_back(program);
    for (size_t i = 1; i < words.size(); ++i)
        argv.emplace_back(words[i]);
    std::optional<pid_t> pid = spawn(argv);
    if (!pid) return false;
    if (wait)
        wait_pumping(*pid);
    else
        host_commands.background.push_back(*pid);
    return true;
}

} // namespace

void reset_host_commands() {
    reap_background();
}

std::vector<std::string_view> split_command_words(std::string_view line) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ')
            ++i;
        if (i >= line.size()) break;
        if (line[i] == '"') {
            size_t end = line.find('"', i + 1);
            if (end == std::string_view::npos) end = line.size();
            words.push_back(line.substr(i + 1, end - i - 1));
            i = end + 1;
        } else {
            size_t end = std::min(line.find(' ', i), line.size());
            words.push_back(line.substr(i, end - i));
            i = end;
        }
    }
    return words;
}

CommandOutcome run_host_command(std::string_view s, std::string_view t) {
    reap_background();
    reset_program_files(); // the program's files do not survive a command
    if (s.empty() || s.front() != '!') return CommandOutcome::refused;
    if (!t.empty()) unlink_file(engine_file_name(t, delete_name_buffer));

    std::string command(s.substr(0, std::min(s.find('\0'), command_buffer - 1)));
    bool wait = true;
    if (command.size() > 1 && command[1] == '&') {
        command[1] = ' ';
        wait = false;
    }
    std::string text = command.substr(1);
    std::string head = engine_file_name(command, direct_test_bytes + 1);
    if (head.find(".EXE") != std::string::npos || head.find(".COM") != std::string::npos ||
        head.find(".BAT") != std::string::npos) {
        std::string_view line = text;
        line.remove_prefix(std::min(line.find_first_not_of(' '), line.size()));
        if (start_directly(line, wait)) return CommandOutcome::finished;
    }
    std::optional<pid_t> pid = spawn({"/bin/sh", "-c", text});
    if (!pid) return CommandOutcome::cannot_start;
    wait_pumping(*pid);
    return CommandOutcome::finished;
}

} // namespace quillet
