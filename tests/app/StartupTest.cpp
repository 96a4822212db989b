// The application object from construction to exit: the embedded files, the
// gateway library's unpacked copy and binding, the language files, the NVS
// family's image folder and the settings written at exit.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "app/Application.h"
#include "embedded/EmbeddedResources.h"
#include "platform/HeldFile.h"
#include "platform/Profile.h"
#include "support/TestSupport.h"

using namespace lumavox;
using namespace lumavox::test;
namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> readBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string readText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string asText(std::span<const uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

std::vector<fs::path> filesIn(const fs::path& dir) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        files.push_back(it->path());
    return files;
}

struct Startup : ::testing::Test {
    TempDir root;
    fs::path programDir = root / "program";
    fs::path settingsDir = root / "settings";
    fs::path workDir = root / "tmp";
    fs::path cacheDir = root / "cache";
    fs::path userStore = root / "user" / "LUMAVOX.ini";

    Startup() {
        fs::create_directories(programDir);
        fs::create_directories(workDir);
        fs::create_directories(userStore.parent_path());
    }
    ApplicationEnvironment environment() const {
        return {programDir, settingsDir, userStore, workDir, cacheDir, false};
    }
    std::string storedCopy() const {
        return Profile::load(userStore).getString(GatewayBinding::kStoreSection,
                                                  GatewayBinding::kStoreKey);
    }
    void softwareSet(const std::string& text) {
        fs::create_directories(settingsDir);
        std::ofstream(settingsDir / "SoftwareSet.ini", std::ios::binary) << text;
    }
};

// A table holding only a gateway library read from a file.
struct GatewayOnly {
    std::vector<uint8_t> bytes;
    ResourceTable table;
    explicit GatewayOnly(std::vector<uint8_t> b) : bytes(std::move(b)) {
        table.add(res::kGateway, bytes);
    }
};

}  // namespace

TEST(EmbeddedResources, HoldTheLanguageFilesAsTheLanguageLayerWritesThem) {
    const ResourceTable& r = embeddedResources();
    EXPECT_EQ(asText(r.bytes(res::kEnglishLanguageFile)), builtInEnglishLanguageFile());
    EXPECT_EQ(asText(r.bytes(res::kDefaultLanguageSetting)), "[Setting]\nLanguage=English\n");
    for (int id : {res::kGateway, res::kControl}) {
        auto bytes = r.bytes(id);
        ASSERT_GT(bytes.size(), 4u) << id;
        EXPECT_EQ(asText(bytes.first(4)),
                  "\x7f"
                  "ELF")
            << id;
    }
}

TEST_F(Startup, ConstructionSetsTheDefaultsAndStartUpLoadsTheSettings) {
    softwareSet("[Font]\nDefault=SS5\n");
    {
        Profile store = Profile::load(userStore);
        store.setInt("SendInfo", "SendType", 3);
        std::string error;
        ASSERT_TRUE(store.save(error)) << error;
    }
    EditorApplication app(environment(), embeddedResources());
    EXPECT_EQ(app.signWidth, 160);
    EXPECT_EQ(app.signHeight, 16);
    EXPECT_EQ(app.colourType, 0);
    EXPECT_EQ(app.windowName, "Main");
    EXPECT_EQ(app.currentFontName, "SS7");
    EXPECT_EQ(app.currentFontIndex, 1);
    EXPECT_FALSE(app.previewOpen);
    EXPECT_FALSE(app.languageActive());
    EXPECT_EQ(app.signMode(), SignMode::KV2);

    app.InitInstance();
    EXPECT_TRUE(app.languageActive());
    EXPECT_EQ(app.signMode(), SignMode::KV2);
    EXPECT_TRUE(app.startsGprsServer());
    EXPECT_EQ(app.dateNames().monthLong[10], "November");
    EXPECT_FALSE(fs::exists(app.nvsImageDir()));
}

TEST_F(Startup, WritesTheLanguageChoiceIntoTheSettingsFolderAndNothingBesideTheProgram) {
    EditorApplication app(environment(), embeddedResources());
    EXPECT_EQ(readText(settingsDir / "LanguageSetting.ini"), "[Setting]\nLanguage=English\n");
    // Without a language file the built-in English texts are used, not written.
    EXPECT_EQ(app.language().languageName(), "English");
    EXPECT_TRUE(app.language().languageFile().empty());
    EXPECT_TRUE(filesIn(programDir).empty());
}

TEST_F(Startup, UnpacksTheGatewayIntoAKorFileAndDeletesItAtExit) {
    EditorApplication app(environment(), embeddedResources());
    const fs::path copy = app.gateway().libraryPath();
    EXPECT_EQ(copy.parent_path(), workDir);
    EXPECT_EQ(copy.filename().string().substr(0, 3), "KOR");
    EXPECT_EQ(readBytes(copy).size(), embeddedResources().bytes(res::kGateway).size());
    EXPECT_TRUE(app.gateway().loaded());
    EXPECT_EQ(app.gateway().boundCount(), 10);
    EXPECT_EQ(storedCopy(), copy.string());

    // The real library answers through the binding: an unknown handle is refused.
    EXPECT_EQ(app.gateway().Init(nullptr), 0);
    EXPECT_EQ(app.gateway().IsClientAvailable(nullptr), 0);

    app.InitInstance();
    std::string error;
    EXPECT_TRUE(app.ExitInstance(error)) << error;
    EXPECT_FALSE(fs::exists(copy));
    EXPECT_FALSE(app.gateway().loaded());
    EXPECT_EQ(app.gateway().Init(nullptr), -1);
    EXPECT_TRUE(filesIn(workDir).empty());
}

