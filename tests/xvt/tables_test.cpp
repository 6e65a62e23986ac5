// The layer's tables of numbered things: error ids and texts, categories, event kinds, key codes
// and window types.
#include "xvt/xvt.h"

#include <gtest/gtest.h>
#include <set>

namespace quillet {
namespace {

TEST(LayerTables, ErrorIdsHaveTheirTexts) {
    EXPECT_EQ(xvt_error_text(0x20000001), "Illegal window.");
    EXPECT_EQ(xvt_error_text(0x20000002), "Unsupported control type.");
    EXPECT_EQ(xvt_error_text(0x20000003), "Error returning font metrics.");
    EXPECT_EQ(xvt_error_text(0x20000004), "Error returning text width.");
    EXPECT_EQ(xvt_error_text(0x20000005), "Null pointer passed.");
    EXPECT_EQ(xvt_error_text(0x20000006), "Insufficient memory.");
    EXPECT_EQ(xvt_error_text(0x20000007), "Invalid parameter.");
    EXPECT_EQ(xvt_error_text(0x20000008), "Attempt to pop unpushed handler.");
    EXPECT_EQ(xvt_error_text(0x20000009), "NULL returned from Windows API.");
    EXPECT_EQ(xvt_error_text(0x2000000A), "ERROR returned from Windows API.");
    EXPECT_TRUE(xvt_error_text(0x20000000).empty());
    EXPECT_FALSE(xvt_is_layer_error(0x2000000B));
    EXPECT_TRUE(xvt_is_layer_error(0x2000000A));
}

TEST(LayerTables, CategoriesAreTheLayersAreaNames) {
    EXPECT_EQ(xvt_error_category_text(ErrorCategory::dwin), "dwin");
    EXPECT_EQ(xvt_error_category_text(ErrorCategory::error_handling), "error handling");
    EXPECT_EQ(xvt_error_category_text(ErrorCategory::llist), "llist");
}

TEST(LayerTables, EighteenEventKindsNumberedFromZero) {
    std::set<int> kinds;
#define X(kind, name, fields) kinds.insert(kind);
#include "xvt/event_kinds.def"
#undef X
    EXPECT_EQ(kinds.size(), size_t(event_kind_count));
    EXPECT_EQ(*kinds.begin(), 0);
    EXPECT_EQ(*kinds.rbegin(), event_kind_count - 1);
    EXPECT_EQ(static_cast<int>(EventKind::control), 15);
    EXPECT_EQ(static_cast<int>(EventKind::quit), 17);
}

TEST(LayerTables, KeyCodesOfKeysWithoutCharacters) {
    EXPECT_EQ(xvt_key::up, 0x12D);
    EXPECT_EQ(xvt_key::left, 0x130);
    EXPECT_EQ(xvt_key::end, 0x134);
    EXPECT_EQ(xvt_key::insert, 0x138);
    EXPECT_EQ(xvt_key::delete_key, 0x7F);
    EXPECT_EQ(xvt_key::f2, 0x14C);
    EXPECT_EQ(xvt_key::f9, 0x153);
    EXPECT_EQ(xvt_key::f11, 0x155);
    EXPECT_EQ(xvt_key::f12, 0x156);
}

TEST(LayerTables, WindowTypesAndWhatTheyAccept) {
    for (int type : {1, 2, 3, 5})
        EXPECT_TRUE(xvt_window_type_info(type)->menus) << type;
    for (int type : {4, 7, 8, 23})
        EXPECT_FALSE(xvt_window_type_info(type)->menus) << type;
    for (int type : {1, 2, 3, 7, 8})
        EXPECT_TRUE(xvt_window_type_info(type)->timers) << type;
    for (int type : {4, 5, 23})
        EXPECT_FALSE(xvt_window_type_info(type)->timers) << type;
    for (int type : {1, 2, 3, 4, 7, 8})
        EXPECT_TRUE(xvt_window_type_info(type)->drawing) << type;
    EXPECT_FALSE(xvt_window_type_info(23)->creation_event);
    EXPECT_EQ(xvt_window_type_info(6), nullptr);
}

TEST(LayerTables, PointsPackVerticalLowHorizontalHigh) {
    EXPECT_EQ(xvt_pack_point({3, 5}), (3 << 16) | 5);
    EXPECT_EQ(xvt_unpack_point(xvt_pack_point({-2, -7})).x, -2);
    EXPECT_EQ(xvt_unpack_point(xvt_pack_point({-2, -7})).y, -7);
}

} // namespace
} // namespace quillet
