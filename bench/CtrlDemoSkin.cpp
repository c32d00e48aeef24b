#include "bench/CtrlDemoSkin.h"

#include <windows.h>
#include <gdiplus.h>

#include <cstdio>
#include <vector>

namespace {

using namespace Gdiplus;

const wchar_t kSkin[] = LR"XML(<directui version="1.0">
<theme name="demo">
  <dsfont>
    <font name="text" height="-13" weight="400" fontface="Tahoma"/>
    <font name="bold" height="-13" weight="700" fontface="Tahoma"/>
    <font name="small" height="-11" weight="400" fontface="Tahoma"/>
    <font name="title" height="-15" weight="700" fontface="Tahoma"/>
  </dsfont>
  <dsimage><image name="radio" value="radio.png"/></dsimage>
  <dsstyle>
    <style name="dlg">
      <rect state="all" fillcolor="RGB(248,249,251)" bfill="true" bordercolor="RGB(60,84,120)" bborder="true"/>
      <rect state="all" height="40" fillcolor="RGB(44,82,138)" bfill="true"/>
      <text state="all" left="16" height="40" font="title" textcolor="RGB(255,255,255)" valign="center"/>
    </style>
    <style name="capbtn">
      <rect state="over" fillcolor="RGB(68,110,170)" bfill="true"/>
      <rect state="press" fillcolor="RGB(30,60,105)" bfill="true"/>
      <text state="all" font="title" textcolor="RGB(255,255,255)" halign="center" valign="center"/>
    </style>
    <style name="btn">
      <rect state="normal" fillcolor="RGB(232,236,242)" bfill="true" bordercolor="RGB(150,160,176)" bborder="true"/>
      <rect state="focus" fillcolor="RGB(232,236,242)" bfill="true" bordercolor="RGB(44,110,200)" bborder="true"/>
      <rect state="over" fillcolor="RGB(216,230,248)" bfill="true" bordercolor="RGB(44,110,200)" bborder="true"/>
      <rect state="press" fillcolor="RGB(188,208,236)" bfill="true" bordercolor="RGB(30,80,160)" bborder="true"/>
      <rect state="disable" fillcolor="RGB(242,242,242)" bfill="true" bordercolor="RGB(205,205,205)" bborder="true"/>
      <text state="normal" font="text" textcolor="RGB(30,34,40)" halign="center" valign="center"/>
      <text state="focus" font="text" textcolor="RGB(30,34,40)" halign="center" valign="center"/>
      <text state="over" font="text" textcolor="RGB(20,60,130)" halign="center" valign="center"/>
      <text state="press" font="text" textcolor="RGB(20,60,130)" halign="center" valign="center"/>
      <text state="disable" font="text" textcolor="RGB(160,160,160)" halign="center" valign="center"/>
    </style>
    <style name="primary">
      <rect state="normalall" fillcolor="RGB(44,110,200)" bfill="true"/>
      <rect state="over" fillcolor="RGB(60,130,225)" bfill="true"/>
      <rect state="press" fillcolor="RGB(30,84,160)" bfill="true"/>
      <text state="all" font="bold" textcolor="RGB(255,255,255)" halign="center" valign="center"/>
    </style>
    <style name="check">
      <rect state="normalall" left="0" top="5" width="14" height="14" fillcolor="RGB(255,255,255)" bfill="true" bordercolor="RGB(140,150,165)" bborder="true"/>
      <rect state="over" left="0" top="5" width="14" height="14" bordercolor="RGB(44,110,200)" bborder="true"/>
      <rect state="checkedall" left="0" top="5" width="14" height="14" fillcolor="RGB(44,110,200)" bfill="true"/>
      <line state="checkedall" left="0" top="5" width="14" height="14" color="RGB(255,255,255)" linewidth="2" startpoint="(3,7)" endpoint="(6,10)"/>
      <line state="checkedall" left="0" top="5" width="14" height="14" color="RGB(255,255,255)" linewidth="2" startpoint="(6,10)" endpoint="(11,3)"/>
      <text state="all" left="22" font="text" textcolor="RGB(30,34,40)" valign="center"/>
    </style>
    <style name="radio">
      <image state="normalall" left="0" top="4" width="16" height="16" picfile="radio" selectleft="0" selectwidth="16" selectheight="16" paintmode="normal"/>
      <image state="checkedall" left="0" top="4" width="16" height="16" picfile="radio" selectleft="16" selectwidth="16" selectheight="16" paintmode="normal"/>
      <text state="all" left="24" font="text" textcolor="RGB(30,34,40)" valign="center"/>
    </style>
    <style name="label"><text state="all" font="small" textcolor="RGB(96,104,116)" valign="center"/></style>
    <style name="panel"><rect state="all" fillcolor="RGB(255,255,255)" bfill="true" bordercolor="RGB(214,219,226)" bborder="true"/></style>
    <style name="progback"><rect state="all" fillcolor="RGB(222,226,233)" bfill="true"/></style>
    <style name="progfill"><rect state="all" fillcolor="RGB(46,160,96)" bfill="true"/></style>
    <style name="tileA"><rect state="all" fillcolor="RGB(44,110,200)" bfill="true"/><text state="all" font="bold" textcolor="RGB(255,255,255)" halign="center" valign="center"/></style>
    <style name="tileB"><rect state="all" fillcolor="RGB(46,160,96)" bfill="true"/><text state="all" font="bold" textcolor="RGB(255,255,255)" halign="center" valign="center"/></style>
    <style name="tileC"><rect state="all" fillcolor="RGB(224,130,40)" bfill="true"/><text state="all" font="bold" textcolor="RGB(255,255,255)" halign="center" valign="center"/></style>
    <style name="tag"><rect state="all" fillcolor="RGB(234,240,250)" bfill="true" bordercolor="RGB(170,190,225)" bborder="true"/><text state="all" font="small" textcolor="RGB(30,70,140)" halign="center" valign="center"/></style>
  </dsstyle>
</theme>
<ducontrol>
<duwindow name="Demo" width="610" height="410" x="40" y="40" layered="true" captionheight="40" style="dlg" text="Kestrane controls">
  <layout name="CaptionButtons" type="2" left="-81" top="1" width="80" height="38">
    <button name="MinButton" width="40" height="38" style="capbtn" text="-"/>
    <button name="CloseButton" width="40" height="38" style="capbtn" text="x" tooltip="Close"/>
  </layout>

