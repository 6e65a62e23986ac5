#include "ui/switch_stack.h"

namespace quillet {

void reset_switch_stack() {
    switch_stack = SwitchStack{};
}

void push_switch(int32_t word) {
    if (switch_stack.words.size() < switch_stack_limit) switch_stack.words.push_back(word);
}

int32_t pop_switch() {
    if (switch_stack.words.empty()) return 0;
    int32_t word = switch_stack.words.back();
    switch_stack.words.pop_back();
    return word;
}

} // namespace quillet
