#pragma once
// A named, ordered list of style items. Every item whose state mask meets the
// state passed draws, in list order.
#include "dulib/res/duResBase.h"
#include "dulib/res/duStyleBase.h"

#include <vector>

// Rectangles are in device pixels; the scale maps the items' skin numbers
// (offsets, sizes, widths, fonts, pictures) to the window's DPI.
class duStyleGroup : public duResBase {
public:
    duStyleGroup() = default;

    int GetType() override { return RES_STYLE; }
    // Creates an item per child tag "image", "text", "rect", "line" (any case).
    bool LoadFromXml(const tinyxml2::XMLElement* element) override;
    const wchar_t* GetClassName() override;

    virtual void DrawStyle(HDC dc, const RECT* rect, UINT state, const wchar_t* text, int alpha,
                           const DpiScale& scale = DpiScale());
    // Skips text items.
    virtual void DrawStyleBack(HDC dc, const RECT* rect, UINT state, const wchar_t* text, int alpha,
                               const DpiScale& scale = DpiScale());
    // Text items only.
    virtual void DrawStyleText(HDC dc, const RECT* rect, UINT state, const wchar_t* text, int alpha,
                               const DpiScale& scale = DpiScale());
    // Like DrawStyle with every colour and picture turned grey.
    virtual void DrawStyleGray(HDC dc, const RECT* rect, UINT state, const wchar_t* text, int alpha,
                               const DpiScale& scale = DpiScale());
    // True when what DrawStyle draws for the state hides everything below it
    // in `rect`: a fill of the whole rectangle at full alpha.
    bool CoversOpaquely(UINT state, const RECT& rect, int alpha, const DpiScale& scale = DpiScale());
    virtual int GetStyleCount();
    // Appends and takes ownership (false for null).
    virtual bool AddStyleItem(duStyleBase* item);
    virtual bool RemoveStyleItem(int index);
    virtual duStyleBase* GetStyleItem(int index);
    // Whether states a and b select the same items, so draw alike.
    bool DrawsAlike(UINT a, UINT b);
    // (0, 0), then measured by the first text item whose mask meets the state.
    virtual void MeasureStyleText(UINT state, const wchar_t* text, SIZE* out, const DpiScale& scale = DpiScale());
    virtual bool MoveStyleItemUp(int index);
    virtual bool MoveStyleItemDown(int index);

protected:
    ~duStyleGroup() override;

private:
    enum class Pass { All, Back, Text };
    void DrawItems(HDC dc, const RECT* rect, UINT state, const wchar_t* text, int alpha, Pass pass,
                   const DpiScale& scale);
    void DrawItemGray(duStyleBase* item, HDC dc, const RECT* rect, const wchar_t* text, int alpha,
                      const DpiScale& scale);

    std::vector<duStyleBase*> items_;
};
