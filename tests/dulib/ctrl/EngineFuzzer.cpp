#include "tests/dulib/ctrl/EngineFuzzer.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <sstream>

#include "dulib/ctrl/Engine.h"
#include "dulib/ctrl/duEdit.h"
#include "dulib/ctrl/duListBoxEx.h"
#include "dulib/ctrl/duScroll.h"

namespace guitest {

namespace {

// What a crash handler can still report.
unsigned g_seed = 0;
int g_step = -1;
std::deque<std::string> g_recent;

std::string Narrow(const std::wstring& w) {
    std::string out;
    for (wchar_t c : w) out += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
    if (out.size() > 40) out = out.substr(0, 40) + "...";
    return out;
}

std::string Describe(duPlugin* p) {
    if (!p) return "(none)";
    if (!IsValidPlugin(p)) return "(dead)";
    return Narrow(p->GetType()) + " '" + Narrow(p->GetName()) + "'";
}

// Pre-order walk; false when a link loops or leaves the window.
void CollectTree(duPlugin* root, std::vector<duPlugin*>* out) {
    std::vector<duPlugin*> stack{root};
    while (!stack.empty() && out->size() < 100000) {
        duPlugin* p = stack.back();
        stack.pop_back();
        out->push_back(p);
        std::vector<duPlugin*> children;
        for (duPlugin* c = p->GetFirstChild(); c && children.size() < 100000; c = c->GetNextSibling())
            children.push_back(c);
        stack.insert(stack.end(), children.rbegin(), children.rend());
    }
}

}  // namespace

// --- invariants ------------------------------------------------------------------

std::string CheckInvariants(HWND hwnd) {
    WindowHost* host = WindowHost::FromHwnd(hwnd);
    if (!host) return std::string();  // no window, nothing to hold
    std::ostringstream bad;
    duPlugin* root = host->GetRoot();
    if (!IsValidPlugin(root)) return "the root is not a live plugin";

    // Tree links.
    std::set<duPlugin*> tree;
    std::vector<duPlugin*> stack{root};
    if (root->GetParent()) bad << "the root has a parent; ";
    while (!stack.empty()) {
        duPlugin* p = stack.back();
        stack.pop_back();
        if (!IsValidPlugin(p)) {
            bad << "a dead plugin is linked in the tree; ";
            break;
        }
        if (!tree.insert(p).second) {
            bad << Describe(p) << " is reached twice; ";
            break;
        }
        if (p->GetHwnd() != hwnd) bad << Describe(p) << " names another window; ";
        duPlugin* previous = nullptr;
        int n = 0;
        for (duPlugin* c = p->GetFirstChild(); c; c = c->GetNextSibling()) {
            if (++n > 100000) {
                bad << "the children of " << Describe(p) << " loop; ";
                break;
            }
            if (!IsValidPlugin(c)) {
                bad << "a dead child under " << Describe(p) << "; ";
                break;
            }
            if (c->GetParent() != p) bad << Describe(c) << " has the wrong parent; ";
            if (c->GetPreSibling() != previous) bad << Describe(c) << " has the wrong previous sibling; ";
            previous = c;
            stack.push_back(c);
        }
        if (p->GetLastChild() != previous) bad << Describe(p) << " has the wrong last child; ";
    }
    if (!bad.str().empty()) return bad.str();

    // Name map and z-order list: live plugins of this tree, and every named
    // plugin of the tree findable.
    for (const auto& entry : host->GetNameMap()) {
        duPlugin* p = entry.second;
        if (!IsValidPlugin(p) || !tree.count(p)) {
            bad << "the name map keeps '" << Narrow(entry.first) << "' for a plugin that is gone; ";
            continue;
        }
        if (entry.first != p->GetName()) bad << "the name map's '" << Narrow(entry.first) << "' is now called '"
                                             << Narrow(p->GetName()) << "'; ";
    }
    std::set<duPlugin*> levels;
    for (duPlugin* p : host->GetZorderList().PaintOrder()) {
        if (!IsValidPlugin(p) || !tree.count(p)) bad << "the z-order list keeps a plugin that is gone; ";
        levels.insert(p);
    }
    for (duPlugin* p : tree) {
        if (!levels.count(p)) bad << Describe(p) << " is missing from the z-order list; ";
        const wchar_t* name = p->GetName();
        if (name && name[0] && !host->GetPluginByName(name)) bad << Describe(p) << " cannot be found by name; ";
    }

    // Focus, hot and capture.
    auto live = [&](duPlugin* p, const char* role) {
        if (!p) return;
        if (!IsValidPlugin(p) || !tree.count(p)) bad << "the " << role << " plugin is gone; ";
        else if (!IsPluginShown(p)) bad << "the " << role << " plugin " << Describe(p) << " is not shown; ";
    };
    live(host->GetFocusPlugin(), "focus");
    live(host->GetHotPlugin(), "hot");
    live(host->GetCapturePlugin(), "capture");
    if (host->GetCapturePlugin() && ::GetCapture() != hwnd)
        bad << "the capture plugin " << Describe(host->GetCapturePlugin()) << " stands without the capture; ";
    for (duPlugin* p : tree) {
        if (p->IsFocus() && p != host->GetFocusPlugin())
            bad << Describe(p) << " believes it has the focus, " << Describe(host->GetFocusPlugin()) << " has it; ";
    }

    // The caret belongs to the focused edit.
    duEdit* focusEdit = dynamic_cast<duEdit*>(host->GetFocusPlugin());
    if (host->HasCaret() && !(focusEdit && focusEdit->OwnsCaret()))
        bad << "a caret exists while " << Describe(host->GetFocusPlugin()) << " has the focus; ";
    for (duPlugin* p : tree) {
        auto* edit = dynamic_cast<duEdit*>(p);
        if (edit && edit->OwnsCaret() && edit != host->GetFocusPlugin())
            bad << Describe(p) << " keeps a caret without the focus; ";
    }

    // Lists, timers, hooks.
    for (duPlugin* p : tree) {
        auto* list = dynamic_cast<duListBoxEx*>(p);
        if (!list) continue;
        for (duPlugin* row : {list->GetHotItem(), list->GetPressedItem(), list->GetSelectedItem()})
            if (row && (!IsValidPlugin(row) || row->GetParent() != list))
                bad << Describe(list) << " keeps a row that is not its own; ";
    }
    for (const auto& t : host->GetTimerMap())
        if (!IsValidPlugin(t.second) || !tree.count(t.second)) bad << "timer " << t.first << " names a dead plugin; ";
    for (duPlugin* h : host->GetMessageHooks())
        if (!IsValidPlugin(h) || !tree.count(h)) bad << "a message hook is gone; ";
    return bad.str();
}

// --- object counts ----------------------------------------------------------------

namespace {

// One entry of the GDI handle table the PEB points to (the same layout on
// Windows and Wine).
struct GdiHandleEntry {
    ULONGLONG object;
    USHORT processId;
    USHORT count;
    USHORT unique;
    BYTE type;
    BYTE flags;
    ULONGLONG user;
};
constexpr size_t kGdiTableOffset = 0xF8;  // PEB::GdiSharedHandleTable on x64

long GdiTableCensus() {
    using GetPeb = void*(WINAPI*)();
    auto getPeb = reinterpret_cast<GetPeb>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlGetCurrentPeb")));
    auto* peb = getPeb ? static_cast<BYTE*>(getPeb()) : nullptr;
    if (!peb) return -1;
    const auto* table = *reinterpret_cast<const GdiHandleEntry* const*>(peb + kGdiTableOffset);
    if (!table) return -1;
    // The kinds of object a program makes: DCs, regions, bitmaps, palettes,
    // fonts, brushes and pens. Wine keeps objects of its own in the same
    // table (type 9), which come and go with the window system.
    auto counted = [](BYTE type) { return type == 1 || type == 4 || type == 5 || type == 8 || type == 10 || type == 16; };
    const USHORT pid = static_cast<USHORT>(::GetCurrentProcessId());
    long n = 0;
    for (int i = 0; i < 65536; ++i)
        if (counted(table[i].type) && (table[i].processId == pid || table[i].processId == 0)) ++n;
    return n;
}

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM count) {
    // The thread's default IME window comes and goes with the system.
    wchar_t cls[32] = {};
    ::GetClassNameW(hwnd, cls, 32);
    if (_wcsicmp(cls, L"IME") != 0) ++*reinterpret_cast<long*>(count);
    ::EnumChildWindows(hwnd, CountWindow, count);
    return TRUE;
}

}  // namespace

