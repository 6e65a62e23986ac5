// Text-edit objects: the text model with a fixed-width measure (wrapping, selection, editing,
// the limit), the key table, and objects in windows driven by scripted keys (scrolling with its
// callback, suspend and resume, the font, errors) with a golden picture.
#include "host/golden.h"
#include "xvt/text_edit_model.h"
#include "xvt_test_support.h"

#include <set>

namespace quillet {
namespace {

using namespace xvt_test;
using xvt_detail::CaretMove;
using xvt_detail::TextModel;
using xvt_detail::TextPlace;

// Ten pixels a character.
TextModel model(bool wrap, int32_t margin) {
    TextModel m;
    m.set_layout(wrap, margin, [](std::string_view t) { return static_cast<int>(t.size()) * 10; });
    return m;
}

std::vector<std::string> lines_of(const TextModel& m, int32_t paragraph) {
    std::vector<std::string> out;
    for (int32_t l = 0; l < m.paragraph_line_count(paragraph); ++l)
        out.emplace_back(m.line_text(paragraph, l));
    return out;
}

std::vector<std::string> paragraphs_of(const TextModel& m) {
    std::vector<std::string> out;
    for (int32_t p = 0; p < m.paragraph_count(); ++p)
        out.push_back(m.paragraph(p));
    return out;
}

using Lines = std::vector<std::string>;

TEST(TextModel, WrapsAfterTheLastBlankThatFitsAndBreaksLongWords) {
    TextModel m = model(true, 50);
    m.insert_paragraph(0, "aaa bbb ccc");
    m.insert_paragraph(1, "abcdefghijkl");
    m.insert_paragraph(2, "");
    m.insert_paragraph(3, "ab cd");
    EXPECT_EQ(lines_of(m, 0), (Lines{"aaa ", "bbb ", "ccc"}));
    EXPECT_EQ(lines_of(m, 1), (Lines{"abcde", "fghij", "kl"}));
    EXPECT_EQ(lines_of(m, 2), (Lines{""}));
    EXPECT_EQ(lines_of(m, 3), (Lines{"ab cd"})); // exactly the margin
    EXPECT_EQ(m.line_count(), 8);
    EXPECT_EQ(m.line_at(4).paragraph, 1);
    EXPECT_EQ(m.line_at(4).line, 1);
    EXPECT_EQ(m.absolute_line(3, 0), 7);

    // Without wrapping, and after the margin changes, each paragraph is laid out again.
    m.set_layout(false, 50, [](std::string_view t) { return static_cast<int>(t.size()) * 10; });
    EXPECT_EQ(lines_of(m, 0), (Lines{"aaa bbb ccc"}));
    EXPECT_EQ(m.line_count(), 4);
    EXPECT_EQ(m.widest_line(), 120);
}

TEST(TextModel, PlacesAtLineBreaksBelongToTheNextLine) {
    TextModel m = model(true, 50);
    m.insert_paragraph(0, "aaa bbb ccc");
    EXPECT_EQ(m.to_lines({0, 4}), (xvt_detail::LinePlace{0, 1, 0}));
    EXPECT_EQ(m.to_lines({0, 11}), (xvt_detail::LinePlace{0, 2, 3}));
    EXPECT_EQ(m.from_lines({0, 2, 99}), (TextPlace{0, 11})); // clamped to the line
    EXPECT_EQ(m.from_lines({7, 0, 0}), (TextPlace{0, 0}));   // and to the text
}

TEST(TextModel, SelectionExtendsCollapsesAndIsReplacedByTyping) {
    TextModel m = model(false, 0);
    m.insert_paragraph(0, "hello world");
    m.select({0, 0}, {0, 0});
    m.move_caret(CaretMove::right, true, 1);
    m.move_caret(CaretMove::right, true, 1);
    EXPECT_EQ(m.selection_start(), (TextPlace{0, 0}));
    EXPECT_EQ(m.selection_end(), (TextPlace{0, 2}));
    EXPECT_TRUE(m.insert("J", 0));
    EXPECT_EQ(m.paragraph(0), "Jllo world");
    EXPECT_FALSE(m.has_selection());

    m.move_caret(CaretMove::line_end, true, 1);
    EXPECT_EQ(m.selection_end(), (TextPlace{0, 10}));
    m.move_caret(CaretMove::left, false, 1); // collapses to the start
    EXPECT_EQ(m.caret(), (TextPlace{0, 1}));
    EXPECT_FALSE(m.has_selection());
    m.move_caret(CaretMove::line_start, false, 1);
    EXPECT_EQ(m.caret(), (TextPlace{0, 0}));
}

TEST(TextModel, ReturnSplitsAndDeletionJoinsParagraphs) {
    TextModel m = model(false, 0);
    m.insert_paragraph(0, "onetwo");
    m.select({0, 3}, {0, 3});
    EXPECT_TRUE(m.split_paragraph());
    EXPECT_EQ(paragraphs_of(m), (Lines{"one", "two"}));
    EXPECT_EQ(m.caret(), (TextPlace{1, 0}));
    EXPECT_TRUE(m.delete_backward());
    EXPECT_EQ(paragraphs_of(m), (Lines{"onetwo"}));
    EXPECT_EQ(m.caret(), (TextPlace{0, 3}));
    m.split_paragraph();
    m.select({0, 3}, {0, 3});
    EXPECT_TRUE(m.delete_forward());
    EXPECT_EQ(paragraphs_of(m), (Lines{"onetwo"}));
    // A selection over three paragraphs goes as one.
    m.insert_paragraph(1, "middle");
    m.insert_paragraph(2, "last");
    m.select({0, 2}, {2, 1});
    EXPECT_TRUE(m.delete_forward());
    EXPECT_EQ(paragraphs_of(m), (Lines{"onast"}));
    // Nothing before the start or after the end.
    m.select({0, 0}, {0, 0});
    EXPECT_FALSE(m.delete_backward());
    m.select({0, 5}, {0, 5});
    EXPECT_FALSE(m.delete_forward());
}

TEST(TextModel, TheLimitCountsCharactersOfAllParagraphs) {
    TextModel m = model(false, 0);
    m.insert_paragraph(0, "abc");
    m.insert_paragraph(1, "de");
    m.select({1, 2}, {1, 2});
    EXPECT_FALSE(m.insert("f", 5));
    EXPECT_TRUE(m.insert("f", 6));
    EXPECT_FALSE(m.insert("g", 6));
    // Replacing a selection frees its characters first.
    m.select({0, 0}, {0, 2});
    EXPECT_TRUE(m.insert("XY", 6));
    EXPECT_FALSE(m.insert("Z", 6));
    EXPECT_EQ(paragraphs_of(m), (Lines{"XYc", "def"}));
    EXPECT_TRUE(m.insert("Z", 0)); // 0: no limit
}

TEST(TextModel, UpAndDownKeepTheColumn) {
    TextModel m = model(false, 0);
    m.insert_paragraph(0, "abcdef");
    m.insert_paragraph(1, "ab");
    m.insert_paragraph(2, "abcdef");
    m.select({0, 5}, {0, 5});
    m.move_caret(CaretMove::down, false, 1);
    EXPECT_EQ(m.caret(), (TextPlace{1, 2}));
    m.move_caret(CaretMove::down, false, 1);
    EXPECT_EQ(m.caret(), (TextPlace{2, 5}));
    m.move_caret(CaretMove::page_up, true, 10);
    EXPECT_EQ(m.caret(), (TextPlace{0, 5}));
    EXPECT_EQ(m.anchor(), (TextPlace{2, 5}));
}

// The line total and the widest line are kept as the text changes, without measuring it again:
// they must agree with the lines themselves after every kind of change.
TEST(TextModel, LineTotalsAndWidthsFollowEveryChange) {
    TextModel m = model(true, 50);
    auto counted = [&] {
        int32_t n = 0;
        for (int32_t p = 0; p < m.paragraph_count(); ++p)
            n += m.paragraph_line_count(p);
        return n;
    };
    m.insert_paragraph(0, "aaaa bbbb cccc");
    m.insert_paragraph(1, "dd");
    m.insert_paragraph(5, "eeee ffff");
    EXPECT_EQ(m.line_count(), counted());
    EXPECT_EQ(m.line_count(), 3 + 1 + 2);
    EXPECT_EQ(m.widest_line(), 50);
    m.append(1, " gggg hhhh");
    EXPECT_EQ(m.line_count(), counted());
    m.select({0, 2}, {2, 3});
    ASSERT_TRUE(m.insert("x", 0));
    EXPECT_EQ(m.line_count(), counted());
    ASSERT_TRUE(m.split_paragraph());
    EXPECT_EQ(m.line_count(), counted());
    m.remove_paragraph(0);
    EXPECT_EQ(m.line_count(), counted());
    m.set_layout(false, 50, [](std::string_view t) { return static_cast<int>(t.size()) * 10; });
    EXPECT_EQ(m.line_count(), m.paragraph_count());
    m.clear();
    EXPECT_EQ(m.line_count(), 0);
    EXPECT_EQ(m.widest_line(), 0);
}

// A paragraph far longer than a line wraps with measures of about a line each: counting the
// measured bytes catches a search that measures the whole rest of the paragraph for every line.
TEST(TextModel, ALongParagraphWrapsWithoutMeasuringItsRestForEveryLine) {
    int64_t measured = 0;
    TextModel m;
    m.set_layout(true, 100, [&](std::string_view t) {
        measured += static_cast<int64_t>(t.size());
        return static_cast<int>(t.size()) * 10;
    });
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += "abcd efgh ";
    m.insert_paragraph(0, text);
    EXPECT_EQ(m.line_count(), 20000);
    EXPECT_EQ(lines_of(m, 0)[1234], "abcd efgh ");
    EXPECT_LT(measured, static_cast<int64_t>(text.size()) * 40);
}

// Double click: the word around the caret; a click places the caret at the nearest boundary.
TEST(TextModel, ClicksPlaceTheCaretAndDoubleClicksSelectAWord) {
    TextModel m = model(false, 0);
    m.insert_paragraph(0, "one two three");
    m.click_at(0, 52, false);
    EXPECT_EQ(m.caret(), (TextPlace{0, 5}));
    m.select_word();
    EXPECT_EQ(m.selection_start(), (TextPlace{0, 4}));
    EXPECT_EQ(m.selection_end(), (TextPlace{0, 7}));
    m.click_at(0, 200, true);
    EXPECT_EQ(m.selection_end(), (TextPlace{0, 13}));
    m.click_at(9, 0, false);
    EXPECT_EQ(m.caret(), (TextPlace{0, 0}));
}

TEST(TextEditKeys, TheKeyTable) {
    EXPECT_EQ(xvt_tx_key_action(0x130), TxKeyAction::left);
    EXPECT_EQ(xvt_tx_key_action(0x12F), TxKeyAction::right);
    EXPECT_EQ(xvt_tx_key_action(0x12D), TxKeyAction::up);
    EXPECT_EQ(xvt_tx_key_action(0x12E), TxKeyAction::down);
    EXPECT_EQ(xvt_tx_key_action(0x131), TxKeyAction::page_up);
    EXPECT_EQ(xvt_tx_key_action(0x132), TxKeyAction::page_down);
    EXPECT_EQ(xvt_tx_key_action(0x133), TxKeyAction::line_start);
    EXPECT_EQ(xvt_tx_key_action(0x134), TxKeyAction::line_end);
    EXPECT_EQ(xvt_tx_key_action(0x7F), TxKeyAction::delete_forward);
    EXPECT_EQ(xvt_tx_key_action(8), TxKeyAction::delete_backward);
    EXPECT_EQ(xvt_tx_key_action(13), TxKeyAction::split_paragraph);
    EXPECT_EQ(xvt_tx_key_action(27), TxKeyAction::nothing);
    EXPECT_EQ(xvt_tx_key_action(0x138), TxKeyAction::nothing);
    EXPECT_EQ(xvt_tx_key_action('a'), TxKeyAction::insert);
    EXPECT_EQ(xvt_tx_key_action(9), TxKeyAction::insert);
}

// Text edits in a window whose handler passes their events on, as the engine does.
class TextEdits : public LayerTest {
protected:
    XvtWindow window = no_xvt_window;
    std::vector<XvtWindow> event_windows;
    std::vector<TxScrollNotice> notices;

