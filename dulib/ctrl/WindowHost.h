#pragma once
// The engine's state for one attached window (window property "SYSPLUGIN"):
// the plugin tables, the focus/hot/capture plugins, timers, message hooks,
// the last full rendering, the caret and the tooltip.
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <tinyxml2.h>
#include <vector>

#include "dulib/ctrl/duZorderList.h"
#include "dulib/res/DpiScale.h"
#include "support/Handles.h"

class duPlugin;
class duWindow;
class duWindowManager;
class WindowAccess;

class WindowHost {
public:
    WindowHost(duWindowManager* manager, HWND hwnd);
    ~WindowHost();
    WindowHost(const WindowHost&) = delete;
    WindowHost& operator=(const WindowHost&) = delete;

    static WindowHost* FromHwnd(HWND hwnd);
    // Builds the tree of `element` (a duwindow) and subclasses the window.
    bool Attach(const tinyxml2::XMLElement* element);

    HWND GetHwnd() const { return hwnd_; }
    duWindowManager* GetManager() const { return manager_; }
    // The manager is going away before the window.
    void DetachManager() { manager_ = nullptr; }
    duWindow* GetRoot() const { return root_; }
    duZorderList& GetZorderList() { return zorder_; }

    // --- plugin tables ---------------------------------------------------------
    // Enters the plugin in the z-order list and the name map (the first plugin
    // of a name keeps it).
    void AddPlugin(duPlugin* plugin);
    // Drops every reference the host holds to a plugin that is going away.
    void ForgetPlugin(duPlugin* plugin);
    duPlugin* GetPluginByName(const wchar_t* name) const;
    // The tables as they are, for owners that check them.
    const std::map<std::wstring, duPlugin*>& GetNameMap() const { return names_; }
    const std::map<UINT, duPlugin*>& GetTimerMap() const { return timers_; }
    const std::vector<duPlugin*>& GetMessageHooks() const { return hooks_; }

    // --- operations for the controls ---------------------------------------------
    duPlugin* GetFocusPlugin() const { return focus_; }
    duPlugin* GetHotPlugin() const { return hot_; }
    duPlugin* GetCapturePlugin() const { return capture_; }
    void SetFocusPlugin(duPlugin* plugin, BOOL set);
    duPlugin* SetCapturePlugin(duPlugin* plugin);
    void ReleaseCapturePlugin(duPlugin* plugin);
    bool SetPluginTimer(duPlugin* plugin, UINT id, UINT milliseconds);
    void KillPluginTimer(UINT id);
    void AddMessageHook(duPlugin* plugin);
    void RemoveMessageHook(duPlugin* plugin);
    void ShowTooltip(const wchar_t* text);
    // Made on first need: the common controls' start is not paid before the
    // first frame.
    HWND GetTooltipWindow();
    void HideTooltip();
    bool CreateCaret(int width, int height);
    void DestroyCaret();
    void ShowCaret();
    void HideCaret();
    void SetCaretPos(int x, int y);
    UINT GetCaretTimerId() const { return caretTimerId_; }
    SIZE GetCaretSize() const { return SIZE{caretWidth_, caretHeight_}; }
    // A caret exists (created and not yet destroyed), shown or not.
    bool HasCaret() const { return caretSystem_ || caretBitmap_; }
    bool IsCaretDrawn() const { return caretShown_; }
    // What SetPluginVisible does after the flag changed.
    void OnPluginHidden();
    // The window lost the pointer capture (another window took it): the
    // capture plugin is told and forgotten.
    void LoseCapture();
    // Pointer input was cancelled (WM_CANCELMODE: a message box or dialog came
    // up): the capture is released and the hot plugin is left, so that no
    // press, drag or repeat outlives it.
    void CancelPointer();

    // --- layout -------------------------------------------------------------------
    // Notifications raised while the window's plugins are being placed wait
    // until the outermost layout is over (LayoutScope).
    void BeginLayout() { ++layoutDepth_; }
    void EndLayout();
    bool InLayout() const { return layoutDepth_ > 0; }
    void DeferNotice(duPlugin* plugin, int code, int param1, int param2);

    // --- events, routing and painting -------------------------------------------
    // Drives one plugin (PluginEvent); pointer events skip disabled plugins and
    // the notification afterwards is raised only when the plugin survived.
    void DispatchEvent(duPlugin* plugin, UINT event, WPARAM a, LPARAM b);
    duPlugin* HitTest(int x, int y);
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // Full paint into a new window image, presented on `target` (a normal
    // window's paint DC; null: the window's own DC) or with
    // UpdateLayeredWindow.
    void PaintWindow(HDC target);
    // Repaints one plugin's visible rectangle with what lies below and above.
    bool RedrawPluginArea(duPlugin* plugin);
    // The last full rendering (32-bit top-down, client size); null before the
    // first paint.
    HBITMAP GetWindowImage() const { return windowImage_.get(); }
    bool IsLayered() const;
    bool InSizeMove() const { return inSizeMove_; }

