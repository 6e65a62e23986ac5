// Arena allocator: classes, reuse, resizing and a randomized run against a model.
#include "values/memory.h"

#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <sys/mman.h>
#include <vector>

namespace quillet {
namespace {

TEST(Memory, BlocksHaveTheirRequestedSizeAndDoNotOverlap) {
    Addr a = mem_alloc(10), b = mem_alloc(10), c = mem_alloc(300);
    EXPECT_NE(a, 0u);
    EXPECT_EQ(mem_size(a), 10u);
    EXPECT_EQ(mem_size(c), 300u);
    EXPECT_GE(b >= a ? b - a : a - b, 16u);
    EXPECT_EQ(a % 8, 0u);
    mem_free(a);
    mem_free(b);
    mem_free(c);
}

TEST(Memory, FreedBlockIsReusedByTheNextRequestOfItsClass) {
    Addr a = mem_alloc(40);
    mem_free(a);
    EXPECT_EQ(mem_alloc(36), a);
    mem_free(a);
}

TEST(Memory, FreeOfNullIsIgnored) {
    mem_free(0);
}

TEST(Memory, ResizeKeepsContentsAndGrowsInPlaceWithinTheClass) {
    Addr a = mem_alloc(20);
    for (uint8_t i = 0; i < 20; ++i)
        store_u8(a + i, i);
    EXPECT_EQ(mem_resize(a, 24), a);
    EXPECT_EQ(mem_size(a), 24u);
    Addr b = mem_resize(a, 5000);
    EXPECT_EQ(mem_size(b), 5000u);
    for (uint8_t i = 0; i < 20; ++i)
        EXPECT_EQ(load_u8(b + i), i);
    Addr c = mem_resize(b, 3);
    EXPECT_EQ(load_u8(c + 2), 2);
    EXPECT_EQ(mem_resize(c, 0), 0u);
    Addr d = mem_resize(0, 12);
    EXPECT_EQ(mem_size(d), 12u);
    mem_free(d);
}

TEST(Memory, ZallocZeroesAndDupCopies) {
    Addr a = mem_alloc(64);
    for (int i = 0; i < 64; ++i)
        store_u8(a + i, 0xEE);
    mem_free(a);
    Addr z = mem_zalloc(8, 8);
    EXPECT_EQ(mem_size(z), 64u);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(load_u8(z + i), 0);
    const char text[] = "hello";
    Addr d = mem_dup(text, 5);
    EXPECT_EQ(std::memcmp(host_ptr(d), "hello", 5), 0);
    mem_free(z);
    mem_free(d);
}

// A large zeroed block is not written page by page: its whole pages are left uncommitted (so
// the value stack and big arrays cost only what a program touches), yet every byte reads zero,
// also when the block reuses one that held data.
TEST(Memory, LargeZallocLeavesItsPagesUncommittedAndReadsZero) {
    constexpr uint32_t size = (128u << 10) + 100;
    Addr a = mem_alloc(size);
    std::memset(host_ptr(a), 0xEE, size);
    mem_free(a);
    Addr z = mem_zalloc(1, size);
    ASSERT_EQ(z, a);
    constexpr uintptr_t page = 4096;
    uintptr_t first = (reinterpret_cast<uintptr_t>(host_ptr(z)) + page - 1) & ~(page - 1);
    std::vector<unsigned char> resident(size / page - 1);
    ASSERT_EQ(mincore(reinterpret_cast<void*>(first), resident.size() * page, resident.data()), 0);
    size_t committed = 0;
    for (unsigned char r : resident)
        committed += r & 1;
    EXPECT_EQ(committed, 0u);
    for (uint32_t i = 0; i < size; ++i)
        ASSERT_EQ(load_u8(z + i), 0) << "byte " << i;
    mem_free(z);
}

TEST(Memory, GrowIfNeededOnlyGrows) {
    Addr a = mem_alloc(100);
    Addr before = a;
    mem_grow_if_needed(a, 100, 50);
    EXPECT_EQ(a, before);
    EXPECT_EQ(mem_size(a), 100u);
    mem_grow_if_needed(a, 100, 1000);
    EXPECT_EQ(mem_size(a), 1000u);
    mem_free(a);
}

TEST(Memory, ExhaustionRaises5000) {
    auto code = [](auto fn) {
        try {
            fn();
        } catch (const BasicError& e) {
            return e.code;
        }
        return 0;
    };
    EXPECT_EQ(code([] { mem_alloc(0xFFFFFFF0u); }), 5000);
    EXPECT_EQ(code([] { mem_zalloc(0x10000, 0x10001); }), 5000);
    Addr a = mem_alloc(8);
    EXPECT_EQ(code([&] { mem_resize(a, 0xFFFFFFFFu); }), 5000);
    EXPECT_EQ(mem_size(a), 8u) << "a failed resize leaves the block as it was";
    mem_free(a);
}

TEST(Memory, ALowerLimitExhaustsTheTopSoonerAndFreedBlocksStillServe) {
    uint64_t saved = heap.limit;
    heap.limit = heap.top + (1u << 20);
    Addr a = mem_alloc(600u << 10);
    bool raised = false;
    try {
        mem_alloc(600u << 10);
    } catch (const BasicError& e) {
        raised = e.code == 5000;
    }
    EXPECT_TRUE(raised) << "the second block does not fit under the limit";
    mem_free(a);
    EXPECT_EQ(mem_alloc(600u << 10), a) << "a freed block is reused under the limit";
    mem_free(a);
    heap.limit = saved;
}

// The top may reach the very end of the 32-bit addresses: the next request is out of memory, never
// a block handed out again from address 0 (where the static records live).
TEST(Memory, ATopAtTheEndOfTheAddressesIsExhausted) {
    const Heap saved = heap;
    heap = Heap{}; // no freed blocks to fall back on
    heap.top = arena_span - 4096 - mem_header_size;
    Addr last = mem_alloc(4096);
    EXPECT_EQ(uint64_t{last} + 4096, arena_span);
    Addr next = 0;
    try {
        next = mem_alloc(8);
    } catch (const BasicError& e) {
        EXPECT_EQ(e.code, 5000);
    }
    EXPECT_EQ(next, 0u) << "handed out again from the bottom of the arena";
    EXPECT_EQ(heap.top, arena_span);
    heap = saved;
}

TEST(Memory, LargeFreedBlocksAreReusedToo) {
    Addr a = mem_alloc(3u << 20);
    store_u8(a + (2u << 20), 7);
    mem_free(a);
    Addr b = mem_alloc(3u << 20);
    EXPECT_EQ(a, b);
    mem_free(b);
}

TEST(MemoryDeathTest, DoubleFreeStopsWithAMessage) {
    Addr a = mem_alloc(16);
    mem_free(a);
    EXPECT_DEATH(mem_free(a), "not a live block");
}

// Thousands of mixed steps checked against a model: each live block is filled with a pattern
// derived from its identity, and every block's bytes must survive every other step.
TEST(Memory, RandomizedStepsKeepEveryBlockIntact) {
    std::mt19937 rng(12345);
    struct Model {
        uint32_t size;
        uint8_t seed;
    };
    std::map<Addr, Model> live;
    auto fill = [](Addr a, uint32_t from, uint32_t to, uint8_t seed) {
        for (uint32_t i = from; i < to; ++i)
            store_u8(a + i, static_cast<uint8_t>(seed + i * 7));
    };
    auto intact = [](Addr a, const Model& m) {
        for (uint32_t i = 0; i < m.size; ++i)
            if (load_u8(a + i) != static_cast<uint8_t>(m.seed + i * 7)) return false;
        return true;
    };
    auto random_size = [&] {
        uint32_t r = rng() % 100;
        if (r < 70) return rng() % 201;
        if (r < 95) return rng() % 5000;
        return rng() % 300000;
    };
    uint64_t base_in_use = heap.bytes_in_use;
    for (int step = 0; step < 20000; ++step) {
        uint32_t action = rng() % 10;
        if (live.empty() || action < 5) {
            uint32_t size = random_size();
            Addr a = mem_alloc(size);
            ASSERT_EQ(live.count(a), 0u) << "block handed out twice";
            uint8_t seed = static_cast<uint8_t>(rng());
            fill(a, 0, size, seed);
            live[a] = {size, seed};
        } else {
            auto it = live.begin();
            std::advance(it, rng() % live.size());
            Addr a = it->first;
            Model m = it->second;
            ASSERT_TRUE(intact(a, m)) << "block 0x" << std::hex << a << " was overwritten";
            ASSERT_EQ(mem_size(a), m.size);
            live.erase(it);
            if (action < 8) {
                mem_free(a);
            } else {
                uint32_t size = random_size();
                if (size == 0) size = 1;
                Addr b = mem_resize(a, size);
                ASSERT_EQ(live.count(b), 0u);
                Model kept{std::min(size, m.size), m.seed};
                ASSERT_TRUE(intact(b, kept)) << "resize lost the contents";
                fill(b, 0, size, m.seed);
                live[b] = {size, m.seed};
            }
        }
    }
    for (auto& [a, m] : live) {
        ASSERT_TRUE(intact(a, m));
        mem_free(a);
    }
    EXPECT_EQ(heap.bytes_in_use, base_in_use) << "every byte handed out came back";
}

} // namespace
} // namespace quillet
