// The window procedure: every host message kind of the event table, delivered to a window's
// handler with the layer's words, driven by scripted input on the headless backend.
#include "xvt/event_translation.h"
#include "xvt_test_support.h"

namespace quillet {
namespace {

using namespace xvt_test;

class WindowProcedure : public LayerTest {};

TEST_F(WindowProcedure, CreationDeliversCreateThenSize) {
    XvtWindow w = open("Win");
    ASSERT_NE(w, no_xvt_window);
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[0].kind(), EventKind::create);
    EXPECT_EQ(events[1].kind(), EventKind::size);
    // The client area has the size asked for: 200 x 150, height low, width high.
    EXPECT_EQ(events[1].words[1], (200 << 16) | 150);
    EXPECT_EQ(xp_vobj_get_type(w), 1);
    EXPECT_EQ(xp_vobj_get_data(w), 7);
    IntSize client = ws().client_size(xvt_host_window(w));
    EXPECT_EQ(client.width, 200);
    EXPECT_EQ(client.height, 150);
}

TEST_F(WindowProcedure, TextEditWindowsGetNoCreationEvent) {
    XvtWindow w = open("Edit", 23, 0);
    ASSERT_NE(w, no_xvt_window);
    EXPECT_TRUE(of_kind(EventKind::create).empty());
    EXPECT_EQ(of_kind(EventKind::size).size(), 1u);
}

TEST_F(WindowProcedure, PaintGivesTheUpdateRectangle) {
    XvtWindow w = open("Paint");
    events.clear();
    drain();
    std::vector<XvtEvent> updates = of_kind(EventKind::update);
    ASSERT_EQ(updates.size(), 1u);
    EXPECT_EQ(updates[0].words[1], 0);
    EXPECT_EQ(updates[0].words[3], 200);
    EXPECT_EQ(updates[0].words[4], 150);
    events.clear();
    ws().invalidate(xvt_host_window(w), IntRect{10, 20, 30, 40});
    drain();
    updates = of_kind(EventKind::update);
    ASSERT_EQ(updates.size(), 1u);
    EXPECT_EQ(updates[0].words[1], 10);
    EXPECT_EQ(updates[0].words[2], 20);
    EXPECT_EQ(updates[0].words[3], 30);
    EXPECT_EQ(updates[0].words[4], 40);
}

TEST_F(WindowProcedure, KeysBecomeCharacterEventsWithTheLayersCodes) {
    start("target Keys\nkey Up F2 F12 F1 F10 Delete shift+Home ctrl+a\ntype a\n");
    open("Keys");
    drain();
    std::vector<int32_t> codes;
    for (const XvtEvent& e : of_kind(EventKind::character))
        codes.push_back(e.words[1]);
    EXPECT_EQ(codes, (std::vector<int32_t>{0x12D, 0x14C, 0x156, 0x7F, 0x133, 1, 'a'}));
    EXPECT_EQ(of_kind(EventKind::help).size(), 1u); // F1; F10 gives nothing
    std::vector<XvtEvent> chars = of_kind(EventKind::character);
    ASSERT_EQ(chars.size(), 7u);
    EXPECT_EQ(chars[4].words[2], 1); // shift
    EXPECT_EQ(chars[5].words[3], 1); // control
}

void swap_a_for_b(int32_t& key, int32_t& shift, int32_t) {
    if (key == 'a') key = 'b', shift = 1;
}

TEST_F(WindowProcedure, TheCharacterFilterMayChangeKeyAndShift) {
    start("target Filter\ntype ac\n");
    open("Filter");
    xvt_set_char_filter(swap_a_for_b);
    drain();
    std::vector<XvtEvent> chars = of_kind(EventKind::character);
    ASSERT_EQ(chars.size(), 2u);
    EXPECT_EQ(chars[0].words[1], 'b');
    EXPECT_EQ(chars[0].words[2], 1);
    EXPECT_EQ(chars[1].words[1], 'c');
}

TEST_F(WindowProcedure, MouseButtonsMovesAndDoubleClicks) {
    start("target Mouse\nclick 30 40 right shift\nmove 50 60\ndclick 5 6 middle ctrl\n");
    open("Mouse");
    drain();
    std::vector<XvtEvent> downs = of_kind(EventKind::mouse_down);
    std::vector<XvtEvent> ups = of_kind(EventKind::mouse_up);
    ASSERT_FALSE(downs.empty());
    ASSERT_FALSE(ups.empty());
    EXPECT_EQ(downs[0].words[1], xvt_pack_point({30, 40}));
    EXPECT_EQ(downs[0].words[2], 1); // shift
    EXPECT_EQ(downs[0].words[4], 1); // right
    EXPECT_EQ(ups[0].words[4], 1);
    bool moved = false;
    for (const XvtEvent& e : of_kind(EventKind::mouse_move))
        moved |= e.words[1] == xvt_pack_point({50, 60});
    EXPECT_TRUE(moved);
    std::vector<XvtEvent> doubles = of_kind(EventKind::mouse_double);
    ASSERT_EQ(doubles.size(), 1u);
    EXPECT_EQ(doubles[0].words[1], xvt_pack_point({5, 6}));
    EXPECT_EQ(doubles[0].words[3], 1); // control
    EXPECT_EQ(doubles[0].words[4], 2); // middle
}

TEST_F(WindowProcedure, CloseIsARequestTheHandlerDecides) {
    start("close Closing\n");
    XvtWindow w = open("Closing");
    drain();
    EXPECT_EQ(of_kind(EventKind::close).size(), 1u);
    EXPECT_EQ(xp_vobj_get_type(w), 1); // still there
    EXPECT_TRUE(hooked_errors.empty());
}

TEST_F(WindowProcedure, DestroyDeliversEventOneThenTheHandleIsStale) {
    XvtWindow w = open("Gone");
    events.clear();
    xp_vobj_destroy(w);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind(), EventKind::destroy);
    EXPECT_EQ(xp_vobj_get_type(w), 0);
    ASSERT_EQ(hooked_errors.size(), 1u);
    EXPECT_EQ(hooked_errors[0].id, 0x20000001u);
    EXPECT_EQ(hooked_errors[0].api, "xp_vobj_get_type");
    // A forged handle is refused the same way.
    EXPECT_EQ(xp_vobj_get_type(0x12345), 0);
    EXPECT_EQ(hooked_errors.size(), 2u);
}