GuiObjects CountGuiObjects() {
    GuiObjects n;
    n.gdi = static_cast<long>(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS));
    n.user = static_cast<long>(::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS));
    if (n.gdi == 0) n.gdi = GdiTableCensus();
    if (n.user == 0) ::EnumThreadWindows(::GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&n.user));
    return n;
}

// --- the run -------------------------------------------------------------------------

EngineFuzzer::EngineFuzzer(unsigned seed, double extremeShare, bool scaled)
    : seed_(seed), rng_(seed), extreme_(extremeShare), scaled_(scaled) {
    g_seed = seed;
    g_step = -1;
    g_recent.clear();
    SkinGrammar grammarA(seed, extremeShare), grammarB(seed ^ 0x5A5A5A5Au, extremeShare);
    generated_ = grammarA.Generate();
    SkinGrammar::Write(skinA_, generated_);
    if (std::getenv("KESTRANE_ROBUSTNESS_TRACE")) {
        const std::wstring& doc = generated_.document;
        const int n = ::WideCharToMultiByte(CP_UTF8, 0, doc.data(), static_cast<int>(doc.size()), nullptr, 0, nullptr, nullptr);
        std::string utf8(static_cast<size_t>(n), '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, doc.data(), static_cast<int>(doc.size()), utf8.data(), n, nullptr, nullptr);
        std::printf("seed %u skin:\n%s\n", seed, utf8.c_str());
    }
    SkinGrammar::Write(skinB_, grammarB.Generate());
}

EngineFuzzer::~EngineFuzzer() {
    thief_.reset();
    window_.reset();
    g_step = -1;
}

int EngineFuzzer::CurrentStep() { return g_step; }
unsigned EngineFuzzer::CurrentSeed() { return g_seed; }

std::string EngineFuzzer::RecentSteps() {
    std::string out;
    for (const std::string& s : g_recent) out += "  " + s + "\n";
    return out;
}

void EngineFuzzer::Log(const std::string& what) {
    // KESTRANE_ROBUSTNESS_TRACE set: every step is printed as it is taken, to
    // replay a seed that failed.
    static const bool trace = std::getenv("KESTRANE_ROBUSTNESS_TRACE") != nullptr;
    if (trace) {
        std::printf("seed %u step %d: %s\n", seed_, g_step, what.c_str());
        std::fflush(stdout);
    }
    g_recent.push_back(std::to_string(g_step) + ": " + what);
    if (g_recent.size() > 40) g_recent.pop_front();
}

bool EngineFuzzer::OpenWindow() {
    Log("open the window");
    window_.reset();
    window_ = std::make_unique<TestWindow>(skinA_, L"W");
    onSkinB_ = false;
    ++windowsOpened_;
    if (!window_->Ok()) return false;
    window_->onNotify = [this](duPlugin* p, const NotifyRecord& r) { OnNotify(p, r); };
    if (scaled_) ScaleStep();
    return true;
}

std::vector<duPlugin*> EngineFuzzer::Plugins() {
    std::vector<duPlugin*> all;
    WindowHost* host = window_ ? window_->Host() : nullptr;
    if (host && IsValidPlugin(host->GetRoot())) CollectTree(host->GetRoot(), &all);
    return all;
}

duPlugin* EngineFuzzer::AnyPlugin(bool withRoot) {
    std::vector<duPlugin*> all = Plugins();
    if (!withRoot && !all.empty()) all.erase(all.begin());
    if (all.empty()) return nullptr;
    return all[static_cast<size_t>(Between(0, static_cast<int>(all.size()) - 1))];
}

POINT EngineFuzzer::AnyPoint() {
    RECT rc{};
    ::GetClientRect(window_->Hwnd(), &rc);
    // Mostly on a control, sometimes anywhere, sometimes outside the window.
    if (Chance(0.6)) {
        if (duPlugin* p = AnyPlugin(false)) {
            RECT r;
            p->GetRect(&r);
            const int x = r.right > r.left ? Between(r.left, r.right - 1) : r.left;
            const int y = r.bottom > r.top ? Between(r.top, r.bottom - 1) : r.top;
            return POINT{std::max(-200, std::min(x, 2000)), std::max(-200, std::min(y, 2000))};
        }
    }
    if (Chance(0.15)) return POINT{Between(-100, rc.right + 100), Between(-100, rc.bottom + 100)};
    return POINT{Between(0, std::max<int>(rc.right - 1, 0)), Between(0, std::max<int>(rc.bottom - 1, 0))};
}

unsigned EngineFuzzer::AnyMods() {
    if (Chance(0.8)) return kNoMods;
    return static_cast<unsigned>(Between(1, 7));
}

std::wstring EngineFuzzer::AnyText() {
    static const std::vector<std::wstring> texts = {
        L"", L"a", L"Kestrane", L"安装目录", L"\xD840\xDC0B", L"x\r\ny", std::wstring(300, L'm'), L"C:\\Temp\\k"};
    return texts[static_cast<size_t>(Between(0, static_cast<int>(texts.size()) - 1))];
}

void EngineFuzzer::Drain() {
    // What was posted meanwhile runs (UI tasks, an Escape meant for a menu);
    // real pointer input and timers stay out, the run drives them itself.
    MSG m;
    for (int i = 0; i < 200 && ::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE); ++i) {
        if ((m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST) || m.message == WM_TIMER ||
            m.message == WM_MOUSELEAVE || m.message == WM_MOUSEHOVER)
            continue;
        ::TranslateMessage(&m);
        ::DispatchMessageW(&m);
    }
}

