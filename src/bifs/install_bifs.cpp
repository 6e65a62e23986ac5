#include "bifs/install_bifs.h"

namespace quillet {

void install_bifs() {
    install_core_bifs(bif_table);
    install_numeric_bifs(bif_table);
    install_array_bifs(bif_table);
    install_string_bifs(bif_table);
    install_system_bifs(bif_table);
    install_option_bifs(bif_table);
    install_file_bifs(bif_table);
    install_postscript_bifs(bif_table);
    install_pipe_bifs(bif_table);
    install_socket_bifs(bif_table);
    install_serial_bifs(bif_table);
    install_database_bifs(bif_table);
    install_image_bifs(bif_table);
    install_window_bifs(bif_table);
    install_object_bifs(bif_table);
    install_drawing_bifs(bif_table);
    install_clipboard_bifs(bif_table);
    install_sound_bifs(bif_table);
    install_dialog_bifs(bif_table);
    install_event_bifs(bif_table);
}

} // namespace quillet
