#pragma once
// Base of every windowless control. Plugins form one tree per window; the
// window host (WindowHost) drives them with events and paints them.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "dulib/ctrl/CtrlDefs.h"
#include "dulib/ctrl/Placement.h"
#include "dulib/res/DpiScale.h"
#include "dulib/res/StateFlags.h"
#include "dulib/res/duObject.h"
#include "support/Handles.h"

namespace tinyxml2 {
class XMLElement;
}

class duPlugin;
class duPropertyGroup;
class duResManager;
class duStyleGroup;
class WindowHost;

// Receives every notification a plugin raises, before the window does.
class duListener {
public:
    virtual ~duListener() = default;
    virtual void OnNotify(int code, duPlugin* plugin, int param1, int param2) = 0;
};

constexpr size_t kPluginTextSize = 128;  // 127 characters and the terminator

class duPlugin : public duObject {
public:
    duPlugin();

    // Destroy (inherited) unregisters the plugin, unlinks it from the tree and
    // from its window host, and destroys its children with it.
    const wchar_t* GetClassName() override { return L"duPlugin"; }

    virtual const wchar_t* GetType() { return type_; }
    virtual const wchar_t* GetName() { return name_; }
    virtual const wchar_t* GetStyle() { return style_; }
    virtual int GetTextLength() { return static_cast<int>(text_.size()); }
    virtual const wchar_t* GetText() { return text_.c_str(); }
    virtual const wchar_t* GetExtra() { return extra_.c_str(); }
    virtual const wchar_t* GetCursor() { return cursor_; }
    virtual BOOL IsVisible() { return visible_; }
    virtual BOOL IsFocus() { return focus_; }
    virtual BOOL IsDisable() { return disable_; }
    virtual BOOL IsCached() { return cached_; }
    virtual BOOL IsOpaque() { return opaque_; }
    virtual BOOL IsAssociate() { return associate_; }
    virtual BOOL IsGhost() { return ghost_; }
    virtual HWND GetHwnd() { return hwnd_; }
    virtual UINT GetState();
    virtual int GetZorder() { return zorder_; }
    // In the window's pixels (client coordinates).
    virtual void GetRect(RECT* rect) { if (rect) *rect = rect_; }
    virtual int GetPosTop() { return pos_.top; }
    virtual int GetPosLeft() { return pos_.left; }
    virtual int GetPosRight() { return pos_.right; }
    virtual int GetPosBottom() { return pos_.bottom; }
    virtual int GetHorzAnchor() { return pos_.horzAnchor; }
    virtual int GetVertAnchor() { return pos_.vertAnchor; }
    virtual int GetPosWidth() { return pos_.width; }
    virtual int GetPosHeight() { return pos_.height; }
    virtual int GetAlpha() { return alpha_; }
    virtual duPlugin* GetParent() { return parent_; }
    virtual duPlugin* GetFirstChild() { return firstChild_; }
    virtual duPlugin* GetLastChild() { return lastChild_; }
    virtual duPlugin* GetPreSibling() { return preSibling_; }
    virtual duPlugin* GetNextSibling() { return nextSibling_; }
    virtual UINT_PTR GetUserData() { return userData_; }
    virtual HBITMAP GetCacheBitmap() { return cacheBitmap_.get(); }

