#include "dulib/ctrl/ScrollMath.h"

#include <gtest/gtest.h>

namespace {

duScrollValues ListBar(int pos) {
    duScrollValues v;
    v.maxpos = 300;
    v.page = 250;
    v.pos = pos;
    v.step = 21;
    v.vert = true;
    return v;
}

int Height(const RECT& r) { return r.bottom - r.top; }

}  // namespace

TEST(ScrollMath, ThumbOfSixRowsInATwoHundredFiftyPixelList) {
    duScrollRects r = ComputeScrollRects(ListBar(0), 13, 250);
    EXPECT_EQ(r.thumb.top, 0);
    EXPECT_EQ(Height(r.thumb), 209);
    EXPECT_EQ(r.thumb.left, 0);
    EXPECT_EQ(r.thumb.right, 13);
    EXPECT_EQ(Height(r.before), 0);
    EXPECT_EQ(r.after.top, 209);
    EXPECT_EQ(r.after.bottom, 250);
    EXPECT_EQ(Height(r.first), 0);
    EXPECT_EQ(Height(r.second), 0);

    r = ComputeScrollRects(ListBar(50), 13, 250);
    EXPECT_EQ(r.thumb.top, 41);
    EXPECT_EQ(r.thumb.bottom, 250);
}

TEST(ScrollMath, NoThumbWhenEverythingFits) {
    duScrollValues v = ListBar(0);
    v.page = 300;
    v.arrow = 12;
    duScrollRects r = ComputeScrollRects(v, 13, 250);
    EXPECT_TRUE(IsRectEmpty(&r.thumb));
    EXPECT_TRUE(IsRectEmpty(&r.before));
    EXPECT_EQ(Height(r.first), 12);
    EXPECT_EQ(r.second.top, 238);
    v.maxpos = 0;
    r = ComputeScrollRects(v, 13, 250);
    EXPECT_TRUE(IsRectEmpty(&r.thumb));
}

TEST(ScrollMath, MinimumThumbOfZeroBehavesAsTen) {
    duScrollValues v;
    v.maxpos = 100000;
    v.page = 100;
    v.arrow = 10;
    v.minthumb = 0;
    duScrollRects r = ComputeScrollRects(v, 200, 12);
    EXPECT_EQ(r.thumb.left, 10);
    EXPECT_EQ(r.thumb.right - r.thumb.left, 10);
    EXPECT_EQ(r.thumb.top, 0);
    EXPECT_EQ(r.thumb.bottom, 12);
    v.pos = v.maxpos - v.page;  // last position: the thumb ends at the second arrow
    r = ComputeScrollRects(v, 200, 12);
    EXPECT_EQ(r.thumb.right, 190);
    EXPECT_EQ(r.thumb.left, 180);
    v.minthumb = 30;
    r = ComputeScrollRects(v, 200, 12);
    EXPECT_EQ(r.thumb.left, 160);
}

TEST(ScrollMath, WheelStepsAndLimits) {
    int code = 0;
    EXPECT_EQ(ScrollWheel(ListBar(0), -120, &code), 21);
    EXPECT_EQ(code, 7);
    EXPECT_EQ(ScrollWheel(ListBar(40), -120, &code), 50);
    EXPECT_EQ(ScrollWheel(ListBar(40), -360, &code), 50);
    EXPECT_EQ(ScrollWheel(ListBar(30), 120, &code), 9);
    EXPECT_EQ(code, 6);
    EXPECT_EQ(ScrollWheel(ListBar(30), 240, &code), 0);
}

TEST(ScrollMath, ArrowsAndTrackNeverPassTheRange) {
    EXPECT_EQ(ScrollLineForward(ListBar(40)), 50);
    EXPECT_EQ(ScrollLineBack(ListBar(10)), 0);
    duScrollValues v = ListBar(0);
    // Pointer low in the track after the thumb.
    int k = ScrollTrackUnits(v, 250, 240);
    EXPECT_EQ(k, 1);
    EXPECT_EQ(ScrollPageForward(v, k), 50);
    v.maxpos = 2000;
    v.pos = 1700;
    k = ScrollTrackUnits(v, 250, 249);
    EXPECT_EQ(ScrollPageForward(v, k), 1750);
    v.pos = 1750;
    EXPECT_EQ(ScrollPageForward(v, k), 1750);
    v.pos = 600;
    EXPECT_EQ(ScrollPageBack(v, ScrollTrackUnits(v, 250, 2)), 350);
    v.pos = 100;
    EXPECT_EQ(ScrollPageBack(v, 0), 0);
}

TEST(ScrollMath, DragFollowsThePointerWithinRange) {
    duScrollValues v = ListBar(0);
    // Free track 250 - 209 = 41 pixels for 50 units.
    EXPECT_EQ(ScrollDrag(v, 250, 209, 0, 41), 50);
    EXPECT_EQ(ScrollDrag(v, 250, 209, 0, 20), 24);
    EXPECT_EQ(ScrollDrag(v, 250, 209, 0, 500), 50);
    EXPECT_EQ(ScrollDrag(v, 250, 209, 50, -500), 0);
    EXPECT_EQ(ScrollDrag(v, 250, 250, 10, 5), 10);
}
