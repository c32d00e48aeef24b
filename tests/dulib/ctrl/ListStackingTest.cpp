#include "dulib/ctrl/ListStacking.h"

#include <gtest/gtest.h>

TEST(ListStacking, HiddenItemsAreSkipped) {
    std::vector<int> tops;
    int total = StackListItems({{true, 50}, {false, 50}, {true, 30}, {true, 50}}, &tops);
    EXPECT_EQ(total, 130);
    EXPECT_EQ(tops, (std::vector<int>{0, -1, 50, 80}));
}

TEST(ListStacking, RangeShowsTheBarOnlyWhenItemsAreTaller) {
    duListRange r = ComputeListRange(200, 250, 30);
    EXPECT_FALSE(r.showBar);
    EXPECT_EQ(r.pos, 0);
    r = ComputeListRange(250, 250, 30);
    EXPECT_FALSE(r.showBar);
    r = ComputeListRange(300, 250, 30);
    EXPECT_TRUE(r.showBar);
    EXPECT_EQ(r.maxpos, 300);
    EXPECT_EQ(r.page, 250);
    EXPECT_EQ(r.pos, 30);
    r = ComputeListRange(300, 250, 120);  // pulled back to the last full page
    EXPECT_EQ(r.pos, 50);
}
