// Controls and scroll bars over the host's controls: creation by type, text, checking, the
// notifications that name the control, and scroll-bar ranges, positions and proportions.
#include "xvt_test_support.h"

namespace quillet {
namespace {

using namespace xvt_test;

class Controls : public LayerTest {
protected:
    XvtWindow window = no_xvt_window;
    XvtWindow add(int32_t type, int16_t id, IntRect rect, uint32_t flags = 0,
                  std::string_view title = "item") {
        XvtCtlDef def;
        def.type = type;
        def.id = id;
        def.rect = rect;
        def.title = title;
        def.flags = flags;
        return xp_ctl_create_def(def, window, 100 + id);
    }
};

TEST_F(Controls, EveryControlTypeBecomesItsHostControl) {
    window = open("Types");
    const std::pair<int32_t, host::ControlKind> kinds[] = {
        {12, host::ControlKind::push_button},   {13, host::ControlKind::radio_button},
        {14, host::ControlKind::check_box},     {15, host::ControlKind::hscroll_bar},
        {16, host::ControlKind::vscroll_bar},   {17, host::ControlKind::edit},
        {18, host::ControlKind::static_left},   {19, host::ControlKind::list_box},
        {20, host::ControlKind::dropdown_list}, {21, host::ControlKind::dropdown_edit},
        {22, host::ControlKind::group_box}};
    int16_t id = 1;
    for (auto [type, kind] : kinds) {
        XvtWindow c = add(type, id, {0, id * 10, 80, id * 10 + 9});
        ASSERT_NE(c, no_xvt_window) << type;
        EXPECT_EQ(xp_vobj_get_type(c), type);
        EXPECT_EQ(xp_vobj_get_data(c), 100 + id);
        EXPECT_EQ(xp_vobj_get_parent(c), window);
        EXPECT_EQ(ws().control_kind(xvt_host_window(c)), kind);
        EXPECT_EQ(xvt_win_get_ctl(window, id), c);
        ++id;
    }
    EXPECT_EQ(xvt_win_get_ctl(window, 99), no_xvt_window);
    EXPECT_TRUE(hooked_errors.empty());
}

TEST_F(Controls, BadTypesAndParentsAreRefused) {
    window = open("Bad");
    EXPECT_EQ(add(23, 1, {0, 0, 10, 10}), no_xvt_window);
    EXPECT_EQ(add(11, 2, {0, 0, 10, 10}), no_xvt_window);
    ASSERT_EQ(hooked_errors.size(), 2u);
    EXPECT_EQ(hooked_errors[0].id, 0x20000002u);
    EXPECT_EQ(hooked_errors[0].category, "ctl");
    window = open("Menus only", 5);
    EXPECT_EQ(add(12, 3, {0, 0, 10, 10}), no_xvt_window);
    window = 0x40005;
    EXPECT_EQ(add(12, 3, {0, 0, 10, 10}), no_xvt_window);
    ASSERT_EQ(hooked_errors.size(), 4u);
    EXPECT_EQ(hooked_errors[2].id, 0x20000001u);
    EXPECT_EQ(hooked_errors[3].id, 0x20000001u);
}

TEST_F(Controls, FlagsTextEnablingAndDestruction) {
    window = open("Flags");
    XvtWindow hidden = add(12, 1, {0, 0, 60, 20}, xvt_ctl_flag::hidden);
    XvtWindow disabled = add(17, 2, {0, 30, 60, 50}, xvt_ctl_flag::disabled, "abc");
    EXPECT_FALSE(ws().is_visible(xvt_host_window(hidden)));
    EXPECT_FALSE(ws().is_enabled(xvt_host_window(disabled)));
    xp_vobj_set_visible(hidden, true);
    xp_vobj_set_enabled(disabled, true);
    EXPECT_TRUE(ws().is_visible(xvt_host_window(hidden)));
    EXPECT_TRUE(ws().is_enabled(xvt_host_window(disabled)));
    char text[16];
    EXPECT_EQ(xp_vobj_get_title(disabled, text), 3);
    EXPECT_STREQ(text, "abc");
    xp_vobj_set_title(disabled, "new text");
    xp_vobj_get_title(disabled, text);
    EXPECT_STREQ(text, "new text");
    // A control ends with its handle, and with its window.
    xp_vobj_destroy(hidden);
    EXPECT_EQ(xp_vobj_get_type(hidden), 0);
    xp_vobj_destroy(window);
    EXPECT_EQ(xp_vobj_get_type(disabled), 0);
    ASSERT_EQ(hooked_errors.size(), 2u);
    EXPECT_EQ(hooked_errors[1].id, 0x20000001u);
}

TEST_F(Controls, CheckBoxesAndRadioGroups) {
    window = open("Checks");
    XvtWindow box = add(14, 1, {0, 0, 80, 16});
    XvtWindow r1 = add(13, 2, {0, 20, 80, 36});
    XvtWindow r2 = add(13, 3, {0, 40, 80, 56});
    XvtWindow r3 = add(13, 4, {0, 60, 80, 76});
    XvtWindow button = add(12, 5, {0, 80, 80, 96});
    xp_ctl_set_checked(box, true);
    EXPECT_TRUE(xvt_ctl_is_checked(box));
    xp_ctl_set_checked(box, false);
    EXPECT_FALSE(xvt_ctl_is_checked(box));
    XvtWindow group[] = {r1, r2, r3};
    xp_ctl_check_radio_button(r2, group);
    EXPECT_TRUE(xvt_ctl_is_checked(r2));
    xp_ctl_check_radio_button(r3, group);
    EXPECT_FALSE(xvt_ctl_is_checked(r2));
    EXPECT_TRUE(xvt_ctl_is_checked(r3));
    EXPECT_TRUE(hooked_errors.empty());
    xp_ctl_set_checked(button, true); // no check box
    XvtWindow others[] = {r1, r2};
    xp_ctl_check_radio_button(r3, others); // not in its group
    EXPECT_TRUE(xvt_ctl_is_checked(r3));
    ASSERT_EQ(hooked_errors.size(), 2u);
    EXPECT_EQ(hooked_errors[0].id, 0x20000001u);
    EXPECT_EQ(hooked_errors[1].id, 0x20000007u);
}

TEST_F(Controls, EditSelectionsReachTheHostEdit) {
    window = open("Edits");
    XvtWindow edit = add(17, 1, {0, 0, 120, 22}, 0, "hello");
    XvtWindow button = add(12, 2, {0, 30, 80, 46});
    xp_ctl_set_text_sel(edit, 0, -1);
    EXPECT_EQ(host::find_edit(ws(), xvt_host_window(edit))->selection(),
              (std::pair<int, int>{0, 5}));
    xp_ctl_set_text_sel(edit, 1, 3);
    EXPECT_EQ(host::find_edit(ws(), xvt_host_window(edit))->selection(),
              (std::pair<int, int>{1, 3}));
    EXPECT_TRUE(hooked_errors.empty());
    xp_ctl_set_text_sel(button, 0, -1); // no edit
    ASSERT_EQ(hooked_errors.size(), 1u);
    EXPECT_EQ(hooked_errors[0].id, 0x20000001u);
}

TEST_F(Controls, NotificationsNameTheControlsHandle) {
    start("target Notify\nclick 20 10\nclick 20 40\nclick 20 70\n");
    window = open("Notify");
    XvtWindow button = add(12, 7, {0, 0, 80, 20});
    XvtWindow edit = add(17, 8, {0, 30, 80, 50});
    XvtWindow check = add(14, 9, {0, 60, 80, 80});
    events.clear();
    drain();
    bool clicked = false, edit_gained = false, edit_lost = false, checked = false;
    for (const XvtEvent& e : of_kind(EventKind::control)) {
        if (e.words[1] == 7 && e.words[3] == static_cast<int32_t>(button)) clicked = true;
        if (e.words[1] == 8 && e.words[3] == static_cast<int32_t>(edit))
            (e.words[5] ? edit_gained : edit_lost) = true;
        if (e.words[1] == 9 && e.words[2] == 14 && e.words[3] == static_cast<int32_t>(check))
            checked = true;
    }
    EXPECT_TRUE(clicked);
    EXPECT_TRUE(edit_gained);
    EXPECT_TRUE(edit_lost);
    EXPECT_TRUE(checked);
    EXPECT_TRUE(xvt_ctl_is_checked(check));
}

TEST_F(Controls, ScrollBarControlsKeepThePositionInTheRange) {
    window = open("Bars", 1, xvt_win_flag::vscroll | xvt_win_flag::hscroll);
    XvtWindow bar = add(16, 1, {0, 0, 16, 120});
    xp_sbar_set_range(bar, 0, 10, 50);
    xp_sbar_set_proportion(bar, 0, 5);
    xp_sbar_set_pos(bar, 0, 30);
    EXPECT_EQ(xp_sbar_get_pos(bar, 1), 30); // `which` means nothing for a control
    xp_sbar_set_pos(bar, 0, 99);            // at most the maximum less the proportion
    EXPECT_EQ(xp_sbar_get_pos(bar, 0), 45);
    xp_sbar_set_pos(bar, 0, -4);
    EXPECT_EQ(xp_sbar_get_pos(bar, 0), 10);
    // The window's own bars start at 0 and are named by `which`.
    EXPECT_EQ(xp_sbar_get_pos(window, 1), 0);
    xp_sbar_set_range(window, 1, 0, 100);
    xp_sbar_set_pos(window, 1, 40);
    xp_sbar_set_range(window, 0, 0, 10);
    xp_sbar_set_pos(window, 0, 7);
    EXPECT_EQ(xp_sbar_get_pos(window, 1), 40);
    EXPECT_EQ(xp_sbar_get_pos(window, 0), 7);
    EXPECT_EQ(ws().scroll_pos(xvt_host_window(window), host::ScrollBarKind::vertical), 40);
    EXPECT_TRUE(hooked_errors.empty());
    xp_sbar_set_pos(window, 2, 1);
    xp_sbar_set_pos(add(12, 2, {20, 0, 60, 20}), 0, 1);
    ASSERT_EQ(hooked_errors.size(), 2u);
    EXPECT_EQ(hooked_errors[0].id, 0x20000007u);
    EXPECT_EQ(hooked_errors[0].category, "sbar");
    EXPECT_EQ(hooked_errors[1].id, 0x20000001u);
}

TEST_F(Controls, ScrollingABarControlGivesEventFifteen) {
    start("target Scroll\nclick 8 115\n");
    window = open("Scroll");
    XvtWindow bar = add(16, 3, {0, 0, 16, 120});
    xp_sbar_set_range(bar, 0, 0, 10);
    events.clear();
    drain();
    std::vector<XvtEvent> controls = of_kind(EventKind::control);
    ASSERT_FALSE(controls.empty());
    EXPECT_EQ(controls[0].words[1], 3);
    EXPECT_EQ(controls[0].words[2], 16);
    EXPECT_EQ(controls[0].words[3], static_cast<int32_t>(bar));
    EXPECT_EQ(controls[0].words[4], 2); // line down
}

} // namespace
} // namespace quillet
