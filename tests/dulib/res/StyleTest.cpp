// Style groups: loading items, state selection, the four item kinds drawing
// into real DIBs, grey drawing and text measuring.
#include "TestSupport.h"

#include "dulib/res/SkinXml.h"
#include "dulib/res/duFont.h"
#include "dulib/res/duImageStyle.h"
#include "dulib/res/duLineStyle.h"
#include "dulib/res/duRectStyle.h"
#include "dulib/res/duStyleGroup.h"
#include "dulib/res/duTextStyle.h"

#include <gtest/gtest.h>

namespace {

constexpr DWORD kUntouched = Argb(255, 1, 2, 3);

class Styles : public ::testing::Test {
protected:
    // Loads <style> markup into a registered group.
    duStyleGroup* Load(const char* name, const std::wstring& markup) {
        std::wstring text = L"<style>" + markup + L"</style>";
        std::string utf8 = SkinTextToUtf8(text.c_str(), text.size());
        tinyxml2::XMLDocument doc;
        doc.Parse(utf8.c_str(), utf8.size());
        std::wstring wideName(name, name + strlen(name));
        auto* group = static_cast<duStyleGroup*>(manager->CreateResObj(wideName.c_str(), RES_STYLE));
        group->LoadFromXml(doc.FirstChildElement("style"));
        EXPECT_TRUE(manager->AddResObj(group));
        return group;
    }

    void SetUp() override {
        auto* font = static_cast<duFont*>(manager->CreateResObj(L"bold", RES_FONT));
        font->SetHeight(-16);
        font->SetWeight(FW_BLACK);
        font->SetFace(L"Tahoma");
        font->RecreateFont();
        ASSERT_TRUE(manager->AddResObj(font));
    }

    ManagerPtr manager = NewManager();
    const RECT control = {0, 0, 40, 20};
};

}  // namespace

TEST_F(Styles, ItemsAreReadByTagInAnyCaseWithSkinDefaults) {
    duStyleGroup* group = Load("g",
        L"<IMAGE picfile='p' paintmode='Tile' selectwidth='5' left_part='2' state='press' left='-3'/>"
        L"<circle/>"
        L"<text font='f' halign='CENTER'/>"
        L"<rect bfill='true' fill='false' bborder='false' border='true' borderwidth='2'/>"
        L"<Line startpoint='(15,-1)' endpoint='(-15,-1)'/>");
    ASSERT_EQ(group->GetStyleCount(), 4);
    auto* image = static_cast<duImageStyle*>(group->GetStyleItem(0));
    EXPECT_EQ(image->GetStyleType(), STYLE_IMAGE);
    EXPECT_EQ(image->GetState(), STATE_PRESS);
    EXPECT_EQ(image->GetLeft(), -3);
    EXPECT_EQ(image->GetSelectWidth(), 5);
    EXPECT_EQ(image->GetLeftPart(), 2);
    EXPECT_STREQ(image->GetPaintMode(), L"Tile");
    EXPECT_EQ(image->GetResManager(), manager.get());
    auto* text = static_cast<duTextStyle*>(group->GetStyleItem(1));
    EXPECT_EQ(text->GetState(), STATE_NORMAL);            // missing state
    EXPECT_EQ(text->GetTextColor(), RGB(255, 255, 255));  // missing colour
    EXPECT_EQ(text->GetSingleLine(), 1);                  // missing bsingleline
    EXPECT_EQ(text->GetFormatFlags(), UINT(0x1 | 0x20));
    auto* rect = static_cast<duRectStyle*>(group->GetStyleItem(2));
    EXPECT_EQ(rect->GetFill(), 0);    // the later "fill" wins
    EXPECT_EQ(rect->GetBorder(), 1);  // likewise "border"
    EXPECT_EQ(rect->GetBorderWidth(), 2);
    auto* line = static_cast<duLineStyle*>(group->GetStyleItem(3));
    EXPECT_EQ(line->GetLineWidth(), 0);  // missing width reads 0
    EXPECT_EQ(line->GetEndPoint().x, -15);
}

