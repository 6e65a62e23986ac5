// The event queue over a headless window system: window events as GET EVENT names them, the cap
// on queued mouse moves, late events of a freed window, control and scroll notifications, and
// the window channel lists' checks of the window number.
#include "default_window_fixture.h"
#include "interp/registers.h"
#include "ui/events/event_queue.h"
#include "ui/events/get_event.h"
#include "ui/events/window_channels.h"
#include "ui/keys_and_mouse.h"
#include "ui/objects/object_lifecycle.h"
#include "ui/objects/object_table.h"
#include "values/errors.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

class EventQueueTest : public DefaultWindowFixture {
protected:
    void SetUp() override {
        DefaultWindowFixture::SetUp();
        reset_event_queue();
        // The controls whose notifications the tests queue (IDs 101 to 154).
        for (int32_t id = 0; id < 154;) {
            id = allocate_object_id();
            ObjectEntry& entry = object_tables.objects[static_cast<size_t>(id - first_object_id)];
            entry.id = id;
            entry.kind = object_kind::control;
        }
        start_window_system();
        create_default_window();
        window_table.exit_on_default_destroy = false;
        set_event_mode(true);
        saved_busy = vm.busy_mark;
        vm.busy_mark = 1; // no program runs here: scroll slices only queue
    }
    void TearDown() override {
        vm.busy_mark = saved_busy;
        DefaultWindowFixture::TearDown();
        reset_event_queue();
    }
    static int32_t point(int x, int y) { return xvt_pack_point({x, y}); }
    // The next event as "NAME|window|x|y".
    static std::string next() {
        EventResult r;
        EXPECT_EQ(get_event(0, r), GetEventOutcome::stored);
        return r.name + "|" + std::to_string(r.window) + "|" + std::to_string(r.x) + "|" +
               std::to_string(r.y);
    }
    int32_t saved_busy = 0;
};

TEST_F(EventQueueTest, WindowEventsAreNamedWithTheirNumbers) {
    send(event(EventKind::focus, {1}));
    send(event(EventKind::size, {(300 << 16) | 200}));
    send(event(EventKind::character, {'q', 1, 1}));
    send(event(EventKind::mouse_down, {point(5, 6), 1, 0, 1}));
    send(event(EventKind::mouse_up, {point(5, 7), 0, 0, 2}));
    send(event(EventKind::menu, {10005, 0, 0}));
    send(event(EventKind::menu, {42, 1, 0})); // a tag below 10001 is a key
    send(event(EventKind::close));
    EXPECT_EQ(key_queue.key_count, 2);
    EXPECT_EQ(next(), "SELECT|0|1|0");
    EXPECT_EQ(next(), "SIZE|0|0|0");
    EXPECT_EQ(next(), "KEYPRESS|0|113|3");
    EXPECT_EQ(next(), "EXTEND RIGHT|0|5|6");
    EXPECT_EQ(next(), "MOUSE UP MIDDLE|0|5|7");
    EXPECT_EQ(next(), "MENU|0|0|10005");
    EXPECT_EQ(next(), "KEYPRESS|0|42|1");
    EXPECT_EQ(next(), "HIDE|0|0|0");
    EXPECT_EQ(next(), "|0|0|0");
    EXPECT_EQ(key_queue.key_count, 0);
    EXPECT_FALSE(key_test());
}

TEST_F(EventQueueTest, WithEventModeOffOnlyKeysAreQueuedAndNothingIsStored) {
    set_event_mode(false);
    send(event(EventKind::mouse_down, {point(1, 1), 0, 0, 0}));
    send(event(EventKind::character, {'k'}));
    EXPECT_EQ(event_queue_length(), 1u);
    EventResult r{"kept", 1, 2, 3};
    EXPECT_EQ(get_event(0, r), GetEventOutcome::nothing_stored);
    EXPECT_EQ(r.name, "kept");
    EXPECT_EQ(get_event(-1, r), GetEventOutcome::nothing_stored);
    EXPECT_TRUE(event_mode());
    EXPECT_EQ(next(), "KEYPRESS|0|107|0");
}

