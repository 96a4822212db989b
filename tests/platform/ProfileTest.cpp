#include <gtest/gtest.h>

#include <fstream>

#include "platform/Profile.h"
#include "support/TestSupport.h"

using namespace lumavox;
using namespace lumavox::test;

TEST(Profile, ReadsWithTheSemanticsOfProfileFiles) {
    Profile p = Profile::parse(
        "A note before any section, key=ignored\r\n"
        "[Settings for Communication]\r\n"
        "  Time for Repeating send = 5  \r\n"
        "Number for Frame=abc\r\n"
        "; a comment=not a key\n"
        "Quoted=\"  spaced value  \"\n"
        "dup=first\n"
        "dup=second\n"
        "[settings FOR communication]\n"
        "Late=never seen\n"
        "[Other]\n"
        "Neg=-42\n"
        "Big=99999999999999\n"
        "Empty=\n");
    EXPECT_EQ(p.getInt("SETTINGS FOR COMMUNICATION", "time for repeating SEND", 3), 5);
    EXPECT_EQ(p.getInt("Settings for Communication", "Number for Frame", 1000), 0);  // not a number
    EXPECT_EQ(p.getInt("Settings for Communication", "missing", 7), 7);
    EXPECT_EQ(p.getString("Settings for Communication", "Quoted"), "  spaced value  ");
    EXPECT_EQ(p.getString("Settings for Communication", "dup"), "first");
    EXPECT_EQ(p.getString("Settings for Communication", "Late", "default"), "default");
    EXPECT_FALSE(p.hasKey("Settings for Communication", "; a comment"));
    EXPECT_EQ(p.getString("nowhere", "key", "fallback"), "fallback");
    EXPECT_EQ(p.getInt("Other", "Neg", 0), -42);
    EXPECT_EQ(p.getInt("Other", "Big", 0), INT32_MAX);
    EXPECT_EQ(p.getString("Other", "Empty", "x"), "");
    EXPECT_EQ(p.sections(), (std::vector<std::string>{"Settings for Communication", "Other"}));
    EXPECT_EQ(p.getString("Other", "nothing"), "");

    std::string longValue(5000, 'v');
    Profile big = Profile::parse("[S]\nK=" + longValue + "\n");
    EXPECT_EQ(big.getString("S", "K").size(), Profile::kMaxValueLength);
}

TEST(Profile, WritingKeepsEverythingElseAndReplacesTheFileAtomically) {
    TempDir dir;
    std::string original =
        "; settings of the editor\n"
        "[SendInfo]\n"
        "Port=5005\n"
        "Unknown Key=kept\n"
        "\n"
        "[Modem]\n"
        "Use Modem Name=Hayes\n";
    std::ofstream(dir / "p.ini") << original;
    Profile p = Profile::load(dir / "p.ini");
    p.setInt("sendinfo", "PORT", 6000);
    p.setString("SendInfo", "Address", "1,3");
    p.setString("New Section", "Key With Blanks", "v");
    std::string error;
    ASSERT_TRUE(p.save(error)) << error;
    Profile back = Profile::load(dir / "p.ini");
    EXPECT_EQ(back.getInt("SendInfo", "Port", 0), 6000);
    EXPECT_EQ(back.getString("SendInfo", "Address"), "1,3");
    EXPECT_EQ(back.getString("SendInfo", "Unknown Key"), "kept");
    EXPECT_EQ(back.getString("Modem", "Use Modem Name"), "Hayes");
    EXPECT_EQ(back.getString("new section", "key with blanks"), "v");
    EXPECT_EQ(back.text(),
              "; settings of the editor\n[SendInfo]\nPort=6000\nUnknown Key=kept\nAddress=1,3\n\n"
              "[Modem]\nUse Modem Name=Hayes\n[New Section]\nKey With Blanks=v\n");

    back.removeSection("SendInfo");
    back.removeKey("Modem", "use modem name");
    EXPECT_FALSE(back.hasSection("SendInfo"));
    EXPECT_TRUE(back.hasSection("Modem"));
    EXPECT_FALSE(back.hasKey("Modem", "Use Modem Name"));

    // A file that cannot be replaced stays as it was.
    std::filesystem::create_directory(dir / "locked.ini");
    EXPECT_FALSE(p.saveAs(dir / "locked.ini", error));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "locked.ini"));
}

