// The path mapping over arbitrary names: drive letters through QUILLET_DRIVE_X, the look-up
// without regard to case, `.`, `..`, and long and odd names, against a tree of directories and
// files made once per process in a temporary directory of its own (not the sandbox, which must
// stay empty), with files beside the drives' directories that no drive name may reach.
#include "devices/path_mapping.h"
#include "entries.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <strings.h>
#include <vector>

namespace quillet::fuzz {

namespace {

namespace fs = std::filesystem;

[[noreturn]] void fail(const char* what, std::string_view name, std::string_view mapped) {
    std::fprintf(stderr, "%s: \"%.*s\" maps to \"%.*s\"\n", what, int(name.size()), name.data(),
                 int(mapped.size()), mapped.data());
    std::abort();
}

// $TMPDIR/quillet-paths-XXXXXX/{c,d}: the directories of drives C and D (D's variable ends in a
// slash), each holding directories and files in mixed case, names differing only in case, a
// long name and odd bytes; c-outside and a file "secret" beside them, which no name of drive C
// or D may reach. Removed at exit.
struct Tree {
    fs::path top, c, d;
};

Tree* tree = nullptr;

void remove_tree() {
    std::error_code ignored;
    fs::remove_all(tree->top, ignored);
}

const Tree& the_tree() {
    if (tree) return *tree;
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        (tmp && *tmp ? std::string(tmp) : std::string("/tmp")) + "/quillet-paths-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::perror(pattern.c_str());
        std::abort();
    }
    tree = new Tree{pattern, fs::path(pattern) / "c", fs::path(pattern) / "d"};
    for (const fs::path& drive : {tree->c, tree->d}) {
        for (const char* dir : {"Sub", "sub/deeper", "SUB", "MiXeD/Inner", "mixed", "a b.dir",
                                "x\x01y", "\xC3\xA9t\xC3\xA9"})
            fs::create_directories(drive / dir);
        fs::create_directories(drive / std::string(180, 'L'));
        for (const char* file : {"Sub/Data.TXT", "sub/deeper/file", "data.txt", "README"})
            std::ofstream(drive / file) << "x";
    }
    fs::create_directories(tree->top / "c-outside");
    std::ofstream(tree->top / "secret") << "x";
    setenv("QUILLET_DRIVE_C", tree->c.c_str(), 1);
    setenv("QUILLET_DRIVE_D", (tree->d.string() + "/").c_str(), 1);
    std::atexit(remove_tree);
    return *tree;
}

std::vector<std::string> components(std::string_view path, size_t from) {
    std::vector<std::string> out;
    std::string part;
    for (size_t i = from; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/' || path[i] == '\\') {
            if (!part.empty() && part != ".") out.push_back(part);
            part.clear();
        } else {
            part += path[i];
        }
    }
    return out;
}

// Whether `path` lies in `root` or below, by whole components.
bool inside(const fs::path& path, const fs::path& root) {
    const fs::path normal = path.lexically_normal();
    auto p = normal.begin();
    for (auto r = root.begin(); r != root.end(); ++r, ++p)
        if (r->empty()) continue; // a trailing slash of the root
        else if (p == normal.end() || *p != *r) return false;
    return true;
}

} // namespace

void map_file_name(const uint8_t* data, size_t size) {
    if (size == 0) return;
    const Tree& t = the_tree();
    // The first byte chooses how the rest is named: through the engine's name buffer (cut and
    // upper-cased, as the file bifs do) or only cut at its first NUL (as READ IMAGE does), with
    // drive C, drive D, or none.
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string_view prefixes[] = {"C:", "c:\\", "D:/", ""};
    const std::string raw = std::string(prefixes[data[0] % 4]) + std::string(rest);
    const std::string name = data[0] & 4 ? raw.substr(0, raw.find('\0')) : engine_file_name(raw);
    const std::string mapped = host_path(name);

    const bool drive = name.size() >= 2 && name[1] == ':' &&
                       ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
    const bool rooted = !drive && !name.empty() && (name[0] == '/' || name[0] == '\\');
    if (name.empty()) {
        if (!mapped.empty()) fail("the empty name maps to a path", name, mapped);
        return;
    }
    if (mapped.empty()) fail("a name maps to the empty path", name, mapped);
    if (rooted) return; // the host's root: nothing to stay inside
    const char letter = drive ? char(name[0] & ~0x20) : 0;
    if (drive && letter != 'C' && letter != 'D') return; // a drive of the host's root
    const fs::path root = letter == 'C' ? t.c : letter == 'D' ? t.d : fs::path();

    // The components the name asks for, with `..` taken back lexically; at a drive's root it
    // stays there. A relative name may rise above the working directory, as on the host.
    std::vector<std::string> asked;
    bool rose_above = false;
    for (const std::string& c : components(name, drive ? 2 : 0)) {
        if (c != "..") asked.push_back(c);
        else if (!asked.empty()) asked.pop_back();
        else rose_above = true;
    }
    if (drive) {
        if (!inside(mapped, root)) fail("a drive name leaves its drive's directory", name, mapped);
    } else if (!rose_above && !inside(fs::current_path() / mapped, fs::current_path())) {
        fail("a relative name leaves the working directory", name, mapped);
    }

    // Each component of the mapped path is the one asked for, or an entry of its directory that
    // differs from it in ASCII case alone.
    const std::string prefix = drive ? root.string() : std::string();
    if (mapped.compare(0, prefix.size(), prefix) != 0)
        fail("a drive name does not start at its drive's directory", name, mapped);
    std::vector<std::string> got;
    for (const std::string& c : components(mapped, prefix.size())) {
        if (c != "..") got.push_back(c);
        else if (!got.empty()) got.pop_back();
    }
    if (rose_above) return;
    if (got.size() != asked.size()) fail("the mapping changed the number of components", name,
                                         mapped);
    for (size_t i = 0; i < got.size(); ++i)
        if (got[i].size() != asked[i].size() ||
            strncasecmp(got[i].c_str(), asked[i].c_str(), got[i].size()) != 0)
            fail("the mapping changed a component beyond its case", name, mapped);
}

} // namespace quillet::fuzz
