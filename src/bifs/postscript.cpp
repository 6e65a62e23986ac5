// Bifs of the PostScript journal: begin, add a line, end.
#include "bifs/install_bifs.h"
#include "devices/path_mapping.h"
#include "graphics/postscript_journal.h"
#include "interp/operands.h"
#include "values/debug_log.h"
#include "values/strings.h"

#include <cstdio>

namespace quillet {
namespace {

constexpr int32_t cannot_open_journal = 9211;
constexpr int32_t not_journalling = 9212;

// The text as a NUL-terminated buffer keeps it: up to its first zero byte.
std::string c_text(Addr cell) {
    std::string_view text = str_view(load_u32(cell));
    return std::string(text.substr(0, text.find('\0')));
}

void begin() {
    std::string name = c_text(str_operand());
    skip_operands(4);
    Addr result = num_operand();
    bool on = postscript_begin(host_path(name));
    num_set_int(result, on ? 1 : 0);
    if (on) return;
    if (!debug_log_state.path.empty())
        std::fprintf(stderr, "Couldn't open file: %s\n", name.c_str());
    raise_error(cannot_open_journal);
}

void add() {
    if (!postscript_add(c_text(str_operand()))) raise_error(not_journalling);
}

void end() {
    int_operand(); // not used
    if (!postscript_end()) raise_error(not_journalling);
}

} // namespace

void install_postscript_bifs(BifTable& t) {
    t.install(bif::postscript_begin, begin);
    t.install(bif::postscript_add, add);
    t.install(bif::postscript_end, end);
}

} // namespace quillet
