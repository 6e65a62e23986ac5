#include "host/raster/library_loader.h"

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>

namespace quillet::host {

void* open_library(const char* soname) {
    void* handle = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        std::fprintf(stderr, "quillet: cannot load %s: %s\n", soname, dlerror());
        std::exit(1);
    }
    return handle;
}

void* library_function(void* handle, const char* soname, const char* name) {
    void* function = dlsym(handle, name);
    if (!function) {
        std::fprintf(stderr, "quillet: %s has no function %s\n", soname, name);
        std::exit(1);
    }
    return function;
}

} // namespace quillet::host
