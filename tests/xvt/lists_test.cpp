// List controls' items and selection, linked lists (order, sorted adds with and without case,
// positions past the end), directory records and clipboard text.
#include "xvt_test_support.h"

#include <filesystem>
#include <unistd.h>

namespace quillet {
namespace {

using namespace xvt_test;

class ListControls : public LayerTest {
protected:
    XvtWindow window = no_xvt_window;
    XvtWindow add(int32_t type, uint32_t flags = 0) {
        if (window == no_xvt_window) window = open("Lists");
        XvtCtlDef def;
        def.type = type;
        def.rect = {0, 0, 120, 100};
        def.flags = flags;
        return xp_ctl_create_def(def, window, 0);
    }
};

TEST_F(ListControls, AddAtPositionsCountAndClear) {
    XvtWindow list = add(19);
    xp_list_add(list, -1, "b");
    xp_list_add(list, 0, "a");
    xp_list_add(list, 99, "d"); // past the end: appended
    xp_list_add(list, 2, "c");
    ASSERT_EQ(xp_list_count_all(list), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(host::find_control<host::ListControl>(ws(), xvt_host_window(list))->text(i),
                  std::string(1, char('a' + i)));
    xp_list_clear(list);
    EXPECT_EQ(xp_list_count_all(list), 0);
    xp_list_add(list, -2, "x");
    EXPECT_EQ(xp_list_count_all(list), 0);
    ASSERT_EQ(hooked_errors.size(), 1u);
    EXPECT_EQ(hooked_errors[0].id, 0x20000007u);
    EXPECT_EQ(hooked_errors[0].category, "list");
}

TEST_F(ListControls, SelectionInSingleAndMultipleLists) {
    XvtWindow single = add(19);
    XvtWindow multiple = add(19, xvt_ctl_flag::multiple_selection);
    for (XvtWindow l : {single, multiple})
        for (const char* t : {"zero", "one", "two", "three"})
            xp_list_add(l, -1, t);
    EXPECT_EQ(xp_list_get_sel_index(single), -1);
    xp_list_set_sel(single, 1, true);
    xp_list_set_sel(single, 3, true); // a single selection moves
    EXPECT_EQ(xp_list_count_sel(single), 1);
    EXPECT_EQ(xp_list_get_sel_index(single), 3);
    EXPECT_FALSE(xp_list_is_sel(single, 1));
    xp_list_set_sel(multiple, 1, true);
    xp_list_set_sel(multiple, 3, true);
    EXPECT_EQ(xp_list_count_sel(multiple), 2);
    XvtSlist selected = xp_list_get_sel(multiple);
    ASSERT_EQ(selected.size(), 2u);
    EXPECT_EQ(selected[0].text, "one");
    EXPECT_EQ(selected[0].data, 1);
    EXPECT_EQ(selected[1].text, "three");
    xp_list_set_sel(multiple, 1, false);
    EXPECT_EQ(xp_list_get_sel_index(multiple), 3);
    EXPECT_TRUE(hooked_errors.empty());
    EXPECT_FALSE(xp_list_is_sel(multiple, 4));
    xp_list_set_sel(multiple, -1, true);
    ASSERT_EQ(hooked_errors.size(), 2u);
    EXPECT_EQ(hooked_errors[1].id, 0x20000007u);
}

TEST_F(ListControls, ListButtonsKeepTheirChoiceWhenAnotherItemIsUnselected) {
    XvtWindow button = add(20);
    for (const char* t : {"red", "green", "blue"})
        xp_list_add(button, -1, t);
    xp_list_set_sel(button, 2, true);
    xp_list_set_sel(button, 0, false);
    EXPECT_EQ(xp_list_get_sel_index(button), 2);
    xp_list_set_sel(button, 2, false);
    EXPECT_EQ(xp_list_get_sel_index(button), -1);
}

TEST_F(ListControls, OtherControlsAreNoLists) {
    XvtWindow button = add(12);
    xp_list_add(button, -1, "x");
    EXPECT_EQ(xp_list_count_all(button), 0);
    EXPECT_EQ(xp_list_count_all(0x30003), 0);
    ASSERT_EQ(hooked_errors.size(), 3u);
    for (const ErrorRecord& e : hooked_errors)
        EXPECT_EQ(e.id, 0x20000001u);
}

std::string text_at(XvtLlist list, int n, long* user = nullptr) {
    auto data = xp_llist_get_nth(list, n, user);
    if (!data) return "<none>";
    return reinterpret_cast<const char*>(data->data());
}

std::vector<std::string> texts(XvtLlist list) {
    std::vector<std::string> out;
    for (int i = 0; i < xp_llist_count(list); ++i)
        out.push_back(text_at(list, i));
    return out;
}

class LinkedLists : public LayerTest {};

TEST_F(LinkedLists, CountLeavesOutHeadAndSentinelAndNthPastTheEndIsNone) {
    XvtLlist list = xp_llist_create();
    EXPECT_EQ(xp_llist_count(list), 0);
    EXPECT_EQ(xp_llist_first(list), no_llist_elt);
    EXPECT_FALSE(xp_llist_get_nth(list, 0, nullptr));
    xp_llist_add_text(list, no_llist_elt, "one", 11);
    xp_llist_add_text(list, no_llist_elt, "two", 22);
    EXPECT_EQ(xp_llist_count(list), 2);
    long user = 0;
    EXPECT_EQ(text_at(list, 1, &user), "two");
    EXPECT_EQ(user, 22);
    EXPECT_FALSE(xp_llist_get_nth(list, 2, nullptr));
    EXPECT_FALSE(xp_llist_get_nth(list, -1, nullptr));
    // A text is kept with its NUL: strlen + 1 bytes.
    EXPECT_EQ(xp_llist_get_nth(list, 0, nullptr)->size(), 4u);
    xp_llist_destroy(list);
    EXPECT_EQ(xp_llist_count(list), 0);
    ASSERT_EQ(hooked_errors.size(), 1u);
    EXPECT_EQ(hooked_errors[0].id, 0x20000001u);
    EXPECT_EQ(hooked_errors[0].category, "llist");
}

TEST_F(LinkedLists, InsertionAtElementsAndIndexesAndIteration) {
    XvtLlist list = xp_llist_create();
    XvtLlistElt c = xp_llist_add_text(list, no_llist_elt, "c", 3);
    xp_llist_add_text(list, c, "a", 1); // before c
    const uint8_t bytes[] = {'b', 0, 0xFF};
    xp_llist_add_at_index(list, 1, bytes, 2);
    xp_llist_add_at_index(list, 500, std::span<const uint8_t>(bytes, 0), 4); // past the end
    EXPECT_EQ(xp_llist_count(list), 4);
    EXPECT_EQ(xp_llist_get_nth(list, 1, nullptr)->size(), 3u); // the bytes as given
    EXPECT_TRUE(xp_llist_get_nth(list, 3, nullptr)->empty());
    std::vector<long> users;
    for (XvtLlistElt e = xp_llist_first(list); e != no_llist_elt;) {
        long user = 0;
        XvtLlistElt next = no_llist_elt;
        ASSERT_TRUE(xp_llist_elt_data(list, e, &user, &next));
        users.push_back(user);
        e = next;
    }
    EXPECT_EQ(users, (std::vector<long>{1, 2, 3, 4}));
    EXPECT_TRUE(hooked_errors.empty());
    xp_llist_add_text(list, 0x7777, "x", 0); // no such element
    EXPECT_FALSE(xp_llist_elt_data(list, 0x7777, nullptr, nullptr));
    EXPECT_EQ(xp_llist_count(list), 4);
    ASSERT_EQ(hooked_errors.size(), 2u);
    EXPECT_EQ(hooked_errors[0].id, 0x20000007u);
}

TEST_F(LinkedLists, SortedAddsWithAndWithoutCase) {
    XvtLlist exact = xp_llist_create();
    XvtLlist folded = xp_llist_create();
    for (const char* t : {"banana", "Apple", "cherry", "apple", "Banana", "Apple"}) {
        xp_llist_add_sorted(exact, t, 0, true);
        xp_llist_add_sorted(folded, t, 0, false);
    }
    // Byte order puts capitals first.
    EXPECT_EQ(texts(exact),
              (std::vector<std::string>{"Apple", "Apple", "Banana", "apple", "banana", "cherry"}));
    // Without case, equal texts keep the order they were added in.
    EXPECT_EQ(texts(folded),
              (std::vector<std::string>{"Apple", "apple", "Apple", "banana", "Banana", "cherry"}));
    // A prefix sorts first; bytes above 0x7F sort after ASCII.
    xp_llist_add_sorted(exact, "\xE9t\xE9", 0, true);
    xp_llist_add_sorted(exact, "App", 0, true);
    EXPECT_EQ(text_at(exact, 0), "App");
    EXPECT_EQ(text_at(exact, 7), "\xE9t\xE9");
}

TEST(Directories, CurrentDefaultAndConversions) {
    hooked_errors.clear();
    xvt_errmsg_set_hook(record_error);
    XvtDir start;
    xp_fsys_get_default_dir(&start);
    XvtDir here;
    xp_fsys_get_dir(&here);
    EXPECT_EQ(here.path, std::filesystem::current_path().string());
    std::filesystem::path temp = std::filesystem::temp_directory_path();
    XvtDir target;
    ASSERT_TRUE(xp_fsys_convert_str_to_dir(temp.string(), &target));
    xp_fsys_set_dir(&target);
    XvtDir now;
    xp_fsys_get_dir(&now);
    EXPECT_EQ(std::filesystem::canonical(now.path), std::filesystem::canonical(temp));
    XvtDir still_start;
    xp_fsys_get_default_dir(&still_start);
    EXPECT_EQ(still_start.path, start.path);
    char small[3];
    EXPECT_FALSE(xp_fsys_convert_dir_to_str(&now, small));
    char big[4096];
    EXPECT_TRUE(xp_fsys_convert_dir_to_str(&now, big));
    EXPECT_EQ(std::string(big), now.path);
    EXPECT_FALSE(xp_fsys_convert_str_to_dir("", &target));
    EXPECT_TRUE(hooked_errors.empty());
    XvtDir missing{"/no/such/directory/here"};
    xp_fsys_set_dir(&missing);
    xp_fsys_get_dir(nullptr);
    ASSERT_EQ(hooked_errors.size(), 2u);
    EXPECT_EQ(hooked_errors[0].id, 0x2000000Au);
    EXPECT_EQ(hooked_errors[0].category, "fsys");
    EXPECT_EQ(hooked_errors[1].id, 0x20000007u);
    xp_fsys_set_dir(&here);
    xvt_errmsg_set_hook(nullptr);
}

class Clipboard : public LayerTest {};

TEST_F(Clipboard, TextInLengthOutAndEmptying) {
    EXPECT_FALSE(xp_clip_has_text());
    xp_clip_put_text("caf\xE9 au lait");
    EXPECT_TRUE(xp_clip_has_text());
    EXPECT_EQ(xp_clip_get_text(), "caf\xE9 au lait");
    EXPECT_EQ(xp_clip_get_text_length(), 12);
    EXPECT_EQ(ws().clipboard().text(), "caf\xE9 au lait");
    xp_clip_clear();
    EXPECT_FALSE(xp_clip_has_text());
    EXPECT_EQ(xp_clip_get_text_length(), 0);
}

TEST(ClipboardWithoutWindows, IsAHostFailure) {
    hooked_errors.clear();
    xvt_errmsg_set_hook(record_error);
    xp_clip_put_text("x");
    ASSERT_EQ(hooked_errors.size(), 1u);
    EXPECT_EQ(hooked_errors[0].id, 0x20000009u);
    EXPECT_EQ(hooked_errors[0].category, "clip");
    xvt_errmsg_set_hook(nullptr);
}

} // namespace
} // namespace quillet
