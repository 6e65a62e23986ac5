// Modal dialogs from definitions and the font chooser, driven by scripted input: the handler's
// events, buttons, the close box, timers, bad definitions, and the chooser's answers.
#include "xvt_test_support.h"

#include <array>
#include <functional>
#include <map>
#include <memory>

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
                    edit_text = ws().title(host::control_by_id(ws(), xvt_host_window(dialog), 5));
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

TEST_F(Dialogs, MessageBoxesOfEveryKindCarryTheProductTitleTheTextAndOk) {
    struct Seen {
        std::string title, text, button;
    };
    std::vector<Seen> seen;
    XvtWinDef def;
    def.client = {40, 40, 240, 190};
    def.title = "Owner";
    def.flags = 0x013;
    XvtWindow owner = xp_win_create_def(
        def, no_xvt_window,
        [&](XvtWindow, const XvtEvent& e) {
            if (e.kind() != EventKind::timer) return 0L;
            const std::vector<host::WindowId> tops = ws().top_level_windows();
            const host::WindowId box = tops.back();
            if (tops.size() < 2 || ws().title(box) == "Owner") return 0L;
            seen.push_back({ws().title(box), ws().title(host::control_by_id(ws(), box, 1)),
                            ws().title(host::control_by_id(ws(), box, 2))});
            ws().end_modal(box, 1);
            return 0L;
        },
        0);
    const XvtTimer timer = xp_timer_create(owner, 10);
    xvt_dm_post_message(MessageKind::note, "A note");
    xvt_dm_post_message(MessageKind::error, "An error");
    xvt_dm_post_message(MessageKind::fatal, "The end");
    xp_timer_destroy(timer);
    ASSERT_EQ(seen.size(), 3u);
    const char* texts[] = {"A note", "An error", "The end"};
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].title, product_title);
        EXPECT_EQ(seen[i].text, texts[i]);
        EXPECT_EQ(seen[i].button, "Ok");
    }
    EXPECT_EQ(ws().top_level_windows().size(), 1u); // each box is gone after its answer
    EXPECT_TRUE(hooked_errors.empty());
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

// Per-item fonts: the texts of a dialog's controls, each drawn in its item's font, else the
// dialog's, else the interface font.
class DialogFonts : public Dialogs {
protected:
    static XvtFont make_font(std::string_view family, int32_t points, uint32_t style) {
        XvtFont font = xp_font_create();
        xp_font_set_family(font, family);
        xp_font_set_size(font, points);
        xp_font_set_style(font, style);
        return font;
    }
    struct Shown {
        std::shared_ptr<const Font> font;
        Surface picture;
    };
    // Runs the dialog until a timer has let its controls paint, and keeps each control's font and
    // picture by id.
    std::map<int, Shown> run(const XvtDialogItem* items, XvtFont dialog_font,
                             const std::function<void()>& on_create = {}) {
        std::map<int, Shown> shown;
        EXPECT_TRUE(xp_dlg_create_def(
            items,
            [&](XvtWindow dialog, const XvtEvent& e) {
                if (e.kind() == EventKind::create) {
                    if (on_create) on_create();
                    xp_timer_create(dialog, 20);
                }
                if (e.kind() == EventKind::timer) {
                    const host::WindowId id = xvt_host_window(dialog);
                    for (const XvtDialogItem* item = items + 1; item->type != 0; ++item) {
                        const host::WindowId control = host::control_by_id(ws(), id, item->id);
                        ws().update_window(control);
                        shown.emplace(item->id,
                                      Shown{ws().own_font(control), *ws().surface(control)});
                    }
                    xp_vobj_destroy(dialog);
                }
                return 0L;
            },
            0, dialog_font));
        return shown;
    }
};

