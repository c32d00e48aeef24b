#include "dulib/res/duImage.h"

#include "dulib/res/Dib32.h"
#include "dulib/res/GdiplusFlat.h"
#include "dulib/res/SkinXml.h"
#include "dulib/res/duResManager.h"
#include "dulib/res/duSkin.h"
#include "support/Handles.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <random>

namespace {

constexpr PROPID kFrameDelayTag = 0x5100;

IStream* StreamOver(const BYTE* bytes, size_t size) {
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, &stream)) || !stream) return nullptr;
    ULARGE_INTEGER length;
    length.QuadPart = size;
    ULONG written = 0;
    if (FAILED(stream->SetSize(length)) || FAILED(stream->Write(bytes, static_cast<ULONG>(size), &written)) ||
        written != size) {
        stream->Release();
        return nullptr;
    }
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    return stream;
}

}  // namespace

bool DrawImageIntoPixels(GpImage* image, BYTE* pixels, int width, int height, bool highQuality) {
    if (!image || !pixels || width <= 0 || height <= 0) return false;
    // Drawing onto a premultiplied GDI+ bitmap over the DIB's own pixels keeps
    // the alpha channel exact, which a device context would not guarantee.
    GpBitmapOwner target;
    if (GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppPARGB, pixels, &target.bitmap) != Ok)
        return false;
    GpGraphicsOwner graphics;
    if (GdipGetImageGraphicsContext(target.bitmap, &graphics.graphics) != Ok) return false;
    GdipSetCompositingMode(graphics.graphics, CompositingModeSourceCopy);
    if (highQuality) {
        GdipSetSmoothingMode(graphics.graphics, SmoothingModeHighQuality);
        GdipSetInterpolationMode(graphics.graphics, InterpolationModeHighQualityBicubic);
        GdipSetPixelOffsetMode(graphics.graphics, PixelOffsetModeHalf);
    } else {
        GdipSetInterpolationMode(graphics.graphics, InterpolationModeNearestNeighbor);
    }
    return GdipDrawImageRectI(graphics.graphics, image, 0, 0, width, height) == Ok;
}

duImage::~duImage() { FreeContent(); }

const wchar_t* duImage::GetClassName() { return L"duImage"; }

void duImage::FreeContent() {
    pending_ = false;
    if (frameBitmaps_.empty()) {
        if (bitmap_) ::DeleteObject(bitmap_);
    } else {
        for (HBITMAP frame : frameBitmaps_)
            if (frame) ::DeleteObject(frame);
    }
    frameBitmaps_.clear();
    frameBits_.clear();
    frameDelays_.clear();
    bitmap_ = nullptr;
    bits_ = nullptr;
    width_ = height_ = 0;
    frameCount_ = 0;
    hls_.clear();
    hls_.shrink_to_fit();
    sets_.clear();
    cells_.clear();
}

void duImage::SetFileName(const wchar_t* file) {
    Decoded();  // the content named so far
    file_[0] = L'\0';
    if (file) wcsncpy_s(file_, RES_NAME_CHARS, file, _TRUNCATE);
}

bool duImage::LoadFromXml(const tinyxml2::XMLElement* element) {
    ReadXmlString(element, "value", file_, RES_NAME_CHARS);
    pending_ = manager_ && manager_->GetSkin();
    return true;
}

duImage& duImage::Decoded() {
    if (!pending_) return *this;
    pending_ = false;
    duSkin* skin = manager_ ? manager_->GetSkin() : nullptr;
    if (!skin) return *this;
    SkinFile file;
    bool opened = skin->OpenSkinFile(file_, L"PNG", &file);
    if (!opened || !LoadFromStream(file.stream)) DebugTrace(L"failed to loading image[%s]\n", file_);
    if (opened) skin->CloseSkinFile(file);
    return *this;
}

