#include "dulib/ctrl/UiDispatcher.h"

#include <deque>
#include <map>
#include <memory>
#include <mutex>

namespace {

// A registered message, so that it meets none of the application's own.
UINT WakeMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"KestraneUiTaskWake");
    return message;
}

struct TaskQueue {
    std::deque<std::function<void()>> tasks;
    bool wakePending = false;
};

// Queues of the attached windows. Only the map lookups and the queue
// operations happen under the lock; tasks run outside it.
std::mutex g_lock;
std::map<HWND, std::shared_ptr<TaskQueue>>& Queues() {
    static std::map<HWND, std::shared_ptr<TaskQueue>> queues;
    return queues;
}

}  // namespace

bool PostUiTask(HWND hwnd, std::function<void()> task) {
    if (!hwnd || !task) return false;
    std::lock_guard<std::mutex> guard(g_lock);
    auto it = Queues().find(hwnd);
    if (it == Queues().end()) return false;
    TaskQueue& q = *it->second;
    q.tasks.push_back(std::move(task));
    if (!q.wakePending) {
        if (!::PostMessageW(hwnd, WakeMessage(), 0, 0)) {
            q.tasks.pop_back();
            return false;
        }
        q.wakePending = true;
    }
    return true;
}

void OpenUiTaskQueue(HWND hwnd) {
    std::lock_guard<std::mutex> guard(g_lock);
    auto& slot = Queues()[hwnd];
    if (!slot) slot = std::make_shared<TaskQueue>();
}

void CloseUiTaskQueue(HWND hwnd) {
    std::shared_ptr<TaskQueue> dropped;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        auto it = Queues().find(hwnd);
        if (it == Queues().end()) return;
        dropped = std::move(it->second);
        Queues().erase(it);
    }
    // The closures are destroyed here, outside the lock: their captures may
    // own things whose destructors post again.
}

bool HandleUiTaskMessage(HWND hwnd, UINT msg) {
    if (msg != WakeMessage() || msg == 0) return false;
    std::shared_ptr<TaskQueue> queue;
    size_t count = 0;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        auto it = Queues().find(hwnd);
        if (it == Queues().end()) return true;
        queue = it->second;
        queue->wakePending = false;
        count = queue->tasks.size();
    }
    // Only the tasks present now: tasks posted by these tasks wait for the
    // next wake-up, so a task that re-posts itself cannot starve the window.
    for (size_t i = 0; i < count; ++i) {
        std::function<void()> task;
        {
            std::lock_guard<std::mutex> guard(g_lock);
            if (queue->tasks.empty()) break;
            task = std::move(queue->tasks.front());
            queue->tasks.pop_front();
        }
        task();
        // A task may have destroyed the window; its queue is then closed.
        std::lock_guard<std::mutex> guard(g_lock);
        auto it = Queues().find(hwnd);
        if (it == Queues().end() || it->second != queue) break;
    }
    return true;
}
