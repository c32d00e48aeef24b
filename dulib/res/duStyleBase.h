#pragma once
// One item of a style group: draws one thing at a place derived from the
// control rectangle, only in the states of its mask.
#include "dulib/res/DpiScale.h"
#include "dulib/res/duObject.h"
#include "dulib/res/StateFlags.h"

#include <tinyxml2.h>

class duResManager;

class duStyleBase : public duObject {
public:
    virtual int GetStyleType() = 0;  // StyleKind
    // rect is in device pixels; scale maps the item's skin numbers to them.
    virtual void Draw(HDC dc, const RECT* rect, const wchar_t* text, int alpha,
                      const DpiScale& scale = DpiScale()) = 0;
    // Placement attributes and `state`, then the kind's own attributes.
    virtual bool LoadFromXml(const tinyxml2::XMLElement* element);

    virtual int GetLeft() { return left_; }
    virtual void SetLeft(int value) { left_ = value; }
    virtual int GetTop() { return top_; }
    virtual void SetTop(int value) { top_ = value; }
    virtual int GetRight() { return right_; }
    virtual void SetRight(int value) { right_ = value; }
    virtual int GetBottom() { return bottom_; }
    virtual void SetBottom(int value) { bottom_ = value; }
    virtual int GetWidth() { return width_; }
    virtual void SetWidth(int value) { width_ = value; }
    virtual int GetHeight() { return height_; }
    virtual void SetHeight(int value) { height_ = value; }
    virtual UINT GetState() { return state_; }
    virtual void SetState(UINT state) { state_ = state; }

    const wchar_t* GetClassName() override;

    duResManager* GetResManager() const { return manager_; }
    void SetResManager(duResManager* manager) { manager_ = manager; }
    // The item's rectangle inside the control rectangle (PlaceStyleRect),
    // its offsets and sizes scaled.
    RECT PlaceIn(const RECT& control, const DpiScale& scale = DpiScale()) const;
    // Copies placement, state and every attribute of the kind from an item of
    // the same kind (used for cloning).
    virtual void CopyFrom(duStyleBase* other);

protected:
    duStyleBase() = default;

    int left_ = 0;
    int top_ = 0;
    int right_ = 0;
    int bottom_ = 0;
    int width_ = 0;
    int height_ = 0;
    UINT state_ = STATE_NORMAL;
    duResManager* manager_ = nullptr;
};
