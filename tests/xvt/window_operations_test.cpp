// Window operations, rectangles, the task window and the accelerator table, on the headless
// backend.
#include "xvt_test_support.h"

#include <algorithm>

namespace quillet {
namespace {

using namespace xvt_test;

class WindowOperations : public LayerTest {};

TEST_F(WindowOperations, TitleIsReadTruncatedToTheBuffer) {
    XvtWindow w = open("First");
    xp_vobj_set_title(w, "A longer title");
    EXPECT_EQ(ws().title(xvt_host_window(w)), "A longer title");
    char small[5];
    EXPECT_EQ(xp_vobj_get_title(w, small), 4);
    EXPECT_STREQ(small, "A lo");
    char big[64];
    EXPECT_EQ(xp_vobj_get_title(w, big), 14);
    EXPECT_STREQ(big, "A longer title");
    EXPECT_EQ(xp_vobj_get_title(w, std::span<char>()), 0);
    ASSERT_EQ(hooked_errors.size(), 1u);
    EXPECT_EQ(hooked_errors[0].id, 0x20000007u);
}

TEST_F(WindowOperations, VisibilityEnablingRaisingAndParent) {
    XvtWindow a = open("A");
    XvtWindow b = open("B");
    host::WindowId ha = xvt_host_window(a);
    xp_vobj_set_visible(a, false);
    EXPECT_FALSE(ws().is_visible(ha));
    xp_vobj_set_visible(a, true);
    EXPECT_TRUE(ws().is_visible(ha));
    xp_vobj_set_enabled(a, false);
    EXPECT_FALSE(ws().is_enabled(ha));
    xp_vobj_set_enabled(a, true);
    EXPECT_TRUE(ws().is_enabled(ha));
    xp_vobj_raise(b);
    EXPECT_EQ(ws().top_level_windows().back(), xvt_host_window(b));
    xp_vobj_raise(a);
    EXPECT_EQ(ws().top_level_windows().back(), ha);

    XvtWinDef def;
    def.type = 7;
    def.client = {5, 6, 55, 46};
    XvtWindow child = xp_win_create_def(def, a, recorder(), 0);
    ASSERT_NE(child, no_xvt_window);
    EXPECT_EQ(xp_vobj_get_parent(child), a);
    EXPECT_EQ(xp_vobj_get_parent(a), no_xvt_window);
    EXPECT_EQ(ws().parent(xvt_host_window(child)), ha);
    EXPECT_TRUE(hooked_errors.empty());
}

TEST_F(WindowOperations, DefinitionFlagsShapeTheFrameAndTheStartingState) {
    using namespace xvt_win_flag;
    auto style = [this](XvtWindow w) { return ws().style(xvt_host_window(w)); };
    const host::WindowStyle plain = style(open("Plain", 1, 0));
    EXPECT_FALSE(plain.caption || plain.sizable || plain.minimize_box || plain.maximize_box);
    EXPECT_FALSE(plain.hscroll || plain.vscroll);
    const host::WindowStyle sizable = style(open("Sizable", 1, resizable));
    EXPECT_TRUE(sizable.sizable);
    EXPECT_FALSE(sizable.caption);
    const host::WindowStyle captioned = style(open("Caption", 1, caption | minimize_box));
    EXPECT_TRUE(captioned.caption && captioned.maximize_box && captioned.minimize_box);
    EXPECT_FALSE(captioned.sizable);
    const host::WindowStyle full = style(open("Full", 1, overlapped));
    EXPECT_TRUE(full.caption && full.sizable && full.minimize_box && full.maximize_box);
    // Types 2 and 3 add a thin border and a dialog frame.
    EXPECT_TRUE(style(open("Thin", 2, 0)).thin_border);
    EXPECT_TRUE(style(open("Framed", 3, 0)).dialog_frame);

    XvtWindow hidden = open("Hidden", 1, overlapped | xvt_win_flag::hidden);
    XvtWindow disabled = open("Disabled", 1, overlapped | xvt_win_flag::disabled);
    XvtWindow normal = open("Normal", 1, overlapped);
    EXPECT_FALSE(ws().is_visible(xvt_host_window(hidden)));
    EXPECT_TRUE(ws().is_enabled(xvt_host_window(hidden)));
    EXPECT_TRUE(ws().is_visible(xvt_host_window(disabled)));
    EXPECT_FALSE(ws().is_enabled(xvt_host_window(disabled)));
    EXPECT_TRUE(ws().is_visible(xvt_host_window(normal)) &&
                ws().is_enabled(xvt_host_window(normal)));
    // Whatever the frame, the client area has the size asked for.
    for (XvtWindow w : {hidden, disabled, open("Bars", 1, caption | hscroll | vscroll)})
        EXPECT_EQ(ws().client_size(xvt_host_window(w)), (IntSize{200, 150}));
    EXPECT_TRUE(hooked_errors.empty());
}

TEST_F(WindowOperations, MoveGivesTheClientAreaTheRectangle) {
    XvtWindow w = open("Moving", 1, xvt_win_flag::overlapped);
    xp_vobj_move(w, {100, 80, 400, 280});
    IntRect client;
    xp_vobj_get_client_rect(w, client);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 200);
    IntRect outer;
    xp_vobj_get_outer_rect(w, outer);
    host::WindowId id = xvt_host_window(w);
    IntRect inside = ws().client_area_in_outer(id);
    EXPECT_EQ(outer.left + inside.left, 100);
    EXPECT_EQ(outer.top + inside.top, 80);
    EXPECT_GT(outer.width(), 300); // the frame grows around the client area
}

TEST_F(WindowOperations, CursorsByTheHostsIdentifiers) {
    XvtWindow w = open("Cursor");
    host::WindowId id = xvt_host_window(w);
    EXPECT_EQ(xp_win_get_cursor(w), xvt_cursor::arrow);
    xp_win_set_cursor(w, xvt_cursor::ibeam);
    EXPECT_EQ(xp_win_get_cursor(w), xvt_cursor::ibeam);
    EXPECT_EQ(ws().cursor(id), host::CursorShape::ibeam);
    xp_win_set_cursor(w, xvt_cursor::wait);
    EXPECT_EQ(ws().cursor(id), host::CursorShape::wait);
    xp_win_set_cursor(w, 0x7F09); // no cursor: refused, the old one stays
    EXPECT_EQ(xp_win_get_cursor(w), xvt_cursor::wait);
    ASSERT_EQ(hooked_errors.size(), 1u);
    EXPECT_EQ(hooked_errors[0].id, 0x20000007u);
    EXPECT_EQ(hooked_errors[0].api, "xp_win_set_cursor");
}

TEST_F(WindowOperations, TrapPointerCapturesTheMouse) {
    XvtWindow w = open("Trap");
    xp_win_trap_pointer(w);
    EXPECT_EQ(ws().capture(), xvt_host_window(w));
    xp_win_release_pointer();
    EXPECT_EQ(ws().capture(), host::no_window);
}

TEST_F(WindowOperations, FocusGoesToTheWindow) {
    XvtWindow a = open("FocusA");
    open("FocusB");
    xp_scr_set_focus_vobj(a);
    EXPECT_EQ(ws().active_window(), xvt_host_window(a));
    EXPECT_EQ(ws().focus(), xvt_host_window(a));
}

TEST_F(WindowOperations, PaletteIsACopyAndOnlyForDrawingWindows) {
    XvtWindow w = open("Palette");
    XvtPalette p = xp_palet_create(3);
    xp_vobj_set_palet(w, p);
    xp_palet_destroy(p);
    std::vector<Color> selected = xvt_vobj_get_palet(w);
    ASSERT_EQ(selected.size(), 16u);
    EXPECT_EQ(selected[0], 0xFFFFFFu);
    xp_vobj_set_palet(w, p); // destroyed
    ASSERT_EQ(hooked_errors.size(), 1u);
    EXPECT_EQ(hooked_errors[0].id, 0x20000007u);
    XvtWindow menus_only = open("Menus", 5);
    xp_vobj_set_palet(menus_only, xp_palet_create(1));
    ASSERT_EQ(hooked_errors.size(), 2u);
    EXPECT_EQ(hooked_errors[1].id, 0x20000001u);
}

TEST_F(WindowOperations, TheDataWordIsKeptPerWindowAndStaleHandlesHaveNone) {
    XvtWindow a = open("A"), b = open("B");
    xp_vobj_set_data(a, -12345);
    EXPECT_EQ(xp_vobj_get_data(a), -12345);
    EXPECT_EQ(xp_vobj_get_data(b), 7); // as created
    xp_vobj_destroy(a);
    xp_vobj_set_data(a, 1);
    EXPECT_EQ(xp_vobj_get_data(a), 0);
    ASSERT_EQ(hooked_errors.size(), 2u);
    EXPECT_EQ(hooked_errors[0].api, "xp_vobj_set_data");
    EXPECT_EQ(hooked_errors[1].id, 0x20000001u);
}

TEST_F(WindowOperations, StaleForgedAndPixmapHandlesAreIllegalWindows) {
    XvtWindow gone = open("Gone");
    xp_vobj_destroy(gone);
    XvtWindow pixmap = xp_pmap_create(no_xvt_window, 0, 10, 10);
    for (XvtWindow w : {gone, XvtWindow{0x20000001}, pixmap}) {
        hooked_errors.clear();
        char buffer[8];
        IntRect r;
        xp_vobj_set_title(w, "x");
        xp_vobj_get_title(w, buffer);
        xp_vobj_set_visible(w, true);
        xp_vobj_set_enabled(w, true);
        xp_vobj_move(w, {0, 0, 10, 10});
        xp_vobj_raise(w);
        xp_vobj_get_outer_rect(w, r);
        xp_win_set_cursor(w, xvt_cursor::arrow);
        xp_win_trap_pointer(w);
        xp_scr_set_focus_vobj(w);
        EXPECT_EQ(xvt_win_get_ctl(w, 1), no_xvt_window);
        ASSERT_EQ(hooked_errors.size(), 11u);
        for (const ErrorRecord& e : hooked_errors) {
            EXPECT_EQ(e.id, 0x20000001u) << e.api;
            EXPECT_EQ(e.category, "vobj");
        }
    }
}

TEST(Rectangles, SetAndPointTestsWithTheRightAndBottomEdgesOutside) {
    hooked_errors.clear();
    xvt_errmsg_set_hook(record_error);
    IntRect r;
    xp_rect_set(&r, 10, 20, 30, 40);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.bottom, 40);
    EXPECT_TRUE(xp_rect_has_point(&r, {10, 20}));
    EXPECT_TRUE(xp_rect_has_point(&r, {29, 39}));
    EXPECT_FALSE(xp_rect_has_point(&r, {30, 39}));
    EXPECT_FALSE(xp_rect_has_point(&r, {29, 40}));
    xp_rect_set(nullptr, 0, 0, 1, 1);
    EXPECT_FALSE(xp_rect_has_point(nullptr, {0, 0}));
    ASSERT_EQ(hooked_errors.size(), 2u);
    EXPECT_EQ(hooked_errors[0].category, "rect");
    EXPECT_EQ(hooked_errors[1].id, 0x20000007u);
    xvt_errmsg_set_hook(nullptr);
}