    void open_window(const std::string& script = "") {
        if (!script.empty()) start(script);
        XvtWinDef def;
        def.client = {40, 40, 340, 240};
        def.title = "Edit";
        def.flags = 0x013;
        window = xp_win_create_def(
            def, no_xvt_window,
            [this](XvtWindow w, const XvtEvent& e) {
                events.push_back(e);
                event_windows.push_back(w);
                xp_tx_process_event(w, e);
                return 0L;
            },
            0);
    }
    XvtTextEdit create(IntRect r, uint32_t attributes, int32_t margin = 1000, int32_t limit = 0,
                       XvtFont font = 0) {
        XvtTextEdit tx = xp_tx_create(window, &r, attributes, font, margin, limit);
        xp_tx_set_scroll_callback(
            tx, [this](XvtTextEdit, const TxScrollNotice& n) { notices.push_back(n); });
        return tx;
    }
    std::vector<std::string> paragraphs(XvtTextEdit tx) {
        std::vector<std::string> out;
        for (int32_t p = 0; p < xp_tx_get_num_pars(tx); ++p) {
            std::string text;
            for (int32_t l = 0; l < xp_tx_get_num_par_lines(tx, p); ++l) {
                char buffer[256];
                xp_tx_get_line(tx, p, l, buffer);
                text += buffer;
            }
            out.push_back(text);
        }
        return out;
    }
    const Surface& picture(XvtTextEdit tx) { return *ws().surface(xvt_host_window(tx)); }
};

TEST_F(TextEdits, ScriptedKeysEditThroughTheParentsHandler) {
    open_window("type hello\nkey Enter\ntype world\nkey shift+Left shift+Left Backspace\n"
                "key Up End\ntype !\nkey Escape Insert F2\n");
    XvtTextEdit tx = create({10, 10, 210, 110}, xvt_tx_attr::border);
    ASSERT_NE(tx, no_xvt_window);
    EXPECT_EQ(xp_vobj_get_type(tx), 23);
    xp_tx_set_active(tx);
    drain();
    EXPECT_EQ(paragraphs(tx), (Lines{"hello!", "wor"}));
    EXPECT_EQ(xp_tx_get_sel(tx), (TxSelection{{0, 0, 6}, {0, 0, 6}}));
    // The object's own events reach the parent's handler naming the text edit.
    int focus_events = 0, character_events = 0;
    for (size_t i = 0; i < events.size(); ++i) {
        if (event_windows[i] != tx) continue;
        focus_events += events[i].kind() == EventKind::focus;
        character_events += events[i].kind() == EventKind::character;
    }
    EXPECT_EQ(focus_events, 1);
    EXPECT_EQ(character_events, 20);
    EXPECT_TRUE(hooked_errors.empty());
}

TEST_F(TextEdits, TheLimitStopsTyping) {
    open_window("type abcdefgh\n");
    XvtTextEdit tx = create({10, 10, 210, 110}, 0, 1000, 5);
    xp_tx_set_active(tx);
    drain();
    EXPECT_EQ(paragraphs(tx), (Lines{"abcde"}));
    EXPECT_EQ(xp_tx_get_limit(tx), 5);
}

TEST_F(TextEdits, AppendingLimitsAttributesDataAndTheRectangle) {
    open_window();
    XvtTextEdit tx = create({10, 10, 210, 110}, xvt_tx_attr::border);
    xp_tx_add_par(tx, 0, "abc");
    xp_tx_add_par(tx, 1, "xyz");
    xp_tx_append(tx, 0, "def");
    EXPECT_EQ(paragraphs(tx), (Lines{"abcdef", "xyz"}));

    // A limit set later counts every character of the text; a typed one past it is refused.
    xp_tx_set_limit(tx, 10);
    EXPECT_EQ(xp_tx_get_limit(tx), 10);
    xp_tx_set_sel(tx, {{0, 0, 6}, {0, 0, 6}});
    XvtEvent key;
    key.words = {static_cast<int32_t>(EventKind::character), 'g'};
    xp_tx_process_event(tx, key);
    xp_tx_process_event(tx, key);
    EXPECT_EQ(paragraphs(tx), (Lines{"abcdefg", "xyz"}));

    xp_tx_set_attr(tx, xvt_tx_attr::wrap);
    EXPECT_EQ(xp_tx_get_attr(tx), xvt_tx_attr::wrap);
    xp_tx_set_data(tx, 0x5A5A);
    EXPECT_EQ(xp_tx_get_data(tx), 0x5A5A);

    EXPECT_EQ(xp_tx_get_rect(tx), (IntRect{10, 10, 210, 110}));
    xp_tx_move(tx, {20, 30, 220, 30 + 3 * xp_tx_get_line_height(tx) + 1});
    EXPECT_EQ(xp_tx_get_rect(tx), (IntRect{20, 30, 220, 30 + 3 * xp_tx_get_line_height(tx) + 1}));
    EXPECT_EQ(xp_tx_get_view(tx), 3);
    EXPECT_TRUE(hooked_errors.empty());

    xp_tx_append(tx, 2, "no such paragraph");
    xp_tx_set_limit(tx, -1);
    EXPECT_EQ(xp_tx_get_limit(tx), 10);
    ASSERT_EQ(hooked_errors.size(), 2u);
    EXPECT_EQ(hooked_errors[0].api, "xp_tx_append");
    EXPECT_EQ(hooked_errors[1].api, "xp_tx_set_limit");
    for (const ErrorRecord& r : hooked_errors)
        EXPECT_EQ(r.id, 0x20000007u);
    EXPECT_EQ(paragraphs(tx), (Lines{"abcdefg", "xyz"}));
}

TEST_F(TextEdits, CharacterEventsShowTheCaretUnlessTheObjectIsReadOnly) {
    open_window();
    XvtTextEdit tx = create({10, 10, 210, 110}, 0);
    xp_tx_add_par(tx, 0, "ab");
    xp_tx_set_active(tx);
    drain();
    const host::WindowId top = xvt_host_window(window);
    const Surface with_caret = ws().compose_client(top);
    xp_tx_set_attr(tx, xvt_tx_attr::read_only);
    const Surface without_caret = ws().compose_client(top);
    EXPECT_NE(with_caret, without_caret);
    XvtEvent key;
    key.words = {static_cast<int32_t>(EventKind::character), 27};
    xp_tx_process_event(tx, key); // read-only: the caret stays hidden
    EXPECT_EQ(ws().compose_client(top), without_caret);
    xp_tx_set_attr(tx, 0);
    xp_tx_process_event(tx, key); // escape changes nothing but the caret comes back
    EXPECT_EQ(ws().compose_client(top), with_caret);
    EXPECT_EQ(paragraphs(tx), (Lines{"ab"}));
}

TEST_F(TextEdits, ReadOnlyObjectsMoveButDoNotChange) {
    open_window("type xyz\nkey End shift+Left\n");
    XvtTextEdit tx = create({10, 10, 210, 110}, xvt_tx_attr::read_only);
    xp_tx_add_par(tx, 0, "fixed");
    xp_tx_set_active(tx);
    drain();
    EXPECT_EQ(paragraphs(tx), (Lines{"fixed"}));
    EXPECT_EQ(xp_tx_get_sel(tx), (TxSelection{{0, 0, 4}, {0, 0, 5}}));
}

TEST_F(TextEdits, WithoutAFontTheObjectUsesHelveticaAtTenPoints) {
    open_window();
    XvtTextEdit tx = create({10, 10, 210, 110}, 0);
    FontRequest request;
    request.family = "helvetica";
    request.height = -13; // 10 points at 96 pixels per inch
    std::shared_ptr<const Font> helvetica = ws().fonts().open(request);
    const FontMetrics& m = helvetica->metrics();
    EXPECT_EQ(xp_tx_get_line_height(tx), m.external_leading + m.ascent + m.descent);
    EXPECT_EQ(xp_tx_get_view(tx), 100 / xp_tx_get_line_height(tx));

    XvtFont big = xp_font_create();
    xp_font_set_family(big, "fixed");
    xp_font_set_size(big, 20);
    xp_tx_set_font(tx, big);
    xp_font_destroy(big); // the object keeps its copy
    EXPECT_GT(xp_tx_get_line_height(tx), m.height);
    xp_tx_add_par(tx, 0, "W");
    EXPECT_EQ(
        xp_tx_get_max_width(tx),
        ws().fonts().open({"Courier New", -26, 400, false, false, false})->text_extent("W").width);
}

TEST_F(TextEdits, ParagraphsWrapAtTheMargin) {
    open_window();
    XvtTextEdit tx = create({10, 10, 210, 110}, xvt_tx_attr::wrap, 0);
    // A margin of exactly one word and its blank, in the default font.
    std::shared_ptr<const Font> font =
        ws().fonts().open({"helvetica", -13, 400, false, false, false});
    xp_tx_set_margin(tx, font->text_extent("word ").width);
    xp_tx_add_par(tx, 0, "word word word");
    EXPECT_EQ(xp_tx_get_num_par_lines(tx, 0), 3);
    EXPECT_EQ(xp_tx_get_num_chars(tx, 0, 0), 5);
    EXPECT_EQ(xp_tx_get_num_chars(tx, 0, 2), 4);
    xp_tx_set_attr(tx, 0);
    EXPECT_EQ(xp_tx_get_num_par_lines(tx, 0), 1);
}

TEST_F(TextEdits, ScrollingIsKeptWithinTheTextAndToldToTheCallback) {
    open_window();
    XvtTextEdit tx = create({10, 10, 210, 110}, 0);
    const int32_t view = xp_tx_get_view(tx);
    ASSERT_GT(view, 2);
    for (int i = 0; i < 20; ++i)
        xp_tx_add_par(tx, 0xFFFF, "line " + std::to_string(i));
    ASSERT_EQ(notices.size(), 20u);
    EXPECT_EQ(notices.back().vertical, tx_unchanged);
    EXPECT_EQ(notices.back().horizontal, tx_unchanged);
    EXPECT_EQ(notices.back().lines, 20);
    EXPECT_EQ(xp_tx_get_num_lines(tx), 20);
    notices.clear();

    xp_tx_scroll_vert(tx, 5);
    EXPECT_EQ(xp_tx_get_origin(tx), (TxOrigin{5, 0, 0, 5}));
    xp_tx_scroll_vert(tx, 1000);
    EXPECT_EQ(xp_tx_get_origin(tx).first_line, 20 - view);
    xp_tx_scroll_vert(tx, -1000);
    xp_tx_scroll_vert(tx, -1); // already at the top: no notice
    ASSERT_EQ(notices.size(), 3u);
    EXPECT_EQ(notices[0].vertical, 5);
    EXPECT_EQ(notices[0].horizontal, tx_unchanged);
    EXPECT_EQ(notices[1].vertical, 20 - view);
    EXPECT_EQ(notices[2].vertical, 0);

    // The caret moving below the view scrolls it by one line.
    notices.clear();
    xp_tx_set_sel(tx, {{view - 1, 0, 0}, {view - 1, 0, 0}});
    XvtEvent down;
    down.words = {10, xvt_key::down, 0, 0};
    xp_tx_process_event(tx, down);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].vertical, 1);

