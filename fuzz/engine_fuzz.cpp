// libFuzzer target: arbitrary images through the loader and a bounded run of the interpreter.
#include "engine_entry.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quillet::fuzz::run_engine_on({data, size});
    return 0;
}