void EngineFuzzer::PointerStep() {
    TestWindow& w = *window_;
    const POINT p = AnyPoint();
    const unsigned mods = AnyMods();
    std::ostringstream what;
    switch (Between(0, 11)) {
    case 0:
    case 1:
    case 2:
        what << "move " << p.x << "," << p.y;
        Log(what.str());
        w.Move(p.x, p.y, mods);
        break;
    case 3:
        what << "down " << p.x << "," << p.y;
        Log(what.str());
        w.Down(p.x, p.y, mods);
        break;
    case 4:
        what << "up " << p.x << "," << p.y;
        Log(what.str());
        w.Up(p.x, p.y, mods);
        break;
    case 5:
        what << "click " << p.x << "," << p.y;
        Log(what.str());
        w.Click(p.x, p.y, mods);
        break;
    case 6:
        what << "double click " << p.x << "," << p.y;
        Log(what.str());
        w.DoubleClick(p.x, p.y);
        break;
    case 7:
        what << "right click " << p.x << "," << p.y;
        Log(what.str());
        // An edit answers with its popup menu, whose modal loop an Escape
        // waiting in the queue closes again.
        ::PostMessageW(w.Hwnd(), WM_KEYDOWN, VK_ESCAPE, 1);
        if (Chance(0.5)) w.RightClick(p.x, p.y);
        else if (Chance(0.5)) w.RightDown(p.x, p.y);
        else w.RightUp(p.x, p.y);
        break;
    case 8: {
        const int delta = 120 * Between(-3, 3) + (Chance(0.1) ? Between(-60, 60) : 0);
        what << "wheel " << delta;
        Log(what.str());
        w.Wheel(delta, p.x, p.y);
        break;
    }
    case 9:
        Log("pointer leaves the window");
        w.Send(WM_MOUSELEAVE);
        break;
    case 10:
        what << "hover " << p.x << "," << p.y;
        Log(what.str());
        w.Send(WM_MOUSEHOVER, 0, MAKELPARAM(p.x, p.y));
        break;
    default:
        if (!thief_) thief_ = std::make_unique<CaptureThief>();
        if (::GetCapture() == thief_->Hwnd()) {
            Log("the other window releases the capture");
            ::ReleaseCapture();
        } else if (Chance(0.5)) {
            Log("another window takes the capture");
            thief_->Steal();
        } else {
            Log("input cancelled (a message box)");
            w.Send(WM_CANCELMODE);
        }
        break;
    }
}