TEST_F(Styles, EveryMatchingItemDrawsInOrderAndNormalAllNeverMeetsCheckedStates) {
    duStyleGroup* group = Load("g",
        L"<rect state='normalall' bfill='true' fillcolor='RGB(255,0,0)'/>"
        L"<rect state='checkedall' bfill='true' fillcolor='RGB(0,0,255)'/>"
        L"<rect state='over' bfill='true' fillcolor='RGB(0,255,0)' width='10'/>");
    const UINT normals[] = {STATE_NORMAL, STATE_OVER, STATE_PRESS, STATE_FOCUS, STATE_DISABLE};
    const UINT checks[] = {STATE_CHECKED, STATE_CHECKEDOVER, STATE_CHECKEDPRESS, STATE_CHECKEDFOCUS,
                           STATE_CHECKEDDISABLE};
    for (UINT state : normals) {
        Canvas canvas(40, 20, kUntouched);
        group->DrawStyle(canvas.dc(), &control, state, nullptr, 255);
        EXPECT_EQ(canvas.At(30, 10), Argb(255, 255, 0, 0)) << state;
        EXPECT_EQ(canvas.At(5, 10), state == STATE_OVER ? Argb(255, 0, 255, 0) : Argb(255, 255, 0, 0)) << state;
    }
    for (UINT state : checks) {
        Canvas canvas(40, 20, kUntouched);
        group->DrawStyle(canvas.dc(), &control, state, nullptr, 255);
        EXPECT_TRUE(canvas.AllEqual(control, Argb(255, 0, 0, 255))) << state;
    }
    // A group with items for over and press only draws nothing for normal.
    duStyleGroup* scroll = Load("scroll",
        L"<rect state='over' bfill='true' fillcolor='RGB(0,0,0)'/><rect state='press' bfill='true'/>");
    Canvas canvas(40, 20, kUntouched);
    scroll->DrawStyle(canvas.dc(), &control, STATE_NORMAL, nullptr, 255);
    EXPECT_TRUE(canvas.AllEqual(control, kUntouched));
}

TEST_F(Styles, ImageItemsSelectPaintModeAndSource) {
    AddImage(manager.get(), L"pic", 10, 10, [](int x, int y) { return Argb(255, BYTE(x * 20), BYTE(y * 20), 0); });
    duStyleGroup* group = Load("g",
        L"<image state='normal' picfile='pic' paintmode='tile'/>"
        L"<image state='over' picfile='pic' paintmode='sideways'/>"
        L"<image state='press' picfile='nothing' paintmode='stretch'/>"
        L"<image state='focus' picfile='pic' paintmode='normal' selectleft='5' selecttop='5' selectwidth='5' selectheight='5' left='2' top='3'/>");
    Canvas tiled(40, 20, kUntouched);
    group->DrawStyle(tiled.dc(), &control, STATE_NORMAL, nullptr, 255);
    EXPECT_EQ(tiled.At(0, 0), Argb(255, 0, 0, 0));
    EXPECT_EQ(tiled.At(29, 19), Argb(255, 180, 180, 0));  // whole picture tiled: select width 0
    EXPECT_EQ(tiled.At(30, 0), Argb(255, 0, 0, 0));

    for (UINT state : {STATE_OVER, STATE_PRESS}) {
        Canvas canvas(40, 20, kUntouched);
        group->DrawStyle(canvas.dc(), &control, state, nullptr, 255);
        EXPECT_TRUE(canvas.AllEqual(control, kUntouched)) << state;
    }
    Canvas none(40, 20, kUntouched);
    group->DrawStyle(none.dc(), &control, STATE_NORMAL, nullptr, 0);  // alpha 0
    EXPECT_TRUE(none.AllEqual(control, kUntouched));

    Canvas cell(40, 20, kUntouched);
    group->DrawStyle(cell.dc(), &control, STATE_FOCUS, nullptr, 255);
    EXPECT_EQ(cell.At(2, 3), Argb(255, 100, 100, 0));
    EXPECT_EQ(cell.At(6, 7), Argb(255, 180, 180, 0));
    EXPECT_EQ(cell.At(1, 3), kUntouched);
    EXPECT_EQ(cell.At(7, 8), kUntouched);
}

TEST_F(Styles, BackAndTextPassesSplitTheItems) {
    duStyleGroup* group = Load("g",
        L"<rect state='all' bfill='true' fillcolor='RGB(0,0,255)'/>"
        L"<text state='all' font='bold' textcolor='RGB(255,255,255)' halign='center' valign='center'/>");
    Canvas back(40, 20, kUntouched);
    group->DrawStyleBack(back.dc(), &control, STATE_NORMAL, L"II", 255);
    EXPECT_TRUE(back.AllEqual(control, Argb(255, 0, 0, 255)));
    Canvas text(40, 20, kUntouched);
    group->DrawStyleText(text.dc(), &control, STATE_NORMAL, L"II", 255);
    EXPECT_EQ(text.At(0, 0), kUntouched);
    int white = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x)
            if (text.At(x, y) == Argb(255, 255, 255, 255)) ++white;
    EXPECT_GT(white, 4);
}

