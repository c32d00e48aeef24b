#include "app/Preflight.h"

#include "app/DownloadWorker.h"
#include "app/RunOutcome.h"
#include "support/Handles.h"
#include "support/PackageList.h"
#include "support/TempNames.h"
#include "sysinfo/LocalPaths.h"

#include <map>
#include <vector>

namespace {

long long FileSizeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool IsDirectory(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The path and each of its parents, shortest first: C:\a, C:\a\b, ...
std::vector<std::wstring> FolderLevels(const std::wstring& folder) {
    std::vector<std::wstring> levels;
    for (size_t at = folder.find(L'\\', 3); at != std::wstring::npos; at = folder.find(L'\\', at + 1))
        levels.push_back(folder.substr(0, at));
    if (!folder.empty() && folder.back() != L'\\') levels.push_back(folder);
    return levels;
}

// The nearest folder of path's chain that exists; empty when not even its
// drive does.
std::wstring ExistingAncestor(const std::wstring& path) {
    std::wstring probe = path;
    while (!IsDirectory(probe)) {
        const size_t cut = probe.find_last_of(L'\\');
        if (cut == std::wstring::npos || probe.size() <= 3) return std::wstring();
        probe.erase(cut < 3 ? 3 : cut);  // "C:\" keeps its backslash
    }
    return probe;
}

std::wstring ShortfallText(const std::wstring& volume, unsigned long long needed, unsigned long long available) {
    return L"磁盘 " + volume + L" 空间不足，还需要 " + MegabyteText(needed - available) + L"（需要 " +
           MegabyteText(needed) + L"，可用 " + MegabyteText(available) + L"）";
}

} // namespace

std::wstring MegabyteText(unsigned long long bytes) {
    wchar_t text[64] = {};
    _snwprintf_s(text, 64, _TRUNCATE, L"%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
    return text;
}

std::wstring VolumeOf(const std::wstring& path) {
    const std::wstring existing = ExistingAncestor(path);
    if (existing.empty()) return std::wstring();
    wchar_t volume[MAX_PATH] = {};
    if (!::GetVolumePathNameW(existing.c_str(), volume, MAX_PATH)) return std::wstring();
    return volume;
}

DWORD ProbeWritableFolder(const std::wstring& folder) {
    std::vector<std::wstring> made;
    DWORD error = 0;
    for (const std::wstring& level : FolderLevels(folder)) {
        if (IsDirectory(level)) continue;
        if (!::CreateDirectoryW(level.c_str(), nullptr)) {
            error = ::GetLastError();
            break;
        }
        made.push_back(level);
    }
    if (!error) {
        const std::wstring probe = folder + L"\\~kestrane-" + NewGuidText() + L".tmp";
        KernelHandle file(::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        DWORD written = 0;
        const char byte = 0;
        if (!file || !::WriteFile(file.get(), &byte, 1, &written, nullptr)) error = ::GetLastError();
    }
    for (auto level = made.rbegin(); level != made.rend(); ++level) ::RemoveDirectoryW(level->c_str());
    return error;
}

PreflightNeed NeedOfSelectedPackages(const std::wstring& packageFolder, const std::wstring& productFolder) {
    PreflightNeed need;
    need.packageFolder = packageFolder;
    need.productFolder = productFolder;
    SetupInfo item;
    for (unsigned i = 0; PackageList.GetAt(i, item); ++i) {
        if (!item.selected || !HasKnownSize(item)) continue;  // a file without a size cannot be counted
        const unsigned long long size = static_cast<unsigned long long>(item.size);
        const std::wstring path = PackageFilePath(item);
        const long long onDisk = path.empty() ? 0 : FileSizeOf(path);
        need.bytesToInstall += size;
        if (onDisk < item.size) need.bytesToFetch += size - static_cast<unsigned long long>(onDisk);
    }
    return need;
}

PreflightResult CheckBeforeDownloads(const PreflightNeed& need) {
    PreflightResult result;
    if (const DWORD error = ProbeWritableFolder(need.productFolder)) {
        result.kind = FailureKind::FolderNotWritable;
        result.code = kFolderNotWritableCode;
        result.message = L"安装目录无法创建或写入：" + need.productFolder + L"（错误 " + std::to_wstring(error) + L"）";
        return result;
    }
    // One sum per volume: the downloads and the installation may share one.
    std::map<std::wstring, unsigned long long> needed;
    std::vector<std::wstring> order;
    const auto add = [&needed, &order](const std::wstring& folder, unsigned long long bytes) {
        std::wstring volume = VolumeOf(folder);
        if (volume.empty()) return;
        for (wchar_t& c : volume) c = static_cast<wchar_t>(::towupper(c));
        if (!needed.count(volume)) order.push_back(volume);
        needed[volume] += bytes;
    };
    add(need.packageFolder, need.bytesToFetch);
    add(need.productFolder, need.bytesToInstall);
    for (const std::wstring& volume : order) {
        ULARGE_INTEGER available{};
        if (!::GetDiskFreeSpaceExW(volume.c_str(), &available, nullptr, nullptr)) continue;  // cannot tell: go on
        const unsigned long long wanted = needed[volume] + kFreeSpaceMargin;
        if (available.QuadPart >= wanted) continue;
        if (!result.message.empty()) result.message += L"；";
        result.message += ShortfallText(volume, wanted, available.QuadPart);
        result.kind = FailureKind::NoDiskSpace;
        result.code = kNoDiskSpaceCode;
    }
    return result;
}
