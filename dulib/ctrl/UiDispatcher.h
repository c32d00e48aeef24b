#pragma once
// The one way for other threads to change controls or ask for redraws: the
// task is queued for the window and run on the window's own thread, by the
// engine's window procedure before it handles anything else. Tasks of one
// posting thread run in the order posted. Posting never blocks on the window
// thread. Tasks still queued when the window goes away are dropped unrun.
#include <windows.h>

#include <functional>

// False (and the task is dropped) when the window is not attached to the
// engine, is already gone, or its message queue refuses the wake-up message.
bool PostUiTask(HWND hwnd, std::function<void()> task);

// --- engine side -------------------------------------------------------------
// Opens the window's queue (at attach) and drops it with its pending tasks
// (at teardown).
void OpenUiTaskQueue(HWND hwnd);
void CloseUiTaskQueue(HWND hwnd);
// Runs the queued tasks when msg is the wake-up message; true when it was.
bool HandleUiTaskMessage(HWND hwnd, UINT msg);
