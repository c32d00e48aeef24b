// The placement rule and the six painters, probed pixel by pixel.
#include "TestSupport.h"

#include "dulib/res/Painters.h"

#include <gtest/gtest.h>

namespace {

constexpr DWORD kUntouched = Argb(255, 1, 2, 3);

// Opaque pixels that tell their source coordinates apart.
DWORD Coded(int x, int y) { return Argb(255, BYTE(x * 3 + 10), BYTE(y * 5 + 10), 77); }

bool EqualRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class Painters : public ::testing::Test {
protected:
    ManagerPtr manager = NewManager();
};

}  // namespace

TEST(PlaceStyleRect, HugeItemValuesSaturateInsteadOfWrapping) {
    const RECT c = {0, 0, 610, 410};
    for (int v : {INT_MAX, INT_MIN, 2000000000, -2000000000}) {
        for (int size : {0, INT_MAX, 2000000000}) {
            RECT r = PlaceStyleRect(v, v, v, v, size, size, c);
            EXPECT_LE(static_cast<long long>(r.right) - r.left, INT_MAX) << v << " " << size;
            EXPECT_LE(static_cast<long long>(r.bottom) - r.top, INT_MAX) << v << " " << size;
            if (size > 0) {
                EXPECT_GE(r.right, r.left) << v << " " << size;
                EXPECT_GE(r.bottom, r.top) << v << " " << size;
            }
        }
    }
    // Far but representable values are kept exactly.
    RECT r = PlaceStyleRect(0, 0, 0, 0, 30000000, 0, c);
    EXPECT_EQ(30000000, r.right);
}

TEST(PlaceStyleRect, FollowsTheSignRules) {
    const RECT c = {0, 0, 610, 410};
    EXPECT_TRUE(EqualRect(PlaceStyleRect(-85, 0, 0, 0, 80, 0, c), RECT{525, 0, 605, 410}));
    EXPECT_TRUE(EqualRect(PlaceStyleRect(0, 0, 5, 0, 0, 0, c), RECT{0, 0, 615, 410}));
    EXPECT_TRUE(EqualRect(PlaceStyleRect(0, 0, -5, -7, 0, 0, c), RECT{0, 0, 605, 403}));
    EXPECT_TRUE(EqualRect(PlaceStyleRect(0, -20, 0, 0, 0, 0, c), RECT{0, 390, 610, 410}));
    EXPECT_TRUE(EqualRect(PlaceStyleRect(30, 0, 0, 0, 0, 0, c), RECT{30, 0, 610, 410}));
    EXPECT_TRUE(EqualRect(PlaceStyleRect(5, 5, 0, 0, 600, 400, c), RECT{5, 5, 605, 405}));
    EXPECT_TRUE(EqualRect(PlaceStyleRect(0, 0, 0, 0, 0, 0, c), c));
    // Collapsed to nothing in both directions: the control rectangle.
    const RECT d = {10, 20, 50, 60};
    EXPECT_TRUE(EqualRect(PlaceStyleRect(40, 40, 0, 0, 0, 0, d), d));
    // Only one direction empty: kept as it is.
    EXPECT_TRUE(EqualRect(PlaceStyleRect(40, 0, 0, 0, 0, 0, d), RECT{50, 20, 50, 60}));
}

TEST_F(Painters, NormalDrawsTheCellAtItsOwnSizeAtTheTopLeft) {
    duImage* image = AddImage(manager.get(), L"cells", 40, 20, Coded);
    Canvas canvas(80, 80, kUntouched);
    ASSERT_TRUE(PaintNormal(canvas.dc(), RECT{5, 5, 55, 55}, image, RECT{20, 0, 40, 20}, 255));
    EXPECT_EQ(canvas.At(5, 5), Coded(20, 0));
    EXPECT_EQ(canvas.At(24, 24), Coded(39, 19));
    EXPECT_TRUE(canvas.AllEqual(RECT{25, 5, 80, 80}, kUntouched));
    EXPECT_TRUE(canvas.AllEqual(RECT{5, 25, 80, 80}, kUntouched));
}

TEST_F(Painters, NormalCutsAPictureTallerThanTheDestination) {
    duImage* image = AddImage(manager.get(), L"big", 600, 316, Coded);
    Canvas canvas(610, 330, kUntouched);
    ASSERT_TRUE(PaintNormal(canvas.dc(), RECT{0, 0, 600, 200}, image, RECT{0, 0, 600, 316}, 255));
    EXPECT_EQ(canvas.At(599, 199), Coded(599, 199));
    EXPECT_TRUE(canvas.AllEqual(RECT{0, 200, 610, 330}, kUntouched));
    EXPECT_TRUE(canvas.AllEqual(RECT{600, 0, 610, 330}, kUntouched));
}

