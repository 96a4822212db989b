// libNVSOCX.so as a loader sees it: the versioned file behind the plain name,
// exactly the functions of the C interface, all in one version node.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "NVSOCX.h"
#include "support/DynamicSymbols.h"

namespace {

const std::string kVersionNode = "NVSOCX_" + std::to_string(NVSOCX_VERSION_MAJOR);

// Every function NVSOCX.h declares.
const char* const kInterface[] = {
    "NVSOCX_Version",
    "NVSOCX_Create",
    "NVSOCX_Destroy",
    "NVSOCX_AddRichFile",
    "NVSOCX_AddDiskFile",
    "NVSOCX_ClearContent",
    "NVSOCX_SetSignInfo",
    "NVSOCX_AddWindow",
    "NVSOCX_SetMoveMethod",
    "NVSOCX_SetFont",
    "NVSOCX_SetColorIndex",
    "NVSOCX_SetColorRGB",
    "NVSOCX_SetCharProperty",
    "NVSOCX_SetFlashON",
    "NVSOCX_SetFlashOFF",
    "NVSOCX_SetSpeed",
    "NVSOCX_SetPause",
    "NVSOCX_AddMessage",
    "NVSOCX_EndWindow",
    "NVSOCX_AddTemperature",
    "NVSOCX_AddCounter",
    "NVSOCX_AddDateTime",
    "NVSOCX_AddNewLine",
    "NVSOCX_AddNewPage",
    "NVSOCX_AddBeep",
    "NVSOCX_SetRowSpace",
    "NVSOCX_InsertGraphic",
    "NVSOCX_AddDisplayChar",
    "NVSOCX_SetCommuMode",
    "NVSOCX_SetIPAndPort",
    "NVSOCX_SetComport",
    "NVSOCX_SetBaudRate",
    "NVSOCX_StartSend",
    "NVSOCX_StopSend",
    "NVSOCX_HasStartSendThread",
    "NVSOCX_IsInSending",
    "NVSOCX_ClearSignMemory",
    "NVSOCX_SendFiles",
    "NVSOCX_AdjustTime",
    "NVSOCX_ChangeSignAddress",
    "NVSOCX_TurnPowerOn",
    "NVSOCX_TurnPowerOff",
    "NVSOCX_SetRunSequence",
    "NVSOCX_AboutBox",
    "NVSOCX_Invoke",
    "NVSOCX_SetEventHandlers",
    "NVSOCX_DispatchEvents",
    "NVSOCX_EventFd",
    "DllRegisterServer",
    "DllUnregisterServer",
};

}  // namespace

TEST(Library, ExportsExactlyTheInterfaceInOneVersionNode) {
    auto symbols = lumavox::test::readDynamicSymbols(NVSOCX_LIBRARY_PATH);
    std::set<std::string> expected(std::begin(kInterface), std::end(kInterface));
    ASSERT_EQ(expected.size(), 50u);
    std::set<std::string> defined;
    for (const auto& [name, version] : symbols.defined) {
        defined.insert(name);
        EXPECT_EQ(version, kVersionNode) << name;
    }
    EXPECT_EQ(defined, expected);
    EXPECT_EQ(symbols.versionNodes, std::set<std::string>{kVersionNode});
}

TEST(Library, VersionedFileBehindThePlainName) {
    const std::string major = std::to_string(NVSOCX_VERSION_MAJOR);
    EXPECT_EQ(lumavox::test::readDynamicSymbols(NVSOCX_LIBRARY_PATH).soname,
              "libNVSOCX.so." + major);
    EXPECT_EQ(std::filesystem::path(NVSOCX_LIBRARY_PATH).filename(), "libNVSOCX.so." + major);
    ASSERT_TRUE(std::filesystem::is_symlink(NVSOCX_PLAIN_PATH));
    EXPECT_EQ(std::filesystem::canonical(NVSOCX_PLAIN_PATH),
              std::filesystem::canonical(NVSOCX_LIBRARY_PATH));

    // A host loading the plain name by path finds the version it was built for.
    void* lib = ::dlopen(NVSOCX_PLAIN_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << ::dlerror();
    auto version = reinterpret_cast<decltype(&NVSOCX_Version)>(
        ::dlvsym(lib, "NVSOCX_Version", kVersionNode.c_str()));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version() >> 16, NVSOCX_VERSION_MAJOR);
    EXPECT_EQ(version(), NVSOCX_VERSION);
    ::dlclose(lib);
}
