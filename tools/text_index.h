// A table from text to a number below 2^32 in one flat array (open addressing, linear
// probing). The assembler looks up every generated line and every jump's label: node-based
// hash maps spend most of that time following pointers and allocating nodes; here a look-up
// reads one 24-byte slot, which keeps part of the key's hash, and compares the text only when
// that agrees. The table keeps pointers to the texts: they must outlive it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace quillet::tools {

class TextIndex {
public:
    // The hash of a key, for a look-up followed by an insertion of the same key.
    static uint32_t hash_of(std::string_view key) {
        uint32_t h = uint32_t(std::hash<std::string_view>()(key));
        return h == 0 ? 1 : h; // 0 marks an empty slot
    }

    // Room for n keys without growing.
    void reserve(size_t n) {
        size_t want = 16;
        while (full(n, want))
            want *= 2;
        if (want > slots_.size()) rehash(want);
    }

    // The number of key, or nullptr.
    const uint32_t* find(std::string_view key) const { return find(key, hash_of(key)); }
    const uint32_t* find(std::string_view key, uint32_t h) const {
        if (slots_.empty()) return nullptr;
        for (size_t i = h & mask_;; i = (i + 1) & mask_) {
            const Slot& s = slots_[i];
            if (s.hash == 0) return nullptr;
            if (s.hash == h && s.size == key.size() && std::string_view(s.data, s.size) == key)
                return &s.value;
        }
    }

    // Adds key with its number; a key already there keeps its number (false).
    bool insert(std::string_view key, uint32_t value) { return insert(key, hash_of(key), value); }
    bool insert(std::string_view key, uint32_t h, uint32_t value) {
        if (full(count_ + 1, slots_.size())) rehash(slots_.empty() ? 16 : 2 * slots_.size());
        for (size_t i = h & mask_;; i = (i + 1) & mask_) {
            Slot& s = slots_[i];
            if (s.hash == 0) {
                s = {key.data(), uint32_t(key.size()), h, value};
                ++count_;
                return true;
            }
            if (s.hash == h && s.size == key.size() && std::string_view(s.data, s.size) == key)
                return false;
        }
    }

    size_t size() const { return count_; }
    // Empties the table and gives back its memory.
    void release() {
        std::vector<Slot>().swap(slots_);
        mask_ = 0;
        count_ = 0;
    }

private:
    struct Slot {
        const char* data = nullptr;
        uint32_t size = 0;
        uint32_t hash = 0;
        uint32_t value = 0;
    };

    // Whether n keys would fill more than 3/4 of the slots (probes grow long past that).
    static bool full(size_t n, size_t slots) { return 4 * n > 3 * slots; }

    void rehash(size_t capacity) {
        std::vector<Slot> old;
        old.swap(slots_);
        slots_.resize(capacity);
        mask_ = capacity - 1;
        for (const Slot& s : old) {
            if (s.hash == 0) continue;
            size_t i = s.hash & mask_;
            while (slots_[i].hash != 0)
                i = (i + 1) & mask_;
            slots_[i] = s;
        }
    }

    std::vector<Slot> slots_;
    size_t mask_ = 0;
    size_t count_ = 0;
};

} // namespace quillet::tools