    // Horizontally only as far as the widest line goes past the view.
    notices.clear();
    xp_tx_scroll_hor(tx, 50);
    EXPECT_TRUE(notices.empty());
    xp_tx_add_par(tx, 0, std::string(100, 'm'));
    notices.clear();
    xp_tx_scroll_hor(tx, 50);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].horizontal, 50);
    EXPECT_EQ(notices[0].vertical, tx_unchanged);
}

TEST_F(TextEdits, SuspendedObjectsAreDrawnOnTheLastResume) {
    open_window();
    XvtTextEdit tx = create({10, 10, 210, 110}, 0);
    const Surface blank = picture(tx);
    xp_tx_suspend(tx);
    xp_tx_suspend(tx);
    xp_tx_add_par(tx, 0, "shown later");
    EXPECT_EQ(picture(tx), blank);
    xp_tx_resume(tx);
    EXPECT_EQ(picture(tx), blank);
    xp_tx_resume(tx);
    EXPECT_NE(picture(tx), blank);
    xp_tx_resume(tx); // one too many: nothing
}

TEST_F(TextEdits, ColoursSelectionAndBorderAsDrawn) {
    open_window();
    XvtTextEdit tx = create({10, 10, 170, 70}, xvt_tx_attr::border | xvt_tx_attr::wrap, 150);
    xp_tx_set_colors(tx, 0x000080, 0xFFFFE0, 0xC00000);
    xp_tx_add_par(tx, 0, "The quick brown fox jumps over the lazy dog.");
    xp_tx_add_par(tx, 1, "Second paragraph");
    xp_tx_set_sel(tx, {{0, 0, 4}, {0, 1, 3}});
    const Surface& p = picture(tx);
    EXPECT_EQ(p.pixel(0, 0), 0xC00000u); // the border
    EXPECT_EQ(p.pixel(159, 30), 0xC00000u);
    EXPECT_EQ(p.pixel(150, 50), 0xFFFFE0u); // the background
    EXPECT_TRUE(test::matches_golden(p, "xvt_text_edit"));
}