// A profile changed step by step answers as the same text read afresh: the
// lines added at the end and those inserted before other sections are found.
TEST(Profile, ChangesAnswerAsTheFileReadAfresh) {
    Profile p = Profile::parse("[A]\nk=1\n; note\n[B]\nx=1\n");
    auto same = [&] {
        Profile fresh = Profile::parse(p.text());
        for (const std::string& section : fresh.sections())
            for (const std::string& key : fresh.keys(section))
                EXPECT_EQ(p.getString(section, key), fresh.getString(section, key))
                    << section << "/" << key;
        EXPECT_EQ(p.sections(), fresh.sections());
    };
    for (int i = 0; i < 50; ++i)
        p.setInt("New", "Item" + std::to_string(i), i);
    p.setString("A", "added", "in the middle");  // before [B]: lines move
    p.setString("b", "y", "2");
    p.setInt("New", "Item50", 50);
    p.setInt("new", "item3", 33);  // replaced where it stands
    same();
    EXPECT_EQ(p.getInt("New", "Item3", 0), 33);
    EXPECT_EQ(p.getInt("New", "Item50", 0), 50);
    EXPECT_EQ(p.keys("New").size(), 51u);
    EXPECT_EQ(p.text().rfind("[A]\nk=1\nadded=in the middle\n; note\n[B]\nx=1\ny=2\n[New]\n", 0),
              0u)
        << p.text();

    // Sections picked by name go with all their lines, every occurrence.
    p.setString("B", "z", "3");
    p = Profile::parse(p.text() + "[b]\nagain=1\n");
    p.removeSections([](std::string_view name) { return name == "B" || name == "b"; });
    EXPECT_FALSE(p.hasSection("B"));
    EXPECT_EQ(p.sections(), (std::vector<std::string>{"A", "New"}));
    p.setString("B", "back", "1");
    same();
    EXPECT_EQ(p.getString("A", "k"), "1");
}

TEST(Profile, MissingFilesAreEmptyAndTheUserStoreFollowsTheEnvironment) {
    Profile p = Profile::load("/nonexistent/dir/file.ini");
    EXPECT_TRUE(p.sections().empty());
    EXPECT_EQ(p.getInt("A", "B", 12), 12);

    const char* given = std::getenv("LUMAVOX_CONFIG_DIR");
    std::string saved = given ? given : "";
    ::setenv("LUMAVOX_CONFIG_DIR", "/tmp/lumavox-store", 1);
    EXPECT_EQ(userStorePath(), std::filesystem::path("/tmp/lumavox-store/LUMAVOX.ini"));
    ::unsetenv("LUMAVOX_CONFIG_DIR");
    ::setenv("XDG_CONFIG_HOME", "/tmp/xdg", 1);
    EXPECT_EQ(userStoreDir(), std::filesystem::path("/tmp/xdg/lumavox"));
    EXPECT_EQ(earlierUserStoreDir(),
              std::filesystem::path("/tmp/xdg/Local AppWizard-Generated Applications/LUMAVOX"));
    // A base directory that is not an absolute path is ignored, as the XDG rule says.
    ::setenv("XDG_CONFIG_HOME", "relative", 1);
    const char* home = std::getenv("HOME");
    const std::string savedHome = home ? home : "";
    ::setenv("HOME", "/tmp/someone", 1);
    EXPECT_EQ(userStoreDir(), std::filesystem::path("/tmp/someone/.config/lumavox"));
    if (home)
        ::setenv("HOME", savedHome.c_str(), 1);
    else
        ::unsetenv("HOME");
    ::unsetenv("XDG_CONFIG_HOME");
    if (given) ::setenv("LUMAVOX_CONFIG_DIR", saved.c_str(), 1);
}
