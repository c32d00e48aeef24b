#pragma once
// Owns the loaded skin (document and resources) and the engine state of every
// window attached to it.
#include <windows.h>

#include <map>

#include "dulib/res/duSkin.h"

class WindowHost;

class duWindowManager : public duSkin {
public:
    duWindowManager() = default;

    const wchar_t* GetClassName() override { return L"duWindowManager"; }
    // Attaches the skin window `name` (a duwindow of the ducontrol section) to
    // hwnd. A second attach of an already attached window is refused.
    virtual bool AttachWindow(HWND hwnd, const wchar_t* name);

    // Called by the host when its window goes away.
    void ForgetWindow(HWND hwnd);
    WindowHost* FindHost(HWND hwnd) const;

protected:
    ~duWindowManager() override;
    void OnSkinChanged() override;

private:
    std::map<HWND, WindowHost*> hosts_;  // owned by the windows (freed at WM_NCDESTROY)
};
