#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "app/DialogTexts.h"
#include "app/LanguageCheck.h"
#include "app/LanguageManager.h"
#include "editing/MenuTree.h"
#include "platform/Profile.h"
#include "strings/DateNames.h"
#include "strings/StringTable.h"
#include "strings/TextFormat.h"
#include "strings/WindowTexts.h"
#include "support/TestSupport.h"

using namespace lumavox;
using namespace lumavox::test;

namespace {

std::string languageFile(const std::string& name, int version, const std::string& body) {
    return "[Version Set]\nVersion=" + std::to_string(version) + "\n[Setting]\nLanguage=" + name +
           "\n" + body;
}

struct LanguageTest : ::testing::Test {
    TempDir home;
    void write(const std::string& file, const std::string& text) {
        std::filesystem::create_directories(home / "Language");
        std::ofstream(home / "Language" / file, std::ios::binary) << text;
    }
};

}  // namespace

TEST(LanguageText, EscapesAndPlaceholders) {
    EXPECT_EQ(unescapeLanguageText("two\\nlines\\tand\\r\\x\\"), "two\nlines\tand\r\\x\\");
    EXPECT_EQ(escapeLanguageText("two\nlines\tand\r"), "two\\nlines\\tand\\r");
    EXPECT_EQ(escapeLanguageText(unescapeLanguageText("a\\nb")), "a\\nb");
    // Blanks at either end, and quotes of the text's own, survive a profile.
    EXPECT_EQ(escapeLanguageText("Signal strength: "), "\"Signal strength: \"");
    EXPECT_EQ(escapeLanguageText("\"on\""), "\"\"on\"\"");
    EXPECT_EQ(placeholderSignature("%s has %d and 100%% and %02d"), "sdd");
    EXPECT_EQ(placeholderSignature("none"), "");
}

TEST(LanguageText, EveryBuiltInTextReadsBackWholeFromTheEnglishFile) {
    Profile file = Profile::parse(builtInEnglishLanguageFile());
    for (int id : builtInTextIds()) {
        const std::string& text = builtInText(id);
        if (text.size() > Profile::kMaxValueLength / 2) continue;  // longer than a profile keeps
        EXPECT_EQ(unescapeLanguageText(
                      file.getString("String Table", "IDS_STRINGTABLE_" + std::to_string(id))),
                  text)
            << id;
    }
}

TEST(LanguageMenus, AreNumberedDepthFirstWithoutSeparatorsOrRecentFiles) {
    auto numbers = numberMenu(mainMenu(), kMainMenuBase);
    ASSERT_GE(numbers.size(), 3u);
    EXPECT_EQ(numbers[0].number, 0);
    EXPECT_EQ(numbers[0].entry->text, "&File");
    EXPECT_EQ(numbers[1].entry->text, "Language");
    // "Recent File" is numbered, separators are not: E&xit follows it directly.
    EXPECT_EQ(numbers[7].entry->text, "Recent File");
    EXPECT_EQ(numbers[8].entry->text, "E&xit");
    EXPECT_EQ(numbers[9].entry->text, "&Edit");
    auto graphic = numberMenu(graphicEditorMenu(), kGraphicMenuBase);
    EXPECT_EQ(graphic.front().number, 200);
    EXPECT_EQ(graphic.back().entry->text, "Save and Return");

    // Recent files added at run time and the window list are never numbered.
    std::vector<MenuEntry> bar(10, MenuEntry{MenuEntry::Popup, "P", 0, {}});
    bar[0].items = {MenuEntry{MenuEntry::Command, "Recent File", cmd::kRecentFileFirst, {}},
                    MenuEntry{MenuEntry::Command, "2 doc.glm", cmd::kRecentFileFirst + 1, {}}};
    for (int i = 0; i < 6; ++i)
        bar[9].items.push_back(MenuEntry{MenuEntry::Command, "W", 1000 + i, {}});
    auto n = numberMenu(bar, 400);
    EXPECT_EQ(n.size(), 10u + 1 + 4);
    EXPECT_EQ(n.back().number, 400 + 14);
}

