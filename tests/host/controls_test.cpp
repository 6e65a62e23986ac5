// Controls, menus, dialogs and message boxes driven by scripted input on the headless backend,
// and golden pictures of the controls in their states.
#include "golden.h"
#include "host/controls/controls.h"
#include "host/windows/window_record.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

namespace quillet::host::test {
namespace {

struct Panel {
    Recorder log; // outlives the window system, whose end reaches the window
    std::unique_ptr<WindowSystem> ws;
    WindowId window = no_window;

    explicit Panel(const std::string& script) : ws(make_system(script)) {
        WindowDef d = top_level("Panel", {0, 0, 420, 320}, log.procedure());
        window = ws->create_window(d);
    }
    WindowId add(ControlKind kind, IntRect r, std::string text, int id,
                 ListSelection sel = ListSelection::single) {
        ControlDef c;
        c.kind = kind;
        c.rect = r;
        c.text = std::move(text);
        c.id = id;
        c.selection = sel;
        return create_control(*ws, window, c);
    }
    std::vector<Notify> notes(int id) const {
        std::vector<Notify> out;
        for (const Message& m : log.notifications())
            if (m.code == id) out.push_back(static_cast<Notify>(m.value));
        return out;
    }
};

TEST(Buttons, ClickAndSpaceNotifyAndChecksToggle) {
    Panel p("click 30 20\nclick 30 50\nkey space\nclick 30 80\nclick 30 100\n");
    p.add(ControlKind::push_button, {10, 10, 90, 34}, "&Go", 1);
    WindowId check = p.add(ControlKind::check_box, {10, 40, 120, 60}, "Check", 2);
    WindowId r1 = p.add(ControlKind::radio_button, {10, 70, 120, 90}, "One", 3);
    WindowId r2 = p.add(ControlKind::radio_button, {10, 92, 120, 110}, "Two", 4);
    drain(*p.ws);
    EXPECT_EQ(p.notes(1),
              (std::vector<Notify>{Notify::focus_gained, Notify::clicked, Notify::focus_lost}));
    // Clicked, then Space: checked twice over.
    EXPECT_FALSE(find_control<ButtonControl>(*p.ws, check)->is_checked());
    std::vector<Notify> check_notes = p.notes(2);
    EXPECT_EQ(std::count(check_notes.begin(), check_notes.end(), Notify::clicked), 2);
    EXPECT_FALSE(find_control<ButtonControl>(*p.ws, r1)->is_checked());
    EXPECT_TRUE(find_control<ButtonControl>(*p.ws, r2)->is_checked());
}

TEST(Buttons, APressReleasedOutsideDoesNotClick) {
    Panel p("down 30 20\nmove 200 200\nup 200 200\n");
    p.add(ControlKind::push_button, {10, 10, 90, 34}, "Go", 1);
    drain(*p.ws);
    auto n = p.notes(1);
    EXPECT_EQ(std::count(n.begin(), n.end(), Notify::clicked), 0);
}

TEST(Buttons, ArrowsMoveAmongRadioButtonsAndTabCycles) {
    Panel p("click 30 20\nkey Down\nkey Tab\n");
    WindowId r1 = p.add(ControlKind::radio_button, {10, 10, 120, 30}, "One", 1);
    WindowId r2 = p.add(ControlKind::radio_button, {10, 32, 120, 52}, "Two", 2);
    WindowId edit = p.add(ControlKind::edit, {10, 60, 120, 82}, "", 3);
    drain(*p.ws);
    EXPECT_FALSE(find_control<ButtonControl>(*p.ws, r1)->is_checked());
    EXPECT_TRUE(find_control<ButtonControl>(*p.ws, r2)->is_checked());
    EXPECT_EQ(p.ws->focus(), edit);
}

TEST(Edit, TypingSelectionClipboardAndScrolling) {
    Panel p("click 20 20\ntype Hello world\nkey shift+Home ctrl+c End\ntype !\n"
            "key Home shift+Right shift+Right Delete\nkey End ctrl+v\n");
    WindowId e = p.add(ControlKind::edit, {10, 10, 70, 32}, "", 5);
    drain(*p.ws);
    EXPECT_EQ(p.ws->clipboard().text(), "Hello world");
    EXPECT_EQ(p.ws->title(e), "llo world!Hello world");
    auto n = p.notes(5);
    EXPECT_EQ(n.front(), Notify::focus_gained);
    EXPECT_GT(std::count(n.begin(), n.end(), Notify::text_changed), 10);
    // The caret stays inside the narrow field: the text scrolled.
    WindowRecord* w = find_record(*p.ws, e);
    auto& edit = static_cast<EditControl&>(*w->control);
    EXPECT_EQ(edit.caret, static_cast<int>(p.ws->title(e).size()));
    find_edit(*p.ws, e)->select(2, 5);
    EXPECT_EQ(find_edit(*p.ws, e)->selection(), (std::pair<int, int>{2, 5}));
    find_edit(*p.ws, e)->select(-1, 100);
    EXPECT_EQ(find_edit(*p.ws, e)->selection(), (std::pair<int, int>{21, 21}));
}

TEST(Edit, KeysItHasNoUseForReachTheWindow) {
    Panel p("click 20 20\nkey Enter F5\n");
    p.add(ControlKind::edit, {10, 10, 100, 32}, "x", 5);
    drain(*p.ws);
    std::vector<int> codes;
    for (const Message& m : p.log.messages)
        if (m.kind == Msg::character) codes.push_back(m.code);
    EXPECT_EQ(codes, (std::vector<int>{13, 0x14F}));
}

// Keys that arrive together (one command here; one pump of a busy program on a desktop) each
// reach the control that has the focus when the key is taken, not when it arrived.
TEST(Dialogs, KeysTypedTogetherFollowTheFocusThatTabMoves) {
    auto ws = make_system("type ab\tcd\nkey shift+Tab x Tab Tab space\n");
    ControlDef first{ControlKind::edit, {10, 10, 150, 32}, "", 1};
    ControlDef second{ControlKind::edit, {10, 40, 150, 62}, "", 2};
    ControlDef ok{ControlKind::push_button, {10, 70, 80, 94}, "OK", 3, true};
    ControlDef other{ControlKind::push_button, {90, 70, 160, 94}, "Other", 4};
    WindowId dlg = create_dialog(*ws, {"Ask", {200, 100}, {first, second, ok, other}}, no_window,
                                 [](WindowSystem& s, const Message& m) -> intptr_t {
                                     if (m.kind == Msg::notify && m.code >= 3 &&
                                         static_cast<Notify>(m.value) == Notify::clicked)
                                         s.end_modal(m.window, m.code);
                                     return s.default_procedure(m);
                                 });
    ASSERT_NE(dlg, no_window);
    ws->show_window(dlg, true);
    ws->set_focus(control_by_id(*ws, dlg, 1));
    // Shift+Tab goes back into the first field and selects its text, which x replaces; Tab
    // twice leaves the second field for the first button, and Space presses it.
    EXPECT_EQ(ws->run_modal(dlg), 3);
    EXPECT_EQ(ws->title(control_by_id(*ws, dlg, 1)), "x");
    EXPECT_EQ(ws->title(control_by_id(*ws, dlg, 2)), "cd");
}

// The character of a key comes before the keys typed after it.
TEST(Keys, ACharacterOfAKeyKeepsItsPlaceAmongTypedOnes) {
    Panel p("key Enter x Left y\n");
    drain(*p.ws);
    std::vector<int> codes;
    for (const Message& m : p.log.messages)
        if (m.kind == Msg::character) codes.push_back(m.code);
    EXPECT_EQ(codes, (std::vector<int>{key_code::enter, 'x', key_code::left, 'y'}));
}

TEST(ListBox, SingleMultipleAndExtendedSelection) {
    Panel p("click 20 15\nkey Down Down\n"                               // single: item 2
            "target Panel\nclick 160 15\nclick 160 45\nkey Down space\n" // multiple
            "click 300 15\nclick 300 45 shift\nclick 300 80 ctrl\n");    // extended
    WindowId single = p.add(ControlKind::list_box, {10, 10, 120, 120}, "", 1);
    WindowId multi =
        p.add(ControlKind::list_box, {150, 10, 260, 120}, "", 2, ListSelection::multiple);
    WindowId ext =
        p.add(ControlKind::list_box, {290, 10, 400, 120}, "", 3, ListSelection::extended);
    for (WindowId l : {single, multi, ext})
        for (const char* t : {"alpha", "beta", "gamma", "delta", "epsilon", "zeta"})
            find_control<ListControl>(*p.ws, l)->add(-1, t);
    drain(*p.ws);
    EXPECT_EQ(find_control<ListControl>(*p.ws, single)->selection(), std::vector<int>{2});
    int row = p.ws->ui_font()->metrics().height + 1;
    int second = (45 - 10 - 2) / row, fourth = (80 - 10 - 2) / row; // rows from the box's top
    std::vector<int> m = find_control<ListControl>(*p.ws, multi)->selection();
    EXPECT_EQ(m, (std::vector<int>{0, second, second + 1}));
    std::vector<int> expected_ext;
    for (int i = 0; i <= second; ++i)
        expected_ext.push_back(i);
    expected_ext.push_back(fourth);
    EXPECT_EQ(find_control<ListControl>(*p.ws, ext)->selection(), expected_ext);
    auto n = p.notes(1);
    EXPECT_EQ(std::count(n.begin(), n.end(), Notify::selection_changed), 3);
}

TEST(ListBox, DoubleClickAndScrollingWithTheBar) {
    Panel p("dclick 20 15\nclick 105 110\nclick 105 110\n");
    WindowId l = p.add(ControlKind::list_box, {10, 10, 120, 70}, "", 1);
    for (int i = 0; i < 20; ++i)
        find_control<ListControl>(*p.ws, l)->add(-1, "item " + std::to_string(i));
    drain(*p.ws);
    auto n = p.notes(1);
    EXPECT_NE(std::find(n.begin(), n.end(), Notify::double_clicked), n.end());
    // Two clicks on the down arrow (its bottom end) scrolled by two rows.
    auto& list = static_cast<ListBoxControl&>(*find_record(*p.ws, l)->control);
    EXPECT_EQ(list.top, 0); // the arrow is at 57..68 of the box; 110 is outside it
    // Removing the items scrolled to leaves the rest in view (the bar is gone with them) and
    // the selection's anchor on an item.
    ListControl& items = *find_control<ListControl>(*p.ws, l);
    items.set_selected(19, true);
    EXPECT_GT(list.top, 10);
    while (items.count() > 2)
        items.remove(2);
    EXPECT_EQ(list.top, 0);
    EXPECT_EQ(list.anchor, 1);
}

// Columns from the first to the last that hold a pixel of colour ink inside area.
int ink_span(const Surface& s, IntRect area, Color ink) {
    int first = -1, last = -1;
    for (int x = area.left; x < area.right; ++x)
        for (int y = area.top; y < area.bottom; ++y)
            if (s.pixel(x, y) == ink) {
                if (first < 0) first = x;
                last = x;
                break;
            }
    return first < 0 ? 0 : last - first + 1;
}

TEST(ListBox, ItemsAndTheDropDownFieldDrawAmpersandsAsTheyStand) {
    Panel p("");
    WindowId l = p.add(ControlKind::list_box, {10, 10, 150, 100}, "", 1);
    find_control<ListControl>(*p.ws, l)->add(-1, "x&x");
    WindowId d = p.add(ControlKind::dropdown_list, {10, 110, 150, 132}, "", 2);
    find_control<ListControl>(*p.ws, d)->add(-1, "x&x");
    find_control<ListControl>(*p.ws, d)->set_selected(0, true);
    drain(*p.ws);
    Surface client = p.ws->compose_client(p.window);
    int row = p.ws->ui_font()->metrics().height;
    int plain = p.ws->ui_font()->text_extent("xx").width;
    // Read as a mnemonic, "x&x" would show as "xx" with an underline, no wider than "xx".
    EXPECT_GT(ink_span(client, {13, 12, 140, 12 + row}, 0x000000), plain);
    EXPECT_GT(ink_span(client, {13, 112, 130, 130}, 0x000000), plain);
}

TEST(DropDown, KeyboardOpensChoosesAndEscapeRestores) {
    Panel p("key Down\nkey F4 Down Enter\nkey F4 Down Escape\n");
    WindowId d = p.add(ControlKind::dropdown_list, {10, 10, 150, 32}, "", 4);
    for (const char* t : {"red", "green", "blue"})
        find_control<ListControl>(*p.ws, d)->add(-1, t);
    p.ws->set_focus(d);
    drain(*p.ws);
    EXPECT_EQ(find_control<ListControl>(*p.ws, d)->selection(), std::vector<int>{1});
    auto n = p.notes(4);
    EXPECT_EQ(std::count(n.begin(), n.end(), Notify::selection_changed), 4); // 0, 1, 2, back to 1
}

TEST(DropDown, MouseChoosesFromTheOpenList) {
    Panel p("click 140 20\nclick 40 60\n");
    WindowId d = p.add(ControlKind::dropdown_edit, {10, 10, 150, 32}, "", 4);
    for (const char* t : {"red", "green", "blue"})
        find_control<ListControl>(*p.ws, d)->add(-1, t);
    drain(*p.ws);
    int row = p.ws->ui_font()->metrics().height + 1;
    int chosen = (60 - 32 - 2) / row;
    EXPECT_EQ(find_control<ListControl>(*p.ws, d)->selection(), std::vector<int>{chosen});
    EXPECT_EQ(p.ws->title(d), find_control<ListControl>(*p.ws, d)->text(chosen));
}

TEST(ScrollBar, ArrowsPagesAndThumbDragging) {
    Panel p("click 8 8\nclick 8 252\nclick 8 100\ndown 8 25\nmove 8 150\nup 8 150\n");
    WindowId bar = p.add(ControlKind::vscroll_bar, {0, 0, 16, 260}, "", 9);
    p.ws->set_scroll_range(bar, ScrollBarKind::vertical, 0, 100);
    p.ws->set_scroll_proportion(bar, ScrollBarKind::vertical, 10);
    drain(*p.ws);
    std::vector<int> actions;
    int released = -1;
    for (const Message& m : p.log.notifications())
        if (static_cast<Notify>(m.value) == Notify::scrolled) {
            actions.push_back(m.point.x);
            if (m.point.x == static_cast<int>(ScrollAction::thumb_released)) released = m.position;
        }
    ASSERT_GE(actions.size(), 5u);
    EXPECT_EQ(actions[0], static_cast<int>(ScrollAction::line_up));
    EXPECT_EQ(actions[1], static_cast<int>(ScrollAction::line_down));
    EXPECT_EQ(actions[2], static_cast<int>(ScrollAction::page_down));
    EXPECT_EQ(actions[3], static_cast<int>(ScrollAction::thumb_dragged));
    EXPECT_EQ(actions.back(), static_cast<int>(ScrollAction::thumb_released));
    EXPECT_GT(released, 40);
    EXPECT_LE(released, 90); // never beyond maximum - proportion
    EXPECT_EQ(p.ws->scroll_pos(bar, ScrollBarKind::vertical), released);
}

std::vector<MenuItem> demo_menu() {
    return {{1,
             "&File",
             true,
             false,
             false,
             {{11, "&Open"}, {12, "", true, false, true}, {13, "E&xit"}}},
            {2, "&Edit", true, false, false, {{21, "&Copy", false}, {22, "&Paste"}}}};
}

TEST(Menus, AltMnemonicsArrowsAndEnterGiveCommands) {
    Panel p("key alt+f x\nkey alt+e Down Enter\nkey Alt Right Down Down Enter\nmenu File/Open\n"
            "menu Edit/Copy\n");
    p.ws->set_menu_bar(p.window, demo_menu());
    drain(*p.ws);
    std::vector<int> commands;
    for (const Message& m : p.log.messages)
        if (m.kind == Msg::command) commands.push_back(m.code);
    // Down from the first item of Edit lands on Paste (Copy is grayed but can be passed over).
    EXPECT_EQ(commands, (std::vector<int>{13, 22, 22, 11}));
    EXPECT_FALSE(p.ws->menu_open());
}

TEST(Menus, ALetterTypedWhileThePopupIsOpenChoosesItsItem) {
    // Each command runs once the one before has been taken, so "x" reaches the open popup.
    Panel p("key alt+f\nkey x\n");
    WindowId edit = p.add(ControlKind::edit, {10, 10, 150, 32}, "", 1);
    p.ws->set_focus(edit);
    p.ws->set_menu_bar(p.window, demo_menu());
    drain(*p.ws);
    std::vector<int> commands;
    for (const Message& m : p.log.messages)
        if (m.kind == Msg::command) commands.push_back(m.code);
    EXPECT_EQ(commands, std::vector<int>{13}); // File/Exit
    EXPECT_EQ(p.ws->title(edit), "");
    EXPECT_FALSE(p.ws->menu_open());
}

TEST(Menus, ClickOpensAndClickOutsideCloses) {
    Panel p("click 20 -10\nclick 300 200\nclick 20 -10\nclick 30 10\n");
    p.ws->set_menu_bar(p.window, demo_menu());
    drain(*p.ws);
    std::vector<int> commands;
    for (const Message& m : p.log.messages)
        if (m.kind == Msg::command) commands.push_back(m.code);
    EXPECT_EQ(commands, std::vector<int>{11});
    EXPECT_TRUE(p.ws->set_menu_checked(p.window, 22, true));
    EXPECT_TRUE(p.ws->menu_item(p.window, 22)->checked);
    EXPECT_FALSE(p.ws->set_menu_checked(p.window, 999, true));
}

TEST(MessageBox, AnsweredByTheScriptOrItsDefaultButton) {
    auto ws = make_system("answer Ok\n");
    WindowId main_window = ws->create_window(top_level("Main", {0, 0, 300, 200}));
    ASSERT_NE(main_window, no_window);
    EXPECT_EQ(message_box(*ws, MessageBoxKind::note, "Saved.\nAll done."), 1);
    EXPECT_EQ(message_box(*ws, MessageBoxKind::error, "No script left"), 1);
    EXPECT_EQ(ws->top_level_windows().size(), 1u);
    EXPECT_TRUE(ws->is_enabled(main_window));
}

// The picture of the box that message_box opens with this text, taken while it is open.
Surface message_box_picture(const std::string& text) {
    auto ws = make_system("wait 1s\n");
    Surface picture;
    WindowId main_window = ws->create_window(
        top_level("Main", {0, 0, 300, 200}, [&](WindowSystem& s, const Message& m) -> intptr_t {
            if (m.kind == Msg::timer) {
                std::vector<WindowId> tops = s.top_level_windows();
                if (tops.size() == 2 && tops.back() != m.window) {
                    picture = s.compose(tops.back());
                    s.end_modal(tops.back(), 1);
                }
            }
            return s.default_procedure(m);
        }));
    ws->set_timer(main_window, 1, 10, false);
    EXPECT_EQ(message_box(*ws, MessageBoxKind::note, text, "Quillet"), 1);
    return picture;
}

TEST(MessageBox, ShowsEveryLineAndWrapsLongOnes) {
    // One line, three lines, and a text far wider than the screen allows, which wraps at blanks
    // and, inside a word too long for a line, between characters.
    EXPECT_TRUE(quillet::test::matches_golden(message_box_picture("unimplemented bif"),
                                              "message_box_one_line"));
    EXPECT_TRUE(quillet::test::matches_golden(
        message_box_picture("First line\nSecond line\nThird line"), "message_box_three_lines"));
    std::string long_text;
    for (int i = 0; i < 40; ++i)
        long_text += "word" + std::to_string(i) + " ";
    long_text += std::string(150, 'x');
    EXPECT_TRUE(
        quillet::test::matches_golden(message_box_picture(long_text), "message_box_wrapped"));
}

TEST(MessageBox, AVeryLongTextEndsWithAnEllipsisInsideTheScreen) {
    std::string text;
    for (int i = 0; i < 500; ++i)
        text += "line " + std::to_string(i) + "\n";
    Surface picture = message_box_picture(text);
    EXPECT_GT(picture.width(), 0);
    EXPECT_LE(picture.height(), 768);
}

TEST(Dialogs, BuiltFromDefinitionsEnterPressesTheDefault) {
    auto ws = make_system("type abc\nkey Enter\n");
    ControlDef edit{ControlKind::edit, {10, 10, 150, 32}, "", 1};
    ControlDef ok{ControlKind::push_button, {10, 40, 80, 64}, "OK", 2, true};
    ControlDef bad{ControlKind::push_button, {0, 0, -5, 99999}, "x", 3};
    EXPECT_EQ(create_dialog(*ws, {"Bad", {200, 100}, {edit, bad}}, no_window, {}), no_window);
    WindowId dlg = no_window;
    dlg = create_dialog(*ws, {"Ask", {200, 100}, {edit, ok}}, no_window,
                        [&](WindowSystem& s, const Message& m) -> intptr_t {
                            if (m.kind == Msg::notify && m.code == 2 &&
                                static_cast<Notify>(m.value) == Notify::clicked)
                                s.end_modal(m.window, 2);
                            return s.default_procedure(m);
                        });
    ASSERT_NE(dlg, no_window);
    ws->show_window(dlg, true);
    ws->set_focus(control_by_id(*ws, dlg, 1));
    EXPECT_EQ(ws->run_modal(dlg), 2);
    EXPECT_EQ(ws->title(control_by_id(*ws, dlg, 1)), "abc");
}

TEST(Golden, ControlsInTheirStates) {
    Panel p("");
    p.add(ControlKind::push_button, {10, 10, 90, 34}, "&Push", 1);
    ControlDef def{ControlKind::push_button, {100, 10, 180, 34}, "Default", 2, true};
    create_control(*p.ws, p.window, def);
    ControlDef off{ControlKind::push_button, {190, 10, 270, 34}, "Disabled", 3, false, true};
    create_control(*p.ws, p.window, off);
    WindowId check = p.add(ControlKind::check_box, {10, 44, 120, 62}, "C&heck", 4);
    find_control<ButtonControl>(*p.ws, check)->set_checked(true);
    p.add(ControlKind::check_box, {130, 44, 240, 62}, "Unchecked", 5);
    WindowId radio = p.add(ControlKind::radio_button, {250, 44, 360, 62}, "Radio", 6);
    find_control<ButtonControl>(*p.ws, radio)->set_checked(true);
    p.add(ControlKind::group_box, {10, 70, 200, 130}, "Group", 7);
    p.add(ControlKind::static_left, {20, 90, 190, 106}, "Left", 8);
    p.add(ControlKind::static_center, {20, 106, 190, 122}, "Centre", 9);
    p.add(ControlKind::static_right, {210, 90, 400, 106}, "Right", 10);
    WindowId edit = p.add(ControlKind::edit, {210, 108, 400, 130}, "Selected text", 11);
    WindowId list =
        p.add(ControlKind::list_box, {10, 140, 150, 230}, "", 12, ListSelection::extended);
    for (int i = 0; i < 8; ++i)
        find_control<ListControl>(*p.ws, list)->add(-1, "Item " + std::to_string(i));
    find_control<ListControl>(*p.ws, list)->set_selected(1, true);
    find_control<ListControl>(*p.ws, list)->set_selected(2, true);
    WindowId drop = p.add(ControlKind::dropdown_list, {160, 140, 300, 162}, "", 13);
    find_control<ListControl>(*p.ws, drop)->add(-1, "Chosen");
    find_control<ListControl>(*p.ws, drop)->set_selected(0, true);
    WindowId combo = p.add(ControlKind::dropdown_edit, {160, 170, 300, 192}, "Typed", 14);
    ASSERT_NE(combo, no_window);
    WindowId h = p.add(ControlKind::hscroll_bar, {160, 200, 400, 216}, "", 15);
    p.ws->set_scroll_range(h, ScrollBarKind::horizontal, 0, 100);
    p.ws->set_scroll_proportion(h, ScrollBarKind::horizontal, 20);
    p.ws->set_scroll_pos(h, ScrollBarKind::horizontal, 40);
    WindowId v = p.add(ControlKind::vscroll_bar, {380, 140, 396, 196}, "", 16);
    p.ws->set_scroll_range(v, ScrollBarKind::vertical, 0, 10);
    p.ws->set_menu_bar(p.window, demo_menu());
    p.ws->set_focus(edit);
    find_edit(*p.ws, edit)->select(0, 8);
    drain(*p.ws);
    EXPECT_TRUE(quillet::test::matches_golden(p.ws->compose(p.window), "window_controls"));

    // The open menu and the open drop-down list over the window.
    auto ws2 = make_system("key alt+f Down\n");
    WindowId w2 = ws2->create_window(top_level("Menu", {0, 0, 240, 160}));
    ws2->set_menu_bar(w2, demo_menu());
    ws2->set_menu_checked(w2, 11, true);
    Surface open_menu;
    // The timer arrives inside the menu's own loop, while the popup is open.
    ws2->set_procedure(w2, [&](WindowSystem& s, const Message& m) -> intptr_t {
        if (m.kind == Msg::timer && s.menu_open()) {
            open_menu = s.compose(w2);
            s.input_key(Key::escape, 0, 0);
        }
        return s.default_procedure(m);
    });
    ws2->set_timer(w2, 1, 20, false);
    Message m;
    while (ws2->get(m))
        ws2->dispatch(m);
    EXPECT_TRUE(quillet::test::matches_golden(open_menu, "window_menu_open"));
}

} // namespace
} // namespace quillet::host::test
