// The ODBC driver manager (unixODBC's libodbc.so.2), loaded with dlopen and never linked: each
// connection holds its own load, made at connect and released at disconnect, so the engine runs
// on hosts without ODBC as long as no program connects.
#pragma once

#include <memory>
#include <sql.h>
#include <sqlext.h>
#include <string>

namespace quillet {

inline constexpr const char* odbc_library_name = "libodbc.so.2";

// The entry points the engine calls, looked up by name.
struct OdbcEntryPoints {
    decltype(&::SQLExecDirect) exec_direct;
    decltype(&::SQLNumResultCols) num_result_cols;
    decltype(&::SQLRowCount) row_count;
    decltype(&::SQLAllocHandle) alloc_handle;
    decltype(&::SQLSetEnvAttr) set_env_attr;
    decltype(&::SQLSetConnectAttr) set_connect_attr;
    decltype(&::SQLConnect) connect;
    decltype(&::SQLGetDiagRec) get_diag_rec;
    decltype(&::SQLFreeHandle) free_handle;
    decltype(&::SQLDisconnect) disconnect;
    decltype(&::SQLFetch) fetch;
    decltype(&::SQLGetData) get_data;
    decltype(&::SQLCloseCursor) close_cursor;
    decltype(&::SQLSetPos) set_pos;
    decltype(&::SQLExtendedFetch) extended_fetch;
    decltype(&::SQLTables) tables;
    decltype(&::SQLColumns) columns;
    decltype(&::SQLSetStmtAttr) set_stmt_attr;
};

// One load of the driver manager; unloaded when it goes.
class OdbcLibrary {
public:
    // Loads the library: 9003 when it cannot be loaded, -6 when an entry point is missing (the
    // library is released again then), so no call ever goes through a null pointer.
    static std::unique_ptr<OdbcLibrary> load();
    ~OdbcLibrary();
    OdbcLibrary(const OdbcLibrary&) = delete;
    OdbcLibrary& operator=(const OdbcLibrary&) = delete;

    const OdbcEntryPoints& sql() const { return entry_points_; }

private:
    explicit OdbcLibrary(void* handle);
    bool complete() const;
    void* handle_;
    OdbcEntryPoints entry_points_{};
};

inline bool sql_succeeded(SQLRETURN r) {
    return r == SQL_SUCCESS || r == SQL_SUCCESS_WITH_INFO;
}

} // namespace quillet