    virtual void SetName(const wchar_t* name);
    virtual void SetStyle(const wchar_t* style);
    virtual void SetText(const wchar_t* text) {
        text_ = text ? text : L"";
        InvalidateCache();
    }
    virtual void SetExtra(const wchar_t* extra) { extra_ = extra ? extra : L""; }
    virtual void SetCursor(const wchar_t* cursor);
    virtual void SetVisible(BOOL visible) {
        visible_ = visible;
        InvalidateCache();
    }
    virtual void SetFocus(BOOL focus) {
        focus_ = focus;
        InvalidateCache();
    }
    virtual void SetDisable(BOOL disable) {
        disable_ = disable;
        InvalidateCache();
    }
    virtual void SetCached(BOOL cached) {
        cached_ = cached;
        InvalidateCache();
    }
    virtual void SetOpaque(BOOL opaque) { opaque_ = opaque; }
    virtual void SetAssociate(BOOL associate) { associate_ = associate; }
    virtual void SetGhost(BOOL ghost) { ghost_ = ghost; }
    virtual void SetHwnd(HWND hwnd) { hwnd_ = hwnd; }
    virtual void SetState(UINT state) {
        state_ = state;
        InvalidateCache();
    }
    virtual void SetZorder(int zorder) { zorder_ = zorder; }
    // In the window's pixels; the placement rectangle follows in skin units.
    virtual void SetRect(const RECT* rect);
    virtual void SetPosTop(int v) { pos_.top = v; }
    virtual void SetPosLeft(int v) { pos_.left = v; }
    virtual void SetPosRight(int v) { pos_.right = v; }
    virtual void SetPosBottom(int v) { pos_.bottom = v; }
    virtual void SetHorzAnchor(int v) { pos_.horzAnchor = v; }
    virtual void SetVertAnchor(int v) { pos_.vertAnchor = v; }
    virtual void SetPosWidth(int v) { pos_.width = v; }
    virtual void SetPosHeight(int v) { pos_.height = v; }
    virtual void SetAlpha(int alpha) {
        alpha_ = alpha;
        InvalidateCache();
    }
    virtual void SetParent(duPlugin* p) { parent_ = p; }
    virtual void SetFirstChild(duPlugin* p) { firstChild_ = p; }
    virtual void SetLastChild(duPlugin* p) { lastChild_ = p; }
    virtual void SetPreSibling(duPlugin* p) { preSibling_ = p; }
    virtual void SetNextSibling(duPlugin* p) { nextSibling_ = p; }
    virtual void SetUserData(UINT_PTR data) { userData_ = data; }
    // Only a different bitmap replaces (and deletes) the kept one. The bitmap
    // set is taken for the plugin's current look.
    virtual void SetCacheBitmap(HBITMAP bitmap) {
        if (bitmap != cacheBitmap_.get()) cacheBitmap_.reset(bitmap);
        cacheFresh_ = bitmap != nullptr;
    }

    virtual void AddListener(duListener* listener);
    virtual void RemoveListener(duListener* listener);

    // Places the plugin in `parentRect` (skin units; null: the parent's
    // placement rectangle, or the window's client area for the root), then
    // re-places the children.
    virtual void Resize(const RECT* parentRect);
    virtual duPlugin* FindPlugin(const wchar_t* name);

    virtual void OnMouseIn(int, int) {}
    virtual void OnMouseLeave(int, int) {}
    virtual void OnMouseLDown(int, int) {}
    virtual void OnMouseLUp(int, int) {}
    virtual void OnMouseRDown(int, int) {}
    virtual void OnMouseRUp(int, int) {}
    virtual void OnMouseHover(int, int) {}
    virtual void OnMouseMove(int, int) {}
    virtual void OnMouseDbClick(int, int) {}
    virtual void OnMouseWheel(int, int, int, int) {}
    virtual void OnCaptureChanged(duPlugin*) {}
    virtual void OnKillFocus(duPlugin*) {}
    virtual void OnSetFocus(duPlugin*) {}
    virtual void OnKeyDown(UINT, UINT, UINT) {}
    virtual void OnKeyUp(UINT, UINT, UINT) {}
    virtual void OnTimer(UINT) {}
    virtual void OnChildShow(duPlugin*, BOOL) {}
    virtual void OnChildResize(duPlugin*) {}
    virtual void OnRedraw() {}
    virtual void OnVScroll(int, int) {}
    virtual void OnHScroll(int, int) {}
    virtual LRESULT OnWndMessage(HWND, UINT, WPARAM, LPARAM) { return 0; }
    virtual void OnSetCursor();
    virtual void OnUserHook(WPARAM, LPARAM) {}
    virtual void OnCreate() = 0;
    virtual void OnInitialized() = 0;
    virtual void DrawObject(HDC dc) = 0;
    // What DrawObject draws now hides whatever lies below the plugin (its
    // style fills it at full alpha before anything else shows through).
    virtual bool PaintsOpaque() { return false; }
    // A child left this plugin (destroyed or moved elsewhere): forget it.
    virtual void OnChildDetached(duPlugin*) {}

