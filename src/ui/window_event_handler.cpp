#include "ui/window_event_handler.h"

#include "interp/registers.h"
#include "ui/controls/control_handler.h"
#include "ui/default_window.h"
#include "ui/engine_timers.h"
#include "ui/events/event_queue.h"
#include "ui/keys_and_mouse.h"
#include "ui/menus/menu_tree.h"
#include "ui/objects/window_routines.h"
#include "ui/text_edits/text_edit_input.h"
#include "ui/window_after_draw.h"
#include "ui/window_table.h"
#include "values/strings.h"

namespace quillet {
namespace {

constexpr int32_t insert_key = 312;          // queued even past a text edit
constexpr int32_t first_menu_tag = 10001;    // tags below it arrive as keys
constexpr int32_t text_edit_id_offset = 101; // control IDs of text edits
constexpr int32_t horizontal_bar = -1;       // scroll slices of the window's own bars
constexpr int32_t vertical_bar = -2;

void queue(int n, const XvtEvent& event) {
    if (event_mode()) queue_event(n, event);
}

int32_t screen_attr(XvtWindow window, XvtScreenAttr attr) {
    return xp_vobj_get_attr(window, static_cast<int32_t>(attr));
}

void on_create(XvtWindow native, WindowRecord& record) {
    xp_dwin_clear(native,
                  static_cast<Color>(screen_attr(native, XvtScreenAttr::window_background)));
    IntRect client;
    xp_vobj_get_client_rect(native, client);
    record.pixel_width = client.right;
    record.pixel_height = client.bottom;
    record.create_words = {};
    if (!record.immune) return;
    IntSize size{client.right, client.bottom};
    if (record.flags & window_flag::resize_box)
        size = {screen_attr(native, XvtScreenAttr::screen_width),
                screen_attr(native, XvtScreenAttr::screen_height)};
    record.backing_pixmap =
        xp_pmap_create(native, 8, std::max(size.width, 1), std::max(size.height, 1));
    if (record.backing_pixmap != no_xvt_window)
        xp_dwin_clear(record.backing_pixmap,
                      static_cast<Color>(screen_attr(native, XvtScreenAttr::window_background)));
}

// Frees what the record holds and marks the slot free.
void on_destroy(int n, WindowRecord& record) {
    if (!record.in_use()) return;
    // The window's menus go with it, installed or not: a later window given its number starts
    // without them.
    remove_menu_bar(n, true);
    if (record.text_font.font != 0) xp_font_destroy(record.text_font.font);
    if (n == default_window) window_table.default_fonts_pending = false;
    for (Addr s : record.retained_strings)
        str_release(s);
    XvtWindow pixmap = record.backing_pixmap;
    record = WindowRecord{}; // free slot: native window -1, every list and string gone
    // When the whole window system ends, the pixmap may have gone before its window.
    if (pixmap != no_xvt_window && xvt_pmap_surface(pixmap)) xp_pmap_destroy(pixmap);
    if (n == default_window && !event_mode() && window_table.exit_on_default_destroy)
        window_table.exit_requested = true;
}

void on_size(int n, XvtWindow native, WindowRecord& record, const XvtEvent& event) {
    record.pixel_height = static_cast<int16_t>(event.words[1] & 0xFFFF);
    record.pixel_width = static_cast<int16_t>(static_cast<uint32_t>(event.words[1]) >> 16);
    IntRect client = IntRect::from_size(record.pixel_width, record.pixel_height);
    xp_dwin_set_clip(native, &client);
    xp_dwin_clear(native, record.background_value);
    IntRect outer;
    xp_vobj_get_outer_rect(native, outer);
    record.rect.left = outer.left + screen_attr(native, XvtScreenAttr::resize_border_width);
    record.rect.right = record.rect.left + record.pixel_width;
    record.rect.bottom = outer.bottom - screen_attr(native, XvtScreenAttr::resize_border_height);
    record.rect.top = record.rect.bottom - record.pixel_height;
    record.resized = true;
    queue(n, event);
    xp_dwin_invalidate_rect(native, nullptr);
    if (vm.fp() != 0 && !record.channels.empty()) run_resize_routine(n);
}

void on_update(int n, XvtWindow native, WindowRecord& record, const XvtEvent& event) {
    // The engine changing a text edit leaves the window's updates alone meanwhile.
    if (text_edit_engine.changing) return;
    if (record.updates_to_ignore > 0) {
        --record.updates_to_ignore;
        return;
    }
    if (record.repaint_fully) {
        record.repaint_fully = false;
        xp_vobj_set_attr(native, static_cast<int32_t>(XvtScreenAttr::repaint_in_layout), 1);
        xp_dwin_invalidate_rect(native, nullptr);
        xp_vobj_set_attr(native, static_cast<int32_t>(XvtScreenAttr::repaint_in_layout), 0);
        return;
    }
    if (record.backing_pixmap != no_xvt_window) {
        IntRect clip;
        xp_dwin_get_clip(native, clip);
        window_after_update(n, {event.words[1], event.words[2], event.words[3], event.words[4]});
        if (find_window(n)) xp_dwin_set_clip(native, &clip);
    }
    queue(n, event);
}

void on_close(int n, XvtWindow native, WindowRecord& record, const XvtEvent& event) {
    if (!event_mode()) {
        xp_vobj_destroy(native);
        return;
    }
    if (!(record.flags & window_flag::no_hide)) {
        record.state = WindowState::hidden;
        xp_vobj_set_visible(native, false);
        if (n == default_window) window_table.default_not_yet_shown = true;
    }
    queue(n, event);
}

void store_mouse(WindowRecord& record, const XvtEvent& event, int32_t left_state) {
    IntPoint p = xvt_unpack_point(event.words[1]);
    if (event.words[4] == 0) record.mouse_state = left_state; // left button only
    record.mouse_x = static_cast<int16_t>(p.x);
    record.mouse_y = static_cast<int16_t>(p.y);
}

// Every release ends the pointer trap and is stored, also one that the text edit turns into
// TXE MOUSE; a press or double click that the text edit takes is its own.
void on_mouse(int n, XvtWindow native, WindowRecord& record, const XvtEvent& event) {
    bool up = event.kind() == EventKind::mouse_up;
    if (up) {
        xp_win_release_pointer();
        store_mouse(record, event, 3);
    }
    if (text_edit_mouse(n, event)) return;
    if (!up) {
        xp_win_trap_pointer(native);
        store_mouse(record, event, event.words[2] ? 4 : 2);
    }
    queue(n, event);
}

void on_mouse_move(int n, WindowRecord& record, const XvtEvent& event) {
    IntPoint p = xvt_unpack_point(event.words[1]);
    if (p.x != record.mouse_x || p.y != record.mouse_y) {
        record.mouse_x = static_cast<int16_t>(p.x);
        record.mouse_y = static_cast<int16_t>(p.y);
    }
    if (record.flags & window_flag::mouse_move_events) queue(n, event);
}

void on_key(int n, WindowRecord& record, const XvtEvent& event) {
    int32_t key = static_cast<int16_t>(event.words[1] & 0xFFFF);
    if (key == 0 || record.cursor_code == xvt_cursor::wait) return;
    // A key goes first to an edit field left through an exit character, then to the active
    // text edit.
    if (key != insert_key && (edit_field_exit_key(n, event) || text_edit_key(n, event))) return;
    queue_key(n, event, false);
}

void on_menu(int n, const XvtEvent& event) {
    int32_t tag = event.words[1];
    if (tag < first_menu_tag) {
        queue_key(n, event, false);
        return;
    }
    queue(n, event);
}

void on_control(int n, const XvtEvent& event) {
    XvtEvent control = event;
    if (control.words[2] == static_cast<int32_t>(ControlType::text_edit))
        control.words[1] = event.words[1] + text_edit_id_offset;
    control_handler(n, control);
}

bool is_text_edit(XvtWindow native) {
    return native != no_xvt_window && native != free_window_slot && xvt_host_window(native) != 0 &&
           xp_vobj_get_type(native) == static_cast<int32_t>(WindowType::text_edit);
}

// A text edit's keys, clicks and focus changes come with the text edit as their window: they are
// events of the window it is in. Keys take the key path; clicks are the window's clicks (their
// points are in its client area); focus changes are the text edit's own.
long text_edit_event(XvtWindow tx, const XvtEvent& event) {
    int n = window_number_of(xp_vobj_get_parent(tx));
    if (n < 0) return 0;
    WindowRecord& record = window_record(n);
    switch (event.kind()) {
    case EventKind::character: on_key(n, record, event); return 0;
    case EventKind::mouse_down:
    case EventKind::mouse_double:
    case EventKind::mouse_up: on_mouse(n, record.native_window, record, event); break;
    default: break;
    }
    if (find_window(n)) xp_tx_process_event(tx, event);
    return 0;
}

} // namespace

long window_event_handler(XvtWindow native, const XvtEvent& event) {
    if (is_text_edit(native)) return text_edit_event(native, event);
    int n = window_number_of(native);
    if (n < 0) return 0;
    WindowRecord& record = window_record(n);
    switch (event.kind()) {
    case EventKind::create: on_create(native, record); return 0;
    case EventKind::destroy: on_destroy(n, record); return 0;
    case EventKind::focus:
        if (event.words[1] == 0 && n != default_window) record.repaint_fully = true;
        queue(n, event);
        break;
    case EventKind::size: on_size(n, native, record, event); break;
    case EventKind::update: on_update(n, native, record, event); break;
    case EventKind::close: on_close(n, native, record, event); return 0;
    case EventKind::mouse_down:
    case EventKind::mouse_double:
    case EventKind::mouse_up: on_mouse(n, native, record, event); break;
    case EventKind::mouse_move: on_mouse_move(n, record, event); break;
    case EventKind::character: on_key(n, record, event); return 0;
    case EventKind::vscroll:
    case EventKind::hscroll: {
        // Word 1 the action, word 2 the thumb's position.
        bool vertical = event.kind() == EventKind::vscroll;
        scroll_slice(n, vertical ? vertical_bar : horizontal_bar, !vertical, event.words[1],
                     event.words[2]);
        break;
    }
    case EventKind::menu: on_menu(n, event); break;
    case EventKind::control: on_control(n, event); break;
    case EventKind::timer:
        if (engine_timer_expired(static_cast<XvtTimer>(event.words[1]))) return 0;
        break;
    default: break;
    }
    // Every event the handler did not consume reaches the layer's text edits.
    if (find_window(n)) xp_tx_process_event(native, event);
    return 0;
}

} // namespace quillet
