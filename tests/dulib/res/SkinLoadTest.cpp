// Loading the skin from the program's resources and from a skin folder,
// swapping skins, and surviving broken documents.
#include "TestSupport.h"
#include "tests/common/TempDir.h"

#include "dulib/res/SkinXml.h"
#include "dulib/res/duCursor.h"
#include "dulib/res/duFont.h"
#include "dulib/res/duImage.h"
#include "dulib/res/duRgn.h"
#include "dulib/res/duStyleGroup.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

namespace {

const wchar_t* const kSkinFiles[][2] = {
    {L"config.xml", L"SKIN"}, {L"dlg_back.png", L"PNG"}, {L"cells.png", L"PNG"},
    {L"shape.png", L"PNG"},   {L"cur_hand.pcur", L"PCURSOR"},
};

std::string ReadSkinFile(duSkin* skin, const wchar_t* name, const wchar_t* type) {
    SkinFile file;
    if (!skin->OpenSkinFile(name, type, &file)) return std::string();
    std::string bytes(reinterpret_cast<const char*>(file.bytes), file.size);
    skin->CloseSkinFile(file);
    return bytes;
}

// Copies the embedded test skin into a folder, file by file.
void ExtractSkin(const std::wstring& folder) {
    SkinPtr skin = NewSkin();
    ASSERT_TRUE(skin->LoadSkin(nullptr));
    for (const auto& entry : kSkinFiles) {
        std::string bytes = ReadSkinFile(skin.get(), entry[0], entry[1]);
        ASSERT_FALSE(bytes.empty()) << entry[0];
        ASSERT_TRUE(WriteFileBytes(folder + L"\\" + entry[0], bytes.data(), bytes.size()));
    }
}

// A file beside this test's source (Z: is the Linux root under Wine).
// The test's own source folder: from the source root that ctest passes (a
// compiler cache may have made __FILE__ relative to the build folder).
std::wstring DataPath(const std::wstring& relative) {
    const char* root = std::getenv("KESTRANE_SOURCE_DIR");
    std::string source = root && *root ? std::string(root) + "/tests/dulib/res/" : std::string(__FILE__);
    std::wstring path = L"Z:" + std::wstring(source.begin(), source.begin() + source.rfind('/') + 1) + relative;
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

std::string ReadWholeFile(const std::wstring& path) {
    KernelHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return std::string();
    std::string bytes(::GetFileSize(file.get(), nullptr), '\0');
    DWORD read = 0;
    ::ReadFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
    bytes.resize(read);
    return bytes;
}

std::wstring Utf8ToWide(const std::string& text) {
    int n = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
    return out;
}

// Draws every style of the manager in every state bit into a canvas.
void DrawEverything(duResManager* manager) {
    Canvas canvas(120, 60, Argb(255, 200, 200, 200));
    RECT r = {0, 0, 120, 60};
    const UINT states[] = {STATE_NORMAL, STATE_OVER, STATE_PRESS, STATE_FOCUS, STATE_DISABLE, STATE_CHECKED,
                           STATE_CHECKEDOVER, STATE_CHECKEDPRESS, STATE_CHECKEDFOCUS, STATE_CHECKEDDISABLE};
    for (int i = 0; i < manager->GetResObjCount(RES_STYLE); ++i) {
        auto* group = static_cast<duStyleGroup*>(manager->GetResObjByIndex(i, RES_STYLE));
        for (UINT state : states) {
            group->DrawStyle(canvas.dc(), &r, state, L"Text & more", 255);
            group->DrawStyleGray(canvas.dc(), &r, state, L"Text", 128);
            SIZE size;
            group->MeasureStyleText(state, L"Text", &size);
        }
    }
    for (int i = 0; i < manager->GetResObjCount(RES_RGN); ++i) {
        auto* rgn = static_cast<duRgn*>(manager->GetResObjByIndex(i, RES_RGN));
        rgn->CreateRegion(100, 50);
        rgn->CreateRegion(0, 0);
        rgn->CreateRegion(-5, 3);
    }
}

void ExpectTheTestTheme(duResManager* manager) {
    EXPECT_EQ(manager->GetResObjCount(RES_FONT), 6);  // the second "default" is dropped
    EXPECT_EQ(manager->GetResObjCount(RES_IMAGE), 4);
    EXPECT_EQ(manager->GetResObjCount(RES_CURSOR), 1);
    EXPECT_EQ(manager->GetResObjCount(RES_STYLE), 3);
    EXPECT_EQ(manager->GetResObjCount(RES_RGN), 2);
    EXPECT_EQ(manager->GetResObj(L"fromSecondTheme", RES_FONT), nullptr);

    auto* font = static_cast<duFont*>(manager->GetResObj(L"default", RES_FONT));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->GetHeight(), -12);  // first declaration wins
    EXPECT_STREQ(font->GetFace(), L"微软雅黑");
    EXPECT_NE(font->GetHFont(), nullptr);

    auto* back = static_cast<duImage*>(manager->GetResObj(L"back", RES_IMAGE));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->GetWidth(), 32);  // dlg_back.png, not the later cells.png
    EXPECT_EQ(back->GetHeight(), 32);
    DWORD corner = reinterpret_cast<const DWORD*>(back->GetBits())[0];
    EXPECT_NEAR(AlphaOf(corner), 128, 1);
    EXPECT_NEAR(RedOf(corner), 128, 1);  // premultiplied
    EXPECT_EQ(reinterpret_cast<const DWORD*>(back->GetBits())[1], Argb(255, 0, 0, 255));

