// What the libraries behind SDL print on standard error when a machine lacks something (ALSA's
// card messages with no sound card, libwayland's complaint about XDG_RUNTIME_DIR): routed to a
// sink, the engine's debug log, so that a program's terminal shows only the program's own text.
#pragma once

namespace quillet::host {

// One line each, without its line break. None (the default): the messages are dropped.
using LibraryMessageSink = void (*)(const char* line);
void set_library_message_sink(LibraryMessageSink sink);
// Gives the sink a line of the host's own (why sound fell back to silence).
void report_library_message(const char* line);

// Points ALSA's error handler at the sink when libasound is installed; before SDL audio starts.
void route_sound_library_messages();
// Points libwayland-client's log at the sink when it is installed; before SDL video starts.
void route_display_library_messages();

} // namespace quillet::host
