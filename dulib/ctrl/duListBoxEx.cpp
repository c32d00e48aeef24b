#include "dulib/ctrl/duListBoxEx.h"

#include <cwchar>
#include <vector>

#include "dulib/ctrl/EngineOps.h"
#include "dulib/ctrl/PluginRegistry.h"
#include "dulib/ctrl/PluginTree.h"
#include "dulib/ctrl/ListStacking.h"
#include "dulib/ctrl/WindowHost.h"
#include "dulib/ctrl/duPropertyGroup.h"
#include "dulib/ctrl/duScroll.h"
#include "dulib/res/SkinXml.h"
#include "dulib/res/duStyleGroup.h"

namespace {

// Pointer coordinates of a mouse message (signed: they go negative under capture).
int PointerX(LPARAM lParam) { return static_cast<short>(LOWORD(lParam)); }
int PointerY(LPARAM lParam) { return static_cast<short>(HIWORD(lParam)); }
// Items travel in the notification record's 32-bit fields.
int ItemParam(duPlugin* item) { return static_cast<int>(reinterpret_cast<INT_PTR>(item)); }
}  // namespace

void duListBoxEx::OnCreate() {
    if (duPropertyGroup* props = GetPropertyGroup()) {
        props->ReadText("itemstyle", itemStyle_, kPluginTextSize);
        props->ReadText("vertscrollbar", vertScrollBar_, kPluginTextSize);
    }
}

duScroll* duListBoxEx::GetScrollBar() {
    if (!vertScrollBar_[0]) return nullptr;
    for (duPlugin* c = GetFirstChild(); c; c = c->GetNextSibling()) {
        if (_wcsicmp(c->GetName(), vertScrollBar_) == 0) return dynamic_cast<duScroll*>(c);
    }
    return nullptr;
}

bool duListBoxEx::IsOwnRow(duPlugin* plugin) {
    if (!plugin || !IsValidPlugin(plugin) || plugin->GetParent() != this) return false;
    return !(vertScrollBar_[0] && _wcsicmp(plugin->GetName(), vertScrollBar_) == 0);
}

bool duListBoxEx::IsItem(duPlugin* plugin) { return IsOwnRow(plugin) && plugin->IsVisible(); }

void duListBoxEx::OnInitialized() {
    if (duScroll* bar = GetScrollBar()) bar->SetScrollPos(0);
    RefreshItems();
    if (WindowHost* host = GetHost()) host->AddMessageHook(this);
}

void duListBoxEx::RefreshItems() {
    LayoutScope layout(this);
    duScroll* bar = GetScrollBar();
    int y = 0;
    for (duPlugin* c = GetFirstChild(); c; c = c->GetNextSibling()) {
        if (c == bar || !c->IsVisible()) continue;
        c->SetPosTop(y);
        c->SetHorzAnchor(3);
        c->SetVertAnchor(3);
        y += c->GetPosHeight();
    }
    Resize(nullptr);
}

void duListBoxEx::UpdateRange(duScroll* bar) {
    int total = 0;
    for (duPlugin* c = GetFirstChild(); c; c = c->GetNextSibling())
        if (c != bar && c->IsVisible()) total += c->GetPosHeight();
    // Heights and positions are in skin units.
    RECT r = GetLayoutRect();
    const duListRange range = ComputeListRange(total, r.bottom - r.top, bar->GetScrollPos());
    if (range.showBar) {
        bar->SetMaxPos(range.maxpos);
        bar->SetPage(range.page);
        bar->SetScrollPos(range.pos);
    } else {
        bar->SetScrollPos(0);
    }
    if (!bar->IsVisible() != !range.showBar) {
        // Through the window host, so that a hidden bar gives up hot, focus
        // and capture; its show notice comes back here and is ignored.
        if (GetHost()) SetPluginVisible(bar, range.showBar ? TRUE : FALSE);
        else bar->SetVisible(range.showBar ? TRUE : FALSE);
    }
    offset_ = bar->GetScrollPos();
}

