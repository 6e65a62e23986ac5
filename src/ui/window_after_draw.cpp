#include "ui/window_after_draw.h"

#include "ui/controls/control_state.h"
#include "ui/objects/object_lifecycle.h"
#include "ui/window_table.h"

#include <cstring>

namespace quillet {
namespace {

int32_t read_word(const std::vector<uint8_t>& bytes, size_t at) {
    int32_t word;
    std::memcpy(&word, bytes.data() + at, sizeof word);
    return word;
}

// Walks the display list; a record whose length runs past the list (or is shorter than its
// header) ends the walk.
void replay_display_list(int n, WindowRecord& record) {
    constexpr size_t header = 8;
    const std::vector<uint8_t>& list = record.display_list;
    record.replay_cursor = 0;
    while (record.replay_cursor + header <= list.size()) {
        size_t at = record.replay_cursor;
        int32_t length = read_word(list, at);
        int32_t kind = read_word(list, at + 4);
        if (length < static_cast<int32_t>(header) || at + static_cast<size_t>(length) > list.size())
            break;
        bool has_id = static_cast<size_t>(length) >= header + 4;
        int32_t id = has_id ? read_word(list, at + header) : 0;
        if (has_id && kind == display_graphic_object)
            redraw_listed_object(id);
        else if (has_id && kind == display_control && !record.no_scroll)
            relayout_listed_control(n, id);
        record.replay_cursor = at + static_cast<size_t>(length);
    }
}

// Copies `area` of the backing pixmap onto the window, within its client area.
void copy_from_pixmap(const WindowRecord& record, const IntRect& area) {
    if (record.backing_pixmap == no_xvt_window || record.native_window == no_xvt_window) return;
    const IntRect part =
        area.intersected(IntRect::from_size(record.pixel_width, record.pixel_height));
    if (part.is_empty()) return;
    // A repaint puts back what the pixmap holds whatever mode the program draws in (an XOR mode
    // would otherwise mix the window with its own copy).
    DrawTools tools;
    xp_dwin_get_draw_ctools(record.native_window, tools);
    if (tools.mode == xvt_draw_mode::copy) {
        xp_dwin_draw_pmap(record.native_window, record.backing_pixmap, &part, &part);
        return;
    }
    DrawTools copying = tools;
    copying.mode = xvt_draw_mode::copy;
    xp_dwin_set_draw_ctools(record.native_window, copying);
    xp_dwin_draw_pmap(record.native_window, record.backing_pixmap, &part, &part);
    xp_dwin_set_draw_ctools(record.native_window, tools);
}

void replay(int n, WindowRecord& record) {
    record.replaying = true;
    replay_display_list(n, record);
    record.replaying = false;
}

} // namespace

void window_after_draw(int n) {
    if (WindowRecord* record = find_window(n)) replay(n, *record);
}

void window_after_update(int n, const IntRect& update) {
    WindowRecord* record = find_window(n);
    if (!record) return;
    copy_from_pixmap(*record, update);
    replay(n, *record);
}

} // namespace quillet
