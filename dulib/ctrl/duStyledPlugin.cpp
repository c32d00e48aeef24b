#include "dulib/ctrl/duStyledPlugin.h"

#include "dulib/res/duStyleGroup.h"

void duStyledPlugin::DrawObject(HDC dc) {
    if (duStyleGroup* style = GetStyleGroup(GetStyle())) {
        RECT r = LocalRect();
        style->DrawStyle(dc, &r, GetState(), GetText(), GetAlpha(), Scale());
    }
}
