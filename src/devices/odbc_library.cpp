// Loading the ODBC driver manager and looking up its entry points.
#include "devices/odbc_library.h"

#include "values/errors.h"

#include <dlfcn.h>

namespace quillet {
namespace {

template <typename F>
void look_up(void* handle, const char* name, F& entry) {
    entry = reinterpret_cast<F>(dlsym(handle, name));
}

} // namespace

OdbcLibrary::OdbcLibrary(void* handle) : handle_(handle) {
    OdbcEntryPoints& e = entry_points_;
    look_up(handle, "SQLExecDirect", e.exec_direct);
    look_up(handle, "SQLNumResultCols", e.num_result_cols);
    look_up(handle, "SQLRowCount", e.row_count);
    look_up(handle, "SQLAllocHandle", e.alloc_handle);
    look_up(handle, "SQLSetEnvAttr", e.set_env_attr);
    look_up(handle, "SQLSetConnectAttr", e.set_connect_attr);
    look_up(handle, "SQLConnect", e.connect);
    look_up(handle, "SQLGetDiagRec", e.get_diag_rec);
    look_up(handle, "SQLFreeHandle", e.free_handle);
    look_up(handle, "SQLDisconnect", e.disconnect);
    look_up(handle, "SQLFetch", e.fetch);
    look_up(handle, "SQLGetData", e.get_data);
    look_up(handle, "SQLCloseCursor", e.close_cursor);
    look_up(handle, "SQLSetPos", e.set_pos);
    look_up(handle, "SQLExtendedFetch", e.extended_fetch);
    look_up(handle, "SQLTables", e.tables);
    look_up(handle, "SQLColumns", e.columns);
    look_up(handle, "SQLSetStmtAttr", e.set_stmt_attr);
}

bool OdbcLibrary::complete() const {
    const OdbcEntryPoints& e = entry_points_;
    return e.exec_direct && e.num_result_cols && e.row_count && e.alloc_handle && e.set_env_attr &&
           e.set_connect_attr && e.connect && e.get_diag_rec && e.free_handle && e.disconnect &&
           e.fetch && e.get_data && e.close_cursor && e.set_pos && e.extended_fetch && e.tables &&
           e.columns && e.set_stmt_attr;
}

OdbcLibrary::~OdbcLibrary() {
    dlclose(handle_);
}

std::unique_ptr<OdbcLibrary> OdbcLibrary::load() {
    void* handle = dlopen(odbc_library_name, RTLD_NOW | RTLD_LOCAL);
    if (!handle) raise_error(err::native_library);
    std::unique_ptr<OdbcLibrary> library(new OdbcLibrary(handle));
    if (!library->complete()) raise_error(err::native_procedure);
    return library;
}

} // namespace quillet
