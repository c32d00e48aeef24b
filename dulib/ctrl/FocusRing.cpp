#include "dulib/ctrl/FocusRing.h"

#include <memory>

#include "dulib/ctrl/PluginRegistry.h"
#include "dulib/ctrl/PluginTree.h"
#include "dulib/ctrl/duPlugin.h"
#include "dulib/ctrl/duPropertyGroup.h"
#include "dulib/res/duRectStyle.h"

RECT FocusRingRect(duPlugin* focus) {
    RECT none{};
    if (!IsValidPlugin(focus) || !IsPluginShown(focus)) return none;
    const RECT visible = GetVisibleRect(focus);
    if (::IsRectEmpty(&visible)) return none;
    RECT ring;
    focus->GetRect(&ring);
    const DpiScale scale = focus->Scale();
    const int reach = scale.Thickness(kFocusRingGap) + scale.Thickness(kFocusRingWidth);
    ::InflateRect(&ring, reach, reach);
    duPlugin* scope = FocusRingScope(focus);
    if (scope != focus) {
        const RECT area = GetVisibleRect(scope);
        if (!::IntersectRect(&ring, &ring, &area)) return none;
    }
    return ring;
}

duPlugin* FocusRingScope(duPlugin* focus) {
    if (!IsValidPlugin(focus)) return nullptr;
    return focus->GetParent() ? focus->GetParent() : focus;
}

COLORREF FocusRingColor(duPlugin* root) {
    COLORREF color = kDefaultFocusColor;
    if (IsValidPlugin(root) && root->GetPropertyGroup()) root->GetPropertyGroup()->ReadColor("focuscolor", &color);
    return color;
}

void PaintFocusRing(HDC dc, const RECT& ring, const RECT& clip, COLORREF color, const DpiScale& scale) {
    if (!dc || ::IsRectEmpty(&ring)) return;
    std::unique_ptr<duRectStyle, duObjectDestroyer> fill(new duRectStyle());
    fill->SetFill(1);
    fill->SetFillColor(color);
    const int w = scale.Thickness(kFocusRingWidth);
    const RECT edges[] = {
        {ring.left, ring.top, ring.right, ring.top + w},
        {ring.left, ring.bottom - w, ring.right, ring.bottom},
        {ring.left, ring.top + w, ring.left + w, ring.bottom - w},
        {ring.right - w, ring.top + w, ring.right, ring.bottom - w},
    };
    for (const RECT& edge : edges) {
        RECT part;
        if (::IntersectRect(&part, &edge, &clip)) fill->Draw(dc, &part, nullptr, 255);
    }
}
