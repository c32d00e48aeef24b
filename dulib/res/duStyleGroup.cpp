#include "dulib/res/duStyleGroup.h"

#include "dulib/res/duImage.h"
#include "dulib/res/duImageStyle.h"
#include "dulib/res/duLineStyle.h"
#include "dulib/res/duRectStyle.h"
#include "dulib/res/duResManager.h"
#include "dulib/res/duTextStyle.h"

#include <string>
#include <utility>

namespace {

COLORREF Grey(COLORREF c) {
    BYTE grey = static_cast<BYTE>((306 * GetRValue(c) + 601 * GetGValue(c) + 117 * GetBValue(c)) / 1024);
    return RGB(grey, grey, grey);
}

}  // namespace

duStyleGroup::~duStyleGroup() {
    for (duStyleBase* item : items_) item->Destroy();
}

const wchar_t* duStyleGroup::GetClassName() { return L"duStyleGroup"; }

bool duStyleGroup::LoadFromXml(const tinyxml2::XMLElement* element) {
    if (!element) return true;
    for (const tinyxml2::XMLElement* child = element->FirstChildElement(); child;
         child = child->NextSiblingElement()) {
        const char* tag = child->Name();
        duStyleBase* item = nullptr;
        if (_stricmp(tag, "image") == 0)
            item = new duImageStyle();
        else if (_stricmp(tag, "text") == 0)
            item = new duTextStyle();
        else if (_stricmp(tag, "rect") == 0)
            item = new duRectStyle();
        else if (_stricmp(tag, "line") == 0)
            item = new duLineStyle();
        else
            continue;
        item->SetResManager(manager_);
        items_.push_back(item);
        item->LoadFromXml(child);
    }
    return true;
}

void duStyleGroup::DrawItems(HDC dc, const RECT* rect, UINT state, const wchar_t* text, int alpha, Pass pass,
                             const DpiScale& scale) {
    for (duStyleBase* item : items_) {
        if (!(item->GetState() & state)) continue;
        bool isText = item->GetStyleType() == STYLE_TEXT;
        if ((pass == Pass::Back && isText) || (pass == Pass::Text && !isText)) continue;
        item->Draw(dc, rect, text, alpha, scale);
    }
}

void duStyleGroup::DrawStyle(HDC dc, const RECT* rect, UINT state, const wchar_t* text, int alpha,
                             const DpiScale& scale) {
    DrawItems(dc, rect, state, text, alpha, Pass::All, scale);
}

void duStyleGroup::DrawStyleBack(HDC dc, const RECT* rect, UINT state, const wchar_t* text, int alpha,
                                 const DpiScale& scale) {
    DrawItems(dc, rect, state, text, alpha, Pass::Back, scale);
}

void duStyleGroup::DrawStyleText(HDC dc, const RECT* rect, UINT state, const wchar_t* text, int alpha,
                                 const DpiScale& scale) {
    DrawItems(dc, rect, state, text, alpha, Pass::Text, scale);
}

void duStyleGroup::DrawStyleGray(HDC dc, const RECT* rect, UINT state, const wchar_t* text, int alpha,
                                 const DpiScale& scale) {
    for (duStyleBase* item : items_)
        if (item->GetState() & state) DrawItemGray(item, dc, rect, text, alpha, scale);
}

