// Runs the engine on arbitrary image bytes within one process: a bounded number of ops, no
// native libraries, and every way the program ends (program end, fatal stops) returning here
// instead of ending the process.
#include "bcode/bifs.h"
#include "bcode/trailer.h"
#include "bifs/install_bifs.h"
#include "entries.h"
#include "interp/exceptions.h"
#include "interp/fatal.h"
#include "interp/native_routines.h"
#include "interp/op_loop.h"
#include "interp/registers.h"
#include "startup/image_loader.h"
#include "startup/program_start.h"
#include "values/errors.h"
#include "values/memory.h"

#include <vector>

namespace quillet::fuzz {
namespace {

struct RunEnded {};

[[noreturn]] void end_run(int) {
    throw RunEnded{};
}

} // namespace

void run_engine_on(const uint8_t* data, size_t size) {
    std::span<const uint8_t> image(data, size);
    reset_engine();
    install_bifs();
    // A fuzzed program must not touch files, run commands, use the network or devices, sleep or
    // wait for a peer or a user: a bif that reaches any of them (bifs.def) ends its run as an
    // unimplemented bif.
    for (const bcode::BifInfo& b : bcode::all_bifs())
        if (b.reach) bif_table.native[b.number] = nullptr;
    // A fault found while freeing may come from a destructor, which must not throw: the run goes
    // on with the block left alone and ends at its op budget.
    memory_fault_policy.hook = [](Addr) {};
    native_policy.enabled = false;
    exit_policy.hook = end_run;
    // 16000 ops, as raises are slow under the sanitizers; counted in ops run, whatever op-step
    // divisor the program sets (bif 454).
    bound_run_to_ops(16000);
    // A program that doubles a string thirty times is legitimate; under the fuzzer it runs out
    // of memory at 256 MiB instead of at 4 GiB.
    heap.limit = 256u << 20;

    std::vector<uint8_t> file(image.begin(), image.end());
    bcode::append_trailer(uint32_t(image.size()), file);
    try {
        load_image_from(file);
        start_program();
    } catch (const RunEnded&) {
    }
}

} // namespace quillet::fuzz
