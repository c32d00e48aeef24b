// The resource manager's tables: first declaration wins, code-unit order,
// renaming, removal and cloning.
#include "TestSupport.h"

#include "dulib/res/duFont.h"
#include "dulib/res/duImageStyle.h"
#include "dulib/res/duLineStyle.h"
#include "dulib/res/duRectStyle.h"
#include "dulib/res/duStyleGroup.h"
#include "dulib/res/duTextStyle.h"

#include <gtest/gtest.h>

namespace {

duFont* AddFont(duResManager* manager, const wchar_t* name, int height) {
    auto* font = static_cast<duFont*>(manager->CreateResObj(name, RES_FONT));
    font->SetHeight(height);
    if (!manager->AddResObj(font)) {
        font->Destroy();
        return nullptr;
    }
    return font;
}

}  // namespace

TEST(ResManager, ObjectsAnswerTheirKindAndClass) {
    ManagerPtr manager = NewManager();
    const struct {
        int kind;
        const wchar_t* className;
    } kinds[] = {{RES_IMAGE, L"duImage"}, {RES_FONT, L"duFont"}, {RES_CURSOR, L"duCursor"},
                 {RES_RGN, L"duRgn"},     {RES_STYLE, L"duStyleGroup"}};
    for (const auto& k : kinds) {
        duResBase* object = manager->CreateResObj(L"x", k.kind);
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(object->GetType(), k.kind);
        EXPECT_STREQ(object->GetClassName(), k.className);
        EXPECT_EQ(object->GetResManager(), manager.get());
        EXPECT_EQ(manager->GetResObj(L"x", k.kind), nullptr);  // not registered
        object->Destroy();
    }
    EXPECT_EQ(manager->CreateResObj(L"x", 0), nullptr);
    EXPECT_EQ(manager->CreateResObj(L"x", 6), nullptr);
    EXPECT_EQ(manager->CreateResObj(nullptr, RES_FONT), nullptr);
    EXPECT_STREQ(manager->GetClassName(), L"duResManager");
}

