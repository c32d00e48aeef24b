// Paint cost of the installer's own window (the real skin, Setup page with its
// package rows, 610x410 at 100 %): one full paint and one single-control
// redraw, against presenting and blending alone in the same run.
// Usage: bench_ctrl [--profile | --dump PATH]. "--profile" first prints where
// a full paint and a redraw spend their time; "--dump PATH" writes the window
// image's raw pixels after a full paint, redraws and the focus ring (PATH.full,
// .redrawn, .ring, .ring-full) to compare two builds' drawings byte for byte.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "bench/InstallerSetupPage.h"
#include "dulib/ctrl/AccessibleModel.h"
#include "dulib/ctrl/Engine.h"
#include "dulib/ctrl/WindowAccess.h"
#include "dulib/ctrl/WindowHost.h"
#include "dulib/res/Dib32.h"
#include "dulib/res/Painters.h"
#include "dulib/res/duStyleGroup.h"

namespace {

double Now() {
    static LARGE_INTEGER freq = [] { LARGE_INTEGER f; ::QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
}

// Median over `rounds` of the mean time of `per` calls, in ms.
template <typename F>
double MedianMs(int rounds, int per, F&& f) {
    std::vector<double> each;
    for (int r = 0; r < rounds; ++r) {
        const double start = Now();
        for (int i = 0; i < per; ++i) f();
        each.push_back((Now() - start) / per);
    }
    std::sort(each.begin(), each.end());
    return each[each.size() / 2];
}

// One measured operation: `per` calls make one sample (the mean per call).
struct Measure {
    Measure(int calls, std::function<void()> f) : per(calls), run(std::move(f)) {}
    int per;
    std::function<void()> run;
    std::vector<double> samples;
    double Median() {
        std::sort(samples.begin(), samples.end());
        return samples.empty() ? 0 : samples[samples.size() / 2];
    }
};

// The measures take turns, round after round, so that whatever else the
// machine does weighs on all of them alike.
void TakeTurns(int rounds, std::initializer_list<Measure*> measures) {
    for (int r = 0; r < rounds; ++r) {
        for (Measure* m : measures) {
            const double start = Now();
            for (int i = 0; i < m->per; ++i) m->run();
            m->samples.push_back((Now() - start) / m->per);
        }
    }
}

void Profile(WindowHost* host, duPlugin* button) {
    HWND hwnd = host->GetHwnd();
    RECT client{};
    ::GetClientRect(hwnd, &client);
    const int w = client.right, h = client.bottom;
    const auto& order = host->GetZorderList().PaintOrder();
    constexpr int kRuns = 20;

    double image = 0, walk = 0, afterPaint = 0, present = 0, total = 0;
    std::map<std::wstring, double> byType;
    std::map<std::wstring, double> byPlugin;
    std::map<int, double> byItem;  // style item kind
    int painted = 0;
    for (int run = 0; run < kRuns; ++run) {
        const double t0 = Now();
        BYTE* bits = nullptr;
        BitmapHandle target(CreateDib32(w, h, &bits));
        MemoryDc dc(::CreateCompatibleDC(nullptr));
        SelectGuard select(dc.get(), target.get());
        const double t1 = Now();
        image += t1 - t0;
        std::vector<std::pair<duPlugin*, RECT>> shown;
        for (duPlugin* p : order) {
            if (!IsValidPlugin(p) || !IsPluginShown(p)) continue;
            RECT visible = GetVisibleRect(p);
            if (::IsRectEmpty(&visible)) continue;
            shown.emplace_back(p, visible);
        }
        const double t2 = Now();
        walk += t2 - t1;
        painted = static_cast<int>(shown.size());
        for (auto& s : shown) {
            const double a = Now();
            host->DispatchEvent(s.first, EVENT_PAINT, reinterpret_cast<WPARAM>(dc.get()),
                                reinterpret_cast<LPARAM>(&s.second));
            const double b = Now() - a;
            byType[s.first->GetType()] += b;
            byPlugin[s.first->GetName()[0] ? s.first->GetName() : s.first->GetType()] += b;
        }
        const double t3 = Now();
        host->Access().AfterPaint(dc.get(), client, nullptr);
        const double t4 = Now();
        afterPaint += t4 - t3;
        {
            RECT wr{};
            ::GetWindowRect(hwnd, &wr);
            POINT dst{wr.left, wr.top}, src{0, 0};
            SIZE size{w, h};
            BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
            WindowDc screen(nullptr);
            ::UpdateLayeredWindow(hwnd, screen.get(), &dst, &size, dc.get(), &src, 0, &blend, ULW_ALPHA);
        }
        const double t5 = Now();
        present += t5 - t4;
        total += t5 - t0;
    }
    // What each style item kind costs, drawn alone into a picture of its
    // control's size.
    BYTE* bits = nullptr;
    BitmapHandle scratch(CreateDib32(w, h, &bits));
    MemoryDc sdc(::CreateCompatibleDC(nullptr));
    SelectGuard sselect(sdc.get(), scratch.get());
    for (int run = 0; run < kRuns; ++run) {
        for (duPlugin* p : order) {
            if (!IsValidPlugin(p) || !IsPluginShown(p)) continue;
            RECT visible = GetVisibleRect(p);
            if (::IsRectEmpty(&visible)) continue;
            duStyleGroup* group = p->GetStyleGroup(p->GetStyle());
            if (!group) continue;
            RECT local = p->LocalRect();
            for (int i = 0; i < group->GetStyleCount(); ++i) {
                duStyleBase* item = group->GetStyleItem(i);
                if (!(item->GetState() & p->GetState())) continue;
                const double a = Now();
                item->Draw(sdc.get(), &local, p->GetText(), p->GetAlpha(), host->Scale());
                byItem[item->GetStyleType()] += Now() - a;
            }
        }
    }
    std::printf("profile: full paint of the Setup page, %d plugins painted of %zu, mean of %d:\n", painted,
                order.size(), kRuns);
    std::printf("profile:   total %.2f ms = new window image %.2f + tree walk %.2f + plugin draws %.2f + after-paint "
                "(focus ring, accessibility) %.2f + present %.2f\n",
                total / kRuns, image / kRuns, walk / kRuns,
                (total - image - walk - afterPaint - present) / kRuns, afterPaint / kRuns, present / kRuns);
    for (auto& t : byType) std::printf("profile:   by type %-12ls %.3f ms\n", t.first.c_str(), t.second / kRuns);
    std::vector<std::pair<double, std::wstring>> top;
    for (auto& p : byPlugin) top.emplace_back(p.second / kRuns, p.first);
    std::sort(top.rbegin(), top.rend());
    for (size_t i = 0; i < top.size() && i < 10; ++i)
        std::printf("profile:   plugin %-28ls %.3f ms\n", top[i].second.c_str(), top[i].first);
    const char* kinds[] = {"?", "image", "text", "rect", "line"};
    for (auto& k : byItem)
        std::printf("profile:   style items: %-6s %.3f ms (drawn alone)\n", kinds[k.first < 5 ? k.first : 0],
                    k.second / kRuns);

    // The root's cached picture: drawing it, and blending it onto the image.
    duPlugin* root = host->GetRoot();
    RECT rr{};
    root->GetRect(&rr);
    const double rootDraw = MedianMs(5, 10, [&] {
        BYTE* b = nullptr;
        BitmapHandle cache(CreateDib32(rr.right - rr.left, rr.bottom - rr.top, &b));
        MemoryDc cdc(::CreateCompatibleDC(nullptr));
        SelectGuard s(cdc.get(), cache.get());
        root->DrawObject(cdc.get());
    });
    const double rootBlend = MedianMs(5, 10, [&] {
        BlendBitmap(sdc.get(), 0, 0, w, h, root->GetCacheBitmap(), 0, 0, w, h, 255);
    });
    // What a full paint does with it: the image is new, so the picture is copied.
    const double rootCopy = MedianMs(5, 10, [&] {
        SelectGuard s(ScratchDc(), root->GetCacheBitmap());
        ::BitBlt(sdc.get(), 0, 0, w, h, ScratchDc(), 0, 0, SRCCOPY);
    });
    std::printf("profile:   root (cached): its picture drawn %.3f ms, blended onto the window image %.3f ms, copied "
                "onto it %.3f ms\n",
                rootDraw, rootBlend, rootCopy);

    // A single-control redraw, and its present alone.
    const double redraw = MedianMs(5, 40, [&] {
        button->SetState(button->GetState() == STATE_OVER ? STATE_NORMAL : STATE_OVER);
        RedrawPlugin(button, FALSE);
    });
    // Its parts, each alone: the button drawn onto a window-sized image as a
    // redraw draws it (clipped, at its place), the after-paint, the update.
    const RECT area = GetVisibleRect(button);
    RECT placed{};
    button->GetRect(&placed);
    const double buttonDraw = MedianMs(5, 40, [&] {
        const int saved = ::SaveDC(sdc.get());
        RegionHandle region(::CreateRectRgnIndirect(&area));
        ::SelectClipRgn(sdc.get(), region.get());
        ::SetViewportOrgEx(sdc.get(), placed.left, placed.top, nullptr);
        button->DrawObject(sdc.get());
        ::RestoreDC(sdc.get(), saved);
    });
    const double buttonAfter = MedianMs(5, 40, [&] { host->Access().AfterPaint(sdc.get(), area, button); });
    const double buttonPresent = MedianMs(5, 40, [&] {
        RECT wr{};
        ::GetWindowRect(hwnd, &wr);
        POINT dst{wr.left, wr.top}, src{0, 0};
        SIZE size{w, h};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        UPDATELAYEREDWINDOWINFO info{sizeof info, nullptr, &dst, &size, sdc.get(), &src, 0, &blend, ULW_ALPHA, &area};
        ::UpdateLayeredWindowIndirect(hwnd, &info);
    });
    std::printf("profile: single-control redraw %.3f ms: the button drawn %.3f + after-paint %.3f + its rectangle "
                "updated %.3f + the rest (where to start, clearing) %.3f ms\n",
                redraw, buttonDraw, buttonAfter, buttonPresent, redraw - buttonDraw - buttonAfter - buttonPresent);
    const double roles = MedianMs(5, 10, [&] { for (duPlugin* p : order) AccessibleRole(p); });
    const double names = MedianMs(5, 10, [&] { for (duPlugin* p : order) AccessibleName(host, p); });
    const double states = MedianMs(5, 10, [&] { for (duPlugin* p : order) AccessibleState(host, p); });
    const double kids = MedianMs(5, 10, [&] { for (duPlugin* p : order) AccessibleKids(p); });
    // Fixed costs Wine charges per call, whatever the pixels: what a plugin's
    // drawing pays before and around its first pixel.
    BYTE* tinyBits = nullptr;
    BitmapHandle tiny(CreateDib32(16, 16, &tinyBits));
    MemoryDc scratchDc(::CreateCompatibleDC(nullptr));
    const double dcMake = MedianMs(5, 200, [&] {
        MemoryDc d(::CreateCompatibleDC(sdc.get()));
        SelectGuard s(d.get(), tiny.get());
    });
    const double dcSelect = MedianMs(5, 200, [&] { SelectGuard s(scratchDc.get(), tiny.get()); });
    MemoryDc tinyDc(::CreateCompatibleDC(nullptr));
    SelectGuard tinySelect(tinyDc.get(), tiny.get());
    const BLENDFUNCTION opaqueBlend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    const double smallBlend = MedianMs(5, 200, [&] {
        ::AlphaBlend(sdc.get(), 10, 10, 16, 16, tinyDc.get(), 0, 0, 16, 16, opaqueBlend);
    });
    const double saveRestore = MedianMs(5, 200, [&] { ::RestoreDC(sdc.get(), ::SaveDC(sdc.get())); });
    const RECT box{10, 10, 110, 40};
    const double clipRegion = MedianMs(5, 200, [&] {
        RegionHandle region(::CreateRectRgnIndirect(&box));
        ::SelectClipRgn(sdc.get(), region.get());
        ::SelectClipRgn(sdc.get(), nullptr);
    });
    const double viewport = MedianMs(5, 200, [&] {
        ::SetViewportOrgEx(sdc.get(), 10, 10, nullptr);
        ::SetViewportOrgEx(sdc.get(), 0, 0, nullptr);
    });
    const double smallDib = MedianMs(5, 200, [&] {
        BYTE* b = nullptr;
        BitmapHandle dib(CreateDib32(100, 30, &b));
    });
    std::printf("profile: fixed costs per call: memory DC made and the picture selected %.4f ms (of which the selection in and out %.4f ms), 16x16 AlphaBlend "
                "%.4f ms, SaveDC+RestoreDC %.4f ms, clip region made+selected+cleared %.4f ms, viewport set+reset "
                "%.4f ms, 100x30 DIB made %.4f ms\n",
                dcMake, dcSelect, smallBlend, saveRestore, clipRegion, viewport, smallDib);
    std::printf("profile: accessibility over all %zu plugins, each state asking the system for the focus: roles %.3f, "
                "names %.3f, states %.3f, kids %.3f ms\n",
                order.size(), roles, names, states, kids);
}

}  // namespace

// The window image's pixels as raw bytes, to compare two builds' drawings.
bool DumpWindowImage(WindowHost* host, const char* path) {
    DIBSECTION ds{};
    if (::GetObjectW(host->GetWindowImage(), sizeof ds, &ds) != sizeof ds) return false;
    ::GdiFlush();
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    const size_t bytes = static_cast<size_t>(ds.dsBm.bmWidthBytes) * ds.dsBm.bmHeight;
    const bool ok = std::fwrite(ds.dsBm.bmBits, 1, bytes, f) == bytes;
    return std::fclose(f) == 0 && ok;
}

int main(int argc, char** argv) {
    const bool profile = argc > 1 && std::strcmp(argv[1], "--profile") == 0;
    const char* dump = argc > 2 && std::strcmp(argv[1], "--dump") == 0 ? argv[2] : nullptr;
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    InitEngine(instance);
    HWND hwnd = OpenInstallerSetupPage(instance);
    WindowHost* host = WindowHost::FromHwnd(hwnd);
    duPlugin* button = GetPluginByName(hwnd, L"StartSetupBtn");
    if (!host || !button) {
        std::fprintf(stderr, "ctrl: the installer's Setup page could not be opened\n");
        return 1;
    }
    RECT client{};
    ::GetClientRect(hwnd, &client);
    const int w = client.right, h = client.bottom;
    const size_t plugins = host->GetZorderList().PaintOrder().size();
    if (profile) Profile(host, button);
    if (dump) {
        // A full paint; then the start button hovered, pressed and left, each
        // redrawn alone; then the focus ring shown on the agreement box.
        host->PaintWindow(nullptr);
        std::string base(dump);
        bool ok = DumpWindowImage(host, (base + ".full").c_str());
        for (UINT state : {STATE_OVER, STATE_PRESS, STATE_NORMAL}) {
            button->SetState(state);
            RedrawPlugin(button, FALSE);
        }
        ok = ok && DumpWindowImage(host, (base + ".redrawn").c_str());
        ::SendMessageW(hwnd, WM_KEYDOWN, VK_TAB, 0);
        ok = ok && DumpWindowImage(host, (base + ".ring").c_str());
        host->PaintWindow(nullptr);
        ok = ok && DumpWindowImage(host, (base + ".ring-full").c_str());
        CloseInstallerSetupPage(hwnd);
        ReleaseEngine();
        return ok ? 0 : 1;
    }

    // References: presenting and blending a ready image of the window's size.
    BYTE* bits = nullptr;
    BitmapHandle image(CreateDib32(w, h, &bits));
    for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i) reinterpret_cast<DWORD*>(bits)[i] = 0xFF808080;
    MemoryDc dc(::CreateCompatibleDC(nullptr));
    SelectGuard select(dc.get(), image.get());
    BYTE* targetBits = nullptr;
    BitmapHandle target(CreateDib32(w, h, &targetBits));
    MemoryDc targetDc(::CreateCompatibleDC(nullptr));
    SelectGuard selectTarget(targetDc.get(), target.get());
    RECT wr;
    ::GetWindowRect(hwnd, &wr);
    POINT dst{wr.left, wr.top}, src{0, 0};
    SIZE size{w, h};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    const RECT dirty = GetVisibleRect(button);

