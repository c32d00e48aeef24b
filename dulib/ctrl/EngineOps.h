#pragma once
// The engine's flat operations (see Engine.h for everything the application
// uses).
#include <windows.h>

class duPlugin;
class duWindowManager;

// Common controls, the plugin registry and GDI+. Call once on the UI thread.
bool InitEngine(HINSTANCE instance);
// Destroys the registry and ends GDI+ (after the last window is gone).
void ReleaseEngine();
HINSTANCE GetEngineInstance();

// skin: a skin folder, or the path of a config.xml in one; null for the skin
// in the program's resources. Null when the skin cannot be loaded. Free the
// manager with Destroy() after its windows are gone.
duWindowManager* CreateWindowManager(const wchar_t* skin);
bool AttachWindow(duWindowManager* manager, HWND hwnd, const wchar_t* name);
// Exact, case-sensitive; null when the window has no host.
duPlugin* GetPluginByName(HWND hwnd, const wchar_t* name);
// refresh: run the plugin's OnRedraw first. False for a dead plugin or a
// window without host.
bool RedrawPlugin(duPlugin* plugin, BOOL refresh);
void SetPluginVisible(duPlugin* plugin, BOOL visible);
// Listeners first, then WM_DU_NOTIFY sent to the plugin's window; answers the
// window's result (0 for a dead plugin or a window without host).
LRESULT NotifyUser(duPlugin* plugin, int code, int param1, int param2);
// The DPI at which an attached window shows its skin (96 for a window
// without host): skin numbers times DPI / 96 are its pixels.
int GetWindowDpi(HWND hwnd);
