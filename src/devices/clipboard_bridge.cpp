// Clipboard text over the windowing layer, bitmaps and PNG files over the host clipboard.
#include "devices/clipboard_bridge.h"

#include "host/windows/clipboard.h"
#include "values/errors.h"
#include "xvt/host_clipboard.h"
#include "xvt/xvt.h"

namespace quillet {

namespace {

host::Clipboard& open_clipboard(int32_t failure) {
    host::Clipboard* clipboard = xvt_host_clipboard();
    if (!clipboard) raise_error(failure);
    return *clipboard;
}

} // namespace

std::string clipboard_get_text() {
    open_clipboard(err::clipboard_open_for_reading);
    return xp_clip_has_text() ? xp_clip_get_text() : std::string();
}

void clipboard_put_text(std::string_view text) {
    if (text.empty()) return;
    open_clipboard(err::clipboard_open_for_writing);
    xp_clip_put_text(text);
}

std::optional<std::vector<uint8_t>> clipboard_get_bitmap() {
    const host::Clipboard& clipboard = open_clipboard(err::clipboard_open_for_reading);
    if (!clipboard.has_dib()) return std::nullopt;
    return clipboard.dib();
}

std::vector<uint8_t> clipboard_get_desktop_png() {
    return open_clipboard(err::clipboard_open_for_reading).desktop_png();
}

bool clipboard_shares_pictures() {
    return open_clipboard(err::clipboard_open_for_reading).shares_pictures();
}

void clipboard_put_bitmap(std::vector<uint8_t> bitmap, std::vector<uint8_t> png) {
    open_clipboard(err::clipboard_open_for_reading).set_dib(std::move(bitmap), std::move(png));
}

} // namespace quillet
