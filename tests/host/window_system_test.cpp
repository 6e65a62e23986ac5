// The window tree, geometry, message order, timers, quit and end-session, modal loops, paint,
// focus and capture on the headless backend.
#include "host/backends/host_error.h"
#include "host/windows/frame.h"
#include "window_test_support.h"

#include <gtest/gtest.h>
#include <thread>

namespace quillet::host::test {
namespace {

TEST(Windows, FrameGeometryFollowsTheStyle) {
    auto ws = make_system();
    const Metrics& m = ws->metrics();
    WindowId w = ws->create_window(top_level("Doc", {10, 20, 410, 320}));
    ASSERT_NE(w, no_window);
    // Sizable border on every side, caption on top.
    EXPECT_EQ(ws->client_size(w),
              (IntSize{400 - 2 * m.sizable_border, 300 - 2 * m.sizable_border - m.caption_height}));
    ws->set_menu_bar(w, {{1, "&File", true, false, false, {{11, "E&xit"}}}});
    EXPECT_EQ(ws->client_size(w).height,
              300 - 2 * m.sizable_border - m.caption_height - m.menu_height);
    IntRect c = ws->client_area_in_outer(w);
    EXPECT_EQ(c.left, m.sizable_border);
    EXPECT_EQ(c.top, m.sizable_border + m.caption_height + m.menu_height);
    EXPECT_EQ(ws->client_to_screen(w, {0, 0}), (IntPoint{10 + c.left, 20 + c.top}));

    WindowStyle bars;
    bars.vscroll = bars.hscroll = true;
    FrameInsets f = frame_insets(m, bars, false);
    EXPECT_EQ(f.right, m.scroll_bar);
    EXPECT_EQ(f.bottom, m.scroll_bar);
}

TEST(Windows, BadInputIsClippedOrRefused) {
    auto ws = make_system();
    WindowDef d = top_level("Odd", {100, 100, 50, 20}); // right and bottom before left and top
    WindowId w = ws->create_window(d);
    ASSERT_NE(w, no_window);
    EXPECT_EQ(ws->client_size(w), (IntSize{0, 0}));
    WindowDef child;
    child.parent = 0x12345; // no such window
    EXPECT_EQ(ws->create_window(child), no_window);
    EXPECT_TRUE(ws->move_window(w, {0, 0, 2000000000, 2000000000})); // clipped, not a crash
    EXPECT_LE(ws->client_size(w).width, 8192);
    ControlDef bad;
    bad.rect = {0, 0, 100000, 10};
    EXPECT_EQ(create_control(*ws, w, bad), no_window);
    EXPECT_FALSE(ws->set_title(0xDEAD0001, "x"));
    EXPECT_FALSE(ws->set_timer(w, 1, -5, false));
}

TEST(Windows, AWindowLargerThanTheLargestSurfaceStillComposes) {
    auto ws = make_system();
    WindowId w = ws->create_window(top_level("Huge", {0, 0, 9000, 9000}));
    ASSERT_NE(w, no_window);
    ASSERT_TRUE(ws->surface(w));
    ws->surface(w)->set_pixel(0, 0, 0x123456);
    Surface picture;
    ASSERT_NO_THROW(picture = ws->compose(w));
    EXPECT_LE(int64_t{picture.width()} * picture.height(), max_surface_pixels);
    const IntRect client = ws->client_area_in_outer(w);
    EXPECT_GE(picture.width(), client.right);
    EXPECT_GT(picture.height(), max_square_surface_side - 100);
    EXPECT_EQ(picture.pixel(client.left, client.top), 0x123456u);
}

TEST(Windows, HandlesOfDestroyedWindowsNameNothing) {
    Recorder parent_log, child_log;
    auto ws = make_system();
    WindowId top = ws->create_window(top_level("A", {0, 0, 200, 200}, parent_log.procedure()));
    WindowDef cd;
    cd.parent = top;
    cd.rect = {10, 10, 50, 50};
    cd.procedure = child_log.procedure();
    WindowId child = ws->create_window(cd);
    EXPECT_EQ(ws->children(top), std::vector<WindowId>{child});
    EXPECT_TRUE(ws->destroy_window(top));
    EXPECT_FALSE(ws->exists(child));
    EXPECT_EQ(child_log.count(Msg::destroy), 1);
    EXPECT_EQ(parent_log.count(Msg::destroy), 1);
    WindowId again = ws->create_window(top_level("B", {0, 0, 10, 10}));
    EXPECT_NE(again, top); // same slot, new generation
    EXPECT_FALSE(ws->exists(top));
}

TEST(Messages, PostedBeforePaintBeforeTimersAndQuitLast) {
    Recorder log;
    auto ws = make_system();
    WindowId w = ws->create_window(top_level("W", {0, 0, 100, 100}, log.procedure()));
    drain(*ws);
    log.clear();
    ws->set_timer(w, 7, 0, false);
    ws->invalidate(w, IntRect{0, 0, 5, 5});
    ws->post({w, Msg::user, 1});
    ws->post({w, Msg::user, 2});
    std::vector<Message> got;
    Message m;
    while (ws->peek(m, true)) {
        got.push_back(m);
        ws->dispatch(m);
    }
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0].code, 1);
    EXPECT_EQ(got[1].code, 2);
    EXPECT_EQ(got[2].kind, Msg::paint);
    EXPECT_EQ(got[3].kind, Msg::timer);
    EXPECT_EQ(got[3].code, 7);
    // A one-shot timer fires once; peeking without removing leaves a message in place.
    ws->post({w, Msg::user, 3});
    EXPECT_TRUE(ws->peek(m, false));
    EXPECT_TRUE(ws->peek(m, true));
    EXPECT_EQ(m.code, 3);
    EXPECT_FALSE(ws->peek(m, true));
    ws->post_quit(4);
    EXPECT_FALSE(ws->get(m));
    EXPECT_EQ(m.code, 4);
}

