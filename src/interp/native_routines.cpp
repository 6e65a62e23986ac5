#include "interp/native_routines.h"

#include "bcode/descriptor.h"
#include "interp/quillet_native.h"
#include "values/errors.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <dlfcn.h>
#include <string>
#include <vector>

namespace quillet {
namespace {

constexpr NativeLibraries& natives = interp_state.natives;

std::string arena_text(Addr a, Addr limit) {
    const char* p = reinterpret_cast<const char*>(host_ptr(a));
    return std::string(p, strnlen(p, limit - a));
}

// Windows programs name DLLs; try the name as given, then its shared-object spellings.
void* open_library(const std::string& name) {
    std::string base = name;
    for (char& c : base)
        if (c == '\\') c = '/';
    std::string lower = base;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    std::vector<std::string> candidates{base, lower};
    for (const std::string& n : {base, lower}) {
        std::string stem = n;
        if (stem.size() > 4 && (stem.ends_with(".dll") || stem.ends_with(".DLL")))
            stem.resize(stem.size() - 4);
        candidates.push_back(stem + ".so");
        if (stem.find('/') == std::string::npos) candidates.push_back("lib" + stem + ".so");
    }
    for (const std::string& c : candidates)
        if (void* h = dlopen(c.c_str(), RTLD_NOW | RTLD_LOCAL)) return h;
    return nullptr;
}

quillet_native_proc resolve(Addr d) {
    if (load_u8(d) == bcode::native_cached_mark) {
        uint32_t index = load_u32(d + 1);
        if (index == 0 || index > natives.procedures.size()) raise_error(err::native_procedure);
        return natives.procedures[index - 1];
    }
    Addr limit = d + 4096;
    std::string procedure = arena_text(d, limit);
    Addr library_at = d + Addr(procedure.size()) + 1;
    std::string library = arena_text(library_at, limit);
    void* handle = open_library(library);
    if (!handle) raise_error(err::native_library);
    auto proc = reinterpret_cast<quillet_native_proc>(dlsym(handle, procedure.c_str()));
    if (!proc) {
        dlclose(handle);
        raise_error(err::native_procedure);
    }
    natives.handles.push_back(handle);
    natives.procedures.push_back(proc);
    // Later calls skip the lookup: the descriptor keeps the cached mark and the procedure's
    // number, when the names leave room for the five bytes.
    if (procedure.size() + library.size() + 2 >= 5) {
        store_u8(d, bcode::native_cached_mark);
        store_u32(d + 1, uint32_t(natives.procedures.size()));
    }
    return proc;
}

} // namespace

void call_native_routine(Addr d, Addr frame, Addr first, Addr lo, Addr hi) {
    if (!native_policy.enabled) raise_error(err::native_library);
    quillet_native_proc proc = resolve(d);
    quillet_native_call call{
        reinterpret_cast<unsigned char*>(host_ptr(0)), frame, first, lo, frame - 32, hi};
    proc(&call);
}

NativeLibraries& NativeLibraries::operator=(NativeLibraries&& other) noexcept {
    if (this != &other) {
        close();
        handles = std::move(other.handles);
        procedures = std::move(other.procedures);
        other.handles.clear();
        other.procedures.clear();
    }
    return *this;
}

void NativeLibraries::close() {
    procedures.clear();
    for (void* h : handles)
        dlclose(h);
    handles.clear();
}

} // namespace quillet