TEST_F(Painters, NormalDrawsTheWholeSourceWhenTheDestinationIsWiderOnly) {
    duImage* image = AddImage(manager.get(), L"cell", 20, 20, Coded);
    Canvas canvas(60, 40, kUntouched);
    ASSERT_TRUE(PaintNormal(canvas.dc(), RECT{0, 0, 30, 10}, image, RECT{0, 0, 20, 20}, 255));
    EXPECT_EQ(canvas.At(19, 19), Coded(19, 19));  // past the destination's bottom
    EXPECT_TRUE(canvas.AllEqual(RECT{20, 0, 60, 40}, kUntouched));
    EXPECT_TRUE(canvas.AllEqual(RECT{0, 20, 60, 40}, kUntouched));
}

TEST_F(Painters, StretchScalesInBothDirections) {
    duImage* image = AddImage(manager.get(), L"two", 2, 1, [](int x, int) { return x ? Argb(255, 0, 0, 255) : Argb(255, 255, 0, 0); });
    Canvas canvas(30, 20, kUntouched);
    ASSERT_TRUE(PaintStretch(canvas.dc(), RECT{0, 0, 20, 10}, image, RECT{0, 0, 2, 1}, 255));
    EXPECT_TRUE(canvas.AllEqual(RECT{0, 0, 9, 10}, Argb(255, 255, 0, 0)));
    EXPECT_TRUE(canvas.AllEqual(RECT{11, 0, 20, 10}, Argb(255, 0, 0, 255)));
    EXPECT_TRUE(canvas.AllEqual(RECT{20, 0, 30, 20}, kUntouched));
    EXPECT_TRUE(canvas.AllEqual(RECT{0, 10, 30, 20}, kUntouched));
}

TEST_F(Painters, TileCutsTheLastColumnAndLeavesTheExtraRowEmpty) {
    duImage* image = AddImage(manager.get(), L"tile", 10, 10, Coded);
    Canvas canvas(40, 30, kUntouched);
    ASSERT_TRUE(PaintTile(canvas.dc(), RECT{0, 0, 25, 10}, image, RECT{0, 0, 10, 10}, 255));
    for (int x = 0; x < 25; ++x)
        for (int y = 0; y < 10; ++y) ASSERT_EQ(canvas.At(x, y), Coded(x % 10, y)) << x << "," << y;
    EXPECT_TRUE(canvas.AllEqual(RECT{25, 0, 40, 30}, kUntouched));
    EXPECT_TRUE(canvas.AllEqual(RECT{0, 10, 40, 30}, kUntouched));

    // A source cell inside a bigger picture tiles from its own corner.
    duImage* sheet = AddImage(manager.get(), L"sheet", 30, 30, Coded);
    Canvas second(40, 30, kUntouched);
    ASSERT_TRUE(PaintTile(second.dc(), RECT{2, 3, 16, 17}, sheet, RECT{10, 10, 20, 20}, 255));
    EXPECT_EQ(second.At(2, 3), Coded(10, 10));
    EXPECT_EQ(second.At(12, 13), Coded(10, 10));
    EXPECT_EQ(second.At(15, 16), Coded(13, 13));
    EXPECT_TRUE(second.AllEqual(RECT{16, 0, 40, 30}, kUntouched));
    EXPECT_TRUE(second.AllEqual(RECT{0, 17, 40, 30}, kUntouched));
}

TEST_F(Painters, TileOfAHugeDestinationOnlyBlitsWhatIsVisible) {
    duImage* image = AddImage(manager.get(), L"dot", 1, 1, Coded);
    Canvas canvas(16, 16, kUntouched);
    ASSERT_TRUE(PaintTile(canvas.dc(), RECT{-1000000, -1000000, 1000000, 1000000}, image, RECT{0, 0, 1, 1}, 255));
    EXPECT_TRUE(canvas.AllEqual(RECT{0, 0, 16, 16}, Coded(0, 0)));

    // Skin numbers at the ends of the integer range neither hang nor crash.
    const RECT extreme = {INT_MIN / 2, INT_MIN / 2, INT_MAX / 2, INT_MAX / 2};
    const RECT source = {0, 0, 1, 1};
    PaintTile(canvas.dc(), extreme, image, source, 255);
    PaintNormal(canvas.dc(), extreme, image, source, 255);
    PaintStretch(canvas.dc(), extreme, image, source, 255);
    PaintStretchVert(canvas.dc(), extreme, image, source, 0, 0, 255);
    PaintStretchHorz(canvas.dc(), extreme, image, source, 0, 0, 255);
    PaintStretchPartAll(canvas.dc(), extreme, image, source, 0, 0, 0, 0, 255);
    PaintStretchPartAll(canvas.dc(), RECT{0, 0, 16, 16}, image, source, INT_MAX, INT_MAX, INT_MAX, INT_MAX, 255);
}

