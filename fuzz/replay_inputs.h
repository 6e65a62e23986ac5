// Feeds the files named on a replay command line (every regular file of a directory named there)
// to a fuzz entry, so that the seeds and regressions are exercised by every build, not only by
// clang's libFuzzer.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

namespace quillet::fuzz {

// Runs entry(bytes) on every input named by argv[first..argc). Returns how many ran, or -1 when
// one cannot be read.
template <typename Entry>
long replay_inputs(int first, int argc, char** argv, Entry&& entry) {
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    for (int i = first; i < argc; ++i) {
        if (fs::is_directory(argv[i])) {
            for (const auto& item : fs::directory_iterator(argv[i]))
                if (item.is_regular_file()) files.push_back(item.path());
        } else {
            files.push_back(argv[i]);
        }
    }
    for (const fs::path& f : files) {
        std::ifstream in(f, std::ios::binary);
        if (!in) {
            std::cerr << "cannot read " << f << "\n";
            return -1;
        }
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
        entry(bytes);
    }
    std::cout << "replayed " << files.size() << " inputs\n";
    return static_cast<long>(files.size());
}

} // namespace quillet::fuzz
