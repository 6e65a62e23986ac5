// Runs the engine fuzz entry over every file of the given directories, as a test: each image
// must end cleanly (a program end or a fatal stop), never crash.
#include "engine_entry.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

int main(int argc, char** argv) {
    size_t count = 0;
    for (int i = 1; i < argc; ++i) {
        if (!std::filesystem::is_directory(argv[i])) continue;
        for (const auto& entry : std::filesystem::directory_iterator(argv[i])) {
            if (!entry.is_regular_file()) continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
            quillet::fuzz::run_engine_on(bytes);
            ++count;
        }
    }
    std::printf("%zu images run\n", count);
    return count ? 0 : 1;
}
