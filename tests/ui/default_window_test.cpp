// The default window over a headless window system: its start-up steps, its colour table by
// display kind, and what its event handler does with each kind of event.
#include "default_window_fixture.h"
#include "graphics/image_files.h"
#include "graphics/read_image.h"
#include "interp/registers.h"
#include "ui/colours.h"
#include "ui/controls/control_state.h"
#include "ui/engine_timers.h"
#include "ui/events/event_queue_state.h"
#include "ui/keys_and_mouse.h"
#include "ui/objects/object_dispatch.h"
#include "ui/objects/object_lifecycle.h"
#include "ui/objects/object_table.h"
#include "ui/switch_stack.h"
#include "ui/window_after_draw.h"
#include "ui/window_event_handler.h"
#include "ui/window_table.h"
#include "values/numbers.h"
#include "xvt/layer_state.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

// The pixels of the area that are not white.
int dark_pixels(const Surface& s, IntRect r) {
    int n = 0;
    for (int y = std::max(r.top, 0); y < std::min<int>(r.bottom, s.height()); ++y)
        for (int x = std::max(r.left, 0); x < std::min<int>(r.right, s.width()); ++x)
            if ((s.scanline(y)[x] & color_mask) != 0xFFFFFF) ++n;
    return n;
}

// Errors the layer reported, by operation: none is expected.
std::vector<std::string> layer_errors;
long record_error(const ErrorRecord& record, long) {
    layer_errors.emplace_back(record.api);
    return 1;
}

class DefaultWindowTest : public DefaultWindowFixture {
protected:
    void start(int depth = 32) {
        start_window_system(depth);
        xvt_errmsg_set_hook(record_error);
        create_default_window();
    }
    void SetUp() override {
        DefaultWindowFixture::SetUp();
        layer_errors.clear();
    }
    void TearDown() override {
        EXPECT_EQ(layer_errors, std::vector<std::string>{});
        DefaultWindowFixture::TearDown();
    }
};

TEST_F(DefaultWindowTest, StartsHiddenWithItsRecordFontsAndBackingPixmap) {
    start();
    WindowRecord& r = window0();
    ASSERT_TRUE(is_valid_window(0));
    EXPECT_NE(r.native_window, no_xvt_window);
    EXPECT_EQ(window_number_of(r.native_window), 0);
    EXPECT_FALSE(is_user_window(r.native_window));
    EXPECT_EQ(r.rect.left, 40);
    EXPECT_EQ(r.rect.top, 80);
    EXPECT_EQ(r.rect.right, 1024 - 40);
    EXPECT_EQ(r.rect.bottom, 768 - 40);
    EXPECT_EQ(r.state, WindowState::hidden);
    EXPECT_TRUE(window_table.default_not_yet_shown);
    EXPECT_FALSE(xvt_detail::app.windows->is_visible(xvt_host_window(r.native_window)));
    EXPECT_EQ(r.title, "Quillet BASIC Amber Edition");
    EXPECT_EQ(r.flags, window_flag::resize_box | window_flag::close_box);
    // The create event measured the client area and made a screen-sized pixmap.
    EXPECT_EQ(r.pixel_width, 1024 - 80);
    EXPECT_EQ(r.pixel_height, 768 - 120);
    ASSERT_NE(r.backing_pixmap, no_xvt_window);
    ASSERT_NE(xvt_pmap_surface(r.backing_pixmap), nullptr);
    EXPECT_EQ(xvt_pmap_surface(r.backing_pixmap)->width(), 1024);
    // Courier New 10: fixed pitch, line height the sum of its parts. The fonts are opened at their
    // first use, and with them come the system measures.
    EXPECT_TRUE(window_table.default_fonts_pending);
    const TextMetrics& m = text_metrics(r);
    EXPECT_FALSE(window_table.default_fonts_pending);
    EXPECT_NE(m.font, 0u);
    EXPECT_EQ(m.family, "Courier New");
    EXPECT_EQ(m.font_size, 10);
    EXPECT_GT(m.char_width, 0);
    EXPECT_EQ(m.line_height, m.ascent + m.descent + m.leading);
    EXPECT_GT(system_measures.char_unit, 0);
    EXPECT_EQ(system_measures.char_unit_9, 9 * system_measures.char_unit);
    EXPECT_EQ(system_measures.heights[3],
              (system_measures.heights[2] - system_measures.heights[0]) / 2);
    EXPECT_EQ(r.pen.colour, -1);
    EXPECT_EQ(r.brush.pattern, 1);
    EXPECT_EQ(r.background_value, 0xFFFFFFu);
    DrawTools tools;
    xp_dwin_get_draw_ctools(r.native_window, tools);
    EXPECT_EQ(tools.opaque_text, 1);
}

