// Every fuzz run works in a fresh temporary directory of its own, removed when the run ends, so
// that whatever the code under test writes by a relative name stays away from the tree and from
// other runs.
#pragma once

#include <filesystem>
#include <string>

namespace quillet::fuzz {

class Sandbox {
public:
    // Makes $TMPDIR/quillet-fuzz-XXXXXX (/tmp without TMPDIR) the working directory.
    Sandbox();
    // Back to the former working directory; the sandbox and all in it removed.
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    const std::filesystem::path& path() const { return dir_; }
    // The names of what the sandbox holds, one a line: what the code under test wrote.
    std::string contents() const;

private:
    std::filesystem::path former_, dir_;
};

// For a libFuzzer target's LLVMFuzzerInitialize: makes the paths of the command line (corpus
// directories, files to run, artifact and dictionary paths) absolute, names the former working
// directory as -artifact_prefix when none is given, and enters a sandbox removed at exit. A
// crash leaves the sandbox behind (libFuzzer ends with _Exit); `make fuzz` runs every target
// with TMPDIR in a directory it removes afterwards.
void enter_sandbox_for_libfuzzer(int* argc, char*** argv);
// For a libFuzzer target, after each input: aborts, naming them, when the input left anything
// in the sandbox. No fuzzed entry may write files.
void check_sandbox_untouched();

} // namespace quillet::fuzz
