// The skin at display scales above 100 %: the scale arithmetic, the
// resampler, the picture sets and their cells, fonts and cursors per DPI, and
// style items drawn at a scale into real DIBs.
#include "TestSupport.h"
#include "tests/common/FileBytes.h"
#include "tests/common/TempDir.h"

#include "dulib/res/Coordinates.h"
#include "dulib/res/DpiScale.h"
#include "dulib/res/Resample.h"
#include "dulib/res/SkinXml.h"
#include "dulib/res/duCursor.h"
#include "dulib/res/duFont.h"
#include "dulib/res/duStyleGroup.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

DWORD PixelOf(duImage* image, int x, int y) {
    return reinterpret_cast<const DWORD*>(image->GetBits())[y * image->GetWidth() + x];
}

// A PNG of w x h pixels from pixel(x, y) (premultiplied ARGB).
bool WritePicture(const std::wstring& path, int w, int h, const std::function<DWORD(int, int)>& pixel) {
    std::vector<DWORD> pixels(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) pixels[static_cast<size_t>(y) * w + x] = pixel(x, y);
    const std::string png = EncodePng(reinterpret_cast<const BYTE*>(pixels.data()), w, h);
    return WriteFileBytes(path, png.data(), png.size());
}

constexpr DWORD kRed = Argb(255, 255, 0, 0);
constexpr DWORD kGreen = Argb(255, 0, 255, 0);
constexpr DWORD kBlue = Argb(255, 0, 0, 255);

// A skin folder with the picture "pic" (10 x 10, red) and, as asked, its
// sets for 150 % (green) and 200 % (blue), and a style drawing it.
class PictureSets : public ::testing::Test {
protected:
    void Load(bool with150, bool with200, int size150 = 15) {
        const std::wstring doc =
            L"<directui><theme><dsimage><image name=\"pic\" value=\"pic.png\"/></dsimage>"
            L"<dsstyle><style name=\"s\"><image state=\"all\" picfile=\"pic\" paintmode=\"normal\"/></style>"
            L"</dsstyle></theme></directui>";
        const std::string file = Utf16File(doc);
        ASSERT_TRUE(WriteFileBytes(dir.File(L"config.xml"), file.data(), file.size()));
        ASSERT_TRUE(WritePicture(dir.File(L"pic.png"), 10, 10, [](int, int) { return kRed; }));
        if (with150) {
            ASSERT_TRUE(WritePicture(dir.File(L"pic@150.png"), size150, size150, [](int, int) { return kGreen; }));
        }
        if (with200) {
            ASSERT_TRUE(WritePicture(dir.File(L"pic@200.png"), 20, 20, [](int, int) { return kBlue; }));
        }
        ASSERT_TRUE(skin->LoadSkin(dir.File(L"config.xml").c_str()));
        image = static_cast<duImage*>(skin->GetResManager()->GetResObj(L"pic", RES_IMAGE));
        ASSERT_NE(image, nullptr);
        ASSERT_EQ(image->GetWidth(), 10);
    }
    DWORD CellColour(int dpi, SIZE size) {
        duImage* cell = image->ScaledCell(RECT{0, 0, 10, 10}, dpi, size);
        return cell ? PixelOf(cell, size.cx / 2, size.cy / 2) : 0;
    }

    TempDir dir;
    SkinPtr skin = NewSkin();
    duImage* image = nullptr;
};

}  // namespace

TEST(DpiScale, EdgesRoundToTheNearestPixelAlikeOnBothSidesOfZero) {
    const DpiScale s125(120), s150(144), s200(192);
    EXPECT_EQ(s125.Point(5), 6);      // 6.25
    EXPECT_EQ(s125.Point(610), 763);  // 762.5: halves away from zero
    EXPECT_EQ(s125.Point(-610), -763);
    EXPECT_EQ(s125.Point(-15), -19);  // -18.75
    EXPECT_EQ(s150.Point(5), 8);      // 7.5
    EXPECT_EQ(s150.Point(410), 615);
    EXPECT_EQ(s200.Point(-85), -170);
    EXPECT_EQ(DpiScale().Point(12345), 12345);
    EXPECT_TRUE(DpiScale(96).IsIdentity());
    // Nonsense DPIs fall back to the nearest sensible one.
    EXPECT_EQ(DpiScale(0).Dpi(), 96);
    EXPECT_EQ(DpiScale(72).Dpi(), 96);
    EXPECT_EQ(DpiScale(100000).Dpi(), 960);
    // Huge skin numbers stop at the limit of placed coordinates instead of
    // wrapping, and a length between them still fits an int.
    EXPECT_EQ(s200.Point(INT_MAX), kCoordinateLimit);
    EXPECT_EQ(s200.Point(INT_MIN), -kCoordinateLimit);
    EXPECT_EQ(s200.Span(-300000000, 600000000), 2 * kCoordinateLimit);
    EXPECT_EQ(s125.Span(INT_MAX - 5, 10), 0);
}

