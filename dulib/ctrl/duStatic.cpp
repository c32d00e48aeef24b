#include "dulib/ctrl/duStatic.h"

#include "dulib/ctrl/PassThrough.h"
#include "dulib/res/duStyleGroup.h"

void duStatic::OnMouseIn(int x, int y) { PassEnter(this, x, y, true); }
void duStatic::OnMouseLeave(int x, int y) { PassLeave(this, x, y, true); }
void duStatic::OnMouseLDown(int x, int y) { PassGhostButton(this, GhostButton::LDown, x, y); }
void duStatic::OnMouseLUp(int x, int y) { PassGhostButton(this, GhostButton::LUp, x, y); }
void duStatic::OnMouseRDown(int x, int y) { PassGhostButton(this, GhostButton::RDown, x, y); }
void duStatic::OnMouseRUp(int x, int y) { PassGhostButton(this, GhostButton::RUp, x, y); }

void duStatic::DrawObject(HDC dc) {
    if (duStyleGroup* style = GetStyleGroup(GetStyle())) {
        RECT r = LocalRect();
        style->DrawStyle(dc, &r, GetState(), GetText(), GetAlpha(), Scale());
    }
}
