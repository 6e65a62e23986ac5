// The text of a text-edit object: paragraphs, their wrapped lines, the selection and editing.
#include "xvt/text_edit_model.h"

#include "host/text/line_breaks.h"

#include <algorithm>
#include <cstdlib>

namespace quillet::xvt_detail {

void TextModel::set_layout(bool wrap, int32_t margin, Measure measure) {
    m_wrap = wrap;
    m_margin = margin;
    m_measure = std::move(measure);
    for (Paragraph& p : m_paragraphs)
        this->wrap(p);
}

void TextModel::wrap(Paragraph& p) {
    m_line_total -= static_cast<int32_t>(p.lines.size());
    p.lines.clear();
    const std::string_view text = p.text;
    if (!m_wrap || text.empty()) {
        p.lines.push_back({0, static_cast<int32_t>(text.size()), width(text)});
        m_line_total += 1;
        return;
    }
    const auto measure = [this](std::string_view t) { return width(t); };
    size_t start = 0;
    while (start < text.size()) {
        std::string_view rest = text.substr(start);
        // Break after the last blank that fits; the blank stays on this line so every byte
        // belongs to exactly one line.
        const host::LineBreak at = host::break_line(rest, m_margin, measure);
        const size_t cut = at.blank != std::string_view::npos ? at.blank + 1 : at.fit;
        p.lines.push_back(
            {static_cast<int32_t>(start), static_cast<int32_t>(cut), width(rest.substr(0, cut))});
        start += cut;
    }
    m_line_total += static_cast<int32_t>(p.lines.size());
}

void TextModel::erase_paragraphs(int32_t first, int32_t last) {
    for (int32_t i = first; i < last; ++i)
        m_line_total -= static_cast<int32_t>(m_paragraphs[i].lines.size());
    m_paragraphs.erase(m_paragraphs.begin() + first, m_paragraphs.begin() + last);
}

// --- Paragraphs ---

void TextModel::insert_paragraph(int32_t index, std::string_view text) {
    index = std::clamp(index, 0, paragraph_count());
    Paragraph p{std::string(text), {}};
    wrap(p);
    m_paragraphs.insert(m_paragraphs.begin() + index, std::move(p));
    m_anchor = clamp(m_anchor);
    m_caret = clamp(m_caret);
}

void TextModel::append(int32_t paragraph, std::string_view text) {
    if (paragraph < 0 || paragraph >= paragraph_count()) return;
    m_paragraphs[paragraph].text += text;
    wrap(m_paragraphs[paragraph]);
}

void TextModel::remove_paragraph(int32_t index) {
    if (index < 0 || index >= paragraph_count()) return;
    erase_paragraphs(index, index + 1);
    m_anchor = clamp(m_anchor);
    m_caret = clamp(m_caret);
}

void TextModel::clear() {
    m_paragraphs.clear();
    m_line_total = 0;
    m_anchor = m_caret = {};
}

int64_t TextModel::char_count() const {
    int64_t n = 0;
    for (const Paragraph& p : m_paragraphs)
        n += static_cast<int64_t>(p.text.size());
    return n;
}

// --- Lines ---

int32_t TextModel::line_count() const {
    return m_line_total;
}

int32_t TextModel::paragraph_line_count(int32_t paragraph) const {
    if (paragraph < 0 || paragraph >= paragraph_count()) return 0;
    return static_cast<int32_t>(m_paragraphs[paragraph].lines.size());
}

std::string_view TextModel::line_text(int32_t paragraph, int32_t line) const {
    if (line < 0 || line >= paragraph_line_count(paragraph)) return {};
    const Paragraph& p = m_paragraphs[paragraph];
    const Line& l = p.lines[line];
    return std::string_view(p.text).substr(l.start, l.length);
}

LinePlace TextModel::line_at(int32_t absolute_line) const {
    for (int32_t i = 0; i < paragraph_count(); ++i) {
        int32_t n = paragraph_line_count(i);
        if (absolute_line < n) return {i, std::max(absolute_line, 0), 0};
        absolute_line -= n;
    }
    int32_t last = paragraph_count() - 1;
    return {std::max(last, 0), std::max(paragraph_line_count(last) - 1, 0), 0};
}

int32_t TextModel::absolute_line(int32_t paragraph, int32_t line) const {
    int32_t n = 0;
    for (int32_t i = 0; i < paragraph && i < paragraph_count(); ++i)
        n += paragraph_line_count(i);
    return n + line;
}

int32_t TextModel::widest_line() const {
    int32_t widest = 0;
    for (const Paragraph& p : m_paragraphs)
        for (const Line& line : p.lines)
            widest = std::max(widest, line.width);
    return widest;
}

LinePlace TextModel::to_lines(TextPlace place) const {
    place = clamp(place);
    if (place.paragraph >= paragraph_count()) return {};
    const std::vector<Line>& lines = m_paragraphs[place.paragraph].lines;
    // A place at a break belongs to the line that starts there.
    int32_t line = 0;
    while (line + 1 < static_cast<int32_t>(lines.size()) && lines[line + 1].start <= place.offset)
        ++line;
    return {place.paragraph, line, place.offset - lines[line].start};
}

TextPlace TextModel::from_lines(LinePlace place) const {
    if (paragraph_count() == 0) return {};
    int32_t p = std::clamp(place.paragraph, 0, paragraph_count() - 1);
    const std::vector<Line>& lines = m_paragraphs[p].lines;
    int32_t l = std::clamp(place.line, 0, static_cast<int32_t>(lines.size()) - 1);
    return {p, lines[l].start + std::clamp(place.character, 0, lines[l].length)};
}

TextPlace TextModel::clamp(TextPlace place) const {
    if (paragraph_count() == 0) return {};
    place.paragraph = std::clamp(place.paragraph, 0, paragraph_count() - 1);
    place.offset = std::clamp(place.offset, 0,
                              static_cast<int32_t>(m_paragraphs[place.paragraph].text.size()));
    return place;
}

// --- Selection ---

void TextModel::select(TextPlace anchor, TextPlace caret) {
    m_anchor = clamp(anchor);
    m_caret = clamp(caret);
    m_goal_x = -1;
}

int32_t TextModel::caret_x() const {
    if (paragraph_count() == 0) return 0;
    LinePlace at = to_lines(m_caret);
    return width(line_text(at.paragraph, at.line).substr(0, at.character));
}

int64_t TextModel::selected_chars() const {
    TextPlace a = selection_start(), b = selection_end();
    if (a.paragraph == b.paragraph) return b.offset - a.offset;
    int64_t n = static_cast<int64_t>(m_paragraphs[a.paragraph].text.size()) - a.offset;
    for (int32_t p = a.paragraph + 1; p < b.paragraph; ++p)
        n += static_cast<int64_t>(m_paragraphs[p].text.size());
    return n + b.offset;
}

void TextModel::delete_selection() {
    if (!has_selection()) return;
    TextPlace a = selection_start(), b = selection_end();
    Paragraph& first = m_paragraphs[a.paragraph];
    std::string tail = m_paragraphs[b.paragraph].text.substr(b.offset);
    first.text.resize(a.offset);
    first.text += tail;
    erase_paragraphs(a.paragraph + 1, b.paragraph + 1);
    wrap(first);
    m_anchor = m_caret = a;
}

// --- Editing ---

bool TextModel::insert(std::string_view text, int64_t limit) {
    if (limit > 0 && char_count() - selected_chars() + static_cast<int64_t>(text.size()) > limit)
        return false;
    if (paragraph_count() == 0) insert_paragraph(0, "");
    delete_selection();
    Paragraph& p = m_paragraphs[m_caret.paragraph];
    p.text.insert(static_cast<size_t>(m_caret.offset), text);
    wrap(p);
    m_caret.offset += static_cast<int32_t>(text.size());
    m_anchor = m_caret;
    m_goal_x = -1;
    return true;
}

bool TextModel::delete_forward() {
    m_goal_x = -1;
    if (has_selection()) {
        delete_selection();
        return true;
    }
    if (paragraph_count() == 0) return false;
    Paragraph& p = m_paragraphs[m_caret.paragraph];
    if (m_caret.offset < static_cast<int32_t>(p.text.size())) {
        p.text.erase(static_cast<size_t>(m_caret.offset), 1);
        wrap(p);
        return true;
    }
    if (m_caret.paragraph + 1 >= paragraph_count()) return false;
    m_anchor = {m_caret.paragraph + 1, 0};
    delete_selection(); // joins the next paragraph to this one
    return true;
}

bool TextModel::delete_backward() {
    m_goal_x = -1;
    if (has_selection()) {
        delete_selection();
        return true;
    }
    if (paragraph_count() == 0 || m_caret == TextPlace{}) return false;
    move_caret(CaretMove::left, false, 0);
    return delete_forward();
}

bool TextModel::split_paragraph() {
    if (paragraph_count() == 0) insert_paragraph(0, "");
    delete_selection();
    Paragraph& p = m_paragraphs[m_caret.paragraph];
    std::string tail = p.text.substr(static_cast<size_t>(m_caret.offset));
    p.text.resize(static_cast<size_t>(m_caret.offset));
    wrap(p);
    insert_paragraph(m_caret.paragraph + 1, tail);
    m_caret = m_anchor = {m_caret.paragraph + 1, 0};
    m_goal_x = -1;
    return true;
}

void TextModel::place_caret(TextPlace place, bool extend) {
    m_caret = clamp(place);
    if (!extend) m_anchor = m_caret;
}

TextPlace TextModel::place_at_x(int32_t absolute_line, int32_t x) const {
    LinePlace at = line_at(absolute_line);
    std::string_view text = line_text(at.paragraph, at.line);
    // The character boundary nearest to x.
    int32_t best = 0, best_distance = std::abs(x);
    for (int32_t i = 1; i <= static_cast<int32_t>(text.size()); ++i) {
        int32_t d = std::abs(width(text.substr(0, i)) - x);
        if (d < best_distance) best = i, best_distance = d;
    }
    // The end of a line that wraps is the start of the next: stay before its last byte.
    bool wrapped = at.line + 1 < paragraph_line_count(at.paragraph);
    if (wrapped && best == static_cast<int32_t>(text.size()) && best > 0) --best;
    at.character = best;
    return from_lines(at);
}

void TextModel::move_caret(CaretMove move, bool extend, int32_t page_lines) {
    if (paragraph_count() == 0) return;
    // Without extending, a selection collapses to its side in the direction of the move.
    if (!extend && has_selection() && (move == CaretMove::left || move == CaretMove::right)) {
        place_caret(move == CaretMove::left ? selection_start() : selection_end(), false);
        m_goal_x = -1;
        return;
    }
    const LinePlace at = to_lines(m_caret);
    const int32_t line = absolute_line(at.paragraph, at.line);
    const int32_t last_line = line_count() - 1;
    auto vertical = [&](int32_t target) {
        if (m_goal_x < 0) m_goal_x = caret_x();
        place_caret(place_at_x(std::clamp(target, 0, last_line), m_goal_x), extend);
    };
    switch (move) {
    case CaretMove::left:
        if (m_caret.offset > 0)
            place_caret({m_caret.paragraph, m_caret.offset - 1}, extend);
        else if (m_caret.paragraph > 0)
            place_caret({m_caret.paragraph - 1,
                         static_cast<int32_t>(paragraph(m_caret.paragraph - 1).size())},
                        extend);
        break;
    case CaretMove::right:
        if (m_caret.offset < static_cast<int32_t>(paragraph(m_caret.paragraph).size()))
            place_caret({m_caret.paragraph, m_caret.offset + 1}, extend);
        else if (m_caret.paragraph + 1 < paragraph_count())
            place_caret({m_caret.paragraph + 1, 0}, extend);
        break;
    case CaretMove::up: vertical(line - 1); return;
    case CaretMove::down: vertical(line + 1); return;
    case CaretMove::page_up: vertical(line - std::max(page_lines, 1)); return;
    case CaretMove::page_down: vertical(line + std::max(page_lines, 1)); return;
    case CaretMove::line_start: place_caret(from_lines({at.paragraph, at.line, 0}), extend); break;
    case CaretMove::line_end: {
        std::string_view text = line_text(at.paragraph, at.line);
        int32_t end = static_cast<int32_t>(text.size());
        if (at.line + 1 < paragraph_line_count(at.paragraph) && end > 0) --end;
        place_caret(from_lines({at.paragraph, at.line, end}), extend);
        break;
    }
    }
    m_goal_x = -1;
}

void TextModel::click_at(int32_t absolute_line, int32_t x, bool extend) {
    if (paragraph_count() == 0) return;
    place_caret(place_at_x(std::clamp(absolute_line, 0, line_count() - 1), x), extend);
    m_goal_x = -1;
}

void TextModel::select_word() {
    if (paragraph_count() == 0) return;
    const std::string& text = paragraph(m_caret.paragraph);
    size_t start = static_cast<size_t>(m_caret.offset), end = start;
    while (start > 0 && text[start - 1] != ' ')
        --start;
    while (end < text.size() && text[end] != ' ')
        ++end;
    m_anchor = {m_caret.paragraph, static_cast<int32_t>(start)};
    m_caret = {m_caret.paragraph, static_cast<int32_t>(end)};
    m_goal_x = -1;
}

} // namespace quillet::xvt_detail
