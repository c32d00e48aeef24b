// Text composed onto 32-bit surfaces with a correct alpha channel.
#include "TestSupport.h"

#include "dulib/res/AlphaText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// A pattern that makes every pixel of the target recognisable.
DWORD Pattern(int x, int y) { return Argb(255, BYTE(x), BYTE(y), 200); }

void FillPattern(Canvas& canvas) {
    ::GdiFlush();
    auto* p = reinterpret_cast<DWORD*>(canvas.bits());
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x) p[y * canvas.width() + x] = Pattern(x, y);
}

// Bounding box of the pixels that differ from the pattern (empty if none).
RECT ChangedBox(const Canvas& canvas) {
    RECT box = {INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            if (canvas.At(x, y) != Pattern(x, y)) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    return box;
}

SIZE TextExtent(HFONT font, const wchar_t* text, bool singleLine) {
    Canvas canvas(4, 4);
    SelectGuard select(canvas.dc(), font ? font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)));
    RECT r = {0, 0, 0, 0};
    ::DrawTextW(canvas.dc(), text, -1, &r, DT_CALCRECT | DT_NOPREFIX | (singleLine ? DT_SINGLELINE : 0));
    return SIZE{r.right - r.left, r.bottom - r.top};
}

class AlphaText : public ::testing::Test {
protected:
    void SetUp() override {
        font_.reset(::CreateFontW(-16, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, CLEARTYPE_NATURAL_QUALITY, 0,
                                  L"Tahoma"));
        ASSERT_TRUE(font_);
    }
    HFONT font() const { return font_.get(); }

private:
    FontHandle font_;
};

}  // namespace

TEST_F(AlphaText, OnATransparentTargetGlyphsTakeTheColourWithTheirCoverageAsAlpha) {
    Canvas canvas(200, 60, 0);
    const RECT q = {10, 10, 190, 50};
    ASSERT_TRUE(DrawAlphaText(canvas.dc(), font(), RGB(255, 0, 0), L"Kestrane", 8, &q, ALPHATEXT_SINGLELINE));
    SIZE extent = TextExtent(font(), L"Kestrane", true);
    int solid = 0, partial = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 200; ++x) {
            DWORD p = canvas.At(x, y);
            bool inBox = x >= 10 && x < 10 + extent.cx && y >= 10 && y < 10 + extent.cy;
            if (!inBox) {
                ASSERT_EQ(p, 0u) << x << "," << y;
                continue;
            }
            // Premultiplied red: red equals alpha, no green or blue.
            ASSERT_EQ(GreenOf(p), 0) << x << "," << y;
            ASSERT_EQ(BlueOf(p), 0) << x << "," << y;
            ASSERT_NEAR(RedOf(p), AlphaOf(p), 1) << x << "," << y;
            if (AlphaOf(p) == 255) ++solid;
            else if (AlphaOf(p) > 0) ++partial;
        }
    EXPECT_GT(solid, 40);
    EXPECT_GT(partial + solid, 60);
}

TEST_F(AlphaText, OnAnOpaqueTargetUncoveredPixelsKeepTheTargetAndCoveredOnesBlend) {
    Canvas canvas(200, 60);
    FillPattern(canvas);
    const RECT q = {20, 5, 180, 55};
    ASSERT_TRUE(DrawAlphaText(canvas.dc(), font(), RGB(255, 255, 0), L"Setup 安装", 8, &q,
                              ALPHATEXT_SINGLELINE | ALPHATEXT_VCENTER));
    SIZE extent = TextExtent(font(), L"Setup 安装", true);
    int top = 5 + (50 - extent.cy) / 2;
    RECT box = {20, top, 20 + extent.cx, top + extent.cy};
    RECT changed = ChangedBox(canvas);
    ASSERT_LT(changed.left, changed.right) << "nothing drawn";
    EXPECT_GE(changed.left, box.left);
    EXPECT_GE(changed.top, box.top);
    EXPECT_LE(changed.right, box.right);
    EXPECT_LE(changed.bottom, box.bottom);
    int covered = 0;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x) {
            DWORD p = canvas.At(x, y), under = Pattern(x, y);
            ASSERT_EQ(AlphaOf(p), 255) << x << "," << y;
            if (p == under) continue;
            ++covered;
            // Yellow over the pattern: red and green move up together by the
            // coverage v, blue moves down by the same share.
            int v = 255 - (BlueOf(p) * 255 + 100) / 200;  // blue = 200 * (255 - v) / 255
            EXPECT_NEAR(RedOf(p), (RedOf(under) * (255 - v) + 255 * v) / 255, 3) << x << "," << y;
            EXPECT_NEAR(GreenOf(p), (GreenOf(under) * (255 - v) + 255 * v) / 255, 3) << x << "," << y;
        }
    EXPECT_GT(covered, 60);
}

TEST_F(AlphaText, AlignmentAndCutting) {
    SIZE extent = TextExtent(font(), L"Right", true);
    Canvas right(200, 40);
    FillPattern(right);
    const RECT q = {10, 0, 190, 40};
    ASSERT_TRUE(DrawAlphaText(right.dc(), font(), RGB(0, 0, 0), L"Right", 5, &q,
                              ALPHATEXT_SINGLELINE | ALPHATEXT_RIGHT | ALPHATEXT_BOTTOM));
    RECT changed = ChangedBox(right);
    EXPECT_GE(changed.left, 190 - extent.cx);
    EXPECT_LE(changed.right, 190);
    EXPECT_GE(changed.top, 40 - extent.cy);

    // Narrower than the text: the beginning shows from the left edge, ending
    // in an ellipsis, and nothing leaves the rectangle.
    const wchar_t* longText = L"A rather long line of text";
    Canvas narrow(200, 40);
    FillPattern(narrow);
    const RECT small = {50, 0, 110, 40};
    ASSERT_TRUE(DrawAlphaText(narrow.dc(), font(), RGB(0, 0, 0), longText, int(wcslen(longText)), &small,
                              ALPHATEXT_SINGLELINE | ALPHATEXT_RIGHT));
    changed = ChangedBox(narrow);
    EXPECT_LT(changed.left, 50 + 4);  // the "A" starts at the left edge
    EXPECT_GE(changed.left, 50);
    EXPECT_LE(changed.right, 110);
}