bool duImage::CreateBlank(int width, int height) {
    if (width <= 0 || height <= 0) return false;
    FreeContent();
    BYTE* bits = nullptr;
    HBITMAP bitmap = CreateDib32(width, height, &bits);
    if (!bitmap) return false;
    bitmap_ = bitmap;
    bits_ = bits;
    width_ = width;
    height_ = height;
    frameCount_ = 1;
    return true;
}

bool duImage::LoadFromStream(IStream* stream) {
    if (!stream) return false;
    FreeContent();
    GpImageOwner decoded;
    if (GdipLoadImageFromStream(stream, &decoded.image) != Ok || !decoded.image) return false;
    UINT width = 0, height = 0;
    GdipGetImageWidth(decoded.image, &width);
    GdipGetImageHeight(decoded.image, &height);
    if (width == 0 || height == 0) return false;

    UINT frames = 1;
    UINT dimensions = 0;
    if (GdipImageGetFrameDimensionsCount(decoded.image, &dimensions) == Ok && dimensions > 0) {
        std::vector<GUID> ids(dimensions);
        if (GdipImageGetFrameDimensionsList(decoded.image, ids.data(), dimensions) == Ok)
            if (GdipImageGetFrameCount(decoded.image, &ids[0], &frames) != Ok) frames = 1;
    }
    // What counts is what decoding would allocate: a long thin strip is
    // harmless, a huge square or many big frames are not.
    if (!FitsDecodeBudget(width, height, std::max<UINT>(frames, 1))) return false;
    const int w = static_cast<int>(width), h = static_cast<int>(height);

    if (frames < 2) {
        BYTE* bits = nullptr;
        BitmapHandle bitmap(CreateDib32(w, h, &bits));
        if (!bitmap || !DrawImageIntoPixels(decoded.image, bits, w, h, false)) return false;
        bitmap_ = bitmap.release();
        bits_ = bits;
        frameCount_ = 1;
    } else {
        std::vector<int> delays(frames, 0);
        UINT propertySize = 0;
        if (GdipGetPropertyItemSize(decoded.image, kFrameDelayTag, &propertySize) == Ok &&
            propertySize >= sizeof(PropertyItem)) {
            std::vector<BYTE> buffer(propertySize);
            auto* item = reinterpret_cast<PropertyItem*>(buffer.data());
            if (GdipGetPropertyItem(decoded.image, kFrameDelayTag, propertySize, item) == Ok && item->value) {
                UINT count = std::min<UINT>(frames, item->length / sizeof(LONG));
                const BYTE* values = static_cast<const BYTE*>(item->value);
                for (UINT i = 0; i < count; ++i) {
                    LONG delay = 0;
                    std::memcpy(&delay, values + i * sizeof(LONG), sizeof(LONG));
                    delays[i] = static_cast<int>(delay) * 10;
                }
            }
        }
        for (UINT i = 0; i < frames; ++i) {
            GdipImageSelectActiveFrame(decoded.image, &FrameDimensionTime, i);
            BYTE* bits = nullptr;
            BitmapHandle bitmap(CreateDib32(w, h, &bits));
            if (!bitmap || !DrawImageIntoPixels(decoded.image, bits, w, h, false)) {
                for (HBITMAP frame : frameBitmaps_) ::DeleteObject(frame);
                frameBitmaps_.clear();
                frameBits_.clear();
                return false;
            }
            frameBitmaps_.push_back(bitmap.release());
            frameBits_.push_back(bits);
        }
        frameDelays_ = delays;
        frameCount_ = static_cast<int>(frames);
        bitmap_ = frameBitmaps_[0];
        bits_ = frameBits_[0];
    }
    width_ = w;
    height_ = h;
    ::SetProcessWorkingSetSize(::GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
    return true;
}

bool duImage::LoadFromFile(const wchar_t* path) {
    if (!path || !*path) return false;
    KernelHandle file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 || size.QuadPart > 0x10000000)
        return false;
    std::vector<BYTE> bytes(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
        read != bytes.size())
        return false;
    return LoadFromMemory(bytes.data(), static_cast<int>(bytes.size()));
}

