#pragma once
// Text (and whatever its style draws); a ghost static is transparent to the
// pointer and hands its events to its parent.
#include "dulib/ctrl/duPlugin.h"

class duStatic : public duPlugin {
public:
    const wchar_t* GetClassName() override { return L"duStatic"; }
    void OnMouseIn(int x, int y) override;
    void OnMouseLeave(int x, int y) override;
    void OnMouseLDown(int x, int y) override;
    void OnMouseLUp(int x, int y) override;
    void OnMouseRDown(int x, int y) override;
    void OnMouseRUp(int x, int y) override;
    void OnCreate() override {}
    void OnInitialized() override {}
    void DrawObject(HDC dc) override;
    bool PaintsOpaque() override { return StyleCoversIt(); }
};
