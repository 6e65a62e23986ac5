// Bifs 487 and 508, the object bifs: the operand side of the object system. 487 passes its
// attribute names and string values as texts split at the list delimiter (and joins the string
// values back); 508 passes them as string arrays. GET results replace the value arrays, which are
// resized to hold exactly them.
#include "bifs/install_bifs.h"
#include "interp/operands.h"
#include "ui/objects/object_dispatch.h"
#include "ui/objects/window_routines.h"
#include "values/arrays.h"
#include "values/errors.h"
#include "values/record_hold.h"
#include "values/split_join.h"
#include "values/strings.h"

#include <algorithm>
#include <string>
#include <vector>

namespace quillet {
namespace {

constexpr int32_t text_edit_method_a = 22;
constexpr int32_t text_edit_method_b = 24;

std::vector<std::string> split_list(std::string_view text, char delimiter) {
    std::vector<std::string> pieces;
    if (text.empty()) return pieces;
    size_t start = 0;
    for (;;) {
        size_t at = text.find(delimiter, start);
        pieces.emplace_back(text.substr(start, at == std::string_view::npos ? at : at - start));
        if (at == std::string_view::npos) return pieces;
        start = at + 1;
    }
}

std::string join_list(const std::vector<std::string>& pieces, char delimiter) {
    std::string text;
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (i) text += delimiter;
        text += pieces[i];
    }
    return text;
}

std::vector<Cell> numbers_of(Addr array_cell) {
    std::vector<Cell> numbers;
    Addr block = load_u32(array_cell);
    if (!block) return numbers;
    ArrayBlock a{block};
    numbers.reserve(static_cast<size_t>(std::max(a.count(), 0)));
    for (int32_t i = 0; i < a.count(); ++i)
        numbers.push_back(load_cell(a.element(i)));
    return numbers;
}

std::vector<std::string> strings_of(Addr array_cell) {
    std::vector<std::string> strings;
    Addr block = load_u32(array_cell);
    if (!block) return strings;
    ArrayBlock a{block};
    for (int32_t i = 0; i < a.count(); ++i)
        strings.emplace_back(str_view(load_u32(a.element(i))));
    return strings;
}

// The array's first dimension becomes n long (others 1 long, lower bounds kept); false for an
// array that has no block to resize.
bool resize_first_dimension(Addr array_cell, size_t n) {
    Addr block = load_u32(array_cell);
    if (!block) return false;
    ArrayBlock a{block};
    int32_t dimensions = a.dimensions();
    if (dimensions < 1) return false;
    if (n > size_t(INT32_MAX)) raise_error(err::out_of_memory);
    RecordHold bounds = RecordHold::adopt(str_new(8 * dimensions));
    for (int32_t d = 0; d < dimensions; ++d) {
        uint32_t lower = uint32_t(a.lower_bound(d));
        uint32_t size = d == 0 ? uint32_t(n) : 1;
        std::byte* at = host_ptr(str_text(bounds.record()) + 8 * uint32_t(d));
        for (int i = 0; i < 4; ++i) {
            at[i] = std::byte(lower >> (24 - 8 * i));
            at[4 + i] = std::byte(size >> (24 - 8 * i));
        }
    }
    array_redim(array_cell, bounds.record());
    return true;
}

void store_numbers(Addr array_cell, const std::vector<Cell>& values) {
    if (!resize_first_dimension(array_cell, values.size())) return;
    ArrayBlock a{load_u32(array_cell)};
    for (size_t i = 0; i < values.size(); ++i)
        store_cell(a.element(int32_t(i)), values[i]);
}

void store_strings(Addr array_cell, const std::vector<std::string>& values) {
    if (!resize_first_dimension(array_cell, values.size())) return;
    for (size_t i = 0; i < values.size(); ++i)
        str_set(ArrayBlock{load_u32(array_cell)}.element(int32_t(i)), values[i]);
}

void set_text(Addr cell, std::string_view text) {
    if (text.size() > size_t(INT32_MAX)) raise_error(err::out_of_memory);
    str_set(cell, text);
}

void finish(ObjectRequest& request, Addr id_cell, Addr numbers_cell) {
    if (request.new_id()) num_set_int(id_cell, *request.new_id());
    if (request.returns_numbers()) store_numbers(numbers_cell, request.number_results());
}

// Runs the request. An error keeps what came before it: the ID of an object that CREATE made
// before one of its attributes failed (the object stays, so the program must know it) and the
// numbers a GET had already appended.
void dispatch(ObjectRequest& request, Addr id_cell, Addr numbers_cell) {
    try {
        object_call(request);
    } catch (const BasicError&) {
        finish(request, id_cell, numbers_cell);
        throw;
    }
    finish(request, id_cell, numbers_cell);
}

void object_call_texts() {
    int32_t method = int_operand();
    Addr id_cell = num_operand();
    std::string names(str_view(load_u32(str_operand())));
    Addr values_cell = str_operand();
    Addr numbers_cell = num_array_operand();
    for (char& c : names)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    std::string values(str_view(load_u32(values_cell)));
    char delimiter = list_syntax.delimiter;
    bool whole = names.empty() || ((names == "line" || names == "text") &&
                                   method != text_edit_method_a && method != text_edit_method_b);
    std::vector<std::string> name_list, value_list;
    if (whole) {
        name_list.push_back(names);
        value_list.push_back(values);
    } else {
        name_list = split_list(names, delimiter);
        value_list = split_list(values, delimiter);
    }
    ObjectRequest request(method, num_to_int32(load_cell(id_cell)), std::move(name_list),
                          std::move(value_list), numbers_of(numbers_cell));
    dispatch(request, id_cell, numbers_cell);
    if (request.returns_strings())
        set_text(values_cell, join_list(request.string_results(), delimiter));
    enter_requested_routine(request);
}

void object_call_arrays() {
    int32_t method = int_operand();
    Addr id_cell = num_operand();
    Addr names_cell = str_array_operand();
    Addr values_cell = str_array_operand();
    Addr numbers_cell = num_array_operand();
    ObjectRequest request(method, num_to_int32(load_cell(id_cell)), strings_of(names_cell),
                          strings_of(values_cell), numbers_of(numbers_cell));
    dispatch(request, id_cell, numbers_cell);
    if (request.returns_strings()) store_strings(values_cell, request.string_results());
    enter_requested_routine(request);
}

} // namespace

void install_object_bifs(BifTable& t) {
    t.install(bif::object_call, object_call_texts);
    t.install(bif::object_call_arrays, object_call_arrays);
}

} // namespace quillet
