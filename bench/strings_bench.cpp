// Benchmarks of the string built-ins: INSTR-style searches over a 1 MB text and the token scanner
// over a 100,000-token statement, each as the bif does it, results written into cells. The same
// inputs are built by bench/lua/strings.lua for the comparison with Lua.
#include "values/arena.h"
#include "values/memory.h"
#include "values/string_search.h"
#include "values/strings.h"
#include "values/token_scanner.h"

#include <benchmark/benchmark.h>
#include <string>

namespace quillet {
namespace {

// Words picked by a small linear congruential generator, so that Lua can build the same text.
std::string word_text(size_t size) {
    static const char* const words[] = {"alpha", "beta",  "gamma", "delta", "lazy",
                                        "dog",   "quick", "brown", "fox",   "jumps"};
    std::string text;
    uint32_t state = 12345;
    while (text.size() < size) {
        state = (state * 1103515245u + 12345u) % 2147483648u;
        text += words[(state >> 16) % 10];
        text += ' ';
    }
    text.resize(size);
    return text;
}

// A string cell holding text, as a program's variable would.
Addr text_cell(std::string_view text) {
    Addr cell = mem_alloc(8);
    store_u32(cell, empty_string);
    store_i32(cell + 4, no_max_length);
    str_retain(empty_string);
    str_set(cell, text);
    return cell;
}

void release_cell(Addr cell) {
    str_release(load_u32(cell));
    mem_free(cell);
}

// Every occurrence of "lazy dog" in 1 MB, each search starting one past the previous find.
void BM_SearchForward(benchmark::State& state) {
    arena_init();
    Addr text = text_cell(word_text(1 << 20));
    Addr pattern = text_cell("lazy dog");
    Addr result = mem_alloc(8);
    int64_t found = 0;
    for (auto _ : state) {
        int32_t at = 1;
        for (;;) {
            at = search_forward(str_view(load_u32(text)), str_view(load_u32(pattern)), at);
            store_u32(result, uint32_t(at));
            if (at == 0) break;
            ++found;
            ++at;
        }
    }
    benchmark::DoNotOptimize(found);
    state.SetBytesProcessed(int64_t(state.iterations()) << 20);
    state.counters["matches"] = double(found) / double(state.iterations());
    mem_free(result);
    release_cell(pattern);
    release_cell(text);
}
BENCHMARK(BM_SearchForward)->Unit(benchmark::kMillisecond);

// One statement of 100,000 tokens: names, string names, numbers, operators, relational pairs and
// quoted strings. Each token's class, text and position go to cells as bif 98 writes them.
std::string token_source() {
    std::string source;
    for (int i = 0; i < (100000 + 13) / 14; ++i)
        source += "x1 = y$ + 12.5 * ( count - 3 ) <= \"text\" , ";
    return source;
}

void BM_ScanTokens(benchmark::State& state) {
    arena_init();
    Addr source = text_cell(token_source());
    Addr text = text_cell("");
    Addr numbers = mem_alloc(16);
    int64_t tokens = 0;
    for (auto _ : state) {
        TokenScanner scanner(str_view(load_u32(source)));
        scanner.line_number();
        for (;;) {
            Token t = scanner.next();
            if (t.kind == token_class::statement_end) break;
            store_token_text(text, scanner, t);
            store_u32(numbers, t.start + 1);
            store_u32(numbers + 8, uint32_t(t.kind));
            ++tokens;
        }
    }
    state.counters["tokens"] = double(tokens) / double(state.iterations());
    state.SetItemsProcessed(tokens);
    mem_free(numbers);
    release_cell(text);
    release_cell(source);
}
BENCHMARK(BM_ScanTokens)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace quillet
