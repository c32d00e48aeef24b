#pragma once
// The edit's exchange with the system clipboard, as CF_UNICODETEXT only.
#include <windows.h>

#include <string>

// Replaces the clipboard's content with text; false when the clipboard
// cannot be opened or the memory cannot be had.
bool PutClipboardText(HWND owner, const std::wstring& text);
// The clipboard's text up to its first terminator; false when there is none.
bool GetClipboardText(HWND owner, std::wstring* text);
bool ClipboardHasText();