    // --- display scale ------------------------------------------------------------
    // How the window shows the skin's 96-DPI numbers: at the DPI of its monitor
    // (taken at creation, changed by WM_DPICHANGED).
    DpiScale Scale() const { return scale_; }
    // The window moved to a monitor of another DPI: the skin is laid out again
    // at the new scale, the window takes the skin's size at that scale at the
    // suggested place (kept inside the monitor's work area), and is repainted.
    void OnDpiChanged(int dpi, const RECT* suggested);
    // Keyboard navigation, focus ring and accessibility of this window.
    WindowAccess& Access() { return *access_; }

private:
    friend LRESULT CALLBACK EngineWindowProc(HWND, UINT, WPARAM, LPARAM);
    void Teardown();
    LRESULT CallPrevious(UINT msg, WPARAM wParam, LPARAM lParam);
    bool RouteMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
    void TrackPointer();
    void PaintPlugin(HDC dc, duPlugin* plugin, const RECT& clip);
    // Makes `image` (may be null) the window image, selected into imageDc_.
    void SetWindowImage(HBITMAP image);
    void Present(HDC target, const RECT* area);
    // The window image on the layered window; with `dirty`, only that
    // rectangle has changed since the last update.
    void PresentLayered(const RECT* dirty = nullptr);
    // Shows the caret over the image, or takes it away, updating only its
    // rectangle.
    void PresentCaret(bool shown);
    void CaretTick();

    HWND tooltip_ = nullptr;
    duPlugin* focus_ = nullptr;
    duPlugin* hot_ = nullptr;
    duPlugin* capture_ = nullptr;
    duZorderList zorder_;
    duWindowManager* manager_;
    HWND hwnd_;
    WNDPROC previousProc_ = nullptr;
    BitmapHandle windowImage_;
    // The window image stays selected into one memory DC, through which
    // paints, redraws and presents draw: under Wine a DC made and a bitmap
    // selected for each redraw cost as much as drawing a button. Declared
    // after the image, so that it lets go of it before the image is deleted.
    MemoryDc imageDc_;
    HGDIOBJ imageDcBitmap_ = nullptr;  // the DC's own bitmap, put back on teardown
    BitmapHandle caretBitmap_;
    UINT caretTimerId_ = 0;
    int caretX_ = 0, caretY_ = 0;
    bool caretShown_ = false;
    RECT caretDrawn_{};  // where the caret shown on screen was drawn
    std::map<UINT, duPlugin*> timers_;
    std::vector<duPlugin*> hooks_;
    std::map<std::wstring, duPlugin*> names_;
    bool inSizeMove_ = false;
    DpiScale scale_;

    duWindow* root_ = nullptr;
    // The window's skin element, copied so that the plugins' elements outlive
    // a change of skin.
    tinyxml2::XMLDocument elements_;
    int caretWidth_ = 0, caretHeight_ = 0;
    bool caretWanted_ = false;  // shown by the control (blinking)
    bool caretSystem_ = false;  // a system caret exists (normal window)
    bool tooltipTracking_ = false;
    int depth_ = 0;             // nesting of WindowProc calls
    bool torndown_ = false;
    duPlugin* redrawn_ = nullptr;  // the plugin a single repaint draws afresh
    bool underlayClear_ = false;   // nothing drawn yet on the cleared image area being painted
    bool attached_ = false;    // the tree is complete and the window set up
    std::unique_ptr<WindowAccess> access_;
    int layoutDepth_ = 0;
    struct Notice {
        duPlugin* plugin;
        int code, param1, param2;
    };
    std::vector<Notice> deferred_;
};

// Marks a layout of one window for its lifetime: a handler called from the
// middle of a layout could destroy what the layout still walks, so the
// notifications raised meanwhile are delivered, to the plugins still alive,
// when the outermost layout ends.
class LayoutScope {
public:
    explicit LayoutScope(duPlugin* anyPluginOfTheWindow);
    explicit LayoutScope(WindowHost* host);
    ~LayoutScope();
    LayoutScope(const LayoutScope&) = delete;
    LayoutScope& operator=(const LayoutScope&) = delete;

private:
    HWND hwnd_ = nullptr;
};

// Unique timer identifiers for controls and carets, process-wide.
UINT NewTimerId();
