// One call of the object bifs: the method, the ID, the attribute names, and the two value lists
// that attributes take their values from (each with its cursor) and that GET results are
// appended to. A value that is not there when an attribute needs it is error -11273.
#pragma once

#include "values/arena.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quillet {

// A library routine (a B-code bif number) to enter on behalf of a window.
struct WindowRoutine {
    int32_t window;
    uint32_t number;
};

// Thrown by an attribute after a soft error that no handler of the program took: the SET call
// ends there, the attributes before it staying set.
struct EndOfSetCall {};

class ObjectRequest {
public:
    ObjectRequest(int32_t method, int32_t id, std::vector<std::string> names,
                  std::vector<std::string> strings, std::vector<Cell> numbers);

    int32_t method() const { return method_; }
    int32_t id() const { return id_; }

    // The attribute names in order. A list of one empty name counts as no names.
    std::span<const std::string> names() const;
    bool has_names() const { return !names().empty(); }

    // The given values, untouched by the cursors.
    std::span<const std::string> strings() const { return strings_; }
    std::span<const Cell> numbers() const { return numbers_; }

    // The next value of each list, advancing its cursor; -11273 when the list has run out.
    Cell next_number();
    int32_t next_int(); // read as an integer: doubles rounded half up, saturated
    double next_double();
    const std::string& next_string();
    // Raises -11273 unless k more numbers are there (taken all at once by one attribute).
    void need_numbers(size_t k) const;
    size_t numbers_left() const { return numbers_.size() - number_cursor_; }

    // The numeric cursor starts after the first value (CREATE reads the type from it).
    void skip_number() { next_number(); }

    // GET results, in the order produced. Once a list has results it replaces that list's
    // values in the caller's operands.
    void append_number(Cell value);
    void append_int(int32_t value);
    void append_double(double value);
    void append_string(std::string value);
    const std::vector<Cell>& number_results() const { return number_results_; }
    const std::vector<std::string>& string_results() const { return string_results_; }
    bool returns_numbers() const { return returns_numbers_; }
    bool returns_strings() const { return returns_strings_; }

    // CREATE and COPY: the new ID for the caller's ID variable.
    void set_new_id(int32_t id) { new_id_ = id; }
    std::optional<int32_t> new_id() const { return new_id_; }

    // A routine to enter for a window once the call is done (the last one asked for).
    void enter_after(int32_t window, uint32_t routine) { routine_after_ = {window, routine}; }
    std::optional<WindowRoutine> routine_after() const { return routine_after_; }

private:
    int32_t method_;
    int32_t id_;
    std::vector<std::string> names_;
    std::vector<std::string> strings_;
    std::vector<Cell> numbers_;
    size_t string_cursor_ = 0;
    size_t number_cursor_ = 0;
    std::vector<Cell> number_results_;
    std::vector<std::string> string_results_;
    bool returns_numbers_ = false;
    bool returns_strings_ = false;
    std::optional<int32_t> new_id_;
    std::optional<WindowRoutine> routine_after_;
};

} // namespace quillet
