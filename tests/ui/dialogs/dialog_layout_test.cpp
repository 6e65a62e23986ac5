#include "ui/dialogs/dialog_layout.h"
#include "ui/dialogs/dialog_options.h"
#include "ui/dialogs/file_filter.h"
#include "ui/dialogs/font_dialog.h"
#include "ui/objects/font_styles.h"
#include "values/errors.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

// u 7, sh 16, bh 24, eh 22, Ht 3 on a 1024 x 768 screen, the current window 640 x 480 at 100, 100.
DialogMeasures measures() {
    DialogMeasures m;
    m.unit = 7;
    m.static_height = 16;
    m.button_height = 24;
    m.edit_height = 22;
    m.half_difference = 3;
    m.screen = {1024, 768};
    m.current_window = {100, 100, 740, 580};
    return m;
}

bool has(const DialogLayout& layout, int32_t type, size_t nth = 0) {
    for (const DialogControl& c : layout.controls)
        if (c.type == type && nth-- == 0) return true;
    return false;
}

const DialogControl& find(const DialogLayout& layout, int32_t type, size_t nth = 0) {
    static const DialogControl none;
    for (const DialogControl& c : layout.controls)
        if (c.type == type && nth-- == 0) return c;
    ADD_FAILURE() << "no control of type " << type;
    return none;
}

constexpr int32_t button = static_cast<int32_t>(ControlType::push_button);
constexpr int32_t text = static_cast<int32_t>(ControlType::static_text);
constexpr int32_t edit = static_cast<int32_t>(ControlType::edit);

TEST(DialogWrap, BreaksAfterBlanksThenPunctuationThenAtTheLimit) {
    EXPECT_EQ(wrap_message("one two three four", 9),
              (std::vector<std::string>{"one two", "three", "four"}));
    EXPECT_EQ(wrap_message("alpha,beta,gamma", 12),
              (std::vector<std::string>{"alpha,beta,", "gamma"}));
    EXPECT_EQ(wrap_message("abcdefghijkl", 5), (std::vector<std::string>{"abcde", "fghij", "kl"}));
    EXPECT_EQ(wrap_message("word     next", 6), (std::vector<std::string>{"word", "next"}));
    EXPECT_EQ(wrap_message("", 10), (std::vector<std::string>{""}));
    EXPECT_EQ(wrap_message("short", 10), (std::vector<std::string>{"short"}));
    EXPECT_EQ(wrap_message("ab cd", 0), (std::vector<std::string>{"a", "b", "c", "d"}));
}

TEST(DialogLayoutMessageBox, AutomaticEdgesFollowTheMeasures) {
    DialogLayoutRequest r;
    r.title = "T";
    r.messages = {"first", "second"};
    r.buttons = {"Yes", "No"};
    r.labels = {"Name:"};
    r.values = {"Ann", ""};
    r.default_button = 2;
    const DialogLayout layout = lay_out_dialog(r, measures());
    // W = max(60u, 5 U2 + 4 U9) = 420; H = 3 sh + bh + 2 sh + 2 eh + 2 sh = 180; centred.
    EXPECT_EQ(layout.client().left, 210);
    EXPECT_EQ(layout.client().top, 250);
    EXPECT_EQ(layout.client().width(), 420);
    EXPECT_EQ(layout.client().height(), 180);
    ASSERT_TRUE(has(layout, text, 1));
    EXPECT_EQ(find(layout, text, 1).rect, (IntRect{14, 32, 406, 48}));
    // Two centred buttons: 420 / 2 - (2 x 63 + 14) / 2 = 140, then 77 apart, bottoms at H - sh.
    EXPECT_EQ(find(layout, button, 0).rect, (IntRect{140, 140, 203, 164}));
    EXPECT_EQ(find(layout, button, 1).rect, (IntRect{217, 140, 280, 164}));
    EXPECT_EQ(find(layout, button, 0).flags, 0u);
    EXPECT_EQ(find(layout, button, 1).flags, xvt_dlg_flag::default_button);
    // Label row 1 at 2 sh + Ht + 2 sh, the fields from W / 4 + U2 to W - U2.
    EXPECT_EQ(find(layout, text, 2).rect, (IntRect{14, 67, 119, 83}));
    EXPECT_EQ(find(layout, text, 2).flags, xvt_dlg_flag::right);
    EXPECT_EQ(find(layout, edit, 0).rect, (IntRect{119, 64, 406, 86}));
    EXPECT_EQ(find(layout, edit, 1).rect, (IntRect{119, 86, 406, 108}));
    EXPECT_EQ(find(layout, edit, 1).id, dialog_first_field_id + 1);
    EXPECT_EQ(layout.field_count, 2);
    const std::vector<XvtDialogItem> items = layout.items();
    EXPECT_EQ(items.front().text, "T");
    EXPECT_EQ(items.back().type, 0);
}