  <static name="LabelRow" left="20" top="50" width="370" height="18" style="label" text="type 1: buttons from the left, the last one sized by its text"/>
  <layout name="ButtonRow" type="1" xspace="6" left="20" top="70" width="380" height="30">
    <button name="InstallButton" width="84" height="30" style="primary" text="Install"/>
    <button name="CancelButton" width="84" height="30" style="btn" text="Cancel" tooltip="Leave the setup"/>
    <button name="DisabledButton" width="84" height="30" style="btn" text="Disabled" graydisable="true"/>
    <button name="AutoButton" autosize="true" fixleft="14" fixright="14" height="30" style="btn" text="Sized to text"/>
  </layout>

  <static name="LabelChecks" left="20" top="110" width="180" height="18" style="label" text="type 3: check boxes downwards"/>
  <layout name="Checks" type="3" yspace="2" left="20" top="130" width="180" height="84">
    <checkbox name="CheckWord" width="180" height="24" style="check" text="Word add-in" checked="true"/>
    <checkbox name="CheckExcel" width="180" height="24" style="check" text="Excel add-in"/>
    <checkbox name="CheckStart" width="180" height="24" style="check" text="Start when done"/>
  </layout>

  <static name="LabelRadios" left="220" top="110" width="180" height="18" style="label" text="type 4: radios upwards"/>
  <layout name="Radios" type="4" yspace="2" left="220" top="130" width="180" height="84">
    <radio name="RadioAll" width="180" height="24" style="radio" text="All users" groupid="1" checked="true"/>
    <radio name="RadioMe" width="180" height="24" style="radio" text="Only me" groupid="1"/>
    <radio name="RadioLater" width="180" height="24" style="radio" text="Decide later" groupid="1"/>
  </layout>

  <static name="LabelProgress" left="20" top="222" width="370" height="18" style="label" text="progress: 62 percent"/>
  <progress name="Progress" left="20" top="244" width="370" height="8" style="progback" progressstyle="progfill" progresspos="62"/>

  <static name="LabelTiles" left="20" top="260" width="370" height="18" style="label" text="type 5: equal widths"/>
  <layout name="Tiles" type="5" xspace="6" left="20" top="280" width="370" height="36">
    <static name="TileA" height="36" style="tileA" text="Download"/>
    <static name="TileB" height="36" style="tileB" text="Verify"/>
    <static name="TileC" height="36" style="tileC" text="Install"/>
  </layout>

