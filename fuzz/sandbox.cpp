#include "sandbox.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace quillet::fuzz {

namespace fs = std::filesystem;

Sandbox::Sandbox() : former_(fs::current_path()) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        (tmp && *tmp ? std::string(tmp) : std::string("/tmp")) + "/quillet-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::perror(pattern.c_str());
        std::abort();
    }
    dir_ = pattern;
    fs::current_path(dir_);
}

Sandbox::~Sandbox() {
    std::error_code ignored;
    fs::current_path(former_, ignored);
    // Whatever the run left there may be read-only or a directory without search permission:
    // give every entry its owner's permissions back before removing.
    for (auto it = fs::recursive_directory_iterator(
             dir_, fs::directory_options::skip_permission_denied, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored))
        if (!it->is_symlink(ignored))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(dir_, ignored);
}

std::string Sandbox::contents() const {
    std::string names;
    std::error_code ignored;
    for (const auto& item : fs::directory_iterator(dir_, ignored))
        names += item.path().filename().string() + "\n";
    return names;
}

namespace {

// libFuzzer options whose values name files or directories.
constexpr std::string_view path_options[] = {
    "-artifact_prefix=",    "-exact_artifact_path=", "-dict=",
    "-merge_control_file=", "-features_dir=",        "-mutation_graph_file=",
    "-data_flow_trace=",    "-stop_file=",
};

std::string absolute(std::string_view path) {
    return fs::absolute(fs::path(path)).string();
}

Sandbox* process_sandbox = nullptr;
// The command line handed to libFuzzer, which keeps pointers into it for the whole run.
std::vector<std::string>* kept_args = nullptr;
std::vector<char*>* kept_argv = nullptr;

void leave_process_sandbox() {
    delete process_sandbox;
    process_sandbox = nullptr;
}

} // namespace

void enter_sandbox_for_libfuzzer(int* argc, char*** argv) {
    auto* args = kept_args = new std::vector<std::string>;
    bool artifact_prefix = false;
    for (int i = 0; i < *argc; ++i) {
        std::string_view arg = (*argv)[i];
        std::string out(arg);
        if (i > 0 && !arg.empty() && arg[0] != '-') {
            out = absolute(arg);
        } else {
            for (std::string_view option : path_options)
                if (arg.substr(0, option.size()) == option && arg.size() > option.size()) {
                    std::string value = absolute(arg.substr(option.size()));
                    // A prefix ending in a slash names a directory; keep the slash.
                    if (arg.back() == '/' && value.back() != '/') value += '/';
                    out = std::string(option) + value;
                }
        }
        if (arg.substr(0, 17) == "-artifact_prefix=") artifact_prefix = true;
        args->push_back(std::move(out));
    }
    if (!artifact_prefix) args->push_back("-artifact_prefix=" + fs::current_path().string() + "/");
    auto* pointers = kept_argv = new std::vector<char*>;
    for (std::string& a : *args)
        pointers->push_back(a.data());
    pointers->push_back(nullptr);
    *argc = int(args->size());
    *argv = pointers->data();

    process_sandbox = new Sandbox;
    std::atexit(leave_process_sandbox);
}

void check_sandbox_untouched() {
    if (!process_sandbox) return;
    std::string names = process_sandbox->contents();
    if (names.empty()) return;
    std::fprintf(stderr, "the input wrote into the working directory:\n%s", names.c_str());
    std::abort();
}

} // namespace quillet::fuzz
