// The window tree: creation and destruction, geometry, visibility, enabling, z-order, titles.
#include "host/windows/window_system.h"

#include "host/windows/backend.h"
#include "host/windows/window_record.h"

#include <algorithm>

namespace quillet::host {

namespace {
constexpr int max_coordinate = 1 << 24;

int clamp_coordinate(int v) {
    return std::clamp(v, -max_coordinate, max_coordinate);
}

IntRect clean_rect(IntRect r) {
    r = {clamp_coordinate(r.left), clamp_coordinate(r.top), clamp_coordinate(r.right),
         clamp_coordinate(r.bottom)};
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}

// Client surfaces are held to the largest square surface, so that every size is valid.
void resize_surface(WindowRecord& w, IntSize size) {
    size.width = std::min(size.width, max_square_surface_side);
    size.height = std::min(size.height, max_square_surface_side);
    if (size.width == w.surface.width() && size.height == w.surface.height()) return;
    Surface resized(size.width, size.height, w.background);
    IntRect keep = resized.rect().intersected(w.surface.rect());
    for (int y = keep.top; y < keep.bottom; ++y)
        std::copy_n(w.surface.scanline(y), keep.right, resized.scanline(y));
    w.surface = std::move(resized);
}
} // namespace

const char* message_box_kind_name(MessageBoxKind kind) {
    switch (kind) {
    case MessageBoxKind::note: return "note";
    case MessageBoxKind::error: return "error";
    case MessageBoxKind::fatal: return "fatal";
    }
    return "note";
}

std::string message_box_echo_line(MessageBoxKind kind, std::string_view text) {
    // A fatal box's further lines repeat the diagnostic line already written to standard error.
    if (kind == MessageBoxKind::fatal) text = text.substr(0, text.find('\n'));
    // Line breaks that end the text only end its last line.
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    std::string line = message_box_kind_name(kind);
    line += ": ";
    for (char c : text) {
        if (c == '\n')
            line += "\\n";
        else if (c != '\r')
            line += c;
    }
    line += '\n';
    return line;
}

WindowSystem::WindowSystem(std::unique_ptr<Backend> backend) : m_backend(std::move(backend)) {
    m_backend->attach(*this);
}

const std::shared_ptr<const Font>& WindowSystem::ui_font() const {
    if (!m_ui_font) m_ui_font = m_fonts.open({"Arial", -12, 400, false, false, false});
    return m_ui_font;
}

const std::shared_ptr<const Font>& WindowSystem::caption_font() const {
    if (!m_caption_font) m_caption_font = m_fonts.open({"Arial", -12, 700, false, false, false});
    return m_caption_font;
}

WindowSystem::~WindowSystem() {
    m_backend->shutting_down();
    for (WindowId top : std::vector<WindowId>(m_top_levels))
        destroy_window(top);
}

const std::shared_ptr<const Font>& WindowSystem::font_of(const WindowRecord& w) const {
    return w.font ? w.font : ui_font();
}

std::shared_ptr<const Font> WindowSystem::own_font(WindowId id) const {
    const WindowRecord* w = record(id);
    return w ? w->font : nullptr;
}

IntSize WindowSystem::screen_size() const {
    return m_backend->screen_size();
}
int WindowSystem::screen_depth() const {
    return m_backend->screen_depth();
}

WindowRecord* WindowSystem::record(WindowId id) const {
    size_t slot = (id & 0xFFFF);
    if (slot == 0 || slot > m_slots.size()) return nullptr;
    WindowRecord* w = m_slots[slot - 1].record.get();
    return w && w->id == id ? w : nullptr;
}

WindowId WindowSystem::create_window(const WindowDef& def) {
    WindowRecord* parent = nullptr;
    if (def.parent != no_window && !(parent = record(def.parent))) return no_window;
    size_t slot = 0;
    while (slot < m_slots.size() && m_slots[slot].record)
        ++slot;
    if (slot == m_slots.size()) {
        if (slot >= 0xFFFF) return no_window;
        m_slots.emplace_back();
        m_generations.push_back(0);
    }
    auto rec = std::make_unique<WindowRecord>();
    WindowRecord& w = *rec;
    w.id = (WindowId{++m_generations[slot]} << 16) | static_cast<WindowId>(slot + 1);
    w.parent = def.parent;
    w.style = def.style;
    w.rect = clean_rect(def.rect);
    w.title = def.title;
    w.visible = def.visible;
    w.enabled = def.enabled;
    w.procedure = def.procedure;
    resize_surface(w, w.client_size(m_metrics));
    w.surface.fill(w.background);
    m_slots[slot].data = def.data;
    m_slots[slot].record = std::move(rec);
    WindowId id = w.id;
    if (parent)
        parent->children.push_back(id);
    else
        m_top_levels.push_back(id);

    send({id, Msg::create});
    if (!exists(id)) return no_window;
    IntSize cs = client_size(id);
    send({id, Msg::size, 0, 0, 0, {cs.width, cs.height}});
    if (!exists(id)) return no_window;
    invalidate(id);
    if (!parent) {
        m_backend->window_created(id);
        if (def.visible) activate(id);
    }
    mark_top_drawn(id);
    return id;
}

void WindowSystem::unlink(WindowRecord& w) {
    if (WindowRecord* p = record(w.parent))
        std::erase(p->children, w.id);
    else
        std::erase(m_top_levels, w.id);
}

void WindowSystem::forget_window(WindowId id) {
    std::erase_if(m_timers, [id](const Timer& t) { return t.window == id; });
    if (m_capture == id) m_capture = no_window;
    if (m_focus == id) m_focus = no_window;
    if (m_caret.window == id) m_caret = {};
    if (m_pointer_window == id) m_pointer_window = no_window;
    if (m_bar_drag.window == id) m_bar_drag = {};
    if (m_last_click.window == id) m_last_click.window = no_window;
}

void WindowSystem::destroy_tree(WindowRecord& w) {
    WindowId id = w.id;
    w.destroying = true;
    send({id, Msg::destroy});
    WindowRecord* self = record(id);
    if (!self) return;
    for (WindowId child : std::vector<WindowId>(self->children))
        if (WindowRecord* c = record(child)) destroy_tree(*c);
    if (!(self = record(id))) return;
    if (self->invalid) --m_invalid_windows;
    forget_window(id);
    m_slots[(id & 0xFFFF) - 1].record.reset();
}

bool WindowSystem::destroy_window(WindowId id) {
    WindowRecord* w = record(id);
    if (!w || w->destroying) return false;
    bool top = w->parent == no_window;
    WindowId parent_id = w->parent;
    IntRect area = w->rect;
    bool had_focus = m_focus != no_window && top_level_of(m_focus) == top_level_of(id);
    if (w->modal_running && !w->modal_done) {
        w->modal_done = true;
        w->modal_result = -1;
    }
    unlink(*w);
    if (top) m_backend->window_destroyed(id);
    destroy_tree(*w);
    if (top && m_active == id) {
        m_active = no_window;
        for (auto it = m_top_levels.rbegin(); it != m_top_levels.rend(); ++it) {
            WindowRecord* t = record(*it);
            if (t && t->visible && t->enabled && !t->overlay) {
                activate(*it);
                break;
            }
        }
    } else if (!top) {
        if (had_focus && m_focus == no_window && exists(parent_id))
            set_focus(top_level_of(parent_id));
        invalidate(parent_id, area);
        mark_top_drawn(parent_id);
    }
    return true;
}

WindowId WindowSystem::parent(WindowId id) const {
    WindowRecord* w = record(id);
    return w ? w->parent : no_window;
}

WindowId WindowSystem::top_level_of(WindowId id) const {
    WindowRecord* w = record(id);
    while (w && w->parent != no_window)
        w = record(w->parent);
    return w ? w->id : no_window;
}

std::vector<WindowId> WindowSystem::children(WindowId id) const {
    WindowRecord* w = record(id);
    return w ? w->children : std::vector<WindowId>{};
}

std::vector<WindowId> WindowSystem::top_level_windows() const {
    return m_top_levels;
}

WindowId WindowSystem::find_top_level(std::string_view title) const {
    for (auto it = m_top_levels.rbegin(); it != m_top_levels.rend(); ++it)
        if (WindowRecord* w = record(*it); w && w->title == title) return w->id;
    return no_window;
}

bool WindowSystem::move_window(WindowId id, IntRect outer) {
    WindowRecord* w = record(id);
    if (!w) return false;
    outer = clean_rect(outer);
    if (outer == w->rect) return true;
    IntSize before = w->client_size(m_metrics);
    IntRect old = w->rect;
    w->rect = outer;
    IntSize after = w->client_size(m_metrics);
    resize_surface(*w, after);
    if (w->parent == no_window) {
        m_backend->window_changed(id);
    } else {
        invalidate(w->parent, old);
        invalidate(w->parent, outer);
    }
    if (before != after) {
        send({id, Msg::size, 0, 0, 0, {after.width, after.height}});
        invalidate(id);
    }
    mark_top_drawn(id);
    return true;
}

void WindowSystem::refit(WindowRecord& w, IntSize before) {
    IntSize after = w.client_size(m_metrics);
    resize_surface(w, after);
    WindowId id = w.id;
    if (before != after) send({id, Msg::size, 0, 0, 0, {after.width, after.height}});
    invalidate(id);
    mark_top_drawn(id);
}

IntRect WindowSystem::outer_rect(WindowId id) const {
    WindowRecord* w = record(id);
    return w ? w->rect : IntRect{};
}

IntSize WindowSystem::client_size(WindowId id) const {
    WindowRecord* w = record(id);
    return w ? IntSize{w->surface.width(), w->surface.height()} : IntSize{};
}

IntRect WindowSystem::client_area_in_outer(WindowId id) const {
    WindowRecord* w = record(id);
    if (!w) return {};
    FrameInsets f = w->insets(m_metrics);
    return {f.left, f.top, f.left + w->surface.width(), f.top + w->surface.height()};
}

IntPoint WindowSystem::client_to_screen(WindowId id, IntPoint p) const {
    for (WindowRecord* w = record(id); w; w = record(w->parent)) {
        IntRect c = client_area_in_outer(w->id);
        p.x += w->rect.left + c.left;
        p.y += w->rect.top + c.top;
    }
    return p;
}

bool WindowSystem::show_window(WindowId id, bool visible) {
    WindowRecord* w = record(id);
    if (!w) return false;
    if (w->visible == visible) return true;
    w->visible = visible;
    if (!visible) {
        if (m_capture != no_window && (m_capture == id || top_level_of(m_capture) == id))
            release_capture();
        if (m_focus != no_window && !is_shown(m_focus)) {
            WindowId top = top_level_of(id);
            set_focus(w->parent != no_window && is_shown(top) ? top : no_window);
        }
    }
    if (w->parent == no_window) {
        m_backend->window_changed(id);
        if (visible)
            activate(id);
        else if (m_active == id) {
            m_active = no_window;
            for (auto it = m_top_levels.rbegin(); it != m_top_levels.rend(); ++it)
                if (WindowRecord* t = record(*it); t && t->visible && t->enabled && *it != id) {
                    activate(*it);
                    break;
                }
        }
    } else {
        // Only the part of the parent under the child changes.
        invalidate(w->parent, w->rect);
    }
    if (visible) invalidate(id);
    mark_top_drawn(id);
    return true;
}

bool WindowSystem::is_visible(WindowId id) const {
    WindowRecord* w = record(id);
    return w && w->visible;
}

bool WindowSystem::is_shown(WindowId id) const {
    WindowRecord* w = record(id);
    if (!w) return false;
    for (; w; w = record(w->parent))
        if (!w->visible) return false;
    return true;
}

int WindowSystem::control_id(WindowId id) const {
    WindowRecord* w = record(id);
    return w && w->control ? w->control_id : -1;
}

std::optional<ControlKind> WindowSystem::control_kind(WindowId id) const {
    WindowRecord* w = record(id);
    if (!w || !w->control) return std::nullopt;
    return w->control->kind();
}

bool WindowSystem::is_popup(WindowId id) const {
    WindowRecord* w = record(id);
    return w && w->overlay;
}

bool WindowSystem::enable_window(WindowId id, bool enabled) {
    WindowRecord* w = record(id);
    if (!w) return false;
    if (w->enabled == enabled) return true;
    w->enabled = enabled;
    if (!enabled && m_focus != no_window) {
        for (WindowRecord* f = record(m_focus); f; f = record(f->parent))
            if (f->id == id) {
                set_focus(w->parent != no_window ? top_level_of(id) : no_window);
                break;
            }
    }
    if (!enabled && m_capture == id) release_capture();
    if (w->control) invalidate(id);
    mark_top_drawn(id);
    return true;
}

bool WindowSystem::is_enabled(WindowId id) const {
    WindowRecord* w = record(id);
    return w && w->enabled;
}

bool WindowSystem::raise_window(WindowId id) {
    WindowRecord* w = record(id);
    if (!w) return false;
    std::vector<WindowId>& list = w->parent ? record(w->parent)->children : m_top_levels;
    std::erase(list, id);
    // Open popups stay above their siblings.
    auto pos = list.end();
    if (!w->overlay)
        while (pos != list.begin() && record(*(pos - 1)) && record(*(pos - 1))->overlay)
            --pos;
    list.insert(pos, id);
    if (w->parent == no_window) m_backend->window_changed(id);
    mark_top_drawn(id);
    return true;
}

bool WindowSystem::set_title(WindowId id, std::string_view title) {
    WindowRecord* w = record(id);
    if (!w) return false;
    w->title = title;
    if (w->control) {
        w->control->title_changed(*this, *w);
        invalidate(id);
    }
    if (w->parent == no_window) m_backend->window_changed(id);
    mark_top_drawn(id);
    return true;
}

std::string WindowSystem::title(WindowId id) const {
    WindowRecord* w = record(id);
    return w ? w->title : std::string();
}

WindowStyle WindowSystem::style(WindowId id) const {
    WindowRecord* w = record(id);
    return w ? w->style : WindowStyle{};
}

bool WindowSystem::set_procedure(WindowId id, WindowProc procedure) {
    WindowRecord* w = record(id);
    if (!w) return false;
    w->procedure = std::move(procedure);
    return true;
}

bool WindowSystem::set_data(WindowId id, intptr_t data) {
    if (!record(id)) return false;
    m_slots[(id & 0xFFFF) - 1].data = data;
    return true;
}

} // namespace quillet::host
