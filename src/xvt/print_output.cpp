// Where printed documents go: a directory of PDF files, or a CUPS printer through `lp`.
#include "xvt/printing.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace quillet::xvt_detail {

std::string print_directory() {
    const char* dir = std::getenv("QUILLET_PRINT_DIR");
    return dir && *dir ? dir : ".";
}

std::string printer_from_environment() {
    const char* printer = std::getenv("QUILLET_PRINTER");
    return printer ? printer : "";
}

std::string free_pdf_path(const std::string& directory, std::string_view title) {
    std::string name;
    for (char c : title.substr(0, 100))
        name += (static_cast<unsigned char>(c) < 0x20 || c == '/' || c == '\\') ? '_' : c;
    if (name.empty() || name == "." || name == "..") name = "document";
    const std::filesystem::path dir(directory);
    std::filesystem::path path = dir / (name + ".pdf");
    std::error_code ignored;
    for (int n = 2; std::filesystem::exists(path, ignored); ++n)
        path = dir / (name + "-" + std::to_string(n) + ".pdf");
    return path.string();
}

bool send_to_printer(const std::string& printer, const std::string& title,
                     const std::string& path) {
    // No shell: the names go to lp as they are.
    std::string args[] = {"lp", "-d", printer, "-t", title, "--", path};
    char* argv[std::size(args) + 1] = {};
    for (size_t i = 0; i < std::size(args); ++i)
        argv[i] = args[i].data();
    pid_t pid = 0;
    if (posix_spawnp(&pid, "lp", nullptr, nullptr, argv, environ) != 0) return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace quillet::xvt_detail