TEST_F(EventQueueTest, TheKeyWaitTakesKeysPastOtherEvents) {
    send(event(EventKind::mouse_down, {point(1, 1), 0, 0, 0}));
    send(event(EventKind::character, {'a'}));
    send(event(EventKind::character, {0xFFFF}));
    int32_t key = 0;
    ASSERT_EQ(take_key(key), 0);
    EXPECT_EQ(key, 'a');
    ASSERT_EQ(take_key(key), 0);
    EXPECT_EQ(key, -1);          // 16 bits, sign-extended
    EXPECT_EQ(take_key(key), 2); // the click is left
    EXPECT_EQ(key_queue.key_count, 0);
    EXPECT_EQ(next(), "SINGLE|0|1|1");
    EXPECT_EQ(take_key(key), 1);
}

TEST_F(EventQueueTest, MouseMovesAreCappedToTheNewestRun) {
    window0().flags |= window_flag::mouse_move_events;
    send(event(EventKind::mouse_move, {point(1, 1)}));
    send(event(EventKind::mouse_down, {point(2, 2), 0, 0, 0}));
    for (int i = 0; i < 100000; ++i)
        send(event(EventKind::mouse_move, {point(i % 1000, i / 1000)}));
    // The move before the click, the click, and a run of moves at its cap.
    EXPECT_EQ(event_queue_length(), size_t{2 + max_queued_mouse_moves});
    EXPECT_EQ(next(), "MOUSE MOVE|0|1|1");
    EXPECT_EQ(next(), "SINGLE|0|2|2");
    std::string last;
    for (int i = 0; i < max_queued_mouse_moves; ++i)
        last = next();
    EXPECT_EQ(last, "MOUSE MOVE|0|999|99"); // the pointer's latest position is kept
    EXPECT_EQ(event_queue_length(), 0u);
    // Once the program has read the run, moves queue again.
    send(event(EventKind::mouse_move, {point(3, 4)}));
    EXPECT_EQ(next(), "MOUSE MOVE|0|3|4");
}

TEST_F(EventQueueTest, LateEventsOfAFreedWindowAreEmptyAndKeepTheKeyCount) {
    send(event(EventKind::character, {'z'}));
    send(event(EventKind::mouse_down, {point(9, 9), 0, 0, 0}));
    ASSERT_EQ(key_queue.key_count, 1);
    xp_vobj_destroy(window0().native_window);
    ASSERT_FALSE(window0().in_use());
    EXPECT_EQ(next(), "|0|0|0");
    EXPECT_EQ(key_queue.key_count, 0); // the key left the queue, so it left the count
    EXPECT_FALSE(key_test());
    EXPECT_EQ(next(), "|0|0|0");
    EXPECT_EQ(event_queue_length(), 0u);
}

TEST_F(EventQueueTest, ControlAndMenuNotificationsCarryTheirFields) {
    queue_control_event(0, {.kind = queue_kind::control_selected, .id = 150});
    queue_control_event(0, {.kind = queue_kind::control_deselected, .id = 151, .exit_key = 13});
    queue_control_event(0, {.kind = queue_kind::control_deselected, .id = 152});
    queue_control_event(0, {.kind = queue_kind::control_single_click, .id = 153});
    queue_control_event(0, {.kind = queue_kind::control_double_click, .id = 154});
    queue_control_event(0, {.kind = queue_kind::menu, .id = 12000});
    EXPECT_EQ(next(), "CONTROL SELECT|0|0|150");
    EXPECT_EQ(next(), "CONTROL DESELECTED|0|13|151");
    EXPECT_EQ(next(), "CONTROL DESELECTED|0|-1|152");
    EXPECT_EQ(next(), "CONTROL SINGLE|0|0|153");
    EXPECT_EQ(next(), "CONTROL DOUBLE|0|0|154");
    EXPECT_EQ(next(), "MENU|0|0|12000");
}

TEST_F(EventQueueTest, EventsOfAFreedControlAreEmpty) {
    free_object(object_entry(150));
    queue_control_event(0, {.kind = queue_kind::control_selected, .id = 150});
    queue_control_event(0, {.kind = queue_kind::control_deselected, .id = 150});
    queue_control_event(0, {.kind = queue_kind::control_selected, .id = 151});
    EXPECT_EQ(next(), "|0|0|0");
    EXPECT_EQ(next(), "|0|0|0");
    EXPECT_EQ(next(), "CONTROL SELECT|0|0|151");
}

