// The editor run by a script for a picture (--screenshot) never waits on a
// message box that nobody can close: the message goes to standard error, no
// picture is written and the status is 1.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "LinkTestSupport.h"
#include "support/TestSupport.h"

namespace lumavox {
namespace {

struct EditorRun {
    int status = -1;
    std::string err;
};

EditorRun screenshot(const std::vector<std::string>& args) {
    EditorRun run;
    int out = -1, err = -1;
    const pid_t pid = test::spawnChild(LUMAVOX_EDITOR_PATH, args, out, &err);
    if (pid < 0) return run;
    // A limit only reached when the program waits for an answer.
    run.status = test::reapChild(pid, 120000);
    if (run.status == -2) {
        ::kill(pid, SIGKILL);
        test::reapChild(pid, 10000);
        ADD_FAILURE() << "the editor waited for an answer";
    }
    char buf[4096];
    for (ssize_t n; (n = ::read(err, buf, sizeof buf)) > 0;)
        run.err.append(buf, static_cast<size_t>(n));
    ::close(out);
    ::close(err);
    return run;
}

TEST(Screenshot, AnUnreadableDocumentOrFontEndsWithTheMessageAndStatusOne) {
    test::TempDir dir;
    // The editor keeps its settings in a store of this test's own.
    ::setenv("LUMAVOX_CONFIG_DIR", (dir / "config").c_str(), 1);
    const auto png = dir / "editor.png";
    std::ofstream(dir / "broken.glm") << "no document at all";
    EditorRun bad = screenshot({(dir / "broken.glm").string(), "--screenshot", png.string()});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("lumavox: Sorry,this file"), std::string::npos) << bad.err;
    EXPECT_FALSE(std::filesystem::exists(png));

    // The font files in a program folder of their own, the one a 16-dot sign
    // needs cut in the middle of its records.
    const std::filesystem::path home = dir / "home";
    std::filesystem::create_directories(home);
    for (const char* font : {"KV2fnt.bin", "KV3fnt.bin", "KV4fnt.bin"})
        std::filesystem::copy_file(std::filesystem::path(LUMAVOX_TEST_HOME) / font, home / font);
    std::filesystem::resize_file(home / "KV2fnt.bin",
                                 std::filesystem::file_size(home / "KV2fnt.bin") / 2);
    EditorRun fonts = screenshot({"--home", home.string(), "--screenshot", png.string()});
    EXPECT_EQ(fonts.status, 1);
    EXPECT_NE(fonts.err.find("KV2fnt.bin"), std::string::npos) << fonts.err;
    EXPECT_FALSE(std::filesystem::exists(png));

    // A readable document gives its picture.
    EditorRun good = screenshot({"--screenshot", png.string()});
    EXPECT_EQ(good.status, 0) << good.err;
    EXPECT_TRUE(std::filesystem::exists(png));
}

// Installed as the package lays it out (bin/ and share/lumavox/ under one
// prefix, read-only), the editor draws its window and writes only into the
// user's XDG folders.
TEST(Screenshot, FromAReadOnlyInstalledTreeNothingIsWrittenBesideTheProgram) {
    namespace fs = std::filesystem;
    test::TempDir root;
    const fs::path prefix = root / "usr";
    const fs::path data = prefix / "share" / "lumavox";
    fs::create_directories(prefix / "bin");
    fs::create_directories(data);
    const fs::path editor = prefix / "bin" / "lumavox";
    fs::copy_file(LUMAVOX_EDITOR_PATH, editor);
    for (const char* font : {"KV2fnt.bin", "KV3fnt.bin", "KV4fnt.bin"})
        fs::copy_file(fs::path(LUMAVOX_TEST_HOME) / font, data / font);
    const fs::path runtime = root / "run";
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    ::unsetenv("LUMAVOX_HOME");
    ::unsetenv("LUMAVOX_CONFIG_DIR");
    ::setenv("HOME", (root / "home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (root / "cache").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    const auto writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    for (const fs::path& dir : {prefix / "bin", data, prefix / "share", prefix})
        fs::permissions(dir, writable, fs::perm_options::remove);
    std::vector<std::string> before;
    for (const auto& entry : fs::recursive_directory_iterator(prefix))
        before.push_back(entry.path().string());

    const fs::path png = root / "editor.png";
    int out = -1, err = -1;
    const pid_t pid = test::spawnChild(editor.string(), {"--screenshot", png.string()}, out, &err);
    ASSERT_GE(pid, 0);
    EXPECT_EQ(test::reapChild(pid, 120000), 0);
    ::close(out);
    ::close(err);

    for (const fs::path& dir : {prefix / "bin", data, prefix / "share", prefix})
        fs::permissions(dir, fs::perms::owner_write, fs::perm_options::add);
    std::vector<std::string> after;
    for (const auto& entry : fs::recursive_directory_iterator(prefix))
        after.push_back(entry.path().string());
    EXPECT_EQ(after, before);
    EXPECT_TRUE(fs::exists(png));
    EXPECT_TRUE(fs::exists(root / "config" / "lumavox" / "LanguageSetting.ini"));
    EXPECT_TRUE(fs::exists(root / "config" / "lumavox" / "LUMAVOX.ini"));
}

}  // namespace
}  // namespace lumavox
