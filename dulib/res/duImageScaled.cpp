// The pictures of a duImage at display scales above 100 %: the larger sets
// drawn for 150 % and 200 %, and the cells cut and resampled from them.
#include "dulib/res/duImage.h"

#include "dulib/res/DpiScale.h"
#include "dulib/res/Resample.h"
#include "dulib/res/SkinXml.h"
#include "dulib/res/duResManager.h"
#include "dulib/res/duSkin.h"

#include <cstring>

namespace {

constexpr int kSetPercents[] = {150, 200};

// v * percent / 100, halves up: how the artwork sizes and places a set.
LONG AtPercent(LONG v, int percent) { return static_cast<LONG>((static_cast<long long>(v) * percent + 50) / 100); }

// Set percents to try for a DPI: the nearest larger first, then the larger
// ones, then the smaller ones from the largest down; 100 is the picture itself.
std::vector<int> SetsFor(int dpi) {
    std::vector<int> larger, smaller;
    for (int percent : kSetPercents) {
        if (percent * kSkinDpi >= dpi * 100) larger.push_back(percent);
        else smaller.insert(smaller.begin(), percent);
    }
    larger.insert(larger.end(), smaller.begin(), smaller.end());
    return larger;
}

}  // namespace

std::wstring duImage::SetFileName(const wchar_t* file, int percent) {
    std::wstring name = file ? file : L"";
    const size_t slash = name.find_last_of(L"\\/");
    size_t dot = name.find_last_of(L'.');
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) dot = name.size();
    return name.insert(dot, L"@" + std::to_wstring(percent));
}

duImage* duImage::PictureSet(int percent) {
    auto found = sets_.find(percent);
    if (found != sets_.end()) return found->second.get();
    Owned set;
    duSkin* skin = manager_ ? manager_->GetSkin() : nullptr;
    SkinFile file;
    const std::wstring name = SetFileName(file_, percent);
    if (skin && file_[0] && skin->OpenSkinFile(name.c_str(), L"PNG", &file)) {
        set.reset(new duImage());
        const bool loaded = set->LoadFromStream(file.stream);
        skin->CloseSkinFile(file);
        if (!loaded) {
            DebugTrace(L"failed to loading image[%s]\n", name.c_str());
            set.reset();
        } else if (set->GetWidth() != AtPercent(width_, percent) || set->GetHeight() != AtPercent(height_, percent)) {
            // Drawn for another picture: its cells would land in the wrong places.
            DebugTrace(L"image[%s] is %dx%d, not %d%% of %dx%d\n", name.c_str(), set->GetWidth(), set->GetHeight(),
                       percent, width_, height_);
            set.reset();
        }
    }
    duImage* result = set.get();
    sets_[percent] = std::move(set);
    return result;
}

duImage* duImage::ScaledCell(const RECT& source, int dpi, SIZE size) {
    Decoded();
    if (!bits_ || size.cx <= 0 || size.cy <= 0) return nullptr;
    if (source.left < 0 || source.top < 0 || source.right > width_ || source.bottom > height_ ||
        source.right <= source.left || source.bottom <= source.top)
        return nullptr;
    const auto key = std::make_tuple(dpi, source.left, source.top, source.right, source.bottom, size.cx, size.cy);
    auto found = cells_.find(key);
    if (found != cells_.end()) return found->second.get();

    // Where the cell lies in the chosen picture.
    duImage* from = this;
    RECT cell = source;
    for (int percent : SetsFor(dpi)) {
        if (duImage* set = PictureSet(percent)) {
            from = set;
            cell = RECT{AtPercent(source.left, percent), AtPercent(source.top, percent),
                        AtPercent(source.right, percent), AtPercent(source.bottom, percent)};
            break;
        }
    }
    const int cw = cell.right - cell.left, ch = cell.bottom - cell.top;
    if (cw <= 0 || ch <= 0) return nullptr;

    Owned scaled(new duImage());
    if (!scaled->CreateBlank(size.cx, size.cy)) return nullptr;
    const int stride = from->width_ * 4;
    const BYTE* origin = from->bits_ + static_cast<size_t>(cell.top) * stride + static_cast<size_t>(cell.left) * 4;
    if (cw == size.cx && ch == size.cy) {
        // Drawn for this very size: the pixels as they are.
        for (int y = 0; y < ch; ++y)
            std::memcpy(scaled->bits_ + static_cast<size_t>(y) * size.cx * 4, origin + static_cast<size_t>(y) * stride,
                        static_cast<size_t>(cw) * 4);
    } else if (!ResamplePremultiplied(origin, stride, cw, ch, scaled->bits_, size.cx, size.cy)) {
        return nullptr;
    }
    duImage* result = scaled.get();
    cells_[key] = std::move(scaled);
    return result;
}
