#include "dulib/res/duCursor.h"

#include "dulib/res/DisplayDpi.h"
#include "dulib/res/duResManager.h"
#include "dulib/res/duSkin.h"
#include "dulib/res/SkinXml.h"
#include "support/Handles.h"

#include <cwchar>

namespace {

// The platform's cursor loader reads files only: the bytes go through a
// temporary file ("CUR" prefix). size 0 asks for the system's cursor size.
HCURSOR CursorFromBytes(const BYTE* bytes, size_t size, int pixels) {
    wchar_t folder[MAX_PATH + 1] = {};
    wchar_t path[MAX_PATH + 1] = {};
    DWORD length = ::GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH || !::GetTempFileNameW(folder, L"CUR", 0, path)) return nullptr;
    bool written = false;
    {
        KernelHandle file(::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY,
                                        nullptr));
        DWORD done = 0;
        written = file && ::WriteFile(file.get(), bytes, static_cast<DWORD>(size), &done, nullptr) &&
                  done == static_cast<DWORD>(size);
    }
    HCURSOR cursor = nullptr;
    if (written)
        cursor = static_cast<HCURSOR>(::LoadImageW(nullptr, path, IMAGE_CURSOR, pixels, pixels,
                                                   LR_LOADFROMFILE | (pixels ? 0 : LR_DEFAULTSIZE)));
    ::DeleteFileW(path);
    return cursor;
}

}  // namespace

duCursor::~duCursor() {
    if (cursor_) ::DestroyCursor(cursor_);
    DropSized();
}

void duCursor::DropSized() {
    for (auto& entry : sized_)
        if (entry.second) ::DestroyCursor(entry.second);
    sized_.clear();
}

HCURSOR duCursor::GetHCursorForDpi(int dpi) {
    const int pixels = SystemMetricForDpi(SM_CXCURSOR, dpi);
    if (bytes_.empty() || pixels <= 0 || pixels == ::GetSystemMetrics(SM_CXCURSOR)) return cursor_;
    auto found = sized_.find(pixels);
    if (found != sized_.end()) return found->second ? found->second : cursor_;
    HCURSOR cursor = CursorFromBytes(bytes_.data(), bytes_.size(), pixels);
    sized_[pixels] = cursor;
    return cursor ? cursor : cursor_;
}

const wchar_t* duCursor::GetClassName() { return L"duCursor"; }

void duCursor::SetFileName(const wchar_t* file) {
    file_[0] = L'\0';
    if (file) wcsncpy_s(file_, RES_NAME_CHARS, file, _TRUNCATE);
}

void duCursor::SetHCursor(HCURSOR cursor) {
    if (cursor_ && cursor_ != cursor) ::DestroyCursor(cursor_);
    cursor_ = cursor;
    DropSized();
    bytes_.clear();
}

bool duCursor::LoadFromXml(const tinyxml2::XMLElement* element) {
    ReadXmlString(element, "value", file_, RES_NAME_CHARS);
    duSkin* skin = manager_ ? manager_->GetSkin() : nullptr;
    if (!skin) return true;
    SkinFile file;
    if (skin->OpenSkinFile(file_, L"PCURSOR", &file)) {
        LoadFromBytes(file.bytes, static_cast<int>(file.size));
        skin->CloseSkinFile(file);
    }
    return true;
}

bool duCursor::LoadFromFile(const wchar_t* path) {
    SetHCursor(nullptr);
    if (!path || !*path) return false;
    cursor_ = static_cast<HCURSOR>(
        ::LoadImageW(nullptr, path, IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
    return cursor_ != nullptr;
}

bool duCursor::LoadFromBytes(const BYTE* bytes, int size) {
    if (!bytes || size <= 0) return false;
    SetHCursor(nullptr);
    cursor_ = CursorFromBytes(bytes, static_cast<size_t>(size), 0);
    if (cursor_) bytes_.assign(bytes, bytes + size);
    return cursor_ != nullptr;
}
