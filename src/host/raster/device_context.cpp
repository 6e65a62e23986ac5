// The device context's state: clip, save and restore, single pixels.
#include "host/raster/paint_internals.h"

#include <stdexcept>

namespace quillet {

Region DeviceContext::clip_region() const {
    return paint::visible_clip(m_state, m_surface);
}

void DeviceContext::save() {
    m_saved.push_back(m_state);
}

void DeviceContext::restore() {
    if (m_saved.empty()) throw std::logic_error("DeviceContext::restore without a saved state");
    m_state = std::move(m_saved.back());
    m_saved.pop_back();
}

void DeviceContext::set_pixel(IntPoint p, Color c) {
    if (clip_region().contains(p)) m_surface.set_pixel(p.x, p.y, c);
}

std::optional<Color> DeviceContext::get_pixel(IntPoint p) const {
    if (!m_surface.contains(p)) return std::nullopt;
    return m_surface.pixel(p.x, p.y);
}

} // namespace quillet
