#pragma once
// The Setup page's own controls: the custom-folder row, the agreement line
// and the folder button.
#include <string>

class duPlugin;

void OnCustomSetupToggle(duPlugin* control, int param1, int param2);
void OnAgreementCheck(duPlugin* control, int param1, int param2);
void OnAgreementButton(duPlugin* control, int param1, int param2);
void OnSelectDirButton(duPlugin* control, int param1, int param2);

// Grows (or shrinks back) the window by the folder row: 40 skin pixels, as
// many as the window's display scale makes of them.
void ExpandCustomSetup(bool expand);
// text without a trailing suffix, when it has one.
std::wstring RemoveSuffix(const std::wstring& suffix, const std::wstring& text);
// The folder the packages go to: folder without one trailing backslash,
// followed by \QRN\Kestrane unless it already ends with it (case-sensitive).
std::wstring ProductFolderIn(const std::wstring& folder);
