#pragma once
// The installer reads Office and .NET facts as a 32-bit process sees them:
// that is the view the setup service's tokens have always described.
#include <windows.h>

constexpr REGSAM kInspectionView = KEY_WOW64_32KEY;