TEST(ResManager, ComStyleOperationsNeverFree) {
    ManagerPtr manager = NewManager();
    duObject* object = manager.get();
    void* out = nullptr;
    EXPECT_EQ(object->QueryInterface(IID_IDispatch, &out), S_OK);
    EXPECT_EQ(out, object);
    EXPECT_EQ(object->QueryInterface(IID_IUnknown, &out), S_OK);
    EXPECT_EQ(object->QueryInterface(IID_IStream, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(object->Release(), 1u);
    UINT count = 0;
    EXPECT_EQ(object->GetTypeInfoCount(&count), E_NOTIMPL);
    EXPECT_EQ(object->Invoke(0, IID_NULL, 0, 0, nullptr, nullptr, nullptr, nullptr), E_NOTIMPL);
    EXPECT_EQ(manager->GetResObjCount(RES_FONT), 0);  // still alive and usable
}

TEST(ResManager, FirstDeclarationWinsAndCaseMatters) {
    ManagerPtr manager = NewManager();
    ASSERT_NE(AddFont(manager.get(), L"title", -12), nullptr);
    EXPECT_EQ(AddFont(manager.get(), L"title", -30), nullptr);
    ASSERT_NE(AddFont(manager.get(), L"Title", -14), nullptr);
    EXPECT_EQ(static_cast<duFont*>(manager->GetResObj(L"title", RES_FONT))->GetHeight(), -12);
    EXPECT_EQ(static_cast<duFont*>(manager->GetResObj(L"Title", RES_FONT))->GetHeight(), -14);
    EXPECT_EQ(manager->GetResObj(L"title", RES_IMAGE), nullptr);  // kinds are separate tables
    EXPECT_EQ(manager->GetResObjCount(RES_FONT), 2);
    EXPECT_FALSE(manager->AddResObj(nullptr));
}

TEST(ResManager, IndexListsNamesInCodeUnitOrder) {
    ManagerPtr manager = NewManager();
    AddFont(manager.get(), L"apple", 1);
    AddFont(manager.get(), L"Banana", 2);
    AddFont(manager.get(), L"中文", 3);
    AddFont(manager.get(), L"_x", 4);
    const wchar_t* expected[] = {L"Banana", L"_x", L"apple", L"中文"};
    ASSERT_EQ(manager->GetResObjCount(RES_FONT), 4);
    for (int i = 0; i < 4; ++i) EXPECT_STREQ(manager->GetResObjByIndex(i, RES_FONT)->GetName(), expected[i]);
    EXPECT_EQ(manager->GetResObjByIndex(4, RES_FONT), nullptr);
    EXPECT_EQ(manager->GetResObjByIndex(-1, RES_FONT), nullptr);
    EXPECT_EQ(manager->GetResObjByIndex(0, 9), nullptr);
    EXPECT_EQ(manager->GetResObjCount(9), 0);
}

TEST(ResManager, RenameRemoveDelete) {
    ManagerPtr manager = NewManager();
    duFont* a = AddFont(manager.get(), L"a", 1);
    AddFont(manager.get(), L"b", 2);
    EXPECT_FALSE(manager->RenameResObj(L"a", RES_FONT, L"b"));  // taken
    EXPECT_FALSE(manager->RenameResObj(L"zz", RES_FONT, L"c"));  // missing
    EXPECT_FALSE(manager->RenameResObj(nullptr, RES_FONT, L"c"));
    EXPECT_FALSE(manager->RenameResObj(L"a", RES_FONT, nullptr));
    ASSERT_TRUE(manager->RenameResObj(L"a", RES_FONT, L"c"));
    EXPECT_EQ(manager->GetResObj(L"a", RES_FONT), nullptr);
    EXPECT_EQ(manager->GetResObj(L"c", RES_FONT), a);
    EXPECT_STREQ(a->GetName(), L"c");

    duResBase* removed = manager->RemoveResObj(L"c", RES_FONT);
    EXPECT_EQ(removed, a);
    EXPECT_EQ(manager->GetResObj(L"c", RES_FONT), nullptr);
    EXPECT_EQ(manager->RemoveResObj(L"c", RES_FONT), nullptr);
    removed->Destroy();  // the caller owns it now

    EXPECT_TRUE(manager->DeleteResObj(L"b", RES_FONT));
    EXPECT_FALSE(manager->DeleteResObj(L"b", RES_FONT));
    EXPECT_EQ(manager->GetResObjCount(RES_FONT), 0);
}

TEST(ResManager, FontsKeepTheirAttributes) {
    ManagerPtr manager = NewManager();
    auto* font = static_cast<duFont*>(manager->CreateResObj(L"f", RES_FONT));
    EXPECT_EQ(font->GetHeight(), 12);  // defaults of a font made in code
    EXPECT_EQ(font->GetWeight(), 400);
    font->SetHeight(-20);
    font->SetWeight(-500);
    font->SetItalic(1);
    font->SetFace(L"Tahoma");
    ASSERT_TRUE(font->RecreateFont());
    LOGFONTW log = {};
    ASSERT_GT(::GetObjectW(font->GetHFont(), sizeof(log), &log), 0);
    EXPECT_EQ(log.lfHeight, -20);
    EXPECT_EQ(log.lfWeight, -500);
    EXPECT_EQ(log.lfItalic, 1);
    EXPECT_EQ(log.lfCharSet, DEFAULT_CHARSET);
    EXPECT_EQ(log.lfQuality, CLEARTYPE_NATURAL_QUALITY);
    EXPECT_STREQ(log.lfFaceName, L"Tahoma");
    font->Destroy();
}

TEST(ResManager, CloneStyleGroupCopiesEveryItem) {
    ManagerPtr manager = NewManager();
    auto* group = static_cast<duStyleGroup*>(manager->CreateResObj(L"g", RES_STYLE));
    auto* image = static_cast<duImageStyle*>(manager->CreateStyle(STYLE_IMAGE));
    image->SetLeft(-85);
    image->SetWidth(80);
    image->SetState(STATE_CHECKEDALL);
    image->SetPicFile(L"pic");
    image->SetPaintMode(L"stretchpartall");
    image->SetLeftPart(5);
    image->SetSelectWidth(20);
    auto* text = static_cast<duTextStyle*>(manager->CreateStyle(STYLE_TEXT));
    text->SetTextColor(RGB(1, 2, 3));
    text->SetFont(L"font");
    text->SetHAlign(L"right");
    text->SetSingleLine(0);
    auto* rect = static_cast<duRectStyle*>(manager->CreateStyle(STYLE_RECT));
    rect->SetFill(1);
    rect->SetBorderType(L"dot");
    auto* line = static_cast<duLineStyle*>(manager->CreateStyle(STYLE_LINE));
    line->SetStartPoint(POINT{15, -1});
    line->SetLineType(nullptr);
    EXPECT_STREQ(line->GetLineType(), L"solid");
    EXPECT_EQ(manager->CreateStyle(0), nullptr);
    EXPECT_EQ(manager->CreateStyle(5), nullptr);
    for (duStyleBase* item : {static_cast<duStyleBase*>(image), static_cast<duStyleBase*>(text),
                              static_cast<duStyleBase*>(rect), static_cast<duStyleBase*>(line)})
        group->AddStyleItem(item);

    EXPECT_EQ(manager->CloneStyleGroup(group, L""), nullptr);
    EXPECT_EQ(manager->CloneStyleGroup(group, nullptr), nullptr);
    duStyleGroup* copy = manager->CloneStyleGroup(group, L"copy");
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(manager->GetResObj(L"copy", RES_STYLE), nullptr);  // not registered
    ASSERT_EQ(copy->GetStyleCount(), 4);
    auto* image2 = static_cast<duImageStyle*>(copy->GetStyleItem(0));
    EXPECT_NE(image2, image);
    EXPECT_EQ(image2->GetLeft(), -85);
    EXPECT_EQ(image2->GetWidth(), 80);
    EXPECT_EQ(image2->GetState(), STATE_CHECKEDALL);
    EXPECT_STREQ(image2->GetPicFile(), L"pic");
    EXPECT_STREQ(image2->GetPaintMode(), L"stretchpartall");
    EXPECT_EQ(image2->GetLeftPart(), 5);
    EXPECT_EQ(image2->GetSelectWidth(), 20);
    auto* text2 = static_cast<duTextStyle*>(copy->GetStyleItem(1));
    EXPECT_EQ(text2->GetTextColor(), RGB(1, 2, 3));
    EXPECT_STREQ(text2->GetFont(), L"font");
    EXPECT_STREQ(text2->GetHAlign(), L"right");
    EXPECT_EQ(text2->GetSingleLine(), 0);
    EXPECT_EQ(static_cast<duRectStyle*>(copy->GetStyleItem(2))->GetFill(), 1);
    EXPECT_STREQ(static_cast<duRectStyle*>(copy->GetStyleItem(2))->GetBorderType(), L"dot");
    EXPECT_EQ(static_cast<duLineStyle*>(copy->GetStyleItem(3))->GetStartPoint().y, -1);
    EXPECT_STREQ(copy->GetStyleItem(3)->GetClassName(), L"duLineStyle");

    // Item list operations.
    EXPECT_FALSE(copy->MoveStyleItemDown(3));
    EXPECT_FALSE(copy->MoveStyleItemUp(0));
    EXPECT_TRUE(copy->MoveStyleItemDown(0));
    EXPECT_EQ(copy->GetStyleItem(0)->GetStyleType(), STYLE_TEXT);
    EXPECT_TRUE(copy->MoveStyleItemUp(1));
    EXPECT_EQ(copy->GetStyleItem(0)->GetStyleType(), STYLE_IMAGE);
    EXPECT_FALSE(copy->RemoveStyleItem(4));
    EXPECT_TRUE(copy->RemoveStyleItem(0));
    EXPECT_EQ(copy->GetStyleCount(), 3);
    EXPECT_EQ(copy->GetStyleItem(3), nullptr);
    EXPECT_FALSE(copy->AddStyleItem(nullptr));

    copy->Destroy();
    group->Destroy();
}