TEST_F(Painters, StretchVertKeepsTopAndBottomRows) {
    // One colour per source row.
    duImage* image = AddImage(manager.get(), L"rows", 4, 10, [](int, int y) { return Argb(255, BYTE(20 * y), 0, 0); });
    auto row = [](int y) { return Argb(255, BYTE(20 * y), 0, 0); };
    const RECT source = {0, 0, 4, 10};

    Canvas tall(4, 24, kUntouched);
    ASSERT_TRUE(PaintStretchVert(tall.dc(), RECT{0, 0, 4, 20}, image, source, 3, 3, 255));
    for (int y = 0; y < 3; ++y) EXPECT_TRUE(tall.AllEqual(RECT{0, y, 4, y + 1}, row(y))) << y;
    for (int y = 0; y < 3; ++y) EXPECT_TRUE(tall.AllEqual(RECT{0, 17 + y, 4, 18 + y}, row(7 + y))) << y;
    for (int y = 3; y < 17; ++y) {
        BYTE red = RedOf(tall.At(0, y));
        EXPECT_TRUE(red >= 60 && red <= 120) << y;  // from the middle rows 3..6
    }
    EXPECT_TRUE(tall.AllEqual(RECT{0, 20, 4, 24}, kUntouched));

    // Too short for both parts: top rows, then the middle squeezed, no bottom.
    Canvas shortOne(4, 8, kUntouched);
    ASSERT_TRUE(PaintStretchVert(shortOne.dc(), RECT{0, 0, 4, 4}, image, source, 3, 3, 255));
    for (int y = 0; y < 3; ++y) EXPECT_TRUE(shortOne.AllEqual(RECT{0, y, 4, y + 1}, row(y))) << y;
    BYTE squeezed = RedOf(shortOne.At(0, 3));
    EXPECT_TRUE(squeezed >= 60 && squeezed <= 120) << int(squeezed);
    EXPECT_TRUE(shortOne.AllEqual(RECT{0, 4, 4, 8}, kUntouched));

    // Top part taller than the destination: the top rows of the source, unscaled.
    Canvas shorter(4, 8, kUntouched);
    ASSERT_TRUE(PaintStretchVert(shorter.dc(), RECT{0, 0, 4, 4}, image, source, 5, 3, 255));
    for (int y = 0; y < 4; ++y) EXPECT_TRUE(shorter.AllEqual(RECT{0, y, 4, y + 1}, row(y))) << y;
}

TEST_F(Painters, StretchHorzKeepsLeftAndRightColumns) {
    duImage* image = AddImage(manager.get(), L"columns", 10, 3, [](int x, int) { return Argb(255, 0, BYTE(20 * x), 0); });
    auto column = [](int x) { return Argb(255, 0, BYTE(20 * x), 0); };
    Canvas canvas(40, 3, kUntouched);
    ASSERT_TRUE(PaintStretchHorz(canvas.dc(), RECT{0, 0, 30, 3}, image, RECT{0, 0, 10, 3}, 2, 2, 255));
    EXPECT_TRUE(canvas.AllEqual(RECT{0, 0, 1, 3}, column(0)));
    EXPECT_TRUE(canvas.AllEqual(RECT{1, 0, 2, 3}, column(1)));
    EXPECT_TRUE(canvas.AllEqual(RECT{28, 0, 29, 3}, column(8)));
    EXPECT_TRUE(canvas.AllEqual(RECT{29, 0, 30, 3}, column(9)));
    EXPECT_TRUE(canvas.AllEqual(RECT{30, 0, 40, 3}, kUntouched));
}

