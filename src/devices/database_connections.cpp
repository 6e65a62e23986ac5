// The connection slots of database access and the ODBC calls behind each operation.
#include "devices/database_connections.h"

#include "devices/devices_state.h"
#include "devices/odbc_library.h"
#include "values/errors.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <unistd.h>

namespace quillet {

struct DatabaseConnection {
    std::unique_ptr<OdbcLibrary> library;
    SQLHENV environment = SQL_NULL_HENV;
    SQLHDBC connection = SQL_NULL_HDBC;
    SQLHSTMT statement = SQL_NULL_HSTMT;
    bool connected = false;
    int32_t columns = 0; // of the current result set; 0 when there is none
    bool scrollable = false;

    const OdbcEntryPoints& sql() const { return library->sql(); }

    // Frees in reverse order whatever was made; the library goes last.
    ~DatabaseConnection() {
        if (!library) return;
        if (statement) sql().free_handle(SQL_HANDLE_STMT, statement);
        if (connected) sql().disconnect(connection);
        if (connection) sql().free_handle(SQL_HANDLE_DBC, connection);
        if (environment) sql().free_handle(SQL_HANDLE_ENV, environment);
    }
};

void DatabaseConnectionDeleter::operator()(DatabaseConnection* c) const noexcept {
    delete c;
}

namespace {

// Fields are read in pieces of this many bytes (with the driver's terminating NUL).
constexpr SQLLEN piece_buffer = 1024;

constexpr DatabaseSlots& slots = devices_state.databases;

std::string first_diagnostic(const DatabaseConnection& c, SQLSMALLINT type, SQLHANDLE handle) {
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLCHAR message[129] = {};
    SQLSMALLINT length = 0;
    SQLRETURN r = c.sql().get_diag_rec(type, handle, 1, state, &native, message, 128, &length);
    if (!sql_succeeded(r)) return {};
    length = std::min<SQLSMALLINT>(std::max<SQLSMALLINT>(length, 0), 128);
    return std::string(reinterpret_cast<const char*>(message), size_t(length));
}

[[noreturn]] void raise_statement_error(const DatabaseConnection& c) {
    throw DatabaseError{database_error::statement_failed,
                        first_diagnostic(c, SQL_HANDLE_STMT, c.statement)};
}

DatabaseConnection& connected_slot(int32_t slot) {
    if (slot < 0 || slot >= database_slot_count || !slots[size_t(slot)] ||
        !slots[size_t(slot)]->connected)
        raise_error(database_error::not_connected);
    return *slots[size_t(slot)];
}

std::string host_name() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return "localhost";
    return name;
}

SQLSMALLINT text_length(const std::string& text) {
    if (text.size() > size_t(SHRT_MAX)) raise_error(database_error::cannot_connect);
    return SQLSMALLINT(text.size());
}

SQLCHAR* text_pointer(std::string& text) {
    return reinterpret_cast<SQLCHAR*>(text.data());
}

// A catalog argument: null for no value, which the driver reads as "any".
SQLCHAR* text_pointer(std::optional<std::string>& text) {
    return text ? text_pointer(*text) : nullptr;
}

// A statement may still hold the cursor of a result set nobody fetched: it is closed first, so
// the next statement does not fail on an invalid cursor state.
void close_cursor(DatabaseConnection& c) {
    c.sql().close_cursor(c.statement);
    c.columns = 0;
}

ResultCounts result_counts(DatabaseConnection& c) {
    SQLSMALLINT columns = 0;
    SQLLEN rows = 0;
    if (!sql_succeeded(c.sql().num_result_cols(c.statement, &columns))) columns = 0;
    if (!sql_succeeded(c.sql().row_count(c.statement, &rows))) rows = -1;
    c.columns = columns;
    return {int32_t(std::clamp<SQLLEN>(rows, -1, INT32_MAX)), columns};
}

// Appends one field, read in pieces, and returns its length.
int32_t read_field(DatabaseConnection& c, SQLUSMALLINT column, std::string& text) {
    char piece[piece_buffer];
    size_t start = text.size();
    for (;;) {
        SQLLEN indicator = 0;
        SQLRETURN r =
            c.sql().get_data(c.statement, column, SQL_C_CHAR, piece, piece_buffer, &indicator);
        if (r == SQL_NO_DATA) break;
        if (!sql_succeeded(r)) raise_statement_error(c);
        if (indicator == SQL_NULL_DATA) break;
        // The driver's own lengths, not strlen, so bytes after a NUL in the data stay. A piece
        // cut short holds the buffer less its terminating NUL.
        SQLLEN in_buffer = piece_buffer - 1;
        if (r == SQL_SUCCESS && indicator >= 0) in_buffer = std::min(indicator, in_buffer);
        if (r == SQL_SUCCESS_WITH_INFO && indicator >= 0 && indicator < in_buffer)
            in_buffer = indicator;
        text.append(piece, size_t(in_buffer));
        if (r == SQL_SUCCESS) break;
    }
    size_t length = text.size() - start;
    if (length > size_t(INT32_MAX)) raise_error(err::out_of_memory);
    return int32_t(length);
}

} // namespace

