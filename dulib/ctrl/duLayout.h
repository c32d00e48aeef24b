#pragma once
// Container that arranges its visible children: 0 none, 1 left to right,
// 2 right to left, 3 top to bottom, 4 bottom to top, 5 equal widths,
// 6 equal heights, 7 flowing rows.
#include "dulib/ctrl/duPlugin.h"

class duLayout : public duPlugin {
public:
    const wchar_t* GetClassName() override { return L"duLayout"; }
    void Resize(const RECT* parentRect) override;
    void OnMouseIn(int x, int y) override;
    void OnMouseLeave(int x, int y) override;
    void OnMouseLDown(int x, int y) override;
    void OnMouseLUp(int x, int y) override;
    void OnMouseRDown(int x, int y) override;
    void OnMouseRUp(int x, int y) override;
    void OnChildShow(duPlugin* child, BOOL visible) override;
    void OnChildResize(duPlugin* child) override;
    void OnCreate() override;
    void OnInitialized() override;
    void DrawObject(HDC dc) override;
    bool PaintsOpaque() override { return StyleCoversIt(); }

    int GetLayoutType() const { return type_; }
    void SetLayoutType(int type) { type_ = type; }

private:
    void Arrange();

    int type_ = 0;
    int startX_ = 0, startY_ = 0;
    int xSpace_ = 0, ySpace_ = 0;
    bool arranging_ = false;
};
