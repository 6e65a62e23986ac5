// The exit characters of an edit field: keys that end the field's editing when they reach its
// window. Ten slots; a freed slot stays counted, so a list that has held ten keys refuses any
// further change.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace quillet {

class ExitChars {
public:
    static constexpr int capacity = 10;

    // A key k >= 0 is added (nothing when present); -k frees every slot holding k. False, and
    // nothing changed, when all ten slots have been used.
    bool set(int32_t value);
    bool contains(int32_t key) const;
    // The keys of the used slots that are not free, in slot order.
    std::vector<int32_t> keys() const;

private:
    static constexpr int32_t free_slot = -1;
    std::array<int32_t, capacity> m_slots{};
    int m_used = 0;
};

} // namespace quillet
