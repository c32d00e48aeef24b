// The installer on displays at 100, 125, 150 and 200 %: the parent test sets
// the Wine prefix's DPI and starts this program again with "/sns=<address>";
// the child opens the installer's window against the local service, waits
// for the Setup page and checks what the display shows: the window's size,
// the start button's place and hit testing at its scaled centre, text
// height, edges without gaps, the pictures drawn for 200 % (compared with
// the files the artwork script drew from the same shapes, and against an
// enlarged 100 % picture) and the icons. A screenshot of each scale is saved
// in the build folder (screenshots/dpi/setup-<DPI>.png) to look at.
#include "tests/common/LocalService.h"

#include "app/AppState.h"
#include "app/Controls.h"
#include "app/SetupPage.h"
#include "dulib/ctrl/Engine.h"
#include "dulib/ctrl/WindowHost.h"
#include "dulib/res/Dib32.h"
#include "dulib/res/DisplayDpi.h"
#include "dulib/res/DpiScale.h"
#include "dulib/res/duImage.h"
#include "dulib/res/duResManager.h"
#include "dulib/res/duStyleGroup.h"
#include "support/Handles.h"
#include "tests/app/InstallerWindow.h"
#include "tests/common/ChildProcess.h"
#include "tests/common/DisplayDpi.h"
#include "tests/common/FileBytes.h"
#include "tests/common/WindowImage.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

void RunAtDpi(DWORD dpi) {
    local_service::ResetFaults();
    ScopedDisplayDpi display(dpi);
    ASSERT_TRUE(display.Ok());
    RunChildTests(L"127.0.0.1:" + std::to_wstring(local_service::Port()), L"InstallerDpiChild.*");
}

// The start button in skin units: the Setup page's column (5, 45) inside the
// window, 250 + 30 down it and centred in its 600 pixels.
constexpr RECT kStartButton = {225, 325, 385, 365};

int Channel(DWORD p, int shift) { return static_cast<int>((p >> shift) & 0xFF); }

// Rows of a rectangle of the window image that hold text: pixels far from
// the face colour.
int InkRows(HWND hwnd, const RECT& r, DWORD face) {
    int top = -1, bottom = -1;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const DWORD p = WindowImagePixel(hwnd, x, y);
            if (std::abs(Channel(p, 16) - Channel(face, 16)) + std::abs(Channel(p, 8) - Channel(face, 8)) > 60) {
                if (top < 0) top = y;
                bottom = y;
                break;
            }
        }
    return top < 0 ? 0 : bottom - top + 1;
}

// The same for text drawn by a style into a DIB of its own at 100 %.
int InkRowsAt100(duStyleGroup* style, const wchar_t* text, int width, int height, DWORD face) {
    BYTE* bits = nullptr;
    BitmapHandle bitmap(CreateDib32(width, height, &bits));
    MemoryDc dc(::CreateCompatibleDC(nullptr));
    SelectGuard select(dc.get(), bitmap.get());
    RECT r{0, 0, width, height};
    style->DrawStyle(dc.get(), &r, STATE_NORMAL, text, 255);
    ::GdiFlush();
    const auto* px = reinterpret_cast<const DWORD*>(bits);
    int top = -1, bottom = -1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const DWORD p = px[y * width + x];
            if (std::abs(Channel(p, 16) - Channel(face, 16)) + std::abs(Channel(p, 8) - Channel(face, 8)) > 60) {
                if (top < 0) top = y;
                bottom = y;
                break;
            }
        }
    return top < 0 ? 0 : bottom - top + 1;
}

