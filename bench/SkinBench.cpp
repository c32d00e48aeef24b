// Times loading a theme of 16 pictures, 39 styles, 29 fonts and a cursor from
// a skin folder, and drawing every style once into a 610 x 410 DIB. Prints a
// plain GDI fill and one full-size alpha blend of the same DIB as references.
#include "dulib/res/Dib32.h"
#include "dulib/res/GdiplusSession.h"
#include "dulib/res/Painters.h"
#include "dulib/res/duImage.h"
#include "dulib/res/duResManager.h"
#include "dulib/res/duSkin.h"
#include "dulib/res/duStyleGroup.h"
#include "support/Handles.h"

#include <gdiplus.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

const CLSID kPngEncoder = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

class Skin : public duSkin {};
using SkinPtr = std::unique_ptr<Skin, duObjectDestroyer>;

bool WriteBytes(const std::wstring& path, const void* bytes, size_t size) {
    KernelHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD done = 0;
    return file && ::WriteFile(file.get(), bytes, DWORD(size), &done, nullptr) && done == size;
}

// A width x height picture with soft alpha edges, saved as PNG.
bool WritePicture(const std::wstring& path, int width, int height, int seed) {
    std::vector<DWORD> pixels(size_t(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int edge = std::min({x, y, width - 1 - x, height - 1 - y});
            BYTE a = BYTE(std::min(255, 64 + edge * 64));
            BYTE r = BYTE((x * 7 + seed * 40) % 256 * a / 255), g = BYTE((y * 5 + seed * 20) % 256 * a / 255);
            pixels[size_t(y) * width + x] = (DWORD(a) << 24) | (DWORD(r) << 16) | (DWORD(g) << 8) | (a / 2);
        }
    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppPARGB, reinterpret_cast<BYTE*>(pixels.data()),
                                  &bitmap) != Ok)
        return false;
    bool saved = GdipSaveImageToFile(bitmap, path.c_str(), &kPngEncoder, nullptr) == Ok;
    GdipDisposeImage(bitmap);
    return saved;
}

// A 32 x 32 cursor file (32-bit colour with an empty AND mask).
bool WriteCursor(const std::wstring& path) {
    std::string data;
    auto put16 = [&data](int v) { data += char(v & 0xFF); data += char((v >> 8) & 0xFF); };
    auto put32 = [&](int v) { put16(v & 0xFFFF); put16((v >> 16) & 0xFFFF); };
    const int image = 40 + 32 * 32 * 4 + 32 * 4;
    put16(0); put16(2); put16(1);
    data += char(32); data += char(32); data += '\0'; data += '\0';
    put16(4); put16(4); put32(image); put32(22);
    put32(40); put32(32); put32(64); put16(1); put16(32); put32(0); put32(32 * 32 * 4 + 32 * 4);
    put32(0); put32(0); put32(0); put32(0);
    for (int i = 0; i < 32 * 32; ++i) put32(i % 33 < 8 ? int(0xFF000000) : 0);
    data.append(32 * 4, '\0');
    return WriteBytes(path, data.data(), data.size());
}