TEST_F(TextEdits, DisabledObjectsTakeNoInputAndAreDrawnGrey) {
    open_window("click 50 30\ntype ab\n");
    XvtTextEdit tx = create({10, 10, 170, 70}, 0);
    xp_tx_set_colors(tx, 0x000080, 0xFFFFE0, 0);
    xp_tx_add_par(tx, 0, "Some text");
    xp_tx_set_sel(tx, {{0, 0, 0}, {0, 0, 4}});
    xp_tx_set_active(tx);
    xp_vobj_set_enabled(tx, false);
    EXPECT_NE(ws().focus(), xvt_host_window(tx)); // the focus left it
    drain();
    EXPECT_EQ(paragraphs(tx), (Lines{"Some text"}));
    EXPECT_EQ(xp_tx_get_sel(tx), (TxSelection{{0, 0, 0}, {0, 0, 4}}));
    EXPECT_NE(ws().focus(), xvt_host_window(tx));
    // Keys that the parent passes on are refused too.
    XvtEvent key;
    key.words = {10, 'x', 0, 0};
    xp_tx_process_event(tx, key);
    EXPECT_EQ(paragraphs(tx), (Lines{"Some text"}));

    // Grey text on the face colour, whatever its own colours, and no selection.
    std::set<uint32_t> colours;
    const Surface& p = picture(tx);
    for (int32_t y = 0; y < 60; ++y)
        for (int32_t x = 0; x < 160; ++x)
            colours.insert(p.pixel(x, y));
    EXPECT_EQ(colours, (std::set<uint32_t>{0xC0C0C0, 0x808080}));

    // Enabled again, it takes keys and has its colours back.
    xp_vobj_set_enabled(tx, true);
    EXPECT_EQ(p.pixel(150, 50), 0xFFFFE0u);
    xp_tx_set_active(tx);
    EXPECT_EQ(ws().focus(), xvt_host_window(tx));
    xp_tx_process_event(tx, key);
    EXPECT_EQ(paragraphs(tx), (Lines{"x text"}));
    EXPECT_TRUE(hooked_errors.empty());
}