std::wstring ScreenshotFolder() {
    const char* build = std::getenv("KESTRANE_BUILD_DIR");
    std::wstring folder = build && *build ? L"Z:" + std::wstring(build, build + std::strlen(build)) : L".";
    for (wchar_t& c : folder)
        if (c == L'/') c = L'\\';
    folder += L"\\screenshots";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    folder += L"\\dpi";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

// The pixel a premultiplied picture pixel gives over an opaque background.
DWORD Over(DWORD picture, DWORD background) {
    const int a = Channel(picture, 24);
    auto mix = [&](int shift) { return Channel(picture, shift) + (Channel(background, shift) * (255 - a) + 127) / 255; };
    return 0xFF000000u | (static_cast<DWORD>(mix(16)) << 16) | (static_cast<DWORD>(mix(8)) << 8) |
           static_cast<DWORD>(mix(0));
}

int Distance(DWORD a, DWORD b) {
    return std::abs(Channel(a, 16) - Channel(b, 16)) + std::abs(Channel(a, 8) - Channel(b, 8)) +
           std::abs(Channel(a, 0) - Channel(b, 0));
}

using ImagePtr = std::unique_ptr<duImage, duObjectDestroyer>;

}  // namespace

TEST(InstallerDpi, At100PercentTheWindowIs610By410) { RunAtDpi(96); }
TEST(InstallerDpi, At125PercentEveryEdgeMeetsItsNeighbour) { RunAtDpi(120); }
TEST(InstallerDpi, At150PercentTheWindowIs915By615) { RunAtDpi(144); }
TEST(InstallerDpi, At200PercentThePicturesAreTheOnesDrawnFor200Percent) { RunAtDpi(192); }