void database_connect(const DatabaseLogin& login, const std::function<void(int32_t)>& took_slot) {
    std::unique_ptr<OdbcLibrary> library = OdbcLibrary::load();
    std::string data_source = login.data_source.value_or(host_name());
    std::string user = login.user.value_or("nobody");
    std::string password = login.password.value_or("");

    int32_t slot = 0;
    while (slot < database_slot_count && slots[size_t(slot)])
        ++slot;
    if (slot == database_slot_count) raise_error(database_error::too_many_connections);
    took_slot(slot);

    std::unique_ptr<DatabaseConnection, DatabaseConnectionDeleter> c(new DatabaseConnection);
    c->library = std::move(library);
    const OdbcEntryPoints& sql = c->sql();
    if (!sql_succeeded(sql.alloc_handle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &c->environment)) ||
        !sql_succeeded(sql.set_env_attr(c->environment, SQL_ATTR_ODBC_VERSION,
                                        reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC2), 0)) ||
        !sql_succeeded(sql.alloc_handle(SQL_HANDLE_DBC, c->environment, &c->connection)))
        raise_error(database_error::cannot_connect);
    sql.set_connect_attr(c->connection, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(5), 0);
    SQLRETURN r = sql.connect(c->connection, text_pointer(data_source), text_length(data_source),
                              text_pointer(user), text_length(user), text_pointer(password),
                              text_length(password));
    if (!sql_succeeded(r))
        throw DatabaseError{database_error::cannot_connect,
                            first_diagnostic(*c, SQL_HANDLE_DBC, c->connection)};
    c->connected = true;
    if (!sql_succeeded(sql.alloc_handle(SQL_HANDLE_STMT, c->connection, &c->statement)))
        throw DatabaseError{database_error::cannot_connect,
                            first_diagnostic(*c, SQL_HANDLE_DBC, c->connection)};
    c->scrollable = sql_succeeded(sql.set_stmt_attr(
        c->statement, SQL_ATTR_CURSOR_SCROLLABLE, reinterpret_cast<SQLPOINTER>(SQL_SCROLLABLE), 0));
    slots[size_t(slot)] = std::move(c);
}

void database_disconnect(int32_t slot) {
    if (slot < 0 || slot >= database_slot_count) raise_error(database_error::not_connected);
    slots[size_t(slot)].reset();
}

ResultCounts database_execute(int32_t slot, std::string_view sql) {
    DatabaseConnection& c = connected_slot(slot);
    if (sql.empty() || sql.find('\0') != std::string_view::npos)
        raise_error(database_error::bad_query);
    if (sql.size() > size_t(INT32_MAX)) raise_error(database_error::bad_query);
    close_cursor(c);
    std::string text(sql);
    if (!sql_succeeded(
            c.sql().exec_direct(c.statement, text_pointer(text), SQLINTEGER(text.size()))))
        raise_statement_error(c);
    return result_counts(c);
}

FetchedRows database_fetch(int32_t slot, int32_t first, int32_t count) {
    DatabaseConnection& c = connected_slot(slot);
    if (c.columns == 0) raise_error(database_error::no_results);
    ResultCounts counts = result_counts(c);
    if (first <= 0) first = 1;
    // "All rows" runs to the end of the result set: drivers need not count the rows of a query
    // (SQLite's reports 0), so the reported count cannot bound the fetch.
    int64_t wanted = count > 0 ? count : INT32_MAX;

    FetchedRows fetched;
    const OdbcEntryPoints& sql = c.sql();
    bool positioned = !c.scrollable;
    for (int32_t skip = 1; positioned && skip < first; ++skip)
        if (!sql_succeeded(sql.fetch(c.statement))) {
            wanted = 0;
            break;
        }
    while (fetched.rows < wanted) {
        SQLULEN in_rowset = 0;
        SQLUSMALLINT status[1] = {};
        SQLRETURN r =
            positioned
                ? sql.extended_fetch(c.statement, SQL_FETCH_NEXT, 0, &in_rowset, status)
                : sql.extended_fetch(c.statement, SQL_FETCH_ABSOLUTE, first, &in_rowset, status);
        positioned = true;
        if (!sql_succeeded(r)) break;
        ++fetched.rows;
        for (SQLUSMALLINT column = 1; column <= SQLUSMALLINT(counts.columns); ++column)
            fetched.field_lengths.push_back(read_field(c, column, fetched.text));
    }
    close_cursor(c);
    return fetched;
}

ResultCounts database_tables(int32_t slot, const std::optional<std::string>& table_pattern) {
    DatabaseConnection& c = connected_slot(slot);
    close_cursor(c);
    std::optional<std::string> pattern = table_pattern;
    if (!sql_succeeded(c.sql().tables(c.statement, nullptr, 0, nullptr, 0, text_pointer(pattern),
                                      SQL_NTS, nullptr, 0)))
        raise_statement_error(c);
    return result_counts(c);
}

ResultCounts database_columns(int32_t slot, const std::optional<std::string>& table,
                              const std::optional<std::string>& column_pattern) {
    DatabaseConnection& c = connected_slot(slot);
    close_cursor(c);
    std::optional<std::string> table_name = table, pattern = column_pattern;
    if (!sql_succeeded(c.sql().columns(c.statement, nullptr, 0, nullptr, 0,
                                       text_pointer(table_name), SQL_NTS, text_pointer(pattern),
                                       SQL_NTS)))
        raise_statement_error(c);
    return result_counts(c);
}

void database_require_connection(int32_t slot) {
    connected_slot(slot);
}

std::array<uint32_t, 3> database_handles(int32_t slot) {
    if (slot < 0 || slot >= database_slot_count) raise_error(database_error::not_connected);
    const DatabaseConnection* c = slots[size_t(slot)].get();
    uint32_t base = 100 * uint32_t(slot);
    if (!c) return {0, 0, 0};
    return {c->environment ? base + 1 : 0, c->connection ? base + 2 : 0,
            c->statement ? base + 3 : 0};
}

} // namespace quillet
