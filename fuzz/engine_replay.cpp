// Runs the engine fuzz entry over every file of the given directories, as a test: each image
// must end cleanly (a program end or a fatal stop), never crash.
#include "engine_entry.h"
#include "replay_inputs.h"

int main(int argc, char** argv) {
    long count = quillet::fuzz::replay_inputs(
        1, argc, argv, [](std::vector<uint8_t>& b) { quillet::fuzz::run_engine_on(b); });
    return count > 0 ? 0 : 1;
}
