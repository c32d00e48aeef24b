#pragma once
// RAII owner of a WinHTTP session, connection or request handle.
#include "support/Handles.h"
#include <winhttp.h>

struct InternetHandleTraits {
    using Type = HINTERNET;
    static bool IsEmpty(HINTERNET h) { return h == nullptr; }
    static void Close(HINTERNET h) { ::WinHttpCloseHandle(h); }
};
using InternetHandle = ScopedHandle<InternetHandleTraits>;
