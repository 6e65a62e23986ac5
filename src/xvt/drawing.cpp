// Drawing on the layer's windows.
#include "xvt/layer_state.h"
#include "xvt/xvt.h"

namespace quillet {

using namespace xvt_detail;

bool xvt_dwg_draw_text(XvtWindow window, IntPoint p, std::string_view text) {
    LayerWindow* record = layer_window(window);
    if (!record || !record->painting) return false;
    record->painting->draw_text(p, text);
    return true;
}

} // namespace quillet
