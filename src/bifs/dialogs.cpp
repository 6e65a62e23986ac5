// Bif 463, dialog boxes, and bif 450, printing lines: the operand side over
// ui/dialogs/dialog_box.h and ui/dialogs/print_lines.h. Arrays are read whole before the dialog
// runs and written back after it.
#include "bifs/install_bifs.h"
#include "interp/operands.h"
#include "ui/dialogs/dialog_box.h"
#include "ui/dialogs/font_dialog.h"
#include "ui/dialogs/print_lines.h"
#include "ui/objects/font_styles.h"
#include "values/arrays.h"
#include "values/errors.h"
#include "values/record_hold.h"
#include "values/strings.h"

#include <string>
#include <vector>

namespace quillet {
namespace {

std::vector<std::string> read_strings(Addr array_cell) {
    std::vector<std::string> out;
    Addr block = load_u32(array_cell);
    if (!block) return out;
    ArrayBlock a{block};
    for (int32_t i = 0; i < a.count(); ++i)
        out.emplace_back(str_view(load_u32(a.element(i))));
    return out;
}

std::vector<double> read_numbers(Addr array_cell) {
    std::vector<double> out;
    Addr block = load_u32(array_cell);
    if (!block) return out;
    ArrayBlock a{block};
    for (int32_t i = 0; i < a.count(); ++i)
        out.push_back(num_to_double(load_cell(a.element(i))));
    return out;
}

// Gives the array's first dimension `size` elements, its other dimensions and bounds kept.
void resize_first(Addr array_cell, int32_t size) {
    ArrayBlock a{load_u32(array_cell)};
    if (!a.addr || a.dimensions() < 1) raise_error(err::illegal_bounds);
    const int32_t dimensions = a.dimensions();
    RecordHold bounds = RecordHold::adopt(str_new(8 * dimensions));
    for (int32_t d = 0; d < dimensions; ++d) {
        Addr at = str_text(bounds.record()) + 8 * uint32_t(d);
        store_u32(at, __builtin_bswap32(uint32_t(a.lower_bound(d))));
        store_u32(at + 4, __builtin_bswap32(uint32_t(d == 0 ? size : a.size(d))));
    }
    array_redim(array_cell, bounds.record());
}

void set_string(Addr array_cell, int32_t index, std::string_view text) {
    ArrayBlock a{load_u32(array_cell)};
    if (!a.addr || index >= a.count()) {
        resize_first(array_cell, index + 1);
        a = ArrayBlock{load_u32(array_cell)};
    }
    str_set(a.element(index), text);
}

void write_strings(Addr array_cell, const std::vector<std::string>& texts) {
    for (size_t i = 0; i < texts.size(); ++i)
        set_string(array_cell, static_cast<int32_t>(i), texts[i]);
}

void write_numbers(Addr array_cell, const std::vector<int32_t>& values) {
    resize_first(array_cell, static_cast<int32_t>(values.size()));
    ArrayBlock a{load_u32(array_cell)};
    for (size_t i = 0; i < values.size() && static_cast<int32_t>(i) < a.count(); ++i)
        num_set_int(a.element(static_cast<int32_t>(i)), values[i]);
}

void dialog_box() {
    DialogBoxRequest r;
    r.left = int_operand();
    r.right = int_operand();
    r.bottom = int_operand();
    r.top = int_operand();
    const std::vector<std::string> option_names = read_strings(str_array_operand());
    const Addr option_values = num_array_operand();
    r.kind = int_operand();
    r.title = std::string(str_view(load_u32(str_operand())));
    const Addr messages = str_array_operand();
    const Addr buttons = str_array_operand();
    r.messages = read_strings(messages);
    r.buttons = read_strings(buttons);
    r.labels = read_strings(str_array_operand());
    const Addr values = str_array_operand();
    r.values = read_strings(values);
    const Addr focus_field = num_operand();
    r.focus_field = num_to_int32(load_cell(focus_field));
    r.default_button = int_operand();
    r.timeout = int_operand();
    const Addr result = num_operand();
    if (r.kind < dialog_kind::message || r.kind > dialog_kind::font)
        raise_error(dialog_error::unknown_kind);
    r.options = parse_dialog_options(option_names, read_numbers(option_values));

    const DialogBoxAnswer answer = run_dialog_box(r);
    write_strings(values, answer.values);
    if (answer.appended_value)
        set_string(values, static_cast<int32_t>(answer.values.size()), *answer.appended_value);
    if (answer.counted_selection) write_numbers(option_values, *answer.counted_selection);
    if (answer.file_names) set_string(buttons, 0, *answer.file_names);
    if (answer.chosen_font) {
        set_string(messages, 0, answer.chosen_font->family);
        set_string(messages, 1, std::to_string(answer.chosen_font->size));
        set_string(buttons, 0, font_style_words(answer.chosen_font->style));
    }
    num_set_int(focus_field, answer.focus_field);
    num_set_int(result, answer.result);
}

void print_lines() {
    quillet::print_lines(read_strings(str_array_operand()));
}

} // namespace

void install_dialog_bifs(BifTable& t) {
    t.install(bif::dialog_box, dialog_box);
    t.install(bif::print_lines, print_lines);
}

} // namespace quillet
