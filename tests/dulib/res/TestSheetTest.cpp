// Draws every paint mode, some texts and style items into one 610 x 410 sheet
// and saves it as build/test-sheet.png for a person to look at.
#include "TestSupport.h"

#include "dulib/res/AlphaText.h"
#include "dulib/res/Painters.h"
#include "dulib/res/SkinXml.h"
#include "dulib/res/duFont.h"
#include "dulib/res/duStyleGroup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Signed distance from a pixel centre to a rounded rectangle (negative inside).
double RoundRectDistance(int x, int y, double w, double h, double r) {
    double px = x + 0.5 - w / 2, py = y + 0.5 - h / 2;
    double qx = std::fabs(px) - (w / 2 - r), qy = std::fabs(py) - (h / 2 - r);
    double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return outside + std::min(std::max(qx, qy), 0.0) - r;
}

DWORD Premultiplied(double coverage, int r, int g, int b) {
    double a = std::clamp(coverage, 0.0, 1.0);
    return Argb(BYTE(a * 255 + 0.5), BYTE(r * a + 0.5), BYTE(g * a + 0.5), BYTE(b * a + 0.5));
}

// A shape filled with a vertical gradient and a darker one-pixel border.
std::function<DWORD(int, int)> Shape(int w, int h, double radius, COLORREF top, COLORREF bottom, COLORREF border) {
    return [=](int x, int y) {
        double d = RoundRectDistance(x, y, w, h, radius);
        double t = h > 1 ? double(y) / (h - 1) : 0;
        auto mix = [t](int a, int b) { return int(a + (b - a) * t); };
        int r = mix(GetRValue(top), GetRValue(bottom)), g = mix(GetGValue(top), GetGValue(bottom)),
            b = mix(GetBValue(top), GetBValue(bottom));
        double edge = std::clamp(d + 1.5, 0.0, 1.0);  // 1 inside the border ring
        r = int(r + (GetRValue(border) - r) * edge);
        g = int(g + (GetGValue(border) - g) * edge);
        b = int(b + (GetBValue(border) - b) * edge);
        return Premultiplied(0.5 - d, r, g, b);
    };
}

}  // namespace

