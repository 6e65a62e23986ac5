#include "devices/memory_query.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace quillet {

uint64_t available_memory() {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen("/proc/meminfo", "r"), std::fclose);
    if (!file) return 0;
    uint64_t total_kib = 0;
    char line[256];
    while (std::fgets(line, sizeof line, file.get())) {
        unsigned long long kib = 0;
        if (std::sscanf(line, "MemAvailable: %llu kB", &kib) == 1 ||
            std::sscanf(line, "SwapFree: %llu kB", &kib) == 1)
            total_kib += kib;
    }
    return total_kib * 1024;
}

} // namespace quillet
