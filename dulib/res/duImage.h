#pragma once
// A named picture decoded once into a 32-bit top-down premultiplied bitmap
// (blue, green, red, alpha); animated GIFs keep one bitmap per frame.
#include "dulib/res/duResBase.h"

#include <string>
#include <vector>

class duImage : public duResBase {
public:
    duImage() = default;

    int GetType() override { return RES_IMAGE; }
    // Reads `value` and decodes that file (resource type "PNG"). True in every
    // case; a failed decode leaves the image empty.
    bool LoadFromXml(const tinyxml2::XMLElement* element) override;
    const wchar_t* GetClassName() override;

    // A zero-filled bitmap; false unless both sizes are positive.
    virtual bool CreateBlank(int width, int height);
    virtual bool LoadFromFile(const wchar_t* path);
    virtual bool LoadFromMemory(const BYTE* bytes, int size);
    virtual bool LoadFromStream(IStream* stream);
    virtual BYTE* GetBits() { return bits_; }
    virtual HBITMAP GetBitmap() { return bitmap_; }
    virtual int GetWidth() { return width_; }
    virtual int GetHeight() { return height_; }
    virtual int GetFrameCount() { return frameCount_; }
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

protected:
    ~duImage() override;

private:
    void FreeContent();

    HBITMAP bitmap_ = nullptr;
    BYTE* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    wchar_t file_[RES_NAME_CHARS] = {};
    int frameCount_ = 0;
    std::vector<HBITMAP> frameBitmaps_;
    std::vector<BYTE*> frameBits_;
    std::vector<int> frameDelays_;
    std::vector<BYTE> hls_;  // hue, saturation, lightness per pixel
};