bool duImage::LoadFromMemory(const BYTE* bytes, int size) {
    if (!bytes || size <= 0) return false;
    IStream* stream = StreamOver(bytes, static_cast<size_t>(size));
    if (!stream) return false;
    bool loaded = LoadFromStream(stream);
    stream->Release();
    return loaded;
}

HBITMAP duImage::GetFrameBitmap(int frame) {
    Decoded();
    if (frameBitmaps_.empty()) return frame == 0 ? bitmap_ : nullptr;
    return frame >= 0 && frame < static_cast<int>(frameBitmaps_.size()) ? frameBitmaps_[frame] : nullptr;
}

BYTE* duImage::GetFrameBits(int frame) {
    Decoded();
    if (frameBits_.empty()) return frame == 0 ? bits_ : nullptr;
    return frame >= 0 && frame < static_cast<int>(frameBits_.size()) ? frameBits_[frame] : nullptr;
}

int duImage::GetFrameDelay(int frame) {
    Decoded();
    return frame >= 0 && frame < static_cast<int>(frameDelays_.size()) ? frameDelays_[frame] : 0;
}

std::wstring duImage::MakeRandomName() {
    static const wchar_t kAlphabet[] = L"0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    // A serial number in front makes names unique within the run; the random
    // rest keeps them unlike earlier runs' names.
    static std::atomic<unsigned long long> serial{0};
    static std::mt19937_64 generator(static_cast<unsigned long long>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count() ^ ::GetCurrentProcessId()));
    unsigned long long number = serial.fetch_add(1);
    std::wstring name;
    for (int i = 0; i < 11; ++i) {
        name.push_back(kAlphabet[number % 62]);
        number /= 62;
    }
    while (name.size() < 100) name.push_back(kAlphabet[generator() % 62]);
    return name;
}

bool duImage::FitsDecodeBudget(unsigned width, unsigned height, unsigned frames) {
    if (width == 0 || height == 0 || frames == 0) return false;
    // Below 2^64 for any two 32-bit factors; each step after it is checked by
    // division, so nothing can wrap.
    const unsigned long long pixels = static_cast<unsigned long long>(width) * height;
    if (pixels > kMaxDecodedBytes / 4) return false;
    return frames <= kMaxDecodedBytes / (pixels * 4);
}

duImage* duImage::MakeGrayCopy() {
    Decoded();
    if (!manager_ || !bits_) return nullptr;
    auto* copy = static_cast<duImage*>(manager_->CreateResObj(MakeRandomName().c_str(), RES_IMAGE));
    if (!copy) return nullptr;
    if (!copy->CreateBlank(width_, height_)) {
        copy->Destroy();
        return nullptr;
    }
    size_t pixels = static_cast<size_t>(width_) * static_cast<size_t>(height_);
    std::memcpy(copy->bits_, bits_, pixels * 4);
    BYTE* p = copy->bits_;
    for (size_t i = 0; i < pixels; ++i, p += 4) {
        BYTE grey = static_cast<BYTE>((306 * p[2] + 601 * p[1] + 117 * p[0]) >> 10);
        p[0] = p[1] = p[2] = grey;
    }
    return copy;
}

duImage* duImage::MakeScaledCopy(int width, int height) {
    Decoded();
    if (!manager_ || !bits_ || width <= 0 || height <= 0) return nullptr;
    auto* copy = static_cast<duImage*>(manager_->CreateResObj(MakeRandomName().c_str(), RES_IMAGE));
    if (!copy) return nullptr;
    GpBitmapOwner source;
    // The pixels are premultiplied: wrap them as such so that scaling does not
    // multiply the colour by alpha a second time.
    bool done = copy->CreateBlank(width, height) &&
                GdipCreateBitmapFromScan0(width_, height_, width_ * 4, PixelFormat32bppPARGB, bits_,
                                          &source.bitmap) == Ok &&
                DrawImageIntoPixels(source.bitmap, copy->bits_, width, height, true);
    if (!done) {
        copy->Destroy();
        return nullptr;
    }
    return copy;
}
