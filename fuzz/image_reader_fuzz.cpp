// libFuzzer target for the image reader, the bound-image reader and the disassembler.
#include "image_reader_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quillet::fuzz::read_image_bytes(data, size);
    return 0;
}