std::string Utf16WithMark(const std::wstring& text) {
    std::string out = "\xFF\xFE";
    out.append(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    return out;
}

std::wstring ThemeDocument() {
    std::wstring xml = L"<?xml version=\"1.0\" encoding=\"utf-16\"?>\r\n<directui version=\"1.0\">\r\n<theme name=\"bench\">\r\n<dsfont>\r\n";
    for (int i = 0; i < 29; ++i)
        xml += L"<font name=\"font" + std::to_wstring(i) + L"\" height=\"-" + std::to_wstring(12 + i % 6) +
               L"\" weight=\"" + (i % 3 ? L"400" : L"700") + L"\" fontface=\"微软雅黑\"/>\r\n";
    xml += L"</dsfont>\r\n<dscursor><cursor name=\"hand\" value=\"cur_hand.pcur\"/></dscursor>\r\n<dsimage>\r\n";
    for (int i = 0; i < 16; ++i)
        xml += L"<image name=\"pic" + std::to_wstring(i) + L"\" value=\"pic" + std::to_wstring(i) + L".png\"/>\r\n";
    xml += L"</dsimage>\r\n<dsstyle>\r\n";
    const wchar_t* modes[] = {L"normal", L"stretch", L"tile", L"stretchvert", L"stretchhorz", L"stretchpartall"};
    const wchar_t* states[] = {L"normal", L"over", L"press", L"focus", L"disable",
                               L"checked", L"checkedover", L"checkedpress", L"checkedfocus", L"checkeddisable"};
    for (int s = 0; s < 39; ++s) {
        xml += L"<style name=\"style" + std::to_wstring(s) + L"\">\r\n";
        if (s % 4 == 0) {  // check-box like: one cell per state, then the text
            for (int k = 0; k < 10; ++k)
                xml += std::wstring(L"<image state=\"") + states[k] + L"\" picfile=\"pic3\" selectleft=\"" +
                       std::to_wstring(k * 20) + L"\" selecttop=\"0\" selectwidth=\"20\" selectheight=\"20\" width=\"20\" height=\"20\" paintmode=\"normal\"/>\r\n";
            xml += L"<text state=\"all\" left=\"30\" font=\"font1\" textcolor=\"RGB(51,51,51)\" valign=\"center\"/>\r\n";
        } else {
            xml += std::wstring(L"<image state=\"all\" picfile=\"pic") + std::to_wstring(s % 16) + L"\" paintmode=\"" +
                   modes[s % 6] + L"\" left_part=\"5\" right_part=\"5\" top_part=\"5\" bottom_part=\"5\"/>\r\n";
            if (s % 3 == 0)
                xml += L"<rect state=\"all\" left=\"10\" top=\"10\" right=\"-10\" bottom=\"-10\" bfill=\"true\" fillcolor=\"RGB(240,244,250)\" bborder=\"true\" bordercolor=\"RGB(200,200,200)\"/>\r\n";
            if (s % 5 == 0)
                xml += L"<line state=\"all\" color=\"RGB(220,220,220)\" linewidth=\"1\" startpoint=\"(15,-1)\" endpoint=\"(-15,-1)\"/>\r\n";
            xml += L"<text state=\"all\" font=\"font" + std::to_wstring(s % 29) +
                   L"\" textcolor=\"RGB(255,255,255)\" halign=\"center\" valign=\"center\"/>\r\n";
        }
        xml += L"</style>\r\n";
    }
    xml += L"</dsstyle>\r\n<dsrgn/>\r\n</theme>\r\n<ducontrol/>\r\n</directui>\r\n";
    return xml;
}

// Best of `rounds` timings of fn, in milliseconds.
double BestMs(int rounds, const std::function<void()>& fn) {
    double best = 1e30;
    for (int i = 0; i < rounds; ++i) {
        auto start = std::chrono::steady_clock::now();
        fn();
        best = std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

}  // namespace

int main() {
    GdiplusSession gdiplus;
    if (!gdiplus.ok()) return 1;
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"kestrane-skin-bench-" + std::to_wstring(::GetCurrentProcessId()) + L"\\";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    // Sizes like an installer skin's: background cells, buttons, check-box
    // strips, banners, icons.
    const SIZE sizes[16] = {{32, 32}, {600, 316}, {96, 26}, {200, 20}, {40, 300}, {90, 30}, {16, 16}, {300, 60},
                            {48, 48}, {120, 30}, {10, 10}, {610, 60}, {24, 24}, {64, 200}, {32, 32}, {150, 36}};
    for (int i = 0; i < 16; ++i)
        if (!WritePicture(folder + L"pic" + std::to_wstring(i) + L".png", sizes[i].cx, sizes[i].cy, i)) return 1;
    if (!WriteCursor(folder + L"cur_hand.pcur")) return 1;
    std::string document = Utf16WithMark(ThemeDocument());
    if (!WriteBytes(folder + L"config.xml", document.data(), document.size())) return 1;
    const std::wstring config = folder + L"config.xml";

    int images = 0, styles = 0, fonts = 0;
    double load = BestMs(10, [&] {
        SkinPtr skin(new Skin());
        if (!skin->LoadSkin(config.c_str())) std::exit(1);
        images = skin->GetResManager()->GetResObjCount(RES_IMAGE);
        styles = skin->GetResManager()->GetResObjCount(RES_STYLE);
        fonts = skin->GetResManager()->GetResObjCount(RES_FONT);
    });

    // Reference for the load: GDI+ decoding the same 16 files and nothing else.
    double decode = BestMs(10, [&] {
        for (int i = 0; i < 16; ++i) {
            GpImage* image = nullptr;
            if (GdipLoadImageFromFile((folder + L"pic" + std::to_wstring(i) + L".png").c_str(), &image) == Ok) {
                UINT width = 0;
                GdipGetImageWidth(image, &width);
                GdipDisposeImage(image);
            }
        }
    });

    SkinPtr skin(new Skin());
    if (!skin->LoadSkin(config.c_str())) return 1;
    duResManager* manager = skin->GetResManager();
    BYTE* bits = nullptr;
    BitmapHandle dib(CreateDib32(610, 410, &bits));
    MemoryDc dc(::CreateCompatibleDC(nullptr));
    SelectGuard select(dc.get(), dib.get());
    const RECT all = {0, 0, 610, 410};
    auto drawAll = [&] {
        for (int i = 0; i < manager->GetResObjCount(RES_STYLE); ++i)
            static_cast<duStyleGroup*>(manager->GetResObjByIndex(i, RES_STYLE))
                ->DrawStyle(dc.get(), &all, STATE_ALL, L"Kestrane 安装", 255);
        ::GdiFlush();
    };
    drawAll();  // warm-up: font caches
    double draw = BestMs(10, drawAll);
    if (std::getenv("SKIN_BENCH_DETAIL"))
        for (int i = 0; i < manager->GetResObjCount(RES_STYLE); ++i) {
            auto* group = static_cast<duStyleGroup*>(manager->GetResObjByIndex(i, RES_STYLE));
            double ms = BestMs(3, [&] { group->DrawStyle(dc.get(), &all, STATE_ALL, L"Kestrane 安装", 255); ::GdiFlush(); });
            std::printf("  %ls %.3f ms\n", group->GetName(), ms);
        }

    BrushHandle brush(::CreateSolidBrush(RGB(40, 80, 120)));
    double fill = BestMs(50, [&] {
        ::FillRect(dc.get(), &all, brush.get());
        ::GdiFlush();
    });
    auto* banner = static_cast<duImage*>(manager->CreateResObj(L"full", RES_IMAGE));
    banner->CreateBlank(610, 410);
    double blend = BestMs(50, [&] {
        PaintStretch(dc.get(), all, banner, all, 255);
        ::GdiFlush();
    });
    banner->Destroy();

    std::printf("skin: load theme (%d pictures, %d styles, %d fonts, 1 cursor) %.2f ms; "
                "draw all %d styles into 610x410 %.2f ms (%.3f ms per style)\n",
                images, styles, fonts, load, styles, draw, draw / std::max(styles, 1));
    std::printf("skin: reference in the same run: GDI+ decoding the 16 PNG files alone %.2f ms (load = %.1f x decode)\n",
                decode, load / decode);
    std::printf("skin: reference in the same run: GDI FillRect of the DIB %.3f ms, one 610x410 AlphaBlend %.3f ms; "
                "draw-all = %.1f fills = %.1f full blends (best of 10/50)\n",
                fill, blend, draw / fill, draw / blend);

    skin.reset();
    for (int i = 0; i < 16; ++i) ::DeleteFileW((folder + L"pic" + std::to_wstring(i) + L".png").c_str());
    ::DeleteFileW((folder + L"cur_hand.pcur").c_str());
    ::DeleteFileW(config.c_str());
    ::RemoveDirectoryW(folder.c_str());
    return (images == 16 && styles == 39) ? 0 : 1;
}
