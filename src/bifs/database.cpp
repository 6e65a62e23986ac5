// Bif 505, database access: the operand side of connect, execute, fetch, tables, columns,
// handles and disconnect over devices/database_connections.h. Several strings travel packed in
// one, cut by a numeric array of their lengths; counts come back in a numeric array that is
// resized to hold exactly them.
#include "bifs/install_bifs.h"
#include "devices/database_connections.h"
#include "interp/exceptions.h"
#include "interp/operands.h"
#include "values/arrays.h"
#include "values/record_hold.h"
#include "values/strings.h"

#include <cstring>
#include <optional>
#include <vector>

namespace quillet {
namespace {

// The one SQL implementation and its entry in the list of operation 0.
constexpr std::string_view implementation_list = "000|ODBC";

struct Operands {
    int32_t operation;
    Addr connection; // numeric cell
    Addr s;          // string cell
    Addr lengths;    // numeric array cell
    Addr result;     // string cell
    Addr results;    // numeric array cell
};

int32_t element_count(Addr array_cell) {
    Addr block = load_u32(array_cell);
    return block ? ArrayBlock{block}.count() : 0;
}

int32_t element(Addr array_cell, int32_t i) {
    return num_to_int32(load_cell(ArrayBlock{load_u32(array_cell)}.element(i)));
}

// Makes the array's first dimension n long (other dimensions 1 long, bounds kept) and stores
// values in its elements as integers.
void set_elements(Addr array_cell, const std::vector<int32_t>& values) {
    ArrayBlock a{load_u32(array_cell)};
    int32_t dimensions = a.dimensions();
    if (dimensions < 1) return;
    RecordHold bounds = RecordHold::adopt(str_new(8 * dimensions));
    for (int32_t d = 0; d < dimensions; ++d) {
        uint32_t lower = uint32_t(a.lower_bound(d));
        uint32_t size = d == 0 ? uint32_t(values.size()) : 1;
        std::byte* at = host_ptr(str_text(bounds.record()) + 8 * uint32_t(d));
        for (int i = 0; i < 4; ++i) {
            at[i] = std::byte(lower >> (24 - 8 * i));
            at[4 + i] = std::byte(size >> (24 - 8 * i));
        }
    }
    array_redim(array_cell, bounds.record());
    ArrayBlock resized{load_u32(array_cell)};
    for (size_t i = 0; i < values.size(); ++i)
        num_set_int(resized.element(int32_t(i)), values[i]);
}

void set_text(Addr cell, std::string_view text) {
    if (text.size() > size_t(INT32_MAX)) raise_error(err::out_of_memory);
    str_set(cell, text);
}

// The strings packed in s, cut by the lengths array in order: nullopt for a length of 0 or less
// ("no value"), an empty string for a piece the array has no length for. A length beyond the
// text takes what is left.
std::vector<std::optional<std::string>> pieces(const Operands& o, int32_t wanted) {
    std::string_view text = str_view(load_u32(o.s));
    int32_t count = element_count(o.lengths);
    std::vector<std::optional<std::string>> out;
    size_t at = 0;
    for (int32_t i = 0; i < wanted; ++i) {
        if (i >= count) {
            out.emplace_back(std::string());
            continue;
        }
        int32_t length = element(o.lengths, i);
        if (length <= 0) {
            out.emplace_back(std::nullopt);
            continue;
        }
        std::string_view piece = text.substr(std::min(at, text.size()), size_t(length));
        at += piece.size();
        out.emplace_back(std::string(piece));
    }
    return out;
}

int32_t slot_of(const Operands& o) {
    return num_to_int32(load_cell(o.connection));
}

void set_counts(const Operands& o, ResultCounts counts) {
    set_elements(o.results, {counts.rows, counts.columns});
}

void choose_implementation(const Operands& o) {
    if (element_count(o.lengths) == 0 || element(o.lengths, 0) == 0)
        return set_text(o.result, implementation_list);
    if (element_count(o.lengths) < 2) raise_error(database_error::too_few_values);
    if (element(o.lengths, 1) != 0) raise_error(database_error::unknown_implementation);
}

void connect(const Operands& o) {
    // An empty s logs in with three empty strings, whatever the lengths say.
    std::vector<std::optional<std::string>> p(3, std::string());
    if (!str_view(load_u32(o.s)).empty()) p = pieces(o, 3);
    database_connect({p[0], p[1], p[2]}, [&](int32_t slot) { num_set_int(o.connection, slot); });
}

void fetch(const Operands& o) {
    int32_t n = element_count(o.lengths);
    int32_t first = n > 0 ? element(o.lengths, 0) : 0;
    int32_t count = n > 1 ? element(o.lengths, 1) : 0;
    FetchedRows rows = database_fetch(slot_of(o), first, count);
    set_text(o.result, rows.text);
    set_elements(o.results, rows.field_lengths);
    set_elements(o.lengths, {first, rows.rows});
}

void tables(const Operands& o) {
    database_require_connection(slot_of(o));
    if (element_count(o.lengths) < 1) raise_error(database_error::too_few_values);
    auto p = pieces(o, 1);
    set_counts(o, database_tables(slot_of(o), p[0]));
}

void columns(const Operands& o) {
    database_require_connection(slot_of(o));
    if (element_count(o.lengths) < 2) raise_error(database_error::too_few_values);
    auto p = pieces(o, 2);
    set_counts(o, database_columns(slot_of(o), p[0], p[1]));
}

void handles(const Operands& o) {
    std::array<uint32_t, 3> h = database_handles(slot_of(o));
    char bytes[12];
    for (size_t i = 0; i < 3; ++i)
        for (size_t b = 0; b < 4; ++b)
            bytes[4 * i + b] = char(h[i] >> (8 * b));
    set_text(o.result, {bytes, sizeof bytes});
}

void run(const Operands& o) {
    switch (o.operation) {
    case 0: return choose_implementation(o);
    case 1: return connect(o);
    case 2:
    case 6:
    case 7: return;
    case 3: return database_disconnect(slot_of(o));
    case 4: return set_counts(o, database_execute(slot_of(o), str_view(load_u32(o.s))));
    case 5: return fetch(o);
    case 8: return tables(o);
    case 9: return columns(o);
    case 10: return handles(o);
    default: raise_error(database_error::bad_argument);
    }
}

void database_call() {
    Operands o;
    o.operation = int_operand();
    o.connection = num_operand();
    o.s = str_operand();
    o.lengths = num_array_operand();
    o.result = str_operand();
    o.results = num_array_operand();
    try {
        run(o);
    } catch (const DatabaseError& e) {
        // The driver's message goes with the error, as the program's handler sees it.
        RecordHold message = RecordHold::adopt(str_new(int32_t(e.message.size())));
        std::memcpy(host_ptr(str_text(message.record())), e.message.data(), e.message.size());
        raise_exception({.code = e.code, .message = message.record()});
    }
}

} // namespace

void install_database_bifs(BifTable& t) {
    t.install(bif::database_call, database_call);
}

} // namespace quillet
