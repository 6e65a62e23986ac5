#include "ui/key_codes_hook.h"

#include "xvt/xvt.h"

namespace quillet {

void translate_key_code(int32_t& key, int32_t& /*shift*/, int32_t control) {
    if (control != 0 && key >= 0 && key < 0x20) key += 0x40;
}

void set_key_codes_hook(bool on) {
    xvt_set_char_filter(on ? translate_key_code : nullptr);
}

} // namespace quillet
