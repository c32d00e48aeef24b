#pragma once
// The demo skin of the control engine (buttons, check boxes, radios, a
// progress bar and a layout of each type on a 610x410 layered window),
// written into a folder with the pictures it names. Shared by the demo
// program and the paint benchmark.
#include <string>

// Writes config.xml and radio.png into `folder` (which must exist).
bool WriteCtrlDemoSkin(const std::wstring& folder);
