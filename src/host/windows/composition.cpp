// The composition of a top-level window's picture: its frame, client surface, caret and
// children, each clipped to its parent's client area.
#include "host/windows/frame.h"
#include "host/windows/window_record.h"
#include "host/windows/window_system.h"

#include <algorithm>
#include <cstdint>

namespace quillet::host {

namespace {
// Room for the frame around a client area of the largest size.
constexpr int frame_allowance = 64;
} // namespace

void WindowSystem::compose_into(Surface& out, WindowRecord& w, IntPoint origin, IntRect clip) {
    DeviceContext dc(out);
    dc.state().clip = clip;
    IntRect outer{origin.x, origin.y, origin.x + static_cast<int>(w.rect.width()),
                  origin.y + static_cast<int>(w.rect.height())};
    IntRect visible = outer.intersected(clip);
    if (visible.is_empty()) return;
    bool active = w.parent == no_window && (m_active == w.id || (m_menu && m_active == w.id));
    draw_frame(dc, w, m_metrics, *ui_font(), *caption_font(), origin, active);
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
    // At most the largest client area with its frame on each side, and never more pixels than a
    // surface may hold: the bottom of a window that large is left out of its picture.
    constexpr int64_t largest_side = max_square_surface_side + frame_allowance;
    const int64_t width = std::min<int64_t>(w->rect.width(), largest_side);
    const int64_t height = std::min<int64_t>(
        {w->rect.height(), largest_side, max_surface_pixels / std::max<int64_t>(width, 1)});
    Surface out(static_cast<int>(width), static_cast<int>(height), 0xC0C0C0);
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
