// Folders only administrators and SYSTEM can write: the descriptor they are
// made with, what the file system gives back, and their removal.
#include "support/SecureFolder.h"

#include "support/Handles.h"
#include "tests/common/TempDir.h"

#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr ACCESS_MASK kWriteRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES |
                                     FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE |
                                     GENERIC_ALL;

std::wstring SidText(PSID sid) {
    LPWSTR text = nullptr;
    if (!::ConvertSidToStringSidW(sid, &text)) return std::wstring();
    LocalMemory owned(text);
    return text;
}

std::wstring OwnUserSid() {
    KernelHandle token;
    ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put());
    BYTE buffer[256] = {};
    DWORD size = 0;
    if (!::GetTokenInformation(token.get(), TokenUser, buffer, sizeof buffer, &size)) return std::wstring();
    return SidText(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid);
}

struct Access {
    std::wstring sid;
    ACCESS_MASK mask;
    BYTE flags;
};

struct Descriptor {
    bool isProtected = false;
    std::wstring owner;
    std::vector<Access> allowed;

    std::vector<std::wstring> Writers() const {
        std::vector<std::wstring> writers;
        for (const Access& access : allowed)
            if (access.mask & kWriteRights) writers.push_back(access.sid);
        return writers;
    }
    bool GrantsAnythingTo(const std::wstring& sid) const {
        for (const Access& access : allowed)
            if (access.sid == sid && access.mask != 0) return true;
        return false;
    }
};

Descriptor Read(PSECURITY_DESCRIPTOR sd) {
    Descriptor d;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ::GetSecurityDescriptorControl(sd, &control, &revision);
    d.isProtected = (control & SE_DACL_PROTECTED) != 0;
    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    if (::GetSecurityDescriptorOwner(sd, &owner, &defaulted) && owner) d.owner = SidText(owner);
    BOOL present = FALSE;
    PACL dacl = nullptr;
    ::GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted);
    EXPECT_TRUE(present && dacl) << "no list means everyone may do anything";
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!::GetAce(dacl, i, &ace)) continue;
        auto* header = static_cast<ACE_HEADER*>(ace);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        d.allowed.push_back({SidText(&allowed->SidStart), allowed->Mask, header->AceFlags});
    }
    return d;
}

Descriptor ReadBack(const std::wstring& path) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    EXPECT_EQ(::GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT,
                                      OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                      nullptr, nullptr, &sd),
              static_cast<DWORD>(ERROR_SUCCESS));
    LocalMemory owned(sd);
    return sd ? Read(sd) : Descriptor();
}

const wchar_t kSystem[] = L"S-1-5-18";
const wchar_t kAdministrators[] = L"S-1-5-32-544";
// Everyone, Users, Authenticated Users, Interactive.
const wchar_t* const kOthers[] = {L"S-1-1-0", L"S-1-5-32-545", L"S-1-5-11", L"S-1-5-4"};

void ExpectOnlyAdministratorsAndSystemWrite(const Descriptor& d, const std::wstring& what) {
    for (const std::wstring& writer : d.Writers())
        EXPECT_TRUE(writer == kSystem || writer == kAdministrators) << what << ": " << std::string(writer.begin(),
                                                                                               writer.end());
}

// What the file system gave back: the whole descriptor where it keeps one;
// where it keeps Unix mode bits only (Wine), what those can say.
void ExpectStoredOrModeBits(const Descriptor& d, const std::wstring& what) {
    if (d.isProtected) {
        ExpectOnlyAdministratorsAndSystemWrite(d, what);
        EXPECT_TRUE(d.owner == kAdministrators || d.owner == kSystem);
        return;
    }
    std::printf("[ NOTE ] %ls: the file system did not keep the descriptor (Wine keeps Unix mode bits only); "
                "checking that nobody but the owner and SYSTEM may write\n",
                what.c_str());
    const std::wstring self = OwnUserSid();
    for (const std::wstring& writer : d.Writers())
        EXPECT_TRUE(writer == kSystem || writer == kAdministrators || writer == self);
    for (const wchar_t* other : kOthers)
        for (const std::wstring& writer : d.Writers()) EXPECT_NE(writer, other);
}

} // namespace

TEST(SecureFolder, TheDescriptorLetsOnlyAdministratorsAndSystemWrite) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(kAdminOnlyFolderSddl, SDDL_REVISION_1, &sd,
                                                                       nullptr));
    LocalMemory owned(sd);
    const Descriptor d = Read(sd);
    EXPECT_TRUE(d.isProtected) << "nothing is inherited from the parent folder";
    EXPECT_EQ(d.owner, kAdministrators);
    ASSERT_EQ(d.allowed.size(), 2u);
    ExpectOnlyAdministratorsAndSystemWrite(d, L"as made");
    for (const Access& access : d.allowed) {
        EXPECT_EQ(access.flags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE),
                  OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE)
            << "what is made inside gets the same";
        EXPECT_EQ(access.flags & INHERIT_ONLY_ACE, 0);
    }
}

TEST(SecureFolder, ReadBackFromTheFolderAndAFileInIt) {
    TempDir dir;
    const std::wstring folder = dir.File(L"run");
    ASSERT_EQ(CreateAdminOnlyFolder(folder), 0u);
    EXPECT_EQ(CreateAdminOnlyFolder(folder), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "never taken over";
    const Descriptor d = ReadBack(folder);
    ExpectStoredOrModeBits(d, L"folder");
    for (const wchar_t* other : kOthers) EXPECT_FALSE(d.GrantsAnythingTo(other));

    const std::wstring file = folder + L"\\setup.exe";
    KernelHandle(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    ExpectStoredOrModeBits(ReadBack(file), L"file inside");
}

TEST(SecureFolder, RemovalTakesItsFilesUnlessALiveRunHoldsIt) {
    TempDir dir;
    const std::wstring folder = dir.File(L"run");
    ASSERT_EQ(CreateAdminOnlyFolder(folder), 0u);
    const std::wstring file = folder + L"\\setup.exe";
    KernelHandle(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    {
        KernelHandle pin = PinFolder(folder);
        ASSERT_TRUE(pin);
        EXPECT_FALSE(RemoveFolderAndFiles(folder));
        EXPECT_NE(::GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES) << "a live run's copy stays";
        EXPECT_FALSE(::MoveFileW(folder.c_str(), dir.File(L"moved").c_str())) << "nor can it be renamed";
    }
    EXPECT_TRUE(RemoveFolderAndFiles(folder));
    EXPECT_EQ(::GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(RemoveFolderAndFiles(folder)) << "already gone";

    // A folder that keeps a subfolder is not emptied by force.
    ASSERT_EQ(CreateAdminOnlyFolder(folder), 0u);
    ASSERT_TRUE(::CreateDirectoryW((folder + L"\\inner").c_str(), nullptr));
    EXPECT_FALSE(RemoveFolderAndFiles(folder));
    EXPECT_NE(::GetFileAttributesW((folder + L"\\inner").c_str()), INVALID_FILE_ATTRIBUTES);
}
