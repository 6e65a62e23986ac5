// The state of a text edit (control kind 23) beyond its object entry: its settings, kept while
// it is not shown and applied when it is made, and the text edit of the windowing layer with its
// font once made. Also the few things the engine keeps about text edits as a whole.
#pragma once

#include "ui/objects/object_table.h"
#include "ui/text_edits/trap_chars.h"

#include <array>
#include <memory>
#include <string>

namespace quillet {

// Edit flags of a text edit.
namespace edit_flag {
inline constexpr uint32_t border = 0x1;
inline constexpr uint32_t focus = 0x2; // it is the active text edit and holds the focus
inline constexpr uint32_t auto_ = 0x4;
inline constexpr uint32_t read_only = 0x20;
inline constexpr uint32_t wrap = 0x40;
inline constexpr uint32_t key_events = 0x80;
inline constexpr uint32_t mouse_events = 0x100;
inline constexpr uint32_t overtype = 0x200;
} // namespace edit_flag

// Text-edit attribute bits beside the layer's own (xvt_tx_attr): always set, and overtype.
namespace layer_tx_attr {
inline constexpr uint32_t base = 0x30000;
inline constexpr uint32_t overtype = 0x8000000;
} // namespace layer_tx_attr

struct TextEditState final : ControlState {
    int32_t hscroll = 0; // attached scroll bars (object IDs), kept only
    int32_t vscroll = 0;
    uint32_t flags = edit_flag::border | edit_flag::auto_;
    int32_t margin = 0; // line width in pixels; 0: none set
    TrapChars traps;
    bool inactive = false;  // suspended by the program or a trap character
    int32_t char_limit = 0; // 0: none
    int32_t fore_colour = -1, back_colour = -2, border_colour = -1; // colour numbers
    bool fore_set = false, back_set = false, border_set = false;
    // Family, size and style (and the layer font once made); the measures once read.
    TextMetrics font{.font_size = 10, .family = "helvetica"};
    XvtTextEdit handle = no_xvt_window;
    // Start paragraph, line, character, end paragraph, line, character.
    std::array<int32_t, 6> stored_selection{};
    // The text before the text edit is made: paragraphs separated by CR LF.
    std::string pending_text;

    TextEditState() = default;
    TextEditState(const TextEditState& other);
    TextEditState& operator=(const TextEditState&) = delete;
    // Destroys the layer's text edit and font.
    ~TextEditState() override;

    std::unique_ptr<ControlState> clone() const override;
    bool has(uint32_t flag) const { return (flags & flag) != 0; }

    // The control interface over the layer's text edit (text_edit_lifecycle.cpp; set and get
    // are text_edit_attributes.h's).
    void set(ObjectEntry& entry, int32_t attribute, ObjectRequest& request) override;
    void get(ObjectEntry& entry, int32_t attribute, ObjectRequest& request) override;
    void show(ObjectEntry& entry) override;
    // Keeps the text and selection as pending, then destroys the layer's text edit.
    void hide(ObjectEntry& entry) override;
    void free(ObjectEntry& entry) override;
    void move(ObjectEntry& entry, const IntRect& old) override;
    // Makes a made text edit the active one.
    void focus(ObjectEntry& entry) override;
    // Sets or clears the focus flag; set, it activates a made text edit. Nothing else: a text
    // edit is never disabled (an insensitive one still takes clicks and keys).
    void set_sensitive(ObjectEntry& entry, bool sensitive) override;
    // Makes a shown text edit whose window has come to exist, and moves one with relative
    // edges to where the window's size puts it.
    void relayout(int n, ObjectEntry& entry) override;
};

// The text edit state of a text-edit control (made fresh when it has none); nullptr for any
// other object.
TextEditState* text_edit_state(ObjectEntry& entry);
// A new state with the settings a text edit starts with.
std::unique_ptr<ControlState> make_text_edit_state();

// The layer's text edit when it exists (its window may have gone with the window it was in:
// the handle is then forgotten); no_xvt_window otherwise.
XvtTextEdit made_text_edit(TextEditState& s);

// What the engine keeps about text edits as a whole.
struct TextEditEngine {
    int32_t active_id = 0; // the active text edit's object ID (0: none)
    // Set while the engine itself makes, resumes or scrolls a text edit: its scrolling is then
    // no event of the program.
    bool in_progress = false;
    // Set while the engine changes a text edit: window updates are left alone meanwhile.
    bool changing = false;
};
extern TextEditEngine& text_edit_engine; // part of the ui layer's state (ui_state.h)

// Both flags set for the lifetime of the guard, restored after.
class TextEditChange {
public:
    TextEditChange();
    ~TextEditChange();
    TextEditChange(const TextEditChange&) = delete;
    TextEditChange& operator=(const TextEditChange&) = delete;

private:
    TextEditEngine m_saved;
};

} // namespace quillet