TEST(Messages, SentMessagesArriveAtOnceAndPointerMovesMerge) {
    Recorder log;
    auto ws = make_system();
    WindowId w = ws->create_window(top_level("W", {0, 0, 100, 100}, log.procedure()));
    drain(*ws);
    log.clear();
    ws->send({w, Msg::user, 9});
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_EQ(log.messages[0].code, 9);
    IntRect c = ws->client_area_in_outer(w);
    for (int i = 0; i < 5; ++i)
        ws->input_mouse(w, WindowSystem::MouseEvent::move, {c.left + i, c.top + 3},
                        MouseButton::left, 0);
    drain(*ws);
    EXPECT_EQ(log.count(Msg::mouse_move), 1);
    EXPECT_EQ(log.messages.back().point, (IntPoint{4, 3}));
}

TEST(Timers, PeriodicTimersRepeatUntilKilled) {
    Recorder log;
    auto ws = make_system();
    WindowId w = ws->create_window(top_level("T", {0, 0, 50, 50}, log.procedure()));
    ws->set_timer(w, 42, 2, true);
    Message m;
    int fired = 0;
    while (fired < 3 && ws->get(m)) {
        if (m.kind == Msg::timer && m.code == 42) ++fired;
        ws->dispatch(m);
    }
    EXPECT_EQ(fired, 3);
    EXPECT_TRUE(ws->kill_timer(w, 42));
    EXPECT_FALSE(ws->timers_pending());
    ws->destroy_window(w);
    EXPECT_FALSE(ws->kill_timer(w, 42));
}

TEST(Session, QueryAnswerDecidesAndHeadlessNeverHangs) {
    auto ws = make_system();
    bool allow = false;
    int ended = 0;
    WindowId w = ws->create_window(
        top_level("S", {0, 0, 50, 50}, [&](WindowSystem& s, const Message& m) -> intptr_t {
            if (m.kind == Msg::query_end_session) return allow ? 1 : 0;
            if (m.kind == Msg::end_session) ++ended;
            return s.default_procedure(m);
        }));
    ASSERT_NE(w, no_window);
    EXPECT_FALSE(ws->request_end_session(true));
    EXPECT_EQ(ended, 0);
    allow = true;
    EXPECT_TRUE(ws->request_end_session(true));
    EXPECT_EQ(ended, 1);

    // No script, no timer: waiting for input ends the session, then quits.
    auto idle = make_system();
    int idle_ended = 0;
    idle->create_window(
        top_level("I", {0, 0, 50, 50}, [&](WindowSystem& s, const Message& m) -> intptr_t {
            if (m.kind == Msg::end_session && m.code == 0) ++idle_ended;
            return s.default_procedure(m);
        }));
    Message m;
    while (idle->get(m))
        idle->dispatch(m);
    EXPECT_EQ(idle_ended, 1);
    EXPECT_EQ(m.kind, Msg::quit);

    // No script, only a timer of its own: after some of its ticks the session's end is asked
    // for; refused, it is ended without a question after as many more, then the quit comes.
    auto timed = make_system();
    int asked = 0, told = 0, ticks = 0;
    WindowId t = timed->create_window(
        top_level("T", {0, 0, 50, 50}, [&](WindowSystem& s, const Message& msg) -> intptr_t {
            if (msg.kind == Msg::query_end_session) return ++asked > 1 ? 1 : 0;
            if (msg.kind == Msg::end_session) ++told;
            return s.default_procedure(msg);
        }));
    timed->set_timer(t, 1, 1, true);
    while (timed->get(m)) {
        ticks += m.kind == Msg::timer;
        timed->dispatch(m);
    }
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(told, 1);
    EXPECT_EQ(m.kind, Msg::quit);
    EXPECT_GE(ticks, 2 * HeadlessBackend::idle_timer_waits_before_end);
}