TEST_F(TextEdits, ClicksAreTheObjectsOwnAndTheOperationTakesKeysAndFocusOnly) {
    open_window("target Edit\ndclick 30 16\n");
    XvtTextEdit tx = create({10, 10, 210, 110}, 0);
    xp_tx_add_par(tx, 0, "hello world");
    xp_tx_set_sel(tx, {{0, 0, 11}, {0, 0, 11}});
    // A click handed to the operation is no event of its kinds.
    XvtEvent down;
    down.words = {6, xvt_pack_point({12, 14}), 0, 0, 0};
    xp_tx_process_event(tx, down);
    down.words[0] = 9;
    xp_tx_process_event(tx, down);
    EXPECT_EQ(xp_tx_get_sel(tx), (TxSelection{{0, 0, 11}, {0, 0, 11}}));
    EXPECT_NE(ws().focus(), xvt_host_window(tx));
    // A real double click reaches the parent's handler and is then taken by the object itself.
    drain();
    EXPECT_EQ(xp_tx_get_sel(tx), (TxSelection{{0, 0, 0}, {0, 0, 5}}));
    EXPECT_EQ(ws().focus(), xvt_host_window(tx));
    bool told = false;
    for (size_t i = 0; i < events.size(); ++i)
        told = told || (event_windows[i] == tx && events[i].kind() == EventKind::mouse_double &&
                        xvt_unpack_point(events[i].words[1]) == IntPoint{30, 16});
    EXPECT_TRUE(told);
    EXPECT_TRUE(hooked_errors.empty());
}

