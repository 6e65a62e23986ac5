// Database access through ODBC: ten connection slots, statements run directly, result rows
// fetched as text, the catalog functions for tables and columns. ODBC 2 behaviour.
//
// Every slot holds its own load of the driver manager (devices/odbc_library.h), so the library
// is loaded at every connect and released at every disconnect. Errors leave through raise_error,
// or as DatabaseError when the driver's first diagnostic message goes with them.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

inline constexpr int32_t database_slot_count = 10;

namespace database_error {
inline constexpr int32_t cannot_connect = -14000;
inline constexpr int32_t not_connected = -14001;
inline constexpr int32_t bad_query = -14003;
inline constexpr int32_t no_results = -14004;
inline constexpr int32_t bad_argument = -14008;
inline constexpr int32_t statement_failed = -14009;
inline constexpr int32_t unknown_implementation = -14010;
inline constexpr int32_t too_many_connections = -14011;
inline constexpr int32_t too_few_values = -11273;
} // namespace database_error

// An error with the message of the driver manager's first diagnostic record (at most 128 bytes).
struct DatabaseError {
    int32_t code;
    std::string message;
};

// Connection strings; nullopt takes the default (data source: this host's name; user "nobody";
// password empty).
struct DatabaseLogin {
    std::optional<std::string> data_source;
    std::optional<std::string> user;
    std::optional<std::string> password;
};

struct ResultCounts {
    int32_t rows;    // as the driver reports it; -1 when it does not know
    int32_t columns; // 0 when the statement made no result set
};

struct FetchedRows {
    std::string text;                   // every field of every row, back to back
    std::vector<int32_t> field_lengths; // in row order, then column order; 0 for a null
    int32_t rows = 0;
};

// Connects in the lowest free slot (-14011 when all ten are in use). The slot's number goes to
// took_slot before the connect is tried, so a program's connection variable holds it even when
// the connect fails; a failed connect leaves the slot free.
void database_connect(const DatabaseLogin& login, const std::function<void(int32_t)>& took_slot);

// Frees a slot: statement, connection, environment and the library's load. A free slot is left
// as it is.
void database_disconnect(int32_t slot);

// Runs one SQL statement (-14003 when empty or holding a NUL byte).
ResultCounts database_execute(int32_t slot, std::string_view sql);

// Fetches rows first.. (1-based; 0 means 1), at most count of them (0 or less: all that are
// left) from the result set, and closes it.
FetchedRows database_fetch(int32_t slot, int32_t first, int32_t count);

// The catalog functions: tables whose names match a pattern; the columns of a table whose names
// match a pattern. A pattern with no value matches every name. Their result sets are fetched as
// any other.
// A table name with no value goes to the driver as a null pointer.
ResultCounts database_tables(int32_t slot, const std::optional<std::string>& table_pattern);
ResultCounts database_columns(int32_t slot, const std::optional<std::string>& table,
                              const std::optional<std::string>& column_pattern);

// Raises -14001 unless the slot is connected.
void database_require_connection(int32_t slot);

// The slot's environment, connection and statement as numbers relative to the slot (host handles
// do not fit in 32 bits): 100 * slot + 1, + 2 and + 3, or 0 for a handle the slot has not.
std::array<uint32_t, 3> database_handles(int32_t slot);

} // namespace quillet
