#pragma once
// The list of plugin rows (tag "listboxex"): visible rows stacked top to
// bottom, scrolled by a child duScroll named by `vertscrollbar`, with a hot,
// pressed and selected row and the row notifications 22-25 and 48.
#include "dulib/ctrl/duPlugin.h"

class duScroll;

class duListBoxEx : public duPlugin {
public:
    duListBoxEx() = default;

    const wchar_t* GetClassName() override { return L"duListBoxEx"; }
    void Resize(const RECT* parentRect) override;
    void OnChildShow(duPlugin* child, BOOL visible) override;
    void OnChildDetached(duPlugin* child) override;
    void OnVScroll(int code, int pos) override;
    LRESULT OnWndMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnCreate() override;
    void OnInitialized() override;
    void DrawObject(HDC dc) override;
    bool PaintsOpaque() override { return StyleCoversIt(); }

    // Stacks the visible rows, updates the bar's range and re-places the list.
    virtual void RefreshItems();
    virtual duPlugin* GetHotItem() { return hot_; }
    virtual void SetHotItem(duPlugin* item) {
        if (item && !IsOwnRow(item)) return;  // only the list's own rows
        hot_ = item;
        InvalidateCache();
    }
    virtual duPlugin* GetPressedItem() { return pressed_; }
    virtual void SetPressedItem(duPlugin* item) {
        if (item && !IsOwnRow(item)) return;  // only the list's own rows
        pressed_ = item;
        InvalidateCache();
    }
    virtual duPlugin* GetSelectedItem() { return selected_; }
    virtual void SetSelectedItem(duPlugin* item) {
        if (item && !IsOwnRow(item)) return;  // only the list's own rows
        selected_ = item;
        InvalidateCache();
    }
    virtual const wchar_t* GetItemStyle() { return itemStyle_; }
    virtual void SetItemStyle(const wchar_t* style) {
        CopyPluginText(itemStyle_, style);
        InvalidateCache();
    }
    virtual const wchar_t* GetVertScrollBar() { return vertScrollBar_; }
    virtual int GetScrollOffset() { return offset_; }
    virtual BOOL IsActive() { return active_; }

    // The child scroll bar, or null.
    duScroll* GetScrollBar();
    // A live, visible row of this list.
    bool IsItem(duPlugin* plugin);
    // Scrolls the rows so that the item is inside the list.
    void ScrollIntoView(duPlugin* item);
    // A live child of this list other than its scroll bar, visible or not.
    bool IsOwnRow(duPlugin* plugin);

private:
    void UpdateRange(duScroll* bar);
    duPlugin* ItemAt(POINT p);
    duPlugin* NeighbourItem(duPlugin* from, bool forward);
    bool PointInList(POINT p);

    wchar_t itemStyle_[kPluginTextSize] = {};
    wchar_t vertScrollBar_[kPluginTextSize] = {};
    int offset_ = 0;
    duPlugin* hot_ = nullptr;
    duPlugin* pressed_ = nullptr;
    duPlugin* selected_ = nullptr;
    bool rightPressed_ = false;
    BOOL active_ = FALSE;
};