void EngineFuzzer::KeyStep() {
    TestWindow& w = *window_;
    static const UINT keys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME,  VK_END,   VK_DELETE, VK_INSERT,
                                VK_SPACE, VK_RETURN, VK_TAB, VK_ESCAPE, VK_BACK, 'A',     'Z',       VK_F4};
    if (Chance(0.5)) {
        const UINT vk = keys[Between(0, 15)];
        const unsigned mods = AnyMods();
        Log("key " + std::to_string(vk) + " mods " + std::to_string(mods));
        w.Key(vk, mods);
        return;
    }
    static const wchar_t chars[] = {L'a', L'7', L'-', L' ', L'安', 1, 3, 8, 0x16, 0x18, 0x1A, 0x7F, 0xD840, 0xDC0B, L'\r'};
    const wchar_t ch = chars[Between(0, 14)];
    Log("char " + std::to_string(static_cast<int>(ch)));
    if (Chance(0.1)) {
        w.Send(WM_UNICHAR, Chance(0.5) ? 0x2000B : UNICODE_NOCHAR);
    } else if (Chance(0.1)) {
        static const UINT clip[] = {WM_CUT, WM_COPY, WM_PASTE, WM_CLEAR};
        w.Send(clip[Between(0, 3)]);
    } else {
        w.Char(ch, Chance(0.3) ? kCtrl : kNoMods);
    }
}

