// String bifs: lengths, searches, case, packed numbers and bit fields, hashed tables, the token
// scanner, bar-separated lists, and the fast paths of number formatting and parsing.
#include "values/strings.h"

#include "bifs/install_bifs.h"
#include "interp/operands.h"
#include "values/bit_fields.h"
#include "values/case_conversion.h"
#include "values/hashed_table.h"
#include "values/number_text.h"
#include "values/packed_numbers.h"
#include "values/split_join.h"
#include "values/string_search.h"
#include "values/token_scanner.h"

namespace quillet {
namespace {

std::string_view str_operand_text() {
    return str_view(load_u32(str_operand()));
}

void pack_number() {
    Cell x = load_cell(num_operand());
    str_pack_double(str_operand(), x);
}

void unpack_number() {
    Addr record = load_u32(str_operand());
    Addr result = num_operand();
    store_cell(result, unpack_double(record));
}

void length() {
    int32_t n = str_length(load_u32(str_operand()));
    set_int_operand(n);
}

// The number-to-text and text-to-number fast paths; any other case goes to the program's own
// routine for the same bif, which reads the very operands this one started to read.
void number_to_text() {
    Addr start = vm.pc;
    Cell x = load_cell(num_operand());
    Addr text = str_operand();
    if (auto digits = integer_to_text(x)) return str_set(text, digits->view());
    vm.pc = start;
    bcode_bif(13);
}

void text_to_number() {
    Addr start = vm.pc;
    std::string_view text = str_operand_text();
    Addr result = num_operand();
    if (auto v = text_to_integer(text)) return num_set_int(result, *v);
    vm.pc = start;
    bcode_bif(14);
}

// s, t, n, R: R = search(s, t, n).
template <int32_t (*search)(std::string_view, std::string_view, int32_t)>
void search_bif() {
    std::string_view s = str_operand_text();
    std::string_view t = str_operand_text();
    int32_t n = int_operand();
    set_int_operand(search(s, t, n));
}

template <bool forward, bool in_set>
int32_t set_search(std::string_view s, std::string_view t, int32_t n) {
    return forward ? search_set_forward(s, t, n, in_set) : search_set_backward(s, t, n, in_set);
}

template <bool upper>
void change_case() {
    Addr src = str_operand();
    str_change_case(src, str_operand(), upper);
}

void write_bit_field() {
    Addr text = str_operand();
    int32_t position = int_operand();
    int32_t width = int_operand();
    int32_t value = int_operand();
    bit_field_write(text, position, width, value);
}

void read_bit_field() {
    Addr record = load_u32(str_operand());
    int32_t position = int_operand();
    int32_t width = int_operand();
    set_int_operand(bit_field_read(record, position, width));
}

void table_store() {
    Addr table = str_operand();
    Addr key = load_u32(str_operand());
    int32_t value = int_operand();
    hashed_table_store(table, key, value);
}

void table_find() {
    Addr table = load_u32(str_operand());
    std::string_view key = str_operand_text();
    set_int_operand(hashed_table_find(table, key));
}

void scan_start() {
    Addr source = load_u32(str_operand());
    ScanState& scan = scan_state;
    Addr class_cell = num_operand();
    Addr text_cell = str_operand();
    Addr position_cell = num_operand();
    Addr result = num_operand();
    str_retain(source);
    if (scan.source_record) str_release(scan.source_record);
    scan.source_record = source;
    scan.scanner = TokenScanner(str_view(source));
    scan.class_cell = class_cell;
    scan.text_cell = text_cell;
    scan.position_cell = position_cell;
    num_set_int(result, scan.scanner.line_number());
}

void scan_next() {
    ScanState& scan = scan_state;
    if (!scan.source_record) return; // no scan was started: no cells to write
    Token token = scan.scanner.next();
    store_token_text(scan.text_cell, scan.scanner, token);
    num_set_int(scan.position_cell, int32_t(token.start) + 1);
    num_set_int(scan.class_cell, token.kind);
}

void pass_number() {
    str_operand();
    int32_t n = int_operand();
    set_int_operand(n);
}

void read_two_strings() {
    str_operand();
    str_operand();
}

void join_or_split() {
    Addr text = str_operand();
    Addr array_cell = str_array_operand();
    int32_t join = int_operand();
    if (join != 0)
        join_strings(text, load_u32(array_cell), list_syntax.delimiter);
    else
        split_string(load_u32(text), array_cell, list_syntax.delimiter);
}

} // namespace

void install_string_bifs(BifTable& t) {
    t.install(bif::double_to_bytes, pack_number);
    t.install(bif::bytes_to_double, unpack_number);
    t.install(bif::string_length, length);
    t.install(bif::number_to_string, number_to_text);
    t.install(bif::string_to_number, text_to_number);
    t.install(bif::pos, search_bif<search_forward>);
    t.install(bif::upper_case, change_case<true>);
    t.install(bif::lower_case, change_case<false>);
    t.install(bif::bit_field_store, write_bit_field);
    t.install(bif::bit_field_read, read_bit_field);
    t.install(bif::hash_store, table_store);
    t.install(bif::hash_lookup, table_find);
    t.install(bif::scan_start, scan_start);
    t.install(bif::scan_next, scan_next);
    t.install(bif::ncposr, search_bif<set_search<false, false>>);
    t.install(bif::ncpos, search_bif<set_search<true, false>>);
    t.install(bif::cposr, search_bif<set_search<false, true>>);
    t.install(bif::cpos, search_bif<set_search<true, true>>);
    t.install(bif::posr, search_bif<search_backward>);
    t.install(bif::string_pair_nop, read_two_strings);
    t.install(bif::len, length);
    t.install(bif::instr, search_bif<search_forward>);
    t.install(bif::pass_integer, pass_number);
    t.install(bif::pass_integer_alt, pass_number);
    t.install(bif::split_join, join_or_split);
    t.install(bif::string_search, search_bif<search_forward>);
}

} // namespace quillet
