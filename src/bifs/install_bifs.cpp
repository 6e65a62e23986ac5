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
    install_window_bifs(bif_table);
    install_drawing_bifs(bif_table);
}

} // namespace quillet