TEST_F(WindowProcedure, ResizeAndActivation) {
    start("target Two\nresize 120 80\ntarget One\n");
    open("One");
    open("Two");
    drain();
    bool resized = false;
    for (const XvtEvent& e : of_kind(EventKind::size))
        resized |= e.words[1] == ((120 << 16) | 80);
    EXPECT_TRUE(resized);
    std::vector<XvtEvent> focus = of_kind(EventKind::focus);
    ASSERT_GE(focus.size(), 2u);
    EXPECT_EQ(focus.back().words[1], 1);
    bool lost = false;
    for (const XvtEvent& e : focus)
        lost |= e.words[1] == 0;
    EXPECT_TRUE(lost);
}

long answer_quit(XvtWindow, const XvtEvent& e) {
    if (e.kind() == EventKind::quit && e.words[1] == 1) xvt_set_quit_allowed(true);
    return 0;
}

TEST_F(WindowProcedure, QueryEndSessionIsAnsweredWithTheQuitAllowedFlag) {
    XvtWinDef def;
    def.client = {0, 0, 100, 100};
    def.title = "Quit";
    def.flags = xvt_win_flag::caption;
    XvtWindow refusing = open("Refuse");
    EXPECT_FALSE(ws().request_end_session(true)); // the flag starts cleared
    std::vector<XvtEvent> quits = of_kind(EventKind::quit);
    ASSERT_EQ(quits.size(), 1u);
    EXPECT_EQ(quits[0].words[1], 1);
    xp_vobj_destroy(refusing);
    events.clear();
    xp_win_create_def(def, no_xvt_window, answer_quit, 0);
    open("Watcher");
    EXPECT_TRUE(ws().request_end_session(true));
    quits = of_kind(EventKind::quit);
    ASSERT_EQ(quits.size(), 2u); // the query, then the end with query 0
    EXPECT_EQ(quits[0].words[1], 1);
    EXPECT_EQ(quits[1].words[1], 0);
}

TEST_F(WindowProcedure, WindowScrollBars) {
    XvtWindow w = open("Bars", 1, xvt_win_flag::vscroll | xvt_win_flag::hscroll);
    host::WindowId id = xvt_host_window(w);
    events.clear();
    ws().send({id, host::Msg::vscroll, 0, 6, 42});
    ws().send({id, host::Msg::hscroll, 0, 2, 42});
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind(), EventKind::vscroll);
    EXPECT_EQ(events[0].words[1], 6);
    EXPECT_EQ(events[0].words[2], 42);
    EXPECT_EQ(events[1].kind(), EventKind::hscroll);
    EXPECT_EQ(events[1].words[1], 2);
    EXPECT_EQ(events[1].words[2], 0); // a line step has no position
}

