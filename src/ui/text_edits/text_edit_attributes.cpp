// The text-edit rules of the control attribute rows (control_attributes.def): SET stores a value
// and applies it at once to a made text edit; GET reads the made text edit, or the stored value
// before it is made.
#include "ui/text_edits/text_edit_attributes.h"

#include "interp/exceptions.h"
#include "ui/font_attributes.h"
#include "ui/objects/attribute_rules.h"
#include "ui/objects/attribute_tables.h"
#include "ui/objects/object_errors.h"
#include "ui/text_edits/text_edit_lifecycle.h"
#include "ui/text_edits/text_edit_text.h"
#include "values/errors.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace quillet {
namespace {

// What a text edit's rules act on.
struct TextEditTarget {
    ObjectEntry& entry;
    TextEditState& s;
    TextEditState& fields() { return s; }
    TextMetrics& metrics() { return s.font; }
};

// The actions after a set.
enum TextEditAfter : uint8_t {
    then_margin = 1, // the line width follows the margin and the wrap flag
    then_limit,      // a made text edit takes the character limit
    then_colours,    // a made text edit takes its colours
    then_font,       // the font is made again
};

[[noreturn]] void read_only_count(int32_t code) {
    soft_raise(code);
    throw EndOfSetCall{};
}

// A flag that the layer's attribute word mirrors: applied to a made text edit at once.
template <uint32_t Flag>
bool set_layer_flag(TextEditTarget& t, int32_t, ObjectRequest& request) {
    TextEditState& s = t.s;
    const bool on = request.next_int() != 0;
    s.flags = on ? (s.flags | Flag) : (s.flags & ~Flag);
    XvtTextEdit tx = made_text_edit(s);
    if (tx == no_xvt_window) return true;
    const uint32_t bit = layer_attributes(Flag) & ~layer_tx_attr::base;
    const uint32_t now = xp_tx_get_attr(tx);
    SuspendedForChange change(s);
    xp_tx_set_attr(tx, on ? (now | bit) : (now & ~bit));
    return true;
}

// A colour number, -2 and up; it marks the colour as the program's own.
template <auto Colour, auto IsSet>
bool set_colour(TextEditTarget& t, int32_t, ObjectRequest& request) {
    const int32_t value = request.next_int();
    if (value < -2) raise_error(text_edit_error::negative_colour);
    t.s.*Colour = value;
    t.s.*IsSet = true;
    return true;
}

// Scroll-bar settings have no meaning for a text edit; the program is told so on standard error.
void scroll_bar_message() {
    std::fputs("Scrollbars physically connected to textedit not implemented!\n", stderr);
}

bool set_scroll_bar(TextEditTarget&, int32_t, ObjectRequest& request) {
    request.next_int();
    scroll_bar_message();
    return false;
}

void get_scroll_bar(TextEditTarget&, int32_t, ObjectRequest&) {
    scroll_bar_message();
}

bool set_text(TextEditTarget& t, int32_t, ObjectRequest& request) {
    TextEditState& s = t.s;
    const std::string& text = request.next_string();
    XvtTextEdit tx = made_text_edit(s);
    if (tx == no_xvt_window) {
        s.pending_text = text;
        return false;
    }
    SuspendedForChange change(s);
    xp_tx_clear(tx);
    for (const std::string& paragraph : split_paragraphs(text))
        xp_tx_add_par(tx, -1, paragraph);
    return false;
}

void get_text(TextEditTarget& t, int32_t, ObjectRequest& request) {
    XvtTextEdit tx = made_text_edit(t.s);
    request.append_string(tx != no_xvt_window ? text_of(tx) : t.s.pending_text);
}

void store_selection(TextEditState& s, const std::array<int32_t, 6>& v) {
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

// Start paragraph, line, character, end paragraph, line, character.
bool set_selection(TextEditTarget& t, int32_t, ObjectRequest& request) {
    request.need_numbers(6);
    std::array<int32_t, 6> v{};
    for (int32_t& x : v)
        x = request.next_int();
    store_selection(t.s, v);
    return false;
}

void get_selection(TextEditTarget& t, int32_t, ObjectRequest& request) {
    for (int32_t v : selection_of(t.s))
        request.append_int(v);
}

// The view moves only by the user and methods 25 and 26: SET takes no values.
bool leave_origin(TextEditTarget&, int32_t, ObjectRequest&) {
    return false;
}

void get_origin(TextEditTarget& t, int32_t, ObjectRequest& request) {
    XvtTextEdit tx = made_text_edit(t.s);
    const TxOrigin o = tx != no_xvt_window ? xp_tx_get_origin(tx) : TxOrigin{};
    for (int32_t v : {o.paragraph, o.line, o.horizontal, o.first_line})
        request.append_int(v);
}

// Paragraph, line, character: an empty selection there.
bool set_insertion(TextEditTarget& t, int32_t, ObjectRequest& request) {
    request.need_numbers(3);
    const int32_t p = request.next_int(), l = request.next_int(), c = request.next_int();
    store_selection(t.s, {p, l, c, p, l, c});
    return false;
}

void get_insertion(TextEditTarget& t, int32_t, ObjectRequest& request) {
    const std::array<int32_t, 6> v = selection_of(t.s);
    for (size_t i = 0; i < 3; ++i)
        request.append_int(v[i]);
}

// 1 makes a shown text edit the active one; other values set or clear its focus flag.
bool set_active(TextEditTarget& t, int32_t, ObjectRequest& request) {
    const int32_t value = request.next_int();
    if (made_text_edit(t.s) == no_xvt_window) raise_error(text_edit_error::active_unshown);
    if (value == 1)
        activate_text_edit(t.entry, t.s);
    else
        t.s.flags = value != 0 ? (t.s.flags | edit_flag::focus) : (t.s.flags & ~edit_flag::focus);
    return false;
}

void get_active(TextEditTarget& t, int32_t, ObjectRequest& request) {
    const bool active = text_edit_engine.active_id == t.entry.id && t.s.has(edit_flag::focus);
    request.append_int(active ? 1 : 0);
}

// A count, then that many pairs of key and action.
bool set_trap_chars(TextEditTarget& t, int32_t, ObjectRequest& request) {
    const int32_t count = std::max(request.next_int(), 0);
    request.need_numbers(2 * static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        const int32_t key = request.next_int();
        const int32_t action = request.next_int();
        if (!t.s.traps.set(key, action)) raise_error(text_edit_error::too_many_trap_chars);
    }
    return false;
}

void get_trap_chars(TextEditTarget& t, int32_t, ObjectRequest& request) {
    const std::vector<TrapChar> used = t.s.traps.used();
    request.append_int(static_cast<int32_t>(used.size()));
    for (const TrapChar& trap : used) {
        request.append_int(trap.key);
        request.append_int(trap.action);
    }
}

void get_char_limit(TextEditTarget& t, int32_t, ObjectRequest& request) {
    XvtTextEdit tx = made_text_edit(t.s);
    request.append_int(tx != no_xvt_window ? xp_tx_get_limit(tx) : t.s.char_limit);
}

// Replaces paragraph p with the text ("line").
bool replace_paragraph(TextEditTarget& t, int32_t, ObjectRequest& request) {
    TextEditState& s = t.s;
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
        return false;
    }
    SuspendedForChange change(s);
    xp_tx_rem_par(tx, p);
    xp_tx_add_par(tx, p, text);
    return false;
}

// GET "line": paragraph and line in, the line's text out.
void get_line(TextEditTarget& t, int32_t, ObjectRequest& request) {
    TextEditState& s = t.s;
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

// The counts of a text edit not made come from its pending paragraphs, each one line.
int32_t pending_count(const TextEditState& s) {
    return static_cast<int32_t>(split_paragraphs(s.pending_text).size());
}

void get_num_lines(TextEditTarget& t, int32_t, ObjectRequest& request) {
    XvtTextEdit tx = made_text_edit(t.s);
    request.append_int(tx != no_xvt_window ? xp_tx_get_num_lines(tx) : pending_count(t.s));
}

void get_num_pars(TextEditTarget& t, int32_t, ObjectRequest& request) {
    XvtTextEdit tx = made_text_edit(t.s);
    request.append_int(tx != no_xvt_window ? xp_tx_get_num_pars(tx) : pending_count(t.s));
}

void get_num_chars(TextEditTarget& t, int32_t, ObjectRequest& request) {
    int64_t n = 0;
    if (XvtTextEdit tx = made_text_edit(t.s); tx != no_xvt_window) {
        const int32_t pars = xp_tx_get_num_pars(tx);
        for (int32_t p = 0; p < pars; ++p) {
            const int32_t lines = xp_tx_get_num_par_lines(tx, p);
            for (int32_t l = 0; l < lines; ++l)
                n += xp_tx_get_num_chars(tx, p, l);
        }
    } else {
        for (const std::string& p : split_paragraphs(t.s.pending_text))
            n += static_cast<int64_t>(p.size());
    }
    request.append_int(static_cast<int32_t>(std::min<int64_t>(n, INT32_MAX)));
}

// GET "lines in par": a paragraph number in, its count of lines out (0 for none).
void get_lines_in_par(TextEditTarget& t, int32_t, ObjectRequest& request) {
    const int32_t p = request.next_int();
    XvtTextEdit tx = made_text_edit(t.s);
    int32_t lines;
    if (tx == no_xvt_window)
        lines = p >= 0 && p < pending_count(t.s) ? 1 : 0;
    else
        lines = p >= 0 && p < xp_tx_get_num_pars(tx) ? xp_tx_get_num_par_lines(tx, p) : 0;
    request.append_int(lines);
}

void get_max_width(TextEditTarget& t, int32_t, ObjectRequest& request) {
    XvtTextEdit tx = made_text_edit(t.s);
    request.append_int(tx != no_xvt_window ? xp_tx_get_max_width(tx) : 0);
}

// Measured with the text edit's font on a small picture of its window (the window's own font
// stays as it is), and kept in the text edit's measures.
void get_font_metrics(TextEditTarget& t, int32_t, ObjectRequest& request) {
    TextEditState& s = t.s;
    TextMetrics& m = s.font;
    WindowRecord* window = find_window(t.entry.window);
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
    append_font_metrics(request, m.leading, m.ascent, m.descent, m.char_width);
}

// The text edits' rule makers beside the shared ones.
struct TextEditRules : AttributeRules<TextEditTarget> {
    template <uint32_t Flag>
    static constexpr Rule layer_flag() {
        return flag<Flag, &TextEditState::flags>().set_by(set_layer_flag<Flag>);
    }
    template <auto Colour, auto IsSet>
    static constexpr Rule colour() {
        return integer<Colour>().set_by(set_colour<Colour, IsSet>).then(then_colours);
    }
    static constexpr Rule scroll_bar() { return own(set_scroll_bar, get_scroll_bar); }

    static constexpr auto rows() {
        return std::to_array<Row>({
#define X(number, id, name, text_edit_rule, kind_rule) row(number, QUILLET_RULE text_edit_rule),
#include "ui/objects/control_attributes.def"
#undef X
        });
    }
};

constexpr auto text_edit_rows = TextEditRules::rows();

const AttributeRule<TextEditTarget>& text_edit_rule(int32_t number) {
    const AttributeRule<TextEditTarget>* rule = find_rule<TextEditTarget>(text_edit_rows, number);
    if (!rule) raise_error(object_error::attribute_not_used);
    return *rule;
}

void after_set(TextEditTarget& t, uint8_t action) {
    switch (action) {
    case then_margin: set_text_edit_margin(t.entry, t.s); return;
    case then_limit:
        if (XvtTextEdit tx = made_text_edit(t.s); tx != no_xvt_window)
            xp_tx_set_limit(tx, t.s.char_limit);
        return;
    case then_colours: apply_text_edit_colours(t.s); return;
    case then_font: apply_text_edit_font(t.s); return;
    default: return;
    }
}

} // namespace

void set_text_edit_attribute(ObjectEntry& entry, int32_t attribute, ObjectRequest& request) {
    TextEditTarget t{entry, *text_edit_state(entry)};
    const AttributeRule<TextEditTarget>& rule = text_edit_rule(attribute);
    if (!rule.set) {
        // The counts and measures are read-only: a soft error that ends the SET call.
        if (rule.refusal != object_error::attribute_not_used) read_only_count(rule.refusal);
        raise_error(rule.refusal);
    }
    if (rule.set(t, attribute, request)) after_set(t, rule.after);
}

void get_text_edit_attribute(ObjectEntry& entry, int32_t attribute, ObjectRequest& request) {
    TextEditTarget t{entry, *text_edit_state(entry)};
    made_text_edit(t.s); // forgets a text edit that went with its window
    const AttributeRule<TextEditTarget>& rule = text_edit_rule(attribute);
    if (!rule.get) raise_error(object_error::attribute_not_used);
    rule.get(t, attribute, request);
}

} // namespace quillet
