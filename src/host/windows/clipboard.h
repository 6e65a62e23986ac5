// The clipboard: text (Windows-1252 bytes) and a device-independent bitmap (packed, as
// encode_dib writes it). Setting one format empties the other, as a new owner does. A desktop
// backend installs a bridge so that text, and where it can pictures as PNG files, are shared
// with other programs.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::host {

struct ClipboardBridge {
    std::function<void(std::string_view)> put_text;
    std::function<std::optional<std::string>()> get_text; // none: the desktop has no text
    // Offers a picture as a PNG file; false when the desktop did not take it.
    std::function<bool(std::vector<uint8_t>)> put_png;
    // Whether the desktop's clipboard is still the picture offered (a question, no transfer).
    std::function<bool()> owns_png;
    // Another program's picture as a PNG file; empty when there is none.
    std::function<std::vector<uint8_t>()> get_png;
};

class Clipboard {
public:
    void set_bridge(ClipboardBridge bridge) { m_bridge = std::move(bridge); }

    void clear();
    void set_text(std::string_view text);
    bool has_text() const;
    std::string text() const; // empty when there is none
    // Whether pictures reach other programs, so that set_dib wants their PNG file too.
    bool shares_pictures() const { return static_cast<bool>(m_bridge.put_png); }
    // png: the same picture as a PNG file for other programs (may be empty).
    void set_dib(std::vector<uint8_t> packed_dib, std::vector<uint8_t> png = {});
    // The engine's own bitmap, while no other program has taken the clipboard since.
    bool has_dib() const;
    const std::vector<uint8_t>& dib() const { return m_dib; }
    // Another program's picture as a PNG file; empty when there is none or has_dib().
    std::vector<uint8_t> desktop_png() const;

private:
    // The desktop's clipboard is still the picture we put: it has no text then, and asking the
    // desktop for text would wait for an answer from our own picture's owner.
    bool desktop_holds_our_picture() const;

    ClipboardBridge m_bridge;
    std::optional<std::string> m_text;
    std::vector<uint8_t> m_dib;
    bool m_dib_shared = false; // the desktop took m_dib: it stands only while the desktop says so
};

} // namespace quillet::host
