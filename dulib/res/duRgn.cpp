#include "dulib/res/duRgn.h"

#include "dulib/res/SkinXml.h"
#include "dulib/res/duImage.h"
#include "dulib/res/duImageStyle.h"
#include "dulib/res/duResManager.h"
#include "dulib/res/duStyleGroup.h"
#include "support/Handles.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <vector>

namespace {

// Maps one edge coordinate of the traced picture onto a size-dependent
// destination: fixed parts keep their place, the middle is scaled.
LONG MapEdge(LONG v, int fixedLow, int fixedHigh, int sourceSize, int targetSize) {
    if (v <= fixedLow) return v;
    if (v >= sourceSize - fixedHigh) return v + targetSize - sourceSize;
    int middle = sourceSize - fixedLow - fixedHigh;
    if (middle <= 0) return v;
    long long scaled = static_cast<long long>(v - fixedLow) * (targetSize - fixedLow - fixedHigh) / middle;
    return static_cast<LONG>(fixedLow + scaled);
}

// The picture's rectangle without its fully transparent pixels, as a list of
// rectangles (one per opaque run of a row).
std::vector<RECT> TraceOpaque(duImage* image) {
    std::vector<RECT> rects;
    const BYTE* bits = image->GetBits();
    int width = image->GetWidth(), height = image->GetHeight();
    for (int y = 0; y < height; ++y) {
        const BYTE* row = bits + static_cast<size_t>(y) * width * 4;
        int x = 0;
        while (x < width) {
            while (x < width && row[x * 4 + 3] == 0) ++x;
            int start = x;
            while (x < width && row[x * 4 + 3] != 0) ++x;
            if (x > start) rects.push_back(RECT{start, y, x, y + 1});
        }
    }
    return rects;
}

HRGN RegionFromRects(const std::vector<RECT>& rects) {
    std::vector<BYTE> data(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
    header->dwSize = sizeof(RGNDATAHEADER);
    header->iType = RDH_RECTANGLES;
    header->nCount = static_cast<DWORD>(rects.size());
    header->nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
    RECT bounds = {0, 0, 0, 0};
    for (size_t i = 0; i < rects.size(); ++i) {
        const RECT& r = rects[i];
        if (i == 0) bounds = r;
        bounds.left = std::min(bounds.left, r.left);
        bounds.top = std::min(bounds.top, r.top);
        bounds.right = std::max(bounds.right, r.right);
        bounds.bottom = std::max(bounds.bottom, r.bottom);
    }
    header->rcBound = bounds;
    if (!rects.empty()) std::memcpy(data.data() + sizeof(RGNDATAHEADER), rects.data(), rects.size() * sizeof(RECT));
    return ::ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), reinterpret_cast<RGNDATA*>(data.data()));
}

}  // namespace

duRgn::~duRgn() {
    if (region_) ::DeleteObject(region_);
}

const wchar_t* duRgn::GetClassName() { return L"duRgn"; }

void duRgn::SetRgnType(const wchar_t* type) {
    type_[0] = L'\0';
    if (type) wcsncpy_s(type_, RES_NAME_CHARS, type, _TRUNCATE);
}

void duRgn::SetStyleName(const wchar_t* style) {
    style_[0] = L'\0';
    if (style) wcsncpy_s(style_, RES_NAME_CHARS, style, _TRUNCATE);
}

bool duRgn::LoadFromXml(const tinyxml2::XMLElement* element) {
    roundX_ = ReadXmlInt(element, "roundx");
    roundY_ = ReadXmlInt(element, "roundy");
    ReadXmlString(element, "type", type_, RES_NAME_CHARS);
    ReadXmlString(element, "style", style_, RES_NAME_CHARS);
    return true;
}

