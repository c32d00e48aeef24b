#pragma once
// HTTP dates in the one form servers are to send them,
// "Sun, 06 Nov 1994 08:49:37 GMT", read strictly: anything else is no date.
#include <windows.h>

#include <string>

bool ParseHttpDate(const std::wstring& text, SYSTEMTIME& when);
