#pragma once
// Radio button: checking one unchecks the radios of the same groupid under
// the same parent.
#include "dulib/ctrl/ButtonFace.h"
#include "dulib/ctrl/duPlugin.h"

class duRadio : public duPlugin {
public:
    const wchar_t* GetClassName() override { return L"duRadio"; }
    void SetText(const wchar_t* text) override;
    void OnMouseIn(int x, int y) override;
    void OnMouseLeave(int x, int y) override;
    void OnMouseLDown(int x, int y) override;
    void OnMouseLUp(int x, int y) override;
    void OnCreate() override;
    void OnInitialized() override;
    void DrawObject(HDC dc) override;

    virtual BOOL GetAutoSize() { return face_.autosize; }
    virtual void SetAutoSize(BOOL on) { face_.autosize = on ? 1 : 0; }
    virtual int GetFixLeft() { return face_.fixLeft; }
    virtual void SetFixLeft(int v) { face_.fixLeft = v; }
    virtual int GetFixRight() { return face_.fixRight; }
    virtual void SetFixRight(int v) { face_.fixRight = v; }
    virtual BOOL IsChecked();
    // Unchecks the group's other radios, then stores this one's state.
    virtual void SetCheck(BOOL checked);
    virtual int GetGroupId() { return face_.groupId; }

private:
    ButtonFace face_;
};
