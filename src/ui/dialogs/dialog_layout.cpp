// Message and list dialog boxes laid out from the system measures.
#include "ui/dialogs/dialog_layout.h"

#include <algorithm>
#include <cctype>

namespace quillet {
namespace {

constexpr int32_t list_rows = 10; // the list box's height in static text lines
// Fields beyond the 16-bit IDs cannot be told apart; no dialog has room for them anyway.
constexpr int32_t max_fields = 1000;

bool is_blank(char c) {
    return c == ' ';
}
bool is_punctuation(char c) {
    return std::ispunct(static_cast<unsigned char>(c)) != 0;
}

std::string_view skip_blanks(std::string_view text) {
    while (!text.empty() && is_blank(text.front()))
        text.remove_prefix(1);
    return text;
}

// An automatic edge centres the extent on the window's, at least 10 pixels in from its start.
int32_t centred(int32_t window_start, int32_t window_extent, int32_t extent) {
    return std::max(window_start + (window_extent - extent) / 2, window_start + 10);
}

uint32_t justify_flags(int32_t justify) {
    if (justify == 1) return xvt_dlg_flag::centered;
    if (justify == 2) return xvt_dlg_flag::right;
    return 0;
}

int32_t width_of(const DialogLayoutRequest& r, const DialogMeasures& m) {
    const int32_t u = m.unit, u2 = 2 * u, u9 = 9 * u;
    if (r.right != -1) return std::max(r.right - r.left + 1, 1);
    int32_t w = r.shape == DialogShape::list ? std::max(60 * u, 36 * u + u9 + 3 * u2)
                                             : std::max(60 * u, 5 * u2 + 4 * u9);
    const int32_t limit = r.left == -1 ? m.screen.width - 10 : m.screen.width - r.left - 10;
    return std::max(std::min(w, limit), 1);
}

} // namespace

std::vector<std::string> wrap_message(std::string_view text, int32_t max_chars) {
    const size_t limit = static_cast<size_t>(std::max(max_chars, 1));
    std::vector<std::string> lines;
    while (text.size() > limit) {
        std::string_view head = text.substr(0, limit);
        size_t blank = head.find_last_of(' ');
        if (blank != std::string_view::npos && blank > 0) {
            std::string_view line = head.substr(0, blank);
            while (!line.empty() && is_blank(line.back()))
                line.remove_suffix(1);
            lines.emplace_back(line);
            text = skip_blanks(text.substr(blank + 1));
            continue;
        }
        size_t cut = limit; // a word longer than the line breaks at the limit
        for (size_t i = head.size(); i-- > 0;)
            if (is_punctuation(head[i])) {
                cut = i + 1;
                break;
            }
        lines.emplace_back(head.substr(0, cut));
        text = skip_blanks(text.substr(cut));
    }
    if (!text.empty() || lines.empty()) lines.emplace_back(text);
    return lines;
}

std::vector<XvtDialogItem> DialogLayout::items() const {
    std::vector<XvtDialogItem> out;
    out.reserve(controls.size() + 1);
    for (const DialogControl& c : controls)
        out.push_back({c.type, c.rect, c.text, c.id, c.flags});
    out.push_back({});
    return out;
}

DialogLayout lay_out_dialog(const DialogLayoutRequest& r, const DialogMeasures& m) {
    const int32_t u = m.unit, u2 = 2 * u, u9 = 9 * u;
    const int32_t sh = m.static_height, bh = m.button_height, eh = m.edit_height;
    const int32_t w = width_of(r, m);

    std::vector<std::string> lines;
    for (const std::string& message : r.messages) {
        if (!r.wrap) {
            lines.push_back(message);
            continue;
        }
        for (std::string& line : wrap_message(message, (w - 2 * u2) / std::max(u, 1)))
            lines.push_back(std::move(line));
    }
    const int32_t line_count = static_cast<int32_t>(std::min<size_t>(lines.size(), INT32_MAX / 2));
    const int32_t field_rows = static_cast<int32_t>(std::max(r.labels.size(), r.values.size()));
    const bool fields = r.shape == DialogShape::message && field_rows > 0;

    int32_t h = 0;
    if (r.bottom != -1) {
        h = std::max(r.bottom - r.top + 1, 1);
    } else {
        int64_t automatic = int64_t{3} * sh + bh + int64_t{line_count} * sh;
        if (fields) automatic += int64_t{field_rows} * eh + 2 * sh;
        if (r.shape == DialogShape::list) automatic += int64_t{list_rows} * sh;
        // Taller than the screen would put the buttons out of reach.
        h = static_cast<int32_t>(
            std::clamp<int64_t>(automatic, 1, std::max(m.screen.height - 10, 1)));
    }

    const IntRect& window = m.current_window;
    const int32_t left = r.left != -1 ? r.left : centred(window.left, window.width(), w);
    const int32_t top = r.top != -1 ? r.top : centred(window.top, window.height(), h);

    DialogLayout layout;
    layout.line_count = line_count;
    layout.controls.push_back({10, {left, top, left + w, top + h}, r.title, 0, 0});

    // What goes between the message lines and the button row: the list, or the fields after a
    // blank line.
    int64_t below = 0;
    if (r.shape == DialogShape::list) below = int64_t{list_rows} * sh;
    if (fields) below = int64_t{std::min(field_rows, max_fields)} * eh + sh;
    int32_t shown_lines = 0;
    for (int32_t i = 0; i < line_count; ++i) {
        const int64_t y = int64_t{sh} + int64_t{i} * sh;
        // Lines that would leave no room for the list or the fields, or run into the button
        // row (a height held to the screen or given too small), are not made; the first is.
        if (y + sh + below > int64_t{h} - 2 * sh - bh && i > 0) break;
        ++shown_lines;
        const int32_t y32 = static_cast<int32_t>(y);
        layout.controls.push_back({static_cast<int32_t>(ControlType::static_text),
                                   {u2, y32, w - u2, y32 + sh},
                                   std::move(lines[static_cast<size_t>(i)]),
                                   dialog_static_id,
                                   justify_flags(r.message_justify)});
    }

    const int32_t n = static_cast<int32_t>(std::min<size_t>(r.buttons.size(), dialog_max_buttons));
    int32_t x = u2;
    if (r.button_justify == 1) x = w / 2 - (n * u9 + (n - 1) * u2) / 2;
    if (r.button_justify == 2) x = w - n * (u9 + u2);
    for (int32_t b = 0; b < n; ++b) {
        const int32_t bx = x + b * (u9 + u2);
        layout.controls.push_back({static_cast<int32_t>(ControlType::push_button),
                                   {bx, h - sh - bh, bx + u9, h - sh},
                                   r.buttons[static_cast<size_t>(b)],
                                   static_cast<int16_t>(b + 1),
                                   b + 1 == r.default_button ? xvt_dlg_flag::default_button : 0u});
    }

    const int64_t below_lines = int64_t{shown_lines} * sh;
    if (r.shape == DialogShape::list) {
        const int32_t list_top = static_cast<int32_t>(std::min<int64_t>(below_lines + sh, h));
        const int32_t list_bottom = std::max(h - 2 * sh - bh, list_top + sh);
        layout.controls.push_back({static_cast<int32_t>(ControlType::list_box),
                                   {u2, list_top, w - u2, list_bottom},
                                   "",
                                   dialog_list_id,
                                   r.multiple ? xvt_dlg_flag::multiple : 0u});
        return layout;
    }
    const int32_t rows = std::min(field_rows, max_fields);
    for (int32_t k = 0; k < rows; ++k) {
        const int64_t row64 = below_lines + 2 * sh + int64_t{k} * eh;
        // Rows that would run into the button row (a height held to the screen or given too
        // small) are not made: they would cover the buttons.
        if (row64 + eh > int64_t{h} - sh - bh) break;
        const int32_t row = static_cast<int32_t>(row64);
        if (k < static_cast<int32_t>(r.labels.size()))
            layout.controls.push_back(
                {static_cast<int32_t>(ControlType::static_text),
                 {u2, row + m.half_difference, u2 + w / 4, row + m.half_difference + sh},
                 r.labels[static_cast<size_t>(k)],
                 dialog_static_id,
                 xvt_dlg_flag::right});
        if (k < static_cast<int32_t>(r.values.size())) {
            layout.controls.push_back({static_cast<int32_t>(ControlType::edit),
                                       {w / 4 + u2, row, w - u2, row + eh},
                                       r.values[static_cast<size_t>(k)],
                                       static_cast<int16_t>(dialog_first_field_id + k),
                                       0});
            ++layout.field_count;
        }
    }
    return layout;
}

} // namespace quillet