    Measure full{20, [&] { host->PaintWindow(nullptr); }};
    // The start button under the pointer and away again: one control changes
    // and is redrawn.
    Measure single{50, [&] {
        button->SetState(button->GetState() == STATE_OVER ? STATE_NORMAL : STATE_OVER);
        RedrawPlugin(button, FALSE);
    }};
    Measure present{20, [&] {
        WindowDc screen(nullptr);
        ::UpdateLayeredWindow(hwnd, screen.get(), &dst, &size, dc.get(), &src, 0, &blend, ULW_ALPHA);
    }};
    // What a redraw presents: the window image with only the button's
    // rectangle marked as changed.
    Measure presentDirty{50, [&] {
        WindowDc screen(nullptr);
        UPDATELAYEREDWINDOWINFO info{sizeof info, screen.get(), &dst, &size, dc.get(), &src, 0, &blend, ULW_ALPHA,
                                     &dirty};
        ::UpdateLayeredWindowIndirect(hwnd, &info);
    }};
    // What Wine charges for any update, however small the dirty rectangle.
    const RECT pixel{dirty.left, dirty.top, dirty.left + 1, dirty.top + 1};
    Measure presentPixel{50, [&] {
        WindowDc screen(nullptr);
        UPDATELAYEREDWINDOWINFO info{sizeof info, screen.get(), &dst, &size, dc.get(), &src, 0, &blend, ULW_ALPHA,
                                     &pixel};
        ::UpdateLayeredWindowIndirect(hwnd, &info);
    }};
    Measure alphaBlend{20, [&] { ::AlphaBlend(targetDc.get(), 0, 0, w, h, dc.get(), 0, 0, w, h, blend); }};
    constexpr int kRounds = 15;
    TakeTurns(kRounds, {&full, &single, &present, &presentDirty, &presentPixel, &alphaBlend});

    std::printf("ctrl: installer window, Setup page (%zu plugins), %dx%d: full paint %.2f ms, start button redraw "
                "%.3f ms; same run: bare UpdateLayeredWindow %.2f ms, with the button's rectangle as dirty "
                "rectangle %.3f ms, with a one-pixel dirty rectangle %.3f ms, bare full-size AlphaBlend %.2f ms (medians "
                "of %d rounds taken in turns)\n",
                plugins, w, h, full.Median(), single.Median(), present.Median(), presentDirty.Median(),
                presentPixel.Median(), alphaBlend.Median(), kRounds);
    std::printf("row\tpaint\t%.2f ms (installer window, Setup page)\tpresent %.2f + blend %.2f ms\t%.3f\n",
                full.Median(), present.Median(), alphaBlend.Median(),
                full.Median() / (present.Median() + alphaBlend.Median()));
    std::printf("row\tredraw\t%.3f ms (start button)\tdirty-rectangle present %.3f ms\t%.3f\n", single.Median(),
                presentDirty.Median(), single.Median() / presentDirty.Median());
    CloseInstallerSetupPage(hwnd);
    ReleaseEngine();
    return 0;
}
