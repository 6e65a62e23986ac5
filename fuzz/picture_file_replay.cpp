// Runs a picture file reader's fuzz entry over files (or every file of directories), so that the
// seeds and the regressions are exercised by every build, not only by clang's libFuzzer.
#include "picture_file_entry.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    quillet::fuzz::PictureFileKind kind;
    if (argc < 3 || !quillet::fuzz::picture_file_kind(argv[1], kind)) {
        std::cerr << "usage: picture_file_replay bmp|png|jpeg FILE|DIR...\n";
        return 2;
    }
    std::vector<fs::path> files;
    for (int i = 2; i < argc; ++i) {
        if (fs::is_directory(argv[i])) {
            for (const auto& entry : fs::directory_iterator(argv[i]))
                if (entry.is_regular_file()) files.push_back(entry.path());
        } else {
            files.push_back(argv[i]);
        }
    }
    for (const fs::path& f : files) {
        std::ifstream in(f, std::ios::binary);
        if (!in) {
            std::cerr << "cannot read " << f << "\n";
            return 1;
        }
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
        quillet::fuzz::read_picture_file(kind, bytes.data(), bytes.size());
    }
    std::cout << "replayed " << files.size() << " inputs\n";
    return 0;
}
