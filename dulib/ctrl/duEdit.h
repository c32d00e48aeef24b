#pragma once
// The windowless single-line text field (tag "edit"): caret, selection,
// horizontal scrolling, one-step undo, clipboard, context menu, password,
// number and read-only modes, and a cue text while empty. Key-downs arrive as
// focus events; characters, IME and clipboard messages through the window's
// message hooks, acted on only while the edit holds the focus.
#include <string>

#include "dulib/ctrl/EditMenu.h"
#include "dulib/ctrl/EditModel.h"
#include "dulib/ctrl/duPlugin.h"

class duEdit : public duPlugin {
public:
    duEdit() = default;

    const wchar_t* GetClassName() override { return L"duEdit"; }
    int GetTextLength() override { return model_.Length(); }
    const wchar_t* GetText() override { return model_.Text().c_str(); }
    void SetText(const wchar_t* text) override;
    // Losing the focus flag without a focus event (the edit was hidden) also
    // takes the caret down.
    void SetFocus(BOOL focus) override;
    void Resize(const RECT* parentRect) override;
    void OnMouseLDown(int x, int y) override;
    void OnMouseLUp(int x, int y) override;
    void OnMouseRUp(int x, int y) override;
    void OnMouseMove(int x, int y) override;
    void OnMouseDbClick(int x, int y) override;
    void OnCaptureChanged(duPlugin* next) override;
    void OnKillFocus(duPlugin* next) override;
    void OnSetFocus(duPlugin* previous) override;
    void OnKeyDown(UINT key, UINT repeat, UINT flags) override;
    void OnTimer(UINT id) override;
    LRESULT OnWndMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnSetCursor() override;
    void OnCreate() override;
    void OnInitialized() override;
    void DrawObject(HDC dc) override;

    // Appended operations. Points and x values are client coordinates.
    virtual void SetTipText(const wchar_t* text);
    virtual const wchar_t* GetTipText() { return tipText_; }
    virtual int CharFromPos(int x);
    virtual int GetLimitText() { return model_.Limit(); }
    virtual wchar_t GetPasswordChar() { return L'*'; }
    // Low 16 bits start, high 16 bits end.
    virtual DWORD GetSel();
    virtual void PosFromChar(int index, POINT* out);
    virtual void SetLimitText(int limit);
    virtual void ReplaceSel(const wchar_t* text, BOOL canUndo);
    virtual BOOL IsReadOnly() { return (editStyle_ & ES_READONLY) != 0; }
    virtual void SetReadOnly(BOOL readOnly);
    virtual BOOL IsPassword() { return (editStyle_ & ES_PASSWORD) != 0; }
    virtual BOOL IsNumber() { return (editStyle_ & ES_NUMBER) != 0; }
    virtual void SetNumber(BOOL number);
    virtual void SetTextColor(COLORREF color) {
        textColor_ = color;
        InvalidateCache();
    }
    virtual void SetSel(int start, int end);
    virtual void Paste();
    virtual void Copy();
    virtual void Clear();
    virtual void Cut();
    virtual int GetLeftBorder() { return leftBorder_; }
    virtual void SetLeftBorder(int v);
    virtual int GetTopBorder() { return topBorder_; }
    virtual void SetTopBorder(int v);
    virtual int GetRightBorder() { return rightBorder_; }
    virtual void SetRightBorder(int v);
    virtual int GetBottomBorder() { return bottomBorder_; }
    virtual void SetBottomBorder(int v) { bottomBorder_ = v; }

    // The context menu: its greyed state now, and the command it ran.
    duEditMenuState GetMenuState();
    void RunMenuCommand(UINT command);
    bool Undo();
    void SelectAll();
    // The skin changed: the font is looked up again, with the line and caret
    // that depend on its size.
    void RefreshFont();

    // For owners and tests.
    const duEditModel& Model() const { return model_; }
    int GetFirstVisible() const { return first_; }
    RECT GetTextLine() const { return line_; }  // local coordinates
    bool IsTracking() const { return tracking_; }
    int GetScrollDirection() const { return direction_; }
    UINT GetTimerId() const { return timerId_; }
    bool IsModified() const { return model_.Modified(); }
    // Between its focus arriving and leaving: the edit has made the caret.
    bool OwnsCaret() const { return focused_; }

protected:
    ~duEdit() override;

private:
    HFONT Font();  // at the window's DPI
    int CaretWidth();
    void DropCaret();
    void UpdateMetrics();
    void ComputeTextLine();
    // Cumulative widths of the shown text at every display index, and the
    // same per buffer index in xAt (a pair's second half shares its start).
    void MeasureShown(std::wstring* shown, std::vector<int>* extents, std::vector<int>* xAt = nullptr);
    int LocalXOf(int index, const std::vector<int>& xAt);
    int NearestIndex(int localX, bool under);
    POINT ClampToLine(int x, int y);
    void Apply(unsigned effects);
    void AfterChange();
    void KeepCaretVisible();
    void UpdateCaret();
    bool IsFocusPlugin();
    void StartTracking();
    void StopTracking();

    duEditModel model_;
    int leftBorder_ = 0, topBorder_ = 0, rightBorder_ = 0, bottomBorder_ = 0;
    wchar_t font_[kPluginTextSize] = {};
    COLORREF textColor_ = RGB(0, 0, 0);
    COLORREF selectColor_ = 0;
    wchar_t tipText_[kPluginTextSize] = {};
    COLORREF tipTextColor_ = RGB(233, 233, 233);
    DWORD editStyle_ = WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL;
    int first_ = 0;  // first visible character
    bool focused_ = false;
    bool tracking_ = false;
    int direction_ = 0;  // auto-scroll while tracking: -1 left, +1 right
    bool hover_ = false;
    bool composing_ = false;
    int compositionStart_ = 0;
    RECT line_{};
    int fontHeight_ = 0;
    int averageWidth_ = 0;
    UINT timerId_ = 0;
};
