#include "TestSupport.h"

#include "dulib/res/Dib32.h"
#include "dulib/res/GdiplusSession.h"

#include <gdiplus.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

// GDI+ runs for the whole test program, as InitEngine keeps it for the installer.
class GdiplusEnvironment : public ::testing::Environment {
public:
    void SetUp() override { session_.reset(new GdiplusSession()); ASSERT_TRUE(session_->ok()); }
    void TearDown() override { session_.reset(); }
private:
    std::unique_ptr<GdiplusSession> session_;
};
::testing::Environment* const gdiplusEnvironment = ::testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

const CLSID kPngEncoder = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

}  // namespace

Canvas::Canvas(int width, int height, DWORD fill) : width_(width), height_(height) {
    bitmap_.reset(CreateDib32(width, height, &bits_));
    dc_.reset(::CreateCompatibleDC(nullptr));
    old_ = ::SelectObject(dc_.get(), bitmap_.get());
    Fill(fill);
}

Dib24::Dib24(int width, int height) : width_(width) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    bitmap_.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    bits_ = static_cast<BYTE*>(bits);
    if (bits_) std::memset(bits_, 0xFF, static_cast<size_t>(stride()) * height);
    dc_.reset(::CreateCompatibleDC(nullptr));
    old_ = ::SelectObject(dc_.get(), bitmap_.get());
}

const BYTE* Dib24::At(int x, int y) const {
    ::GdiFlush();
    return bits_ + static_cast<size_t>(y) * stride() + static_cast<size_t>(x) * 3;
}

DWORD Canvas::At(int x, int y) const {
    ::GdiFlush();
    return reinterpret_cast<const DWORD*>(bits_)[static_cast<size_t>(y) * width_ + x];
}

void Canvas::Fill(DWORD pixel) {
    ::GdiFlush();
    auto* p = reinterpret_cast<DWORD*>(bits_);
    for (int i = 0; i < width_ * height_; ++i) p[i] = pixel;
}

bool Canvas::AllEqual(const RECT& r, DWORD pixel) const {
    for (int y = std::max(0L, r.top); y < std::min<LONG>(height_, r.bottom); ++y)
        for (int x = std::max(0L, r.left); x < std::min<LONG>(width_, r.right); ++x)
            if (At(x, y) != pixel) return false;
    return true;
}

bool Canvas::SavePng(const std::wstring& path) const {
    std::string png = EncodePng(bits_, width_, height_);
    return !png.empty() && WriteFileBytes(path, png.data(), png.size());
}

ManagerPtr NewManager() { return ManagerPtr(new duResManager()); }

duImage* AddImage(duResManager* manager, const wchar_t* name, int width, int height,
                  const std::function<DWORD(int, int)>& pixel) {
    auto* image = static_cast<duImage*>(manager->CreateResObj(name, RES_IMAGE));
    if (!image || !image->CreateBlank(width, height)) return nullptr;
    auto* bits = reinterpret_cast<DWORD*>(image->GetBits());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) bits[y * width + x] = pixel(x, y);
    if (!manager->AddResObj(image)) {
        image->Destroy();
        return nullptr;
    }
    return image;
}

std::string EncodePng(const BYTE* bits, int width, int height) {
    std::vector<BYTE> copy(bits, bits + static_cast<size_t>(width) * height * 4);
    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppPARGB, copy.data(), &bitmap) != Ok)
        return std::string();
    IStream* stream = nullptr;
    std::string out;
    if (SUCCEEDED(::CreateStreamOnHGlobal(nullptr, TRUE, &stream))) {
        if (GdipSaveImageToStream(bitmap, stream, &kPngEncoder, nullptr) == Ok) {
            STATSTG stat = {};
            stream->Stat(&stat, STATFLAG_NONAME);
            LARGE_INTEGER zero = {};
            stream->Seek(zero, STREAM_SEEK_SET, nullptr);
            out.resize(static_cast<size_t>(stat.cbSize.QuadPart));
            ULONG read = 0;
            stream->Read(&out[0], static_cast<ULONG>(out.size()), &read);
            out.resize(read);
        }
        stream->Release();
    }
    GdipDisposeImage(bitmap);
    return out;
}

bool WriteFileBytes(const std::wstring& path, const void* bytes, size_t size) {
    KernelHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD done = 0;
    return file && ::WriteFile(file.get(), bytes, static_cast<DWORD>(size), &done, nullptr) && done == size;
}

std::string Utf16File(const std::wstring& text, bool withMark) {
    std::string out;
    if (withMark) out = "\xFF\xFE";
    out.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    return out;
}

std::wstring OutputFolder() {
    // The build folder: the test program lives in <build>\tests\dulib\res.
    wchar_t module[MAX_PATH] = {};
    DWORD n = ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring path(module, n);
    size_t tests = path.rfind(L"\\tests\\");
    if (n > 0 && n < MAX_PATH && tests != std::wstring::npos) return path.substr(0, tests + 1);
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    return temp;
}