TEST(InstallerDpiChild, SetupPage) {
    const int dpi = ChildDisplayDpi();
    if (!dpi || !StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    const DpiScale scale(dpi);
    InstallerWindow window;
    ASSERT_TRUE(PumpUntilPreparationEnds(60000));
    ASSERT_TRUE(FindControl(L"SetupLayout")->IsVisible()) << "preparation failed: " << App().resultCode;
    const HWND hwnd = window.Hwnd();
    WindowHost* host = WindowHost::FromHwnd(hwnd);
    ASSERT_NE(host, nullptr);
    host->PaintWindow(nullptr);
    EXPECT_TRUE(SaveWindowImage(hwnd, ScreenshotFolder() + L"\\setup-" + std::to_wstring(dpi) + L".png"));

    // The window: the skin's 610 x 410 at the display's scale.
    EXPECT_EQ(GetWindowDpi(hwnd), dpi);
    RECT wr{};
    ::GetWindowRect(hwnd, &wr);
    EXPECT_EQ(wr.right - wr.left, scale.Point(610));
    EXPECT_EQ(wr.bottom - wr.top, scale.Point(410));

    // The start button where the skin puts it, every edge scaled.
    duPlugin* start = FindControl(L"StartSetupBtn");
    ASSERT_NE(start, nullptr);
    const RECT skin = start->GetLayoutRect();
    EXPECT_TRUE(::EqualRect(&skin, &kStartButton));
    RECT r{};
    start->GetRect(&r);
    const RECT expected = scale.Rect(kStartButton);
    EXPECT_TRUE(::EqualRect(&r, &expected)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    // Hit at its scaled centre (the pointer hovers it), missed just past it.
    const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    EXPECT_EQ(host->HitTest(cx, cy), start);
    EXPECT_NE(host->HitTest(r.right, cy), start);
    ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(cx, cy));
    EXPECT_EQ(start->GetState(), static_cast<UINT>(STATE_OVER));
    ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(r.right + 1, cy));
    EXPECT_NE(start->GetState(), static_cast<UINT>(STATE_OVER));
    host->PaintWindow(nullptr);

    // Its text grows with the scale: the ink of "开始安装" against the same
    // text drawn by the same style at 100 %.
    const DWORD face = 0xFF3FACE5;  // CommonButton_Blue, normal
    auto* style = static_cast<duStyleGroup*>(
        App().windowManager->GetResManager()->GetResObj(L"CommonButton_Blue", RES_STYLE));
    ASSERT_NE(style, nullptr);
    const int at100 = InkRowsAt100(style, start->GetText(), 160, 40, face);
    const int here = InkRows(hwnd, r, face);
    ASSERT_GT(at100, 8);
    EXPECT_GE(here, scale.Point(at100) - 2) << "100 %: " << at100;
    EXPECT_LE(here, scale.Point(at100) + 2) << "100 %: " << at100;

    // No gaps: the package rows follow each other edge to edge, and the white
    // client meets the window's dark body at each of its scaled edges, with
    // no pixel of either missing or in between.
    std::vector<RECT> rows;
    for (duPlugin* c = FindControl(L"SetupList")->GetFirstChild(); c; c = c->GetNextSibling()) {
        if (!c->IsVisible() || wcsncmp(c->GetName(), L"SetupItem_", 10) != 0) continue;
        rows.emplace_back();
        c->GetRect(&rows.back());
    }
    ASSERT_GE(rows.size(), 3u);
    for (size_t i = 1; i < rows.size(); ++i) EXPECT_EQ(rows[i - 1].bottom, rows[i].top) << "row " << i;
    RECT client{};
    FindControl(L"MainWndClient")->GetRect(&client);
    const RECT clientAt100{5, 45, 605, 405};
    const RECT clientHere = scale.Rect(clientAt100);
    EXPECT_TRUE(::EqualRect(&client, &clientHere));
    // Inside the edge the client's white; outside it the title bar's dark
    // body above, the window's shadow on the other sides.
    const DWORD body = 0xFF383C42, white = 0xFFFFFFFF;  // (56, 60, 66)
    for (int x = client.left; x < client.right; ++x) {
        ASSERT_EQ(WindowImagePixel(hwnd, x, client.top - 1), body) << x;
        ASSERT_EQ(WindowImagePixel(hwnd, x, client.top), white) << x;
        ASSERT_EQ(WindowImagePixel(hwnd, x, client.bottom - 1), white) << x;
        ASSERT_NE(WindowImagePixel(hwnd, x, client.bottom), white) << x;
    }
    for (int y = client.top; y < client.bottom; ++y) {
        ASSERT_NE(WindowImagePixel(hwnd, client.left - 1, y), white) << y;
        ASSERT_EQ(WindowImagePixel(hwnd, client.left, y), white) << y;
        ASSERT_EQ(WindowImagePixel(hwnd, client.right - 1, y), white) << y;
        ASSERT_NE(WindowImagePixel(hwnd, client.right, y), white) << y;
    }

    // The icons at the sizes of the scale.
    auto iconWidth = [hwnd](WPARAM which) {
        HICON icon = reinterpret_cast<HICON>(::SendMessageW(hwnd, WM_GETICON, which, 0));
        ICONINFO info{};
        if (!icon || !::GetIconInfo(icon, &info)) return 0;
        BITMAP bm{};
        ::GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
        if (info.hbmColor) ::DeleteObject(info.hbmColor);
        if (info.hbmMask) ::DeleteObject(info.hbmMask);
        return static_cast<int>(bm.bmWidth);
    };
    EXPECT_EQ(iconWidth(ICON_BIG), SystemMetricForDpi(SM_CXICON, dpi));
    EXPECT_EQ(iconWidth(ICON_SMALL), SystemMetricForDpi(SM_CXSMICON, dpi));

    // The folder row adds 40 skin pixels to the window and to its body.
    if (dpi == 144) {
        ExpandCustomSetup(true);
        ::GetWindowRect(hwnd, &wr);
        EXPECT_EQ(wr.bottom - wr.top, scale.Point(450));
        // The row shows to its last pixel, the window's shadow right below it.
        host->PaintWindow(nullptr);
        const DWORD rowGrey = 0xFFECECEC;  // (236, 236, 236)
        EXPECT_EQ(WindowImagePixel(hwnd, scale.Point(305), scale.Point(405)), rowGrey);
        EXPECT_EQ(WindowImagePixel(hwnd, scale.Point(305), scale.Point(445) - 1), rowGrey);
        EXPECT_NE(WindowImagePixel(hwnd, scale.Point(305), scale.Point(445)), rowGrey);
        ExpandCustomSetup(false);
        ::GetWindowRect(hwnd, &wr);
        EXPECT_EQ(wr.bottom - wr.top, scale.Point(410));
    }

    // Dragged onto a monitor at 200 %: the system suggests a place and a
    // size; the window takes the place, the skin's size at 200 % and the
    // icons of that scale.
    if (dpi == 96) {
        ::GetWindowRect(hwnd, &wr);
        RECT suggested{wr.left + 40, wr.top + 30, wr.left + 40 + 1220, wr.top + 30 + 820};
        ::SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
        EXPECT_EQ(GetWindowDpi(hwnd), 192);
        ::GetWindowRect(hwnd, &wr);
        EXPECT_EQ(wr.left, suggested.left);
        EXPECT_EQ(wr.top, suggested.top);
        EXPECT_EQ(wr.right - wr.left, 1220);
        EXPECT_EQ(wr.bottom - wr.top, 820);
        start->GetRect(&r);
        const RECT twice = DpiScale(192).Rect(kStartButton);
        EXPECT_TRUE(::EqualRect(&r, &twice));
        EXPECT_EQ(iconWidth(ICON_BIG), SystemMetricForDpi(SM_CXICON, 192));
        EXPECT_EQ(iconWidth(ICON_SMALL), SystemMetricForDpi(SM_CXSMICON, 192));
    }

    if (dpi != 192) return;
    // Every picture as the engine shows it at 200 % is the file the artwork
    // script drew for 200 % from the picture's shapes, pixel for pixel...
    duResManager* res = App().windowManager->GetResManager();
    for (int i = 0; i < res->GetResObjCount(RES_IMAGE); ++i) {
        auto* image = static_cast<duImage*>(res->GetResObjByIndex(i, RES_IMAGE));
        const std::wstring file = duImage::SetFileName(image->GetFileName(), 200);
        ImagePtr drawn(new duImage());
        const std::wstring path = SourceFile("res/" + std::string(file.begin(), file.end()));
        ASSERT_TRUE(drawn->LoadFromFile(path.c_str())) << path;
        const int w = image->GetWidth(), h = image->GetHeight();
        duImage* shown = image->ScaledCell(RECT{0, 0, w, h}, 192, SIZE{2 * w, 2 * h});
        ASSERT_NE(shown, nullptr);
        ASSERT_EQ(drawn->GetWidth(), 2 * w);
        const auto* a = reinterpret_cast<const DWORD*>(shown->GetBits());
        const auto* b = reinterpret_cast<const DWORD*>(drawn->GetBits());
        for (int p = 0; p < 4 * w * h; ++p) ASSERT_EQ(a[p], b[p]) << image->GetName() << " pixel " << p;
    }
    // ...and on the screen: the logo over the title bar is the 200 % logo
    // laid over the bar's colour, which an enlarged 100 % logo is not.
    auto* logo = static_cast<duImage*>(res->GetResObj(L"img_logo", RES_IMAGE));
    ASSERT_NE(logo, nullptr);
    duImage* logo200 = logo->ScaledCell(RECT{0, 0, 88, 24}, 192, SIZE{176, 48});
    ImagePtr enlarged(logo->MakeScaledCopy(176, 48));
    ASSERT_TRUE(logo200 && enlarged);
    const auto* sharp = reinterpret_cast<const DWORD*>(logo200->GetBits());
    const auto* soft = reinterpret_cast<const DWORD*>(enlarged->GetBits());
    long long offSharp = 0, offSoft = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 176; ++x) {
            const DWORD shownPixel = WindowImagePixel(hwnd, 30 + x, 26 + y);  // the logo at (15, 13)
            offSharp += Distance(shownPixel, Over(sharp[y * 176 + x], body));
            offSoft += Distance(shownPixel, Over(soft[y * 176 + x], body));
        }
    EXPECT_LE(offSharp, 176 * 48) << "more than 1 in the mean from the 200 % logo";
    EXPECT_GT(offSoft, 5 * offSharp + 176 * 48) << "the screen would look the same with an enlarged logo";
    std::printf("logo at 200 %%: summed difference %lld from the 200 %% picture, %lld from the enlarged one\n",
                offSharp, offSoft);
}