HRGN duRgn::CreateRegion(int width, int height) {
    HRGN built = nullptr;
    if (_wcsicmp(type_, L"roundrect") == 0) {
        built = ::CreateRoundRectRgn(0, 0, width + 1, height + 1, roundX_, roundY_);
    } else if (_wcsicmp(type_, L"halfroundrect") == 0) {
        RegionHandle round(::CreateRoundRectRgn(0, 0, width + 1, height + 1, roundX_, roundY_));
        RegionHandle left(::CreateRectRgn(0, height + 1 - roundY_, roundX_, height + 1));
        RegionHandle right(::CreateRectRgn(width + 1 - roundX_, height + 1 - roundY_, width + 1, height + 1));
        if (!round || !left || !right) return nullptr;
        if (::CombineRgn(round.get(), round.get(), left.get(), RGN_OR) <= NULLREGION ||
            ::CombineRgn(round.get(), round.get(), right.get(), RGN_OR) <= NULLREGION)
            return nullptr;
        built = round.release();
    } else if (_wcsicmp(type_, L"style") == 0) {
        built = CreateStyleRegion(width, height);
    } else {
        return region_;
    }
    if (region_) ::DeleteObject(region_);
    region_ = built;
    return region_;
}

HRGN duRgn::CreateStyleRegion(int width, int height) {
    if (!manager_) return nullptr;
    auto* group = static_cast<duStyleGroup*>(manager_->GetResObj(style_, RES_STYLE));
    if (!group) return nullptr;
    duImageStyle* item = nullptr;
    for (int i = 0; i < group->GetStyleCount(); ++i) {
        duStyleBase* candidate = group->GetStyleItem(i);
        if (candidate && candidate->GetStyleType() == STYLE_IMAGE && (candidate->GetState() & STATE_NORMAL)) {
            item = static_cast<duImageStyle*>(candidate);
            break;
        }
    }
    if (!item) return nullptr;
    auto* image = static_cast<duImage*>(manager_->GetResObj(item->GetPicFile(), RES_IMAGE));
    if (!image || !image->GetBits()) return nullptr;
    imageWidth_ = image->GetWidth();
    imageHeight_ = image->GetHeight();

    std::vector<RECT> rects = TraceOpaque(image);
    const wchar_t* mode = item->GetPaintMode();
    bool vert = false, horz = false;
    if (_wcsicmp(mode, L"normal") == 0) {
    } else if (_wcsicmp(mode, L"stretch") == 0) {
        for (RECT& r : rects) {
            r.left = static_cast<LONG>(static_cast<long long>(r.left) * width / imageWidth_);
            r.right = static_cast<LONG>(static_cast<long long>(r.right) * width / imageWidth_);
            r.top = static_cast<LONG>(static_cast<long long>(r.top) * height / imageHeight_);
            r.bottom = static_cast<LONG>(static_cast<long long>(r.bottom) * height / imageHeight_);
        }
    } else if (_wcsicmp(mode, L"stretchvert") == 0) {
        vert = true;
    } else if (_wcsicmp(mode, L"stretchhorz") == 0) {
        horz = true;
    } else if (_wcsicmp(mode, L"stretchpartall") == 0) {
        vert = horz = true;
    } else {
        return nullptr;
    }
    for (RECT& r : rects) {
        if (vert) {
            r.top = MapEdge(r.top, item->GetTopPart(), item->GetBottomPart(), imageHeight_, height);
            r.bottom = MapEdge(r.bottom, item->GetTopPart(), item->GetBottomPart(), imageHeight_, height);
        }
        if (horz) {
            r.left = MapEdge(r.left, item->GetLeftPart(), item->GetRightPart(), imageWidth_, width);
            r.right = MapEdge(r.right, item->GetLeftPart(), item->GetRightPart(), imageWidth_, width);
        }
    }
    // Rows squeezed to nothing drop out.
    std::vector<RECT> kept;
    kept.reserve(rects.size());
    for (const RECT& r : rects)
        if (r.right > r.left && r.bottom > r.top) kept.push_back(r);
    return RegionFromRects(kept);
}
