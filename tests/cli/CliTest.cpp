#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/LanguageManager.h"
#include "cli/Cli.h"
#include "content/Document.h"
#include "strings/StringTable.h"
#include "support/TestSupport.h"

using namespace lumavox;
using namespace lumavox::test;

namespace {

struct CliRun {
    int status;
    std::string out, err;
};

CliRun cli(std::vector<std::string> args) {
    std::ostringstream out, err;
    int status = runCli(args, out, err);
    return {status, out.str(), err.str()};
}

}  // namespace

TEST(Cli, DumpPrintsTheWholeWorkArea) {
    TempDir home;
    writeFontStub(home.path(), "KV2fnt.bin");
    std::string doc = (home / "demo.glm").string();
    ASSERT_EQ(cli({"demo", doc, "--home", home.path().string()}).status, 0);
    CliRun r = cli({"dump", doc, "--home", home.path().string()});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* expected :
         {"\"signWidth\": 160", "\"signHeight\": 16", "\"colourType\": 0", "\"runSequence\": [",
          "\"name\": \"Main\"", "\"kindName\": \"window\"", "\"name\": \"*LEFT\"",
          "\"label\": \"[SLIDE<-][RANDOM]\"", "\"label\": \"Time2(23:59:59)\"",
          "\"calledFile\": \"*RIGHT\"", "\"rows\": [", "\"GGGGYYYY\"", "\"file\": \"Main\"",
          "\"weekdays\": 21"})
        EXPECT_NE(r.out.find(expected), std::string::npos) << expected;
    EXPECT_TRUE(r.err.empty());
}

TEST(Cli, FailuresGiveTheOpenMessageAndStatusOne) {
    TempDir home;
    std::string doc = (home / "demo.glm").string();
    ASSERT_EQ(cli({"demo", doc}).status, 0);
    CliRun noFont = cli({"dump", doc, "--home", home.path().string()});
    EXPECT_EQ(noFont.status, 1);
    EXPECT_NE(noFont.err.find("KV2fnt.bin' isn't exist"), std::string::npos) << noFont.err;
    EXPECT_TRUE(noFont.out.empty());

    std::ofstream(home / "junk.glm") << "not a document at all";
    writeFontStub(home.path(), "KV2fnt.bin");
    CliRun junk = cli({"dump", (home / "junk.glm").string(), "--home", home.path().string()});
    EXPECT_EQ(junk.status, 1);
    EXPECT_EQ(junk.err, text(msg::kNotOurFile) + "\n");
    EXPECT_EQ(cli({"dump", (home / "none.glm").string()}).status, 1);
}

TEST(Cli, ALargeFileThatIsNoDocumentIsRefusedWithoutBeingRead) {
    // 200 MB of zeros named like a document: refused by its first bytes, so
    // the program's peak memory stays far below the file's size.
    TempDir home;
    writeFontStub(home.path(), "KV2fnt.bin");
    const auto big = home / "zeros.glm";
    { std::ofstream(big).flush(); }
    ASSERT_EQ(::truncate(big.c_str(), off_t{200} << 20), 0);
    const auto errPath = home / "err.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT, 0600);
    std::vector<std::string> args = {LUMAVOX_CLI_PATH, "dump", big.string(), "--home",
                                     home.path().string()};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, LUMAVOX_CLI_PATH, &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    struct rusage usage {};
    ASSERT_EQ(::wait4(pid, &status, 0, &usage), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    std::ifstream errFile(errPath);
    std::string err((std::istreambuf_iterator<char>(errFile)), std::istreambuf_iterator<char>());
    EXPECT_EQ(err, text(msg::kNotOurFile) + "\n");
#ifndef LUMAVOX_SANITIZED
    // An instrumented build's own shadow memory alone is larger than the bound.
    EXPECT_LT(usage.ru_maxrss, 48L * 1024) << "peak KiB";  // ru_maxrss counts KiB
#endif
}

TEST(Cli, UsageErrorsGiveStatusTwo) {
    EXPECT_EQ(cli({}).status, 2);
    EXPECT_EQ(cli({"dump"}).status, 2);
    EXPECT_EQ(cli({"frobnicate"}).status, 2);
    EXPECT_EQ(cli({"dump", "a.glm", "--home"}).status, 2);
    EXPECT_EQ(cli({"dump", "a.glm", "--family", "xyz"}).status, 2);
    EXPECT_EQ(cli({"dump", "a.glm", "--bogus"}).status, 2);
    EXPECT_EQ(cli({"help"}).status, 0);
}

TEST(Cli, TheProgramFindsItsHomeFromTheEnvironment) {
    // The built executable, with LUMAVOX_HOME pointing at a folder without fonts.
    TempDir home;
    std::string doc = (home / "d.glm").string();
    std::string base = std::string("LUMAVOX_HOME=") + home.path().string() + " " + LUMAVOX_CLI_PATH;
    ASSERT_EQ(std::system((base + " demo " + doc + " >/dev/null").c_str()), 0);
    EXPECT_NE(std::system((base + " dump " + doc + " >/dev/null 2>&1").c_str()), 0);
    writeFontStub(home.path(), "KV2fnt.bin");
    EXPECT_EQ(std::system((base + " dump " + doc + " >/dev/null").c_str()), 0);
}

TEST(Cli, TheFamilyComesFromTheSettingsUnlessGiven) {
    TempDir home;
    writeFontStub(home.path(), "KV2fnt.bin");
    std::string doc = (home / "demo.glm").string();
    ASSERT_EQ(cli({"demo", doc, "--home", home.path().string(), "--family", "kv2"}).status, 0);
    std::ofstream(home / "SoftwareSet.ini") << "[Sign Type]\nIs For NVS=1\n";
    CliRun nvs = cli({"dump", doc, "--home", home.path().string()});
    EXPECT_NE(nvs.out.find("\"family\": \"NVS\""), std::string::npos);
    EXPECT_NE(nvs.out.find(text(msg::kFileIsKv2)), std::string::npos);
    CliRun kv2 = cli({"dump", doc, "--home", home.path().string(), "--family", "kv2"});
    EXPECT_NE(kv2.out.find("\"family\": \"KV2\""), std::string::npos);
    // The language choice is kept in the home folder given; the built-in
    // English texts are not written out.
    EXPECT_TRUE(std::filesystem::exists(home / "LanguageSetting.ini"));
    EXPECT_FALSE(std::filesystem::exists(home / "Language"));
}

TEST(Cli, LangCheckReportsProblemsOfALanguageFile) {
    TempDir home;
    std::ofstream(home / "de.ini") << "[Version Set]\nVersion=1202\n[Setting]\nLanguage=Deutsch\n";
    CliRun r = cli({"lang", "check", (home / "de.ini").string(), "--home", home.path().string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("Version is 1202"), std::string::npos);
    EXPECT_NE(r.out.find("IDS_MENU_0: missing"), std::string::npos);
    std::ofstream(home / "Multi_eng.ini") << builtInEnglishLanguageFile();
    CliRun english =
        cli({"lang", "check", (home / "Multi_eng.ini").string(), "--home", home.path().string()});
    EXPECT_EQ(english.status, 0) << english.out;
    EXPECT_EQ(cli({"lang", "check"}).status, 2);
}