void EngineFuzzer::TreeStep(bool fromHandler) {
    WindowHost* host = window_->Host();
    if (!host) return;
    duPlugin* p = AnyPlugin(false);
    switch (Between(0, 7)) {
    case 0:
        if (!p) return;
        Log(std::string(fromHandler ? "[handler] " : "") + "destroy " + Describe(p));
        p->Destroy();
        break;
    case 1:
    case 2: {
        if (!p) return;
        const BOOL show = Chance(0.5);
        Log(std::string(fromHandler ? "[handler] " : "") + (show ? "show " : "hide ") + Describe(p));
        SetPluginVisible(p, show);
        break;
    }
    case 3:
    case 4: {
        // A row cloned into a list from its template, as the application does.
        std::vector<duListBoxEx*> lists;
        for (duPlugin* q : Plugins())
            if (auto* l = dynamic_cast<duListBoxEx*>(q)) lists.push_back(l);
        if (lists.empty()) return;
        duListBoxEx* list = lists[static_cast<size_t>(Between(0, static_cast<int>(lists.size()) - 1))];
        duPlugin* templ = nullptr;
        for (duPlugin* c = list->GetFirstChild(); c; c = c->GetNextSibling())
            if (std::wstring(c->GetName()) == L"Row_") templ = c;
        if (!templ) return;
        Log(std::string(fromHandler ? "[handler] " : "") + "clone a row into " + Describe(list));
        duPlugin* row = ClonePlugin(templ, list, list->GetLastChild(), ++cloneIndex_);
        if (IsValidPlugin(row)) SetPluginVisible(row, TRUE);
        if (IsValidPlugin(list)) list->RefreshItems();
        break;
    }
    case 5: {
        // Any plugin cloned anywhere.
        duPlugin* parent = AnyPlugin(true);
        if (!p || !parent) return;
        Log(std::string(fromHandler ? "[handler] " : "") + "clone " + Describe(p) + " under " + Describe(parent));
        duPlugin* clone = ClonePlugin(p, parent, Chance(0.5) ? parent->GetLastChild() : nullptr, ++cloneIndex_);
        if (IsValidPlugin(clone) && Chance(0.7)) SetPluginVisible(clone, TRUE);
        break;
    }
    case 6: {
        duPlugin* parent = AnyPlugin(true);
        if (!p || !parent) return;
        Log(std::string(fromHandler ? "[handler] " : "") + "move " + Describe(p) + " under " + Describe(parent));
        AttachChild(p, parent, Chance(0.5) ? nullptr : parent->GetFirstChild() ? parent->GetFirstChild()->GetName() : nullptr);
        if (IsValidPlugin(parent)) MovePlugin(parent, nullptr);
        break;
    }
    default: {
        duPlugin* focus = AnyPlugin(true);
        const bool set = Chance(0.7);
        Log(std::string(fromHandler ? "[handler] " : "") + (set ? "focus to " : "focus taken from ") +
            Describe(set ? focus : host->GetFocusPlugin()));
        if (set) host->SetFocusPlugin(focus, TRUE);
        else host->SetFocusPlugin(host->GetFocusPlugin(), FALSE);
        break;
    }
    }
}