TEST_F(Styles, RectanglesFillAndFrameWithPremultipliedAlpha) {
    duStyleGroup* group = Load("g",
        L"<rect state='normal' bfill='true' fillcolor='RGB(200,100,0)' left='5' top='5' right='-5' bottom='-5'/>"
        L"<rect state='over' bborder='true' bordercolor='RGB(0,255,0)' borderwidth='1'/>");
    Canvas filled(40, 20, 0);
    group->DrawStyle(filled.dc(), &control, STATE_NORMAL, nullptr, 255);
    EXPECT_TRUE(filled.AllEqual(RECT{5, 5, 35, 15}, Argb(255, 200, 100, 0)));
    EXPECT_EQ(filled.At(4, 5), 0u);
    EXPECT_EQ(filled.At(35, 14), 0u);
    EXPECT_EQ(filled.At(34, 15), 0u);

    Canvas half(40, 20, 0);
    group->DrawStyle(half.dc(), &control, STATE_NORMAL, nullptr, 128);
    DWORD p = half.At(10, 10);
    EXPECT_NEAR(AlphaOf(p), 128, 1);
    EXPECT_NEAR(RedOf(p), 100, 2);  // premultiplied
    EXPECT_NEAR(GreenOf(p), 50, 2);

    Canvas framed(40, 20, kUntouched);
    group->DrawStyle(framed.dc(), &control, STATE_OVER, nullptr, 255);
    const DWORD green = Argb(255, 0, 255, 0);
    EXPECT_EQ(framed.At(0, 0), green);
    EXPECT_EQ(framed.At(39, 19), green);
    EXPECT_EQ(framed.At(20, 0), green);
    EXPECT_EQ(framed.At(0, 10), green);
    EXPECT_TRUE(framed.AllEqual(RECT{1, 1, 39, 19}, kUntouched));
}

TEST_F(Styles, LinesCountNegativeEndsFromTheFarEdges) {
    duStyleGroup* group = Load("g",
        L"<line state='all' color='RGB(0,128,0)' linewidth='1' startpoint='(15,-1)' endpoint='(-15,-1)'/>");
    const RECT wide = {0, 0, 100, 20};
    Canvas canvas(100, 20, kUntouched);
    group->DrawStyle(canvas.dc(), &wide, STATE_NORMAL, nullptr, 255);
    EXPECT_TRUE(canvas.AllEqual(RECT{16, 19, 84, 20}, Argb(255, 0, 128, 0)));
    EXPECT_TRUE(canvas.AllEqual(RECT{0, 0, 100, 19}, kUntouched));
    EXPECT_TRUE(canvas.AllEqual(RECT{0, 19, 14, 20}, kUntouched));
    EXPECT_TRUE(canvas.AllEqual(RECT{87, 19, 100, 20}, kUntouched));
}

TEST_F(Styles, ClipAndOriginOfTheTargetHold) {
    duStyleGroup* group = Load("g", L"<rect state='all' bfill='true' fillcolor='RGB(9,9,9)'/>");
    Canvas canvas(60, 40, kUntouched);
    RegionHandle clip(::CreateRectRgn(0, 0, 30, 40));
    ::SelectClipRgn(canvas.dc(), clip.get());
    ::SetViewportOrgEx(canvas.dc(), 10, 10, nullptr);
    group->DrawStyle(canvas.dc(), &control, STATE_NORMAL, nullptr, 255);
    EXPECT_TRUE(canvas.AllEqual(RECT{10, 10, 30, 30}, Argb(255, 9, 9, 9)));
    EXPECT_TRUE(canvas.AllEqual(RECT{30, 0, 60, 40}, kUntouched));
    EXPECT_TRUE(canvas.AllEqual(RECT{0, 0, 60, 10}, kUntouched));
    EXPECT_TRUE(canvas.AllEqual(RECT{0, 30, 60, 40}, kUntouched));
}

