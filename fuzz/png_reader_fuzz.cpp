// libFuzzer target for the PNG reader.
#include "picture_file_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quillet::fuzz::read_picture_file(quillet::fuzz::PictureFileKind::png, data, size);
    return 0;
}