TEST_F(LanguageTest, StartUpCreatesTheSettingAndUsesTheBuiltInEnglishTexts) {
    {
        LanguageManager lm(home.path());
        lm.startUp();
        EXPECT_TRUE(lm.active());
        EXPECT_EQ(lm.languageName(), "English");
        EXPECT_TRUE(lm.languageFile().empty());  // nothing is written for English
        EXPECT_FALSE(std::filesystem::exists(home / "Language"));
        EXPECT_EQ(lm.StoredLanguageName(), "English");
        EXPECT_EQ(lm.FillLanguageList(), std::vector<std::string>{"English"});
        EXPECT_EQ(lm.GetText(msg::kNameEmpty), builtInText(msg::kNameEmpty));
    }
    // Removing the setting recreates it at the next start.
    std::filesystem::remove(home / "LanguageSetting.ini");
    LanguageManager again(home.path());
    again.startUp();
    EXPECT_EQ(Profile::load(home / "LanguageSetting.ini").getString("Setting", "Language"),
              "English");
}

TEST_F(LanguageTest, ShippedFilesComeFromTheDataFolderAndTheUsersOwnWin) {
    // The data folder is read only; the choice and the user's own files live in
    // the settings folder.
    write("Multi_deu.ini", languageFile("Deutsch", 1203,
                                        "[String Table]\nIDS_STRINGTABLE_" +
                                            std::to_string(msg::kNameEmpty) + "=Geliefert\n"));
    write("Multi_esp.ini", languageFile("Espanol", 1203, ""));
    TempDir settings;
    std::filesystem::create_directories(settings / "Language");
    std::ofstream(settings / "Language" / "Multi_deu.ini") << languageFile(
        "Deutsch", 1203,
        "[String Table]\nIDS_STRINGTABLE_" + std::to_string(msg::kNameEmpty) + "=Eigene\n");
    std::ofstream(settings / "LanguageSetting.ini") << "[Setting]\nLanguage=Deutsch\n";
    LanguageManager lm(home.path(), settings.path());
    lm.startUp();
    EXPECT_EQ(lm.languageFile(), settings / "Language" / "Multi_deu.ini");
    EXPECT_EQ(text(msg::kNameEmpty), "Eigene");
    EXPECT_EQ(lm.FillLanguageList(), (std::vector<std::string>{"Deutsch", "Espanol", "English"}));
    lm.SelectLanguage("Espanol");
    EXPECT_EQ(lm.languageFile(), home / "Language" / "Multi_esp.ini");
    EXPECT_EQ(Profile::load(settings / "LanguageSetting.ini").getString("Setting", "Language"),
              "Espanol");
    EXPECT_FALSE(std::filesystem::exists(home / "LanguageSetting.ini"));
}

