#include "ui/objects/object_request.h"

#include "ui/objects/object_errors.h"
#include "values/numbers.h"

#include <cmath>

namespace quillet {

ObjectRequest::ObjectRequest(int32_t method, int32_t id, std::vector<std::string> names,
                             std::vector<std::string> strings, std::vector<Cell> numbers)
    : method_(method), id_(id), names_(std::move(names)), strings_(std::move(strings)),
      numbers_(std::move(numbers)) {}

std::span<const std::string> ObjectRequest::names() const {
    if (names_.size() == 1 && names_[0].empty()) return {};
    return names_;
}

Cell ObjectRequest::next_number() {
    if (number_cursor_ >= numbers_.size()) raise_error(object_error::not_enough_values);
    return numbers_[number_cursor_++];
}

int32_t ObjectRequest::next_int() {
    return num_to_int32(next_number());
}

double ObjectRequest::next_double() {
    return num_to_double(next_number());
}

const std::string& ObjectRequest::next_string() {
    if (string_cursor_ >= strings_.size()) raise_error(object_error::not_enough_values);
    return strings_[string_cursor_++];
}

void ObjectRequest::need_numbers(size_t k) const {
    if (k > numbers_left()) raise_error(object_error::not_enough_values);
}

void ObjectRequest::append_number(Cell value) {
    number_results_.push_back(value);
    returns_numbers_ = true;
}

void ObjectRequest::append_int(int32_t value) {
    append_number(num_int(value));
}

void ObjectRequest::append_double(double value) {
    // Whole numbers within 32 bits are stored in integer form.
    if (value >= -2147483648.0 && value <= 2147483647.0 && value == std::trunc(value))
        append_number(num_int(static_cast<int32_t>(value)));
    else
        append_number(num_double(value));
}

void ObjectRequest::append_string(std::string value) {
    string_results_.push_back(std::move(value));
    returns_strings_ = true;
}

} // namespace quillet
