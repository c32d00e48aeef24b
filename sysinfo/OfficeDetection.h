#pragma once
// Finds the installed Word version and the Office bitness, as the token the
// setup service expects, e.g. "office_2010_64".
#include <string>

// Edition name for a Word major version: "2007", "2010", "After2010", ...
std::wstring OfficeEditionName(int majorVersion);

// The major version in a CurVer value such as "Word.Application.16": the
// leading number after the last full stop (none gives 0); -1 when the value
// holds no full stop at all.
int OfficeMajorFromCurVer(const std::wstring& curVer);

// Reads HKCR\Word.Application\CurVer. Returns the major version and sets
// officeName to "office_<edition>_64|_32"; returns -1 and sets officeName to
// "??" when Word is not registered.
int DetectOffice(std::wstring& officeName);

// True when Office of this major version (13 or newer) is the 64-bit build,
// from HKLM\Software\Microsoft\Office\<major>.0\Outlook, value Bitness.
bool IsOffice64(int majorVersion);