TEST_F(Startup, TwoProgramsUnpackSeparateCopies) {
    EditorApplication first(environment(), embeddedResources());
    EditorApplication second(environment(), embeddedResources());
    EXPECT_NE(first.gateway().libraryPath(), second.gateway().libraryPath());
    EXPECT_EQ(first.gateway().boundCount(), 10);
    EXPECT_EQ(second.gateway().boundCount(), 10);
    EXPECT_TRUE(fs::exists(first.gateway().libraryPath()));
    // The store remembers the latest copy; the first one's stays in use.
    EXPECT_EQ(storedCopy(), second.gateway().libraryPath().string());
    std::string error;
    second.ExitInstance(error);
    EXPECT_TRUE(fs::exists(first.gateway().libraryPath()));
    EXPECT_EQ(first.gateway().boundCount(), 10);
}

TEST_F(Startup, AStoredCopyLeftBehindIsReused) {
    // A run that ended abruptly left its copy (here a stale, unloadable one).
    fs::path leftover;
    {
        HeldFile file;
        std::string error;
        ASSERT_TRUE(file.create(workDir, "KOR", error)) << error;
        const uint8_t junk[] = {'o', 'l', 'd'};
        ASSERT_TRUE(file.write(junk, error));
        leftover = file.path();
    }
    Profile store = Profile::load(userStore);
    store.setString(GatewayBinding::kStoreSection, GatewayBinding::kStoreKey, leftover.string());
    std::string error;
    ASSERT_TRUE(store.save(error));

    EditorApplication app(environment(), embeddedResources());
    EXPECT_EQ(app.gateway().libraryPath(), leftover);
    EXPECT_EQ(app.gateway().boundCount(), 10);
    EXPECT_EQ(filesIn(workDir).size(), 1u);
}

TEST_F(Startup, AStoredPathThatIsNotACopyIsNeverRewritten) {
    const fs::path notes = workDir / "notes.txt";
    const fs::path elsewhere = root / "KORother";
    const fs::path link = workDir / "KORlink";
    std::ofstream(notes) << "keep";
    std::ofstream(elsewhere) << "keep";
    fs::create_symlink(notes, link);
    for (const fs::path& stored : {notes, elsewhere, link}) {
        Profile store = Profile::load(userStore);
        store.setString(GatewayBinding::kStoreSection, GatewayBinding::kStoreKey, stored.string());
        std::string error;
        ASSERT_TRUE(store.save(error));
        EditorApplication app(environment(), embeddedResources());
        EXPECT_NE(app.gateway().libraryPath(), stored);
        EXPECT_EQ(app.gateway().boundCount(), 10);
        EXPECT_EQ(readText(stored), "keep");
    }
    EXPECT_TRUE(fs::is_symlink(link));
}

