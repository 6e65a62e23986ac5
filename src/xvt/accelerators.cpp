// The pump's accelerator table: keys that become menu commands before any window sees them.
#include "xvt/layer_state.h"

#include <cctype>

namespace quillet {

using namespace xvt_detail;

namespace {

// The key of a key-down message as accelerators name it; -1 for keys they cannot name.
int32_t accelerator_key(host::Key key, char character) {
    using host::Key;
    switch (key) {
    case Key::character: return std::toupper(static_cast<unsigned char>(character));
    case Key::f1: return xvt_key::f2 - 1;
    case Key::f10: return xvt_key::f9 + 1;
    default: {
        // The other special keys by the codes their character events carry.
        int code = host::key_to_code(key, 0, 0);
        return code > 0 ? code : -1;
    }
    }
}

uint32_t accelerator_modifiers(uint8_t modifiers) {
    uint32_t out = 0;
    if (modifiers & host::mod_shift) out |= xvt_accel_mod::shift;
    if (modifiers & host::mod_control) out |= xvt_accel_mod::control;
    if (modifiers & host::mod_alt) out |= xvt_accel_mod::alt;
    return out;
}

} // namespace

namespace xvt_detail {

std::optional<int32_t> accelerator_command(const host::Message& m) {
    if (m.kind != host::Msg::key_down || app.accelerators.empty()) return std::nullopt;
    int32_t key = accelerator_key(static_cast<host::Key>(m.code), static_cast<char>(m.value));
    uint32_t modifiers = accelerator_modifiers(m.modifiers);
    for (const XvtAccelerator& a : app.accelerators)
        if (a.key == key && a.modifiers == modifiers) return a.tag;
    return std::nullopt;
}

} // namespace xvt_detail

void xvt_app_set_accelerators(std::span<const XvtAccelerator> table) {
    app.accelerators.assign(table.begin(), table.end());
}

} // namespace quillet
