#include "dulib/ctrl/duButton.h"

#include "dulib/ctrl/EngineOps.h"
#include "dulib/ctrl/PassThrough.h"
#include "dulib/ctrl/PluginRegistry.h"
#include "dulib/ctrl/WindowHost.h"

duButton::~duButton() { face_.StopFade(this); }

void duButton::OnCreate() { face_.Read(this, ButtonFace::kFade | ButtonFace::kStatusIcon); }

void duButton::OnInitialized() {
    face_.timerId = NewTimerId();
    if (face_.autosize) face_.AutoSize(this);
}

void duButton::SetText(const wchar_t* text) {
    duPlugin::SetText(text);
    if (face_.autosize) face_.AutoSize(this);
}

void duButton::OnMouseIn(int x, int y) {
    PassEnter(this, x, y, false);
    face_.ShowTip(this);
    SetState(STATE_OVER);
    face_.Change(this, STATE_NORMAL);
}

void duButton::OnMouseLeave(int x, int y) {
    PassLeave(this, x, y, false);
    face_.HideTip(this);
    RECT r;
    GetRect(&r);
    if (IsAssociate() && ::PtInRect(&r, POINT{x, y})) return;
    const UINT before = GetState();
    SetState(STATE_NORMAL);
    face_.Change(this, before);
}

void duButton::OnMouseLDown(int, int) {
    SetState(STATE_PRESS);
    RedrawPlugin(this, TRUE);
}

void duButton::OnMouseLUp(int, int) {
    const UINT before = GetState();
    SetState(STATE_OVER);
    RedrawPlugin(this, TRUE);
    if (before == STATE_PRESS && IsValidPlugin(this)) NotifyUser(this, DUM_BTNCLICK, 0, 0);
}

void duButton::OnMouseDbClick(int, int) { NotifyUser(this, DUM_BTNDBCLICK, 0, 0); }

void duButton::OnKeyDown(UINT key, UINT, UINT) {
    if (key == VK_SPACE) NotifyUser(this, DUM_BTNCLICK, 0, 0);
}

void duButton::OnTimer(UINT id) { face_.OnTimer(this, id); }

void duButton::OnRedraw() { face_.StopFade(this); }

void duButton::DrawObject(HDC dc) { face_.Paint(this, dc, true); }
