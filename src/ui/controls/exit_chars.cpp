#include "ui/controls/exit_chars.h"

#include <algorithm>
#include <climits>
#include <span>

namespace quillet {

bool ExitChars::set(int32_t value) {
    if (m_used == capacity) return false;
    auto used = std::span(m_slots).first(static_cast<size_t>(m_used));
    if (value < 0) {
        // The most negative number names a key no slot can hold (and has no negation).
        if (value == INT32_MIN) return true;
        std::replace(used.begin(), used.end(), -value, free_slot);
        return true;
    }
    if (std::find(used.begin(), used.end(), value) != used.end()) return true;
    auto free = std::find(used.begin(), used.end(), free_slot);
    if (free != used.end())
        *free = value;
    else
        m_slots[static_cast<size_t>(m_used++)] = value;
    return true;
}

bool ExitChars::contains(int32_t key) const {
    return key >= 0 &&
           std::find(m_slots.begin(), m_slots.begin() + m_used, key) != m_slots.begin() + m_used;
}

std::vector<int32_t> ExitChars::keys() const {
    std::vector<int32_t> out;
    for (int i = 0; i < m_used; ++i)
        if (m_slots[static_cast<size_t>(i)] != free_slot)
            out.push_back(m_slots[static_cast<size_t>(i)]);
    return out;
}

} // namespace quillet