void duListBoxEx::Resize(const RECT* parentRect) {
    LayoutScope layout(this);
    InvalidateCache();  // the item backgrounds follow the items
    duPlugin::Resize(parentRect);
    duScroll* bar = GetScrollBar();
    RECT r = GetLayoutRect();
    int width = r.right - r.left;
    if (!bar) {
        // Stacked rows are placed by plain offsets, so they take the list's
        // width here too; otherwise they would keep the template's width.
        for (duPlugin* c = GetFirstChild(); c; c = c->GetNextSibling()) {
            if (c->GetHorzAnchor() != 3) continue;
            c->SetPosWidth(width);
            c->Resize(nullptr);
        }
        return;
    }
    UpdateRange(bar);
    if (bar->IsVisible()) {
        RECT b = bar->GetLayoutRect();
        width -= b.right - b.left;
    }
    RECT shifted = r;
    OffsetRect(&shifted, 0, -offset_);
    for (duPlugin* c = GetFirstChild(); c; c = c->GetNextSibling()) {
        if (c == bar) continue;
        c->SetPosWidth(width);
        c->Resize(&shifted);
    }
    bar->Resize(nullptr);
}

void duListBoxEx::OnChildDetached(duPlugin* child) {
    if (hot_ == child) hot_ = nullptr;
    if (pressed_ == child) pressed_ = nullptr;
    if (selected_ == child) selected_ = nullptr;
    InvalidateCache();
}

void duListBoxEx::OnChildShow(duPlugin* child, BOOL) {
    if (child && child == GetScrollBar()) return;
    RefreshItems();
}

void duListBoxEx::OnVScroll(int code, int pos) {
    if (code == 0) {
        offset_ = 0;
        return;
    }
    if (code < 1 || code > 7) {
        DebugTrace(L"OnVScroll Error pos[%d]\n", pos);
        return;
    }
    if (pos == offset_) return;
    offset_ = pos;
    RefreshItems();
    RedrawPlugin(this, FALSE);
}

// --- input --------------------------------------------------------------------

bool duListBoxEx::PointInList(POINT p) {
    RECT r;
    GetRect(&r);
    return PtInRect(&r, p) != FALSE;
}

duPlugin* duListBoxEx::ItemAt(POINT p) {
    for (duPlugin* c = GetFirstChild(); c; c = c->GetNextSibling()) {
        if (!IsItem(c)) continue;
        RECT r;
        c->GetRect(&r);
        if (PtInRect(&r, p)) return c;
    }
    return nullptr;
}

duPlugin* duListBoxEx::NeighbourItem(duPlugin* from, bool forward) {
    for (duPlugin* c = forward ? from->GetNextSibling() : from->GetPreSibling(); c;
         c = forward ? c->GetNextSibling() : c->GetPreSibling()) {
        if (IsItem(c)) return c;
    }
    return nullptr;
}

void duListBoxEx::ScrollIntoView(duPlugin* item) {
    duScroll* bar = GetScrollBar();
    if (!bar || !bar->IsVisible()) return;
    RECT list = GetLayoutRect(), row = item->GetLayoutRect();
    const int top = row.top - list.top + offset_;  // position in the stacked content
    const int bottom = top + (row.bottom - row.top);
    const int height = list.bottom - list.top;
    int pos = offset_;
    if (top < pos) pos = top;
    else if (bottom > pos + height) pos = bottom - height;
    if (pos == offset_) return;
    bar->SetScrollPos(pos);
    RefreshItems();
}