TEST_F(Startup, AGatewayWithoutSomeExportsGivesTheirNeutralResults) {
    GatewayOnly partial(readBytes(PARTIAL_GATEWAY_PATH));
    ASSERT_FALSE(partial.bytes.empty());
    EditorApplication app(environment(), partial.table);
    const GatewayBinding& g = app.gateway();
    ASSERT_TRUE(g.loaded());
    EXPECT_EQ(g.boundCount(), 4);

    // Bound: the library answers.
    DTU_HANDLE server = g.AddNetServer(nullptr, 150000, nullptr);
    ASSERT_NE(server, nullptr);
    EXPECT_EQ(g.Init(server), 1);
    // Absent: -1, 0 or nothing.
    EXPECT_EQ(g.Uninit(server), -1);
    EXPECT_EQ(g.SendData(server, reinterpret_cast<const unsigned char*>("x"), 1), -1);
    EXPECT_EQ(g.IsClientAvailable(server), 0);
    char ip[16] = "unchanged";
    int port = 7;
    EXPECT_EQ(g.GetClientInfo(server, ip, &port, nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_STREQ(ip, "unchanged");
    EXPECT_EQ(port, 7);
    EXPECT_EQ(g.GetNewConnectedClient(server), nullptr);
    g.Delete(server);

    // The flush empties what the client holds, however much it is.
    EXPECT_EQ(g.GetReceiveDataCount(server), 150000);
    g.FlushClient(server);
    EXPECT_EQ(g.GetReceiveDataCount(server), 0);
    // A client that reports bytes but gives none does not hold the flush up.
    DTU_HANDLE stuck = reinterpret_cast<DTU_HANDLE>(2);
    g.FlushClient(stuck);
    EXPECT_EQ(g.GetReceiveDataCount(stuck), 100);
}

TEST_F(Startup, WithoutAUsableGatewayEveryCallIsNeutralAndNothingIsLeft) {
    GatewayOnly junk({'n', 'o', 't', ' ', 'a', ' ', 'l', 'i', 'b'});
    ResourceTable none;
    for (const ResourceTable* table : {&junk.table, &none}) {
        EditorApplication app(environment(), *table);
        const GatewayBinding& g = app.gateway();
        EXPECT_FALSE(g.loaded());
        EXPECT_EQ(g.boundCount(), 0);
        EXPECT_EQ(g.AddNetServer(nullptr, 8001, nullptr), nullptr);
        EXPECT_EQ(g.Init(nullptr), -1);
        EXPECT_EQ(g.Uninit(nullptr), -1);
        EXPECT_EQ(g.ReceiveData(nullptr, nullptr, 0), -1);
        EXPECT_EQ(g.GetReceiveDataCount(nullptr), 0);
        g.FlushClient(nullptr);
        app.InitInstance();
        std::string error;
        EXPECT_TRUE(app.ExitInstance(error)) << error;
        EXPECT_TRUE(filesIn(workDir).empty());
    }
}

TEST_F(Startup, AnUnwritableTemporaryFolderLeavesTheGatewayUnbound) {
    workDir = root / "missing";
    EditorApplication app(environment(), embeddedResources());
    EXPECT_TRUE(app.gateway().libraryPath().empty());
    EXPECT_EQ(app.gateway().boundCount(), 0);
    EXPECT_EQ(app.gateway().SendData(nullptr, nullptr, 0), -1);
}

TEST_F(Startup, TheNvsImageFolderExistsWhileRunningAndIsEmptiedAtExit) {
    softwareSet("[Sign Type]\nIs For NVS=1\n");
    EditorApplication app(environment(), embeddedResources());
    app.InitInstance();
    EXPECT_EQ(app.signMode(), SignMode::NVS);
    const fs::path images = workDir / "NVS_Img";
    EXPECT_EQ(app.nvsImageDir(), images);
    ASSERT_TRUE(fs::is_directory(images));
    std::ofstream(images / "a.bmp") << "image";
    std::ofstream(images / "b") << "image";
    fs::create_directory(images / "kept");
    std::ofstream(images / "kept" / "inner.bmp") << "image";
    fs::create_symlink(images / "kept", images / "link");

    std::string error;
    EXPECT_TRUE(app.ExitInstance(error)) << error;
    ASSERT_TRUE(fs::is_directory(images));
    auto left = filesIn(images);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].filename(), "kept");
    EXPECT_TRUE(fs::exists(images / "kept" / "inner.bmp"));
}

TEST_F(Startup, TheNvsFamilyNeverStartsTheGprsServer) {
    softwareSet("[Sign Type]\nIs For NVS=1\n");
    Profile store = Profile::load(userStore);
    store.setInt("SendInfo", "SendType", 3);
    std::string error;
    ASSERT_TRUE(store.save(error));
    EditorApplication app(environment(), embeddedResources());
    app.InitInstance();
    EXPECT_FALSE(app.startsGprsServer());
}

TEST_F(Startup, ExitSavesTheSettingsAndTheRecentFilesOnce) {
    EditorApplication app(environment(), embeddedResources());
    app.InitInstance();
    app.settings().comport = 5;
    app.recentFiles().add("/docs/a.glm");
    app.recentFiles().add("/docs/b.glm");
    std::string error;
    ASSERT_TRUE(app.ExitInstance(error)) << error;
    Profile store = Profile::load(userStore);
    EXPECT_EQ(store.getInt("SendInfo", "Comport", 0), 5);
    EXPECT_EQ(store.getString("Recent File List", "File1"), "/docs/b.glm");
    EXPECT_EQ(store.getString("Recent File List", "File2"), "/docs/a.glm");

    // A second exit changes nothing.
    app.settings().comport = 9;
    EXPECT_TRUE(app.ExitInstance(error));
    EXPECT_EQ(Profile::load(userStore).getInt("SendInfo", "Comport", 0), 5);

    // The next run starts with the list.
    EditorApplication next(environment(), embeddedResources());
    next.InitInstance();
    EXPECT_EQ(next.recentFiles().files(), (std::vector<std::string>{"/docs/b.glm", "/docs/a.glm"}));
}

TEST_F(Startup, AnUnwritableStoreIsReportedAtExitAndTheRestStillHappens) {
    softwareSet("[Sign Type]\nIs For NVS=1\n");
    std::ofstream(root / "a-file") << "not a folder";
    userStore = root / "a-file" / "LUMAVOX.ini";
    EditorApplication app(environment(), embeddedResources());
    app.InitInstance();
    std::ofstream(app.nvsImageDir() / "a.bmp") << "image";
    const fs::path copy = app.gateway().libraryPath();
    std::string error;
    EXPECT_FALSE(app.ExitInstance(error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(filesIn(app.nvsImageDir()).empty());
    EXPECT_FALSE(fs::exists(copy));
}
