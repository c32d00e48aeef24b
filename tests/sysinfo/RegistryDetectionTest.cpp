#include "sysinfo/DotNetDetection.h"
#include "sysinfo/OfficeDetection.h"
#include "sysinfo/RegistryView.h"
#include "tests/sysinfo/ScopedRegistryKey.h"

#include <gtest/gtest.h>

namespace {

const wchar_t kPolicy[] = L"SOFTWARE\\Microsoft\\.NETFramework\\Policy";
const wchar_t kV4Full[] = L"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v4\\Full";

// The prefix's own Word and Office keys are set aside for each test and put back after it.
class OfficeRegistry : public ::testing::Test {
protected:
    ScopedRegistryKey word_{HKEY_CLASSES_ROOT, L"Word.Application", kInspectionView};
    ScopedRegistryKey office_{HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Office", kInspectionView};
    ScopedRegistryKey office64View_{HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Office", KEY_WOW64_64KEY};

    void InstallWord(const std::wstring& curVer) { ASSERT_TRUE(word_.SetString(L"CurVer", L"", curVer)); }
    void SetBitness(int major, const std::wstring& bitness) {
        ASSERT_TRUE(office_.SetString(std::to_wstring(major) + L".0\\Outlook", L"Bitness", bitness));
    }
};

class DotNetRegistry : public ::testing::Test {
protected:
    ScopedRegistryKey policy_{HKEY_LOCAL_MACHINE, kPolicy, kInspectionView};
    ScopedRegistryKey full_{HKEY_LOCAL_MACHINE, kV4Full, kInspectionView};
    ScopedRegistryKey policy64View_{HKEY_LOCAL_MACHINE, kPolicy, KEY_WOW64_64KEY};

    void AddPolicy(const wchar_t* version) { ASSERT_TRUE(policy_.CreateKey(version)); }
    std::wstring Detect(bool expectFound) {
        std::wstring name = L"old";
        EXPECT_EQ(DetectDotNet(name), expectFound);
        return name;
    }
};

} // namespace

TEST_F(OfficeRegistry, NoWordMeansNotFound) {
    std::wstring name = L"old";
    EXPECT_EQ(DetectOffice(name), -1);
    EXPECT_EQ(name, L"??");
}

TEST_F(OfficeRegistry, WordWithoutCurVerOrFullStopIsNotFound) {
    ASSERT_TRUE(word_.SetString(L"", L"", L"Microsoft Word Document"));
    std::wstring name;
    EXPECT_EQ(DetectOffice(name), -1);
    EXPECT_EQ(name, L"??");

    InstallWord(L"WordApplication16");
    EXPECT_EQ(DetectOffice(name), -1);
    EXPECT_EQ(name, L"??");
}

TEST_F(OfficeRegistry, Office2010BitnessFromOutlookKey) {
    InstallWord(L"Word.Application.14");
    std::wstring name;
    EXPECT_EQ(DetectOffice(name), 14);
    EXPECT_EQ(name, L"office_2010_32");  // no Outlook key at all

    SetBitness(14, L"x86");
    EXPECT_EQ(DetectOffice(name), 14);
    EXPECT_EQ(name, L"office_2010_32");

    SetBitness(14, L"x64");
    EXPECT_EQ(DetectOffice(name), 14);
    EXPECT_EQ(name, L"office_2010_64");
    EXPECT_TRUE(IsOffice64(14));
    EXPECT_FALSE(IsOffice64(15));

    SetBitness(14, L"X64");  // exactly "x64" counts
    EXPECT_FALSE(IsOffice64(14));
}

TEST_F(OfficeRegistry, Office2007NeverReadsBitness) {
    InstallWord(L"Word.Application.12");
    SetBitness(12, L"x64");
    std::wstring name;
    EXPECT_EQ(DetectOffice(name), 12);
    EXPECT_EQ(name, L"office_2007_32");
    EXPECT_FALSE(IsOffice64(12));
}

TEST_F(OfficeRegistry, NewerAndOlderEditions) {
    std::wstring name;
    InstallWord(L"Word.Application.16");
    SetBitness(16, L"x64");
    EXPECT_EQ(DetectOffice(name), 16);
    EXPECT_EQ(name, L"office_After2010_64");

    InstallWord(L"Word.Application.11");
    EXPECT_EQ(DetectOffice(name), 11);
    EXPECT_EQ(name, L"office_2003_32");

    InstallWord(L"Word.Application.");  // no digits: 0
    EXPECT_EQ(DetectOffice(name), 0);
    EXPECT_EQ(name, L"office_Before95_32");
}

TEST_F(OfficeRegistry, ReadsThe32BitView) {
    InstallWord(L"Word.Application.15");
    ASSERT_TRUE(office64View_.SetString(L"15.0\\Outlook", L"Bitness", L"x64"));
    std::wstring name;
    EXPECT_EQ(DetectOffice(name), 15);
    EXPECT_EQ(name, L"office_After2010_32");
}

TEST(OfficeEdition, EditionTable) {
    const std::pair<int, const wchar_t*> rows[] = {
        {-5, L"After2010"}, {0, L"Before95"}, {1, L"Before95"}, {2, L"Before95"}, {3, L"Before95"},
        {5, L"Before95"},   {4, L"After2010"}, {7, L"After2010"}, {6, L"95"},    {8, L"97"},
        {9, L"2000"},       {10, L"XP"},      {11, L"2003"},     {12, L"2007"},  {13, L"2010"},
        {14, L"2010"},      {15, L"After2010"}, {16, L"After2010"}, {99, L"After2010"},
    };
    for (const auto& row : rows) EXPECT_EQ(OfficeEditionName(row.first), row.second) << row.first;
    EXPECT_EQ(OfficeMajorFromCurVer(L"Word.Application.16"), 16);
    EXPECT_EQ(OfficeMajorFromCurVer(L"Word.Application.12abc"), 12);
    EXPECT_EQ(OfficeMajorFromCurVer(L"Word.Application"), 0);  // text after the last stop has no digits
    EXPECT_EQ(OfficeMajorFromCurVer(L"Word"), -1);
}

TEST_F(DotNetRegistry, NothingInstalled) {
    EXPECT_EQ(Detect(false), L"netf_??_xx");
}

TEST_F(DotNetRegistry, NewestPolicyWins) {
    AddPolicy(L"v2.0");
    EXPECT_EQ(Detect(true), L"netf_2.0_xx");
    AddPolicy(L"v3.5");
    EXPECT_EQ(Detect(true), L"netf_3.5_xx");
    AddPolicy(L"v4.5");
    EXPECT_EQ(Detect(true), L"netf_4.5_xx");
    AddPolicy(L"v5.0");
    EXPECT_EQ(Detect(true), L"netf_5.0_xx");
}

TEST_F(DotNetRegistry, Version40NeedsTheFullProfile) {
    AddPolicy(L"v2.0");
    AddPolicy(L"v4.0");
    EXPECT_EQ(Detect(true), L"netf_2.0_xx");  // client profile only
    ASSERT_TRUE(full_.CreateKey(L""));
    EXPECT_EQ(Detect(true), L"netf_4.0_xx");
}

TEST_F(DotNetRegistry, ClientProfileAloneIsNothing) {
    AddPolicy(L"v4.0");
    EXPECT_EQ(Detect(false), L"netf_??_xx");
    // The next detection walks the whole table again.
    AddPolicy(L"v4.5");
    EXPECT_EQ(Detect(true), L"netf_4.5_xx");
}

TEST_F(DotNetRegistry, ReadsThe32BitView) {
    ASSERT_TRUE(policy64View_.CreateKey(L"v4.5"));
    EXPECT_EQ(Detect(false), L"netf_??_xx");
}