TEST(DpiScale, LengthsAreTheDistanceOfTheirScaledEdgesSoNeighboursNeverGapOrOverlap) {
    for (int dpi : {120, 144, 168, 192}) {
        const DpiScale s(dpi);
        // Controls of the odd widths 7, 13, 33 ... set side by side from 5 on.
        int edge = 5;
        int device = s.Point(edge);
        for (int width : {7, 13, 33, 1, 50, 25, 9}) {
            device += s.Span(edge, width);
            edge += width;
            ASSERT_EQ(device, s.Point(edge)) << dpi << " DPI after width " << width;
        }
        // A thickness never vanishes; a skin's 0 (GDI+'s thinnest) stays 0.
        EXPECT_GE(s.Thickness(1), 1);
        EXPECT_EQ(s.Thickness(0), 0);
    }
    EXPECT_EQ(DpiScale(120).Thickness(1), 1);
    EXPECT_EQ(DpiScale(144).Thickness(1), 2);
    EXPECT_EQ(DpiScale(192).Thickness(2), 4);
}

TEST(DpiScale, PixelsGoBackToTheSkinUnitsTheyCameFrom) {
    for (int dpi : {96, 120, 144, 168, 192, 240}) {
        const DpiScale s(dpi);
        for (int v = -700; v <= 700; ++v) ASSERT_EQ(s.ToSkin(s.Point(v)), v) << dpi << " DPI, " << v;
        // The smallest skin length that covers a measured width.
        for (int px = 0; px < 300; ++px) ASSERT_GE(s.Point(s.ToSkinCeil(px)), px) << dpi << " DPI, " << px;
    }
    const RECT back = DpiScale(144).ToSkinRect(RECT{0, 0, 915, 615});
    EXPECT_EQ(back.right, 610);
    EXPECT_EQ(back.bottom, 410);
}

TEST(Resample, KeepsAFlatCellFlatToItsEdgesAndCopiesAnEqualSize) {
    // A cell cut from a strip: the neighbour cell (blue) never shows in it.
    std::vector<DWORD> strip(30 * 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 30; ++x) strip[static_cast<size_t>(y) * 30 + x] = x < 15 ? Argb(128, 100, 50, 0) : kBlue;
    std::vector<DWORD> out(13 * 9);
    ASSERT_TRUE(ResamplePremultiplied(reinterpret_cast<const BYTE*>(strip.data()), 30 * 4, 15, 10,
                                      reinterpret_cast<BYTE*>(out.data()), 13, 9));
    for (DWORD p : out) ASSERT_EQ(p, Argb(128, 100, 50, 0));
    std::vector<DWORD> larger(40 * 24);
    ASSERT_TRUE(ResamplePremultiplied(reinterpret_cast<const BYTE*>(strip.data()), 30 * 4, 15, 10,
                                      reinterpret_cast<BYTE*>(larger.data()), 40, 24));
    for (DWORD p : larger) ASSERT_EQ(p, Argb(128, 100, 50, 0));

    // A hard edge stays premultiplied (colour never above alpha) however the
    // cubic over- and undershoots.
    std::vector<DWORD> edge(8 * 1);
    for (int x = 0; x < 8; ++x) edge[static_cast<size_t>(x)] = x < 4 ? 0u : Argb(255, 255, 255, 255);
    std::vector<DWORD> wide(20);
    ASSERT_TRUE(ResamplePremultiplied(reinterpret_cast<const BYTE*>(edge.data()), 8 * 4, 8, 1,
                                      reinterpret_cast<BYTE*>(wide.data()), 20, 1));
    for (DWORD p : wide) {
        ASSERT_LE(RedOf(p), AlphaOf(p));
        ASSERT_LE(BlueOf(p), AlphaOf(p));
    }
    EXPECT_EQ(wide.front(), 0u);
    EXPECT_EQ(wide.back(), Argb(255, 255, 255, 255));
    EXPECT_FALSE(ResamplePremultiplied(reinterpret_cast<const BYTE*>(edge.data()), 32, 8, 1,
                                       reinterpret_cast<BYTE*>(wide.data()), 0, 1));
}

