#include "ui/text_edits/text_edit_lifecycle.h"

#include "interp/fatal.h"
#include "ui/colours.h"
#include "ui/controls/native_control.h"
#include "ui/objects/object_lifecycle.h"
#include "ui/text_edits/text_edit_attributes.h"
#include "ui/text_edits/text_edit_input.h"
#include "ui/text_edits/text_edit_text.h"

#include <algorithm>
#include <climits>

namespace quillet {
namespace {

constexpr int32_t no_margin = INT32_MAX;
constexpr int32_t first_object = 101; // the layer's data word: the object's table index

IntRect text_edit_rect(const ObjectEntry& entry) {
    IntRect r = object_pixel_rect(entry);
    return {std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
            std::max(r.top, r.bottom)};
}

// The line width: the one set; without one a wrapping text edit wraps at its own width.
int32_t effective_margin(const ObjectEntry& entry, const TextEditState& s) {
    if (s.margin > 0) return s.margin;
    if (!s.has(edit_flag::wrap)) return no_margin;
    const int32_t border = s.has(edit_flag::border) ? 2 : 0;
    return std::max(1, static_cast<int32_t>(text_edit_rect(entry).width()) - border);
}

// The font object with the state's family, style and size.
XvtFont built_font(TextEditState& s) {
    TextMetrics& f = s.font;
    if (f.family.empty()) f.family = "helvetica";
    if (f.font_size == 0) f.font_size = 10;
    if (f.font == 0) f.font = xp_font_create();
    xp_font_set_family(f.font, f.family);
    xp_font_set_style(f.font, f.font_style);
    xp_font_set_size(f.font, std::max(f.font_size, 1));
    return f.font;
}

bool selection_stored(const TextEditState& s) {
    return std::any_of(s.stored_selection.begin(), s.stored_selection.end(),
                       [](int32_t v) { return v != 0; });
}

void make_text_edit(ObjectEntry& entry, TextEditState& s, const WindowRecord& window) {
    TextEditChange change;
    const IntRect rect = text_edit_rect(entry);
    const XvtTextEdit tx =
        xp_tx_create(window.native_window, &rect, layer_attributes(s.flags), built_font(s),
                     effective_margin(entry, s), std::max(s.char_limit, 0));
    if (tx == no_xvt_window) fatal_stop("Error creating Text Edit object.");
    s.handle = tx;
    s.inactive = false;
    xp_tx_suspend(tx);
    xp_tx_set_data(tx, entry.id - first_object);
    for (const std::string& paragraph : split_paragraphs(s.pending_text))
        xp_tx_add_par(tx, -1, paragraph);
    s.pending_text.clear();
    if (selection_stored(s)) {
        const auto& v = s.stored_selection;
        xp_tx_set_sel(tx, {{v[0], v[1], v[2]}, {v[3], v[4], v[5]}});
    }
    apply_text_edit_colours(s);
    const int32_t id = entry.id;
    xp_tx_set_scroll_callback(
        tx, [id](XvtTextEdit, const TxScrollNotice& notice) { text_edit_scrolled(id, notice); });
    xp_tx_resume(tx);
}

void forget_activity(ObjectEntry& entry, TextEditState& s) {
    if (text_edit_engine.active_id == entry.id) text_edit_engine.active_id = 0;
    s.flags &= ~edit_flag::focus;
}

// Makes the text edit when its window exists (else its window's first redraw does).
void make_when_window_exists(ObjectEntry& entry, TextEditState& s) {
    if (made_text_edit(s) != no_xvt_window) return;
    WindowRecord* window = find_window(entry.window);
    if (!window || window->native_window == no_xvt_window) return;
    make_text_edit(entry, s, *window);
}

// A text edit joins its window's object list once it is made, as a native control does.
void list_made_text_edit(ObjectEntry& entry) {
    TextEditState* s = text_edit_state(entry);
    if (s && made_text_edit(*s) != no_xvt_window) list_made_control(entry);
}

} // namespace

uint32_t layer_attributes(uint32_t flags) {
    uint32_t a = layer_tx_attr::base;
    if (flags & edit_flag::border) a |= xvt_tx_attr::border;
    if (flags & edit_flag::read_only) a |= xvt_tx_attr::read_only;
    if (flags & edit_flag::wrap) a |= xvt_tx_attr::wrap;
    if (flags & edit_flag::overtype) a |= layer_tx_attr::overtype;
    return a;
}

void apply_text_edit_colours(TextEditState& s) {
    if (XvtTextEdit tx = made_text_edit(s); tx != no_xvt_window)
        xp_tx_set_colors(tx, colour_value(s.fore_colour), colour_value(s.back_colour),
                         colour_value(s.border_colour));
}

void apply_text_edit_font(TextEditState& s) {
    XvtFont font = built_font(s);
    XvtTextEdit tx = made_text_edit(s);
    if (tx == no_xvt_window) return;
    SuspendedForChange change(s);
    xp_tx_set_font(tx, font);
}

void TextEditState::set(ObjectEntry& entry, int32_t attribute, ObjectRequest& request) {
    set_text_edit_attribute(entry, attribute, request);
}

void TextEditState::get(ObjectEntry& entry, int32_t attribute, ObjectRequest& request) {
    get_text_edit_attribute(entry, attribute, request);
}

void TextEditState::show(ObjectEntry& entry) {
    make_when_window_exists(entry, *this);
    list_made_text_edit(entry);
}

void TextEditState::relayout(int n, ObjectEntry& entry) {
    const int32_t id = entry.id;
    if (entry.window == n && (entry.flags & object_flag::shown)) {
        if (made_text_edit(*this) == no_xvt_window)
            make_when_window_exists(entry, *this);
        else if (entry.relative != 0)
            move(entry, entry.rect);
    }
    // Made or moved, the text edit may have been freed meanwhile: its entry is looked up again.
    if (ObjectEntry* still = find_object(id)) list_made_text_edit(*still);
}

void TextEditState::hide(ObjectEntry& entry) {
    forget_activity(entry, *this);
    XvtTextEdit tx = made_text_edit(*this);
    if (tx == no_xvt_window) return;
    pending_text = text_of(tx);
    TxSelection sel = xp_tx_get_sel(tx);
    stored_selection = {sel.start.paragraph, sel.start.line, sel.start.character,
                        sel.end.paragraph,   sel.end.line,   sel.end.character};
    handle = no_xvt_window;
    TextEditChange change;
    xp_tx_destroy(tx);
}

void TextEditState::free(ObjectEntry& entry) {
    forget_activity(entry, *this);
    TextEditChange change;
    if (made_text_edit(*this) != no_xvt_window) xp_tx_destroy(handle);
    handle = no_xvt_window;
}

void TextEditState::move(ObjectEntry& entry, const IntRect&) {
    XvtTextEdit tx = made_text_edit(*this);
    if (tx == no_xvt_window) return;
    SuspendedForChange change(*this);
    xp_tx_move(tx, text_edit_rect(entry));
    xp_tx_set_margin(tx, effective_margin(entry, *this));
}

void TextEditState::focus(ObjectEntry& entry) {
    activate_text_edit(entry, *this);
}

void set_text_edit_margin(ObjectEntry& entry, TextEditState& s) {
    XvtTextEdit tx = made_text_edit(s);
    if (tx == no_xvt_window) return;
    SuspendedForChange change(s);
    xp_tx_set_margin(tx, effective_margin(entry, s));
}

ObjectEntry* active_text_edit() {
    ObjectEntry* entry = find_object(text_edit_engine.active_id);
    TextEditState* s = entry ? text_edit_state(*entry) : nullptr;
    if (!s || made_text_edit(*s) == no_xvt_window) return nullptr;
    return entry;
}

void activate_text_edit(ObjectEntry& entry, TextEditState& s) {
    XvtTextEdit tx = made_text_edit(s);
    if (tx == no_xvt_window) return;
    if (ObjectEntry* previous = active_text_edit(); previous && previous != &entry)
        forget_activity(*previous, *text_edit_state(*previous));
    text_edit_engine.active_id = entry.id;
    s.flags |= edit_flag::focus;
    resume_text_edit(s);
    xp_tx_set_active(tx);
}

void TextEditState::set_sensitive(ObjectEntry& entry, bool sensitive) {
    if (!sensitive) {
        flags &= ~edit_flag::focus;
        return;
    }
    flags |= edit_flag::focus;
    activate_text_edit(entry, *this);
}

void suspend_text_edit(TextEditState& s) {
    XvtTextEdit tx = made_text_edit(s);
    if (tx == no_xvt_window || s.inactive) return;
    xp_tx_suspend(tx);
    s.inactive = true;
}

void resume_text_edit(TextEditState& s) {
    XvtTextEdit tx = made_text_edit(s);
    if (tx == no_xvt_window || !s.inactive) return;
    TextEditChange change;
    xp_tx_resume(tx);
    s.inactive = false;
}

void scroll_text_edit(TextEditState& s, int32_t lines, int32_t pixels) {
    XvtTextEdit tx = made_text_edit(s);
    if (tx == no_xvt_window || (lines == 0 && pixels == 0)) return;
    TextEditChange change;
    if (s.inactive) xp_tx_resume(tx);
    xp_tx_suspend(tx);
    if (lines != 0) xp_tx_scroll_vert(tx, lines);
    if (pixels != 0) xp_tx_scroll_hor(tx, pixels);
    xp_tx_resume(tx);
    if (s.inactive) xp_tx_suspend(tx);
}

SuspendedForChange::SuspendedForChange(TextEditState& s)
    : m_tx(made_text_edit(s)), m_suspended(m_tx != no_xvt_window && !s.inactive) {
    if (m_suspended) xp_tx_suspend(m_tx);
}

SuspendedForChange::~SuspendedForChange() {
    // The change may have destroyed the text edit (a scroll callback freeing it).
    if (m_suspended && xvt_host_window(m_tx) != 0) xp_tx_resume(m_tx);
}

} // namespace quillet
