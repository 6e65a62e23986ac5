// The PostScript journal: one text file to which the B-code library writes its drawing
// statements as PostScript lines; the engine adds the trailer and closes it.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace quillet {

// The journal's file (part of the layer's state, graphics_state.h).
struct PostScriptJournal {
    std::unique_ptr<FILE, int (*)(FILE*)> file{nullptr, std::fclose};
    bool journalling = false;
};

// Closes an open journal without its trailer.
void reset_postscript_journal();

// Opens (creates or truncates) the journal at a host path. A journal still open is closed first,
// without a trailer, so that its lines are kept. False when the file cannot be opened; the
// journal is then off.
bool postscript_begin(const std::string& path);

// Writes one line and a newline; false when no journal is on.
bool postscript_add(std::string_view line);

// Writes the three trailer lines and closes the journal; false when no journal is on.
bool postscript_end();

} // namespace quillet
