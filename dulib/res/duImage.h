#pragma once
// A named picture decoded once into a 32-bit top-down premultiplied bitmap
// (blue, green, red, alpha); animated GIFs keep one bitmap per frame.
#include "dulib/res/duResBase.h"

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

class duImage : public duResBase {
public:
    duImage() = default;

    int GetType() override { return RES_IMAGE; }
    // Reads `value`, the file (resource type "PNG") decoded at the picture's
    // first use: pictures of pages not yet shown cost nothing before the first
    // frame. True in every case; a failed decode leaves the image empty.
    bool LoadFromXml(const tinyxml2::XMLElement* element) override;
    const wchar_t* GetClassName() override;

    // A zero-filled bitmap; false unless both sizes are positive.
    virtual bool CreateBlank(int width, int height);
    virtual bool LoadFromFile(const wchar_t* path);
    virtual bool LoadFromMemory(const BYTE* bytes, int size);
    virtual bool LoadFromStream(IStream* stream);
    virtual BYTE* GetBits() { return Decoded().bits_; }
    virtual HBITMAP GetBitmap() { return Decoded().bitmap_; }
    virtual int GetWidth() { return Decoded().width_; }
    virtual int GetHeight() { return Decoded().height_; }
    virtual int GetFrameCount() { return Decoded().frameCount_; }
    virtual HBITMAP GetFrameBitmap(int frame);
    virtual BYTE* GetFrameBits(int frame);
    // Milliseconds; 0 for a still image or a frame out of range.
    virtual int GetFrameDelay(int frame);
    virtual bool BuildHlsCache();
    virtual bool ApplyHls(int hueShift, int saturationDelta, int lightnessDelta);
    virtual void Reserved() {}
    virtual const wchar_t* GetFileName() { return file_; }
    virtual void SetFileName(const wchar_t* file);
    // New unregistered images (named by MakeRandomName); the caller registers
    // them with AddResObj or destroys them. Null on failure or without a
    // resource manager.
    virtual duImage* MakeGrayCopy();
    virtual duImage* MakeScaledCopy(int width, int height);

    // 100 characters from [0-9a-zA-Z]; never the same twice within a run.
    static std::wstring MakeRandomName();
    // Whether a picture of that size and frame count fits the budget of
    // decoded bytes (kMaxDecodedBytes, all frames together). Pictures over it
    // are refused before anything is allocated for them.
    static constexpr unsigned long long kMaxDecodedBytes = 64ull << 20;
    static bool FitsDecodeBudget(unsigned width, unsigned height, unsigned frames);

    // The cell `source` (in pixels of this picture) as a window at `dpi`
    // shows it, `size` pixels large: cut from the nearest larger picture set
    // (the file drawn for 150 % or 200 %, named like this one's with "@150"
    // or "@200" before the extension) and resampled with a high-quality
    // filter unless that cell is exactly `size`; from this picture where no
    // set serves. The cell is the whole of the image returned, which this
    // image owns and keeps for later draws. Null without pixels, for an empty
    // size or a source outside the picture.
    duImage* ScaledCell(const RECT& source, int dpi, SIZE size);
    // The set's file name for a scale in percent ("dlg_back@150.png").
    static std::wstring SetFileName(const wchar_t* file, int percent);

protected:
    ~duImage() override;

private:
    using Owned = std::unique_ptr<duImage, duObjectDestroyer>;
    void FreeContent();
    // Decodes the file named by the skin if that is still to be done.
    duImage& Decoded();
    // The decoded picture set for 150 or 200 percent; null when the skin has
    // none (or one of the wrong size).
    duImage* PictureSet(int percent);

    HBITMAP bitmap_ = nullptr;
    BYTE* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    wchar_t file_[RES_NAME_CHARS] = {};
    bool pending_ = false;  // file_ named by the skin, not decoded yet
    int frameCount_ = 0;
    std::vector<HBITMAP> frameBitmaps_;
    std::vector<BYTE*> frameBits_;
    std::vector<int> frameDelays_;
    std::vector<BYTE> hls_;  // hue, saturation, lightness per pixel
    std::map<int, Owned> sets_;  // by percent; null: looked for, none
    // By DPI, source rectangle and size.
    std::map<std::tuple<int, LONG, LONG, LONG, LONG, LONG, LONG>, Owned> cells_;
};