    auto* missing = static_cast<duImage*>(manager->GetResObj(L"missing", RES_IMAGE));
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(missing->GetWidth(), 0);
    EXPECT_EQ(missing->GetBitmap(), nullptr);

    auto* cursor = static_cast<duCursor*>(manager->GetResObj(L"hand", RES_CURSOR));
    ASSERT_NE(cursor, nullptr);
    EXPECT_NE(cursor->GetHCursor(), nullptr);
}

}  // namespace

TEST(SkinLoad, ResourceModeLoadsTheEmbeddedTheme) {
    SkinPtr skin = NewSkin();
    ASSERT_TRUE(skin->LoadSkin(nullptr));
    EXPECT_TRUE(skin->IsResourceMode());
    EXPECT_STREQ(skin->GetSkinFolder(), L"");
    ExpectTheTestTheme(skin->GetResManager());

    auto* amp = static_cast<duFont*>(skin->GetResManager()->GetResObj(L"amp", RES_FONT));
    ASSERT_NE(amp, nullptr);
    EXPECT_STREQ(amp->GetFace(), L"A & B & C < D & E");

    tinyxml2::XMLElement* controls = skin->GetControlRoot();
    ASSERT_NE(controls, nullptr);
    EXPECT_EQ(ReadXmlText(controls->FirstChildElement("duwindow"), "text"), L"a & b & c");
}

TEST(SkinLoad, ResourceNamesAndTypesMatchInAnyCase) {
    SkinPtr skin = NewSkin();
    ASSERT_TRUE(skin->LoadSkin(L""));
    std::string lower = ReadSkinFile(skin.get(), L"dlg_back.png", L"png");
    std::string upper = ReadSkinFile(skin.get(), L"DLG_BACK.PNG", L"PNG");
    EXPECT_FALSE(lower.empty());
    EXPECT_EQ(lower, upper);
    EXPECT_TRUE(ReadSkinFile(skin.get(), L"dlg_back.png", L"SKIN").empty());  // wrong type
    EXPECT_TRUE(ReadSkinFile(skin.get(), L"nothing.png", L"PNG").empty());
    SkinFile file;
    EXPECT_FALSE(skin->OpenSkinFile(nullptr, L"PNG", &file));
    EXPECT_FALSE(skin->OpenSkinFile(L"cells.png", L"PNG", nullptr));
}

