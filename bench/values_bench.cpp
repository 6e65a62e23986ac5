// Benchmarks of the value primitives: the arena allocator against glibc, number arithmetic on
// both forms, and growing a string one byte at a time.
#include "values/memory.h"
#include "values/numbers.h"
#include "values/strings.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <random>
#include <vector>

namespace quillet {
namespace {

// A mixed workload of string-sized blocks: a pool of slots, each step frees the block of a random
// slot or allocates 8 to 200 bytes into it, so frees come in random order.
struct Workload {
    std::vector<uint32_t> slot;
    std::vector<uint32_t> size;
    static constexpr size_t slots = 4096;
    Workload() {
        std::mt19937 rng(7);
        for (int i = 0; i < 1 << 16; ++i) {
            slot.push_back(rng() % slots);
            size.push_back(8 + rng() % 193);
        }
    }
};

const Workload& workload() {
    static Workload w;
    return w;
}

template <typename Alloc, typename Free, typename Handle>
void run_workload(benchmark::State& state, Alloc alloc, Free release, Handle none) {
    const Workload& w = workload();
    std::vector<Handle> live(Workload::slots, none);
    for (auto _ : state) {
        for (size_t i = 0; i < w.slot.size(); ++i) {
            Handle& h = live[w.slot[i]];
            if (h != none) {
                release(h);
                h = none;
            } else {
                h = alloc(w.size[i]);
                benchmark::DoNotOptimize(h);
            }
        }
    }
    for (Handle& h : live)
        if (h != none) release(h);
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(w.slot.size()));
}

void BM_ArenaAllocator(benchmark::State& state) {
    run_workload(
        state, [](uint32_t n) { return mem_alloc(n); }, [](Addr a) { mem_free(a); }, Addr{0});
}
BENCHMARK(BM_ArenaAllocator);

void BM_GlibcMalloc(benchmark::State& state) {
    run_workload(
        state, [](uint32_t n) { return std::malloc(n); }, [](void* p) { std::free(p); },
        static_cast<void*>(nullptr));
}
BENCHMARK(BM_GlibcMalloc);

// Sums over a vector of operands, so that the compiler cannot fold the arithmetic away.
template <typename Op>
void run_arith(benchmark::State& state, std::vector<Cell> operands, Op op) {
    for (auto _ : state) {
        Cell acc = operands[0];
        for (size_t i = 1; i < operands.size(); ++i) {
            acc = op(operands[i - 1], operands[i]);
            benchmark::DoNotOptimize(acc);
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(operands.size() - 1));
}

std::vector<Cell> int_operands() {
    std::vector<Cell> v;
    for (int i = 0; i < 1024; ++i)
        v.push_back(num_int(i * 37 % 20000 - 10000));
    return v;
}

std::vector<Cell> double_operands() {
    std::vector<Cell> v;
    for (int i = 0; i < 1024; ++i)
        v.push_back(num_double(i * 0.37 - 100.5));
    return v;
}

void BM_NumAddInteger(benchmark::State& s) {
    run_arith(s, int_operands(), num_add);
}
void BM_NumAddDouble(benchmark::State& s) {
    run_arith(s, double_operands(), num_add);
}
void BM_NumMulInteger(benchmark::State& s) {
    run_arith(s, int_operands(), num_mul);
}
void BM_NumMulDouble(benchmark::State& s) {
    run_arith(s, double_operands(), num_mul);
}
BENCHMARK(BM_NumAddInteger);
BENCHMARK(BM_NumAddDouble);
BENCHMARK(BM_NumMulInteger);
BENCHMARK(BM_NumMulDouble);

// s = s + "x", n times, through the in-place reserve: linear in n.
void BM_StringGrowByOneByte(benchmark::State& state) {
    const int32_t steps = int32_t(state.range(0));
    Addr cell = mem_alloc(8);
    for (auto _ : state) {
        store_cell(cell, make_cell(empty_string, no_max_length));
        for (int32_t i = 0; i < steps; ++i) {
            int32_t length = str_length(load_u32(cell));
            Addr rec = str_reserve(cell, length + 1);
            store_u8(str_text(rec) + uint32_t(length), 'x');
            str_set_length(rec, length + 1);
        }
        benchmark::DoNotOptimize(load_u32(cell));
        str_release(load_u32(cell));
    }
    mem_free(cell);
    state.SetItemsProcessed(int64_t(state.iterations()) * steps);
}
BENCHMARK(BM_StringGrowByOneByte)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace quillet
