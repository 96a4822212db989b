// The programs installed the way the package lays them out (bin/ and
// share/lumavox/ under one prefix, the program's folder read-only) work fully
// and write only into the user's XDG folders; settings earlier versions kept
// beside the program or in the old store folder are moved over once.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/LanguageManager.h"
#include "support/TestSupport.h"

namespace lumavox {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Every file and folder under `root` with what it holds, to see that nothing
// was written there.
std::map<std::string, std::string> snapshot(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        const std::string name = fs::relative(it->path(), root).string();
        files[name] = it->is_regular_file() ? readText(it->path()) : std::string("<folder>");
    }
    return files;
}

struct Installed : ::testing::Test {
    TempDir root;
    fs::path prefix = root / "usr";
    fs::path program = prefix / "bin" / "lumavox-cli";
    fs::path data = prefix / "share" / "lumavox";
    fs::path home = root / "home";
    fs::path config = root / "config";
    fs::path cache = root / "cache";
    fs::path runtime = root / "run";
    fs::path work = root / "work";  // the current folder of the runs

    Installed() {
        fs::create_directories(prefix / "bin");
        fs::create_directories(data / "Language");
        for (const fs::path& dir : {home, runtime, work})
            fs::create_directories(dir);
        fs::permissions(runtime, fs::perms::owner_all);
        fs::copy_file(LUMAVOX_CLI_PATH, program);
        const fs::path fonts = std::getenv("LUMAVOX_HOME");
        for (const char* font : {"KV2fnt.bin", "KV3fnt.bin", "KV4fnt.bin"})
            fs::copy_file(fonts / font, data / font);
        std::ofstream(data / "Language" / "Multi_eng.ini") << builtInEnglishLanguageFile();
    }

    // Runs the installed program as a user with only the XDG places set (no
    // LUMAVOX_HOME, no LUMAVOX_CONFIG_DIR); its status, standard error in `err`.
    int run(const std::string& args, std::string* err = nullptr) {
        const fs::path errFile = root / "stderr.txt";
        const std::string command =
            "cd '" + work.string() + "' && env -i PATH=/usr/bin:/bin HOME='" + home.string() +
            "' XDG_CONFIG_HOME='" + config.string() + "' XDG_CACHE_HOME='" + cache.string() +
            "' XDG_RUNTIME_DIR='" + runtime.string() + "' XDG_STATE_HOME='" +
            (root / "state").string() + "' '" + program.string() + "' " + args + " >/dev/null 2>'" +
            errFile.string() + "'";
        const int status = std::system(command.c_str());
        if (err) *err = readText(errFile);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

TEST_F(Installed, AReadOnlyProgramFolderWorksAndOnlyTheXdgFoldersAreWritten) {
    // Read-only as a package installs it; as root the check below still holds,
    // since it compares what the folder holds.
    for (const fs::path& dir : {prefix / "bin", data / "Language", data, prefix / "share", prefix})
        fs::permissions(dir,
                        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
    const auto before = snapshot(prefix);

    std::string err;
    EXPECT_EQ(run("demo demo.glm", &err), 0) << err;
    EXPECT_EQ(run("render demo.glm --png demo.png", &err), 0) << err;
    EXPECT_EQ(run("dump demo.glm", &err), 0) << err;
    // The NVS family's control is unpacked and registered on first use; the
    // sign itself is not there.
    run("adjust-time --family nvs --link tcp:127.0.0.1:1", &err);
    EXPECT_TRUE(fs::exists(work / "demo.png"));

    for (const fs::path& dir : {prefix / "bin", data / "Language", data, prefix / "share", prefix})
        fs::permissions(dir, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(snapshot(prefix), before);
    // The language choice and the settings in the configuration folder, the
    // control's copy in the cache, where its registration points.
    EXPECT_EQ(readText(config / "lumavox" / "LanguageSetting.ini"),
              "[Setting]\nLanguage=English\n");
    const std::string store = readText(config / "lumavox" / "LUMAVOX.ini");
    EXPECT_TRUE(fs::exists(cache / "lumavox" / "NVSOCX.ocx"));
    EXPECT_NE(store.find((cache / "lumavox" / "NVSOCX.ocx").string()), std::string::npos) << store;
    // The working folder is the user's own; nothing else appeared anywhere.
    EXPECT_EQ(fs::status(runtime / "lumavox").permissions(), fs::perms::owner_all);
    for (const auto& entry : fs::directory_iterator(root.path())) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "usr" || name == "home" || name == "config" || name == "cache" ||
                    name == "run" || name == "work" || name == "stderr.txt")
            << name;
    }
    EXPECT_TRUE(fs::is_empty(home));
}

TEST_F(Installed, SettingsAtTheEarlierPlacesMoveOverOnce) {
    std::ofstream(prefix / "bin" / "SoftwareSet.ini") << "[Font]\nDefault=SF10\n";
    std::ofstream(prefix / "bin" / "LanguageSetting.ini") << "[Setting]\nLanguage=English\n";
    const fs::path earlier = config / "Local AppWizard-Generated Applications" / "LUMAVOX";
    fs::create_directories(earlier);
    std::ofstream(earlier / "LUMAVOX.ini") << "[SendInfo]\nSendType=3\n";
    std::ofstream(earlier / "Registry.ini") << "[Modems]\n";
    // A file already at its new place is kept, and the old one left alone.
    fs::create_directories(config / "lumavox");
    std::ofstream(prefix / "bin" / "GPRSSet.ini") << "[GPRS]\nServer Port=9000\n";
    std::ofstream(config / "lumavox" / "GPRSSet.ini") << "[GPRS]\nServer Port=8100\n";

    std::string err;
    ASSERT_EQ(run("new first.glm", &err), 0) << err;
    const fs::path now = config / "lumavox";
    for (const auto& [from, to] : std::vector<std::pair<fs::path, fs::path>>{
             {prefix / "bin" / "SoftwareSet.ini", now / "SoftwareSet.ini"},
             {prefix / "bin" / "LanguageSetting.ini", now / "LanguageSetting.ini"},
             {earlier / "LUMAVOX.ini", now / "LUMAVOX.ini"},
             {earlier / "Registry.ini", now / "Registry.ini"}}) {
        EXPECT_NE(err.find("lumavox: moved " + from.string() + " to " + to.string() + "\n"),
                  std::string::npos)
            << err;
        EXPECT_FALSE(fs::exists(from)) << from;
    }
    EXPECT_EQ(readText(now / "SoftwareSet.ini"), "[Font]\nDefault=SF10\n");
    EXPECT_EQ(readText(now / "Registry.ini"), "[Modems]\n");
    EXPECT_NE(readText(now / "LUMAVOX.ini").find("SendType=3"), std::string::npos);
    EXPECT_EQ(err.find("GPRSSet.ini"), std::string::npos) << err;
    EXPECT_EQ(readText(now / "GPRSSet.ini"), "[GPRS]\nServer Port=8100\n");
    EXPECT_TRUE(fs::exists(prefix / "bin" / "GPRSSet.ini"));

    // Once: the next run has nothing to move.
    ASSERT_EQ(run("new second.glm", &err), 0) << err;
    EXPECT_EQ(err, "");
}

}  // namespace
}  // namespace lumavox
