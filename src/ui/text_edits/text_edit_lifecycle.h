// A text edit's life: made from its stored state at SHOW (in the layer's text-edit engine),
// moved, activated and suspended, taken apart again at HIDE (its text and selection kept for the
// next SHOW) and at FREE.
#pragma once

#include "ui/text_edits/text_edit_state.h"

namespace quillet {

// SHOW, HIDE, FREE, moves, focus, "sensitive" and relayout are the control interface of
// TextEditState (text_edit_state.h), implemented here.

// The margin or the wrap flag changed: the made text edit takes its line width again (the
// margin set, else its own width when it wraps, else none).
void set_text_edit_margin(ObjectEntry& entry, TextEditState& s);

// The active text edit (made, of a window in use), or nullptr.
ObjectEntry* active_text_edit();
// Makes a made text edit the active one with the keyboard focus, resuming it when it was
// inactive.
void activate_text_edit(ObjectEntry& entry, TextEditState& s);

// Suspends or resumes a made text edit, keeping the inactive flag.
void suspend_text_edit(TextEditState& s);
void resume_text_edit(TextEditState& s);

// The engine's own scrolling of a made text edit, by lines and by pixels: no scroll events; an
// inactive one is resumed meanwhile.
void scroll_text_edit(TextEditState& s, int32_t lines, int32_t pixels);

// For the length of a change of a made text edit: suspended unless inactive, resumed after.
class SuspendedForChange {
public:
    explicit SuspendedForChange(TextEditState& s);
    ~SuspendedForChange();
    SuspendedForChange(const SuspendedForChange&) = delete;
    SuspendedForChange& operator=(const SuspendedForChange&) = delete;

private:
    XvtTextEdit m_tx;
    bool m_suspended;
    TextEditChange m_change;
};

// The layer's attribute word for the flags.
uint32_t layer_attributes(uint32_t flags);
// Applies the state's colours and font to a made text edit.
void apply_text_edit_colours(TextEditState& s);
void apply_text_edit_font(TextEditState& s);

} // namespace quillet
