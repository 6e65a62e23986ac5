// Invalidation, paint scopes and the composition of a top-level window's picture.
#include "host/backend.h"
#include "host/frame.h"
#include "host/window_record.h"
#include "host/window_system.h"

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
    m_dc->state().font = ws.ui_font();
    if (!w->control) m_dc->fill_rect(m_update, Brush::solid(w->background));
}

WindowSystem::PaintScope::~PaintScope() {
    if (m_dc) m_ws.mark_top_drawn(m_id);
}

void WindowSystem::compose_into(Surface& out, WindowRecord& w, IntPoint origin, IntRect clip) {
    DeviceContext dc(out);
    dc.state().clip = clip;
    IntRect outer{origin.x, origin.y, origin.x + static_cast<int>(w.rect.width()),
                  origin.y + static_cast<int>(w.rect.height())};
    IntRect visible = outer.intersected(clip);
    if (visible.is_empty()) return;
    bool active = w.parent == no_window && (m_active == w.id || (m_menu && m_active == w.id));
    draw_frame(dc, w, m_metrics, *m_ui_font, *m_caption_font, origin, active);
    FrameInsets f = w.insets(m_metrics);
    IntPoint client{origin.x + f.left, origin.y + f.top};
    IntRect client_rect{client.x, client.y, client.x + w.surface.width(),
                        client.y + w.surface.height()};
    IntRect client_clip = client_rect.intersected(clip);
    if (client_clip.is_empty()) return;
    dc.state().clip = client_clip;
    dc.bit_blt(client_rect, w.surface, {0, 0}, rop3::src_copy);
    if (m_caret.window == w.id && m_caret.hidden == 0) {
        IntRect c{client.x + m_caret.position.x, client.y + m_caret.position.y,
                  client.x + m_caret.position.x + m_caret.size.width,
                  client.y + m_caret.position.y + m_caret.size.height};
        dc.pat_blt(c, rop3::dst_invert);
    }
    for (WindowId child : w.children) {
        WindowRecord* c = record(child);
        if (c && c->visible)
            compose_into(out, *c, {client.x + c->rect.left, client.y + c->rect.top}, client_clip);
    }
}

Surface WindowSystem::compose(WindowId top) {
    WindowRecord* w = record(top);
    if (!w) return {};
    Surface out(static_cast<int>(std::min<int64_t>(w->rect.width(), 8192 + 64)),
                static_cast<int>(std::min<int64_t>(w->rect.height(), 8192 + 64)), 0xC0C0C0);
    compose_into(out, *w, {0, 0}, out.rect());
    w->drawn = false;
    return out;
}

Surface WindowSystem::compose_client(WindowId top) {
    WindowRecord* w = record(top);
    if (!w) return {};
    Surface whole = compose(top);
    IntRect c = client_area_in_outer(top).intersected(whole.rect());
    Surface out(static_cast<int>(c.width()), static_cast<int>(c.height()));
    DeviceContext dc(out);
    dc.bit_blt(out.rect(), whole, {c.left, c.top}, rop3::src_copy);
    return out;
}

} // namespace quillet::host