void EngineFuzzer::ControlStep() {
    duPlugin* p = AnyPlugin(true);
    if (!p) return;
    switch (Between(0, 9)) {
    case 0: {
        const BOOL disable = Chance(0.5);
        Log(std::string(disable ? "disable " : "enable ") + Describe(p));
        p->SetDisable(disable);
        if (Chance(0.5)) RedrawPlugin(p, FALSE);
        break;
    }
    case 1:
    case 2:
        Log("text of " + Describe(p));
        p->SetText(AnyText().c_str());
        if (Chance(0.5)) RedrawPlugin(p, FALSE);
        break;
    case 3: {
        const std::wstring& style =
            generated_.styleNames[static_cast<size_t>(Between(0, static_cast<int>(generated_.styleNames.size()) - 1))];
        Log("style of " + Describe(p) + " to '" + Narrow(style) + "'");
        p->SetStyle(style.c_str());
        if (Chance(0.5)) RedrawPlugin(p, Chance(0.5));
        break;
    }
    case 4:
        if (auto* edit = dynamic_cast<duEdit*>(p)) {
            Log("edit operations on " + Describe(p));
            // Each operation may run a handler that destroys the edit.
            edit->SetSel(Between(-2, 40), Between(-2, 40));
            if (IsValidPlugin(edit)) edit->ReplaceSel(AnyText().c_str(), Chance(0.5));
            if (IsValidPlugin(edit) && Chance(0.3)) edit->SetReadOnly(Chance(0.5));
            if (IsValidPlugin(edit) && Chance(0.3)) edit->SetLimitText(Between(-1, 50));
        } else if (auto* scroll = dynamic_cast<duScroll*>(p)) {
            Log("scroll values of " + Describe(p));
            scroll->SetMaxPos(Chance(0.1) ? INT_MAX : Between(-5, 600));
            scroll->SetPage(Chance(0.1) ? INT_MAX : Between(-5, 300));
            scroll->SetScrollPos(Chance(0.1) ? INT_MAX : Between(-5, 600));
            scroll->SetStep(Between(-1, 100));
            if (IsValidPlugin(p)) RedrawPlugin(p, FALSE);
        } else if (auto* list = dynamic_cast<duListBoxEx*>(p)) {
            duPlugin* row = AnyPlugin(false);
            Log("select " + Describe(row) + " in " + Describe(p));
            list->SetSelectedItem(row);
            RedrawPlugin(list, FALSE);
        } else if (auto* progress = dynamic_cast<duProgress*>(p)) {
            Log("progress of " + Describe(p));
            progress->SetPos(Chance(0.2) ? (Chance(0.5) ? INT_MAX : INT_MIN) : Between(-10, 120));
            RedrawPlugin(p, FALSE);
        } else if (auto* check = dynamic_cast<duCheckBox*>(p)) {
            Log("check " + Describe(p));
            check->SetCheck(Chance(0.5));
            RedrawPlugin(p, FALSE);
        } else if (auto* radio = dynamic_cast<duRadio*>(p)) {
            Log("check " + Describe(p));
            radio->SetCheck(Chance(0.5));
        }
        break;
    case 5:
        Log("redraw " + Describe(p));
        RedrawPlugin(p, Chance(0.5));
        break;
    case 6:
        Log("alpha of " + Describe(p));
        p->SetAlpha(Chance(0.2) ? INT_MAX : Between(-10, 300));
        break;
    case 7: {
        // A timer of the window elapses.
        WindowHost* host = window_->Host();
        std::vector<UINT> ids;
        for (const auto& t : host->GetTimerMap()) ids.push_back(t.first);
        if (host->GetCaretTimerId()) ids.push_back(host->GetCaretTimerId());
        if (ids.empty()) return;
        const UINT id = ids[static_cast<size_t>(Between(0, static_cast<int>(ids.size()) - 1))];
        Log("timer " + std::to_string(id));
        window_->Timer(id);
        break;
    }
    default:
        if (auto* list = dynamic_cast<duListBoxEx*>(p)) {
            Log("refresh " + Describe(p));
            list->RefreshItems();
        } else {
            Log("place " + Describe(p));
            MovePlugin(p, nullptr);
        }
        break;
    }
}

