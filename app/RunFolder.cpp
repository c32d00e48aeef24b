#include "app/RunFolder.h"

#include "app/AppState.h"
#include "support/Log.h"
#include "support/SecureFolder.h"
#include "support/TempNames.h"
#include "sysinfo/LocalPaths.h"

const wchar_t kRunFolderPrefix[] = L"OrchidRun-";

namespace {

// A GUID clash is all but impossible; a name taken by someone else is skipped.
constexpr int kNameAttempts = 4;

std::wstring WithoutTrailingBackslash(const std::wstring& path) {
    return !path.empty() && path.back() == L'\\' ? path.substr(0, path.size() - 1) : path;
}

} // namespace

RunFolder::RunFolder(std::wstring path, KernelHandle pin) : path_(std::move(path)), pin_(std::move(pin)) {}

RunFolder::~RunFolder() { Remove(); }

void RunFolder::Remove() {
    pin_.reset();
    RemoveFolderAndFiles(WithoutTrailingBackslash(path_));
}

DWORD RunFolder::Create(const std::wstring& root, std::unique_ptr<RunFolder>& folder) {
    RemoveLeftoverRunFolders(root);
    DWORD error = ERROR_ALREADY_EXISTS;
    for (int attempt = 0; attempt < kNameAttempts && error == ERROR_ALREADY_EXISTS; ++attempt) {
        const std::wstring guid = NewGuidText();
        if (guid.empty()) return RPC_S_UUID_NO_ADDRESS;
        const std::wstring path = root + kRunFolderPrefix + guid;
        error = CreateAdminOnlyFolder(path);
        if (error) continue;
        KernelHandle pin = PinFolder(path);
        if (!pin) {
            error = ::GetLastError();
            RemoveFolderAndFiles(path);
            return error;
        }
        folder = std::make_unique<RunFolder>(path + L"\\", std::move(pin));
    }
    return error;
}

void RemoveLeftoverRunFolders(const std::wstring& root) {
    WIN32_FIND_DATAW found{};
    FindHandle find(::FindFirstFileW((root + kRunFolderPrefix + L"*").c_str(), &found));
    for (BOOL more = find ? TRUE : FALSE; more; more = ::FindNextFileW(find.get(), &found))
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveFolderAndFiles(root + found.cFileName);
}

void PrepareRunFolder() {
    AppState& app = App();
    if (app.runFolder) return;
    const std::wstring root = RunFolderRoot();
    const DWORD error = root.empty() ? ERROR_PATH_NOT_FOUND : RunFolder::Create(root, app.runFolder);
    if (!error) return;
    wchar_t line[512] = {};
    _snwprintf_s(line, 512, _TRUNCATE, L"StartSetupBtn 无法创建运行目录: %s, ErrorCode=%d", root.c_str(),
                 static_cast<int>(error));
    WriteLog(line, LOG_ERROR);
}

void RemoveRunFolder() {
    if (App().runFolder) App().runFolder->Remove();
}
