#include "dulib/ctrl/ButtonFace.h"

#include <algorithm>

#include "dulib/ctrl/EngineOps.h"
#include "dulib/ctrl/PluginRegistry.h"
#include "dulib/ctrl/PluginTree.h"
#include "dulib/ctrl/WindowHost.h"
#include "dulib/ctrl/duPropertyGroup.h"
#include "dulib/res/Painters.h"
#include "dulib/res/duImage.h"
#include "dulib/res/duResManager.h"
#include "dulib/res/duStyleGroup.h"

void ButtonFace::Read(duPlugin* self, int features) {
    duPropertyGroup* p = self->GetPropertyGroup();
    p->ReadFlag("autosize", &autosize);
    p->ReadInt("fixleft", &fixLeft);
    p->ReadInt("fixright", &fixRight);
    p->ReadText("icon", icon, kPluginTextSize);
    p->ReadInt("iconx", &iconX);
    p->ReadInt("icony", &iconY);
    p->ReadInt("iconwidth", &iconWidth);
    p->ReadInt("iconheight", &iconHeight);
    p->ReadText("tooltip", tooltip, kPluginTextSize);
    if (features & kFade) {
        p->ReadFlag("fade", &fade);
        p->ReadInt("fadeinspeed", &fadeInSpeed);
        p->ReadInt("fadeoutspeed", &fadeOutSpeed);
    }
    if (features & kStatusIcon) {
        p->ReadText("status_icon", statusIcon, kPluginTextSize);
        p->ReadInt("status_iconx", &statusX);
        p->ReadInt("status_icony", &statusY);
        p->ReadInt("status_iconwidth", &statusWidth);
        p->ReadInt("status_iconheight", &statusHeight);
        p->ReadFlag("graydisable", &grayDisable);
    }
    if (features & kCheck) p->ReadFlag("checked", &checked);
    if (features & kGroup) p->ReadInt("groupid", &groupId);
}

void ButtonFace::Change(duPlugin* self, UINT from) {
    if (fade) StartFade(self, from, self->GetState());
    else RedrawPlugin(self, TRUE);
}

void ButtonFace::StartFade(duPlugin* self, UINT from, UINT to) {
    WindowHost* host = self->GetHost();
    if (!host || !timerId) {
        RedrawPlugin(self, TRUE);
        return;
    }
    fading = true;
    fadeTarget = to;
    fadePrevious = from;
    targetAlpha = 0;
    previousAlpha = std::clamp(self->GetAlpha(), 0, 255);
    host->SetPluginTimer(self, timerId, 30);
}

void ButtonFace::StopFade(duPlugin* self) {
    if (!fading) return;
    fading = false;
    if (WindowHost* host = self->GetHost()) host->KillPluginTimer(timerId);
}

void ButtonFace::OnTimer(duPlugin* self, UINT id) {
    if (id != timerId || !fading) return;
    // A speed the skin gives as 0 or below means the default, so that every
    // fade ends; above 255 it ends in one step.
    targetAlpha = std::min(255, targetAlpha + (fadeInSpeed > 0 ? std::min(fadeInSpeed, 255) : 40));
    previousAlpha = std::max(0, previousAlpha - (fadeOutSpeed > 0 ? std::min(fadeOutSpeed, 255) : 30));
    const bool done = targetAlpha >= 255 && previousAlpha <= 0;
    if (done) StopFade(self);
    else RedrawPlugin(self, FALSE);
    if (done && IsValidPlugin(self)) RedrawPlugin(self, FALSE);
}

namespace {

RECT IconRect(duPlugin* self, int x, int y, int w, int h) {
    const RECT local = self->LocalRect();
    const DpiScale scale = self->Scale();
    // A centred icon keeps its scaled size; a placed one its scaled edges.
    const int width = x == -1 ? scale.Point(w) : scale.Span(x, w);
    const int height = y == -1 ? scale.Point(h) : scale.Span(y, h);
    const int left = x == -1 ? (local.right - width) / 2 : scale.Point(x);
    const int top = y == -1 ? (local.bottom - height) / 2 : scale.Point(y);
    return RECT{left, top, left + width, top + height};
}

void PaintIcon(duPlugin* self, HDC dc, const wchar_t* name, const RECT& dest, bool gray) {
    if (!name[0]) return;
    duResManager* res = self->GetResManager();
    auto* image = res ? static_cast<duImage*>(res->GetResObj(name, RES_IMAGE)) : nullptr;
    if (!image) return;
    // Above 100 % the icon comes from the picture drawn for the scale.
    const DpiScale scale = self->Scale();
    const SIZE size{dest.right - dest.left, dest.bottom - dest.top};
    if (!scale.IsIdentity())
        image = image->ScaledCell(RECT{0, 0, image->GetWidth(), image->GetHeight()}, scale.Dpi(), size);
    if (!image) return;
    duImage* drawn = gray ? image->MakeGrayCopy() : image;
    if (!drawn) return;
    const RECT source{0, 0, drawn->GetWidth(), drawn->GetHeight()};
    PaintStretch(dc, dest, drawn, source, self->GetAlpha());
    if (gray) drawn->Destroy();
}

}  // namespace

void ButtonFace::Paint(duPlugin* self, HDC dc, bool allowGray) {
    const RECT local = self->LocalRect();
    const UINT state = self->GetState();
    const bool gray = allowGray && grayDisable && state == STATE_DISABLE;
    const DpiScale scale = self->Scale();
    if (duStyleGroup* style = self->GetStyleGroup(self->GetStyle())) {
        if (fading) {
            style->DrawStyleBack(dc, &local, fadePrevious, self->GetText(), previousAlpha, scale);
            style->DrawStyleBack(dc, &local, fadeTarget, self->GetText(), targetAlpha, scale);
            style->DrawStyleText(dc, &local, fadeTarget, self->GetText(), self->GetAlpha(), scale);
        } else if (gray) {
            style->DrawStyleGray(dc, &local, state, self->GetText(), self->GetAlpha(), scale);
        } else {
            style->DrawStyle(dc, &local, state, self->GetText(), self->GetAlpha(), scale);
        }
    }
    PaintIcon(self, dc, icon, IconRect(self, iconX, iconY, iconWidth, iconHeight), gray);
    PaintIcon(self, dc, statusIcon, IconRect(self, statusX, statusY, statusWidth, statusHeight), gray);
}

void ButtonFace::AutoSize(duPlugin* self) {
    duStyleGroup* style = self->GetStyleGroup(self->GetStyle());
    if (!style) return;
    SIZE size{0, 0};
    const DpiScale scale = self->Scale();
    style->MeasureStyleText(self->GetState(), self->GetText(), &size, scale);
    // Measured in pixels, placed in skin units.
    int width = scale.ToSkinCeil(size.cx);
    if (duPlugin* parent = self->GetParent()) {
        const RECT pr = parent->GetLayoutRect();
        width = std::min(width, static_cast<int>(pr.right - pr.left) - 1);
    }
    self->SetPosWidth(width + fixLeft + fixRight);
    MovePlugin(self, nullptr);
}

void ButtonFace::ShowTip(duPlugin* self) {
    if (!tooltip[0]) return;
    if (WindowHost* host = self->GetHost()) host->ShowTooltip(tooltip);
}

void ButtonFace::HideTip(duPlugin* self) {
    if (!tooltip[0]) return;
    if (WindowHost* host = self->GetHost()) host->HideTooltip();
}
