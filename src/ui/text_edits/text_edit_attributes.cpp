#include "ui/text_edits/text_edit_attributes.h"

#include "interp/exceptions.h"
#include "ui/font_attributes.h"
#include "ui/objects/attribute_tables.h"
#include "ui/objects/font_styles.h"
#include "ui/objects/object_errors.h"
#include "ui/text_edits/text_edit_lifecycle.h"
#include "ui/text_edits/text_edit_text.h"
#include "values/errors.h"

#include <algorithm>
#include <cstdio>

namespace quillet {
namespace {

using namespace control_attr;

// Scroll-bar settings have no meaning for a text edit; the program is told so on standard error.
void scroll_bar_setting() {
    std::fputs("Scrollbars physically connected to textedit not implemented!\n", stderr);
}

[[noreturn]] void read_only_count(int32_t code) {
    soft_raise(code);
    throw EndOfSetCall{};
}

void set_flag(TextEditState& s, uint32_t flag, bool on) {
    s.flags = on ? (s.flags | flag) : (s.flags & ~flag);
}

// A flag that the layer's attribute word mirrors: applied to a made text edit at once.
void set_layer_flag(TextEditState& s, uint32_t flag, bool on) {
    set_flag(s, flag, on);
    XvtTextEdit tx = made_text_edit(s);
    if (tx == no_xvt_window) return;
    const uint32_t bit = layer_attributes(flag) & ~layer_tx_attr::base;
    const uint32_t now = xp_tx_get_attr(tx);
    SuspendedForChange change(s);
    xp_tx_set_attr(tx, on ? (now | bit) : (now & ~bit));
}

void set_selection(TextEditState& s, const std::array<int32_t, 6>& v) {
    if (XvtTextEdit tx = made_text_edit(s); tx != no_xvt_window)
        xp_tx_set_sel(tx, {{v[0], v[1], v[2]}, {v[3], v[4], v[5]}});
    else
        s.stored_selection = v;
}

std::array<int32_t, 6> selection_of(TextEditState& s) {
    XvtTextEdit tx = made_text_edit(s);
    if (tx == no_xvt_window) return s.stored_selection;
    TxSelection sel = xp_tx_get_sel(tx);
    return {sel.start.paragraph, sel.start.line, sel.start.character,
            sel.end.paragraph,   sel.end.line,   sel.end.character};
}

void set_text(TextEditState& s, const std::string& text) {
    XvtTextEdit tx = made_text_edit(s);
    if (tx == no_xvt_window) {
        s.pending_text = text;
        return;
    }
    SuspendedForChange change(s);
    xp_tx_clear(tx);
    for (const std::string& paragraph : split_paragraphs(text))
        xp_tx_add_par(tx, -1, paragraph);
}

void set_trap_chars(TextEditState& s, ObjectRequest& request) {
    const int32_t count = std::max(request.next_int(), 0);
    request.need_numbers(2 * static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        const int32_t key = request.next_int();
        const int32_t action = request.next_int();
        if (!s.traps.set(key, action)) raise_error(text_edit_error::too_many_trap_chars);
    }
}

void set_colour(TextEditState& s, int32_t& colour, bool& set, ObjectRequest& request) {
    const int32_t value = request.next_int();
    if (value < -2) raise_error(text_edit_error::negative_colour);
    colour = value;
    set = true;
    apply_text_edit_colours(s);
}

// Replaces paragraph p with the text ("line").
void replace_paragraph(TextEditState& s, ObjectRequest& request) {
    const int32_t p = request.next_int();
    const std::string& text = request.next_string();
    XvtTextEdit tx = made_text_edit(s);
    std::vector<std::string> pending;
    if (tx == no_xvt_window) pending = split_paragraphs(s.pending_text);
    const int32_t count =
        tx != no_xvt_window ? xp_tx_get_num_pars(tx) : static_cast<int32_t>(pending.size());
    if (p > count) raise_error(text_edit_error::paragraph_too_large);
    if (p < 0 || p == count) raise_error(text_edit_error::delete_paragraph);
    if (tx == no_xvt_window) {
        pending[static_cast<size_t>(p)] = text;
        s.pending_text = join_paragraphs(pending);
        return;
    }
    SuspendedForChange change(s);
    xp_tx_rem_par(tx, p);
    xp_tx_add_par(tx, p, text);
}

void set_font(TextEditState& s, int32_t attribute, ObjectRequest& request) {
    if (set_font_attribute(s.font, attribute, request)) apply_text_edit_font(s);
}

int32_t flag_value(const TextEditState& s, uint32_t flag) {
    return s.has(flag) ? 1 : 0;
}

// Counts of a text edit not made: its pending paragraphs, each one line.
struct PendingCounts {
    std::vector<std::string> paragraphs;
    int32_t count() const { return static_cast<int32_t>(paragraphs.size()); }
    int32_t chars() const {
        size_t n = 0;
        for (const std::string& p : paragraphs)
            n += p.size();
        return static_cast<int32_t>(std::min<size_t>(n, INT32_MAX));
    }
};

int32_t count_chars(XvtTextEdit tx) {
    int64_t n = 0;
    const int32_t pars = xp_tx_get_num_pars(tx);
    for (int32_t p = 0; p < pars; ++p) {
        const int32_t lines = xp_tx_get_num_par_lines(tx, p);
        for (int32_t l = 0; l < lines; ++l)
            n += xp_tx_get_num_chars(tx, p, l);
    }
    return static_cast<int32_t>(std::min<int64_t>(n, INT32_MAX));
}

void get_line(TextEditState& s, ObjectRequest& request) {
    const int32_t p = request.next_int();
    const int32_t line = request.next_int();
    XvtTextEdit tx = made_text_edit(s);
    if (tx == no_xvt_window) {
        std::vector<std::string> pending = split_paragraphs(s.pending_text);
        if (p < 0 || p >= static_cast<int32_t>(pending.size()))
            raise_error(text_edit_error::get_line_paragraph);
        if (line != 0) raise_error(text_edit_error::get_line_line);
        request.append_string(pending[static_cast<size_t>(p)]);
        return;
    }
    if (p < 0 || p >= xp_tx_get_num_pars(tx)) raise_error(text_edit_error::get_line_paragraph);
    if (line < 0 || line >= xp_tx_get_num_par_lines(tx, p))
        raise_error(text_edit_error::get_line_line);
    request.append_string(line_of(tx, p, line));
}

int32_t lines_in_paragraph(TextEditState& s, int32_t p) {
    XvtTextEdit tx = made_text_edit(s);
    if (tx == no_xvt_window) {
        const int32_t count = static_cast<int32_t>(split_paragraphs(s.pending_text).size());
        return p >= 0 && p < count ? 1 : 0;
    }
    return p >= 0 && p < xp_tx_get_num_pars(tx) ? xp_tx_get_num_par_lines(tx, p) : 0;
}

// Leading, ascent, descent, width of "W", their line height and 1: measured with the text edit's
// font on a small picture of its window (the window's own font stays as it is).
void measure_font_metrics(ObjectEntry& entry, TextEditState& s, ObjectRequest& request) {
    TextMetrics& m = s.font;
    WindowRecord* window = find_window(entry.window);
    if (window && window->native_window != no_xvt_window) {
        if (m.font == 0) apply_text_edit_font(s);
        XvtWindow picture = xp_pmap_create(window->native_window, 8, 1, 1);
        if (picture != no_xvt_window) {
            xp_dwin_set_font(picture, m.font);
            xp_dwin_get_font_metrics(picture, &m.leading, &m.ascent, &m.descent);
            m.char_width = xp_dwin_get_text_width(picture, "W", 1);
            xp_pmap_destroy(picture);
        }
    }
    for (int32_t v :
         {m.leading, m.ascent, m.descent, m.char_width, m.leading + m.ascent + m.descent, 1})
        request.append_int(v);
}

} // namespace

void set_text_edit_attribute(ObjectEntry& entry, int32_t attribute, ObjectRequest& request) {
    TextEditState& s = *text_edit_state(entry);
    switch (attribute) {
    case text: set_text(s, request.next_string()); return;
    case single_increment:
    case page_increment:
    case position:
    case start_range:
    case end_range:
    case proportion:
        request.next_int();
        scroll_bar_setting();
        return;
    case selection: {
        request.need_numbers(6);
        std::array<int32_t, 6> v{};
        for (int32_t& x : v)
            x = request.next_int();
        set_selection(s, v);
        return;
    }
    case origin: return; // the view moves only by the user and methods 25 and 26; no values
    case insertion: {
        request.need_numbers(3);
        const int32_t p = request.next_int(), l = request.next_int(), c = request.next_int();
        set_selection(s, {p, l, c, p, l, c});
        return;
    }
    case border: set_layer_flag(s, edit_flag::border, request.next_int() != 0); return;
    case active: {
        const int32_t value = request.next_int();
        if (made_text_edit(s) == no_xvt_window) raise_error(text_edit_error::active_unshown);
        if (value == 1)
            activate_text_edit(entry, s);
        else
            set_flag(s, edit_flag::focus, value != 0);
        return;
    }
    case auto_: set_flag(s, edit_flag::auto_, request.next_int() != 0); return;
    case vscroll: s.vscroll = request.next_int(); return;
    case hscroll: s.hscroll = request.next_int(); return;
    case margin:
        s.margin = std::max(request.next_int(), 0);
        set_text_edit_margin(entry, s);
        return;
    case num_lines: read_only_count(text_edit_error::set_num_lines);
    case num_pars: read_only_count(text_edit_error::set_num_pars);
    case num_chars: read_only_count(text_edit_error::set_num_chars);
    case lines_in_par: read_only_count(text_edit_error::set_lines_in_par);
    case max_width: read_only_count(text_edit_error::set_max_width);
    case font_metrics: read_only_count(text_edit_error::set_font_metrics);
    case trap_char: set_trap_chars(s, request); return;
    case char_limit:
        s.char_limit = std::max(request.next_int(), 0);
        if (XvtTextEdit tx = made_text_edit(s); tx != no_xvt_window)
            xp_tx_set_limit(tx, s.char_limit);
        return;
    case wrap:
        set_layer_flag(s, edit_flag::wrap, request.next_int() != 0);
        set_text_edit_margin(entry, s);
        return;
    case fore_color: set_colour(s, s.fore_colour, s.fore_set, request); return;
    case back_color: set_colour(s, s.back_colour, s.back_set, request); return;
    case border_color: set_colour(s, s.border_colour, s.border_set, request); return;
    case font_name:
    case font_size:
    case font_style: set_font(s, attribute, request); return;
    case readonly: set_layer_flag(s, edit_flag::read_only, request.next_int() != 0); return;
    case line: replace_paragraph(s, request); return;
    case key_events: set_flag(s, edit_flag::key_events, request.next_int() != 0); return;
    case mouse_events: set_flag(s, edit_flag::mouse_events, request.next_int() != 0); return;
    case overtype: set_layer_flag(s, edit_flag::overtype, request.next_int() != 0); return;
    default: raise_error(object_error::attribute_not_used);
    }
}

void get_text_edit_attribute(ObjectEntry& entry, int32_t attribute, ObjectRequest& request) {
    TextEditState& s = *text_edit_state(entry);
    const XvtTextEdit tx = made_text_edit(s);
    const bool made = tx != no_xvt_window;
    PendingCounts pending;
    if (!made) pending.paragraphs = split_paragraphs(s.pending_text);
    switch (attribute) {
    case text: request.append_string(made ? text_of(tx) : s.pending_text); return;
    case single_increment:
    case page_increment:
    case position:
    case start_range:
    case end_range:
    case proportion: scroll_bar_setting(); return;
    case selection:
        for (int32_t v : selection_of(s))
            request.append_int(v);
        return;
    case origin: {
        const TxOrigin o = made ? xp_tx_get_origin(tx) : TxOrigin{};
        for (int32_t v : {o.paragraph, o.line, o.horizontal, o.first_line})
            request.append_int(v);
        return;
    }
    case insertion: {
        const std::array<int32_t, 6> v = selection_of(s);
        for (size_t i = 0; i < 3; ++i)
            request.append_int(v[i]);
        return;
    }
    case border: request.append_int(flag_value(s, edit_flag::border)); return;
    case active:
        request.append_int(text_edit_engine.active_id == entry.id && s.has(edit_flag::focus) ? 1
                                                                                             : 0);
        return;
    case auto_: request.append_int(flag_value(s, edit_flag::auto_)); return;
    case vscroll: request.append_int(s.vscroll); return;
    case hscroll: request.append_int(s.hscroll); return;
    case margin: request.append_int(s.margin); return;
    case num_lines: request.append_int(made ? xp_tx_get_num_lines(tx) : pending.count()); return;
    case num_pars: request.append_int(made ? xp_tx_get_num_pars(tx) : pending.count()); return;
    case num_chars: request.append_int(made ? count_chars(tx) : pending.chars()); return;
    case lines_in_par: request.append_int(lines_in_paragraph(s, request.next_int())); return;
    case max_width: request.append_int(made ? xp_tx_get_max_width(tx) : 0); return;
    case font_metrics: measure_font_metrics(entry, s, request); return;
    case trap_char: {
        const std::vector<TrapChar> used = s.traps.used();
        request.append_int(static_cast<int32_t>(used.size()));
        for (const TrapChar& t : used) {
            request.append_int(t.key);
            request.append_int(t.action);
        }
        return;
    }
    case char_limit: request.append_int(made ? xp_tx_get_limit(tx) : s.char_limit); return;
    case wrap: request.append_int(flag_value(s, edit_flag::wrap)); return;
    case fore_color: request.append_int(s.fore_colour); return;
    case back_color: request.append_int(s.back_colour); return;
    case border_color: request.append_int(s.border_colour); return;
    case font_name: request.append_string(s.font.family); return;
    case font_size: request.append_int(s.font.font_size); return;
    case font_style:
        request.append_string(font_style_words(s.font.font_style));
        request.append_int(static_cast<int32_t>(s.font.font_style));
        return;
    case readonly: request.append_int(flag_value(s, edit_flag::read_only)); return;
    case line: get_line(s, request); return;
    case key_events: request.append_int(flag_value(s, edit_flag::key_events)); return;
    case mouse_events: request.append_int(flag_value(s, edit_flag::mouse_events)); return;
    case overtype: request.append_int(flag_value(s, edit_flag::overtype)); return;
    default: raise_error(object_error::attribute_not_used);
    }
}

} // namespace quillet
