#pragma once
// The window the keyboard and accessibility tests attach to (with the GUI
// harness's theme): "W", 400 x 300 at the screen's origin, white, focus ring
// in magenta.
//   A, Off (disabled by the tests), Hidden, C (check box), Pic (a picture
//   button named by its tooltip), radios R1..R3 in one group (R2 checked)
//   inside a plain layout, an edit E labelled by the static beside it, a list
//   L ("Packages") of 40-pixel rows Row_N with a ticked check box RowBox_N and
//   a text RowText_N, a progress bar, Skip (tabstop="false"), a page
//   ("Page one") holding OK (default) and Cancel (cancel), and a graphic.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "dulib/ctrl/EngineOps.h"
#include "dulib/ctrl/PluginTree.h"
#include "dulib/ctrl/duListBoxEx.h"
#include "tests/dulib/ctrl/GuiHarness.h"

inline std::wstring KeyboardTestControls() {
    return LR"XML(<duwindow name="W" style="white" text="Keys" width="400" height="300" x="0" y="0" focuscolor="RGB(255,0,255)">
  <button name="A" style="btn" left="10" top="10" width="60" height="30" text="A"/>
  <button name="Hidden" style="btn" visible="false" left="80" top="10" width="60" height="30" text="H"/>
  <button name="Off" style="btn" left="80" top="10" width="60" height="30" text="Off"/>
  <checkbox name="C" style="btn" left="150" top="10" width="60" height="30" text="C"/>
  <button name="Pic" style="btn" left="220" top="10" width="30" height="30" tooltip="Picture"/>
  <layout name="Group" left="10" top="50" width="200" height="30">
    <radio name="R1" style="btn" groupid="1" left="0" width="40" height="30" text="R1"/>
    <radio name="R2" style="btn" groupid="1" left="50" width="40" height="30" text="R2" checked="true"/>
    <radio name="R3" style="btn" groupid="1" left="100" width="40" height="30" text="R3"/>
  </layout>
  <static name="Label" style="white" left="10" top="90" width="50" height="24" text="Folder"/>
  <edit name="E" style="white" left="60" top="90" width="150" height="24"/>
  <listboxex name="L" style="white" left="10" top="130" width="200" height="100" vertscrollbar="Bar" accname="Packages">
    <scrollbar name="Bar" style="grey" thumbstyle="grey" visible="false" left="-10" top="0" width="10" bottom="0" vertanchor="2" vert="true" step="10"/>
    <layout name="Row_" visible="false" height="40" horzanchor="2">
      <checkbox name="RowBox_" style="btn" left="5" top="10" width="20" height="20" checked="true"/>
      <static name="RowText_" style="white" left="30" top="0" width="100" height="40"/>
    </layout>
  </listboxex>
  <progress name="Progress" style="grey" left="220" top="130" width="100" height="6" progressstyle="blue" accname="Progress"/>
  <button name="Skip" style="btn" tabstop="false" left="220" top="150" width="60" height="30" text="Skip"/>
  <layout name="Page" left="220" top="190" width="170" height="50" accrole="page" accname="Page one">
    <button name="Ok" style="btn" default="true" left="0" top="10" width="60" height="30" text="OK"/>
    <button name="Cancel" style="btn" cancel="true" left="70" top="10" width="60" height="30" text="Cancel"/>
  </layout>
  <layout name="Picture" style="blue" accrole="graphic" accname="Done" left="10" top="250" width="30" height="30"/>
</duwindow>)XML";
}

// The window with "Off" disabled and three rows "Package 1".."Package 3".
class KeyboardWindow : public ::testing::Test {
protected:
    void SetUp() override {
        guitest::WriteSkin(dir_, guitest::SkinDocument(KeyboardTestControls()));
        win_ = std::make_unique<guitest::TestWindow>(dir_);
        ASSERT_TRUE(win_->Ok());
        win_->Get(L"Off")->SetDisable(TRUE);
        auto* list = win_->As<duListBoxEx>(L"L");
        ASSERT_NE(list, nullptr);
        for (int i = 1; i <= 3; ++i) {
            duPlugin* row = ClonePlugin(win_->Get(L"Row_"), list, list->GetLastChild(), i);
            ASSERT_NE(row, nullptr);
            win_->Get((L"RowText_" + std::to_wstring(i)).c_str())->SetText((L"Package " + std::to_wstring(i)).c_str());
            row->SetVisible(TRUE);
        }
        list->RefreshItems();
        win_->FullPaint();
    }

    duPlugin* Focus() const { return win_->Host()->GetFocusPlugin(); }
    std::wstring FocusName() const { return Focus() ? Focus()->GetName() : L"(none)"; }

    TempDir dir_;
    std::unique_ptr<guitest::TestWindow> win_;
};
