// The values layer's reset: whatever a program left in the arena, the heap, the scanner, the
// random generator, the list delimiter and the debug log, the next program starts as the first.
#include "values/debug_log.h"
#include "values/memory.h"
#include "values/random_numbers.h"
#include "values/split_join.h"
#include "values/strings.h"
#include "values/token_scanner.h"
#include "values/values_reset.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace quillet {
namespace {

// Resident pages of the process.
long resident_pages() {
    long size = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &size, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident;
}

TEST(ValuesReset, EveryArenaPageReadsZeroAndIsGivenBack) {
    reset_values_state();
    constexpr uint32_t page = 4096, pages = 16384; // 64 MiB
    Addr block = mem_alloc(pages * page);
    for (uint32_t i = 0; i < pages; ++i)
        store_u8(block + i * page, 0xA5);
    store_u8(16, 0x5A);               // below the heap
    store_cell(0xF0000000u, ~Cell{}); // far beyond the heap's top, as a corrupt store does
    long before = resident_pages();
    reset_values_state();
    long after = resident_pages();
    EXPECT_GT(before - after, long{pages} / 2) << "the pages stayed with the process";
    EXPECT_EQ(load_u8(block), 0u);
    EXPECT_EQ(load_u8(block + (pages - 1) * page), 0u);
    EXPECT_EQ(load_u8(16), 0u);
    EXPECT_EQ(load_cell(0xF0000000u), Cell{0});
    EXPECT_EQ(heap.top, heap_start);
    EXPECT_EQ(heap.blocks_in_use, 0u);
    EXPECT_EQ(mem_alloc(8), heap_start + mem_header_size);
    reset_values_state();
}

TEST(ValuesReset, GeneratorDelimiterScannerAndLogStartOver) {
    reset_values_state();
    double first = random_next(random_state);
    random_next(random_state);
    list_syntax.delimiter = ',';
    Addr source = str_new(10);
    std::memcpy(host_ptr(str_text(source)), "10 PRINT a", 10);
    scan_state.source_record = source;
    scan_state.scanner = TokenScanner(str_view(source));
    scan_state.scanner.next();

    std::filesystem::path dir = std::filesystem::temp_directory_path() / "values_reset_log";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "debug").close();
    debug_log_open(dir.string());
    debug_log("before the reset");

    reset_values_state();
    EXPECT_EQ(random_next(random_state), first);
    EXPECT_EQ(list_syntax.delimiter, '|');
    EXPECT_EQ(scan_state.source_record, 0u);
    EXPECT_TRUE(scan_state.scanner.source().empty());
    EXPECT_EQ(scan_state.scanner.position(), 0u);
    // Logging is off until start-up opens the log again, which empties it.
    debug_log("after the reset");
    std::ostringstream log;
    log << std::ifstream(dir / "debug").rdbuf();
    EXPECT_EQ(log.str(), "before the reset\n");
    debug_log_open(dir.string());
    EXPECT_EQ(std::filesystem::file_size(dir / "debug"), 0u);
    std::filesystem::remove_all(dir);
    reset_values_state();
}

} // namespace
} // namespace quillet
