#include "ui/text_edits/text_edit_state.h"

#include "ui/controls/control_state.h"

namespace quillet {

TextEditState::TextEditState(const TextEditState& other)
    : ControlState(other), hscroll(other.hscroll), vscroll(other.vscroll), flags(other.flags),
      margin(other.margin), traps(other.traps), char_limit(other.char_limit),
      fore_colour(other.fore_colour), back_colour(other.back_colour),
      border_colour(other.border_colour), fore_set(other.fore_set), back_set(other.back_set),
      border_set(other.border_set), font(other.font), stored_selection(other.stored_selection),
      pending_text(other.pending_text) {
    // A copy is a text edit not yet made: no layer objects and no focus.
    font.font = 0;
    flags &= ~edit_flag::focus;
}

TextEditState::~TextEditState() {
    if (made_text_edit(*this) != no_xvt_window) xp_tx_destroy(handle);
    if (font.font != 0) xp_font_destroy(font.font);
}

std::unique_ptr<ControlState> TextEditState::clone() const {
    return std::make_unique<TextEditState>(*this);
}

TextEditState* text_edit_state(ObjectEntry& entry) {
    if (entry.kind != object_kind::control || entry.control.kind != control_kind::text_edit)
        return nullptr;
    if (!entry.control.state) entry.control.state = make_text_edit_state();
    return dynamic_cast<TextEditState*>(entry.control.state.get());
}

std::unique_ptr<ControlState> make_text_edit_state() {
    return std::make_unique<TextEditState>();
}

XvtTextEdit made_text_edit(TextEditState& s) {
    if (s.handle == no_xvt_window) return no_xvt_window;
    if (xvt_host_window(s.handle) == 0 ||
        xp_vobj_get_type(s.handle) != static_cast<int32_t>(WindowType::text_edit))
        s.handle = no_xvt_window;
    return s.handle;
}

TextEditChange::TextEditChange() : m_saved(text_edit_engine) {
    text_edit_engine.in_progress = true;
    text_edit_engine.changing = true;
}

TextEditChange::~TextEditChange() {
    text_edit_engine.in_progress = m_saved.in_progress;
    text_edit_engine.changing = m_saved.changing;
}

} // namespace quillet
