// The trap characters of a text edit: keys that end or interrupt its editing, each with the
// action it takes. Twenty slots; a freed slot keeps its place and is taken again first.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace quillet {

// What a trapped key does (the key is kept from the text edit unless said otherwise).
namespace trap_action {
inline constexpr int32_t suspend = 1;             // the text edit becomes inactive
inline constexpr int32_t keep = 2;                // the key only
inline constexpr int32_t suspend_if_selected = 3; // with text selected; else the key goes through
inline constexpr int32_t keep_too = 4;            // as 2
inline constexpr int32_t suspend_if_lines = 5;    // selection over more than one line; else through
} // namespace trap_action

struct TrapChar {
    int32_t key = -1; // -1: a free slot
    int32_t action = 0;
};

class TrapChars {
public:
    static constexpr int capacity = 20;

    // A key k >= 0 takes the action (a new slot, or the first free one, when k is not there);
    // -k frees every slot holding k. False, nothing changed, when all twenty slots are in use.
    bool set(int32_t key, int32_t action);
    // The action of a trapped key.
    std::optional<int32_t> action_of(int32_t key) const;
    // The slots in use (free ones included), in slot order.
    std::vector<TrapChar> used() const;

private:
    std::array<TrapChar, capacity> m_slots{};
    int m_used = 0;
};

} // namespace quillet
