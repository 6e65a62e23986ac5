// Runs a fuzz entry over files (every regular file of the directories named), as a test in
// every build: the seeds and the inputs that once failed are exercised by every compiler, not
// only under libFuzzer. The inputs are read first; the entry then runs in a sandbox.
#include "entries.h"
#include "sandbox.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Entry = void (*)(const uint8_t*, size_t);

struct NamedEntry {
    std::string_view name;
    Entry entry;
};

constexpr NamedEntry entries[] = {
    {"image_reader", quillet::fuzz::read_image_bytes},
    {"engine", quillet::fuzz::run_engine_on},
    {"engine_differential", quillet::fuzz::run_engine_both_ways},
    {"bmp_reader", quillet::fuzz::read_bmp_file},
    {"png_reader", quillet::fuzz::read_png_file},
    {"jpeg_reader", quillet::fuzz::read_jpeg_file},
    {"asm", quillet::fuzz::assemble_text},
    {"compiler", quillet::fuzz::compile_basic_text},
    {"disasm", quillet::fuzz::disassemble_image},
    {"input_script", quillet::fuzz::parse_input_script_text},
    {"conversions", quillet::fuzz::convert_numbers_and_texts},
    {"path_mapping", quillet::fuzz::map_file_name},
};

} // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    Entry entry = nullptr;
    for (const NamedEntry& e : entries)
        if (argc > 1 && e.name == argv[1]) entry = e.entry;
    if (!entry || argc < 3) {
        std::cerr << "usage: fuzz_replay ENTRY FILE|DIR...\nentries:";
        for (const NamedEntry& e : entries)
            std::cerr << " " << e.name;
        std::cerr << "\n";
        return 2;
    }
    std::vector<fs::path> files;
    for (int i = 2; i < argc; ++i) {
        if (fs::is_directory(argv[i])) {
            for (const auto& item : fs::directory_iterator(argv[i]))
                if (item.is_regular_file()) files.push_back(item.path());
        } else {
            files.push_back(argv[i]);
        }
    }
    std::vector<std::vector<uint8_t>> inputs;
    for (const fs::path& f : files) {
        std::ifstream in(f, std::ios::binary);
        if (!in) {
            std::cerr << "cannot read " << f << "\n";
            return 1;
        }
        inputs.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // Nothing replayed checks nothing: a missing corpus is a failure.
    if (inputs.empty()) {
        std::cerr << "no inputs\n";
        return 1;
    }
    // No entry may write files: each input must leave the sandbox as empty as it found it.
    int written = 0;
    {
        quillet::fuzz::Sandbox sandbox;
        for (size_t i = 0; i < inputs.size(); ++i) {
            entry(inputs[i].data(), inputs[i].size());
            std::string names = sandbox.contents();
            if (names.empty()) continue;
            std::cerr << files[i].string() << " wrote into the working directory:\n" << names;
            ++written;
            for (const auto& item : fs::directory_iterator(sandbox.path()))
                fs::remove_all(item.path());
        }
    }
    std::cout << "replayed " << inputs.size() << " inputs\n";
    return written ? 1 : 0;
}
