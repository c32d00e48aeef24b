#include "app/VerifiedPackage.h"

#include "app/AppState.h"
#include "app/RunFolder.h"
#include "support/CodedConversion.h"
#include "support/Log.h"
#include "support/VerifiedCopy.h"

#include <windows.h>

namespace {

int Fail(const std::wstring& reason, int code) {
    WriteLog(L"StartSetupMethod " + reason + L", ErrorCode=" + std::to_wstring(code), LOG_ERROR);
    return code;
}

} // namespace

int CopyVerifiedPackage(const SetupInfo& item, const std::wstring& download, std::wstring& runCopy) {
    runCopy.clear();
    const RunFolder* folder = App().runFolder.get();
    if (!folder) return Fail(L"运行目录不可用，未验证: tool=" + item.name, ERROR_PATH_NOT_FOUND);
    const std::wstring copy = folder->Path() + download.substr(download.find_last_of(L'\\') + 1);
    std::string digest;
    const int error = static_cast<int>(CopyWithMd5(download, copy, digest));
    if (error == ERROR_SHARING_VIOLATION)
        return Fail(L"安装包正被其他程序写入，未验证也未删除: " + download, error);
    if (error) return Fail(L"读取或复制安装包失败: " + download + L" -> " + copy, error);

    const std::wstring actual = CCodedConversion().AnsiToWide(digest);
    if (actual.empty() || _wcsicmp(actual.c_str(), item.md5.c_str()) != 0) {
        ::DeleteFileW(copy.c_str());
        // The next run downloads it afresh.
        ::DeleteFileW(download.c_str());
        return Fail(L"安装包摘要不符，已删除: " + download + L", md5=" + actual + L", 应为" + item.md5,
                    kDigestMismatch);
    }
    runCopy = copy;
    return 0;
}