TEST_F(EventQueueTest, ScrollEventsNameTheBarAndItsPosition) {
    // The layer's thumb actions: 6 while it is dragged, 5 when it is released.
    send(event(EventKind::vscroll, {6, 37}));
    send(event(EventKind::vscroll, {5, 40}));
    send(event(EventKind::hscroll, {6, 12}));
    send(event(EventKind::hscroll, {5, 13}));
    EXPECT_EQ(window0().vertical_scroll.position, 40);
    EXPECT_EQ(window0().horizontal_scroll.position, 13);
    // A window bar's events read the position the window record holds when they are named.
    EXPECT_EQ(next(), "VSCROLL|0|40|0");
    EXPECT_EQ(next(), "END VSCROLL|0|40|0");
    EXPECT_EQ(next(), "HSCROLL|0|13|0");
    EXPECT_EQ(next(), "END HSCROLL|0|13|0");
    // A scroll-bar control's events carry their own position and the control's object ID.
    for (int action = 1; action <= 6; ++action)
        scroll_slice(0, 300, false, action, 10 * action);
    scroll_slice(0, 301, true, 1, 7);
    scroll_slice(0, 301, true, 4, 8);
    EXPECT_EQ(next(), "UP|0|10|300");
    EXPECT_EQ(next(), "DOWN|0|20|300");
    EXPECT_EQ(next(), "PAGEUP|0|30|300");
    EXPECT_EQ(next(), "PAGEDOWN|0|40|300");
    EXPECT_EQ(next(), "END VSCROLL|0|50|300");
    EXPECT_EQ(next(), "VSCROLL|0|60|300");
    EXPECT_EQ(next(), "LEFT|0|7|301");
    EXPECT_EQ(next(), "PAGERIGHT|0|8|301");
}

TEST_F(EventQueueTest, QuitRequestsEndAtOnceUnlessTheProgramIsAsked) {
    EXPECT_TRUE(host_quit_request(false));
    set_event_mode(false);
    EXPECT_TRUE(host_quit_request(true));
    EXPECT_EQ(event_queue_length(), 0u);
    // In event mode while the engine waits (busy): QUIT is queued and the session kept; an
    // answer with no question pending changes nothing.
    set_event_mode(true);
    EXPECT_FALSE(host_quit_request(true));
    EXPECT_FALSE(host_quit_request(true)); // still unanswered: refused, not queued again
    answer_quit_request(false);
    EXPECT_EQ(next(), "QUIT|-1|0|0");
    EXPECT_EQ(event_queue_length(), 0u);
    answer_quit_request(true); // nothing pending: the process goes on
}

TEST_F(EventQueueTest, ChannelListsCheckTheWindowNumber) {
    window_table.highest = 3;
    auto code = [](auto call) {
        try {
            call();
        } catch (const BasicError& e) {
            return e.code;
        }
        return 0;
    };
    EXPECT_EQ(code([] { remove_window_channel_pair(4, 1, 2); }), -11220);
    EXPECT_EQ(code([] { remove_window_channel_pair(-1, 1, 2); }), -11220);
    EXPECT_EQ(code([] { remove_window_channel_pair(2, 1, 2); }), -11221);
    int32_t a = 0, b = 0, index = 0;
    EXPECT_EQ(code([&] { next_window_channel(3, a, b, index); }), -11221);
    EXPECT_EQ(code([&] { next_window_channel(0, a, b, index); }), 0);
    window0().channels = {{5, 100}, {6, 200}};
    EXPECT_TRUE(window_has_channels(0));
    index = 1; // an odd index reads across two pairs
    ASSERT_TRUE(next_window_channel(0, a, b, index));
    EXPECT_EQ(a, 100);
    EXPECT_EQ(b, 6);
    EXPECT_EQ(index, 3);
    EXPECT_FALSE(next_window_channel(0, a, b, index)); // the last word has none after it
    EXPECT_EQ(index, 0);
    remove_window_channel_pair(0, 5, 100);
    remove_window_channel_pair(0, 6, 200);
    EXPECT_FALSE(window_has_channels(0));
}

} // namespace
} // namespace quillet
