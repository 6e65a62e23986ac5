// Runs the image reader's fuzz entry over files (or every file of directories).
#include "image_reader_entry.h"
#include "replay_inputs.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: image_reader_replay FILE|DIR...\n";
        return 2;
    }
    long count = quillet::fuzz::replay_inputs(1, argc, argv, [](std::vector<uint8_t>& b) {
        quillet::fuzz::read_image_bytes(b.data(), b.size());
    });
    return count < 0 ? 1 : 0;
}
