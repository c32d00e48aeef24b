#include "app/ExitCodes.h"

int ExitCodeFor(FailureKind kind) {
    switch (kind) {
    case FailureKind::None: return kExitSuccess;
    case FailureKind::Start: return kExitInstallerFailed;
    case FailureKind::NotInstalled: return kExitInstallerFailed;
    case FailureKind::InvalidArguments: return kExitInvalidArguments;
    case FailureKind::InvalidFolder: return kExitInvalidFolder;
    case FailureKind::PackageList: return kExitNoPackageList;
    case FailureKind::OfficeInTheWay: return kExitOfficeInTheWay;
    case FailureKind::Download: return kExitDownloadFailed;
    case FailureKind::Verify: return kExitDigestMismatch;
    case FailureKind::Setup: return kExitSetupFailed;
    case FailureKind::Cancelled: return kExitCancelled;
    case FailureKind::NoDiskSpace: return kExitNoDiskSpace;
    case FailureKind::FolderNotWritable: return kExitFolderNotWritable;
    }
    // A kind without a row is still no success.
    return kExitInstallerFailed;
}

int RunExitCode() { return ExitCodeFor(App().ending); }

std::wstring ExitCodeTable() {
    static const struct {
        int code;
        const wchar_t* meaning;
    } rows[] = {
        {kExitSuccess, L"所选组件全部安装成功"},
        {kExitInstallerFailed, L"安装程序无法继续运行"},
        {kExitInvalidArguments, L"参数无效"},
        {kExitInvalidFolder, L"安装目录无效"},
        {kExitNoPackageList, L"未能获取安装列表"},
        {kExitOfficeInTheWay, L"Office进程未退出"},
        {kExitDownloadFailed, L"下载失败"},
        {kExitDigestMismatch, L"校验失败"},
        {kExitSetupFailed, L"组件安装失败"},
        {kExitCancelled, L"用户取消"},
        {kExitNoDiskSpace, L"磁盘空间不足"},
        {kExitFolderNotWritable, L"安装目录无法写入"},
    };
    std::wstring table;
    for (const auto& row : rows) table += std::to_wstring(row.code) + L"\t" + row.meaning + L"\n";
    return table;
}
