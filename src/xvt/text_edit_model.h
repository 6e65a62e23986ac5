// The text of a text-edit object without any window (private to the layer): paragraphs wrapped
// into lines at a margin, the selection with its caret, the character limit and the editing
// operations of the key table. Widths come from a measuring function, so the model is tested
// with a fixed-width measure and drawn with the object's font.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::xvt_detail {

// A place in the text: a paragraph and a byte offset in it (0..its length).
struct TextPlace {
    int32_t paragraph = 0;
    int32_t offset = 0;
    friend bool operator==(const TextPlace&, const TextPlace&) = default;
    friend auto operator<=>(const TextPlace&, const TextPlace&) = default;
};

// A place as lines see it: the paragraph, the wrapped line in it and the character in that line.
struct LinePlace {
    int32_t paragraph = 0;
    int32_t line = 0;
    int32_t character = 0;
    friend bool operator==(const LinePlace&, const LinePlace&) = default;
};

// How the caret moves.
enum class CaretMove : uint8_t { left, right, up, down, page_up, page_down, line_start, line_end };

class TextModel {
public:
    using Measure = std::function<int(std::string_view)>;

    // Without wrapping every paragraph is one line; with it lines break after the last blank that
    // fits the margin (in pixels), or between characters for a word wider than it.
    void set_layout(bool wrap, int32_t margin, Measure measure);

    // --- Paragraphs ---
    int32_t paragraph_count() const { return static_cast<int32_t>(m_paragraphs.size()); }
    const std::string& paragraph(int32_t index) const { return m_paragraphs[index].text; }
    // index beyond the count: at the end.
    void insert_paragraph(int32_t index, std::string_view text);
    void append(int32_t paragraph, std::string_view text);
    void remove_paragraph(int32_t index);
    void clear();
    int64_t char_count() const; // over all paragraphs, without paragraph breaks

    // --- Lines ---
    int32_t line_count() const; // over all paragraphs
    int32_t paragraph_line_count(int32_t paragraph) const;
    std::string_view line_text(int32_t paragraph, int32_t line) const;
    // The paragraph and line of an absolute line number (0 .. line_count - 1).
    LinePlace line_at(int32_t absolute_line) const;
    int32_t absolute_line(int32_t paragraph, int32_t line) const;
    int32_t widest_line() const; // in pixels

    LinePlace to_lines(TextPlace place) const;
    TextPlace from_lines(LinePlace place) const; // clamped into the text

    // --- Selection: from the anchor to the caret; empty when they meet ---
    TextPlace caret() const { return m_caret; }
    TextPlace anchor() const { return m_anchor; }
    TextPlace selection_start() const { return std::min(m_anchor, m_caret); }
    TextPlace selection_end() const { return std::max(m_anchor, m_caret); }
    bool has_selection() const { return m_anchor != m_caret; }
    void select(TextPlace anchor, TextPlace caret); // clamped
    // x of the caret within its line, in pixels.
    int32_t caret_x() const;

    // --- Editing: each replaces the selection first; false when nothing changed ---
    // Refused (false) when the limit (0: none) would be passed.
    bool insert(std::string_view text, int64_t limit);
    bool delete_forward();
    bool delete_backward();
    bool split_paragraph();
    // page_lines: how far page up and down go. extend keeps the anchor.
    void move_caret(CaretMove move, bool extend, int32_t page_lines);
    // The caret to the character boundary nearest to x (pixels from the line's start) on an
    // absolute line (clamped into the text); extend keeps the anchor.
    void click_at(int32_t absolute_line, int32_t x, bool extend);
    // Selects the word (a run of characters other than blanks) around the caret.
    void select_word();

private:
    struct Line {
        int32_t start = 0;
        int32_t length = 0;
        int32_t width = 0; // pixels, measured when the paragraph is wrapped
    };
    struct Paragraph {
        std::string text;
        std::vector<Line> lines;
    };

    // Breaks the paragraph into lines and keeps the line total up to date (a paragraph not yet in
    // the text counts as having had no lines).
    void wrap(Paragraph& p);
    // Takes paragraphs [first, last) out of the text.
    void erase_paragraphs(int32_t first, int32_t last);
    TextPlace clamp(TextPlace place) const;
    int64_t selected_chars() const;
    void delete_selection();
    void place_caret(TextPlace place, bool extend);
    TextPlace place_at_x(int32_t absolute_line, int32_t x) const;
    int32_t width(std::string_view text) const { return m_measure ? m_measure(text) : 0; }

    std::vector<Paragraph> m_paragraphs;
    bool m_wrap = false;
    int32_t m_margin = 0;
    Measure m_measure;
    int32_t m_line_total = 0; // lines over all paragraphs
    TextPlace m_anchor, m_caret;
    int32_t m_goal_x = -1; // kept over up and down moves
};

} // namespace quillet::xvt_detail
