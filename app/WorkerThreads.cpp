#include "app/WorkerThreads.h"

#include "app/AppState.h"
#include "support/CodedConversion.h"
#include "support/Log.h"

#include <atomic>
#include <string>
#include <system_error>
#include <thread>

namespace {

// True (and one fewer left) while a test asks for refusals.
bool TakeRefusal(std::atomic<int>& left) {
    int count = left.load();
    while (count > 0) {
        if (left.compare_exchange_weak(count, count - 1)) return true;
    }
    return false;
}

} // namespace

bool StartDetachedThread(const wchar_t* what, std::function<void()> task) {
    try {
        if (App().refusedThread == what)
            throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        std::thread(std::move(task)).detach();
        return true;
    } catch (const std::exception& error) {
        WriteLog(std::wstring(L"StartThread 无法启动线程") + what + L": " + CCodedConversion().AnsiToWide(error.what()),
                 LOG_ERROR);
    }
    return false;
}

KernelHandle CreatePackageSemaphore(DWORD& error) {
    error = 0;
    if (TakeRefusal(App().refuseSemaphores)) {
        error = kNoResourcesCode;
        return KernelHandle();
    }
    KernelHandle semaphore(::CreateSemaphoreW(nullptr, 0, 65535, nullptr));
    if (!semaphore) {
        error = ::GetLastError();
        if (error == 0) error = kNoResourcesCode;
    }
    return semaphore;
}
