#include "dulib/ctrl/EditClipboard.h"

#include "support/Handles.h"

#include <cstring>

namespace {

// Another program may hold the clipboard for a moment; a few quick retries
// are enough for that without blocking the window.
bool OpenClipboardBriefly(HWND owner) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (::OpenClipboard(owner)) return true;
        ::Sleep(10);
    }
    return false;
}

class ClipboardSession {
public:
    explicit ClipboardSession(HWND owner) : open_(OpenClipboardBriefly(owner)) {}
    ~ClipboardSession() {
        if (open_) ::CloseClipboard();
    }
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;
    bool IsOpen() const { return open_; }

private:
    bool open_;
};

}  // namespace

bool PutClipboardText(HWND owner, const std::wstring& text) {
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    GlobalMemory block(::GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!block) return false;
    void* data = ::GlobalLock(block.get());
    if (!data) return false;
    std::memcpy(data, text.c_str(), bytes);
    ::GlobalUnlock(block.get());

    ClipboardSession session(owner);
    if (!session.IsOpen() || !::EmptyClipboard()) return false;
    if (!::SetClipboardData(CF_UNICODETEXT, block.get())) return false;
    block.release();  // the clipboard owns it now
    return true;
}

bool GetClipboardText(HWND owner, std::wstring* text) {
    text->clear();
    if (!::IsClipboardFormatAvailable(CF_UNICODETEXT)) return false;
    ClipboardSession session(owner);
    if (!session.IsOpen()) return false;
    HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
    if (!data) return false;
    const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data));
    if (!chars) return false;
    // Bounded by the block's size: a block without terminator is read no further.
    const SIZE_T count = ::GlobalSize(data) / sizeof(wchar_t);
    SIZE_T n = 0;
    while (n < count && chars[n]) ++n;
    text->assign(chars, n);
    ::GlobalUnlock(data);
    return true;
}

bool ClipboardHasText() { return ::IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE; }