TEST(TestSheet, EveryPaintModeAndSomeTexts) {
    ManagerPtr manager = NewManager();
    duImage* frame = AddImage(manager.get(), L"frame", 32, 32,
                              Shape(32, 32, 5, RGB(250, 251, 253), RGB(236, 240, 246), RGB(150, 160, 175)));
    duImage* badge = AddImage(manager.get(), L"badge", 40, 40, Shape(40, 40, 20, RGB(80, 170, 255), RGB(20, 80, 200), RGB(10, 50, 140)));
    duImage* button = AddImage(manager.get(), L"button", 40, 26, Shape(40, 26, 7, RGB(110, 200, 110), RGB(40, 140, 60), RGB(30, 100, 40)));
    duImage* bar = AddImage(manager.get(), L"bar", 16, 40, Shape(16, 40, 8, RGB(255, 190, 90), RGB(230, 120, 20), RGB(170, 80, 10)));
    duImage* checker = AddImage(manager.get(), L"checker", 16, 16, [](int x, int y) {
        return ((x / 8) + (y / 8)) % 2 ? Argb(255, 205, 212, 222) : Argb(255, 245, 247, 250);
    });
    auto makeFont = [&](const wchar_t* name, int height, int weight, const wchar_t* face) {
        auto* font = static_cast<duFont*>(manager->CreateResObj(name, RES_FONT));
        font->SetHeight(height);
        font->SetWeight(weight);
        font->SetFace(face);
        font->RecreateFont();
        EXPECT_TRUE(manager->AddResObj(font));
        return font->GetHFont();
    };
    HFONT title = makeFont(L"title", -18, FW_BOLD, L"微软雅黑");
    HFONT body = makeFont(L"body", -12, FW_NORMAL, L"微软雅黑");

    Canvas sheet(610, 410, 0);
    HDC dc = sheet.dc();
    const RECT all = {0, 0, 610, 410};
    ASSERT_TRUE(PaintStretchPartAll(dc, all, frame, RECT{0, 0, 32, 32}, 5, 5, 5, 5, 255));
    DrawAlphaText(dc, title, RGB(30, 40, 60), L"Kestrane 安装程序 · skin test sheet", -1 + int(sizeof(L"Kestrane 安装程序 · skin test sheet") / sizeof(wchar_t)), &all,
                  ALPHATEXT_SINGLELINE | ALPHATEXT_CENTER);

    auto label = [&](int x, int y, const wchar_t* text) {
        RECT r = {x, y, x + 180, y + 18};
        DrawAlphaText(dc, body, RGB(70, 80, 95), text, int(wcslen(text)), &r, ALPHATEXT_SINGLELINE | ALPHATEXT_CENTER);
    };
    auto panel = [&](int x, int y) { PaintTile(dc, RECT{x, y, x + 180, y + 100}, checker, RECT{0, 0, 16, 16}, 255); };

    // Row 1: normal, stretch, tile.
    panel(15, 40);
    PaintNormal(dc, RECT{25, 50, 125, 90}, badge, RECT{0, 0, 40, 40}, 255);
    PaintNormal(dc, RECT{90, 50, 190, 130}, badge, RECT{0, 0, 40, 40}, 128);
    label(15, 142, L"normal (alpha 255 / 128)");
    panel(215, 40);
    PaintStretch(dc, RECT{225, 50, 385, 130}, badge, RECT{0, 0, 40, 40}, 255);
    label(215, 142, L"stretch 40×40 → 160×80");
    panel(415, 40);
    PaintTile(dc, RECT{425, 50, 575, 125}, badge, RECT{0, 0, 40, 40}, 255);
    label(415, 142, L"tile, cut at the edges");

    // Row 2: stretchvert, stretchhorz, stretchpartall.
    panel(15, 170);
    for (int i = 0; i < 5; ++i)
        PaintStretchVert(dc, RECT{35 + i * 30, 180 + (4 - i) * 12, 51 + i * 30, 260}, bar, RECT{0, 0, 16, 40}, 8, 8, 255);
    label(15, 272, L"stretchvert, 8-pixel caps");
    panel(215, 170);
    const wchar_t* captions[] = {L"安装", L"Install now", L"Cancel"};
    for (int i = 0; i < 3; ++i) {
        RECT b = {235 + i * 8, 180 + i * 28, 330 + i * 25, 206 + i * 28};
        PaintStretchHorz(dc, b, button, RECT{0, 0, 40, 26}, 8, 8, 255);
        DrawAlphaText(dc, body, RGB(255, 255, 255), captions[i], int(wcslen(captions[i])), &b,
                      ALPHATEXT_SINGLELINE | ALPHATEXT_CENTER | ALPHATEXT_VCENTER);
    }
    label(215, 272, L"stretchhorz + centred text");
    panel(415, 170);
    PaintStretchPartAll(dc, RECT{425, 180, 585, 260}, frame, RECT{0, 0, 32, 32}, 5, 5, 5, 5, 255);
    RECT inner = {435, 188, 575, 252};
    const wchar_t* note = L"stretchpartall:\r\nnine cells, corners\r\nkept at 5 pixels";
    DrawAlphaText(dc, body, RGB(40, 40, 40), note, int(wcslen(note)), &inner, 0);
    label(415, 272, L"stretchpartall");

    // Row 3: style groups — rect, line, grey drawing, ellipsis and alignment.
    auto load = [&](const wchar_t* name, const std::wstring& markup) {
        std::wstring text = L"<style>" + markup + L"</style>";
        std::string utf8 = SkinTextToUtf8(text.c_str(), text.size());
        tinyxml2::XMLDocument doc;
        doc.Parse(utf8.c_str(), utf8.size());
        auto* group = static_cast<duStyleGroup*>(manager->CreateResObj(name, RES_STYLE));
        group->LoadFromXml(doc.FirstChildElement("style"));
        EXPECT_TRUE(manager->AddResObj(group));
        return group;
    };
    duStyleGroup* box = load(L"box",
        L"<rect state='all' bfill='true' fillcolor='RGB(255,255,255)' bborder='true' bordercolor='RGB(90,130,200)' bordertype='dash'/>"
        L"<line state='all' color='RGB(200,60,60)' linewidth='1' startpoint='(15,-10)' endpoint='(-15,-10)'/>"
        L"<text state='all' font='body' textcolor='RGB(20,60,140)' left='10' top='8' bsingleline='false'/>");
    RECT boxRect = {15, 300, 195, 390};
    box->DrawStyle(dc, &boxRect, STATE_NORMAL, L"rect with a dashed border,\r\na line 10 px above the bottom", 255);
    duStyleGroup* styledButton = load(L"btn",
        L"<image state='all' picfile='button' paintmode='stretchhorz' left_part='8' right_part='8'/>"
        L"<text state='all' font='body' textcolor='RGB(255,255,255)' halign='center' valign='center'/>");
    RECT normalButton = {215, 305, 385, 335}, greyButton = {215, 350, 385, 380};
    styledButton->DrawStyle(dc, &normalButton, STATE_NORMAL, L"DrawStyle", 255);
    styledButton->DrawStyleGray(dc, &greyButton, STATE_DISABLE, L"DrawStyleGray", 255);
    const wchar_t* longText = L"A single line that is far too long for its box";
    RECT left = {415, 300, 595, 320}, right = {415, 325, 595, 345}, narrow = {415, 350, 535, 370};
    DrawAlphaText(dc, body, RGB(0, 0, 0), L"left aligned", 12, &left, ALPHATEXT_SINGLELINE);
    DrawAlphaText(dc, body, RGB(0, 110, 0), L"right aligned", 13, &right, ALPHATEXT_SINGLELINE | ALPHATEXT_RIGHT);
    DrawAlphaText(dc, body, RGB(160, 0, 0), longText, int(wcslen(longText)), &narrow, ALPHATEXT_SINGLELINE);

    // The frame's transparent corners survive; the inside is opaque.
    EXPECT_EQ(AlphaOf(sheet.At(0, 0)), 0);
    EXPECT_EQ(AlphaOf(sheet.At(305, 200)), 255);
    EXPECT_EQ(AlphaOf(sheet.At(609, 409)), 0);

    std::wstring path = OutputFolder() + L"test-sheet.png";
    ASSERT_TRUE(sheet.SavePng(path));
    std::printf("test sheet: %ls\n", path.c_str());
}