std::vector<std::pair<int, int>> task_events;
long task_handler(int window, int event) {
    task_events.emplace_back(window, event);
    return 0;
}

class TaskWindow : public LayerTest {
protected:
    void create(const char* title = "Quillet BASIC/2G") {
        task_events.clear();
        AppConfig config{"prog", "prog", title, 500};
        xvt_app_create(0, nullptr, 0, task_handler, config);
    }
    // The application's pump, with its accelerator table, until the script is done.
    void pump() {
        auto& headless = static_cast<host::HeadlessBackend&>(ws().backend());
        for (int i = 0; i < 1000 && !headless.script_done(); ++i) {
            process_host_messages();
            ws().wait_for_input(ws().next_timer_due());
        }
        for (int i = 0; i < 10; ++i)
            process_host_messages();
    }
};

TEST_F(TaskWindow, IsAHiddenTitledWindowWhoseCreationReachesTheHandler) {
    create();
    XvtWindow task = xvt_task_window();
    ASSERT_NE(task, no_xvt_window);
    // The creation once, from xvt_app_create; the host window's own creation gives no second one.
    std::pair<int, int> created{static_cast<int>(task), xvt_event_create};
    EXPECT_EQ(std::count(task_events.begin(), task_events.end(), created), 1);
    host::WindowId id = xvt_host_window(task);
    EXPECT_EQ(ws().title(id), "Quillet BASIC/2G");
    EXPECT_FALSE(ws().is_visible(id));
    EXPECT_EQ(xp_vobj_get_type(task), 1);
    // Its other events go to the task handler: the session's end among them.
    task_events.clear();
    EXPECT_FALSE(ws().request_end_session(true));
    ASSERT_EQ(task_events.size(), 1u);
    EXPECT_EQ(task_events[0].second, 17);
    // A window whose parent is the task window is a top-level window.
    XvtWinDef def;
    def.client = {10, 10, 110, 110};
    XvtWindow w = xp_win_create_def(def, task, recorder(), 0);
    EXPECT_EQ(ws().parent(xvt_host_window(w)), host::no_window);
    EXPECT_TRUE(ws().is_shown(xvt_host_window(w)));
}