void duStyleGroup::DrawItemGray(duStyleBase* item, HDC dc, const RECT* rect, const wchar_t* text, int alpha,
                                const DpiScale& scale) {
    switch (item->GetStyleType()) {
        case STYLE_TEXT: {
            auto* textItem = static_cast<duTextStyle*>(item);
            COLORREF color = textItem->GetTextColor();
            textItem->SetTextColor(Grey(color));
            textItem->Draw(dc, rect, text, alpha, scale);
            textItem->SetTextColor(color);
            break;
        }
        case STYLE_RECT: {
            auto* rectItem = static_cast<duRectStyle*>(item);
            if (!rectItem->GetFill() && !rectItem->GetBorder()) return;
            COLORREF fill = rectItem->GetFillColor(), border = rectItem->GetBorderColor();
            if (rectItem->GetFill()) rectItem->SetFillColor(Grey(fill));
            if (rectItem->GetBorder()) rectItem->SetBorderColor(Grey(border));
            rectItem->Draw(dc, rect, text, alpha, scale);
            rectItem->SetFillColor(fill);
            rectItem->SetBorderColor(border);
            break;
        }
        case STYLE_LINE: {
            auto* lineItem = static_cast<duLineStyle*>(item);
            COLORREF color = lineItem->GetColor();
            lineItem->SetColor(Grey(color));
            lineItem->Draw(dc, rect, text, alpha, scale);
            lineItem->SetColor(color);
            break;
        }
        case STYLE_IMAGE: {
            auto* imageItem = static_cast<duImageStyle*>(item);
            duResManager* manager = imageItem->GetResManager();
            if (!manager) return;
            auto* image = static_cast<duImage*>(manager->GetResObj(imageItem->GetPicFile(), RES_IMAGE));
            duImage* grey = image ? image->MakeGrayCopy() : nullptr;
            if (!grey) return;
            if (!manager->AddResObj(grey)) {
                grey->Destroy();
                return;
            }
            std::wstring own = imageItem->GetPicFile();
            std::wstring greyName = grey->GetName();
            imageItem->SetPicFile(greyName.c_str());
            imageItem->Draw(dc, rect, text, alpha, scale);
            imageItem->SetPicFile(own.c_str());
            manager->DeleteResObj(greyName.c_str(), RES_IMAGE);
            break;
        }
        default:
            break;
    }
}

bool duStyleGroup::CoversOpaquely(UINT state, const RECT& rect, int alpha, const DpiScale& scale) {
    if (alpha < 255 || rect.right <= rect.left || rect.bottom <= rect.top) return false;
    for (duStyleBase* item : items_) {
        if (!(item->GetState() & state) || item->GetStyleType() != STYLE_RECT) continue;
        if (!static_cast<duRectStyle*>(item)->GetFill()) continue;
        const RECT placed = item->PlaceIn(rect, scale);
        RECT both{};
        if (::IntersectRect(&both, &placed, &rect) && ::EqualRect(&both, &rect)) return true;
    }
    return false;
}

int duStyleGroup::GetStyleCount() { return static_cast<int>(items_.size()); }

bool duStyleGroup::AddStyleItem(duStyleBase* item) {
    if (!item) return false;
    items_.push_back(item);
    return true;
}

bool duStyleGroup::RemoveStyleItem(int index) {
    if (index < 0 || index >= GetStyleCount()) return false;
    duStyleBase* item = items_[static_cast<size_t>(index)];
    items_.erase(items_.begin() + index);
    item->Destroy();
    return true;
}

duStyleBase* duStyleGroup::GetStyleItem(int index) {
    if (index < 0 || index >= GetStyleCount()) return nullptr;
    return items_[static_cast<size_t>(index)];
}

void duStyleGroup::MeasureStyleText(UINT state, const wchar_t* text, SIZE* out, const DpiScale& scale) {
    if (!text || !out) return;
    *out = SIZE{0, 0};
    for (duStyleBase* item : items_) {
        if (item->GetStyleType() == STYLE_TEXT && (item->GetState() & state)) {
            static_cast<duTextStyle*>(item)->MeasureText(text, out, scale);
            return;
        }
    }
}

bool duStyleGroup::MoveStyleItemUp(int index) {
    if (index < 1 || index >= GetStyleCount()) return false;
    std::swap(items_[static_cast<size_t>(index)], items_[static_cast<size_t>(index - 1)]);
    return true;
}

bool duStyleGroup::MoveStyleItemDown(int index) {
    if (index < 0 || index >= GetStyleCount() - 1) return false;
    std::swap(items_[static_cast<size_t>(index)], items_[static_cast<size_t>(index + 1)]);
    return true;
}

bool duStyleGroup::DrawsAlike(UINT a, UINT b) {
    for (int i = 0; i < GetStyleCount(); ++i) {
        duStyleBase* item = GetStyleItem(i);
        if (item && ((item->GetState() & a) != 0) != ((item->GetState() & b) != 0)) return false;
    }
    return true;
}
