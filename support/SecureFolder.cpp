#include "support/SecureFolder.h"

#include <sddl.h>

const wchar_t kAdminOnlyFolderSddl[] = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

DWORD CreateAdminOnlyFolder(const std::wstring& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(kAdminOnlyFolderSddl, SDDL_REVISION_1, &descriptor,
                                                                nullptr))
        return ::GetLastError();
    LocalMemory owned(descriptor);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    if (!::CreateDirectoryW(path.c_str(), &attributes)) return ::GetLastError();
    return 0;
}

KernelHandle PinFolder(const std::wstring& path) {
    // Listing access makes the handle count in sharing checks; no delete sharing.
    return KernelHandle(::CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | SYNCHRONIZE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

namespace {

// One entry of a folder being removed: files go, links lose only their link,
// real subfolders stay. Nothing else is changed: a folder named like ours
// may have been planted, and a file in it may share its data with another.
void RemoveEntry(const std::wstring& folder, const std::wstring& name, DWORD attributes) {
    if (name == L"." || name == L"..") return;
    const std::wstring entry = folder + L"\\" + name;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        ::RemoveDirectoryW(entry.c_str());
    else if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        ::DeleteFileW(entry.c_str());
}

} // namespace

bool RemoveFolderAndFiles(const std::wstring& path) {
    // Held without delete sharing while its entries are removed by name, so
    // the name cannot be pointed elsewhere meanwhile; fails while a live run
    // pins it.
    KernelHandle folder(::CreateFileW(path.c_str(), DELETE | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!folder) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(folder.get(), &info)) return false;
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;

    // Listed through the handle held: a listing by name would open the
    // folder again, which the missing delete sharing forbids.
    alignas(8) unsigned char listing[16384];
    for (FILE_INFO_BY_HANDLE_CLASS next = FileIdBothDirectoryRestartInfo;
         ::GetFileInformationByHandleEx(folder.get(), next, listing, sizeof listing);
         next = FileIdBothDirectoryInfo) {
        for (auto* entry = reinterpret_cast<FILE_ID_BOTH_DIR_INFO*>(listing);;
             entry = reinterpret_cast<FILE_ID_BOTH_DIR_INFO*>(reinterpret_cast<unsigned char*>(entry) +
                                                              entry->NextEntryOffset)) {
            RemoveEntry(path, std::wstring(entry->FileName, entry->FileNameLength / sizeof(wchar_t)),
                        entry->FileAttributes);
            if (entry->NextEntryOffset == 0) break;
        }
    }
    FILE_DISPOSITION_INFO dispose{TRUE};
    return ::SetFileInformationByHandle(folder.get(), FileDispositionInfo, &dispose, sizeof dispose) != FALSE;
}