TEST_F(TextEdits, ErrorsNameTheOperation) {
    open_window();
    const IntRect r{0, 0, 50, 50};
    EXPECT_EQ(xp_tx_create(no_xvt_window, &r, 0, 0, 100, 0), no_xvt_window);
    EXPECT_EQ(xp_tx_create(window, nullptr, 0, 0, 100, 0), no_xvt_window);
    XvtTextEdit tx = create(r, 0);
    char buffer[8];
    xp_tx_get_line(tx, 0, 0, buffer); // no paragraph yet
    xp_tx_add_par(tx, 0, "x");
    xp_tx_rem_par(tx, 3);
    xp_tx_add_par(window, 0, "x"); // a window that is no text edit
    xp_tx_destroy(tx);
    xp_tx_get_num_pars(tx);
    ASSERT_EQ(hooked_errors.size(), 6u);
    const std::pair<std::string_view, uint32_t> expected[] = {
        {"xp_tx_create", 0x20000001},   {"xp_tx_create", 0x20000007},
        {"xp_tx_get_line", 0x20000007}, {"xp_tx_rem_par", 0x20000007},
        {"xp_tx_add_par", 0x20000001},  {"xp_tx_get_num_pars", 0x20000001}};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(hooked_errors[i].api, expected[i].first);
        EXPECT_EQ(hooked_errors[i].id, expected[i].second);
        EXPECT_EQ(hooked_errors[i].category, "tx");
    }
}

