// The about box's hidden way to the company box.
#include <gtest/gtest.h>

#include <fstream>

#include "app/AboutBox.h"
#include "app/LanguageManager.h"
#include "support/TestSupport.h"

using namespace lumavox;
using namespace lumavox::test;

namespace {

void qualifyingClick(EditorAboutBox& box) {
    box.rightDoubleClick(true, true, true);
}

}  // namespace

TEST(AboutBox, ShowsTheVersionAndDate) {
    EditorAboutBox box;
    EXPECT_EQ(box.title(), "About Zavar-Azu Zureruz Evazaz-Idar");
    EXPECT_EQ(box.versionLine(), "Version\t:\t4.0.0.6");
    EXPECT_EQ(box.dateLine(), "Date\t:\t09 November, 2011");
    EXPECT_TRUE(box.dateVisible());
    EXPECT_FALSE(box.passwordVisible());
    EXPECT_EQ(box.confirm(""), EditorAboutBox::Outcome::Close);
}

TEST(AboutBox, IgnoresFiveQualifyingClicksAndReactsToTheSixth) {
    EditorAboutBox box;
    const std::string group = box.groupCaption();
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(box.rightDoubleClick(true, true, true));
        EXPECT_FALSE(box.passwordMode());
        EXPECT_EQ(box.groupCaption(), group);
        EXPECT_TRUE(box.dateVisible());
    }
    EXPECT_TRUE(box.rightDoubleClick(true, true, true));
    EXPECT_TRUE(box.passwordMode());
    EXPECT_EQ(box.groupCaption(), "Please input password");
    EXPECT_FALSE(box.dateVisible());
    EXPECT_TRUE(box.passwordVisible());
    EXPECT_EQ(box.versionLine(), companyInfo().name);

    // Further clicks change nothing.
    for (int i = 0; i < 10; ++i)
        EXPECT_FALSE(box.rightDoubleClick(true, true, true));
    EXPECT_EQ(box.qualifyingClicks(), 6);
    EXPECT_EQ(box.groupCaption(), "Please input password");
    EXPECT_TRUE(box.passwordVisible());
}

TEST(AboutBox, CountsOnlyClicksWithCtrlShiftAndTheLeftButtonHeld) {
    EditorAboutBox box;
    for (int i = 0; i < 10; ++i) {
        box.rightDoubleClick(false, true, true);
        box.rightDoubleClick(true, false, true);
        box.rightDoubleClick(true, true, false);
    }
    EXPECT_EQ(box.qualifyingClicks(), 0);
    for (int i = 0; i < 5; ++i)
        qualifyingClick(box);
    box.rightDoubleClick(true, false, true);
    EXPECT_FALSE(box.passwordMode());
    qualifyingClick(box);
    EXPECT_TRUE(box.passwordMode());
}

TEST(AboutBox, OnlyTheExactPasswordOpensTheCompanyBox) {
    EditorAboutBox box;
    for (int i = 0; i < 6; ++i)
        qualifyingClick(box);
    for (const char* wrong : {"", "open company panel for all", "OPEN COMPANY PANEL FOR ALL ",
                              " OPEN COMPANY PANEL FOR ALL", "OPEN COMPANY PANEL"})
        EXPECT_EQ(box.confirm(wrong), EditorAboutBox::Outcome::StayOpen) << wrong;
    EXPECT_TRUE(box.passwordVisible());
    EXPECT_EQ(box.confirm("OPEN COMPANY PANEL FOR ALL"), EditorAboutBox::Outcome::OpenCompanyBox);

    CompanyAboutBox company = CompanyAboutBox::make();
    EXPECT_EQ(company.versionLine, "Version\t:\t4.0.0.6");
    EXPECT_EQ(company.dateLine, "Date\t:\t09 November, 2011");
    EXPECT_FALSE(company.company.telephone.empty());
    EXPECT_EQ(company.company.web.rfind("https://", 0), 0u);
    EXPECT_NE(company.company.email.find('@'), std::string::npos);
}

TEST(AboutBox, TakesItsTextsFromTheLanguageFile) {
    TempDir home;
    std::filesystem::create_directories(home / "Language");
    std::ofstream(home / "Language" / "de.ini")
        << "[Version Set]\nVersion=1203\n[Setting]\nLanguage=Deutsch\n[Dialog String]\n"
           "IDD100_Title=Info\nIDD100_1001=Version\\t:\\t4.0.0.6 (de)\n";
    std::ofstream(home / "LanguageSetting.ini") << "[Setting]\nLanguage=Deutsch\n";
    LanguageManager language(home.path());
    language.startUp();
    EditorAboutBox box(&language);
    EXPECT_EQ(box.title(), "Info");
    EXPECT_EQ(box.versionLine(), "Version\t:\t4.0.0.6 (de)");
    EXPECT_EQ(box.dateLine(), "Date\t:\t09 November, 2011");
}
