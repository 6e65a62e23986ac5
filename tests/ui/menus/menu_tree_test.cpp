#include "ui/menus/menu_methods.h"
#include "ui/menus/menu_tree.h"
#include "values/errors.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace quillet {
namespace {

// Menus made as the object methods make them, in window 1 (defined, never shown).
class MenuTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        reset_window_table();
        reset_object_tables();
        reset_menu_tree();
        window_record(1).native_window = no_xvt_window;
        window_table.highest = 1;
    }
    void TearDown() override {
        reset_menu_tree();
        reset_object_tables();
        reset_window_table();
    }

    static int32_t make(int32_t type, int32_t parent, const char* text) {
        int32_t id = allocate_menu_id();
        MenuEntry& entry = object_tables.menus[static_cast<size_t>(id - first_menu_id)];
        entry.parent = parent;
        entry.children = 0;
        MenuEntry* parent_menu = find_menu(parent);
        if (parent_menu) ++parent_menu->children;
        entry.window = parent_menu ? parent_menu->window : parent;
        create_menu_item(id, entry, type);
        entry.item.text = text;
        return id;
    }

    // "Title(Item,Item(Sub))..." of the layer's items.
    static std::string describe(const XvtMenuItem* items) {
        std::string out;
        for (const XvtMenuItem* item = items; item->tag != 0; ++item) {
            if (!out.empty()) out += ",";
            out += item->title;
            if (item->submenu) out += "(" + describe(item->submenu) + ")";
        }
        return out;
    }
};

TEST_F(MenuTreeTest, ItemsKeepTheOrderTheyWereMadeInUnderTheirTitles) {
    int32_t file = make(0, 1, "File");
    int32_t open = make(1, file, "Open");
    make(1, file, "Save");
    int32_t edit = make(0, 1, "Edit");
    make(1, open, "Recent");
    make(1, edit, "Undo");
    EXPECT_EQ(describe(menu_bar_items(1)), "File(Open(Recent),Save),Edit(Undo)");
    EXPECT_EQ(window_record(1).menus.root_menu_id, file);
    EXPECT_EQ(menu_window(open), 1);
    EXPECT_TRUE(is_menu_title(*find_menu(edit)));
    EXPECT_FALSE(is_menu_title(*find_menu(open)));
    // Titles are enabled, items enabled and checkable.
    EXPECT_EQ(find_menu(file)->item.flags, 0x1u);
    EXPECT_EQ(find_menu(open)->item.flags, 0x5u);
    EXPECT_EQ(find_menu(open)->item.tag, open);
}

TEST_F(MenuTreeTest, FreeingAMenuFreesItsSubmenusAndClosesTheGap) {
    int32_t file = make(0, 1, "File");
    int32_t open = make(1, file, "Open");
    int32_t recent = make(1, open, "Recent");
    int32_t save = make(1, file, "Save");
    remove_menu(open);
    EXPECT_EQ(find_menu(open), nullptr);
    EXPECT_EQ(find_menu(recent), nullptr);
    ASSERT_NE(find_menu(save), nullptr);
    EXPECT_EQ(find_menu(file)->children, 1);
    EXPECT_EQ(describe(menu_bar_items(1)), "File(Save)");
    // The freed IDs are handed out again, and the new item goes to the end.
    int32_t again = make(1, file, "Close");
    EXPECT_EQ(again, open);
    EXPECT_EQ(describe(menu_bar_items(1)), "File(Save,Close)");
}

TEST_F(MenuTreeTest, FreeingTheMenuBarFreesEveryMenuOfTheWindow) {
    int32_t file = make(0, 1, "File");
    int32_t open = make(1, file, "Open");
    remove_menu_bar(1);
    EXPECT_EQ(find_menu(file), nullptr);
    EXPECT_EQ(find_menu(open), nullptr);
    EXPECT_EQ(window_record(1).menus.root_menu_id, 0);
    EXPECT_EQ(menu_bar_items(1)->tag, 0); // the terminator alone
}

TEST_F(MenuTreeTest, ABadTypeOrParentIsRefusedAndTheEntryGivenBack) {
    int32_t file = make(0, 1, "File");
    auto refused = [](int32_t type, int32_t parent) {
        try {
            make(type, parent, "x");
        } catch (const BasicError& e) {
            return e.code;
        }
        return 0;
    };
    EXPECT_EQ(refused(0, 100), -11263);   // a title's parent is a window
    EXPECT_EQ(refused(1, 1), -11263);     // an item's parent is a menu
    EXPECT_EQ(refused(1, 10099), -11263); // not a menu in use
    EXPECT_EQ(refused(2, file), -11254);
    EXPECT_EQ(find_menu(file)->children, 0);
    EXPECT_EQ(find_menu(file + 1), nullptr);
    EXPECT_EQ(make(1, file, "Open"), file + 1);
}

} // namespace
} // namespace quillet
