#include "dulib/ctrl/Engine.h"
#include "dulib/res/StateFlags.h"
#include "dulib/res/duFont.h"
#include "dulib/res/duImage.h"
#include "dulib/res/duImageStyle.h"
#include "dulib/res/duResManager.h"
#include "dulib/res/duStyleGroup.h"

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <string>

namespace {

class InstallerSkin : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        InitEngine(::GetModuleHandleW(nullptr));
        manager_ = CreateWindowManager(nullptr);
    }
    static void TearDownTestSuite() {
        if (manager_) manager_->Destroy();
        manager_ = nullptr;
    }
    duResManager* Res() { return manager_->GetResManager(); }
    static duWindowManager* manager_;
};
duWindowManager* InstallerSkin::manager_ = nullptr;

const tinyxml2::XMLElement* FindByName(const tinyxml2::XMLElement* element, const char* name) {
    for (; element; element = element->NextSiblingElement()) {
        const char* value = element->Attribute("name");
        if (value && std::string(value) == name) return element;
        if (const auto* inner = FindByName(element->FirstChildElement(), name)) return inner;
    }
    return nullptr;
}

} // namespace

TEST_F(InstallerSkin, LoadsFromTheProgramsResourcesWithItsCounts) {
    ASSERT_NE(manager_, nullptr);
    EXPECT_TRUE(manager_->IsResourceMode());
    EXPECT_EQ(Res()->GetResObjCount(RES_FONT), 29);
    EXPECT_EQ(Res()->GetResObjCount(RES_IMAGE), 16);
    EXPECT_EQ(Res()->GetResObjCount(RES_CURSOR), 1);
    EXPECT_EQ(Res()->GetResObjCount(RES_RGN), 0);
    EXPECT_EQ(Res()->GetResObjCount(RES_STYLE), 39);
    for (int i = 0; i < Res()->GetResObjCount(RES_IMAGE); ++i) {
        auto* image = static_cast<duImage*>(Res()->GetResObjByIndex(i, RES_IMAGE));
        ASSERT_NE(image, nullptr);
        EXPECT_GT(image->GetWidth(), 0) << "picture failed to decode: " << i;
    }
    auto* back = static_cast<duImage*>(Res()->GetResObj(L"dlg_back", RES_IMAGE));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->GetWidth(), 32);
    auto* intro = static_cast<duImage*>(Res()->GetResObj(L"img_intro", RES_IMAGE));
    ASSERT_NE(intro, nullptr);
    EXPECT_EQ(intro->GetWidth(), 600);
    EXPECT_EQ(intro->GetHeight(), 316);
}

TEST_F(InstallerSkin, EdgeCasesOfTheDocument) {
    ASSERT_NE(manager_, nullptr);
    // Named by both scroll bars but deliberately not declared.
    EXPECT_EQ(Res()->GetResObj(L"VectScrollBarDark", RES_STYLE), nullptr);
    EXPECT_NE(Res()->GetResObj(L"VectScrollBarGray", RES_STYLE), nullptr);
    EXPECT_NE(Res()->GetResObj(L"CommonProgBarErrorStyle", RES_STYLE), nullptr);

    auto* font18 = static_cast<duFont*>(Res()->GetResObj(L"default_18", RES_FONT));
    auto* font24 = static_cast<duFont*>(Res()->GetResObj(L"default_24", RES_FONT));
    auto* font26 = static_cast<duFont*>(Res()->GetResObj(L"default_26", RES_FONT));
    ASSERT_TRUE(font18 && font24 && font26);
    EXPECT_EQ(font18->GetWeight(), -500);
    EXPECT_EQ(font24->GetWeight(), -500);
    EXPECT_EQ(font26->GetWeight(), 400);

    auto* checkBox = static_cast<duStyleGroup*>(Res()->GetResObj(L"CommonCheckBox", RES_STYLE));
    ASSERT_NE(checkBox, nullptr);
    int checkedCells = 0;
    for (int i = 0; i < checkBox->GetStyleCount(); ++i) {
        duStyleBase* item = checkBox->GetStyleItem(i);
        if (item->GetStyleType() != STYLE_IMAGE) continue;
        auto* image = static_cast<duImageStyle*>(item);
        if (item->GetState() == STATE_CHECKED || item->GetState() == STATE_CHECKEDOVER) {
            EXPECT_EQ(image->GetSelectLeft(), 20);
            EXPECT_EQ(image->GetSelectTop(), 20);
            ++checkedCells;
        }
    }
    EXPECT_EQ(checkedCells, 2) << "hovering a ticked box shows the same cell";

    const auto* agreement = FindByName(manager_->GetControlRoot()->FirstChildElement(), "AgreementBtn");
    ASSERT_NE(agreement, nullptr);
    std::string extra = agreement->Attribute("extra");
    EXPECT_NE(extra.find("/index.php?app=news&mod=Index&act=agreement"), std::string::npos) << extra;
    EXPECT_EQ(extra.rfind("http://", 0), 0u);
}