TEST(DialogLayoutMessageBox, ButtonRowsAndGivenEdges) {
    DialogLayoutRequest r;
    r.buttons = {"A", "B", "C", "D", "E"};
    r.left = 10, r.right = 309, r.top = 20, r.bottom = 119;
    r.button_justify = 2;
    DialogLayout layout = lay_out_dialog(r, measures());
    EXPECT_EQ(layout.client(), (IntRect{10, 20, 310, 120}));
    ASSERT_FALSE(has(layout, button, 4)); // four at most
    EXPECT_EQ(find(layout, button, 0).rect.left, 300 - 4 * 77);
    r.button_justify = 0;
    layout = lay_out_dialog(r, measures());
    EXPECT_EQ(find(layout, button, 0).rect.left, 14);
    EXPECT_EQ(find(layout, button, 3).rect.left, 14 + 3 * 77);
}

TEST(DialogLayoutMessageBox, MessageLinesAlignAsJustified) {
    DialogLayoutRequest r;
    r.messages = {"one", "two"};
    r.buttons = {"OK"};
    const uint32_t want[] = {0, xvt_dlg_flag::centered, xvt_dlg_flag::right, 0};
    for (int32_t justify = 0; justify <= 3; ++justify) {
        r.message_justify = justify;
        const DialogLayout layout = lay_out_dialog(r, measures());
        EXPECT_EQ(find(layout, text, 0).flags, want[justify]) << "justify " << justify;
        EXPECT_EQ(find(layout, text, 1).flags, want[justify]) << "justify " << justify;
    }
    r.button_justify = 3; // not centred, not right: the row starts at U2
    EXPECT_EQ(find(lay_out_dialog(r, measures()), button, 0).rect.left, 14);
}

TEST(DialogLayoutMessageBox, StaysOnTheScreenWithTextsFarLongerThanIt) {
    DialogMeasures m = measures();
    m.screen = {300, 200};
    DialogLayoutRequest r;
    r.buttons = {"OK"};
    r.messages.assign(5000, std::string(3000, 'x'));
    const DialogLayout layout = lay_out_dialog(r, m);
    EXPECT_EQ(layout.client().width(), 290);  // screen width - 10
    EXPECT_EQ(layout.client().height(), 190); // screen height - 10
    EXPECT_EQ(layout.line_count, 5000);
    size_t texts = 0;
    for (const DialogControl& c : layout.controls)
        if (c.type == text) {
            ++texts;
            EXPECT_LT(c.rect.top, 190);
        }
    // Only the lines that end above the button row's gap: 16 x 7 + 16 <= 190 - 2 x 16 - 24.
    EXPECT_EQ(texts, 7u);
    EXPECT_EQ(find(layout, button, 0).rect.bottom, 190 - 16);
    r.wrap = true; // wrapped at (W - 2 U2) / u = 37 characters
    const DialogLayout wrapped = lay_out_dialog(r, m);
    EXPECT_EQ(wrapped.line_count, 5000 * 82);
}

