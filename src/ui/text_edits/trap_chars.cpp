#include "ui/text_edits/trap_chars.h"

#include <algorithm>
#include <span>

namespace quillet {

bool TrapChars::set(int32_t key, int32_t action) {
    if (m_used == capacity) return false;
    auto used = std::span(m_slots).first(static_cast<size_t>(m_used));
    if (key < 0) {
        for (TrapChar& slot : used)
            if (slot.key == -key) slot = TrapChar{};
        return true;
    }
    auto same =
        std::find_if(used.begin(), used.end(), [&](const TrapChar& t) { return t.key == key; });
    if (same != used.end()) {
        same->action = action;
        return true;
    }
    auto free =
        std::find_if(used.begin(), used.end(), [](const TrapChar& t) { return t.key == -1; });
    if (free != used.end())
        *free = {key, action};
    else
        m_slots[static_cast<size_t>(m_used++)] = {key, action};
    return true;
}

std::optional<int32_t> TrapChars::action_of(int32_t key) const {
    if (key < 0) return std::nullopt;
    for (int i = 0; i < m_used; ++i)
        if (m_slots[static_cast<size_t>(i)].key == key)
            return m_slots[static_cast<size_t>(i)].action;
    return std::nullopt;
}

std::vector<TrapChar> TrapChars::used() const {
    return {m_slots.begin(), m_slots.begin() + m_used};
}

} // namespace quillet