TEST(SkinLoad, FolderModeFindsTheSameNames) {
    TempDir dir;
    ExtractSkin(dir.Path());
    SkinPtr skin = NewSkin();
    ASSERT_TRUE(skin->LoadSkin((dir.Path() + L"\\config.xml").c_str()));
    EXPECT_FALSE(skin->IsResourceMode());
    EXPECT_EQ(std::wstring(skin->GetSkinFolder()), dir.Path() + L"\\");
    ExpectTheTestTheme(skin->GetResManager());

    SkinPtr fromResources = NewSkin();
    ASSERT_TRUE(fromResources->LoadSkin(nullptr));
    for (const auto& entry : kSkinFiles)
        EXPECT_EQ(ReadSkinFile(skin.get(), entry[0], L"ignored"), ReadSkinFile(fromResources.get(), entry[0], entry[1]))
            << entry[0];
}

TEST(SkinLoad, DocumentWithoutByteOrderMarkKeepsItsFirstCharacter) {
    TempDir dir;
    std::string text = Utf16File(L"<directui><theme><dsfont><font name=\"f\"/></dsfont></theme></directui>", false);
    ASSERT_TRUE(WriteFileBytes(dir.File(L"config.xml"), text.data(), text.size()));
    SkinPtr skin = NewSkin();
    ASSERT_TRUE(skin->LoadSkin(dir.File(L"config.xml").c_str()));
    EXPECT_NE(skin->GetResManager()->GetResObj(L"f", RES_FONT), nullptr);
}

TEST(SkinLoad, BadPathsFail) {
    SkinPtr skin = NewSkin();
    EXPECT_FALSE(skin->LoadSkin(L"config.xml"));  // no backslash
    EXPECT_STREQ(skin->GetSkinFolder(), L"");
    TempDir dir;
    EXPECT_FALSE(skin->LoadSkin(dir.File(L"config.xml").c_str()));  // no such file
    EXPECT_EQ(skin->GetResManager(), nullptr);
    std::wstring tooLong = L"C:\\" + std::wstring(400, L'a') + L"\\config.xml";
    EXPECT_FALSE(skin->LoadSkin(tooLong.c_str()));
}

TEST(SkinLoad, ChangeSkinSwapsDocumentAndManagerTogether) {
    TempDir first, second, broken;
    ExtractSkin(first.Path());
    std::string other = Utf16File(
        L"<directui><theme><dsfont><font name=\"only\" height=\"-9\"/></dsfont></theme>"
        L"<ducontrol><duwindow name=\"Other\"/></ducontrol></directui>");
    ASSERT_TRUE(WriteFileBytes(second.File(L"config.xml"), other.data(), other.size()));
    std::string noTheme = Utf16File(L"<directui/>");
    ASSERT_TRUE(WriteFileBytes(broken.File(L"config.xml"), noTheme.data(), noTheme.size()));

    SkinPtr skin = NewSkin();
    ASSERT_TRUE(skin->LoadSkin(first.File(L"config.xml").c_str()));
    duResManager* before = skin->GetResManager();
    tinyxml2::XMLDocument* documentBefore = skin->GetDocument();

    EXPECT_FALSE(skin->ChangeSkin(broken.File(L"config.xml").c_str()));
    EXPECT_FALSE(skin->ChangeSkin(second.File(L"nothing.xml").c_str()));
    EXPECT_FALSE(skin->ChangeSkin(L"config.xml"));
    EXPECT_FALSE(skin->ChangeSkin(nullptr));
    EXPECT_EQ(skin->GetResManager(), before);
    EXPECT_EQ(skin->GetDocument(), documentBefore);
    EXPECT_EQ(std::wstring(skin->GetSkinFolder()), first.Path() + L"\\");
    EXPECT_EQ(skin->changes, 0);

    ASSERT_TRUE(skin->ChangeSkin(second.File(L"config.xml").c_str()));
    EXPECT_EQ(skin->changes, 1);
    EXPECT_EQ(std::wstring(skin->GetSkinFolder()), second.Path() + L"\\");
    EXPECT_EQ(skin->GetResManager()->GetResObjCount(RES_FONT), 1);
    EXPECT_EQ(skin->GetResManager()->GetResObj(L"default", RES_FONT), nullptr);
    EXPECT_EQ(ReadXmlText(skin->GetControlRoot()->FirstChildElement("duwindow"), "name"), L"Other");
}

