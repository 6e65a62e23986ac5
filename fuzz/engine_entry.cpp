#include "engine_entry.h"

#include "bcode/trailer.h"
#include "bifs/install_bifs.h"
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

// Bifs that reach the machine: files and directories, host commands, the clock, chaining, pauses,
// the journal, pipes, sockets, serial ports and databases, event waits, dialogs, tunes and
// printing. A fuzzed program must not delete or write files, run commands, sleep or wait for a
// peer or a user; calling one of these ends its run as an unimplemented bif.
constexpr bif::Number host_bifs[] = {
    bif::file_open,       bif::file_close,       bif::file_read,      bif::file_write,
    bif::file_set_length, bif::file_delete,      bif::file_rename,    bif::current_directory,
    bif::file_lock,       bif::file_system,      bif::run_command,    bif::chain,
    bif::pause,           bif::postscript_begin, bif::postscript_add, bif::postscript_end,
    bif::pipe_call,       bif::socket_call,      bif::serial_call,    bif::database_call,
    bif::get_event,       bif::dialog_box,       bif::play_sound,     bif::print_lines,
};

} // namespace

void run_engine_on(std::span<const uint8_t> image) {
    reset_engine();
    install_bifs();
    for (bif::Number n : host_bifs)
        bif_table.native[n] = nullptr;
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
