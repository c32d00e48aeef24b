#include "dulib/ctrl/duCheckBox.h"

#include "dulib/ctrl/EngineOps.h"
#include "dulib/ctrl/PassThrough.h"
#include "dulib/ctrl/PluginRegistry.h"
#include "dulib/ctrl/WindowHost.h"

duCheckBox::~duCheckBox() { face_.StopFade(this); }

void duCheckBox::OnCreate() { face_.Read(this, ButtonFace::kFade | ButtonFace::kCheck); }

void duCheckBox::OnInitialized() {
    face_.timerId = NewTimerId();
    SetCheck(face_.checked);
    if (face_.autosize) face_.AutoSize(this);
}

void duCheckBox::SetText(const wchar_t* text) {
    duPlugin::SetText(text);
    if (face_.autosize) face_.AutoSize(this);
}

BOOL duCheckBox::IsChecked() { return face_.checked ? TRUE : FALSE; }

void duCheckBox::SetCheck(BOOL checked) {
    face_.checked = checked ? 1 : 0;
    SetState(checked ? STATE_CHECKED : STATE_NORMAL);
}

void duCheckBox::OnMouseIn(int x, int y) {
    PassEnter(this, x, y, false);
    face_.ShowTip(this);
    const bool checked = InCheckedFamily();
    SetState(checked ? STATE_CHECKEDOVER : STATE_OVER);
    face_.Change(this, checked ? STATE_CHECKED : STATE_NORMAL);
}

void duCheckBox::OnMouseLeave(int x, int y) {
    PassLeave(this, x, y, false);
    face_.HideTip(this);
    RECT r;
    GetRect(&r);
    if (IsAssociate() && ::PtInRect(&r, POINT{x, y})) return;
    const UINT before = GetState();
    SetState(InCheckedFamily() ? STATE_CHECKED : STATE_NORMAL);
    face_.Change(this, before);
}

void duCheckBox::OnMouseLDown(int, int) {
    SetState(InCheckedFamily() ? STATE_CHECKEDPRESS : STATE_PRESS);
    RedrawPlugin(this, TRUE);
}

void duCheckBox::OnMouseLUp(int, int) {
    const UINT before = GetState();
    int report = -1;
    if (before == STATE_CHECKEDPRESS) {
        face_.checked = 0;
        SetState(STATE_NORMAL);
        report = 0;
    } else if (before & 0xFF00) {
        SetState(STATE_CHECKED);  // released elsewhere: stays checked
    } else if (before == STATE_PRESS) {
        face_.checked = 1;
        SetState(STATE_CHECKED);
        report = 1;
    } else {
        face_.checked = 0;
        SetState(STATE_NORMAL);
    }
    RedrawPlugin(this, TRUE);
    if (report >= 0 && IsValidPlugin(this)) NotifyUser(this, DUM_CKCLICK, report, 0);
}

void duCheckBox::OnMouseDbClick(int, int) { NotifyUser(this, DUM_CKDBCLICK, face_.checked, 0); }

void duCheckBox::OnKeyDown(UINT key, UINT, UINT) {
    if (key != VK_SPACE) return;
    const BOOL now = !IsChecked();
    SetCheck(now);
    if (face_.fade) {
        SetState(now ? STATE_CHECKEDOVER : STATE_OVER);
        face_.StartFade(this, now ? STATE_OVER : STATE_CHECKEDOVER, GetState());
    } else {
        RedrawPlugin(this, TRUE);
    }
    if (IsValidPlugin(this)) NotifyUser(this, DUM_CKCLICK, now, 0);
}

void duCheckBox::OnTimer(UINT id) { face_.OnTimer(this, id); }

void duCheckBox::OnRedraw() { face_.StopFade(this); }

void duCheckBox::DrawObject(HDC dc) { face_.Paint(this, dc, false); }
