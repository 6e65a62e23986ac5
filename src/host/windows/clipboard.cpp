// The clipboard's two formats, with the desktop's text taking precedence when a bridge exists.
#include "host/windows/clipboard.h"

namespace quillet::host {

void Clipboard::clear() {
    m_text.reset();
    m_dib.clear();
    m_dib_shared = false;
    if (m_bridge.put_text) m_bridge.put_text("");
}

void Clipboard::set_text(std::string_view text) {
    m_text = std::string(text);
    m_dib.clear();
    m_dib_shared = false;
    if (m_bridge.put_text) m_bridge.put_text(text);
}

bool Clipboard::has_text() const {
    if (desktop_holds_our_picture()) return false;
    if (m_bridge.get_text) {
        auto t = m_bridge.get_text();
        return t && !t->empty();
    }
    return m_text.has_value();
}

std::string Clipboard::text() const {
    if (desktop_holds_our_picture()) return std::string();
    if (m_bridge.get_text) return m_bridge.get_text().value_or(std::string());
    return m_text.value_or(std::string());
}

void Clipboard::set_dib(std::vector<uint8_t> packed_dib, std::vector<uint8_t> png) {
    m_dib = std::move(packed_dib);
    m_text.reset();
    m_dib_shared = m_bridge.put_png && !png.empty() && m_bridge.put_png(std::move(png));
    // Owning the desktop's clipboard with a picture already takes its text from the old owner.
    if (!m_dib_shared && m_bridge.put_text) m_bridge.put_text("");
}

bool Clipboard::has_dib() const {
    return !m_dib.empty() && (!m_dib_shared || desktop_holds_our_picture());
}

bool Clipboard::desktop_holds_our_picture() const {
    return !m_dib.empty() && m_dib_shared && m_bridge.owns_png();
}

std::vector<uint8_t> Clipboard::desktop_png() const {
    if (!m_bridge.get_png || m_bridge.owns_png()) return {};
    return m_bridge.get_png();
}

} // namespace quillet::host