TEST(Modal, NestedLoopsEndInsideOut) {
    auto ws = make_system();
    WindowId main_window = ws->create_window(top_level("Main", {0, 0, 300, 300}));
    std::vector<int> order;
    WindowId outer = no_window, inner = no_window;
    DialogDef def{"Outer", {100, 60}, {}};
    outer =
        create_dialog(*ws, def, main_window, [&](WindowSystem& s, const Message& m) -> intptr_t {
            if (m.kind == Msg::user && m.code == 1) {
                DialogDef d2{"Inner", {80, 40}, {}};
                inner = create_dialog(s, d2, outer, {});
                s.post({inner, Msg::user, 2});
                s.set_procedure(inner, [&](WindowSystem& s2, const Message& m2) -> intptr_t {
                    if (m2.kind == Msg::user && m2.code == 2) {
                        EXPECT_FALSE(s2.is_enabled(outer)); // the outer dialog waits
                        s2.end_modal(inner, 22);
                    }
                    return s2.default_procedure(m2);
                });
                order.push_back(s.run_modal(inner));
                s.end_modal(outer, 11);
            }
            return s.default_procedure(m);
        });
    ws->post({outer, Msg::user, 1});
    order.push_back(ws->run_modal(outer));
    EXPECT_EQ(order, (std::vector<int>{22, 11}));
    EXPECT_TRUE(ws->is_enabled(main_window));
    EXPECT_EQ(ws->modal_depth(), 0);
}

TEST(Modal, QuitInsideAModalLoopReachesTheOuterLoop) {
    auto ws = make_system();
    WindowId dialog = create_dialog(*ws, {"D", {50, 50}, {}}, no_window, {});
    ws->post_quit(3);
    EXPECT_EQ(ws->run_modal(dialog), 0);
    Message m;
    EXPECT_FALSE(ws->get(m));
    EXPECT_EQ(m.code, 3);
}

TEST(Paint, UpdateRectangleIsTheUnionAndIsValidatedByPainting) {
    auto ws = make_system();
    IntRect seen;
    WindowId w = ws->create_window(
        top_level("P", {0, 0, 200, 200}, [&](WindowSystem& s, const Message& m) -> intptr_t {
            if (m.kind == Msg::paint) {
                WindowSystem::PaintScope scope(s, m.window);
                seen = scope.update_rect();
                scope.dc().fill_rect({0, 0, 1000, 1000}, Brush::solid(0xFF0000));
                return 0;
            }
            return s.default_procedure(m);
        }));
    drain(*ws);
    ws->surface(w)->fill(0xFFFFFF);
    ws->invalidate(w, IntRect{10, 10, 20, 20});
    ws->invalidate(w, IntRect{30, 5, 40, 15});
    EXPECT_EQ(ws->update_rect(w), (IntRect{10, 5, 40, 20}));
    drain(*ws);
    EXPECT_EQ(seen, (IntRect{10, 5, 40, 20}));
    EXPECT_FALSE(ws->update_rect(w).has_value());
    const Surface& s = *ws->surface(w);
    EXPECT_EQ(s.pixel(10, 5), 0xFF0000u);
    EXPECT_EQ(s.pixel(9, 5), 0xFFFFFFu); // clipped to the update rectangle
    EXPECT_EQ(s.pixel(40, 19), 0xFFFFFFu);
}

TEST(Paint, ChildWindowsKeepTheirPicturesWhenTheParentDraws) {
    auto ws = make_system();
    WindowId top = ws->create_window(top_level("C", {0, 0, 200, 200}));
    WindowDef cd;
    cd.parent = top;
    cd.rect = {20, 20, 60, 60};
    WindowId child = ws->create_window(cd);
    drain(*ws);
    ws->surface(child)->fill(0x00FF00);
    DeviceContext dc(*ws->surface(top));
    dc.fill_rect({0, 0, 200, 200}, Brush::solid(0x0000FF));
    Surface pic = ws->compose_client(top);
    EXPECT_EQ(pic.pixel(30, 30), 0x00FF00u);
    EXPECT_EQ(pic.pixel(10, 10), 0x0000FFu);
}