TEST(SkinLoad, ChangeSkinIsRefusedInResourceMode) {
    TempDir dir;
    ExtractSkin(dir.Path());
    SkinPtr skin = NewSkin();
    ASSERT_TRUE(skin->LoadSkin(nullptr));
    duResManager* before = skin->GetResManager();
    EXPECT_FALSE(skin->ChangeSkin(dir.File(L"config.xml").c_str()));
    EXPECT_EQ(skin->GetResManager(), before);
    EXPECT_TRUE(skin->IsResourceMode());
}

TEST(SkinLoad, BrokenDocumentsLoadWithoutCrashing) {
    struct Case {
        const wchar_t* file;
        bool loads;
    } cases[] = {
        {L"empty-root.xml", false},     {L"no-theme.xml", false},     {L"theme-only.xml", true},
        {L"wrong-root.xml", false},     {L"unknown-tags.xml", true},  {L"bad-numbers.xml", true},
        {L"missing-pictures.xml", true}, {L"truncated.xml", false},   {L"long-names.xml", true},
        {L"second-theme-only-valid.xml", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::string utf8 = ReadWholeFile(DataPath(std::wstring(L"data/broken/") + c.file));
        ASSERT_FALSE(utf8.empty());
        TempDir dir;
        std::string text = Utf16File(Utf8ToWide(utf8));
        ASSERT_TRUE(WriteFileBytes(dir.File(L"config.xml"), text.data(), text.size()));
        SkinPtr skin = NewSkin();
        EXPECT_EQ(skin->LoadSkin(dir.File(L"config.xml").c_str()), c.loads);
        if (skin->GetResManager()) DrawEverything(skin->GetResManager());
    }
}

TEST(SkinLoad, LongNamesKeep127CharactersAndTheFirstStillWins) {
    std::string utf8 = ReadWholeFile(DataPath(L"data/broken/long-names.xml"));
    TempDir dir;
    std::string text = Utf16File(Utf8ToWide(utf8));
    ASSERT_TRUE(WriteFileBytes(dir.File(L"config.xml"), text.data(), text.size()));
    SkinPtr skin = NewSkin();
    ASSERT_TRUE(skin->LoadSkin(dir.File(L"config.xml").c_str()));
    ASSERT_EQ(skin->GetResManager()->GetResObjCount(RES_FONT), 1);
    auto* font = static_cast<duFont*>(skin->GetResManager()->GetResObj(std::wstring(127, L'n').c_str(), RES_FONT));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->GetHeight(), -12);
}

