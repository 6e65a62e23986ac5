// The clipboard: text (Windows-1252 bytes) and a device-independent bitmap (packed, as
// encode_dib writes it). Setting one format empties the other, as a new owner does. A desktop
// backend installs a bridge so that text is shared with other programs.
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
};

class Clipboard {
public:
    void set_bridge(ClipboardBridge bridge) { m_bridge = std::move(bridge); }

    void clear();
    void set_text(std::string_view text);
    bool has_text() const;
    std::string text() const; // empty when there is none
    void set_dib(std::vector<uint8_t> packed_dib);
    bool has_dib() const { return !m_dib.empty(); }
    const std::vector<uint8_t>& dib() const { return m_dib; }

private:
    ClipboardBridge m_bridge;
    std::optional<std::string> m_text;
    std::vector<uint8_t> m_dib;
};

} // namespace quillet::host
