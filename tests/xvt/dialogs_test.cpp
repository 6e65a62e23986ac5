// Modal dialogs from definitions and the font chooser, driven by scripted input: the handler's
// events, buttons, the close box, timers, bad definitions, and the chooser's answers.
#include "xvt_test_support.h"

#include <array>

namespace quillet {
namespace {

using namespace xvt_test;

class Dialogs : public LayerTest {
protected:
    int pressed = -1;
    IntPoint client_origin{-1, -1};
    std::string edit_text;
    XvtEventHandler handler() {
        return [this](XvtWindow dialog, const XvtEvent& e) {
            events.push_back(e);
            switch (e.kind()) {
            case EventKind::create:
                client_origin = ws().client_to_screen(xvt_host_window(dialog), {0, 0});
                break;
            case EventKind::control:
                if (e.words[1] == 1 || e.words[1] == 2) {
                    pressed = e.words[1];
                    edit_text = ws().title(ws().control_by_id(xvt_host_window(dialog), 5));
                    xp_vobj_destroy(dialog);
                }
                break;
            case EventKind::close:
            case EventKind::timer:
                pressed = 0;
                xp_vobj_destroy(dialog);
                break;
            default: break;
            }
            return 0L;
        };
    }
    static constexpr XvtDialogItem question[] = {
        {10, {100, 100, 400, 220}, "Question", 0, 0},
        {18, {20, 20, 280, 40}, "Go on?", 3, xvt_dlg_flag::centered},
        {17, {20, 50, 280, 72}, "", 5, 0},
        {12, {40, 84, 120, 108}, "Yes", 1, xvt_dlg_flag::default_button},
        {12, {180, 84, 260, 108}, "No", 2, 0},
        {0, {}, "", 0, 0},
    };
};

TEST_F(Dialogs, ButtonsReachTheHandlerWhichEndsTheDialog) {
    start("type maybe\nclick 220 96\n");
    ASSERT_TRUE(xp_dlg_create_def(question, handler(), 9));
    EXPECT_EQ(pressed, 2);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front().kind(), EventKind::create);
    EXPECT_EQ(events.back().kind(), EventKind::destroy);
    EXPECT_EQ(client_origin, (IntPoint{100, 100}));
    EXPECT_EQ(ws().find_top_level("Question"), host::no_window);
    EXPECT_EQ(edit_text, "maybe"); // typed into the first control that takes the focus
}

TEST_F(Dialogs, EnterPressesTheDefaultButton) {
    start("key Enter\n");
    ASSERT_TRUE(xp_dlg_create_def(question, handler(), 0));
    EXPECT_EQ(pressed, 1);
}

TEST_F(Dialogs, TheCloseBoxAndTimersAreTheHandlersToAnswer) {
    start("close Question\n");
    ASSERT_TRUE(xp_dlg_create_def(question, handler(), 0));
    EXPECT_EQ(pressed, 0);
    EXPECT_EQ(of_kind(EventKind::close).size(), 1u);

    // A time-out: the handler starts a timer when the dialog is created.
    events.clear();
    pressed = -1;
    XvtEventHandler inner = handler();
    ASSERT_TRUE(xp_dlg_create_def(
        question,
        [&](XvtWindow dialog, const XvtEvent& e) {
            if (e.kind() == EventKind::create) xp_timer_create(dialog, 50);
            return inner(dialog, e);
        },
        0));
    EXPECT_EQ(pressed, 0);
    EXPECT_EQ(of_kind(EventKind::timer).size(), 1u);
}

TEST_F(Dialogs, TheControlsHaveLayerHandlesThatTheirNotificationsName) {
    start("type maybe\nkey Enter\n");
    XvtWindow edit = no_xvt_window, yes = no_xvt_window;
    std::string read_back;
    XvtEventHandler inner = handler();
    ASSERT_TRUE(xp_dlg_create_def(
        question,
        [&](XvtWindow dialog, const XvtEvent& e) {
            if (e.kind() == EventKind::create) {
                edit = xvt_win_get_ctl(dialog, 5);
                yes = xvt_win_get_ctl(dialog, 1);
            }
            if (e.kind() == EventKind::control && e.words[1] == 1) {
                EXPECT_EQ(static_cast<XvtWindow>(e.words[3]), yes);
                std::array<char, 32> buffer{};
                read_back.assign(buffer.data(),
                                 static_cast<size_t>(xp_vobj_get_title(edit, buffer)));
            }
            return inner(dialog, e);
        },
        0));
    EXPECT_NE(edit, no_xvt_window);
    EXPECT_EQ(xp_vobj_get_type(yes), 0); // gone with its dialog
    EXPECT_EQ(read_back, "maybe");
    EXPECT_EQ(pressed, 1);
    hooked_errors.clear();
}

TEST_F(Dialogs, DefinitionsThatAreNoDialogAreRefused) {
    const XvtDialogItem no_dialog[] = {{12, {0, 0, 10, 10}, "x", 1, 0}, {0, {}, "", 0, 0}};
    const XvtDialogItem odd_control[] = {
        {10, {0, 0, 100, 100}, "Odd", 0, 0}, {30, {0, 0, 10, 10}, "x", 1, 0}, {0, {}, "", 0, 0}};
    EXPECT_FALSE(xp_dlg_create_def(nullptr, handler(), 0));
    EXPECT_FALSE(xp_dlg_create_def(no_dialog, handler(), 0));
    EXPECT_FALSE(xp_dlg_create_def(odd_control, handler(), 0));
    ASSERT_EQ(hooked_errors.size(), 3u);
    EXPECT_EQ(hooked_errors[0].id, 0x20000007u);
    EXPECT_EQ(hooked_errors[1].id, 0x20000007u);
    EXPECT_EQ(hooked_errors[2].id, 0x20000002u);
    EXPECT_EQ(hooked_errors[2].category, "dlg");
    EXPECT_TRUE(events.empty());
}

TEST_F(Dialogs, TheFontChooserChangesTheFontWhenConfirmed) {
    const std::vector<std::string> families = installed_font_families();
    ASSERT_GE(families.size(), 2u);
    start("key Down\nkey Tab\ntype 14\nkey Tab\nkey space\nkey Enter\nkey Down\nkey Escape\n");
    XvtWindow window = open("Owner");
    XvtFont font = xp_font_create();
    xp_font_set_family(font, families[0]);
    xp_font_set_size(font, 10);
    xp_font_set_style(font, xvt_font_style::italic);
    ASSERT_TRUE(xp_dm_post_font_sel(window, font));
    char family[256];
    xp_font_get_family(font, family);
    EXPECT_EQ(std::string(family), families[1]);
    EXPECT_EQ(xp_font_get_size(font), 14);
    EXPECT_EQ(xp_font_get_style(font), xvt_font_style::italic | xvt_font_style::bold);

    // Cancelled: nothing changes.
    EXPECT_FALSE(xp_dm_post_font_sel(window, font));
    xp_font_get_family(font, family);
    EXPECT_EQ(std::string(family), families[1]);
    EXPECT_EQ(xp_font_get_size(font), 14);

    xp_font_destroy(font);
    EXPECT_FALSE(xp_dm_post_font_sel(window, font));
    ASSERT_EQ(hooked_errors.size(), 1u);
    EXPECT_EQ(hooked_errors[0].id, 0x20000007u);
}

} // namespace
} // namespace quillet
