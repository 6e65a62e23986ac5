// Menus by tag with mnemonics, and window timers.
#include "host/windows/window_record.h"
#include "xvt/menu_tree.h"
#include "xvt_test_support.h"

#include <chrono>

namespace quillet {
namespace {

using namespace xvt_test;

const XvtMenuItem file_items[] = {
    {101, "Open", 'o', xvt_menu_flag::enabled, nullptr},
    {102, "", 0, xvt_menu_flag::separator, nullptr},
    {103, "Exit", 'x', xvt_menu_flag::enabled | xvt_menu_flag::checked, nullptr},
    {104, "Print", 'p', 0, nullptr},
    {0, nullptr, 0, 0, nullptr},
};
const XvtMenuItem bar[] = {
    {100, "File", 'f', xvt_menu_flag::enabled, file_items},
    {200, "Help", 'h', xvt_menu_flag::enabled, nullptr},
    {0, nullptr, 0, 0, nullptr},
};

TEST(MenuMnemonics, MarkedWithoutRegardToCase) {
    using xvt_detail::mark_mnemonic_char;
    EXPECT_EQ(mark_mnemonic_char("Exit", 'x'), "E&xit");
    EXPECT_EQ(mark_mnemonic_char("Exit", 'e'), "&Exit");
    EXPECT_EQ(mark_mnemonic_char("Exit", 'q'), "Exit");
    EXPECT_EQ(mark_mnemonic_char("Exit", 0), "Exit");
    EXPECT_EQ(xvt_menu_mark_mnemonic("~File ~Edit"), "&File ~Edit");
}

class Menus : public LayerTest {
protected:
    const host::MenuItem* item(XvtWindow w, int tag) {
        return ws().menu_item(xvt_host_window(w), tag);
    }
};

TEST_F(Menus, TheTreeBecomesTheMenuBarWithTagsFlagsAndMnemonics) {
    XvtWindow w = open("Menus", 1, 0x013, bar);
    ASSERT_NE(w, no_xvt_window);
    ASSERT_NE(item(w, 100), nullptr);
    EXPECT_EQ(item(w, 100)->title, "&File");
    ASSERT_EQ(item(w, 100)->submenu.size(), 4u);
    const std::vector<host::MenuItem>& file = item(w, 100)->submenu;
    EXPECT_EQ(file[2].title, "E&xit");
    EXPECT_TRUE(file[2].checked);
    EXPECT_TRUE(file[1].separator);
    EXPECT_FALSE(file[3].enabled);
    // The client area keeps its size under the menu bar.
    EXPECT_EQ(ws().client_size(xvt_host_window(w)).height, 150);
    const auto& table = xvt_detail::layer_window(w)->menu_table;
    ASSERT_EQ(table.size(), 6u);
    for (const xvt_detail::MenuEntry& e : table)
        if (e.tag == 103) {
            EXPECT_EQ(e.position, 2);
        }
}

TEST_F(Menus, ItemsChangeByTagAndUnknownTagsChangeNothing) {
    XvtWindow w = open("Tags", 1, 0x013, bar);
    xvt_menu_set_item_checked(w, 101, true);
    xvt_menu_set_item_enabled(w, 104, true);
    xvt_menu_set_item_title(w, 101, "&Open...");
    EXPECT_TRUE(item(w, 101)->checked);
    EXPECT_TRUE(item(w, 104)->enabled);
    EXPECT_EQ(item(w, 101)->title, "&Open...");
    xvt_menu_set_item_checked(w, 999, true);
    xvt_menu_set_item_checked(w, 103, false);
    EXPECT_FALSE(item(w, 103)->checked);
    EXPECT_TRUE(hooked_errors.empty());
}

TEST_F(Menus, ChoosingAnItemIsAMenuEvent) {
    start("target Choose\nmenu File/Exit\nmenu File/Print\n");
    open("Choose", 1, 0x013, bar);
    drain();
    std::vector<XvtEvent> menus = of_kind(EventKind::menu);
    ASSERT_EQ(menus.size(), 1u); // Print is grayed
    EXPECT_EQ(menus[0].words[1], 103);
}

TEST_F(Menus, WrongWindowsAndMissingItems) {
    XvtWindow drawing = open("Drawing", 7, 0);
    xvt_menu_set_tree(drawing, bar);
    ASSERT_EQ(hooked_errors.size(), 1u);
    EXPECT_EQ(hooked_errors[0].id, 0x20000001u);
    EXPECT_EQ(hooked_errors[0].category, "menu");
    XvtWindow w = open("NoItems");
    xvt_menu_set_tree(w, nullptr);
    ASSERT_EQ(hooked_errors.size(), 2u);
    EXPECT_EQ(hooked_errors[1].id, 0x20000007u);
    xvt_menu_set_tree(w, bar);
    EXPECT_TRUE(ws().has_menu_bar(xvt_host_window(w)));
}

TEST_F(Menus, ARepeatedTagKeepsOneEntryAndUpdateTakesMenuWindowsOnly) {
    const XvtMenuItem twice[] = {
        {300, "First", 0, xvt_menu_flag::enabled, nullptr},
        {300, "Second", 0, xvt_menu_flag::enabled, nullptr},
        {0, nullptr, 0, 0, nullptr},
    };
    XvtWindow w = open("Twice", 1, 0x013, twice);
    const auto& table = xvt_detail::layer_window(w)->menu_table;
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(table[0].position, 1); // the later item's place
    // Building another tree starts a new table.
    xvt_menu_set_tree(w, bar);
    EXPECT_EQ(xvt_detail::layer_window(w)->menu_table.size(), 6u);
    xvt_menu_update(w);
    EXPECT_TRUE(hooked_errors.empty());
    xvt_menu_update(open("Drawing", 7, 0));
    ASSERT_EQ(hooked_errors.size(), 1u);
    EXPECT_EQ(hooked_errors[0].id, 0x20000001u);
    EXPECT_EQ(hooked_errors[0].api, "xvt_menu_update");
}

class Timers : public LayerTest {};

TEST_F(Timers, ExpiriesReachTheWindowWithTheTimersIdentifier) {
    XvtWindow w = open("Timer");
    XvtTimer t = xp_timer_create(w, 10);
    ASSERT_NE(t, 0u);
    auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    host::Message m;
    while (of_kind(EventKind::timer).size() < 2 && std::chrono::steady_clock::now() < give_up) {
        if (ws().peek(m, true))
            ws().dispatch(m);
        else
            ws().wait_for_input(ws().next_timer_due());
    }
    std::vector<XvtEvent> ticks = of_kind(EventKind::timer);
    ASSERT_GE(ticks.size(), 2u); // periodic
    for (const XvtEvent& e : ticks)
        EXPECT_EQ(static_cast<XvtTimer>(e.words[1]), t);
    xp_timer_destroy(t);
    EXPECT_FALSE(ws().timers_pending());
    xp_timer_destroy(t); // stale now
    ASSERT_EQ(hooked_errors.size(), 1u);
    EXPECT_EQ(hooked_errors[0].id, 0x20000007u);
}

TEST_F(Timers, WindowTypeAndIntervalAreChecked) {
    XvtWindow menu_only = open("MenuOnly", 5, 0);
    EXPECT_EQ(xp_timer_create(menu_only, 10), 0u);
    XvtWindow w = open("Negative");
    EXPECT_EQ(xp_timer_create(w, -1), 0u);
    ASSERT_EQ(hooked_errors.size(), 2u);
    EXPECT_EQ(hooked_errors[0].id, 0x20000001u);
    EXPECT_EQ(hooked_errors[0].api, "xp_timer_create");
    EXPECT_EQ(hooked_errors[1].id, 0x20000007u);
    EXPECT_FALSE(ws().timers_pending());
}

TEST_F(Timers, DestroyingTheWindowEndsItsTimers) {
    XvtWindow w = open("Short");
    XvtTimer t = xp_timer_create(w, 10);
    xp_vobj_destroy(w);
    xp_timer_destroy(t);
    ASSERT_EQ(hooked_errors.size(), 1u); // the timer went with its window
}

} // namespace
} // namespace quillet
