// Preparing the scriptable control: unpacking it beside the program only when
// it is not there, self-registration, every failure text, and the hosting
// dialog's sequence of create, prepare and create again.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "embedded/EmbeddedResources.h"
#include "operations/ControlSetup.h"
#include "support/TestSupport.h"

using namespace lumavox;
using namespace lumavox::test;
namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> readBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Each test registers into a per-user store of its own.
struct ControlSetup : ::testing::Test {
    TempDir root;
    fs::path programDir = root / "program";
    std::string oldConfig;
    bool hadConfig = false;

    ControlSetup() {
        fs::create_directories(programDir);
        if (const char* c = std::getenv("LUMAVOX_CONFIG_DIR")) {
            hadConfig = true;
            oldConfig = c;
        }
        ::setenv("LUMAVOX_CONFIG_DIR", (root / "config").c_str(), 1);
    }
    ~ControlSetup() override {
        if (hadConfig)
            ::setenv("LUMAVOX_CONFIG_DIR", oldConfig.c_str(), 1);
        else
            ::unsetenv("LUMAVOX_CONFIG_DIR");
    }
    fs::path controlFile() const { return programDir / "NVSOCX.ocx"; }
    // A table whose control resource is the given bytes.
    ResourceTable controlTable(const std::vector<uint8_t>& bytes) const {
        ResourceTable t;
        t.add(res::kControl, bytes);
        return t;
    }
};

}  // namespace

TEST_F(ControlSetup, UnpacksAndRegistersTheControlSoItCanBeCreated) {
    EXPECT_EQ(NVSOCX_CreateByClassId(NVSOCX_CLSID), nullptr);
    EXPECT_EQ(PrepareControl(programDir, embeddedResources()), "");
    EXPECT_EQ(readBytes(controlFile()).size(), embeddedResources().bytes(res::kControl).size());
    NVSOCX_Object* control = NVSOCX_CreateByClassId(NVSOCX_CLSID);
    ASSERT_NE(control, nullptr);
    NVSOCX_ReleaseObject(control);
}

TEST_F(ControlSetup, AnExistingControlFileIsRegisteredAgainNotRewritten) {
    // The file is there: no resource is needed and none is written.
    fs::copy_file(NVSOCX_LIBRARY_PATH, controlFile());
    auto before = fs::last_write_time(controlFile());
    EXPECT_EQ(PrepareControl(programDir, ResourceTable()), "");
    EXPECT_EQ(fs::last_write_time(controlFile()), before);
    NVSOCX_Object* control = NVSOCX_CreateByClassId(NVSOCX_CLSID);
    ASSERT_NE(control, nullptr);
    NVSOCX_ReleaseObject(control);
}

TEST_F(ControlSetup, AStaleControlFileIsKeptAndItsLoadFailureReported) {
    std::ofstream(controlFile()) << "stale";
    EXPECT_EQ(PrepareControl(programDir, embeddedResources()),
              "Load file " + controlFile().string() + " failed!");
    std::ifstream in(controlFile());
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "stale");
}

TEST_F(ControlSetup, EveryFailureHasItsText) {
    EXPECT_EQ(PrepareControl(programDir, ResourceTable()), "Can not find resource for NVSOCX!");
    EXPECT_FALSE(fs::exists(controlFile()));

    EXPECT_EQ(PrepareControl(programDir, controlTable({})), "Load resource for NVSOCX failed!");
    EXPECT_FALSE(fs::exists(controlFile()));

    const fs::path missing = root / "no-such-folder";
    EXPECT_EQ(
        PrepareControl(missing, embeddedResources()),
        "Write resource for NVSOCX to file '" + (missing / "NVSOCX.ocx").string() + "' failed!");

    {
        TempDir other;
        EXPECT_EQ(PrepareControl(other.path(), controlTable(readBytes(PARTIAL_GATEWAY_PATH))),
                  "Register file " + (other / "NVSOCX.ocx").string() +
                      " failed because of can not fetch function 'DllRegisterServer'!");
    }
    {
        TempDir other;
        EXPECT_EQ(PrepareControl(other.path(), controlTable(readBytes(FAILING_CONTROL_PATH))),
                  "Register file " + (other / "NVSOCX.ocx").string() + " failed!");
    }
    EXPECT_EQ(NVSOCX_CreateByClassId(NVSOCX_CLSID), nullptr);
}

TEST_F(ControlSetup, TheHostingDialogPreparesTheControlWhenItCannotBeCreated) {
    ScriptedPrompter user;
    HostedControl hosted = CreateHostedControl(programDir, embeddedResources(), user);
    ASSERT_NE(hosted.control, nullptr);
    EXPECT_FALSE(hosted.quit);
    ASSERT_EQ(user.shown.size(), 1u);
    EXPECT_EQ(user.shown[0].text, "Create stock ocx failed. Now will register stock ocx!");
    EXPECT_EQ(user.shown[0].icon, Icon::Information);
    NVSOCX_ReleaseObject(hosted.control);

    // Registered now: the next dialog creates it without a word.
    ScriptedPrompter again;
    hosted = CreateHostedControl(programDir, embeddedResources(), again);
    ASSERT_NE(hosted.control, nullptr);
    EXPECT_TRUE(again.shown.empty());
    NVSOCX_ReleaseObject(hosted.control);
}

TEST_F(ControlSetup, TheHostingDialogEndsTheProgramWhenPreparingFails) {
    ScriptedPrompter user;
    HostedControl hosted = CreateHostedControl(programDir, ResourceTable(), user);
    EXPECT_EQ(hosted.control, nullptr);
    EXPECT_TRUE(hosted.quit);
    ASSERT_EQ(user.shown.size(), 2u);
    EXPECT_EQ(user.shown[1].text,
              "Register stock ocx failed because of Can not find resource for NVSOCX!. Now "
              "program will exit!");
    EXPECT_EQ(user.shown[1].icon, Icon::Error);

    // A control whose registration fails ends it the same way.
    ScriptedPrompter other;
    hosted = CreateHostedControl(programDir, controlTable(readBytes(FAILING_CONTROL_PATH)), other);
    EXPECT_TRUE(hosted.quit);
    ASSERT_EQ(other.shown.size(), 2u);
    EXPECT_EQ(other.shown[1].text, "Register stock ocx failed because of Register file " +
                                       controlFile().string() + " failed!. Now program will exit!");
}

TEST_F(ControlSetup, TheHostingDialogEndsTheProgramWhenTheRegisteredControlStillFails) {
    // Registration succeeds but records a library that creates no control.
    ScriptedPrompter user;
    HostedControl hosted =
        CreateHostedControl(programDir, controlTable(readBytes(HOLLOW_CONTROL_PATH)), user);
    EXPECT_EQ(hosted.control, nullptr);
    EXPECT_TRUE(hosted.quit);
    ASSERT_EQ(user.shown.size(), 2u);
    for (const auto& shown : user.shown) {
        EXPECT_EQ(shown.text, "Create stock ocx failed. Now will register stock ocx!");
        EXPECT_EQ(shown.icon, Icon::Information);
    }
}