LRESULT duListBoxEx::OnWndMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!IsPluginShown(this) || IsDisable()) {
        // Neither hidden nor disabled, the list reacts to no input.
        active_ = FALSE;
        return 0;
    }
    POINT p{PointerX(lParam), PointerY(lParam)};
    switch (msg) {
    case WM_MOUSEMOVE: {
        if (!PointInList(p)) {
            if (hot_) {
                hot_ = nullptr;
                RedrawPlugin(this, FALSE);
            }
            break;
        }
        duPlugin* item = ItemAt(p);
        // The press is dropped only when the pointer reaches another row or
        // no row, so a click with a slight wobble inside the row still
        // selects it.
        if (item == hot_ && (item || !pressed_)) break;
        hot_ = item;
        pressed_ = nullptr;
        RedrawPlugin(this, FALSE);
        break;
    }
    case WM_LBUTTONDOWN:
        if (IsItem(hot_)) {
            pressed_ = hot_;
            active_ = TRUE;
            RedrawPlugin(this, FALSE);
        } else {
            hot_ = pressed_ = nullptr;
            active_ = FALSE;
        }
        break;
    case WM_LBUTTONUP: {
        duPlugin* pressed = pressed_;
        pressed_ = nullptr;  // a release ends the press, whatever follows
        if (!IsItem(pressed)) break;
        if (PointInList(p)) {
            NotifyUser(this, DUM_LBEXSELCHANGE, ItemParam(selected_), ItemParam(pressed));
            if (!IsValidPlugin(this)) return 0;
        }
        if (IsItem(pressed)) selected_ = pressed;
        RedrawPlugin(this, FALSE);
        break;
    }
    case WM_LBUTTONDBLCLK:
        if (IsItem(hot_)) NotifyUser(this, DUM_LBEXDBCLICK, ItemParam(hot_), 0);
        break;
    case WM_MOUSEHOVER:
        if (IsItem(hot_)) NotifyUser(this, DUM_LBEXHOVER, ItemParam(hot_), 0);
        break;
    case WM_RBUTTONDOWN:
        if (PointInList(p)) rightPressed_ = true;
        break;
    case WM_RBUTTONUP: {
        const bool raise = rightPressed_ && PointInList(p);
        rightPressed_ = false;
        if (raise) NotifyUser(this, DUM_LBEXRCLICK, IsItem(hot_) ? ItemParam(hot_) : 0, 0);
        break;
    }
    case WM_MOUSEWHEEL:
        if (active_) {
            duScroll* bar = GetScrollBar();
            if (bar && bar->IsVisible()) {
                POINT client = p;  // the wheel's point is in screen coordinates
                ScreenToClient(hwnd, &client);
                bar->OnMouseWheel(static_cast<short>(LOWORD(wParam)), static_cast<short>(HIWORD(wParam)), client.x, client.y);
            }
        }
        break;
    case WM_MOUSELEAVE:
    case WM_CANCELMODE:
        if (hot_ || pressed_) {
            hot_ = pressed_ = nullptr;
            RedrawPlugin(this, FALSE);
        }
        break;
    case WM_KEYDOWN: {
        if (!active_ || !IsItem(selected_)) break;
        if (wParam != VK_UP && wParam != VK_DOWN) break;
        duPlugin* next = NeighbourItem(selected_, wParam == VK_DOWN);
        if (!next) break;
        duPlugin* previous = selected_;
        selected_ = next;
        ScrollIntoView(next);
        NotifyUser(this, DUM_LBEXKEYSEL, ItemParam(previous), ItemParam(next));
        if (IsValidPlugin(this)) RedrawPlugin(this, FALSE);
        break;
    }
    default:
        break;
    }
    return 0;
}

// --- painting -----------------------------------------------------------------

void duListBoxEx::DrawObject(HDC dc) {
    RECT local = LocalRect();
    const DpiScale scale = Scale();
    if (duStyleGroup* style = GetStyleGroup(GetStyle()))
        style->DrawStyle(dc, &local, GetState(), GetText(), GetAlpha(), scale);
    duStyleGroup* itemStyle = itemStyle_[0] ? GetStyleGroup(itemStyle_) : nullptr;
    if (!itemStyle) return;
    RECT list;
    GetRect(&list);
    auto drawBehind = [&](duPlugin* item, UINT state) {
        RECT r;
        item->GetRect(&r);
        OffsetRect(&r, -list.left, -list.top);
        itemStyle->DrawStyle(dc, &r, state, nullptr, GetAlpha(), scale);
    };
    for (duPlugin* c = GetFirstChild(); c; c = c->GetNextSibling()) {
        if (IsItem(c)) drawBehind(c, STATE_NORMAL);
    }
    if (IsItem(hot_)) drawBehind(hot_, IsItem(pressed_) ? STATE_PRESS : STATE_OVER);
    if (IsItem(selected_)) drawBehind(selected_, STATE_FOCUS);
}
