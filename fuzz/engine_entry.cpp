// Runs the engine on arbitrary image bytes within one process: a bounded number of ops, no
// native libraries, and every way the program ends (program end, fatal stops) returning here
// instead of ending the process. The differential entry runs the bytes twice, from the op stream
// alone and with decoded ops, and requires the same end.
#include "bcode/bifs.h"
#include "bcode/trailer.h"
#include "bifs/install_bifs.h"
#include "entries.h"
#include "interp/decoded_ops.h"
#include "interp/exceptions.h"
#include "interp/fatal.h"
#include "interp/native_routines.h"
#include "interp/op_loop.h"
#include "interp/registers.h"
#include "startup/image_loader.h"
#include "startup/program_start.h"
#include "values/debug_log.h"
#include "values/errors.h"
#include "values/memory.h"
#include "values/values_state.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace quillet::fuzz {
namespace {

struct RunEnded {
    int code;
};

[[noreturn]] void end_run(int code) {
    throw RunEnded{code};
}

// How a run ended: the exit code (-1 when start_program returned), its debug log, the registers
// and the count of ops, and the arena up to the heap's top.
struct RunEnd {
    int code = -1;
    bool code_written = false; // the program wrote into its modules' code or tables
    std::string log;
    uint32_t op_count = 0;
    Addr pc = 0, fp = 0, sp = 0;
    uint32_t module = 0;
    int32_t flag = 0;
    std::vector<std::byte> arena;
};

// Whether the laid-out program's modules differ from the image in their code and tables, up to
// each one's line table: what decoded ops are made from, which a program does not write.
bool module_code_written(std::span<const uint8_t> image) {
    for (const ModuleRecord& m : program.modules) {
        size_t at = m.base - program.image, end = m.line_table - program.image;
        if (end > image.size() || at > end) continue;
        if (std::memcmp(host_ptr(m.base), image.data() + at, end - at) != 0) return true;
    }
    return false;
}

// One run of the bytes, decoded or from the op stream alone; compared: one of the differential
// entry's two runs, which keeps what it compares and refuses the bifs that read the time of day.
RunEnd run_image(const uint8_t* data, size_t size, bool decode, bool compared) {
    std::span<const uint8_t> image(data, size);
    reset_engine();
    install_bifs();
    // A fuzzed program must not touch files, run commands, use the network or devices, sleep or
    // wait for a peer or a user: a bif that reaches any of them (bifs.def) ends its run as an
    // unimplemented bif.
    for (const bcode::BifInfo& b : bcode::all_bifs())
        if (b.reach) bif_table.native[b.number] = nullptr;
    // Two runs of one program differ where it reads the time of day or seeds its random numbers
    // from it.
    if (compared)
        for (const char* name : {"time", "randomize"})
            bif_table.native[bcode::bif_by_name(name)->number] = nullptr;
    // A fault found while freeing may come from a destructor, which must not throw: the run goes
    // on with the block left alone and ends at its op budget.
    memory_fault_policy.hook = [](Addr) {};
    native_policy.enabled = false;
    exit_policy.hook = end_run;
    decode_policy.enabled = decode;
    // 16000 ops, as raises are slow under the sanitizers; counted in ops run, whatever op-step
    // divisor the program sets (bif 454).
    bound_run_to_ops(16000);
    // A program that doubles a string thirty times is legitimate; under the fuzzer it runs out
    // of memory at 256 MiB instead of at 4 GiB.
    heap.limit = 256u << 20;

    // The debug log (fatal stops and diagnostics) in an anonymous file, which leaves the
    // sandbox's directory empty.
    int log_fd = compared ? memfd_create("quillet-fuzz-log", 0) : -1;
    if (log_fd >= 0) debug_log_open_file("/proc/self/fd/" + std::to_string(log_fd));

    std::vector<uint8_t> file(image.begin(), image.end());
    bcode::append_trailer(uint32_t(image.size()), file);
    RunEnd end;
    try {
        load_image_from(file);
        start_program();
    } catch (const RunEnded& e) {
        end.code = e.code;
    }
    end.code_written = module_code_written(image);
    decode_policy.enabled = true;
    end.op_count = vm.op_counter;
    end.pc = vm.pc;
    end.fp = vm.fp();
    end.sp = vm.sp;
    end.module = vm.module;
    end.flag = vm.flag;
    if (compared && heap.top) end.arena.assign(host_ptr(0), host_ptr(0) + heap.top);
    if (log_fd >= 0) {
        char buffer[4096];
        for (ssize_t n; (n = pread(log_fd, buffer, sizeof buffer, off_t(end.log.size()))) > 0;)
            end.log.append(buffer, size_t(n));
        close(log_fd);
        debug_log_state.path.clear();
    }
    return end;
}

void expect_same(const char* what, uint64_t op_stream, uint64_t decoded) {
    if (op_stream == decoded) return;
    std::fprintf(stderr, "decoded ops differ from the op stream: %s %llu, decoded %llu\n", what,
                 static_cast<unsigned long long>(op_stream),
                 static_cast<unsigned long long>(decoded));
    std::abort();
}

} // namespace

void run_engine_on(const uint8_t* data, size_t size) {
    run_image(data, size, true, false);
}

void run_engine_both_ways(const uint8_t* data, size_t size) {
    RunEnd a = run_image(data, size, false, true);
    // A program that writes into its own code runs the ops it had when they were decoded, not
    // what it wrote: the two ways part there.
    if (a.code_written) return;
    RunEnd b = run_image(data, size, true, true);
    expect_same("exit code", uint64_t(a.code), uint64_t(b.code));
    if (a.log != b.log) {
        std::fprintf(stderr,
                     "decoded ops differ from the op stream: the debug log\n%s\ndecoded\n%s",
                     a.log.c_str(), b.log.c_str());
        std::abort();
    }
    // After a fatal stop only what it said is seen: a decoded handler stops with its registers
    // and count of ops in the loop's locals.
    if (a.code == fatal_exit_status) return;
    expect_same("op count", a.op_count, b.op_count);
    expect_same("pc", a.pc, b.pc);
    expect_same("frame", a.fp, b.fp);
    expect_same("stack pointer", a.sp, b.sp);
    expect_same("module", a.module, b.module);
    expect_same("flag", uint64_t(a.flag), uint64_t(b.flag));
    expect_same("arena size", a.arena.size(), b.arena.size());
    auto [x, y] = std::mismatch(a.arena.begin(), a.arena.end(), b.arena.begin());
    if (x != a.arena.end()) {
        std::fprintf(stderr,
                     "decoded ops differ from the op stream: arena byte %zu is %d, decoded %d "
                     "(value stack from %u)\n",
                     size_t(x - a.arena.begin()), int(*x), int(*y), vm.stack_base);
        std::abort();
    }
}

} // namespace quillet::fuzz
