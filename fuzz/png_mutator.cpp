// The png_reader target's mutator: libFuzzer's own mutations, then every chunk's CRC made right,
// so that what the corpus keeps (and a crash file) is a PNG the reader takes as it stands.
#include "png_chunks.h"

#include <cstddef>
#include <cstdint>

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t max_size);

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t max_size,
                                          unsigned int /*seed*/) {
    size = LLVMFuzzerMutate(data, size, max_size);
    quillet::fuzz::make_png_crcs_right(data, size);
    return size;
}
