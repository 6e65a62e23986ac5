// Shared helpers of the values tests: an arena-backed fixture that also checks for leaked blocks,
// and a way to observe which error a primitive raised.
#pragma once

#include "values/arena.h"
#include "values/errors.h"
#include "values/memory.h"

#include <cstdint>
#include <gtest/gtest.h>

namespace quillet {

// Every test starts with the arena reserved and must give back every block it allocated.
class ValuesTest : public ::testing::Test {
protected:
    void SetUp() override {
        arena_init();
        blocks_before_ = heap.blocks_in_use;
    }
    void TearDown() override {
        EXPECT_EQ(heap.blocks_in_use, blocks_before_) << "the test leaked heap blocks";
    }

private:
    uint32_t blocks_before_ = 0;
};

// The error code fn raised, or 0 when it returned normally.
template <typename Fn>
int32_t raised(Fn&& fn) {
    try {
        fn();
    } catch (const BasicError& e) {
        return e.code;
    }
    return 0;
}

} // namespace quillet