TEST(DialogLayoutMessageBox, FieldsNeverCoverTheButtons) {
    DialogMeasures m = measures();
    m.screen = {300, 200};
    DialogLayoutRequest r;
    r.buttons = {"OK"};
    r.messages = {"Many fields"};
    r.labels.assign(5000, "Label");
    r.values.assign(5000, "value");
    const DialogLayout layout = lay_out_dialog(r, m);
    EXPECT_EQ(layout.client().height(), 190);
    const int32_t button_top = find(layout, button, 0).rect.top;
    EXPECT_EQ(button_top, 190 - 16 - 24);
    // Rows from sh + 2 sh = 48 on, 22 apart, while they end above the button row at 150.
    EXPECT_EQ(layout.field_count, 4);
    for (const DialogControl& c : layout.controls) {
        if (c.type == edit || (c.type == text && c.text == "Label")) {
            EXPECT_LE(c.rect.bottom, button_top) << c.text;
        }
    }
}

TEST(DialogLayoutListBox, TheListStaysInSightUnderEndlessMessages) {
    DialogMeasures m = measures();
    m.screen = {300, 200};
    DialogLayoutRequest r;
    r.shape = DialogShape::list;
    r.buttons = {"OK"};
    r.messages.assign(5000, "A line of the message");
    const DialogLayout layout = lay_out_dialog(r, m);
    EXPECT_EQ(layout.client().height(), 190);
    const DialogControl& list = find(layout, static_cast<int32_t>(ControlType::list_box));
    // Only the first line: the list takes what is left above the button row.
    EXPECT_EQ(list.rect, (IntRect{14, 32, 276, 190 - 2 * 16 - 24}));
    EXPECT_TRUE(has(layout, text, 0));
    EXPECT_FALSE(has(layout, text, 1));
}

TEST(DialogLayoutMessageBox, LinesMakeRoomForTheFields) {
    DialogMeasures m = measures();
    m.screen = {1024, 400};
    DialogLayoutRequest r;
    r.buttons = {"OK"};
    r.messages.assign(100, "A line of the message");
    r.values = {"one", "two", "three"};
    const DialogLayout layout = lay_out_dialog(r, m);
    EXPECT_EQ(layout.client().height(), 390);
    // Lines while they leave three fields and a blank line above the row gap: y + 16 + 3 x 22
    // + 16 <= 390 - 32 - 24 holds for y up to 236, lines 1 to 14.
    EXPECT_TRUE(has(layout, text, 13));
    EXPECT_FALSE(has(layout, text, 14));
    EXPECT_EQ(layout.field_count, 3);
    EXPECT_EQ(find(layout, edit, 0).rect.top, 14 * 16 + 2 * 16);
    EXPECT_LE(find(layout, edit, 2).rect.bottom, find(layout, button, 0).rect.top);
}

TEST(DialogLayoutListBox, TheListSitsBetweenMessagesAndButtons) {
    DialogLayoutRequest r;
    r.shape = DialogShape::list;
    r.messages = {"Pick"};
    r.buttons = {"OK"};
    r.multiple = true;
    const DialogLayout layout = lay_out_dialog(r, measures());
    EXPECT_EQ(layout.client().width(), 420); // max(60u, 36u + U9 + 3 U2)
    EXPECT_EQ(layout.client().height(), 3 * 16 + 24 + 16 + 10 * 16);
    const DialogControl& list = find(layout, static_cast<int32_t>(ControlType::list_box));
    EXPECT_EQ(list.id, dialog_list_id);
    EXPECT_EQ(list.flags, xvt_dlg_flag::multiple);
    EXPECT_EQ(list.rect, (IntRect{14, 32, 406, 32 + 160}));
}

TEST(DialogOptions, ValuesAreTakenInTurn) {
    const DialogOptions o =
        parse_dialog_options({"MAXLENGTH", "FONT", "Arial", "Bold Italic", "MESSAGE JUSTIFY",
                              "BUTTON JUSTIFY", "MULTIPLE", "SELECTIONS"},
                             {0, 14, 9, 7, 2, 4, 6});
    EXPECT_TRUE(o.wrap);
    ASSERT_TRUE(o.font);
    EXPECT_EQ(o.font->family, "Arial");
    EXPECT_EQ(o.font->style, xvt_font_style::bold | xvt_font_style::italic);
    EXPECT_EQ(o.font->size, 14);
    EXPECT_EQ(o.message_justify, 0); // 9 is out of range
    EXPECT_EQ(o.button_justify, 1);  // 7 is out of range
    EXPECT_TRUE(o.multiple);
    EXPECT_EQ(o.selections, (std::vector<int32_t>{4, 6}));
}

