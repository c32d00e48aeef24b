#include "dulib/ctrl/duEdit.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "dulib/ctrl/EditClipboard.h"
#include "dulib/ctrl/EditPaint.h"
#include "dulib/ctrl/EngineOps.h"
#include "dulib/ctrl/PluginRegistry.h"
#include "dulib/ctrl/PluginTree.h"
#include "dulib/ctrl/WindowHost.h"
#include "dulib/ctrl/duPropertyGroup.h"
#include "dulib/res/AlphaText.h"
#include "dulib/res/duFont.h"
#include "dulib/res/duResManager.h"
#include "dulib/res/duStyleGroup.h"
#include "support/Handles.h"

namespace {

// Pointer coordinates of a mouse message (signed: they go negative under capture).
int PointerX(LPARAM lParam) { return static_cast<short>(LOWORD(lParam)); }
int PointerY(LPARAM lParam) { return static_cast<short>(HIWORD(lParam)); }

constexpr UINT kTrackMs = 100;

bool KeyDown(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

// Text for a single line: a paste stops at the first line break.
std::wstring FirstLine(const std::wstring& text) {
    const size_t end = text.find_first_of(L"\r\n");
    return end == std::wstring::npos ? text : text.substr(0, end);
}

// A memory DC on the screen with a font selected, for measuring.
class MeasureDc {
public:
    explicit MeasureDc(HFONT font) : dc_(CreateCompatibleDC(nullptr)), select_(dc_.get(), font) {}
    HDC get() const { return dc_.get(); }

private:
    MemoryDc dc_;
    SelectGuard select_;
};

}  // namespace

// --- creation -------------------------------------------------------------------

void duEdit::OnCreate() {
    selectColor_ = GetSysColor(COLOR_HIGHLIGHT);
    duPropertyGroup* props = GetPropertyGroup();
    if (!props) return;
    props->ReadInt("leftborder", &leftBorder_);
    props->ReadInt("topborder", &topBorder_);
    props->ReadInt("rightborder", &rightBorder_);
    props->ReadInt("bottomborder", &bottomBorder_);
    props->ReadText("font", font_, kPluginTextSize);
    props->ReadColor("textcolor", &textColor_);
    props->ReadColor("selectcolor", &selectColor_);
    props->ReadText("tiptext", tipText_, kPluginTextSize);
    props->ReadColor("tiptextcolor", &tipTextColor_);
    int flag = 0;
    props->ReadFlag("readonly", &flag);
    if (flag) editStyle_ |= ES_READONLY;
    flag = 0;
    props->ReadFlag("password", &flag);
    if (flag) editStyle_ |= ES_PASSWORD;
    flag = 0;
    props->ReadFlag("number", &flag);
    if (flag) editStyle_ |= ES_NUMBER;
}

void duEdit::OnInitialized() {
    model_.readOnly = IsReadOnly();
    model_.password = IsPassword();
    model_.number = IsNumber();
    SetCached(TRUE);
    timerId_ = NewTimerId();
    if (WindowHost* host = GetHost()) host->AddMessageHook(this);
    model_.ResetUndo();
    UpdateMetrics();
    ComputeTextLine();
    std::wstring initial;
    if (duPropertyGroup* props = GetPropertyGroup()) props->ReadString("text", &initial);
    model_.SetText(initial);
    first_ = 0;
}

HFONT duEdit::Font() {
    if (font_[0]) {
        if (duResManager* res = GetResManager()) {
            if (auto* font = dynamic_cast<duFont*>(res->GetResObj(font_, RES_FONT))) {
                if (HFONT scaled = font->GetHFontForDpi(Scale().Dpi())) return scaled;
            }
        }
    }
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void duEdit::UpdateMetrics() {
    MeasureDc dc(Font());
    TEXTMETRICW tm{};
    if (dc.get() && GetTextMetricsW(dc.get(), &tm)) {
        fontHeight_ = tm.tmHeight;
        averageWidth_ = tm.tmAveCharWidth;
    } else {
        fontHeight_ = 16;
        averageWidth_ = 7;
    }
}

void duEdit::ComputeTextLine() {
    const RECT r = LocalRect();
    const DpiScale scale = Scale();
    const int width = std::max<int>(r.right, averageWidth_);
    const int height = std::min<int>(fontHeight_, r.bottom);
    const int top = scale.Point(topBorder_);
    line_ = RECT{scale.Point(leftBorder_), top, width - scale.Point(rightBorder_), height + top};
    InvalidateCache();
}

void duEdit::Resize(const RECT* parentRect) {
    duPlugin::Resize(parentRect);
    UpdateMetrics();
    ComputeTextLine();
}

void duEdit::RefreshFont() {
    UpdateMetrics();
    ComputeTextLine();
    if (!focused_) return;
    if (WindowHost* host = GetHost()) {
        host->CreateCaret(CaretWidth(), fontHeight_);
        UpdateCaret();
        host->ShowCaret();
    }
}

int duEdit::CaretWidth() { return Scale().Thickness(1); }

void duEdit::SetLeftBorder(int v) { leftBorder_ = v; ComputeTextLine(); }
void duEdit::SetTopBorder(int v) { topBorder_ = v; ComputeTextLine(); }
void duEdit::SetRightBorder(int v) { rightBorder_ = v; ComputeTextLine(); }

// --- measuring --------------------------------------------------------------------

void duEdit::MeasureShown(std::wstring* shown, std::vector<int>* extents, std::vector<int>* xAt) {
    *shown = model_.DisplayText();
    const int n = static_cast<int>(shown->size());
    extents->assign(n + 1, 0);
    if (n > 0) {
        MeasureDc dc(Font());
        SIZE size{};
        GetTextExtentExPointW(dc.get(), shown->c_str(), n, INT_MAX, nullptr, extents->data() + 1, &size);
    }
    if (!xAt) return;
    const int length = model_.Length();
    xAt->assign(length + 1, 0);
    int shownIndex = 0;
    for (int i = 0; i < length;) {
        const int next = model_.NextCharIndex(i);
        (*xAt)[i] = (*extents)[shownIndex];
        for (int j = i + 1; j < next; ++j) (*xAt)[j] = (*xAt)[i];
        shownIndex = std::min(n, shownIndex + (model_.password ? 1 : next - i));
        i = next;
    }
    (*xAt)[length] = (*extents)[shownIndex];
}

int duEdit::LocalXOf(int index, const std::vector<int>& xAt) {
    const int last = static_cast<int>(xAt.size()) - 1;
    return line_.left + xAt[std::max(0, std::min(index, last))] - xAt[std::max(0, std::min(first_, last))];
}

// Nearest character boundary to a local x; at an exact half-character point
// the earlier boundary wins. With `under` the boundary before the character
// under the point is chosen instead (double-click picks that character).
int duEdit::NearestIndex(int localX, bool under) {
    std::wstring shown;
    std::vector<int> extents, xAt;
    MeasureShown(&shown, &extents, &xAt);
    int best = 0;
    int bestDistance = INT_MAX;
    for (int i = 0;; i = model_.NextCharIndex(i)) {
        const int x = LocalXOf(i, xAt);
        if (under) {
            if (x <= localX || i == 0) best = i;
            else break;
        } else {
            const int distance = std::abs(x - localX);
            if (distance < bestDistance) {
                bestDistance = distance;
                best = i;
            }
        }
        if (i >= model_.Length()) break;
    }
    if (under && best >= model_.Length() && best > 0) best = model_.PrevCharIndex(best);
    return best;
}

int duEdit::CharFromPos(int x) {
    RECT r;
    GetRect(&r);
    return NearestIndex(x - r.left, false);
}

void duEdit::PosFromChar(int index, POINT* out) {
    if (!out) return;
    std::wstring shown;
    std::vector<int> extents, xAt;
    MeasureShown(&shown, &extents, &xAt);
    RECT r;
    GetRect(&r);
    index = model_.SnapIndex(std::max(0, std::min(index, model_.Length())));
    out->x = r.left + LocalXOf(index, xAt);
    out->y = r.top + line_.top;
}

POINT duEdit::ClampToLine(int x, int y) {
    RECT r;
    GetRect(&r);
    POINT p{x - r.left, y - r.top};
    p.x = std::max<LONG>(line_.left, std::min<LONG>(p.x, line_.right - 1));
    p.y = std::max<LONG>(line_.top, std::min<LONG>(p.y, line_.bottom - 1));
    return p;
}

// --- text operations --------------------------------------------------------------

void duEdit::SetText(const wchar_t* text) {
    model_.SetText(text ? text : L"");
    first_ = 0;
    InvalidateCache();
    UpdateCaret();
    NotifyUser(this, DUM_EDITCHANGE, 0, 0);
}

void duEdit::SetTipText(const wchar_t* text) {
    CopyPluginText(tipText_, text);
    InvalidateCache();
}

DWORD duEdit::GetSel() { return MAKELONG(model_.SelStart(), model_.SelEnd()); }

void duEdit::SetLimitText(int limit) { model_.SetLimit(limit); }

void duEdit::ReplaceSel(const wchar_t* text, BOOL canUndo) {
    if (model_.ReplaceSel(text ? text : L"", canUndo != FALSE)) AfterChange();
}

void duEdit::SetReadOnly(BOOL readOnly) {
    if (readOnly) editStyle_ |= ES_READONLY;
    else editStyle_ &= ~static_cast<DWORD>(ES_READONLY);
    model_.readOnly = readOnly != FALSE;
}

void duEdit::SetNumber(BOOL number) {
    if (number) editStyle_ |= ES_NUMBER;
    else editStyle_ &= ~static_cast<DWORD>(ES_NUMBER);
    model_.number = number != FALSE;
}

void duEdit::SetSel(int start, int end) {
    model_.SetSel(start, end);
    KeepCaretVisible();
}

void duEdit::SelectAll() {
    model_.SelectAll();
    KeepCaretVisible();
}

void duEdit::Copy() {
    // A password never leaves the edit.
    if (IsPassword() || !model_.HasSelection()) return;
    PutClipboardText(GetHwnd(), model_.SelectedText());
}

void duEdit::Paste() {
    if (IsReadOnly()) return;
    std::wstring text;
    if (!GetClipboardText(GetHwnd(), &text)) return;
    ReplaceSel(FirstLine(text).c_str(), TRUE);
}

void duEdit::Clear() {
    if (IsReadOnly()) return;
    ReplaceSel(L"", TRUE);
}

void duEdit::Cut() {
    if (IsPassword()) return;
    Copy();
    Clear();
}

bool duEdit::Undo() {
    if (IsReadOnly() || !model_.Undo()) return false;
    AfterChange();
    return true;
}

void duEdit::Apply(unsigned effects) {
    if (effects & duEditModel::kWantCopy) Copy();
    if (effects & duEditModel::kWantCut) Cut();
    if (effects & duEditModel::kWantPaste) Paste();
    if (!IsValidPlugin(this)) return;
    if (effects & duEditModel::kTextChanged) AfterChange();
    else if (effects & duEditModel::kCaretMoved) KeepCaretVisible();
}

void duEdit::AfterChange() {
    KeepCaretVisible();
    NotifyUser(this, DUM_EDITCHANGE, 0, 0);
}

void duEdit::KeepCaretVisible() {
    std::wstring shown;
    std::vector<int> extents, xAt;
    MeasureShown(&shown, &extents, &xAt);
    const int width = line_.right - line_.left;
    const int third = width / 3;
    if (first_ > model_.Length()) first_ = model_.Length();
    first_ = model_.SnapIndex(first_);
    const int caret = model_.Caret();
    if (LocalXOf(caret, xAt) < line_.left) {
        while (first_ > 0 && LocalXOf(caret, xAt) < line_.left + third) first_ = model_.PrevCharIndex(first_);
    } else if (LocalXOf(caret, xAt) >= line_.right) {
        // The caret is a pixel wide at its x: at the line's right edge itself
        // it would be clipped away.
        auto endVisible = [&] { return LocalXOf(model_.Length(), xAt) < line_.right; };
        while (first_ < model_.Length() && LocalXOf(caret, xAt) > line_.right - third && !endVisible())
            first_ = model_.NextCharIndex(first_);
    }
    UpdateCaret();
    RedrawPlugin(this, FALSE);
}

void duEdit::UpdateCaret() {
    if (!focused_) return;
    WindowHost* host = GetHost();
    if (!host) return;
    POINT p;
    PosFromChar(model_.Caret(), &p);
    host->SetCaretPos(p.x, p.y);
}

bool duEdit::IsFocusPlugin() {
    WindowHost* host = GetHost();
    return host && host->GetFocusPlugin() == this;
}

// --- menu -------------------------------------------------------------------------

duEditMenuState duEdit::GetMenuState() {
    duEditMenuInput in;
    in.hasSelection = model_.HasSelection();
    in.canUndo = model_.CanUndo();
    in.clipboardHasText = ClipboardHasText();
    in.textEmpty = model_.Length() == 0;
    in.readOnly = IsReadOnly() != FALSE;
    in.password = IsPassword() != FALSE;
    return ComputeEditMenuState(in);
}

void duEdit::RunMenuCommand(UINT command) {
    switch (command) {
    case EDITCMD_UNDO: Undo(); break;
    case EDITCMD_PASTE: Paste(); break;
    case EDITCMD_COPY: Copy(); break;
    case EDITCMD_CUT: Cut(); break;
    case EDITCMD_CLEAR: Clear(); break;
    case EDITCMD_SELECTALL: SelectAll(); break;
    default: break;
    }
}

void duEdit::OnMouseRUp(int x, int y) {
    HWND hwnd = GetHwnd();
    if (!hwnd) return;
    // Owned by the nearest ancestor that is not a child window.
    HWND owner = hwnd;
    while ((GetWindowLongPtrW(owner, GWL_STYLE) & WS_CHILD) && ::GetParent(owner)) owner = ::GetParent(owner);
    MenuHandle menu(BuildEditMenu(GetMenuState()));
    if (!menu) return;
    POINT screen{x, y};
    ClientToScreen(hwnd, &screen);
    const UINT command = static_cast<UINT>(TrackPopupMenu(
        menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, screen.x, screen.y, 0, owner, nullptr));
    menu.reset();
    if (command && IsValidPlugin(this)) RunMenuCommand(command);
}

// --- mouse ------------------------------------------------------------------------

void duEdit::StartTracking() {
    tracking_ = true;
    direction_ = 0;
    if (WindowHost* host = GetHost()) {
        host->SetCapturePlugin(this);
        host->SetPluginTimer(this, timerId_, kTrackMs);
    }
    HWND hwnd = GetHwnd();
    if (hwnd && ::GetFocus() != hwnd) ::SetFocus(hwnd);
}

void duEdit::StopTracking() {
    tracking_ = false;
    direction_ = 0;
    if (WindowHost* host = GetHost()) {
        host->KillPluginTimer(timerId_);
        if (host->GetCapturePlugin() == this) host->ReleaseCapturePlugin(this);
    }
}

void duEdit::OnMouseLDown(int x, int y) {
    const POINT p = ClampToLine(x, y);
    // Shift+click extends the selection from its anchor.
    model_.MoveCaret(NearestIndex(p.x, false), KeyDown(VK_SHIFT));
    StartTracking();
    KeepCaretVisible();
}

void duEdit::OnMouseMove(int x, int y) {
    WindowHost* host = GetHost();
    if (!tracking_ || !host || host->GetCapturePlugin() != this) return;
    RECT r;
    GetRect(&r);
    const int localX = x - r.left;
    direction_ = localX < line_.left ? -1 : (localX >= line_.right ? 1 : 0);
    const POINT p = ClampToLine(x, y);
    const int index = NearestIndex(p.x, false);
    if (index == model_.Caret()) return;
    model_.MoveCaret(index, true);
    KeepCaretVisible();
}

void duEdit::OnTimer(UINT id) {
    if (id != timerId_ || !tracking_) return;
    if (direction_ < 0) model_.MoveCaret(model_.PrevCharIndex(model_.Caret()), true);
    else if (direction_ > 0) model_.MoveCaret(model_.NextCharIndex(model_.Caret()), true);
    else return;
    KeepCaretVisible();
}

void duEdit::OnMouseLUp(int, int) { StopTracking(); }

void duEdit::OnCaptureChanged(duPlugin* next) {
    if (tracking_ && next != this) {
        tracking_ = false;
        direction_ = 0;
        if (WindowHost* host = GetHost()) host->KillPluginTimer(timerId_);
    }
}

void duEdit::OnMouseDbClick(int x, int y) {
    const POINT p = ClampToLine(x, y);
    int start = 0, end = 0;
    model_.WordAt(NearestIndex(p.x, true), &start, &end);
    model_.SetSel(start, end);
    StartTracking();
    KeepCaretVisible();
}

void duEdit::OnSetCursor() {
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(GetHwnd(), &p);
    RECT r, line = line_;
    GetRect(&r);
    OffsetRect(&line, r.left, r.top);
    ::SetCursor(LoadCursorW(nullptr, PtInRect(&line, p) ? IDC_IBEAM : IDC_ARROW));
}

// --- focus and keys ---------------------------------------------------------------

void duEdit::OnSetFocus(duPlugin*) {
    focused_ = true;
    if (WindowHost* host = GetHost()) {
        host->CreateCaret(CaretWidth(), fontHeight_);
        UpdateCaret();
        host->ShowCaret();
    }
}

void duEdit::OnKillFocus(duPlugin*) { DropCaret(); }

void duEdit::DropCaret() {
    if (!focused_) return;
    focused_ = false;
    if (WindowHost* host = GetHost()) host->DestroyCaret();
}

void duEdit::SetFocus(BOOL focus) {
    if (!focus) DropCaret();
    duPlugin::SetFocus(focus);
}

duEdit::~duEdit() { DropCaret(); }

void duEdit::OnKeyDown(UINT key, UINT, UINT) {
    if (KeyDown(VK_MENU)) return;
    Apply(model_.OnKey(key, KeyDown(VK_CONTROL), KeyDown(VK_SHIFT)));
}

LRESULT duEdit::OnWndMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam) {
    // Hover is followed whether focused or not.
    if (msg == WM_MOUSEMOVE || msg == WM_MOUSELEAVE) {
        bool inside = false;
        if (msg == WM_MOUSEMOVE && IsPluginShown(this) && !IsDisable()) {
            RECT r;
            GetRect(&r);
            POINT p{PointerX(lParam), PointerY(lParam)};
            inside = PtInRect(&r, p) != FALSE;
        }
        if (inside != hover_) {
            hover_ = inside;
            SetState(inside ? STATE_OVER : STATE_NORMAL);
            RedrawPlugin(this, FALSE);
        }
        return 0;
    }
    if (!IsFocusPlugin()) return 0;
    // A disabled edit keeps the focus it had but takes no input of any kind;
    // only being enabled again reaches it.
    if (IsDisable() && msg != WM_ENABLE && msg != WM_GETTEXTLENGTH) return 0;
    switch (msg) {
    case WM_CHAR:
        Apply(model_.OnChar(static_cast<wchar_t>(wParam), KeyDown(VK_CONTROL)));
        return 0;
    case WM_UNICHAR:
        if (wParam == UNICODE_NOCHAR) return 1;
        Apply(model_.OnCodePoint(static_cast<unsigned>(wParam), KeyDown(VK_CONTROL)));
        return 0;
    case WM_CUT: Cut(); return 0;
    case WM_COPY: Copy(); return 0;
    case WM_PASTE: Paste(); return 0;
    case WM_CLEAR: Clear(); return 0;
    case WM_GETTEXTLENGTH: return model_.Length();
    case WM_ENABLE:
        SetDisable(wParam ? FALSE : TRUE);
        RedrawPlugin(this, FALSE);
        return 0;
    case WM_IME_STARTCOMPOSITION:
        composing_ = true;
        compositionStart_ = model_.Caret();
        RedrawPlugin(this, FALSE);
        return 0;
    case WM_IME_ENDCOMPOSITION:
        composing_ = false;
        RedrawPlugin(this, FALSE);
        return 0;
    default:
        return 0;
    }
}

// --- painting ---------------------------------------------------------------------

void duEdit::DrawObject(HDC dc) {
    RECT local = LocalRect();
    if (duStyleGroup* style = GetStyleGroup(GetStyle()))
        style->DrawStyle(dc, &local, GetState(), nullptr, GetAlpha(), Scale());
    if (IsRectEmpty(&line_)) return;
    HFONT font = Font();
    if (model_.Length() == 0) {
        if (tipText_[0]) {
            RECT line = line_;
            DrawAlphaText(dc, font, tipTextColor_, tipText_, static_cast<int>(wcslen(tipText_)), &line,
                          ALPHATEXT_SINGLELINE);
        }
        return;
    }
    std::wstring shown;
    std::vector<int> extents;
    MeasureShown(&shown, &extents);
    const bool showSelection = focused_ && !composing_ && model_.HasSelection();
    const int selStart = showSelection ? model_.DisplayIndex(model_.SelStart()) : 0;
    const int selEnd = showSelection ? model_.DisplayIndex(model_.SelEnd()) : 0;
    const int firstShown = model_.DisplayIndex(first_);
    // Only what fits on the line is drawn: one character past its right edge.
    int n = firstShown;
    const int width = line_.right - line_.left;
    while (n < static_cast<int>(shown.size()) && extents[n] - extents[firstShown] <= width) ++n;
    if (n < static_cast<int>(shown.size())) ++n;
    if (n < static_cast<int>(shown.size()) && IS_HIGH_SURROGATE(shown[n - 1])) ++n;
    auto drawRun = [&](int from, int to, bool selected) {
        from = std::max(from, firstShown);
        to = std::min(to, n);
        if (to <= from) return;
        duEditRun run;
        run.text = shown.c_str() + from;
        run.length = to - from;
        run.x = line_.left + extents[from] - extents[firstShown];
        run.y = line_.top;
        run.width = extents[to] - extents[from];
        run.height = line_.bottom - line_.top;
        run.color = selected ? (0xFFFFFF - selectColor_) : textColor_;
        run.opaque = selected;
        run.background = selectColor_;
        DrawEditRun(dc, font, run, line_);
    };
    if (showSelection) {
        drawRun(0, selStart, false);
        drawRun(selStart, selEnd, true);
        drawRun(selEnd, n, false);
    } else {
        drawRun(0, n, false);
    }
}
