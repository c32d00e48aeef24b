#pragma once
// Stand-in for the controls whose behaviour this engine does not implement
// (tab buttons, menus, trees, sliders, animations and the rest of the
// factory's table). It keeps a skin that uses them loading and laid out:
// the element's attributes and children are read like any plugin's, and it
// draws its style with its state, text and alpha. It has no behaviour of its
// own and raises only the base notifications.
#include "dulib/ctrl/duPlugin.h"

class duStyledPlugin : public duPlugin {
public:
    explicit duStyledPlugin(const wchar_t* className) : className_(className) {}

    const wchar_t* GetClassName() override { return className_; }
    void OnCreate() override {}
    void OnInitialized() override {}
    void DrawObject(HDC dc) override;
    bool PaintsOpaque() override { return StyleCoversIt(); }

private:
    const wchar_t* className_;  // the class name the tag stands for
};