  <static name="LabelColumn" left="410" top="50" width="180" height="18" style="label" text="type 6: equal heights"/>
  <layout name="Column" type="6" yspace="6" left="410" top="70" width="180" height="130">
    <static name="RowA" width="180" style="tileA" text="Kestrane"/>
    <static name="RowB" width="180" style="tileB" text="Vantor runtime"/>
  </layout>

  <static name="LabelFlow" left="410" top="210" width="180" height="18" style="label" text="type 7: flowing rows"/>
  <layout name="Flow" type="7" xspace="6" yspace="6" left="410" top="230" width="180" height="90">
    <static name="Tag1" width="56" height="24" style="tag" text="Word"/>
    <static name="Tag2" width="56" height="24" style="tag" text="Excel"/>
    <static name="Tag3" width="56" height="24" style="tag" text=".NET 4.8"/>
    <static name="Tag4" width="80" height="24" style="tag" text="Dictionaries"/>
    <static name="Tag5" width="60" height="24" style="tag" text="Fonts"/>
    <static name="Tag6" width="70" height="24" style="tag" text="Runtime"/>
  </layout>

  <layout name="Footer" left="20" top="330" width="570" height="64" style="panel">
    <static name="FooterText" left="14" top="0" width="300" height="64" style="label" text="type 0: children placed by their own attributes"/>
    <button name="FooterButton" left="-124" top="center" width="110" height="32" style="primary" text="Finish"/>
  </layout>
</duwindow>
</ducontrol>
</directui>
)XML";

// Two 16x16 cells: an empty ring and a ring with a dot, anti-aliased.
bool WriteRadioPng(const std::wstring& path) {
    GpBitmap* bitmap = nullptr;
    if (DllExports::GdipCreateBitmapFromScan0(32, 16, 0, PixelFormat32bppARGB, nullptr, &bitmap) != Ok) return false;
    GpGraphics* g = nullptr;
    DllExports::GdipGetImageGraphicsContext(bitmap, &g);
    DllExports::GdipSetSmoothingMode(g, SmoothingModeAntiAlias);
    GpSolidFill* white = nullptr;
    GpSolidFill* blue = nullptr;
    GpPen* ring = nullptr;
    GpPen* ringOn = nullptr;
    DllExports::GdipCreateSolidFill(0xFFFFFFFF, &white);
    DllExports::GdipCreateSolidFill(0xFF2C6EC8, &blue);
    DllExports::GdipCreatePen1(0xFF8C96A5, 1.2f, UnitPixel, &ring);
    DllExports::GdipCreatePen1(0xFF2C6EC8, 1.6f, UnitPixel, &ringOn);
    DllExports::GdipFillEllipse(g, white, 1.0f, 1.0f, 13.5f, 13.5f);
    DllExports::GdipDrawEllipse(g, ring, 1.0f, 1.0f, 13.5f, 13.5f);
    DllExports::GdipFillEllipse(g, white, 17.0f, 1.0f, 13.5f, 13.5f);
    DllExports::GdipDrawEllipse(g, ringOn, 17.0f, 1.0f, 13.5f, 13.5f);
    DllExports::GdipFillEllipse(g, blue, 20.5f, 4.5f, 6.5f, 6.5f);
    DllExports::GdipDeletePen(ring);
    DllExports::GdipDeletePen(ringOn);
    DllExports::GdipDeleteBrush(white);
    DllExports::GdipDeleteBrush(blue);
    DllExports::GdipDeleteGraphics(g);
    const CLSID png = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    const bool ok = DllExports::GdipSaveImageToFile(bitmap, path.c_str(), &png, nullptr) == Ok;
    DllExports::GdipDisposeImage(bitmap);
    return ok;
}

}  // namespace

bool WriteCtrlDemoSkin(const std::wstring& folder) {
    const std::wstring base = folder.back() == L'\\' ? folder : folder + L"\\";
    FILE* f = _wfopen((base + L"config.xml").c_str(), L"wb");
    if (!f) return false;
    fwrite("\xFF\xFE", 1, 2, f);
    fwrite(kSkin, sizeof(wchar_t), wcslen(kSkin), f);
    fclose(f);
    return WriteRadioPng(base + L"radio.png");
}
