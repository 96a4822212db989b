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

}  // namespace
}  // namespace lumavox