// The pump of a waiting built-in counts empty peeks towards its 1 ms sleep; the op loops' pump,
// which runs while a program computes, does not; a message taken by either starts the count anew.
TEST_F(TaskWindow, OnlyTheWaitingPumpCountsEmptyPeeksTowardsItsSleep) {
    create();
    pump();
    const unsigned& empty_peeks = xvt_detail::app.empty_peeks;
    unsigned before = empty_peeks;
    for (int i = 0; i < 100; ++i)
        dispatch_host_messages();
    EXPECT_EQ(empty_peeks, before);
    process_host_messages();
    process_host_messages();
    EXPECT_EQ(empty_peeks, before + 2);
    host::WindowId task = xvt_host_window(xvt_task_window());
    ws().post({task, host::Msg::command, 1, 0, 0, {}, 0});
    dispatch_host_messages();
    EXPECT_EQ(empty_peeks, 0u);
}

TEST_F(TaskWindow, AMissingTitleIsAnInvalidParameter) {
    task_events.clear();
    AppConfig config{"prog", "prog", nullptr, 500};
    xvt_app_create(0, nullptr, 0, task_handler, config);
    EXPECT_TRUE(task_events.empty());
    ASSERT_EQ(hooked_errors.size(), 1u);
    EXPECT_EQ(hooked_errors[0].id, 0x20000007u);
    EXPECT_EQ(hooked_errors[0].api, "xvt_app_create");
    EXPECT_EQ(xvt_task_window(), no_xvt_window);
}

TEST_F(TaskWindow, AcceleratorsTurnKeysIntoMenuCommandsOfTheirWindow) {
    start("target Keys\nkey ctrl+s F10 s ctrl+shift+s\n");
    create();
    XvtWindow w = open("Keys");
    XvtAccelerator table[] = {{'S', xvt_accel_mod::control, 301}, {0x154, 0, 302}};
    xvt_app_set_accelerators(table);
    pump();
    std::vector<XvtEvent> commands = of_kind(EventKind::menu);
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0].words[1], 301);
    EXPECT_EQ(commands[1].words[1], 302);
    // The plain s and Ctrl+Shift+S match nothing and arrive as characters.
    std::vector<XvtEvent> chars = of_kind(EventKind::character);
    ASSERT_EQ(chars.size(), 2u);
    EXPECT_EQ(chars[0].words[1], 's');
    EXPECT_EQ(chars[1].words[1], 19);
    (void)w;
}

} // namespace
} // namespace quillet