TEST_F(DefaultWindowTest, ColourTableFollowsTheDisplayKind) {
    start(1); // two colours: white, then blacks; the last entry black, the one before white
    EXPECT_EQ(colours.max_colour, 1);
    ASSERT_EQ(colours.table.size(), 16u);
    EXPECT_EQ(colours.table[0] & color_mask, 0xFFFFFFu);
    for (size_t i = 1; i < 16; ++i)
        EXPECT_EQ(colours.table[i], 0u) << i;
    // The standard colours were snapped to black and white, marked with index + 16.
    EXPECT_EQ(colours.standard[7], snapped_colour(7, 0xFFFFFF));
    EXPECT_EQ(colours.standard[1], snapped_colour(1, 0x000000));
    EXPECT_EQ(colours.named[3], snapped_colour(3, 0x000000)); // red on two colours
}

TEST_F(DefaultWindowTest, SixteenAndTrueColourTables) {
    start(4);
    EXPECT_EQ(colours.max_colour, 15);
    EXPECT_EQ(colour_value(4), 0xAA0000u);
    EXPECT_EQ(colour_value(14), 0xFFFFFFu); // max - 1 becomes white
    EXPECT_EQ(colour_value(15), 0x000000u); // max becomes black
    xvt_app_destroy();
    reset_ui_state();
    start(32);
    EXPECT_EQ(colours.max_colour, 255);
    EXPECT_EQ(colours.table.size(), 256u);
    EXPECT_EQ(colour_value(12), 0xFF0000u);
    EXPECT_EQ(colour_entry(12), snapped_colour(12, 0xFF0000));
    EXPECT_EQ(colour_value(254), 0xFFFFFFu);
    EXPECT_EQ(colour_value(255), 0x000000u);
}

TEST_F(DefaultWindowTest, ShowingHappensOnceAndOnlyForTheCurrentDefaultWindow) {
    start();
    window_table.current = 3;
    show_default_window();
    EXPECT_TRUE(window_table.default_not_yet_shown);
    window_table.current = 0;
    show_default_window();
    EXPECT_FALSE(window_table.default_not_yet_shown);
    EXPECT_EQ(window0().state, WindowState::shown);
    EXPECT_TRUE(xvt_detail::app.windows->is_visible(xvt_host_window(window0().native_window)));
}

TEST_F(DefaultWindowTest, KeysAreQueuedUnlessZeroOrUnderTheWaitCursor) {
    start();
    send(event(EventKind::character, {'a'}));
    send(event(EventKind::character, {0}));
    send(event(EventKind::menu, {42, 0, 0})); // a menu tag below 10001 is a key
    window0().cursor_code = xvt_cursor::wait;
    send(event(EventKind::character, {'b'}));
    window0().cursor_code = xvt_cursor::arrow;
    send(event(EventKind::character, {0xFFFF})); // 16 bits, sign-extended
    EXPECT_EQ(key_queue.key_count, 3);
    int32_t key = 0;
    ASSERT_EQ(take_key(key), 0);
    EXPECT_EQ(key, 'a');
    ASSERT_EQ(take_key(key), 0);
    EXPECT_EQ(key, 42);
    ASSERT_EQ(take_key(key), 0);
    EXPECT_EQ(key, -1);
    EXPECT_EQ(take_key(key), 1);
    EXPECT_EQ(key_queue.key_count, 0);
}

