// Invalidation and painting: update areas, Msg::paint and its paint scope, and telling the
// backend that a window's picture changed.
#include "host/windows/backend.h"
#include "host/windows/window_record.h"
#include "host/windows/window_system.h"

namespace quillet::host {

Surface* WindowSystem::surface(WindowId id) {
    WindowRecord* w = record(id);
    if (!w) return nullptr;
    mark_top_drawn(id);
    return &w->surface;
}

void WindowSystem::mark_drawn(WindowId id) {
    mark_top_drawn(id);
}

void WindowSystem::mark_top_drawn(WindowId id) {
    WindowId top = top_level_of(id);
    if (WindowRecord* t = record(top)) {
        t->drawn = true;
        m_backend->window_drawn(top);
    }
}

bool WindowSystem::invalidate(WindowId id, std::optional<IntRect> area) {
    WindowRecord* w = record(id);
    if (!w) return false;
    ++w->invalidations;
    IntRect r = area ? area->normalized().intersected(w->surface.rect()) : w->surface.rect();
    if (r.is_empty()) return true;
    if (!w->invalid) {
        w->invalid = r;
        ++m_invalid_windows;
    } else {
        IntRect& u = *w->invalid;
        u = {std::min(u.left, r.left), std::min(u.top, r.top), std::max(u.right, r.right),
             std::max(u.bottom, r.bottom)};
    }
    return true;
}

bool WindowSystem::validate(WindowId id) {
    WindowRecord* w = record(id);
    if (!w) return false;
    if (w->invalid) {
        w->invalid.reset();
        --m_invalid_windows;
    }
    return true;
}

std::optional<IntRect> WindowSystem::update_rect(WindowId id) const {
    WindowRecord* w = record(id);
    return w ? w->invalid : std::nullopt;
}

bool WindowSystem::update_window(WindowId id) {
    WindowRecord* w = record(id);
    if (!w) return false;
    if (w->invalid) send({id, Msg::paint});
    return true;
}

WindowSystem::PaintScope::PaintScope(WindowSystem& ws, WindowId id) : m_ws(ws), m_id(id) {
    WindowRecord* w = ws.record(id);
    if (!w) return;
    m_update = w->invalid.value_or(IntRect{});
    ws.validate(id);
    m_dc = std::make_unique<DeviceContext>(w->surface);
    m_dc->state().clip = m_update;
    if (!w->control) m_dc->fill_rect(m_update, Brush::solid(w->background));
}

WindowSystem::PaintScope::~PaintScope() {
    if (m_dc) m_ws.mark_top_drawn(m_id);
}

} // namespace quillet::host