TEST_F(LanguageTest, AChosenLanguageReplacesTextsThroughTheWholeProgram) {
    write("Multi_deu.ini",
          languageFile("Deutsch", 1203,
                       "[String Table]\n"
                       "IDS_STRINGTABLE_" +
                           std::to_string(msg::kNameEmpty) +
                           "=  Name leer\\nbitte  \n"
                           "IDS_STRINGTABLE_" +
                           std::to_string(msg::kGraphicInUse) +
                           "=Grafik %d in %s\n"
                           "IDS_STRINGTABLE_" +
                           std::to_string(msg::kCallRecursion) +
                           "=Datei %s ruft %s\n"
                           "IDS_STRINGTABLE_" +
                           std::to_string(msg::kWeekdayLong + 1) +
                           "=Montag\n"
                           "IDS_STRINGTABLE_" +
                           std::to_string(msg::kWeekdayLong + 2) +
                           "=\n"
                           "[Menu String]\nIDS_MENU_0=&Datei\n"
                           "[Dialog String]\nIDD181_Title=Sprache\\n\nIDD181_1=O\\tK\n"));
    write("Multi_old.ini", languageFile("Altdeutsch", 1202, ""));
    std::ofstream(home / "LanguageSetting.ini") << "[Setting]\nLanguage=Deutsch\n";
    LanguageManager lm(home.path());
    lm.startUp();
    EXPECT_EQ(lm.languageName(), "Deutsch");
    EXPECT_EQ(lm.GetText(msg::kNameEmpty), "Name leer\nbitte");
    EXPECT_EQ(text(msg::kNameEmpty), "Name leer\nbitte");  // every text goes through the layer
    EXPECT_EQ(lm.GetText(msg::kNameEmpty, true), "Name leer\nbitte");
    EXPECT_EQ(text(msg::kCallRecursion), "Datei %s ruft %s");
    // Placeholders that differ from the English text: the English text is used.
    EXPECT_EQ(text(msg::kGraphicInUse), builtInText(msg::kGraphicInUse));
    EXPECT_EQ(lm.MenuText(0), "&Datei");
    EXPECT_EQ(lm.MenuText(1), "");
    EXPECT_EQ(lm.DialogTitle(181), "Sprache\\n");  // captions are taken as written
    EXPECT_EQ(lm.DialogControlText(181, 1), "O\tK");
    DateNames names = DateNames::load();
    EXPECT_EQ(names.weekdayLong[1], "Montag");
    EXPECT_EQ(names.weekdayLong[2], "Tuesday");  // an empty translation keeps the English name
    // The version-1202 file is neither listed nor chosen; choosing it falls back to
    // the built-in English texts, always listed.
    EXPECT_EQ(lm.FillLanguageList(), (std::vector<std::string>{"Deutsch", "English"}));
    lm.SelectLanguage("Altdeutsch");
    EXPECT_EQ(lm.languageName(), "English");
    EXPECT_EQ(text(msg::kNameEmpty), builtInText(msg::kNameEmpty));
    EXPECT_EQ(Profile::load(home / "LanguageSetting.ini").getString("Setting", "Language"),
              "English");
}

TEST_F(LanguageTest, ALanguageWhoseFileHasGoneFallsBackToTheEnglishFileThatIsThere) {
    // The user's own wording in the English file survives a choice that has
    // no file any more.
    const std::string edited = languageFile(
        "English", 1203,
        "[String Table]\nIDS_STRINGTABLE_" + std::to_string(msg::kNameEmpty) + "=Give a name\n");
    write("Multi_eng.ini", edited);
    std::ofstream(home / "LanguageSetting.ini") << "[Setting]\nLanguage=Deutsch\n";
    LanguageManager lm(home.path());
    lm.startUp();
    EXPECT_EQ(lm.languageName(), "English");
    EXPECT_EQ(text(msg::kNameEmpty), "Give a name");
    std::ifstream in(home / "Language" / "Multi_eng.ini", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), edited);
    EXPECT_EQ(Profile::load(home / "LanguageSetting.ini").getString("Setting", "Language"),
              "English");
    // An English file of another version does not count: the built-in texts
    // are used and the file is left as it is.
    write("Multi_eng.ini", languageFile("English", 1202, ""));
    lm.SelectLanguage("Deutsch");
    EXPECT_EQ(text(msg::kNameEmpty), builtInText(msg::kNameEmpty));
    EXPECT_TRUE(lm.languageFile().empty());
    EXPECT_EQ(
        Profile::load(home / "Language" / "Multi_eng.ini").getInt("Version Set", "Version", 0),
        1202);
}