int32_t option_error(const std::vector<std::string>& names, const std::vector<double>& values) {
    try {
        parse_dialog_options(names, values);
    } catch (const BasicError& e) {
        return e.code;
    }
    return 0;
}

TEST(DialogOptions, ProblemsRaiseTheirErrors) {
    EXPECT_EQ(option_error({"Maxlength"}, {1}), -11223);
    EXPECT_EQ(option_error({"MAXLENGTH"}, {}), -11273);
    EXPECT_EQ(option_error({"FONT", "Arial"}, {10}), -11273);
    EXPECT_EQ(option_error({"FONT", "Arial", "heavy"}, {10}), 0);
    EXPECT_EQ(option_error({"FONT", "Arial", "plain"}, {0}), 0);
    EXPECT_EQ(option_error({"SELECTIONS"}, {2000000000, 1}), -11273);
    EXPECT_EQ(option_error({}, {}), 0);
}

TEST(DialogOptions, AFontStyleWithoutStyleWordsIsPlainAndAnySizeIsKept) {
    DialogOptions o = parse_dialog_options({"FONT", "Arial", "Heavy"}, {-3});
    ASSERT_TRUE(o.font);
    EXPECT_EQ(o.font->family, "Arial");
    EXPECT_EQ(o.font->style, 0u);
    EXPECT_EQ(o.font->size, -3);
    o = parse_dialog_options({"FONT", "Times", "UNDERLINE and Bold", "MAXLENGTH"}, {0, 0});
    EXPECT_EQ(o.font->style, xvt_font_style::underline | xvt_font_style::bold);
    EXPECT_EQ(o.font->size, 0);
    EXPECT_TRUE(o.wrap);
}

TEST(FontStyleWords, InTheirFixedOrder) {
    EXPECT_EQ(font_style_words(0), "plain");
    EXPECT_EQ(font_style_words(0x3), "italic bold");
    EXPECT_EQ(font_style_words(0x85), "bold underline strikeout");
    EXPECT_EQ(font_style_of_words(font_style_words(0x87)), 0x87u);
}

TEST(FileFilters, PairsForTheExtension) {
    auto f = file_filters("txt");
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].description, "Files");
    EXPECT_EQ(f[0].pattern, "*.txt");
    EXPECT_EQ(f[1].description, "All files");
    EXPECT_EQ(f[1].pattern, "*.*");
    f = file_filters("*x");
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(f[0].pattern, "*.*x");
    f = file_filters("");
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(f[0].pattern, "*.*");
    EXPECT_LT(file_filters(std::string(5000, 'e'))[0].pattern.size(), 256u);
}

TEST(FileFilters, PatternsMatchWithoutCaseAndOddOnesMatchNothingHarmful) {
    EXPECT_TRUE(filter_matches("*.txt", "Readme.TXT"));
    EXPECT_FALSE(filter_matches("*.txt", "data.bin"));
    EXPECT_TRUE(filter_matches("*.*", "Makefile"));
    EXPECT_TRUE(filter_matches("*.doc; *.bin", "data.bin"));
    EXPECT_FALSE(filter_matches("../*", "x"));
    EXPECT_FALSE(filter_matches("a\\*", "a"));
    EXPECT_FALSE(filter_matches(";;;", "x"));
    EXPECT_FALSE(filter_matches("", "x"));
    EXPECT_TRUE(filter_matches("[ab]", "[ab]"));
    EXPECT_FALSE(filter_matches(std::string(300, '*') + "?", ""));
    EXPECT_TRUE(filter_matches(std::string(300, '*'), std::string(10000, 'a')));
    EXPECT_TRUE(has_wildcards("*.c"));
    EXPECT_FALSE(has_wildcards("plain.c"));
}

} // namespace
} // namespace quillet