// Showing, hiding, moving or destroying a child repaints only the part of the parent it covered
// or covers: a form of many controls is not repainted whole for each of them.
TEST(Paint, ChildChangesInvalidateOnlyTheirAreaOfTheParent) {
    auto ws = make_system();
    WindowId top = ws->create_window(top_level("C", {0, 0, 300, 300}));
    WindowDef cd;
    cd.parent = top;
    cd.rect = {20, 20, 60, 60};
    WindowId child = ws->create_window(cd);
    drain(*ws);
    ASSERT_FALSE(ws->update_rect(top).has_value());
    ws->show_window(child, false);
    EXPECT_EQ(ws->update_rect(top), (IntRect{20, 20, 60, 60}));
    drain(*ws);
    ws->show_window(child, true);
    EXPECT_EQ(ws->update_rect(top), (IntRect{20, 20, 60, 60}));
    drain(*ws);
    ws->move_window(child, {100, 110, 140, 150});
    EXPECT_EQ(ws->update_rect(top), (IntRect{20, 20, 140, 150}));
    drain(*ws);
    ws->destroy_window(child);
    EXPECT_EQ(ws->update_rect(top), (IntRect{100, 110, 140, 150}));
}

TEST(Focus, FollowsActivationAndDisabledWindowsRefuseIt) {
    Recorder a_log, b_log;
    auto ws = make_system();
    WindowId a = ws->create_window(top_level("A", {0, 0, 100, 100}, a_log.procedure()));
    WindowId b = ws->create_window(top_level("B", {0, 0, 100, 100}, b_log.procedure()));
    EXPECT_EQ(ws->active_window(), b);
    EXPECT_EQ(ws->focus(), b);
    WindowDef cd;
    cd.parent = a;
    cd.rect = {0, 0, 10, 10};
    WindowId child = ws->create_window(cd);
    EXPECT_TRUE(ws->set_focus(child)); // activates A
    EXPECT_EQ(ws->active_window(), a);
    EXPECT_EQ(b_log.count(Msg::kill_focus), 1);
    ws->activate(b);
    ws->activate(a);
    EXPECT_EQ(ws->focus(), child); // restored inside A
    ws->enable_window(child, false);
    EXPECT_EQ(ws->focus(), a);
    EXPECT_FALSE(ws->set_focus(child));
    ws->show_window(a, false);
    EXPECT_EQ(ws->active_window(), b);
}

TEST(Capture, MouseGoesToTheCaptureUntilReleased) {
    Recorder top_log, child_log;
    auto ws = make_system();
    WindowId top = ws->create_window(top_level("Cap", {0, 0, 200, 200}, top_log.procedure()));
    WindowDef cd;
    cd.parent = top;
    cd.rect = {10, 10, 30, 30};
    cd.procedure = child_log.procedure();
    WindowId child = ws->create_window(cd);
    drain(*ws);
    IntRect c = ws->client_area_in_outer(top);
    ws->set_capture(child);
    ws->input_mouse(top, WindowSystem::MouseEvent::down, {c.left + 100, c.top + 100},
                    MouseButton::right, mod_shift);
    drain(*ws);
    ASSERT_EQ(child_log.count(Msg::mouse_down), 1);
    EXPECT_EQ(child_log.messages.back().point, (IntPoint{90, 90}));
    EXPECT_EQ(child_log.messages.back().button, MouseButton::right);
    EXPECT_EQ(child_log.messages.back().modifiers, mod_shift);
    ws->release_capture();
    EXPECT_EQ(child_log.count(Msg::capture_lost), 1);
    ws->input_mouse(top, WindowSystem::MouseEvent::down, {c.left + 100, c.top + 100},
                    MouseButton::left, 0);
    drain(*ws);
    EXPECT_EQ(top_log.count(Msg::mouse_down), 1);
}

