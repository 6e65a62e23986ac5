// One process running programs one after another: after reset_engine the next program sees
// nothing of the ones before, and its results are those of the same program run alone in a fresh
// engine process.
#include "assembler.h"
#include "bcode/trailer.h"
#include "bifs/install_bifs.h"
#include "binder.h"
#include "interp/fatal.h"
#include "startup/image_loader.h"
#include "startup/program_start.h"
#include "values/debug_log.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace quillet {
namespace {

namespace fs = std::filesystem;

// One program text for both images, so that they lie at the same addresses and the first one's
// leftovers land on the second one's variables; only the literal selecting the part that runs
// differs (1 or 17, literals that both use anyway). Part 1 leaves state behind: a scan in
// progress, three random numbers drawn and 1 MiB of strings in the heap (8 bytes doubled 17
// times). Any other part logs what it finds: the token text a scan step gives without a scan of
// its own and whether its first random number is the first of a run. (That the arena reads zero
// after a reset is the values layer's test.)
std::vector<uint8_t> part_image(int part) {
    std::string text = R"(module main
  routine main name "Main program"
    local num part
    local num r
    local num k
    local num y
    local num n
    local num none
    local str x
    local str big
    move )" + std::to_string(part) +
                       R"(, part
    num_eq part, 1
    jump_if_true leave_behind
    bif 98
    bif 437 "DEBUG", x, none
    bif 64, r
    num_eq r, 0.5485076904296875
    jump_if_true first_number
    bif 437 "DEBUG", "a later random number", none
    end_unit 0
  first_number:
    bif 437 "DEBUG", "the first random number", none
    end_unit 0
  leave_behind:
    bif 97, "10 PRINT a", k, x, y, r
    bif 98
    bif 64, r
    bif 64, r
    bif 64, r
    str_move "xxxxxxxx", big
  doubling:
    for_start n, 1, 17, 1, built
    concat big, big, big
    for_next doubling
  built:
    end_unit 0
end
)";
    return tools::assemble_bytes(text, "part" + std::to_string(part) + ".qba");
}

struct TempDir {
    fs::path path;
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "engine_reset.XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a directory");
        path = pattern;
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() { fs::remove_all(path); }
};

std::string read_text(const fs::path& file) {
    std::ostringstream text;
    text << std::ifstream(file, std::ios::binary).rdbuf();
    return text.str();
}

std::vector<uint8_t> read_bytes(const fs::path& file) {
    std::string text = read_text(file);
    return {text.begin(), text.end()};
}

struct ProgramEnded {};

// Runs the image in this process, as start-up does after the task window exists, with the
// debug log in dir; returns the log.
std::string run_here(const std::vector<uint8_t>& image, const fs::path& dir) {
    install_bifs();
    exit_policy.hook = [](int) { throw ProgramEnded{}; };
    std::ofstream(dir / "debug").close();
    debug_log_open(dir.string());
    std::vector<uint8_t> file = image;
    bcode::append_trailer(uint32_t(image.size()), file);
    try {
        load_image_from(file);
        start_program();
    } catch (const ProgramEnded&) {
    }
    exit_policy.hook = nullptr;
    return read_text(dir / "debug");
}

// Runs the image alone: bound to the engine, in a process of its own on the headless backend;
// returns the debug log.
std::string run_alone(const std::vector<uint8_t>& image, const fs::path& dir) {
    bool replaced = false;
    std::vector<uint8_t> bound = tools::bind_image(read_bytes(QUILLET_ENGINE), image, replaced);
    fs::path prog = dir / "prog";
    std::ofstream(prog, std::ios::binary)
        .write(reinterpret_cast<const char*>(bound.data()), std::streamsize(bound.size()));
    fs::permissions(prog, fs::perms::owner_all);
    std::ofstream(dir / "debug").close();
    std::string command = "cd '" + dir.string() + "' && QUILLET_BACKEND=headless ./prog";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return read_text(dir / "debug");
}

TEST(EngineReset, TheSecondProgramRunsAsIfAlone) {
    std::vector<uint8_t> first = part_image(1), second = part_image(17);
    ASSERT_EQ(first.size(), second.size());
    TempDir alone, here_first, here_second;
    std::string expected = run_alone(second, alone.path);
    // Alone: no token, and the first number of every run.
    EXPECT_EQ(expected, "\nthe first random number\n");

    reset_engine();
    run_here(first, here_first.path);
    reset_engine();
    EXPECT_EQ(run_here(second, here_second.path), expected);
}

} // namespace
} // namespace quillet