TEST(PictureSetNames, SitBeforeTheExtension) {
    EXPECT_EQ(duImage::SetFileName(L"dlg_back.png", 150), L"dlg_back@150.png");
    EXPECT_EQ(duImage::SetFileName(L"pics\\btn.min.png", 200), L"pics\\btn.min@200.png");
    EXPECT_EQ(duImage::SetFileName(L"v1.0\\logo", 200), L"v1.0\\logo@200");
}

TEST_F(PictureSets, TheNearestLargerSetServesEachScale) {
    Load(true, true);
    EXPECT_EQ(CellColour(144, SIZE{15, 15}), kGreen);   // 150 %: its own set
    EXPECT_EQ(CellColour(120, SIZE{13, 13}), kGreen);   // 125 %: the 150 % set, reduced
    EXPECT_EQ(CellColour(168, SIZE{18, 18}), kBlue);    // 175 %: the 200 % set
    EXPECT_EQ(CellColour(192, SIZE{20, 20}), kBlue);
    EXPECT_EQ(CellColour(288, SIZE{30, 30}), kBlue);    // above 200 %: the largest, enlarged
    // Kept: the same cell comes back without being made again.
    duImage* first = image->ScaledCell(RECT{0, 0, 10, 10}, 120, SIZE{13, 13});
    EXPECT_EQ(image->ScaledCell(RECT{0, 0, 10, 10}, 120, SIZE{13, 13}), first);
    EXPECT_EQ(image->ScaledCell(RECT{0, 0, 11, 10}, 120, SIZE{13, 13}), nullptr);  // outside the picture
    EXPECT_EQ(image->ScaledCell(RECT{0, 0, 10, 10}, 120, SIZE{0, 13}), nullptr);
}

TEST_F(PictureSets, AMissingSetFallsBackToTheNextOne) {
    Load(false, true);
    EXPECT_EQ(CellColour(120, SIZE{13, 13}), kBlue);  // no 150 %: the 200 % set
}

TEST_F(PictureSets, ASetOfTheWrongSizeIsNotUsed) {
    Load(true, false, 16);  // 16 x 16 is not 150 % of 10 x 10
    EXPECT_EQ(CellColour(144, SIZE{15, 15}), kRed);  // the picture itself, enlarged
}

TEST_F(PictureSets, AStyleAtAScaleDrawsTheSetsPixels) {
    Load(true, true);
    auto* style = static_cast<duStyleGroup*>(skin->GetResManager()->GetResObj(L"s", RES_STYLE));
    ASSERT_NE(style, nullptr);
    Canvas canvas(40, 40, Argb(255, 1, 2, 3));
    RECT r{0, 0, 40, 40};
    style->DrawStyle(canvas.dc(), &r, STATE_NORMAL, nullptr, 255, DpiScale(192));
    EXPECT_TRUE(canvas.AllEqual(RECT{0, 0, 20, 20}, kBlue));
    EXPECT_EQ(canvas.At(20, 5), Argb(255, 1, 2, 3));  // drawn at its own 20 x 20, not stretched
    style->DrawStyle(canvas.dc(), &r, STATE_NORMAL, nullptr, 255);
    EXPECT_TRUE(canvas.AllEqual(RECT{0, 0, 10, 10}, kRed));  // 100 %: the picture itself
}

