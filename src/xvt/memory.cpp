// Memory: blocks the layer hands out to its callers, who give them back with xvt_mem_free. The
// layer keeps every block it handed out, so that a pointer it did not hand out, or one given back
// already, is refused rather than freed.
#include "xvt/xvt.h"

#include <memory>
#include <new>
#include <unordered_map>

namespace quillet {
namespace {

// Outside the application state: a block belongs to its caller, and outlives xvt_app_destroy.
std::unordered_map<const void*, std::unique_ptr<std::byte[]>>& blocks() {
    static std::unordered_map<const void*, std::unique_ptr<std::byte[]>> handed_out;
    return handed_out;
}

} // namespace

void* xvt_mem_alloc(size_t size) {
    std::unique_ptr<std::byte[]> block(new (std::nothrow) std::byte[size == 0 ? 1 : size]());
    if (!block) {
        xvt_report_error("xvt_mem_alloc", ErrorCategory::app, ErrorId::no_memory);
        return nullptr;
    }
    void* address = block.get();
    blocks().emplace(address, std::move(block));
    return address;
}

void xvt_mem_free(void* block) {
    if (!block || blocks().erase(block) == 0)
        xvt_report_error("xvt_mem_free", ErrorCategory::app, ErrorId::invalid_parameter);
}

} // namespace quillet
