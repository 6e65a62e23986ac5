// The bifs layer: the operand adapters of every native bif, one file per family, installed into
// the interpreter's bif table by the names of bcode/bifs.def.
#pragma once

#include "interp/bif_dispatch.h"

namespace quillet {

// Fills the native table: the interpreter's own bifs and every family of this layer.
void install_bifs();

// Family installers, one per file of this folder.
void install_numeric_bifs(BifTable& table);
void install_array_bifs(BifTable& table);
void install_string_bifs(BifTable& table);
void install_system_bifs(BifTable& table);
void install_option_bifs(BifTable& table);
void install_file_bifs(BifTable& table);
void install_postscript_bifs(BifTable& table);
void install_pipe_bifs(BifTable& table);
void install_socket_bifs(BifTable& table);
void install_serial_bifs(BifTable& table);
void install_database_bifs(BifTable& table);
void install_image_bifs(BifTable& table);
void install_window_bifs(BifTable& table);
void install_object_bifs(BifTable& table);
void install_drawing_bifs(BifTable& table);
void install_clipboard_bifs(BifTable& table);
void install_sound_bifs(BifTable& table);
void install_dialog_bifs(BifTable& table);
void install_event_bifs(BifTable& table);

} // namespace quillet
