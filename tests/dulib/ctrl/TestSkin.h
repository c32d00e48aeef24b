#pragma once
// The skin the list and edit tests attach to: a 400 x 360 window "Demo" with
// a 300 x 250 list of 50-pixel rows and two edits, and a layered window
// "Glass" with a transparent edit.
#include <string>

inline std::string ListEditTestSkin() {
    return R"SKIN(<directui version="1.0">
<theme name="test">
 <dsfont>
  <font name="default_14" height="-14" weight="400" fontface="微软雅黑"/>
  <font name="default_14b" height="-14" weight="700" fontface="微软雅黑"/>
 </dsfont>
 <dsstyle>
  <style name="Back"><rect fillcolor="RGB(240,242,245)" bfill="true" state="all"/></style>
  <style name="ListBack"><rect fillcolor="RGB(255,255,255)" bfill="true" state="all"/></style>
  <style name="Row">
   <rect fillcolor="RGB(255,255,255)" bfill="true" state="normal"/>
   <rect fillcolor="RGB(236,245,252)" bfill="true" state="over"/>
   <rect fillcolor="RGB(210,232,248)" bfill="true" state="press"/>
   <rect fillcolor="RGB(63,172,229)" bfill="true" state="focus"/>
   <line startpoint="(15,-1)" endpoint="(-15,-1)" color="RGB(221,221,221)" linewidth="1" state="all"/>
  </style>
  <style name="RowText"><text textcolor="RGB(51,51,51)" font="default_14b" halign="left" valign="center" state="all"/></style>
  <style name="Thumb">
   <rect fillcolor="RGB(150,155,160)" bfill="true" state="normal"/>
   <rect fillcolor="RGB(110,115,120)" bfill="true" state="over"/>
   <rect fillcolor="RGB(80,85,90)" bfill="true" state="press"/>
  </style>
  <style name="Arrow">
   <rect fillcolor="RGB(200,200,200)" bfill="true" state="normal"/>
   <rect fillcolor="RGB(170,170,170)" bfill="true" state="over"/>
   <rect fillcolor="RGB(120,120,120)" bfill="true" state="press"/>
  </style>
  <style name="EditBack">
   <rect fillcolor="RGB(255,255,255)" bfill="true" bordercolor="RGB(200,200,200)" bborder="true" borderwidth="1" state="normal"/>
   <rect fillcolor="RGB(255,255,255)" bfill="true" bordercolor="RGB(63,172,229)" bborder="true" borderwidth="1" state="over"/>
   <rect fillcolor="RGB(255,255,255)" bfill="true" bordercolor="RGB(63,172,229)" bborder="true" borderwidth="1" state="focus"/>
  </style>
 </dsstyle>
</theme>
<ducontrol>
 <duwindow name="Demo" style="Back" width="400" height="360" x="0" y="0">
  <listboxex name="List" style="ListBack" itemstyle="Row" left="10" top="10" width="300" height="250" vertscrollbar="Bar">
   <scrollbar name="Bar" visible="false" left="-13" top="0" width="13" bottom="0" vertanchor="2" thumbstyle="Thumb" upstyle="" downstyle="" vert="true" arrowheight="0" maxpos="300" pos="0" page="20" step="21" minthumbsize="0"/>
   <layout name="Row_" visible="false" left="0" top="0" right="0" height="50" horzanchor="2" vertanchor="0">
    <static name="RowName_" style="RowText" left="20" right="10" horzanchor="2" vertanchor="2"/>
   </layout>
  </listboxex>
  <listboxex name="Plain" style="ListBack" left="320" top="10" width="70" height="100">
   <layout name="PlainRow_" visible="false" height="30" horzanchor="2"/>
  </listboxex>
  <scrollbar name="HBar" left="320" top="120" width="70" height="12" arrowheight="12" maxpos="100" page="20" step="5" upstyle="Arrow" downstyle="Arrow" thumbstyle="Thumb"/>
  <edit name="Edit" style="EditBack" left="10" top="275" width="300" height="30" leftborder="6" rightborder="6" topborder="6" font="default_14" textcolor="RGB(51,51,51)" selectcolor="RGB(63,172,229)" tiptext="请选择安装目录" tiptextcolor="RGB(200,0,0)"/>
  <edit name="Pwd" style="EditBack" left="10" top="315" width="300" height="30" leftborder="6" topborder="6" font="default_14" password="true"/>
 </duwindow>
 <duwindow name="Glass" width="320" height="60" x="0" y="0" layered="true">
  <edit name="GlassEdit" left="0" top="0" width="320" height="40" leftborder="4" topborder="4" font="default_14" textcolor="RGB(0,0,200)" selectcolor="RGB(63,172,229)" text="Glass text"/>
 </duwindow>
</ducontrol>
</directui>
)SKIN";
}
