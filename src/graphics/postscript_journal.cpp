#include "graphics/postscript_journal.h"

#include "graphics/graphics_state.h"

namespace quillet {
namespace {

constexpr const char* trailer = "showpage\n"
                                "grestore                   % restore graphics state\n"
                                "% --- End Quillet BASIC PostScript Output --- \n";

bool is_on() {
    return postscript_journal.journalling && postscript_journal.file;
}

} // namespace

void reset_postscript_journal() {
    postscript_journal = PostScriptJournal{};
}

bool postscript_begin(const std::string& path) {
    reset_postscript_journal();
    postscript_journal.file.reset(path.empty() ? nullptr : std::fopen(path.c_str(), "w"));
    postscript_journal.journalling = postscript_journal.file != nullptr;
    return postscript_journal.journalling;
}

bool postscript_add(std::string_view line) {
    if (!is_on()) return false;
    std::fwrite(line.data(), 1, line.size(), postscript_journal.file.get());
    std::fputc('\n', postscript_journal.file.get());
    return true;
}

bool postscript_end() {
    if (!is_on()) return false;
    std::fputs(trailer, postscript_journal.file.get());
    reset_postscript_journal();
    return true;
}

} // namespace quillet
