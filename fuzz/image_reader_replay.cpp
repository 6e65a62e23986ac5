// Runs the fuzz entry over files (or every file of directories) given on the command line, so
// that the corpus is exercised by every build, not only by clang's libFuzzer.
#include "image_reader_entry.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        if (fs::is_directory(argv[i])) {
            for (const auto& entry : fs::directory_iterator(argv[i]))
                if (entry.is_regular_file()) files.push_back(entry.path());
        } else {
            files.push_back(argv[i]);
        }
    }
    if (files.empty()) {
        std::cerr << "usage: image_reader_replay FILE|DIR...\n";
        return 2;
    }
    for (const fs::path& f : files) {
        std::ifstream in(f, std::ios::binary);
        if (!in) {
            std::cerr << "cannot read " << f << "\n";
            return 1;
        }
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
        quillet::fuzz::read_image_bytes(bytes.data(), bytes.size());
    }
    std::cout << "replayed " << files.size() << " inputs\n";
    return 0;
}
