#pragma once
// Shared pieces of the skin-engine tests: a 32-bit DIB canvas to paint and
// probe, images made pixel by pixel, PNG output, skins on disk.
#include "dulib/res/duImage.h"
#include "dulib/res/duResManager.h"
#include "dulib/res/duSkin.h"
#include "support/Handles.h"

#include <functional>
#include <memory>
#include <string>

// A w x h 32-bit top-down DIB selected into its own memory DC.
class Canvas {
public:
    Canvas(int width, int height, DWORD fill = 0);
    HDC dc() const { return dc_.get(); }
    HBITMAP bitmap() const { return bitmap_.get(); }
    int width() const { return width_; }
    int height() const { return height_; }
    DWORD At(int x, int y) const;
    void Fill(DWORD pixel);
    // True when every pixel of r (clipped to the canvas) equals pixel.
    bool AllEqual(const RECT& r, DWORD pixel) const;
    bool SavePng(const std::wstring& path) const;
    BYTE* bits() const { return bits_; }

private:
    int width_, height_;
    BYTE* bits_ = nullptr;
    BitmapHandle bitmap_;
    MemoryDc dc_;
    HGDIOBJ old_ = nullptr;
};

// A w x h 24-bit top-down DIB (a target without alpha) filled with white,
// selected into its own memory DC.
class Dib24 {
public:
    Dib24(int width, int height);
    HDC dc() const { return dc_.get(); }
    int stride() const { return width_ * 3; }  // whole DWORDs for the widths used
    // Blue, green and red of a pixel.
    const BYTE* At(int x, int y) const;

private:
    int width_;
    BYTE* bits_ = nullptr;
    BitmapHandle bitmap_;
    MemoryDc dc_;
    HGDIOBJ old_ = nullptr;
};

// BGRA helpers for premultiplied pixels.
constexpr DWORD Argb(BYTE a, BYTE r, BYTE g, BYTE b) {
    return (DWORD(a) << 24) | (DWORD(r) << 16) | (DWORD(g) << 8) | DWORD(b);
}
inline BYTE AlphaOf(DWORD p) { return BYTE(p >> 24); }
inline BYTE RedOf(DWORD p) { return BYTE(p >> 16); }
inline BYTE GreenOf(DWORD p) { return BYTE(p >> 8); }
inline BYTE BlueOf(DWORD p) { return BYTE(p); }

using ManagerPtr = std::unique_ptr<duResManager, duObjectDestroyer>;
ManagerPtr NewManager();

// Registers an image of w x h whose pixels come from pixel(x, y).
duImage* AddImage(duResManager* manager, const wchar_t* name, int width, int height,
                  const std::function<DWORD(int, int)>& pixel);

// PNG bytes of a premultiplied 32-bit pixel buffer (encoded with GDI+).
std::string EncodePng(const BYTE* bits, int width, int height);

// A skin source whose reloads are counted.
class CountingSkin : public duSkin {
public:
    int changes = 0;
protected:
    void OnSkinChanged() override { ++changes; }
};
using SkinPtr = std::unique_ptr<CountingSkin, duObjectDestroyer>;
inline SkinPtr NewSkin() { return SkinPtr(new CountingSkin()); }

// Writes bytes to a file; true on success.
bool WriteFileBytes(const std::wstring& path, const void* bytes, size_t size);
// The text as UTF-16LE with a byte-order mark (as the skin is stored).
std::string Utf16File(const std::wstring& text, bool withMark = true);
// Folder for test output (the build folder when known, else the temp folder).
std::wstring OutputFolder();
