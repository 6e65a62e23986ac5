// A libFuzzer target: QUILLET_FUZZ_ENTRY names the entry of entries.h it feeds.
#include "entries.h"
#include "sandbox.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    quillet::fuzz::enter_sandbox_for_libfuzzer(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quillet::fuzz::QUILLET_FUZZ_ENTRY(data, size);
    quillet::fuzz::check_sandbox_untouched();
    return 0;
}
