#pragma once
// Push button: hover and press states, click on release inside, space bar,
// optional cross-fade, icons, autosize and grey drawing when disabled.
#include "dulib/ctrl/ButtonFace.h"
#include "dulib/ctrl/duPlugin.h"

class duButton : public duPlugin {
public:
    const wchar_t* GetClassName() override { return L"duButton"; }
    void SetText(const wchar_t* text) override;
    void OnMouseIn(int x, int y) override;
    void OnMouseLeave(int x, int y) override;
    void OnMouseLDown(int x, int y) override;
    void OnMouseLUp(int x, int y) override;
    void OnMouseDbClick(int x, int y) override;
    void OnKeyDown(UINT key, UINT repeat, UINT flags) override;
    void OnTimer(UINT id) override;
    void OnRedraw() override;
    void OnCreate() override;
    void OnInitialized() override;
    void DrawObject(HDC dc) override;
    // A fade blends two looks at partial alpha.
    bool PaintsOpaque() override { return !face_.fading && StyleCoversIt(); }

    const ButtonFace& Face() const { return face_; }
    bool IsFading() const { return face_.fading; }

protected:
    ~duButton() override;

private:
    ButtonFace face_;
};
