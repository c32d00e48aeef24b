#include "dulib/ctrl/WindowAccess.h"

#include <oleacc.h>

#include "dulib/ctrl/AccessibleModel.h"
#include "dulib/ctrl/AccessibleNode.h"
#include "dulib/ctrl/ControlTraits.h"
#include "dulib/ctrl/EngineOps.h"
#include "dulib/ctrl/FocusNavigation.h"
#include "dulib/ctrl/FocusRing.h"
#include "dulib/ctrl/PluginActions.h"
#include "dulib/ctrl/PluginRegistry.h"
#include "dulib/ctrl/WindowHost.h"
#include "dulib/ctrl/duRadio.h"
#include "dulib/ctrl/duWindow.h"

WindowAccess::WindowAccess(WindowHost* host) : host_(host), events_(host) {}

bool WindowAccess::PreRoute(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (msg) {
    case WM_KEYDOWN:
        if (!OnKeyDown(static_cast<UINT>(wParam))) return false;
        *result = 0;
        return true;
    case WM_SYSKEYDOWN:
        if (wParam == VK_MENU) ShowCues();
        return false;
    case WM_UPDATEUISTATE:
        if (HIWORD(wParam) & UISF_HIDEFOCUS) {
            if (LOWORD(wParam) == UIS_CLEAR) ShowCues();
            if (LOWORD(wParam) == UIS_SET && cues_) {
                cues_ = false;
                RepaintRing(host_->GetFocusPlugin());
            }
        }
        return false;
    case WM_SETFOCUS:
        RaiseFocus();
        return false;
    case WM_GETOBJECT: {
        if (static_cast<LONG>(lParam) != OBJID_CLIENT || !IsValidPlugin(host_->GetRoot())) return false;
        IAccessible* client = NewAccessibleObject(host_->GetHwnd(), IdOf(host_->GetRoot()));
        if (!client) return false;
        const LRESULT answer = ::LresultFromObject(__uuidof(IAccessible), wParam, client);
        client->Release();
        if (FAILED(static_cast<HRESULT>(answer))) return false;  // the system's own object then
        *result = answer;
        return true;
    }
    default:
        return false;
    }
}

bool WindowAccess::OnKeyDown(UINT key) {
    if (::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_MENU) < 0) return false;
    duPlugin* focus = host_->GetFocusPlugin();
    if (!IsValidPlugin(focus)) focus = nullptr;
    switch (key) {
    case VK_TAB:
        ShowCues();
        MoveTabFocus(host_, ::GetKeyState(VK_SHIFT) >= 0);
        return true;
    case VK_RETURN: {
        duPlugin* target = FindFlaggedButton(host_->GetRoot(), "default");
        return target && DoDefaultAction(target);
    }
    case VK_ESCAPE: {
        duPlugin* target = FindFlaggedButton(host_->GetRoot(), "cancel");
        return target && DoDefaultAction(target);
    }
    case VK_SPACE:
        // Buttons and check boxes take the space bar themselves.
        if (!focus || !(dynamic_cast<duRadio*>(focus) || ListOfRow(focus))) return false;
        DoDefaultAction(focus);
        return true;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_HOME:
    case VK_END:
        if (!focus || !(ListOfRow(focus) || dynamic_cast<duRadio*>(focus))) return false;
        ShowCues();
        return MoveRowFocus(host_, focus, key) || MoveRadioFocus(host_, focus, key);
    default:
        return false;
    }
}

void WindowAccess::OnFocusMoved(duPlugin* old) {
    if (cues_) {
        RepaintRing(old);
        RepaintRing(host_->GetFocusPlugin());
    }
    RaiseFocus();
}

void WindowAccess::AfterPaint(HDC dc, const RECT& area, duPlugin* repainted) {
    duPlugin* focus = host_->GetFocusPlugin();
    if (cues_ && IsValidPlugin(focus))
        PaintFocusRing(dc, FocusRingRect(focus), area, FocusRingColor(host_->GetRoot()), host_->Scale());
    if (repainted) events_.CompareRepainted(repainted);
    else events_.CompareAround(nullptr);
}

void WindowAccess::Forget(duPlugin* plugin) {
    auto it = ids_.find(plugin);
    if (it != ids_.end()) {
        plugins_.erase(it->second);
        ids_.erase(it);
    }
    givenNames_.erase(plugin);
    events_.Forget(plugin);
}

void WindowAccess::ShowCues() {
    if (cues_) return;
    cues_ = true;
    RepaintRing(host_->GetFocusPlugin());
}

LONG WindowAccess::IdOf(duPlugin* plugin) {
    auto it = ids_.find(plugin);
    if (it != ids_.end()) return it->second;
    const LONG id = nextId_++;
    ids_.emplace(plugin, id);
    plugins_.emplace(id, plugin);
    return id;
}

duPlugin* WindowAccess::PluginOf(LONG id) const {
    auto it = plugins_.find(id);
    return it != plugins_.end() && IsValidPlugin(it->second) ? it->second : nullptr;
}

void WindowAccess::SetGivenName(duPlugin* plugin, const std::wstring& name) {
    if (!IsValidPlugin(plugin)) return;
    if (name.empty()) givenNames_.erase(plugin);
    else givenNames_[plugin] = name;
    events_.CompareAround(plugin);
}

std::wstring WindowAccess::GivenName(duPlugin* plugin) const {
    auto it = givenNames_.find(plugin);
    return it == givenNames_.end() ? std::wstring() : it->second;
}

void WindowAccess::RepaintRing(duPlugin* around) {
    duPlugin* scope = FocusRingScope(around);
    if (IsValidPlugin(scope)) RedrawPlugin(scope, FALSE);
}

void WindowAccess::RaiseFocus() {
    if (::GetFocus() != host_->GetHwnd()) return;
    duPlugin* focus = host_->GetFocusPlugin();
    if (!IsValidPlugin(focus)) return;
    // A plugin that is no object of its own (a plain layout) stands for the
    // object around it.
    while (focus && !IsAccessibleObject(focus)) focus = focus->GetParent();
    events_.Raise(EVENT_OBJECT_FOCUS, focus ? focus : host_->GetRoot());
}
