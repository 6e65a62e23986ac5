// Text-edit objects: their windows (type 23, children of a layer window, with a window procedure
// of their own) and the xp_tx_ operations on their text, view and appearance.
#include "xvt/text_edit.h"

#include "xvt/event_translation.h"

#include <algorithm>

namespace quillet {

using namespace xvt_detail;

namespace {

constexpr ErrorCategory tx_category = ErrorCategory::tx;

// Shared with the record, so that an object destroyed by its scroll callback or an event handler
// stays valid until the operation that called them returns (its window is gone by then, so it
// draws nothing more).
std::shared_ptr<TextEditor> text_editor(XvtTextEdit tx) {
    LayerWindow* record = layer_window(tx);
    return record ? record->text_edit : nullptr;
}

std::shared_ptr<TextEditor> checked_tx(XvtTextEdit tx, std::string_view api) {
    std::shared_ptr<TextEditor> t = text_editor(tx);
    if (!t) xvt_report_error(api, tx_category, ErrorId::illegal_window);
    return t;
}

void report_parameter(std::string_view api) {
    xvt_report_error(api, tx_category, ErrorId::invalid_parameter);
}

// After the text changed: the origin stays within the text, then the object is drawn again.
// While suspended both wait for the last resume, so that a long run of changes (a whole text
// added paragraph by paragraph) does not measure the whole text after each one.
void text_changed(TextEditor& tx) {
    if (tx.suspended > 0) return;
    set_origin(tx, tx.first_line, tx.horizontal);
    repaint(tx);
}

// Events of the object's window go to its parent's handler, which passes them on to
// xp_tx_process_event after any keys of its own; without a handler they are processed here.
void route(XvtTextEdit tx, const XvtEvent& event) {
    std::shared_ptr<TextEditor> t = text_editor(tx);
    if (!t) return;
    LayerWindow* parent = layer_window(t->parent);
    if (parent && parent->handler) {
        XvtEventHandler handler = *parent->handler;
        xvt_run_guarded([&] { handler(tx, event); });
    } else {
        xvt_run_guarded([&] { xp_tx_process_event(tx, event); });
    }
}

// The layer's own handling of the left button in the object, after its parent's handler saw the
// click: the caret goes to the point (shift extends the selection), a double click selects the
// word, and a press starts a drag that extends the selection until the button is released. A
// disabled object takes no clicks.
void take_click(XvtTextEdit tx, const std::shared_ptr<TextEditor>& t, const XvtEvent& e,
                IntPoint point) {
    // The handler may have destroyed the object.
    if (!app.window_table.find(tx)) return;
    if (e.kind() == EventKind::mouse_up) {
        if (t->dragging) {
            t->dragging = false;
            app.windows->release_capture();
        }
        return;
    }
    if (e.words[4] != 0 || !app.windows->is_enabled(t->host)) return; // the left button only
    if (app.windows->focus() != t->host) app.windows->set_focus(t->host);
    click_at(*t, point, e.words[2] != 0);
    if (e.kind() == EventKind::mouse_double) {
        t->model.select_word();
        repaint(*t);
    } else {
        t->dragging = true;
        app.windows->set_capture(t->host);
    }
}

XvtEvent focus_event(bool gained) {
    XvtEvent e;
    e.words[0] = static_cast<int32_t>(EventKind::focus);
    e.words[1] = gained ? 1 : 0;
    return e;
}

intptr_t text_edit_procedure(host::WindowSystem& ws, const host::Message& m) {
    const auto tx = static_cast<XvtTextEdit>(ws.data(m.window));
    LayerWindow* record = app.window_table.find(tx);
    if (!record || !record->text_edit) return ws.default_procedure(m);
    switch (m.kind) {
    case host::Msg::create: bind_host_window(tx, m.window); return 0;
    case host::Msg::destroy: {
        if (record->text_edit->active) ws.destroy_caret();
        intptr_t result = ws.default_procedure(m);
        forget_layer_window(tx);
        return result;
    }
    case host::Msg::paint: {
        {
            host::WindowSystem::PaintScope validated(ws, m.window);
        }
        repaint(*record->text_edit);
        return 0;
    }
    case host::Msg::set_focus: route(tx, focus_event(true)); return 0;
    case host::Msg::kill_focus: route(tx, focus_event(false)); return 0;
    case host::Msg::mouse_down:
    case host::Msg::mouse_double_click:
    case host::Msg::mouse_up: {
        // Clicks go to the parent's handler as the parent's own clicks do, in its client
        // coordinates, so that it can tell clicks in the text edit from clicks beside it.
        XvtEvent e;
        const EventKind kind = m.kind == host::Msg::mouse_down ? EventKind::mouse_down
                               : m.kind == host::Msg::mouse_up ? EventKind::mouse_up
                                                               : EventKind::mouse_double;
        translate_pointer(e, kind, m);
        const IntRect outer = ws.outer_rect(m.window);
        const IntRect client = ws.client_area_in_outer(m.window);
        e.words[1] = xvt_pack_point(
            {m.point.x + outer.left + client.left, m.point.y + outer.top + client.top});
        std::shared_ptr<TextEditor> t = record->text_edit;
        route(tx, e);
        take_click(tx, t, e, m.point);
        return 0;
    }
    case host::Msg::mouse_move: {
        std::shared_ptr<TextEditor> t = record->text_edit;
        if (t->dragging) click_at(*t, m.point, true);
        return 0;
    }
    case host::Msg::character: {
        XvtEvent e;
        if (!translate_message(ws, m, record->type, e)) return ws.default_procedure(m);
        if (app.char_filter) app.char_filter(e.words[1], e.words[2], e.words[3]);
        route(tx, e);
        return 0;
    }
    default: return ws.default_procedure(m);
    }
}

} // namespace

XvtTextEdit xp_tx_create(XvtWindow parent, const IntRect* rect, uint32_t attributes, XvtFont font,
                         int32_t margin, int32_t limit) {
    constexpr std::string_view api = "xp_tx_create";
    LayerWindow* parent_record = layer_window(parent);
    if (!parent_record || parent_record->host == host::no_window) {
        xvt_report_error(api, tx_category, ErrorId::illegal_window);
        return no_xvt_window;
    }
    if (!rect || margin < 0 || limit < 0) {
        report_parameter(api);
        return no_xvt_window;
    }
    auto editor = std::make_shared<TextEditor>();
    editor->parent = parent;
    editor->attributes = attributes;
    editor->margin = margin;
    editor->limit = limit;
    if (const LayerFont* f = app.fonts.find(font)) {
        editor->family = f->family;
        editor->points = std::max(1, f->points);
        editor->style = f->style;
    }
    editor->font = open_text_edit_font(editor->family, editor->points, editor->style);
    if (!editor->font) editor->font = app.windows->ui_font();

    auto record = std::make_unique<LayerWindow>();
    record->type = static_cast<int32_t>(WindowType::text_edit);
    record->parent = parent;
    record->text_edit = editor;
    const XvtTextEdit tx = add_layer_window(std::move(record));
    if (tx == no_xvt_window) {
        xvt_report_error(api, tx_category, ErrorId::no_memory);
        return no_xvt_window;
    }
    editor->self = tx;

    host::WindowDef def;
    def.parent = parent_record->host;
    def.rect = rect->normalized();
    def.procedure = text_edit_procedure;
    def.data = static_cast<intptr_t>(tx);
    const host::WindowId id = app.windows->create_window(def);
    if (id == host::no_window) {
        forget_layer_window(tx);
        xvt_report_error(api, tx_category, ErrorId::host_null);
        return no_xvt_window;
    }
    bind_host_window(tx, id);
    editor->host = id;
    app.windows->set_cursor(id, host::CursorShape::ibeam);
    relayout(*editor);
    repaint(*editor);
    return tx;
}

void xp_tx_destroy(XvtTextEdit tx) {
    if (std::shared_ptr<TextEditor> t = checked_tx(tx, "xp_tx_destroy"))
        app.windows->destroy_window(t->host);
}

void xp_tx_clear(XvtTextEdit tx) {
    if (std::shared_ptr<TextEditor> t = checked_tx(tx, "xp_tx_clear")) {
        t->model.clear();
        text_changed(*t);
    }
}

void xp_tx_add_par(XvtTextEdit tx, int32_t index, std::string_view text) {
    std::shared_ptr<TextEditor> t = checked_tx(tx, "xp_tx_add_par");
    if (!t) return;
    // A negative index, or one past the count, adds at the end.
    if (index < 0) index = t->model.paragraph_count();
    t->model.insert_paragraph(index, text.substr(0, text.find('\0')));
    text_changed(*t);
    if (t->on_scroll) {
        TxScrollCallback callback = t->on_scroll;
        callback(tx, {tx_unchanged, tx_unchanged, t->model.line_count()});
    }
}

void xp_tx_append(XvtTextEdit tx, int32_t paragraph, std::string_view text) {
    constexpr std::string_view api = "xp_tx_append";
    std::shared_ptr<TextEditor> t = checked_tx(tx, api);
    if (!t) return;
    if (paragraph < 0 || paragraph >= t->model.paragraph_count()) return report_parameter(api);
    t->model.append(paragraph, text.substr(0, text.find('\0')));
    text_changed(*t);
}

void xp_tx_rem_par(XvtTextEdit tx, int32_t index) {
    constexpr std::string_view api = "xp_tx_rem_par";
    std::shared_ptr<TextEditor> t = checked_tx(tx, api);
    if (!t) return;
    if (index < 0 || index >= t->model.paragraph_count()) return report_parameter(api);
    t->model.remove_paragraph(index);
    text_changed(*t);
}

int32_t xp_tx_get_num_pars(XvtTextEdit tx) {
    std::shared_ptr<TextEditor> t = checked_tx(tx, "xp_tx_get_num_pars");
    return t ? t->model.paragraph_count() : 0;
}

int32_t xp_tx_get_num_lines(XvtTextEdit tx) {
    std::shared_ptr<TextEditor> t = checked_tx(tx, "xp_tx_get_num_lines");
    return t ? t->model.line_count() : 0;
}

int32_t xp_tx_get_num_par_lines(XvtTextEdit tx, int32_t paragraph) {
    constexpr std::string_view api = "xp_tx_get_num_par_lines";
    std::shared_ptr<TextEditor> t = checked_tx(tx, api);
    if (!t) return 0;
    if (paragraph < 0 || paragraph >= t->model.paragraph_count()) {
        report_parameter(api);
        return 0;
    }
    return t->model.paragraph_line_count(paragraph);
}

namespace {

// The line's text, or none after reporting a paragraph or line out of range.
std::optional<std::string_view> checked_line(TextEditor& t, int32_t paragraph, int32_t line,
                                             std::string_view api) {
    if (paragraph < 0 || paragraph >= t.model.paragraph_count() || line < 0 ||
        line >= t.model.paragraph_line_count(paragraph)) {
        report_parameter(api);
        return std::nullopt;
    }
    return t.model.line_text(paragraph, line);
}

} // namespace

int32_t xp_tx_get_num_chars(XvtTextEdit tx, int32_t paragraph, int32_t line) {
    constexpr std::string_view api = "xp_tx_get_num_chars";
    std::shared_ptr<TextEditor> t = checked_tx(tx, api);
    if (!t) return 0;
    std::optional<std::string_view> text = checked_line(*t, paragraph, line, api);
    return text ? static_cast<int32_t>(text->size()) : 0;
}

int32_t xp_tx_get_line(XvtTextEdit tx, int32_t paragraph, int32_t line, std::span<char> buffer) {
    constexpr std::string_view api = "xp_tx_get_line";
    std::shared_ptr<TextEditor> t = checked_tx(tx, api);
    if (!t) return 0;
    if (buffer.empty()) {
        report_parameter(api);
        return 0;
    }
    std::optional<std::string_view> text = checked_line(*t, paragraph, line, api);
    if (!text) return 0;
    const size_t n = std::min(text->size(), buffer.size() - 1);
    std::copy_n(text->begin(), n, buffer.begin());
    buffer[n] = '\0';
    return static_cast<int32_t>(n);
}

int32_t xp_tx_get_max_width(XvtTextEdit tx) {
    std::shared_ptr<TextEditor> t = checked_tx(tx, "xp_tx_get_max_width");
    return t ? t->model.widest_line() : 0;
}

TxSelection xp_tx_get_sel(XvtTextEdit tx) {
    std::shared_ptr<TextEditor> t = checked_tx(tx, "xp_tx_get_sel");
    if (!t) return {};
    auto place = [&](TextPlace p) {
        const LinePlace l = t->model.to_lines(p);
        return TxPlace{l.paragraph, l.line, l.character};
    };
    return {place(t->model.selection_start()), place(t->model.selection_end())};
}

void xp_tx_set_sel(XvtTextEdit tx, const TxSelection& selection) {
    std::shared_ptr<TextEditor> t = checked_tx(tx, "xp_tx_set_sel");
    if (!t) return;
    auto place = [&](const TxPlace& p) {
        return t->model.from_lines({p.paragraph, p.line, p.character});
    };
    t->model.select(place(selection.start), place(selection.end));
    repaint(*t);
}

TxOrigin xp_tx_get_origin(XvtTextEdit tx) {
    std::shared_ptr<TextEditor> t = checked_tx(tx, "xp_tx_get_origin");
    if (!t) return {};
    const LinePlace at = t->model.line_at(t->first_line);
    return {at.paragraph, at.line, t->horizontal, t->first_line};
}

int32_t xp_tx_get_view(XvtTextEdit tx) {
    std::shared_ptr<TextEditor> t = checked_tx(tx, "xp_tx_get_view");
    return t ? view_lines(*t) : 0;
}

IntRect xp_tx_get_rect(XvtTextEdit tx) {
    std::shared_ptr<TextEditor> t = checked_tx(tx, "xp_tx_get_rect");
    return t ? app.windows->outer_rect(t->host) : IntRect{};
}

void xp_tx_move(XvtTextEdit tx, const IntRect& rect) {
    std::shared_ptr<TextEditor> t = checked_tx(tx, "xp_tx_move");
    if (!t) return;
    app.windows->move_window(t->host, rect.normalized());
    text_changed(*t);
}

void xp_tx_scroll_vert(XvtTextEdit tx, int32_t lines) {
    if (std::shared_ptr<TextEditor> t = checked_tx(tx, "xp_tx_scroll_vert"))
        set_origin(*t,
                   static_cast<int32_t>(
                       std::clamp<int64_t>(int64_t{t->first_line} + lines, INT32_MIN, INT32_MAX)),
                   t->horizontal);
}

void xp_tx_scroll_hor(XvtTextEdit tx, int32_t pixels) {
    if (std::shared_ptr<TextEditor> t = checked_tx(tx, "xp_tx_scroll_hor"))
        set_origin(*t, t->first_line,
                   static_cast<int32_t>(
                       std::clamp<int64_t>(int64_t{t->horizontal} + pixels, INT32_MIN, INT32_MAX)));
}

void xp_tx_set_attr(XvtTextEdit tx, uint32_t attributes) {
    std::shared_ptr<TextEditor> t = checked_tx(tx, "xp_tx_set_attr");
    if (!t) return;
    t->attributes = attributes;
    relayout(*t);
    text_changed(*t);
    if (t->has(xvt_tx_attr::read_only) && t->active) app.windows->destroy_caret();
}

uint32_t xp_tx_get_attr(XvtTextEdit tx) {
    std::shared_ptr<TextEditor> t = checked_tx(tx, "xp_tx_get_attr");
    return t ? t->attributes : 0;
}

void xp_tx_set_limit(XvtTextEdit tx, int32_t limit) {
    constexpr std::string_view api = "xp_tx_set_limit";
    std::shared_ptr<TextEditor> t = checked_tx(tx, api);
    if (!t) return;
    if (limit < 0) return report_parameter(api);
    t->limit = limit;
}

int32_t xp_tx_get_limit(XvtTextEdit tx) {
    std::shared_ptr<TextEditor> t = checked_tx(tx, "xp_tx_get_limit");
    return t ? t->limit : 0;
}

void xp_tx_set_margin(XvtTextEdit tx, int32_t margin) {
    constexpr std::string_view api = "xp_tx_set_margin";
    std::shared_ptr<TextEditor> t = checked_tx(tx, api);
    if (!t) return;
    if (margin < 0) return report_parameter(api);
    t->margin = margin;
    relayout(*t);
    text_changed(*t);
}

void xp_tx_set_font(XvtTextEdit tx, XvtFont font) {
    constexpr std::string_view api = "xp_tx_set_font";
    std::shared_ptr<TextEditor> t = checked_tx(tx, api);
    if (!t) return;
    const LayerFont* f = app.fonts.find(font);
    if (!f) return report_parameter(api);
    std::shared_ptr<const Font> host_font =
        open_text_edit_font(f->family, std::max(1, f->points), f->style);
    if (!host_font) {
        xvt_report_error(api, ErrorCategory::fmap, ErrorId::host_null);
        return;
    }
    t->family = f->family;
    t->points = std::max(1, f->points);
    t->style = f->style;
    t->font = std::move(host_font);
    relayout(*t);
    text_changed(*t);
}

void xp_tx_set_colors(XvtTextEdit tx, Color text, Color background, Color third) {
    std::shared_ptr<TextEditor> t = checked_tx(tx, "xp_tx_set_colors");
    if (!t) return;
    t->text_color = text & color_mask;
    t->background = background & color_mask;
    t->third = third & color_mask;
    repaint(*t);
}

int32_t xp_tx_get_line_height(XvtTextEdit tx) {
    std::shared_ptr<TextEditor> t = checked_tx(tx, "xp_tx_get_line_height");
    return t ? t->line_height : 0;
}

void xp_tx_set_data(XvtTextEdit tx, long data) {
    if (std::shared_ptr<TextEditor> t = checked_tx(tx, "xp_tx_set_data")) t->data = data;
}

long xp_tx_get_data(XvtTextEdit tx) {
    std::shared_ptr<TextEditor> t = checked_tx(tx, "xp_tx_get_data");
    return t ? t->data : 0;
}

void xp_tx_set_active(XvtTextEdit tx) {
    std::shared_ptr<TextEditor> t = checked_tx(tx, "xp_tx_set_active");
    if (!t) return;
    app.windows->activate(app.windows->top_level_of(t->host));
    // Gaining the focus sends the focus event that shows the caret.
    if (app.windows->focus() != t->host)
        app.windows->set_focus(t->host);
    else
        update_caret(*t);
}

void xp_tx_set_scroll_callback(XvtTextEdit tx, TxScrollCallback callback) {
    if (std::shared_ptr<TextEditor> t = checked_tx(tx, "xp_tx_set_scroll_callback"))
        t->on_scroll = std::move(callback);
}

void xp_tx_suspend(XvtTextEdit tx) {
    if (std::shared_ptr<TextEditor> t = checked_tx(tx, "xp_tx_suspend")) ++t->suspended;
}

void xp_tx_resume(XvtTextEdit tx) {
    std::shared_ptr<TextEditor> t = checked_tx(tx, "xp_tx_resume");
    if (!t || t->suspended == 0) return;
    if (--t->suspended == 0) text_changed(*t);
}

void xp_tx_process_event(XvtWindow window, const XvtEvent& event) {
    std::shared_ptr<TextEditor> t = text_editor(window);
    if (!t) return;
    switch (event.kind()) {
    case EventKind::character:
        // A disabled object takes no keys, even when its parent passes them on.
        if (!app.windows->is_enabled(t->host)) return;
        if (apply_key(*t, event.words[1] & 0xFFFF, event.words[2] != 0)) {
            scroll_to_caret(*t);
            repaint(*t);
        }
        update_caret(*t);
        break;
    case EventKind::focus:
        t->active = event.words[1] != 0;
        if (t->active)
            update_caret(*t);
        else if (app.windows->focus() != t->host)
            app.windows->destroy_caret();
        break;
    default: break;
    }
}

} // namespace quillet
