#include "app/UiThread.h"

#include "app/AppState.h"
#include "dulib/ctrl/UiDispatcher.h"

bool IsUiThread() { return ::GetCurrentThreadId() == App().uiThreadId; }

void RunOnUi(std::function<void()> task) {
    if (IsUiThread()) {
        task();
        return;
    }
    PostUiTask(App().mainWindow, std::move(task));
}
