// Cells in the arena for the string built-in tests: a string variable and a string array
// variable, each released with everything it holds.
#pragma once

#include "values/arrays.h"
#include "values/memory.h"
#include "values/strings.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

class TestCell {
public:
    explicit TestCell(int32_t max_length = no_max_length) : addr_(mem_alloc(8)) {
        store_u32(addr_, empty_string);
        store_i32(addr_ + 4, max_length);
        str_retain(empty_string);
    }
    explicit TestCell(std::string_view text) : TestCell() { set(text); }
    ~TestCell() {
        str_release(record());
        mem_free(addr_);
    }
    TestCell(const TestCell&) = delete;
    TestCell& operator=(const TestCell&) = delete;

    Addr addr() const { return addr_; }
    Addr record() const { return load_u32(addr_); }
    std::string_view text() const { return str_view(record()); }
    void set(std::string_view text) const { str_set(addr_, text); }

private:
    Addr addr_;
};

// A one-dimensional (or, with more sizes, many-dimensional) string array.
class TestStringArray {
public:
    TestStringArray(std::vector<int32_t> sizes, int32_t lower_bound = 1,
                    int32_t max_length = no_max_length)
        : cell_(mem_alloc(8)) {
        std::vector<uint8_t> tmpl{uint8_t(sizes.size())};
        for (int32_t size : sizes) {
            append_be(tmpl, lower_bound);
            append_be(tmpl, size);
        }
        append_be(tmpl, max_length);
        Addr t = mem_dup(tmpl.data(), uint32_t(tmpl.size()));
        store_u32(cell_, array_new(t, string_array));
        mem_free(t);
    }
    ~TestStringArray() {
        array_free(block().addr);
        mem_free(cell_);
    }
    TestStringArray(const TestStringArray&) = delete;
    TestStringArray& operator=(const TestStringArray&) = delete;

    Addr cell() const { return cell_; }
    ArrayBlock block() const { return ArrayBlock{load_u32(cell_)}; }
    void set(int32_t i, std::string_view text) const { str_set(block().element(i), text); }
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (int32_t i = 0; i < block().count(); ++i)
            out.emplace_back(str_view(load_u32(block().element(i))));
        return out;
    }

private:
    static void append_be(std::vector<uint8_t>& bytes, int32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes.push_back(uint8_t(uint32_t(v) >> shift));
    }
    Addr cell_;
};

} // namespace quillet