    // --- non-virtual helpers ---------------------------------------------------
    // Reads the common attributes, creates the children and places the plugin.
    bool LoadPluginFromXml(const tinyxml2::XMLElement* element, WindowHost* host);
    duPropertyGroup* GetPropertyGroup() { return properties_.get(); }
    const PlacementAttrs& GetPlacement() const { return pos_; }
    // The host of the plugin's window, or null once the window is gone.
    WindowHost* GetHost();
    duResManager* GetResManager();
    duStyleGroup* GetStyleGroup(const wchar_t* name);
    // The plugin's own style, drawn with its state and alpha, covers it.
    bool StyleCoversIt();
    // Rectangle (0, 0, width, height) in pixels: what DrawObject paints into.
    RECT LocalRect() const { return RECT{0, 0, rect_.right - rect_.left, rect_.bottom - rect_.top}; }
    // The placed rectangle in skin units (the skin's 96-DPI numbers), in
    // which plugins are placed and layouts arrange; GetRect is the same
    // rectangle in the window's pixels, each edge scaled on its own.
    RECT GetLayoutRect() const { return layout_; }
    // Sets the placement rectangle and, scaled, the pixel rectangle.
    void SetLayoutRect(const RECT& skin);
    // The skin-to-pixel scale of the plugin's window (1:1 without one).
    DpiScale Scale();
    const std::vector<duListener*>& Listeners() const { return listeners_; }
    // The cache bitmap may stand for the plugin only while nothing it draws has
    // changed: every change of state, text, style, size or anything else a
    // control paints marks it stale, and a stale picture is drawn afresh.
    void InvalidateCache() { cacheFresh_ = false; }
    bool IsCacheFresh() const { return cacheFresh_ && cacheBitmap_; }

protected:
    ~duPlugin() override;
    // The placement half of Resize, without the children.
    void PlaceSelf(const RECT* parentRect);

private:
    void UnlinkFromParent();
    // The pixel rectangle; a new size makes the cached picture stale.
    void SetPixelRect(const RECT& rect);

    wchar_t type_[kPluginTextSize] = {};
    wchar_t name_[kPluginTextSize] = {};
    wchar_t style_[kPluginTextSize] = {};
    wchar_t cursor_[kPluginTextSize] = {};
    std::wstring text_;
    std::wstring extra_;
    BOOL visible_ = 1;
    BOOL focus_ = 0;
    BOOL disable_ = 0;
    BOOL cached_ = 0;
    BOOL opaque_ = 0;
    BOOL associate_ = 0;
    BOOL ghost_ = 0;
    HWND hwnd_ = nullptr;
    int zorder_ = 0;
    UINT state_ = STATE_NORMAL;
    int alpha_ = 255;
    PlacementAttrs pos_;
    UINT_PTR userData_ = 0;
    duPlugin* parent_ = nullptr;
    duPlugin* firstChild_ = nullptr;
    duPlugin* lastChild_ = nullptr;
    duPlugin* nextSibling_ = nullptr;
    duPlugin* preSibling_ = nullptr;
    std::unique_ptr<duPropertyGroup> properties_;
    RECT rect_ = {};
    RECT layout_ = {};
    BitmapHandle cacheBitmap_;
    bool cacheFresh_ = false;
    std::vector<duListener*> listeners_;
};

// Copies at most 127 characters (null gives empty text).
void CopyPluginText(wchar_t (&dst)[kPluginTextSize], const wchar_t* src);