TEST(SkinLoad, GarbageFilesLoadWithoutCrashing) {
    std::mt19937 random(1234);
    std::vector<std::string> files = {
        std::string(),                   // empty
        std::string("\xFF", 1),          // one byte
        std::string("\xFF\xFE", 2),      // the mark alone
        std::string("\xFF\xFE<\0d", 5),  // odd length
        Utf16File(L"<directui><theme><dsfont><font name=\"x\" height=\"-1\"/></dsfont></theme></directui>")
            .substr(0, 41),              // cut inside a tag
        std::string("<directui><theme/></directui>"),  // narrow text read as UTF-16
    };
    std::string noise(4096, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    files.push_back(noise);
    files.push_back(std::string("\xFF\xFE") + noise);
    std::wstring deep;
    for (int i = 0; i < 20000; ++i) deep += L"<a>";
    files.push_back(Utf16File(L"<directui><theme>" + deep));
    std::wstring deepStyle = L"<directui><theme><dsstyle><style name=\"s\">";
    for (int i = 0; i < 5000; ++i) deepStyle += L"<text>";
    files.push_back(Utf16File(deepStyle));

    for (size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(i);
        TempDir dir;
        ASSERT_TRUE(WriteFileBytes(dir.File(L"config.xml"), files[i].data(), files[i].size()));
        SkinPtr skin = NewSkin();
        EXPECT_FALSE(skin->LoadSkin(dir.File(L"config.xml").c_str()));
    }
}

// A config.xml of that theme content in dir.
void WriteTheme(const TempDir& dir, const std::wstring& theme) {
    std::string text = Utf16File(L"<directui><theme>" + theme + L"</theme></directui>");
    ASSERT_TRUE(WriteFileBytes(dir.File(L"config.xml"), text.data(), text.size()));
}

TEST(SkinLoad, UndecodablePictureStaysRegisteredWithoutPixels) {
    TempDir dir;
    WriteTheme(dir, L"<dsimage><image name=\"bad\" value=\"bad.png\"/><image name=\"cut\" value=\"cut.png\"/>"
                    L"</dsimage><dscursor><cursor name=\"c\" value=\"bad.pcur\"/></dscursor>");
    ASSERT_TRUE(WriteFileBytes(dir.File(L"bad.png"), "not a picture at all", 20));
    ASSERT_TRUE(WriteFileBytes(dir.File(L"bad.pcur"), "not a cursor", 12));
    std::string grey(8 * 8 * 4, '\x7f');
    std::string png = EncodePng(reinterpret_cast<const BYTE*>(grey.data()), 8, 8);
    ASSERT_TRUE(WriteFileBytes(dir.File(L"cut.png"), png.data(), png.size() / 2));
    SkinPtr skin = NewSkin();
    ASSERT_TRUE(skin->LoadSkin(dir.File(L"config.xml").c_str()));
    for (const wchar_t* name : {L"bad", L"cut"}) {
        auto* image = static_cast<duImage*>(skin->GetResManager()->GetResObj(name, RES_IMAGE));
        ASSERT_NE(image, nullptr) << name;
        EXPECT_EQ(image->GetWidth(), 0) << name;
    }
    auto* cursor = static_cast<duCursor*>(skin->GetResManager()->GetResObj(L"c", RES_CURSOR));
    ASSERT_NE(cursor, nullptr);
    EXPECT_EQ(cursor->GetHCursor(), nullptr);
}

TEST(SkinLoad, PicturesAreDecodedAtTheirFirstUse) {
    TempDir dir;
    WriteTheme(dir, L"<dsimage><image name=\"late\" value=\"late.png\"/><image name=\"gone\" value=\"gone.png\"/>"
                    L"<image name=\"made\" value=\"late.png\"/></dsimage>");
    std::string grey(8 * 6 * 4, '\x7f');
    std::string png = EncodePng(reinterpret_cast<const BYTE*>(grey.data()), 8, 6);
    ASSERT_TRUE(WriteFileBytes(dir.File(L"gone.png"), png.data(), png.size()));
    SkinPtr skin = NewSkin();
    ASSERT_TRUE(skin->LoadSkin(dir.File(L"config.xml").c_str()));
    // The files as they are when the pictures are first asked for.
    ASSERT_TRUE(WriteFileBytes(dir.File(L"late.png"), png.data(), png.size()));
    ASSERT_TRUE(::DeleteFileW(dir.File(L"gone.png").c_str()));
    auto* late = static_cast<duImage*>(skin->GetResManager()->GetResObj(L"late", RES_IMAGE));
    auto* gone = static_cast<duImage*>(skin->GetResManager()->GetResObj(L"gone", RES_IMAGE));
    ASSERT_NE(late, nullptr);
    ASSERT_NE(gone, nullptr);
    EXPECT_EQ(late->GetHeight(), 6);
    ASSERT_NE(late->GetBits(), nullptr);
    EXPECT_EQ(late->GetBits()[3], 0x7f);
    EXPECT_EQ(gone->GetWidth(), 0);
    EXPECT_EQ(gone->GetBitmap(), nullptr);
    // Content given before the first use replaces the file's.
    auto* made = static_cast<duImage*>(skin->GetResManager()->GetResObj(L"made", RES_IMAGE));
    ASSERT_NE(made, nullptr);
    ASSERT_TRUE(made->CreateBlank(3, 2));
    EXPECT_EQ(made->GetWidth(), 3);
}
