#pragma once
// Check box: the button's cycle in the normal or the checked family; the
// release or the space bar toggles and reports the new flag.
#include "dulib/ctrl/ButtonFace.h"
#include "dulib/ctrl/duPlugin.h"

class duCheckBox : public duPlugin {
public:
    const wchar_t* GetClassName() override { return L"duCheckBox"; }
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

    virtual BOOL IsChecked();
    // Stores the flag and the matching state; the caller redraws.
    virtual void SetCheck(BOOL checked);

protected:
    ~duCheckBox() override;

private:
    bool InCheckedFamily() { return (GetState() & 0xFF00) != 0; }
    ButtonFace face_;
};
