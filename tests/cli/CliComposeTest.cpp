// lumavox-cli's help, version, and the commands that make documents.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/AboutBox.h"
#include "cli/Cli.h"
#include "cli/ControlOperations.h"
#include "cli/Help.h"
#include "content/Document.h"
#include "operations/Operations.h"
#include "platform/Files.h"
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

std::vector<uint8_t> fileBytes(const std::filesystem::path& p) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(readWholeFile(p, size_t{64} << 20, bytes, error)) << error;
    return bytes;
}

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST(CliHelp, HelpListsEveryCommandGroupedAndExplainsEachOne) {
    CliRun list = cli({"help"});
    EXPECT_EQ(list.status, 0);
    EXPECT_TRUE(list.err.empty());
    size_t documents = list.out.find("\ndocuments:\n"), sending = list.out.find("\nsending:\n"),
           reading = list.out.find("\nreading:\n"), settings = list.out.find("\nsettings:\n");
    ASSERT_NE(settings, std::string::npos) << list.out;
    EXPECT_TRUE(documents < sending && sending < reading && reading < settings);
    EXPECT_LT(list.out.find("  build DOC.json OUT.glm"), sending);
    EXPECT_GT(list.out.find("  read-bios"), reading);
    // Every sign operation and every command of the NVS route has its row.
    for (const SignOperation& op : signOperations()) {
        EXPECT_TRUE(findCommandHelp(op.name)) << op.name;
        EXPECT_TRUE(has(list.out, "  " + std::string(op.name))) << op.name;
    }
    for (const char* name : {"send-all", "set-run-sequence", "change-address", "adjust-time",
                             "sign-off", "sign-on", "clear-memory"}) {
        ASSERT_TRUE(isControlCommand(name));
        EXPECT_TRUE(findCommandHelp(name)) << name;
    }
    for (const char* name : {"new", "build", "dump", "demo", "body", "render", "preview", "lang"})
        EXPECT_TRUE(findCommandHelp(name)) << name;

    // --help and -h anywhere, and `help COMMAND`, print the command's usage.
    for (std::vector<std::string> args : {std::vector<std::string>{"help", "build"},
                                          {"build", "--help"},
                                          {"-h", "build"},
                                          {"--home", "/nowhere", "build", "x.json", "-h"}}) {
        CliRun one = cli(args);
        EXPECT_EQ(one.status, 0);
        EXPECT_EQ(one.out.rfind("usage: lumavox-cli build DOC.json OUT.glm\n", 0), 0u) << one.out;
    }
    CliRun sign = cli({"--link", "com:1", "read-text", "--help"});
    EXPECT_EQ(sign.status, 0);
    EXPECT_TRUE(has(sign.out, "usage: lumavox-cli read-text DOC.glm NAME..."));
    EXPECT_TRUE(has(sign.out, "--link tcp:"));
    EXPECT_FALSE(has(cli({"help", "dump"}).out, "--link"));
    EXPECT_EQ(cli({"--help"}).out, list.out);
    EXPECT_EQ(cli({"-h"}).out, list.out);

    CliRun unknown = cli({"help", "frobnicate"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(has(unknown.err, "unknown command 'frobnicate'"));
}

TEST(CliHelp, VersionAndExitStatuses) {
    CliRun version = cli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "lumavox-cli " + std::string(kProgramVersion) + "\n");
    EXPECT_EQ(cli({"dump", "x.glm", "--version"}).out, version.out);
    // The about box shows the same version.
    EditorAboutBox about;
    EXPECT_TRUE(has(about.versionLine(), std::string(kProgramVersion)));

    CliRun none = cli({});
    EXPECT_EQ(none.status, 2);
    EXPECT_TRUE(has(none.err, "\ndocuments:\n"));
    CliRun bad = cli({"build", "only-one.json"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.err.rfind("usage: lumavox-cli build", 0), 0u);
    EXPECT_EQ(cli({"frobnicate"}).status, 2);
    EXPECT_EQ(cli({"build", "/nowhere/x.json", "/nowhere/y.glm"}).status, 1);
}

TEST(CliBuild, DumpThenBuildGivesTheSameDocumentBytes) {
    TempDir home;
    writeFontStub(home.path(), "KV2fnt.bin");
    const std::string h = home.path().string();
    std::vector<std::filesystem::path> documents = {home / "demo.glm"};
    ASSERT_EQ(cli({"demo", documents[0].string(), "--home", h}).status, 0);
    ASSERT_EQ(cli({"demo", (home / "nvs.glm").string(), "--home", h, "--family", "nvs"}).status, 0);
    documents.push_back(home / "nvs.glm");
    // The documents kept as test inputs, older versions among them.
    for (const char* name : {"demo.glm", "v1199.glm", "v1201.glm"})
        documents.push_back(std::filesystem::path(LUMAVOX_SOURCE_DIR) / "fuzz/corpus/document" /
                            name);
    for (const auto& doc : documents) {
        SCOPED_TRACE(doc.string());
        CliRun dumped = cli({"dump", doc.string(), "--home", h});
        ASSERT_EQ(dumped.status, 0) << dumped.err;
        std::ofstream(home / "doc.json") << dumped.out;
        const auto rebuilt = home / "rebuilt.glm";
        CliRun built = cli({"build", (home / "doc.json").string(), rebuilt.string(), "--home", h});
        ASSERT_EQ(built.status, 0) << built.err;
        // Older files are written in the newest form: they compare as saved again.
        OpenResult original = openDocument(doc, {});
        ASSERT_TRUE(original.ok);
        if (original.version == 1202) {
            EXPECT_EQ(fileBytes(rebuilt), fileBytes(doc));
        } else {
            CliRun again = cli({"dump", rebuilt.string(), "--home", h});
            EXPECT_EQ(again.out.substr(again.out.find("\"warnings\"")),
                      dumped.out.substr(dumped.out.find("\"warnings\"")));
        }
    }
}

TEST(CliBuild, ARefusedTextWritesNothingAndSaysWhereAndWhy) {
    TempDir home;
    const auto json = home / "bad.json";
    std::ofstream(json) << R"({"textFiles": [{"name": "Main", "items": [
        {"type": "char", "text": "A"}, {"type": "speed", "speed": 0}]}]})";
    const auto out = home / "out.glm";
    CliRun r = cli({"build", json.string(), out.string(), "--home", home.path().string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "lumavox-cli: " + json.string() + ": $.textFiles[0].items[1].speed: must be 1..8\n");
    EXPECT_FALSE(std::filesystem::exists(out));
    std::ofstream(json) << "{\"textFiles\": [}";
    r = cli({"build", json.string(), out.string(), "--home", home.path().string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r.err, "line 1, column 16: unexpected character '}'")) << r.err;
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(CliNew, MakesTheNewDocumentOfEitherColourType) {
    TempDir home;
    writeFontStub(home.path(), "KV2fnt.bin");
    const std::string h = home.path().string();
    for (bool single : {false, true}) {
        const auto doc = home / (single ? "single.glm" : "tri.glm");
        std::vector<std::string> args = {"new", doc.string(), "--size", "96x8", "--home", h};
        if (single) args.push_back("--single-colour");
        CliRun r = cli(args);
        ASSERT_EQ(r.status, 0) << r.err;
        OpenResult opened = openDocument(doc, {});
        ASSERT_TRUE(opened.ok);
        const WorkArea& w = opened.work;
        EXPECT_EQ(w.signWidth, 96);
        EXPECT_EQ(w.signHeight, 8);
        EXPECT_EQ(w.colourType, single ? 1 : 0);
        ASSERT_EQ(w.textFiles.size(), 1u);
        EXPECT_EQ(w.textFiles[0].name.str(), "Main");
        ASSERT_EQ(w.textFiles[0].items.size(), 1u);
        EXPECT_TRUE(w.textFiles[0].items[0].isCharCode(kCR));
        EXPECT_TRUE(w.graphics.empty() && w.tasks.empty() && w.runSequence.empty());
    }
    // Without --size: the size the editor's dialog offers.
    ASSERT_EQ(cli({"new", (home / "default.glm").string(), "--home", h}).status, 0);
    EXPECT_EQ(openDocument(home / "default.glm", {}).work.signWidth, 160);

    CliRun zero = cli({"new", (home / "zero.glm").string(), "--size", "0x16", "--home", h});
    EXPECT_EQ(zero.status, 1);
    EXPECT_TRUE(has(zero.err, text(msg::kSignWidthTooSmall)));
    EXPECT_FALSE(std::filesystem::exists(home / "zero.glm"));
    for (const char* size : {"96", "96x", "x8", "96x8x", "70000x8", "-1x8"})
        EXPECT_EQ(cli({"new", (home / "x.glm").string(), "--size", size, "--home", h}).status, 2)
            << size;
}

TEST(CliLink, TheFirstLineNamesWhatTheStoredSettingsChose) {
    TempDir home;
    const std::string h = home.path().string();
    CliRun stored = cli({"read-memory", "--home", h});
    EXPECT_EQ(stored.out.rfind("Using serial COM1 (/dev/ttyS0) at 9600 baud, no sign address "
                               "(stored settings; --link and --address choose others)\n",
                               0),
              0u)
        << stored.out;
    CliRun tcp = cli({"read-memory", "--home", h, "--link", "tcp:127.0.0.1,127.0.0.2:1"});
    EXPECT_EQ(tcp.out.rfind("Using TCP/IP (127.0.0.1,127.0.0.2) port 1, no sign address "
                            "(address from the stored settings",
                            0),
              0u)
        << tcp.out;
    CliRun nvs = cli({"sign-off", "--home", h, "--family", "nvs"});
    EXPECT_EQ(nvs.out.rfind("Using serial COM1 (/dev/ttyS0) at 9600 baud", 0), 0u) << nvs.out;
    // Both given: nothing extra.
    CliRun given = cli({"read-memory", "--home", h, "--link", "tcp:127.0.0.1:1", "--address", "1",
                        "--reply-timeout-ms", "100"});
    EXPECT_FALSE(has(given.out, "Using ")) << given.out;
}
