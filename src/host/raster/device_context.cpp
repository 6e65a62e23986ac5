// The device context's state: clip, save and restore, single pixels.
#include "host/raster/device_context.h"

#include <stdexcept>

namespace quillet {

IntRect DeviceContext::clip_rect() const {
    const IntRect all = m_surface.rect();
    return m_state.clip ? m_state.clip->intersected(all) : all;
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
    if (clip_rect().contains(p)) m_surface.set_pixel(p.x, p.y, c);
}

std::optional<Color> DeviceContext::get_pixel(IntPoint p) const {
    if (!m_surface.contains(p)) return std::nullopt;
    return m_surface.pixel(p.x, p.y);
}

} // namespace quillet
