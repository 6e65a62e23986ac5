// The pipe bif (408): one bif with an operation name, over the pipes of the devices layer.
#include "devices/pipes.h"

#include "bifs/install_bifs.h"
#include "bifs/string_read_target.h"
#include "interp/operands.h"
#include "values/debug_log.h"
#include "values/record_hold.h"
#include "values/strings.h"

#include <algorithm>
#include <string>

namespace quillet {
namespace {

std::string lower_case(std::string_view text) {
    std::string s(text);
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return s;
}

void pipe_call() {
    std::string operation = lower_case(str_view(load_u32(str_operand())));
    std::string name(str_view(load_u32(str_operand())));
    int32_t size = int_operand();
    Addr data = str_operand();
    Addr handle_cell = num_operand();
    int32_t handle = num_to_int32(load_cell(handle_cell));
    if (operation.empty()) return num_set_int(handle_cell, pipe_failed);
    if (operation == "open") return num_set_int(handle_cell, pipe_open(name));
    if (operation == "connect") return num_set_int(handle_cell, pipe_connect(name));
    if (operation == "close") return num_set_int(handle_cell, pipe_close(handle));
    if (operation == "read") {
        // Never more than the variable holds, so no byte read is lost to a length error.
        StringReadTarget into(data);
        if (!pipe_read(handle, std::min(size, StringCell{data}.max_length()), into))
            str_set(data, {});
        return;
    }
    if (operation == "write") {
        // The text is held, not copied: host messages pumped while the write waits may run
        // B-code that assigns data, and that gives data another record.
        RecordHold text(load_u32(data));
        return pipe_write(handle, std::as_bytes(std::span(str_view(text.record()))));
    }
    if (operation == "flush") return pipe_flush(handle);
    debug_log("unknown operation %s", operation.c_str());
}

} // namespace

void install_pipe_bifs(BifTable& t) {
    t.install(bif::pipe_call, pipe_call);
}

} // namespace quillet