TEST(ScaledStyles, OffsetsSizesAndWidthsScaleWithTheirEdges) {
    ManagerPtr manager = NewManager();
    auto* group = static_cast<duStyleGroup*>(manager->CreateResObj(L"g", RES_STYLE));
    std::string utf8 =
        "<style><rect state=\"all\" left=\"5\" top=\"3\" width=\"10\" height=\"4\" fillcolor=\"RGB(255,0,0)\" "
        "bfill=\"true\"/>"
        "<line state=\"all\" startpoint=\"(2,-1)\" endpoint=\"(-2,-1)\" color=\"RGB(0,0,255)\" linewidth=\"1\"/>"
        "</style>";
    tinyxml2::XMLDocument doc;
    doc.Parse(utf8.c_str(), utf8.size());
    group->LoadFromXml(doc.FirstChildElement("style"));
    ASSERT_TRUE(manager->AddResObj(group));
    Canvas canvas(60, 40, 0);
    RECT r{0, 0, 40, 20};  // a control of 20 x 10 at 200 %
    group->DrawStyle(canvas.dc(), &r, STATE_NORMAL, nullptr, 255, DpiScale(192));
    // The rectangle (5, 3, 10 x 4) covers (10, 6) to (30, 14) and no more.
    EXPECT_TRUE(canvas.AllEqual(RECT{10, 6, 30, 14}, Argb(255, 255, 0, 0)));
    EXPECT_EQ(canvas.At(9, 8), 0u);
    EXPECT_EQ(canvas.At(30, 8), 0u);
    EXPECT_EQ(canvas.At(20, 14), 0u);
    // The line on the last row at 100 % covers the last two rows at 200 %,
    // about 4 pixels in from either side.
    for (int y : {18, 19}) {
        EXPECT_EQ(canvas.At(20, y), Argb(255, 0, 0, 255)) << y;
        EXPECT_EQ(canvas.At(6, y), Argb(255, 0, 0, 255)) << y;
        EXPECT_EQ(canvas.At(33, y), Argb(255, 0, 0, 255)) << y;
        EXPECT_EQ(canvas.At(1, y), 0u) << y;
        EXPECT_EQ(canvas.At(38, y), 0u) << y;
    }
    EXPECT_EQ(canvas.At(20, 17), 0u);
}

TEST(ScaledFonts, AreMadeOncePerDpiWithTheHeightScaled) {
    ManagerPtr manager = NewManager();
    auto* font = static_cast<duFont*>(manager->CreateResObj(L"f", RES_FONT));
    font->SetHeight(-14);
    font->SetWeight(400);
    font->SetFace(L"Tahoma");
    ASSERT_TRUE(font->RecreateFont());
    ASSERT_TRUE(manager->AddResObj(font));
    EXPECT_EQ(font->GetHFontForDpi(96), font->GetHFont());
    HFONT large = font->GetHFontForDpi(192);
    ASSERT_NE(large, nullptr);
    EXPECT_EQ(font->GetHFontForDpi(192), large);
    LOGFONTW lf{};
    ASSERT_TRUE(::GetObjectW(large, sizeof(lf), &lf));
    EXPECT_EQ(lf.lfHeight, -28);
    ASSERT_TRUE(::GetObjectW(font->GetHFontForDpi(120), sizeof(lf), &lf));
    EXPECT_EQ(lf.lfHeight, -18);  // -17.5, away from zero
    // Made again from the fields after a change.
    font->SetHeight(-10);
    ASSERT_TRUE(font->RecreateFont());
    ASSERT_TRUE(::GetObjectW(font->GetHFontForDpi(192), sizeof(lf), &lf));
    EXPECT_EQ(lf.lfHeight, -20);
}

TEST(ScaledCursors, TakeTheFilesEntryForTheSizeOfTheDpi) {
    // The installer's own hand cursor holds 32, 48 and 64 pixel entries.
    const std::string bytes = ReadFileBytes(SourceFile("res/cur_hand.pcur"));
    ASSERT_FALSE(bytes.empty());

    ManagerPtr manager = NewManager();
    auto* cursor = static_cast<duCursor*>(manager->CreateResObj(L"hand", RES_CURSOR));
    ASSERT_TRUE(cursor->LoadFromBytes(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<int>(bytes.size())));
    ASSERT_TRUE(manager->AddResObj(cursor));
    auto widthOf = [](HCURSOR c) {
        ICONINFO info{};
        if (!c || !::GetIconInfo(c, &info)) return 0;
        BITMAP bm{};
        ::GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bm), &bm);
        if (info.hbmColor) ::DeleteObject(info.hbmColor);
        if (info.hbmMask) ::DeleteObject(info.hbmMask);
        return static_cast<int>(bm.bmWidth);
    };
    EXPECT_EQ(widthOf(cursor->GetHCursorForDpi(192)), 64);
    EXPECT_EQ(widthOf(cursor->GetHCursorForDpi(144)), 48);
    EXPECT_EQ(cursor->GetHCursorForDpi(96), cursor->GetHCursor());
    EXPECT_EQ(widthOf(cursor->GetHCursor()), 32);
}