TEST_F(DefaultWindowTest, MouseStateAndPositionFollowTheLeftButton) {
    start();
    send(event(EventKind::mouse_down, {xvt_pack_point({30, 20}), 0, 0, 0}));
    EXPECT_EQ(window0().mouse_state, 2);
    EXPECT_EQ(window0().mouse_x, 30);
    EXPECT_EQ(window0().mouse_y, 20);
    send(event(EventKind::mouse_up, {xvt_pack_point({31, 21}), 0, 0, 0}));
    EXPECT_EQ(window0().mouse_state, 3);
    send(event(EventKind::mouse_down, {xvt_pack_point({5, 6}), 1, 0, 0}));
    EXPECT_EQ(window0().mouse_state, 4);
    send(event(EventKind::mouse_up, {xvt_pack_point({5, 6}), 0, 0, 1})); // right: state kept
    EXPECT_EQ(window0().mouse_state, 4);
    send(event(EventKind::mouse_move, {xvt_pack_point({-7, 9}), 0, 0}));
    EXPECT_EQ(window0().mouse_x, -7);
}

TEST_F(DefaultWindowTest, CloseWithEventModeOffDestroysAndAsksForTheExit) {
    start();
    XvtWindow native = window0().native_window;
    send(event(EventKind::close));
    EXPECT_FALSE(is_valid_window(0));
    EXPECT_EQ(xvt_host_window(native), 0u);
    EXPECT_TRUE(window_table.exit_requested);
}

// The host event kinds of the event queue's entries, oldest first.
std::vector<int> queued_kinds() {
    std::vector<int> kinds;
    for (const QueuedEvent& e : event_queue.entries)
        kinds.push_back(e.host.words[0]);
    return kinds;
}

TEST_F(DefaultWindowTest, CloseWithEventModeOnHidesAndQueues) {
    start();
    set_event_mode(true);
    show_default_window();
    send(event(EventKind::close));
    std::vector<int> queued = queued_kinds();
    EXPECT_TRUE(is_valid_window(0));
    EXPECT_EQ(window0().state, WindowState::hidden);
    EXPECT_TRUE(window_table.default_not_yet_shown);
    EXPECT_FALSE(window_table.exit_requested);
    ASSERT_FALSE(queued.empty());
    EXPECT_EQ(queued.back(), static_cast<int>(EventKind::close));
}

TEST_F(DefaultWindowTest, ClosingAllWindowsDoesNotEndTheProgram) {
    start();
    close_all_windows();
    EXPECT_FALSE(is_valid_window(0));
    EXPECT_FALSE(window_table.exit_requested);
    EXPECT_TRUE(window_table.exit_on_default_destroy);
}

// CREATE of a window (type 1) or a control (type 2) in the current window: the new ID.
int32_t create(int32_t type) {
    ObjectRequest request(0, 0, {}, {}, {num_int(type)});
    object_call(request);
    return request.new_id().value_or(-1);
}

// SHOW of an object takes the pending host events, except while a scroll slice runs: the
// program following its scroll bar is not re-entered by the events that come meanwhile.
TEST_F(DefaultWindowTest, ObjectShowTakesPendingEventsUnlessAScrollSliceRuns) {
    start();
    set_event_mode(true);
    show_default_window();
    process_host_messages();
    clear_event_queue();
    int32_t first = create(0);
    int32_t second = create(0);
    IntRect area{0, 0, 10, 10};
    xp_dwin_invalidate_rect(window0().native_window, &area);
    vm.in_slice = 1;
    ObjectRequest show_first(4, first, {}, {}, {});
    object_call(show_first);
    vm.in_slice = 0;
    EXPECT_EQ(queued_kinds(), std::vector<int>{});
    ObjectRequest show_second(4, second, {}, {}, {});
    object_call(show_second);
    EXPECT_EQ(queued_kinds(), std::vector<int>{static_cast<int>(EventKind::update)});
}

