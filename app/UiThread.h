#pragma once
// Control changes asked for by any thread: run at once on the window's thread,
// queued for it (in order) from every other thread.
#include <functional>

void RunOnUi(std::function<void()> task);
bool IsUiThread();
