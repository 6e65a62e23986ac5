// The save stack of the pump-enabled flag around nested B-code runs started from window events.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quillet {

inline constexpr size_t switch_stack_limit = 1000;

struct SwitchStack {
    std::vector<int32_t> words;
};

extern SwitchStack& switch_stack; // part of the ui layer's state (ui_state.h)

// An empty stack: this part alone, as reset_ui_state does with the whole state.
void reset_switch_stack();

// Saves a word; a push beyond 1000 words is dropped.
void push_switch(int32_t word);
// The newest saved word, removed; 0 for an empty stack.
int32_t pop_switch();

} // namespace quillet