TEST_F(DefaultWindowTest, ClosingAllWindowsFreesUserWindowsAndTheirControlsAsFreeDoes) {
    start();
    int32_t shown = create(1);
    ObjectRequest show(4, shown, {}, {}, {});
    object_call(show);
    ASSERT_EQ(window_table.current, shown);
    int32_t control = create(2);
    int32_t never_shown = create(1);
    ASSERT_NE(find_object(control), nullptr);
    XvtWindow native = window_record(shown).native_window;
    close_all_windows();
    EXPECT_EQ(find_object(control), nullptr);
    EXPECT_FALSE(is_valid_window(shown));
    EXPECT_EQ(xvt_host_window(native), 0u);
    EXPECT_FALSE(is_valid_window(never_shown)); // no destroy event frees it: FREE does
    EXPECT_FALSE(is_valid_window(0));
}

TEST_F(DefaultWindowTest, EngineTimersAreKilledByTheirEventAndTheLimitSetsItsFlag) {
    start();
    arm_input_time_limit(0);
    XvtTimer limit = engine_timers.input_limit;
    ASSERT_NE(limit, 0u);
    send(event(EventKind::timer, {static_cast<int32_t>(limit)}));
    EXPECT_EQ(engine_timers.input_limit, 0u);
    EXPECT_TRUE(engine_timers.input_limit_expired);
    disarm_input_time_limit();
    EXPECT_FALSE(engine_timers.input_limit_expired);
}

// The display list's records: a graphic object (kind 10) is drawn again, a control (kind 15)
// is laid out again (a shown one not yet made is made) unless the window does not scroll, other
// kinds are skipped, and a record running past the list ends the walk.
TEST_F(DefaultWindowTest, RepaintReplaysTheDisplayList) {
    start();
    show_default_window();
    auto shown_entry = [](int32_t kind, IntRect rect) -> ObjectEntry& {
        int32_t id = allocate_object_id();
        ObjectEntry& entry = object_tables.objects[static_cast<size_t>(id - first_object_id)];
        entry.id = id;
        entry.kind = kind;
        entry.rect = rect;
        entry.flags |= object_flag::shown;
        return entry;
    };
    auto box = [&](IntRect rect) {
        ObjectEntry& entry = shown_entry(object_kind::graphic, rect);
        entry.graphic.type = graphic_shape::rectangle;
        return entry.id;
    };
    const IntRect drawn_area{10, 10, 30, 30}, skipped_area{40, 10, 60, 30},
        past_area{70, 10, 90, 30};
    int32_t drawn = box(drawn_area), skipped = box(skipped_area), past = box(past_area);
    ObjectEntry& button = shown_entry(object_kind::control, {100, 10, 150, 30});
    set_control_kind(button, control_kind::push_button);
    int32_t button_id = button.id;
    auto put = [&](int32_t length, int32_t kind, int32_t id) {
        for (int32_t w : {length, kind, id})
            for (int b = 0; b < 4; ++b)
                window0().display_list.push_back(static_cast<uint8_t>(w >> (8 * b)));
    };
    put(12, display_graphic_object, drawn);
    put(12, display_control, button_id);
    put(12, 3, skipped);
    put(4000, display_graphic_object, past);
    const Surface& screen =
        *xvt_detail::app.windows->surface(xvt_host_window(window0().native_window));
    window0().no_scroll = true;
    window_after_draw(0);
    EXPECT_GT(dark_pixels(screen, drawn_area), 0);
    EXPECT_EQ(dark_pixels(screen, skipped_area), 0);
    EXPECT_EQ(dark_pixels(screen, past_area), 0);
    EXPECT_EQ(native_control(object_entry(button_id)), no_xvt_window);
    window0().no_scroll = false;
    window_after_update(0, IntRect::from_size(window0().pixel_width, window0().pixel_height));
    EXPECT_GT(dark_pixels(screen, drawn_area), 0);
    EXPECT_NE(native_control(object_entry(button_id)), no_xvt_window);
    EXPECT_FALSE(window0().replaying);
}