TEST_F(TextEdits, ACallbackMayDestroyTheObject) {
    open_window();
    XvtTextEdit tx = create({0, 0, 100, 40}, 0);
    for (int i = 0; i < 10; ++i)
        xp_tx_add_par(tx, 0xFFFF, "text");
    xp_tx_set_scroll_callback(tx,
                              [](XvtTextEdit self, const TxScrollNotice&) { xp_tx_destroy(self); });
    xp_tx_set_sel(tx, {{9, 0, 0}, {9, 0, 0}}); // below the view
    XvtEvent key;
    key.words = {10, 'x', 0, 0};
    xp_tx_process_event(tx, key); // brings the caret into view: the callback ends the object
    EXPECT_EQ(xvt_host_window(tx), 0u);
    EXPECT_TRUE(hooked_errors.empty());
}

TEST_F(TextEdits, DestroyingTheParentFreesTheObject) {
    open_window();
    XvtTextEdit tx = create({0, 0, 50, 50}, 0);
    xp_vobj_destroy(window);
    EXPECT_EQ(xvt_host_window(tx), 0u);
    xp_tx_clear(tx);
    ASSERT_EQ(hooked_errors.size(), 1u);
    EXPECT_EQ(hooked_errors[0].id, 0x20000001u);
}

} // namespace
} // namespace quillet
