#pragma once
// Names for temporary files: the user's temporary folder and GUID texts.
#include <string>

// The system temporary path, always ending in a backslash; empty on failure.
std::wstring TempPath();

// A new GUID as "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX" (upper case, no
// braces); empty when none can be made.
std::wstring NewGuidText();