TEST_F(AlphaText, FollowsTheViewportOriginAndTheClip) {
    Canvas canvas(200, 60);
    FillPattern(canvas);
    ::SetViewportOrgEx(canvas.dc(), 50, 20, nullptr);
    const RECT q = {0, 0, 100, 30};
    ASSERT_TRUE(DrawAlphaText(canvas.dc(), font(), RGB(0, 0, 255), L"Shift", 5, &q, ALPHATEXT_SINGLELINE));
    ::SetViewportOrgEx(canvas.dc(), 0, 0, nullptr);
    RECT changed = ChangedBox(canvas);
    EXPECT_GE(changed.left, 50);
    EXPECT_GE(changed.top, 20);
    EXPECT_LE(changed.right, 150);

    // A clip region that excludes the rectangle: nothing at all.
    Canvas clipped(200, 60);
    FillPattern(clipped);
    RegionHandle clip(::CreateRectRgn(150, 0, 200, 60));
    ::SelectClipRgn(clipped.dc(), clip.get());
    EXPECT_FALSE(DrawAlphaText(clipped.dc(), font(), RGB(0, 0, 255), L"Hidden", 6, &q, ALPHATEXT_SINGLELINE));
    RECT none = ChangedBox(clipped);
    EXPECT_GE(none.left, none.right);

    // Half clipped: only the visible part changes.
    Canvas half(200, 60);
    FillPattern(half);
    RegionHandle halfClip(::CreateRectRgn(0, 0, 30, 60));
    ::SelectClipRgn(half.dc(), halfClip.get());
    ASSERT_TRUE(DrawAlphaText(half.dc(), font(), RGB(0, 0, 255), L"Wwwwwwww", 8, &q, ALPHATEXT_SINGLELINE));
    changed = ChangedBox(half);
    EXPECT_LE(changed.right, 30);
}

TEST_F(AlphaText, MultiLineTextBreaksOnlyAtLineBreaks) {
    Canvas canvas(300, 80, 0);
    const RECT q = {0, 0, 300, 80};
    ASSERT_TRUE(DrawAlphaText(canvas.dc(), font(), RGB(0, 0, 0), L"one\r\ntwo", 8, &q, 0));
    SIZE one = TextExtent(font(), L"one", true);
    bool secondLine = false;
    for (int x = 0; x < 60 && !secondLine; ++x)
        for (int y = one.cy + 1; y < one.cy * 2; ++y)
            if (AlphaOf(canvas.At(x, y)) != 0) secondLine = true;
    EXPECT_TRUE(secondLine);
}

TEST_F(AlphaText, RefusesMissingPieces) {
    Canvas canvas(50, 20, 0);
    const RECT q = {0, 0, 50, 20};
    EXPECT_FALSE(DrawAlphaText(nullptr, font(), 0, L"x", 1, &q, 0));
    EXPECT_FALSE(DrawAlphaText(canvas.dc(), font(), 0, nullptr, 1, &q, 0));
    EXPECT_FALSE(DrawAlphaText(canvas.dc(), font(), 0, L"x", 0, &q, 0));
    EXPECT_FALSE(DrawAlphaText(canvas.dc(), font(), 0, L"x", 1, nullptr, 0));
    const RECT outside = {100, 100, 150, 120};
    EXPECT_FALSE(DrawAlphaText(canvas.dc(), font(), 0, L"x", 1, &outside, 0));
    EXPECT_TRUE(DrawAlphaText(canvas.dc(), nullptr, RGB(9, 9, 9), L"stock font", 10, &q, ALPHATEXT_SINGLELINE));
}

TEST_F(AlphaText, WithoutA32BitTargetComposesOverTransparentBlack) {
    // A 24-bit DIB (rows of 300 bytes) has no alpha to read back: the text box
    // is composed over transparent black, and only the box is touched.
    constexpr int kWidth = 100, kHeight = 30;
    Dib24 target(kWidth, kHeight);
    const RECT q = {0, 0, kWidth, kHeight};
    ASSERT_TRUE(DrawAlphaText(target.dc(), font(), RGB(255, 0, 0), L"Red", 3, &q, ALPHATEXT_SINGLELINE));
    const SIZE extent = TextExtent(font(), L"Red", true);
    int red = 0, black = 0, other = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const BYTE* px = target.At(x, y);  // blue, green, red
            const bool inBox = x < extent.cx && y < extent.cy;
            if (!inBox) {
                ASSERT_TRUE(px[0] == 0xFF && px[1] == 0xFF && px[2] == 0xFF) << x << "," << y << " outside the box";
                continue;
            }
            if (px[0] == 0 && px[1] == 0 && px[2] == 0) ++black;
            else if (px[1] == 0 && px[0] == 0) ++red;  // glyphs: some share of red, nothing else
            else ++other;
        }
    }
    EXPECT_GT(red, 20) << "the glyphs are red";
    EXPECT_GT(black, extent.cx * extent.cy / 3) << "around them: the transparent black it was composed on";
    EXPECT_EQ(other, 0) << "nothing of the white beneath shows inside the box";
}
