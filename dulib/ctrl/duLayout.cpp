#include "dulib/ctrl/duLayout.h"

#include <algorithm>
#include <vector>

#include "dulib/ctrl/EngineOps.h"
#include "dulib/ctrl/PassThrough.h"
#include "dulib/ctrl/PluginRegistry.h"
#include "dulib/ctrl/WindowHost.h"
#include "dulib/ctrl/duPropertyGroup.h"
#include "dulib/res/duStyleGroup.h"

void duLayout::OnCreate() {
    duPropertyGroup* p = GetPropertyGroup();
    p->ReadInt("type", &type_);
    p->ReadInt("startx", &startX_);
    p->ReadInt("starty", &startY_);
    p->ReadInt("xspace", &xSpace_);
    p->ReadInt("yspace", &ySpace_);
}

// Arranged at the end of loading too, so that a layout whose window never
// changes size (or a cloned row) is arranged from the start.
void duLayout::OnInitialized() {
    if (type_ >= 1 && type_ <= 7) Arrange();
}

void duLayout::Resize(const RECT* parentRect) {
    LayoutScope layout(this);
    if (type_ < 1 || type_ > 7) {
        duPlugin::Resize(parentRect);
        return;
    }
    // Arranged children are placed once, by the arrangement; placing them by
    // their own attributes first would double the work at every nesting level.
    PlaceSelf(parentRect);
    for (duPlugin* c = GetFirstChild(); c; c = c->GetNextSibling())
        if (!c->IsVisible()) c->Resize(nullptr);
    Arrange();
}

void duLayout::Arrange() {
    if (type_ < 1 || type_ > 7 || arranging_) return;
    LayoutScope layout(this);
    arranging_ = true;
    // Arranged in skin units, like everything placed.
    RECT box = GetLayoutRect();
    const int boxW = box.right - box.left, boxH = box.bottom - box.top;
    std::vector<duPlugin*> kids;
    for (duPlugin* c = GetFirstChild(); c; c = c->GetNextSibling())
        if (c->IsVisible()) kids.push_back(c);
    auto width = [](duPlugin* c) { RECT r = c->GetLayoutRect(); return static_cast<int>(r.right - r.left); };
    auto height = [](duPlugin* c) { RECT r = c->GetLayoutRect(); return static_cast<int>(r.bottom - r.top); };
    auto rel = [&box](duPlugin* c) { RECT r = c->GetLayoutRect(); ::OffsetRect(&r, -box.left, -box.top); return r; };
    const int n = static_cast<int>(kids.size());
    auto wide = [](int v) { return static_cast<long long>(v); };

    switch (type_) {
    case 1:
        for (int i = 0; i < n; ++i) {
            kids[i]->SetPosLeft(i == 0 ? startX_ : SaturateCoordinate(wide(rel(kids[i - 1]).right) + xSpace_));
            kids[i]->SetHorzAnchor(0);
            kids[i]->Resize(&box);
        }
        break;
    case 2:
        for (int i = n - 1; i >= 0; --i) {
            const int w = width(kids[i]);
            kids[i]->SetPosLeft(SaturateCoordinate(i == n - 1 ? -(wide(w) + startX_)
                                                              : wide(kids[i + 1]->GetPosLeft()) - xSpace_ - w));
            kids[i]->SetHorzAnchor(0);
            kids[i]->Resize(&box);
        }
        break;
    case 3:
        for (int i = 0; i < n; ++i) {
            kids[i]->SetPosTop(i == 0 ? startY_ : SaturateCoordinate(wide(rel(kids[i - 1]).bottom) + ySpace_));
            kids[i]->SetVertAnchor(0);
            kids[i]->Resize(&box);
        }
        break;
    case 4:
        for (int i = n - 1; i >= 0; --i) {
            const int h = height(kids[i]);
            kids[i]->SetPosTop(SaturateCoordinate(i == n - 1 ? -(wide(h) + startY_)
                                                             : wide(kids[i + 1]->GetPosTop()) - ySpace_ - h));
            kids[i]->SetVertAnchor(0);
            kids[i]->Resize(&box);
        }
        break;
    case 5:
    case 6: {
        if (n == 0) break;
        const bool horz = type_ == 5;
        // Spacing larger than the layout leaves nothing to share: sizes are
        // never negative.
        const long long space = std::clamp<long long>(wide(horz ? boxW : boxH) -
                                                          wide(n - 1) * (horz ? xSpace_ : ySpace_) -
                                                          (horz ? startX_ : startY_),
                                                      0, kCoordinateLimit);
        const int each = static_cast<int>(space / n), extra = static_cast<int>(space % n);
        for (int i = 0; i < n; ++i) {
            const int size = each + (i < extra ? 1 : 0);
            if (horz) {
                kids[i]->SetPosWidth(size);
                kids[i]->SetPosLeft(i == 0 ? startX_ : SaturateCoordinate(wide(rel(kids[i - 1]).right) + xSpace_));
                kids[i]->SetHorzAnchor(0);
            } else {
                kids[i]->SetPosHeight(size);
                kids[i]->SetPosTop(i == 0 ? startY_ : SaturateCoordinate(wide(rel(kids[i - 1]).bottom) + ySpace_));
                kids[i]->SetVertAnchor(0);
            }
            kids[i]->Resize(&box);
        }
        break;
    }
    case 7: {
        int lowest = startY_;
        int rowTop = startY_;
        for (int i = 0; i < n; ++i) {
            duPlugin* c = kids[i];
            int left = i == 0 ? startX_ : SaturateCoordinate(wide(rel(kids[i - 1]).right) + xSpace_);
            int top = rowTop;
            if (wide(left) + width(c) > boxW) {
                left = startX_;
                top = c == GetFirstChild() ? lowest : SaturateCoordinate(wide(lowest) + ySpace_);
                rowTop = top;
            }
            c->SetPosLeft(left);
            c->SetPosTop(top);
            c->SetHorzAnchor(0);
            c->SetVertAnchor(0);
            c->Resize(&box);
            lowest = std::max(lowest, static_cast<int>(rel(c).bottom));
        }
        break;
    }
    default:
        break;
    }
    arranging_ = false;
}

void duLayout::OnChildShow(duPlugin*, BOOL) { Arrange(); }

void duLayout::OnChildResize(duPlugin*) {
    if (arranging_) return;
    Arrange();
    RedrawPlugin(this, FALSE);
}

void duLayout::OnMouseIn(int x, int y) { PassEnter(this, x, y, false); }
void duLayout::OnMouseLeave(int x, int y) { PassLeave(this, x, y, false); }
void duLayout::OnMouseLDown(int x, int y) { PassGhostButton(this, GhostButton::LDown, x, y); }
void duLayout::OnMouseLUp(int x, int y) { PassGhostButton(this, GhostButton::LUp, x, y); }
void duLayout::OnMouseRDown(int x, int y) { PassGhostButton(this, GhostButton::RDown, x, y); }
void duLayout::OnMouseRUp(int x, int y) { PassGhostButton(this, GhostButton::RUp, x, y); }

void duLayout::DrawObject(HDC dc) {
    if (duStyleGroup* style = GetStyleGroup(GetStyle())) {
        RECT r = LocalRect();
        style->DrawStyle(dc, &r, GetState(), GetText(), GetAlpha(), Scale());
    }
}
