#include "dulib/ctrl/duRadio.h"

#include <cwchar>

#include "dulib/ctrl/EngineOps.h"
#include "dulib/ctrl/PassThrough.h"
#include "dulib/ctrl/PluginRegistry.h"

void duRadio::OnCreate() { face_.Read(this, ButtonFace::kCheck | ButtonFace::kGroup); }

void duRadio::OnInitialized() {
    if (face_.checked) SetCheck(1);
    if (face_.autosize) face_.AutoSize(this);
}

void duRadio::SetText(const wchar_t* text) {
    duPlugin::SetText(text);
    if (face_.autosize) face_.AutoSize(this);
}

BOOL duRadio::IsChecked() { return (GetState() & 0xFF00) ? TRUE : FALSE; }

void duRadio::SetCheck(BOOL checked) {
    if (duPlugin* parent = GetParent()) {
        for (duPlugin* s = parent->GetFirstChild(); s; s = s->GetNextSibling()) {
            if (s == this || _wcsicmp(s->GetType(), L"radio") != 0) continue;
            auto* radio = dynamic_cast<duRadio*>(s);
            if (!radio || radio->GetGroupId() != face_.groupId) continue;
            const bool was = radio->IsChecked();
            radio->SetState(STATE_NORMAL);
            if (was) RedrawPlugin(radio, TRUE);
        }
    }
    SetState(checked ? STATE_CHECKED : STATE_NORMAL);
}

void duRadio::OnMouseIn(int x, int y) {
    PassEnter(this, x, y, false);
    face_.ShowTip(this);
    SetState(IsChecked() ? STATE_CHECKEDOVER : STATE_OVER);
    RedrawPlugin(this, TRUE);
}

void duRadio::OnMouseLeave(int x, int y) {
    PassLeave(this, x, y, false);
    face_.HideTip(this);
    RECT r;
    GetRect(&r);
    if (IsAssociate() && ::PtInRect(&r, POINT{x, y})) return;
    SetState(IsChecked() ? STATE_CHECKED : STATE_NORMAL);
    RedrawPlugin(this, TRUE);
}

void duRadio::OnMouseLDown(int, int) {
    SetState(IsChecked() ? STATE_CHECKEDPRESS : STATE_PRESS);
    RedrawPlugin(this, TRUE);
}

void duRadio::OnMouseLUp(int, int) {
    if (GetState() != STATE_PRESS) return;
    SetCheck(1);
    RedrawPlugin(this, TRUE);
    if (IsValidPlugin(this)) NotifyUser(this, DUM_RADIOCHECKED, 1, 0);
}

void duRadio::DrawObject(HDC dc) { face_.Paint(this, dc, false); }
