// Runs a picture file reader's fuzz entry over files (or every file of directories).
#include "picture_file_entry.h"
#include "replay_inputs.h"

int main(int argc, char** argv) {
    quillet::fuzz::PictureFileKind kind;
    if (argc < 3 || !quillet::fuzz::picture_file_kind(argv[1], kind)) {
        std::cerr << "usage: picture_file_replay bmp|png|jpeg FILE|DIR...\n";
        return 2;
    }
    long count = quillet::fuzz::replay_inputs(2, argc, argv, [kind](std::vector<uint8_t>& b) {
        quillet::fuzz::read_picture_file(kind, b.data(), b.size());
    });
    return count < 0 ? 1 : 0;
}