TEST_F(Styles, GreyDrawingOfARedTextGives76AndRestoresTheColour) {
    duStyleGroup* group = Load("g", L"<text state='all' font='bold' textcolor='RGB(255,0,0)'/>");
    Canvas canvas(60, 20, 0);
    const RECT r = {0, 0, 60, 20};
    group->DrawStyleGray(canvas.dc(), &r, STATE_NORMAL, L"MMMM", 255);
    int solid = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x) {
            DWORD p = canvas.At(x, y);
            ASSERT_TRUE(RedOf(p) == GreenOf(p) && GreenOf(p) == BlueOf(p)) << x << "," << y;
            ASSERT_NEAR(RedOf(p), 76 * AlphaOf(p) / 255, 1) << x << "," << y;
            if (AlphaOf(p) == 255) ++solid;
        }
    EXPECT_GT(solid, 10);
    EXPECT_EQ(static_cast<duTextStyle*>(group->GetStyleItem(0))->GetTextColor(), RGB(255, 0, 0));
}

TEST_F(Styles, GreyDrawingOfPicturesRectanglesAndLines) {
    AddImage(manager.get(), L"red", 8, 8, [](int, int) { return Argb(255, 255, 0, 0); });
    duStyleGroup* group = Load("g",
        L"<image state='normal' picfile='red' paintmode='stretch' width='8'/>"
        L"<rect state='normal' bfill='true' fillcolor='RGB(0,255,0)' left='10' width='8'/>"
        L"<rect state='normal' bborder='true' bordercolor='RGB(0,0,255)' left='20' width='8'/>"
        L"<rect state='normal' fillcolor='RGB(0,0,255)' left='30' width='8'/>"
        L"<line state='normal' color='RGB(255,0,0)' linewidth='1' startpoint='(0,-1)' endpoint='(-1,-1)'/>");
    Canvas canvas(40, 20, kUntouched);
    group->DrawStyleGray(canvas.dc(), &control, STATE_NORMAL, nullptr, 255);
    EXPECT_EQ(canvas.At(3, 3), Argb(255, 76, 76, 76));
    EXPECT_EQ(canvas.At(13, 3), Argb(255, 149, 149, 149));  // 601 * 255 / 1024
    EXPECT_EQ(canvas.At(20, 3), Argb(255, 29, 29, 29));     // 117 * 255 / 1024
    EXPECT_EQ(canvas.At(33, 3), kUntouched);                 // neither fill nor border
    EXPECT_EQ(canvas.At(35, 19), Argb(255, 76, 76, 76));
    // The grey copy was only borrowed.
    EXPECT_EQ(manager->GetResObjCount(RES_IMAGE), 1);
    EXPECT_STREQ(static_cast<duImageStyle*>(group->GetStyleItem(0))->GetPicFile(), L"red");
    EXPECT_EQ(static_cast<duRectStyle*>(group->GetStyleItem(1))->GetFillColor(), RGB(0, 255, 0));
}

TEST_F(Styles, MeasureUsesTheFirstMatchingTextItem) {
    auto* font = static_cast<duFont*>(manager->CreateResObj(L"big", RES_FONT));
    font->SetHeight(-30);
    font->SetFace(L"Tahoma");
    font->RecreateFont();
    ASSERT_TRUE(manager->AddResObj(font));
    duStyleGroup* group = Load("g",
        L"<text state='over' font='nothing'/><text state='normal' font='big'/><text state='all' font='big' bsingleline='false'/>");
    SIZE size = {-1, -1};
    group->MeasureStyleText(STATE_PRESS, L"Hello", &size);  // only the "all" item meets press
    EXPECT_GT(size.cx, 0);
    SIZE big = {};
    group->MeasureStyleText(STATE_NORMAL, L"Hello", &big);
    EXPECT_GE(big.cy, 30);
    SIZE stock = {};
    group->MeasureStyleText(STATE_OVER, L"Hello", &stock);  // missing font: stock GUI font
    EXPECT_GT(stock.cx, 0);
    EXPECT_LT(stock.cy, big.cy);
    SIZE twoLines = {};
    group->MeasureStyleText(STATE_PRESS, L"a\r\nb", &twoLines);
    SIZE oneLine = {};
    group->MeasureStyleText(STATE_NORMAL, L"a\r\nb", &oneLine);
    EXPECT_GT(twoLines.cy, oneLine.cy);

    duStyleGroup* noText = Load("n", L"<rect state='all'/>");
    SIZE zero = {5, 5};
    noText->MeasureStyleText(STATE_NORMAL, L"Hello", &zero);
    EXPECT_EQ(zero.cx, 0);
    EXPECT_EQ(zero.cy, 0);
    SIZE untouched = {5, 5};
    group->MeasureStyleText(STATE_NORMAL, nullptr, &untouched);
    EXPECT_EQ(untouched.cx, 5);
    group->MeasureStyleText(STATE_NORMAL, L"x", nullptr);
}

