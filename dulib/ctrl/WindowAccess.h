#pragma once
// Keyboard and accessibility support of one attached window: the keys that
// move the focus and act (Tab, Shift+Tab, arrows, Space, Enter, Esc), the
// focus ring once the keyboard has been used (as the system shows its
// keyboard cues), the accessible objects handed out for WM_GETOBJECT, and the
// WinEvents that tell clients about focus, names, values, states and pages.
#include <windows.h>

#include <map>
#include <string>

#include "dulib/ctrl/AccessEvents.h"

class duPlugin;
class WindowHost;

class WindowAccess {
public:
    explicit WindowAccess(WindowHost* host);
    WindowAccess(const WindowAccess&) = delete;
    WindowAccess& operator=(const WindowAccess&) = delete;

    // Runs before the engine routes a message; true when it answered the
    // message itself (*result holds the answer).
    bool PreRoute(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // The focus plugin changed; `old` had it before.
    void OnFocusMoved(duPlugin* old);
    // Last step of a paint into dc, clipped to `area`: the ring over
    // everything, and the clients told what changed around `repainted`
    // (null: the whole window).
    void AfterPaint(HDC dc, const RECT& area, duPlugin* repainted);
    // A plugin is going away.
    void Forget(duPlugin* plugin);

    // The focus ring shows from now on.
    void ShowCues();
    bool CuesShown() const { return cues_; }

    // Positive identifiers for clients, unique while the window lives.
    LONG IdOf(duPlugin* plugin);
    duPlugin* PluginOf(LONG id) const;
    // A name given by the application; empty gives the plugin its own back.
    void SetGivenName(duPlugin* plugin, const std::wstring& name);
    std::wstring GivenName(duPlugin* plugin) const;
    AccessEvents& Events() { return events_; }

private:
    bool OnKeyDown(UINT key);
    void RepaintRing(duPlugin* around);
    void RaiseFocus();

    WindowHost* host_;
    AccessEvents events_;
    bool cues_ = false;
    LONG nextId_ = 1;
    std::map<duPlugin*, LONG> ids_;
    std::map<LONG, duPlugin*> plugins_;
    std::map<duPlugin*, std::wstring> givenNames_;
};