TEST_F(Painters, StretchPartAllDrawsNineCells) {
    // A 32 x 32 picture with 5-pixel edges, one colour per cell.
    auto cellOf = [](int v, int size) { return v < 5 ? 0 : (v >= size - 5 ? 2 : 1); };
    auto colour = [](int col, int row) { return Argb(255, BYTE(40 + col * 80), BYTE(40 + row * 80), 9); };
    duImage* image = AddImage(manager.get(), L"frame", 32, 32,
                              [&](int x, int y) { return colour(cellOf(x, 32), cellOf(y, 32)); });
    Canvas canvas(110, 70, kUntouched);
    ASSERT_TRUE(PaintStretchPartAll(canvas.dc(), RECT{0, 0, 100, 60}, image, RECT{0, 0, 32, 32}, 5, 5, 5, 5, 255));
    const int xs[4] = {0, 5, 95, 100}, ys[4] = {0, 5, 55, 60};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            EXPECT_TRUE(canvas.AllEqual(RECT{xs[col], ys[row], xs[col + 1], ys[row + 1]}, colour(col, row)))
                << col << "," << row;
    EXPECT_TRUE(canvas.AllEqual(RECT{100, 0, 110, 70}, kUntouched));
    EXPECT_TRUE(canvas.AllEqual(RECT{0, 60, 110, 70}, kUntouched));

    // Smaller than the fixed parts: no special case, nothing breaks.
    Canvas tiny(12, 12, kUntouched);
    EXPECT_TRUE(PaintStretchPartAll(tiny.dc(), RECT{0, 0, 6, 6}, image, RECT{0, 0, 32, 32}, 5, 5, 5, 5, 255));
    EXPECT_EQ(tiny.At(0, 0), colour(0, 0));
    EXPECT_TRUE(tiny.AllEqual(RECT{6, 0, 12, 12}, kUntouched));
}

TEST_F(Painters, ConstantAlphaAndPremultipliedSources) {
    duImage* solid = AddImage(manager.get(), L"solid", 4, 4, [](int, int) { return Argb(255, 255, 255, 255); });
    Canvas canvas(4, 4, Argb(255, 0, 0, 0));
    ASSERT_TRUE(PaintStretch(canvas.dc(), RECT{0, 0, 4, 4}, solid, RECT{0, 0, 4, 4}, 128));
    EXPECT_NEAR(RedOf(canvas.At(1, 1)), 128, 1);
    EXPECT_EQ(AlphaOf(canvas.At(1, 1)), 255);

    // Half-transparent red (premultiplied 128) over opaque white.
    duImage* half = AddImage(manager.get(), L"half", 4, 4, [](int, int) { return Argb(128, 128, 0, 0); });
    Canvas white(4, 4, Argb(255, 255, 255, 255));
    ASSERT_TRUE(PaintNormal(white.dc(), RECT{0, 0, 4, 4}, half, RECT{0, 0, 4, 4}, 255));
    DWORD p = white.At(2, 2);
    EXPECT_NEAR(RedOf(p), 255, 1);
    EXPECT_NEAR(GreenOf(p), 127, 1);
    EXPECT_NEAR(AlphaOf(p), 255, 1);

    // Onto a transparent target the premultiplied pixels arrive unchanged.
    Canvas clear(4, 4, 0);
    ASSERT_TRUE(PaintNormal(clear.dc(), RECT{0, 0, 4, 4}, half, RECT{0, 0, 4, 4}, 255));
    EXPECT_NEAR(AlphaOf(clear.At(0, 0)), 128, 1);
    EXPECT_NEAR(RedOf(clear.At(0, 0)), 128, 1);
}

TEST_F(Painters, NothingIsDrawnForMissingPiecesOrEmptySizes) {
    duImage* image = AddImage(manager.get(), L"img", 10, 10, Coded);
    auto* empty = static_cast<duImage*>(manager->CreateResObj(L"empty", RES_IMAGE));
    Canvas canvas(20, 20, kUntouched);
    const RECT d = {0, 0, 10, 10}, s = {0, 0, 10, 10};
    EXPECT_FALSE(PaintNormal(canvas.dc(), d, empty, s, 255));
    EXPECT_FALSE(PaintStretch(canvas.dc(), d, nullptr, s, 255));
    EXPECT_FALSE(PaintStretch(nullptr, d, image, s, 255));
    EXPECT_FALSE(PaintStretch(canvas.dc(), RECT{0, 0, 0, 10}, image, s, 255));
    EXPECT_FALSE(PaintTile(canvas.dc(), d, image, RECT{0, 0, 0, 10}, 255));
    EXPECT_FALSE(PaintStretchVert(canvas.dc(), d, image, s, -1, 2, 255));
    EXPECT_FALSE(PaintStretchHorz(canvas.dc(), d, image, s, 2, -1, 255));
    EXPECT_FALSE(PaintStretchPartAll(canvas.dc(), d, image, s, 1, 1, 1, -1, 255));
    EXPECT_FALSE(PaintImageMode(canvas.dc(), L"sideways", d, image, s, 0, 0, 0, 0, 255));
    EXPECT_FALSE(PaintNormal(canvas.dc(), RECT{0, 0, 0, 0}, image, s, 255));
    EXPECT_TRUE(canvas.AllEqual(RECT{0, 0, 20, 20}, kUntouched));
    EXPECT_TRUE(PaintImageMode(canvas.dc(), L"STRETCH", d, image, s, 0, 0, 0, 0, 255));
    empty->Destroy();
}
