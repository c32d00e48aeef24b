#include "dulib/ctrl/duProgress.h"

#include "dulib/ctrl/PassThrough.h"
#include "dulib/ctrl/duPropertyGroup.h"
#include "dulib/res/duStyleGroup.h"

void duProgress::OnCreate() {
    duPropertyGroup* p = GetPropertyGroup();
    p->ReadInt("progresspos", &pos_);
    p->ReadInt("leftborder", &left_);
    p->ReadInt("rightborder", &right_);
    p->ReadInt("topborder", &top_);
    p->ReadInt("bottomborder", &bottom_);
    p->ReadText("progressstyle", fillStyle_, kPluginTextSize);
}

void duProgress::OnMouseIn(int x, int y) { PassEnter(this, x, y, false); }
void duProgress::OnMouseLeave(int x, int y) { PassLeave(this, x, y, false); }

RECT duProgress::GetFillRect() {
    const RECT local = LocalRect();
    const double p = pos_;
    if (p < 0) return RECT{};
    const DpiScale scale = Scale();
    const int left = scale.Point(left_), top = scale.Point(top_), rightBorder = scale.Point(right_),
              bottom = scale.Point(bottom_);
    RECT fill{local.left + left, local.top + top, local.right - rightBorder, local.bottom - bottom};
    if (p > 100) return fill;
    const int x0 = fill.left;
    int right = x0 + static_cast<int>((local.right - local.left - left - rightBorder) * p / 100.0);
    if (p != 0 && right == x0) right = x0 + 1;
    fill.right = right;
    return fill;
}

void duProgress::DrawObject(HDC dc) {
    const RECT local = LocalRect();
    const DpiScale scale = Scale();
    if (duStyleGroup* back = GetStyleGroup(GetStyle()))
        back->DrawStyle(dc, &local, STATE_NORMAL, nullptr, GetAlpha(), scale);
    const RECT fill = GetFillRect();
    // Nothing to fill at 0 percent or below.
    if (::IsRectEmpty(&fill)) return;
    if (duStyleGroup* bar = GetStyleGroup(fillStyle_))
        bar->DrawStyle(dc, &fill, STATE_NORMAL, nullptr, GetAlpha(), scale);
}