void EngineFuzzer::ScaleStep() {
    static const int kDpis[] = {96, 120, 144, 168, 192, 240};
    const int dpi = kDpis[Between(0, 5)];
    Log("display scale " + std::to_string(dpi) + " DPI");
    window_->ChangeDpi(dpi);
}

void EngineFuzzer::WindowStep() {
    TestWindow& w = *window_;
    if (scaled_ && Chance(0.3)) {
        ScaleStep();
        return;
    }
    switch (Between(0, 4)) {
    case 0: {
        const int cx = Chance(0.1) ? Between(0, 3) : Between(40, 700), cy = Chance(0.1) ? Between(0, 3) : Between(40, 500);
        Log("window size " + std::to_string(cx) + "x" + std::to_string(cy));
        ::SetWindowPos(w.Hwnd(), nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        break;
    }
    case 1:
        Log("full paint");
        w.FullPaint();
        break;
    case 2:
        Log("window repaint");
        ::InvalidateRect(w.Hwnd(), nullptr, FALSE);
        ::UpdateWindow(w.Hwnd());
        break;
    case 3: {
        onSkinB_ = !onSkinB_;
        Log(std::string("change of skin to ") + (onSkinB_ ? "B" : "A"));
        w.Manager()->ChangeSkin((onSkinB_ ? skinB_ : skinA_).File(L"config.xml").c_str());
        break;
    }
    default:
        Log(std::string("activation ") + (Chance(0.5) ? "on" : "off"));
        w.Send(WM_NCACTIVATE, Chance(0.5));
        break;
    }
}

void EngineFuzzer::OnNotify(duPlugin* plugin, const NotifyRecord& record) {
    if (handlerDepth_ >= 2 || !Chance(0.08)) return;
    ++handlerDepth_;
    std::ostringstream what;
    what << "[handler of " << record.code << " from " << Describe(plugin) << "]";
    Log(what.str());
    const int choice = Between(0, 9);
    if (choice == 0 && IsValidPlugin(plugin) && plugin->GetParent()) {
        Log("[handler] destroy the notifying plugin");
        plugin->Destroy();
    } else if (choice == 1 && IsValidPlugin(plugin) && plugin->GetParent() && plugin->GetParent()->GetParent()) {
        Log("[handler] destroy its parent");
        plugin->GetParent()->Destroy();
    } else if (choice == 2 && IsValidPlugin(plugin)) {
        Log("[handler] hide it");
        SetPluginVisible(plugin, FALSE);
    } else if (choice == 3) {
        const POINT p = AnyPoint();
        Log("[handler] nested pointer message");
        window_->Move(p.x, p.y);
    } else if (choice == 4 && Chance(0.05)) {
        Log("[handler] the window is closed");
        ::DestroyWindow(window_->Hwnd());
    } else {
        TreeStep(true);
    }
    --handlerDepth_;
}

void EngineFuzzer::Step() {
    const int kind = Between(0, 99);
    if (kind < 45) PointerStep();
    else if (kind < 60) KeyStep();
    else if (kind < 72) TreeStep(false);
    else if (kind < 92) ControlStep();
    else WindowStep();
}

FuzzOutcome EngineFuzzer::Run(int steps) {
    FuzzOutcome outcome;
    auto fail = [&](const std::string& why) {
        outcome.ok = false;
        std::ostringstream text;
        text << "seed " << seed_ << ", step " << g_step << ": " << why << "\nlast steps:\n" << RecentSteps();
        outcome.failure = text.str();
        return outcome;
    };
    for (g_step = 0; g_step < steps; ++g_step) {
        if (!window_ || !::IsWindow(window_->Hwnd())) {
            if (!OpenWindow()) return fail("the generated skin gave no window");
        }
        Step();
        Drain();
        outcome.steps = g_step + 1;
        if (window_ && ::IsWindow(window_->Hwnd())) {
            const std::string broken = CheckInvariants(window_->Hwnd());
            if (!broken.empty()) return fail(broken);
        }
    }
    thief_.reset();
    window_.reset();
    Drain();
    g_step = -1;
    return outcome;
}

}  // namespace guitest
