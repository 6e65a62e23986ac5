#include "ui/events/event_queue.h"

namespace quillet {

std::string_view event_name(int32_t code) {
    switch (code) {
#define X(code, name, text, x, y)                                                                  \
    case code:                                                                                     \
        return text;
#include "ui/events/event_names.def"
#undef X
    default: return {};
    }
}

int32_t event_code_of_kind(int32_t kind) {
    switch (kind) {
#define X(kind, name, code)                                                                        \
    case kind:                                                                                     \
        return code;
#include "ui/events/event_host_kinds.def"
#undef X
    default: return -1;
    }
}

} // namespace quillet