TEST_F(LanguageTest, HostileLanguageFilesChangeNothingTheyShouldNot) {
    std::string hostile = languageFile("Evil", 1203, "[String Table]\n");
    hostile += "IDS_STRINGTABLE_" + std::to_string(msg::kAreasOverlap) + "=%s %s %s %n %d\n";
    hostile += "IDS_STRINGTABLE_" + std::to_string(msg::kNameExists) + "=" +
               std::string(100000, 'x') + "\n";
    hostile += std::string("IDS_STRINGTABLE_") + std::to_string(msg::kNameDemo) +
               "=bin\x01\xFF\x7F" + "\n";
    hostile +=
        "IDS_STRINGTABLE_99999999999999=overflow\nIDS_STRINGTABLE_-5=negative\nbroken "
        "line\n[unclosed\n";
    hostile.push_back('\0');
    hostile += "\n";
    write("evil.ini", hostile);
    LanguageManager lm(home.path());
    lm.startUp();
    lm.SelectLanguage("Evil");
    ASSERT_EQ(lm.languageName(), "Evil");
    EXPECT_EQ(text(msg::kAreasOverlap), builtInText(msg::kAreasOverlap));
    EXPECT_EQ(textf(msg::kAreasOverlap, {1, 2}),
              "The 'WIN 1' and 'WIN 2' overlaps,strongly recommend to correct it.");
    EXPECT_EQ(text(msg::kNameExists).size(), Profile::kMaxValueLength);
    EXPECT_EQ(text(msg::kNameDemo), "bin\x01\xFF\x7F");
    auto problems = checkLanguageFile(Profile::load(home / "Language" / "evil.ini"));
    auto mentions = [&](const std::string& s) {
        for (auto& p : problems)
            if (p.find(s) != std::string::npos) return true;
        return false;
    };
    EXPECT_TRUE(
        mentions("IDS_STRINGTABLE_" + std::to_string(msg::kAreasOverlap) + ": placeholders"));
    EXPECT_TRUE(mentions("IDS_STRINGTABLE_99999999999999: the program has no such text"));
    EXPECT_TRUE(mentions("IDS_MENU_0: missing"));
    write("old.ini", languageFile("Old", 1202, ""));
    EXPECT_TRUE(checkLanguageFile(Profile::load(home / "Language" / "old.ini"))
                    .front()
                    .find("Version is 1202") != std::string::npos);
}

namespace {

namespace fs = std::filesystem;

// The translations shipped with the program, as the build finds them.
std::vector<fs::path> shippedLanguageFiles() {
    std::vector<fs::path> files;
    for (const auto& entry :
         fs::directory_iterator(fs::path(LUMAVOX_SOURCE_DIR) / "data/language")) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("Multi_") && name.ends_with(".ini")) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

// What `lumavox-cli lang check` says of each: a text added to the program
// without its translation fails here, with its key named.
TEST(ShippedLanguages, EveryTranslationIsCompleteAndConsistent) {
    const std::vector<fs::path> files = shippedLanguageFiles();
    ASSERT_FALSE(files.empty());
    for (const fs::path& file : files)
        for (const std::string& problem : checkLanguageFile(Profile::load(file)))
            ADD_FAILURE() << file.filename().string() << ": " << problem;
}

TEST(ShippedLanguages, TheBuildPutsThemWhereFileLanguageListsThemAndGermanIsChosenByName) {
    TempDir home;
    fs::create_directories(home / "Language");
    std::vector<std::string> expected{"English"};
    for (const fs::path& file : shippedLanguageFiles()) {
        // The build's program directory holds a copy of each, as it stands.
        const fs::path copy = fs::path(LUMAVOX_BUILD_PROGRAM_DIR) / "Language" / file.filename();
        ASSERT_TRUE(fileBytes(copy) == fileBytes(file)) << copy << " is not a copy of " << file;
        fs::copy_file(copy, home / "Language" / file.filename());
        expected.push_back(Profile::load(file).getString("Setting", "Language"));
    }
    LanguageManager lm(home.path());
    lm.startUp();
    std::vector<std::string> listed = lm.FillLanguageList();
    std::sort(listed.begin(), listed.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listed, expected);
    EXPECT_NE(std::find(listed.begin(), listed.end(), "Deutsch"), listed.end());

    EXPECT_EQ(lm.languageName(), "English");
    lm.SelectLanguage("Deutsch");
    EXPECT_EQ(lm.languageName(), "Deutsch");
    EXPECT_EQ(lm.StoredLanguageName(), "Deutsch");
    EXPECT_EQ(lm.MenuText(0), "&Datei");
    EXPECT_EQ(lm.GetText(msg::kReadyPrompt), "Bereit");
    EXPECT_EQ(lm.DialogTitle(kLanguageDialog), "Spracheinstellung");
}
