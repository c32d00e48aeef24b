#pragma once
#include <windows.h>
#include <string>

class duPlugin;

constexpr wchar_t kMainWindowClass[] = L"VIZaroreRirar_MainWin";
constexpr UINT_PTR IDT_PREPARE_INFO = 102;
constexpr UINT_PTR IDT_SETUP_INFO = 103;
constexpr UINT_PTR IDT_ITEM_PROGRESS = 104;
constexpr UINT_PTR IDT_AUTO_CLOSE = 106;  // an unattended run's last page (Unattended.h)

bool RegisterMainWindowClass(HINSTANCE instance);
HWND CreateMainWindow(HINSTANCE instance, const wchar_t* caption);
LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Looks up the named controls the flow needs; closes the window when one is
// missing from the skin.
void BindControls();

// Ends the message loop and destroys the window (wParam 1 also logs the exit).
void CloseMainWindowNow(HWND hwnd, WPARAM wParam);

// One step of an info line's dot animation: base text plus 0..5 full stops.
void AnimateInfoLine(int& counter, const std::wstring& base, duPlugin* control);