namespace {

// Rows of column x, from y = 0 down, whose pixel differs from `untouched`.
int CoveredRows(const Canvas& canvas, int x, int fromY, int toY, DWORD untouched) {
    int n = 0;
    for (int y = fromY; y < toY; ++y)
        if (canvas.At(x, y) != untouched) ++n;
    return n;
}

}  // namespace

TEST_F(Styles, ThickBordersLookTheSameOnEveryRectangleSize) {
    for (int width : {4, 8, 126, 130}) {
        const std::wstring markup = L"<rect state='all' bborder='true' bordercolor='RGB(255,0,0)' borderwidth='" +
                                    std::to_wstring(width) + L"'/>";
        duStyleGroup* group = Load(("b" + std::to_string(width)).c_str(), markup);
        const int m = width + 4;  // room for the outer half
        int outside[2] = {}, inside[2] = {}, leftOutside[2] = {};
        // Small rectangles are still wider than the pen (a pen wider than the
        // rectangle has a geometry of its own).
        const int sizes[2] = {width < 20 ? 20 : 200, width < 20 ? 400 : 600};
        for (int i = 0; i < 2; ++i) {
            const int side = sizes[i];
            Canvas canvas(side + 2 * m, side + 2 * m, kUntouched);
            const RECT r = {m, m, m + side, m + side};
            group->DrawStyle(canvas.dc(), &r, STATE_NORMAL, nullptr, 255);
            const int mid = m + side / 2;
            outside[i] = CoveredRows(canvas, mid, 0, m, kUntouched);
            inside[i] = CoveredRows(canvas, mid, m, m + std::min(side / 2, width), kUntouched);
            int left = 0;
            for (int x = 0; x < m; ++x)
                if (canvas.At(x, mid) != kUntouched) ++left;
            leftOutside[i] = left;
        }
        // The pen is centred on the outline: about half of it lies outside.
        EXPECT_NEAR(outside[1], width / 2, 1) << width;
        EXPECT_EQ(outside[0], outside[1]) << width << ": the outer half on a small rectangle";
        EXPECT_EQ(leftOutside[0], leftOutside[1]) << width;
        EXPECT_EQ(leftOutside[1], outside[1]) << width;
        EXPECT_GT(inside[1], 0) << width;
    }
}

TEST_F(Styles, BorderOnATargetWithoutAlphaIsDrawnOnce) {
    duStyleGroup* group = Load("g", L"<rect state='all' bborder='true' bordercolor='RGB(255,0,0)' borderwidth='6'/>");
    Dib24 target(200, 200);
    const RECT r = {20, 20, 180, 180};
    group->DrawStyle(target.dc(), &r, STATE_NORMAL, nullptr, 128);
    // Half-transparent red over white, once: green and blue near 127, not the
    // 16 of four layers.
    const BYTE* top = target.At(100, 20);
    EXPECT_NEAR(top[1], 127, 6);
    EXPECT_NEAR(top[0], 127, 6);
    EXPECT_EQ(top[2], 255);
    const BYTE* corner = target.At(20, 20);
    EXPECT_NEAR(corner[1], 127, 6);
}

TEST_F(Styles, DashedStrokesWithFarEndsAreDrawnNearTheTarget) {
    // Ends a billion pixels apart: widened dash by dash that took minutes.
    duStyleGroup* group = Load("g",
        L"<line state='all' color='RGB(0,0,255)' linewidth='1' linetype='dash' "
        L"startpoint='(-1000000000,10)' endpoint='(1000000000,10)'/>"
        L"<rect state='all' bborder='true' bordercolor='RGB(0,0,255)' borderwidth='1' bordertype='dot' "
        L"left='-1000000000' top='30' width='2000000000' height='1000000000'/>");
    Canvas canvas(100, 40, kUntouched);
    const RECT wide = {0, 0, 100, 40};
    const DWORD start = ::GetTickCount();
    group->DrawStyle(canvas.dc(), &wide, STATE_NORMAL, nullptr, 255);
    EXPECT_LT(::GetTickCount() - start, 20000u);
    int dashes = 0, dots = 0;
    for (int x = 0; x < 100; ++x) {
        if (canvas.At(x, 10) == Argb(255, 0, 0, 255)) ++dashes;
        if (canvas.At(x, 30) == Argb(255, 0, 0, 255)) ++dots;
    }
    EXPECT_GT(dashes, 40);  // three of every four pixels of a dash pattern
    EXPECT_LT(dashes, 100);
    EXPECT_GT(dots, 20);    // every other pixel of a dot pattern
    EXPECT_LT(dots, 100);
}
