// A table of layer objects named by small integer handles: the slot number (from 1) in the low
// 16 bits and the slot's generation above it, so a handle of a removed object never names a
// later one and a forged handle finds nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace quillet::xvt_detail {

template <typename T>
class HandleTable {
public:
    uint32_t add(std::unique_ptr<T> value) {
        size_t slot = 0;
        while (slot < m_slots.size() && m_slots[slot].value)
            ++slot;
        if (slot == m_slots.size()) {
            if (slot >= 0xFFFF) return 0;
            m_slots.emplace_back();
        }
        Slot& s = m_slots[slot];
        s.generation = s.generation % 0x7FFF + 1; // 1..0x7FFF: handles stay positive
        s.value = std::move(value);
        return (uint32_t{s.generation} << 16) | static_cast<uint32_t>(slot + 1);
    }

    T* find(uint32_t handle) const {
        size_t slot = (handle & 0xFFFF);
        if (slot == 0 || slot > m_slots.size()) return nullptr;
        const Slot& s = m_slots[slot - 1];
        return s.generation == (handle >> 16) ? s.value.get() : nullptr;
    }

    // The object leaves the table; the caller may keep it alive while it finishes with it.
    std::unique_ptr<T> remove(uint32_t handle) {
        if (!find(handle)) return nullptr;
        return std::move(m_slots[(handle & 0xFFFF) - 1].value);
    }

    std::vector<uint32_t> handles() const {
        std::vector<uint32_t> out;
        for (size_t i = 0; i < m_slots.size(); ++i)
            if (m_slots[i].value)
                out.push_back((uint32_t{m_slots[i].generation} << 16) |
                              static_cast<uint32_t>(i + 1));
        return out;
    }

private:
    struct Slot {
        uint16_t generation = 0;
        std::unique_ptr<T> value;
    };
    std::vector<Slot> m_slots;
};

} // namespace quillet::xvt_detail