TEST(Input, KeysBecomeCodesAndDoubleClicksAreSeen) {
    EXPECT_EQ(key_to_code(Key::up, 0, 0), 0x12D);
    EXPECT_EQ(key_to_code(Key::f2, 0, 0), 0x14C);
    EXPECT_EQ(key_to_code(Key::f9, 0, 0), 0x153);
    EXPECT_EQ(key_to_code(Key::f11, 0, 0), 0x155);
    EXPECT_EQ(key_to_code(Key::f12, 0, 0), 0x156);
    EXPECT_EQ(key_to_code(Key::f1, 0, 0), -1);
    EXPECT_EQ(key_to_code(Key::f10, 0, 0), -1);
    EXPECT_EQ(key_to_code(Key::delete_key, 0, 0), 0x7F);
    EXPECT_EQ(key_to_code(Key::character, 'c', mod_control), 3);
    EXPECT_EQ(key_to_code(Key::insert, 0, 0), 0x138);

    Recorder log;
    auto ws = make_system("key Left F1 ctrl+a\ntype hé\ndclick 5 5\n");
    ws->create_window(top_level("K", {0, 0, 100, 100}, log.procedure()));
    drain(*ws);
    std::vector<int> codes;
    for (const Message& m : log.messages)
        if (m.kind == Msg::character) codes.push_back(m.code);
    EXPECT_EQ(codes, (std::vector<int>{0x130, 1, 'h', 0xC3, 0xA9}));
    EXPECT_EQ(log.count(Msg::help), 1);
    EXPECT_EQ(log.count(Msg::mouse_double_click), 1);
}

TEST(Script, MalformedLinesStopWithTheirPlace) {
    EXPECT_THROW(parse_input_script("s", "bogus 1"), HostError);
    try {
        parse_input_script("in.txt", "# fine\nclick 1 2\nclick x 2\n");
        FAIL();
    } catch (const HostError& e) {
        EXPECT_STREQ(e.what(), "in.txt:3: expected X, found \"x\"");
    }
    try {
        parse_input_script("in.txt", "key ctrl+Nope\n");
        FAIL();
    } catch (const HostError& e) {
        EXPECT_STREQ(e.what(), "in.txt:1: unknown key \"Nope\"");
    }
    EXPECT_THROW(parse_input_script("s", "wait soon"), HostError);
    EXPECT_THROW(parse_input_script("s", "snapshot a/b"), HostError);
    InputScript ok = parse_input_script("s", "wait 2s\nwait window My Title\nresize 10 20\n");
    ASSERT_EQ(ok.commands.size(), 3u);
    EXPECT_EQ(ok.commands[0].amount, 2000);
    EXPECT_EQ(ok.commands[1].text, "My Title");
}

// A line of nothing but white space of any kind (a vertical tab, a blank and two carriage
// returns, a quoted blank) is blank, and a time too long for the milliseconds counter is refused
// rather than wrapped.
TEST(Script, BlankLinesOfAnyWhiteSpaceAndTimesOutOfRange) {
    InputScript s = parse_input_script("s", "\v\n \r\r\n\f\t\n\" \"\nclick 1 2\v\n");
    ASSERT_EQ(s.commands.size(), 1u);
    EXPECT_EQ(s.commands[0].line, 5);
    EXPECT_EQ(s.commands[0].kind, ScriptCommand::Kind::click);
    EXPECT_EQ(parse_input_script("s", "wait 2147483s").commands[0].amount, 2147483000);
    EXPECT_EQ(parse_input_script("s", "wait 2147483647ms").commands[0].amount, 2147483647);
    for (const char* line : {"wait 2147484s", "wait 4294968s", "wait 2147483648ms"}) {
        try {
            parse_input_script("in.txt", std::string("quit\n") + line);
            ADD_FAILURE() << line;
        } catch (const HostError& e) {
            EXPECT_EQ(std::string(e.what()).substr(0, 9), "in.txt:2:") << e.what();
        }
    }
}

TEST(Script, CloseResizeAndWaitForAWindow) {
    Recorder log;
    auto ws = make_system("wait window Late\ntarget Late\nresize 150 90\nclose\n");
    WindowId first = ws->create_window(top_level("First", {0, 0, 100, 100}));
    ws->set_timer(first, 1, 1, false);
    WindowId late = no_window;
    Message m;
    while (ws->get(m)) {
        if (m.kind == Msg::timer)
            late = ws->create_window(top_level("Late", {0, 0, 100, 100}, log.procedure()));
        ws->dispatch(m);
    }
    EXPECT_FALSE(ws->exists(late)); // closed by the script (default handling destroys)
    EXPECT_EQ(log.count(Msg::close), 1);
    bool resized = false;
    for (const Message& s : log.messages)
        resized |= s.kind == Msg::size && s.point == IntPoint{150, 90};
    EXPECT_TRUE(resized);
}

} // namespace
} // namespace quillet::host::test