TEST(SwitchStack, KeepsAThousandWordsAndPopsZeroWhenEmpty) {
    reset_switch_stack();
    for (int i = 0; i < 1005; ++i)
        push_switch(i);
    EXPECT_EQ(pop_switch(), 999);
    for (int i = 0; i < 999; ++i)
        pop_switch();
    EXPECT_EQ(pop_switch(), 0);
}

} // namespace
} // namespace quillet

namespace quillet {
namespace {

TEST_F(DefaultWindowTest, TextReachesTheWindowAndItsPixmap) {
    start();
    show_default_window();
    WindowRecord& r = window0();
    int32_t y = r.pixel_height - 10;
    for_each_drawable(r, [&](XvtWindow w) { xp_dwin_draw_text(w, 1, y, "Press any key.", 14); });
    IntRect area{0, y - 20, 200, y + 5};
    EXPECT_GT(dark_pixels(*xvt_pmap_surface(r.backing_pixmap), area), 0);
    host::WindowSystem& ws = *xvt_detail::app.windows;
    Surface* window_surface = ws.surface(xvt_host_window(r.native_window));
    ASSERT_NE(window_surface, nullptr);
    EXPECT_GT(dark_pixels(*window_surface, area), 0);
}

// A repaint in an XOR drawing mode puts the pixmap's pixels back as they are (it must not mix
// the window with its own copy) and leaves the program's mode in place.
TEST_F(DefaultWindowTest, RepaintCopiesWhateverTheDrawingMode) {
    start();
    show_default_window();
    WindowRecord& r = window0();
    int32_t y = r.pixel_height - 10;
    for_each_drawable(r, [&](XvtWindow w) { xp_dwin_draw_text(w, 1, y, "Press any key.", 14); });
    IntRect area{0, y - 20, 200, y + 5};
    Surface* window_surface = xvt_detail::app.windows->surface(xvt_host_window(r.native_window));
    ASSERT_NE(window_surface, nullptr);
    int before = dark_pixels(*window_surface, area);
    ASSERT_GT(before, 0);
    DrawTools tools;
    xp_dwin_get_draw_ctools(r.native_window, tools);
    tools.mode = xvt_draw_mode::xor_;
    xp_dwin_set_draw_ctools(r.native_window, tools);
    window_after_update(0, area);
    EXPECT_EQ(dark_pixels(*window_surface, area), before);
    DrawTools after;
    xp_dwin_get_draw_ctools(r.native_window, after);
    EXPECT_EQ(after.mode, xvt_draw_mode::xor_);
}

// On a palette screen an image object's file brings a palette along, and drawing the object
// makes it the window's palette.
TEST_F(DefaultWindowTest, DrawingAnImageWithAPaletteSelectsItForTheWindow) {
    start(8);
    Surface two(2, 1, 0x123456);
    two.set_pixel(1, 0, 0x654321);
    const std::string path = testing::TempDir() + "quillet-palette-image.bmp";
    {
        const std::vector<uint8_t> file =
            encode_image_file(ImageType::bmp, encode_picture(two, {8, {0x123456, 0x654321}}));
        FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(file.data(), 1, file.size(), f);
        std::fclose(f);
    }
    ObjectEntry entry;
    entry.kind = object_kind::graphic;
    entry.graphic.type = graphic_shape::image;
    entry.graphic.image.picture = ImagePicture::of_image_file(read_image("", path, true));
    std::remove(path.c_str());
    entry.window = default_window;
    entry.rect = {0, 0, 2, 1};
    const XvtPalette palette = entry.graphic.image.picture.palette();
    ASSERT_NE(palette, 0u);
    std::vector<Color> colours(static_cast<size_t>(xp_palet_size(palette)));
    xp_palet_get_colors(palette, colours);
    EXPECT_NE(std::find(colours.begin(), colours.end(), 0x654321u), colours.end());
    EXPECT_TRUE(xvt_vobj_get_palet(window0().native_window).empty());
    draw_graphic_object(entry);
    EXPECT_EQ(xvt_vobj_get_palet(window0().native_window), colours);
}

} // namespace
} // namespace quillet