class ControlNotifications : public LayerTest {
protected:
    XvtWindow window = no_xvt_window;
    host::WindowId add(host::ControlKind kind, int id, IntRect rect) {
        host::ControlDef def;
        def.kind = kind;
        def.id = id;
        def.rect = rect;
        def.text = "item";
        return host::create_control(ws(), xvt_host_window(window), def);
    }
};

TEST_F(ControlNotifications, FocusRulesByControlType) {
    start("target Controls\nclick 10 10\nclick 10 50\nclick 10 90\n");
    window = open("Controls");
    host::WindowId edit = add(host::ControlKind::edit, 5, {0, 0, 100, 20});
    add(host::ControlKind::list_box, 6, {0, 40, 100, 80});
    add(host::ControlKind::push_button, 7, {0, 85, 100, 100});
    events.clear();
    drain();
    std::vector<XvtEvent> controls = of_kind(EventKind::control);
    // The edit gains the focus (0x100), loses it (0x200); the list's own focus codes 4 and 5
    // give no event and a plain one; its selection is plain; the button's click is plain.
    ASSERT_GE(controls.size(), 3u);
    EXPECT_EQ(controls[0].words[1], 5);
    EXPECT_EQ(controls[0].words[2], 17);
    EXPECT_EQ(controls[0].words[4], 1);
    EXPECT_EQ(controls[0].words[5], 1);
    bool edit_lost = false, button_clicked = false;
    for (const XvtEvent& e : controls) {
        if (e.words[1] == 5 && e.words[4] == 1 && e.words[5] == 0) edit_lost = true;
        if (e.words[1] == 7 && e.words[2] == 12) button_clicked = true;
        if (e.words[1] == 6) {
            EXPECT_EQ(e.words[2], 19);
        }
    }
    EXPECT_TRUE(edit_lost);
    EXPECT_TRUE(button_clicked);
    (void)edit;
}

TEST_F(ControlNotifications, ScrollBarControlsGiveControlEvents) {
    window = open("Scroll");
    host::WindowId bar = add(host::ControlKind::vscroll_bar, 9, {0, 0, 16, 100});
    events.clear();
    host::Message m{xvt_host_window(window), host::Msg::notify, 9,
                    static_cast<int32_t>(host::Notify::scrolled), 33};
    m.point = {5, 0};
    m.source = bar;
    ws().send(m);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind(), EventKind::control);
    EXPECT_EQ(events[0].words[1], 9);
    EXPECT_EQ(events[0].words[2], 16);
    EXPECT_EQ(events[0].words[4], 5);
    EXPECT_EQ(events[0].words[5], 33);
}

TEST_F(ControlNotifications, UnknownNotificationsGoToTheDiagnostics) {
    window = open("Unknown");
    host::WindowId button = add(host::ControlKind::push_button, 0x21, {0, 0, 50, 20});
    events.clear();
    host::Message m{xvt_host_window(window), host::Msg::notify, 0x21, 77};
    m.source = button;
    ws().send(m);
    EXPECT_TRUE(events.empty());
    ASSERT_EQ(diagnostics.size(), 1u);
    EXPECT_EQ(diagnostics[0], "unknown command message: 77 21");
}

TEST(NotificationRules, CodesAsTheEventTableReadsThem) {
    using xvt_detail::notification_rule;
    using xvt_detail::NotificationRule;
    EXPECT_EQ(notification_rule(3, 17), NotificationRule::focus_gained);
    EXPECT_EQ(notification_rule(0x100, 17), NotificationRule::focus_gained);
    EXPECT_EQ(notification_rule(4, 12), NotificationRule::focus_lost);
    EXPECT_EQ(notification_rule(0x200, 21), NotificationRule::focus_lost);
    EXPECT_EQ(notification_rule(3, 19), NotificationRule::none);
    EXPECT_EQ(notification_rule(4, 20), NotificationRule::none);
    EXPECT_EQ(notification_rule(2, 19), NotificationRule::focus_flag);
    for (int code : {0, 1, 5})
        EXPECT_EQ(notification_rule(code, 19), NotificationRule::plain);
    for (int code : {0x300, 0x400, 0x601, 0x602})
        EXPECT_EQ(notification_rule(code, 17), NotificationRule::none);
    EXPECT_EQ(notification_rule(6, 12), NotificationRule::unknown);
}

} // namespace
} // namespace quillet