TEST_F(DialogFonts, EachControlTakesItsItemsFontElseTheDialogsElseTheInterfaceFont) {
    const XvtFont mono = make_font("fixed", 12, 0);
    const XvtFont serif = make_font("Times New Roman", 14, xvt_font_style::bold);
    const XvtDialogItem items[] = {
        {10, {60, 60, 360, 200}, "Fonts", 0, 0},
        {18, {10, 10, 290, 40}, "Quill 0123", 3, 0, mono},
        {18, {10, 50, 290, 80}, "Quill 0123", 4, 0, serif},
        {18, {10, 90, 290, 120}, "Quill 0123", 5, 0},
        {12, {200, 120, 280, 138}, "OK", 1, 0},
        {0, {}, "", 0, 0},
    };
    // The dialog's font is the monospace one: the items without a font of their own take it.
    std::map<int, Shown> shown = run(items, mono);
    ASSERT_EQ(shown.size(), 4u);
    ASSERT_TRUE(shown[3].font && shown[4].font);
    EXPECT_EQ(shown[3].font->request().family, "Courier New");
    EXPECT_EQ(shown[3].font->request().height, -16); // 12 points at 96 pixels per inch
    EXPECT_EQ(shown[3].font->request().weight, 400);
    EXPECT_EQ(shown[4].font->request().family, "Times New Roman");
    EXPECT_EQ(shown[4].font->request().height, -18);
    EXPECT_EQ(shown[4].font->request().weight, 700);
    EXPECT_EQ(shown[5].font, shown[3].font); // one host font for one font object
    EXPECT_EQ(shown[1].font, shown[3].font);
    // The same text in the same font looks the same; in another font it does not, and some of it
    // is drawn at all.
    EXPECT_EQ(shown[5].picture, shown[3].picture);
    EXPECT_NE(shown[4].picture, shown[3].picture);
    const Surface blank(shown[3].picture.width(), shown[3].picture.height(),
                        shown[3].picture.pixel(0, 0));
    EXPECT_NE(shown[3].picture, blank);

    // Without a dialog font the third text is in the interface font, unlike the first.
    std::map<int, Shown> plain = run(items, 0);
    EXPECT_EQ(plain[5].font, nullptr);
    EXPECT_EQ(plain[1].font, nullptr);
    EXPECT_EQ(plain[4].font->request().family, "Times New Roman");
    EXPECT_NE(plain[5].picture, plain[3].picture);
    EXPECT_EQ(plain[3].picture, shown[3].picture);
    EXPECT_TRUE(hooked_errors.empty());
    xp_font_destroy(mono);
    xp_font_destroy(serif);
}

TEST_F(DialogFonts, AListEditsEditLineTakesTheFontToo) {
    const XvtFont serif = make_font("Times New Roman", 14, 0);
    const XvtDialogItem items[] = {
        {10, {60, 60, 360, 200}, "Fonts", 0, 0},
        {21, {10, 10, 200, 120}, "typed", 6, 0, serif},
        {0, {}, "", 0, 0},
    };
    std::shared_ptr<const Font> outer, line;
    ASSERT_TRUE(xp_dlg_create_def(
        items,
        [&](XvtWindow dialog, const XvtEvent& e) {
            if (e.kind() == EventKind::create) {
                const host::WindowId control =
                    host::control_by_id(ws(), xvt_host_window(dialog), 6);
                outer = ws().own_font(control);
                const std::vector<host::WindowId> inside = ws().children(control);
                if (!inside.empty()) line = ws().own_font(inside.front());
                xp_vobj_destroy(dialog);
            }
            return 0L;
        },
        0));
    ASSERT_TRUE(outer);
    EXPECT_EQ(outer->request().family, "Times New Roman");
    EXPECT_EQ(line, outer);
    xp_font_destroy(serif);
}

TEST_F(DialogFonts, TheControlsKeepTheirFontsWhenTheFontObjectsAreDestroyed) {
    const XvtFont mono = make_font("Courier New", 12, 0);
    const XvtDialogItem items[] = {
        {10, {60, 60, 360, 120}, "Fonts", 0, 0},
        {18, {10, 10, 290, 40}, "Quill 0123", 3, 0, mono},
        {0, {}, "", 0, 0},
    };
    const std::map<int, Shown> before = run(items, 0);
    const std::map<int, Shown> after = run(items, 0, [mono] { xp_font_destroy(mono); });
    ASSERT_EQ(after.size(), 1u);
    ASSERT_TRUE(after.at(3).font);
    EXPECT_EQ(after.at(3).font->request().family, "Courier New");
    EXPECT_EQ(after.at(3).picture, before.at(3).picture);
    EXPECT_TRUE(hooked_errors.empty());
}

TEST_F(DialogFonts, AStaleFontRefusesTheDefinitionAndBuildsNothing) {
    const XvtFont gone = make_font("Courier New", 12, 0);
    xp_font_destroy(gone);
    const XvtDialogItem items[] = {
        {10, {60, 60, 360, 120}, "Stale", 0, 0},
        {18, {10, 10, 290, 40}, "text", 3, 0, gone},
        {0, {}, "", 0, 0},
    };
    EXPECT_FALSE(xp_dlg_create_def(items, handler(), 0));
    const XvtDialogItem plain[] = {
        {10, {60, 60, 360, 120}, "Stale", 0, 0},
        {18, {10, 10, 290, 40}, "text", 3, 0},
        {0, {}, "", 0, 0},
    };
    EXPECT_FALSE(xp_dlg_create_def(plain, handler(), 0, gone)); // the dialog's font, too
    ASSERT_EQ(hooked_errors.size(), 2u);
    for (const ErrorRecord& r : hooked_errors) {
        EXPECT_EQ(r.id, 0x20000007u);
        EXPECT_EQ(r.api, "xp_dlg_create_def");
    }
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(ws().find_top_level("Stale"), host::no_window);
}

} // namespace
} // namespace quillet
