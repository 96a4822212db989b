// The recent-file list of the File menu, and the NVS family's main menu.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/RecentFiles.h"
#include "editing/NvsMenu.h"
#include "platform/Profile.h"
#include "support/TestSupport.h"

using namespace lumavox;
using namespace lumavox::test;

namespace {

using Files = std::vector<std::string>;

// Every command id of a menu tree, in order.
void commandsOf(const std::vector<MenuEntry>& items, std::vector<int>& out) {
    for (const MenuEntry& e : items) {
        if (e.kind == MenuEntry::Command) out.push_back(e.command);
        commandsOf(e.items, out);
    }
}

const MenuEntry* popupHolding(const std::vector<MenuEntry>& bar, int command) {
    for (const MenuEntry& top : bar)
        for (const MenuEntry& e : top.items)
            if (e.command == command) return &top;
    return nullptr;
}

size_t separators(const MenuEntry& popup) {
    return static_cast<size_t>(
        std::count_if(popup.items.begin(), popup.items.end(),
                      [](const MenuEntry& e) { return e.kind == MenuEntry::Separator; }));
}

}  // namespace

TEST(RecentFiles, MostRecentFirstEachOnceAtMostFour) {
    RecentFileList list;
    for (const char* f : {"/a.glm", "/b.glm", "/c.glm", "/d.glm"})
        list.add(f);
    EXPECT_EQ(list.files(), (Files{"/d.glm", "/c.glm", "/b.glm", "/a.glm"}));
    list.add("/b.glm");
    EXPECT_EQ(list.files(), (Files{"/b.glm", "/d.glm", "/c.glm", "/a.glm"}));
    list.add("/e.glm");
    EXPECT_EQ(list.files(), (Files{"/e.glm", "/b.glm", "/d.glm", "/c.glm"}));
    list.add("");
    EXPECT_EQ(list.files().size(), 4u);
    list.remove("/d.glm");
    EXPECT_EQ(list.files(), (Files{"/e.glm", "/b.glm", "/c.glm"}));
}

TEST(RecentFiles, PersistInThePerUserStore) {
    TempDir dir;
    Profile store = Profile::load(dir / "user.ini");
    store.setString("Recent File List", "File4", "/stale.glm");
    RecentFileList list;
    list.add("/one.glm");
    list.add("/two.glm");
    list.save(store);
    EXPECT_EQ(store.getString("Recent File List", "File1"), "/two.glm");
    EXPECT_EQ(store.getString("Recent File List", "File2"), "/one.glm");
    EXPECT_FALSE(store.hasKey("Recent File List", "File3"));
    EXPECT_FALSE(store.hasKey("Recent File List", "File4"));
    std::string error;
    ASSERT_TRUE(store.save(error));

    RecentFileList loaded;
    loaded.load(Profile::load(dir / "user.ini"));
    EXPECT_EQ(loaded.files(), list.files());
}

TEST(RecentFiles, LoadingSkipsGapsAndRepeats) {
    Profile store = Profile::parse(
        "[Recent File List]\nFile1=/a.glm\nFile2=\nFile3=/a.glm\nFile4=/b.glm\nFile5=/x.glm\n");
    RecentFileList list;
    list.load(store);
    EXPECT_EQ(list.files(), (Files{"/a.glm", "/b.glm"}));
}

TEST(RecentFiles, MenuTextsNumberTheEntriesAndKeepTheFileName) {
    RecentFileList list;
    list.add("/home/user/signs/2024/spring/shop-window.glm");
    list.add("/tmp/R&D.glm");
    EXPECT_EQ(list.menuText(0), "&1 /tmp/R&&D.glm");
    EXPECT_EQ(list.menuText(1), "&2 /home/.../shop-window.glm");
    EXPECT_EQ(list.menuText(2), "");
}

TEST(NvsMenu, RemovesWhatTheNvsSignsCannotDo) {
    std::vector<MenuEntry> nvs = nvsMainMenu(mainMenu());
    EXPECT_EQ(nvs.size(), mainMenu().size() - 1);
    for (const MenuEntry& top : nvs)
        EXPECT_NE(top.text, "&Read");
    std::vector<int> kept;
    commandsOf(nvs, kept);
    for (int removed : {cmd::kInsertInclude, cmd::kChangeBaud, cmd::kSendText, cmd::kSendGraphic,
                        cmd::kSendSchedule, cmd::kTestDisplay, cmd::kAutoOnOff, cmd::kReadMemory,
                        cmd::kReadText, cmd::kReadConfig})
        EXPECT_EQ(std::count(kept.begin(), kept.end(), removed), 0) << removed;

    std::vector<int> all;
    commandsOf(mainMenu(), all);
    EXPECT_EQ(kept.size(), all.size() - 7 - 9);

    const MenuEntry* update = popupHolding(nvs, cmd::kSendAll);
    ASSERT_NE(update, nullptr);
    EXPECT_EQ(separators(*update), separators(*popupHolding(mainMenu(), cmd::kSendAll)) - 1);
    std::vector<std::string> texts;
    for (const MenuEntry& e : update->items)
        texts.push_back(e.kind == MenuEntry::Separator ? "-" : e.text);
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "Change Address", "All(Text Files, Graphic Files and Schedules)", "-",
                         "Adjust Time", "Turn the Sign OFF", "Turn the Sign ON", "Clear The Sign",
                         "Set Default File"}));
}

TEST(NvsMenu, FindsEntriesByCommandInATranslatedBarAndTakesARedundantSeparator) {
    std::vector<MenuEntry> bar = mainMenu();
    for (MenuEntry& top : bar) {
        top.text = "x" + top.text;
        for (MenuEntry& e : top.items)
            e.text = "x" + e.text;
    }
    // An Insert menu whose separator stands alone at the end once the included
    // text file is gone.
    MenuEntry* insert = nullptr;
    for (MenuEntry& top : bar)
        for (const MenuEntry& e : top.items)
            if (e.command == cmd::kInsertGraphic) insert = &top;
    ASSERT_NE(insert, nullptr);
    // The menu's own separator goes first; this bar has two more.
    std::erase_if(insert->items, [](const MenuEntry& e) { return e.kind == MenuEntry::Separator; });
    insert->items.insert(insert->items.begin() + 1, MenuEntry{MenuEntry::Separator, "", 0, {}});
    insert->items.push_back(MenuEntry{MenuEntry::Separator, "", 0, {}});
    insert->items.push_back(MenuEntry{MenuEntry::Command, "xInclude", cmd::kInsertInclude, {}});

    std::vector<MenuEntry> nvs = nvsMainMenu(bar);
    EXPECT_EQ(nvs.size(), bar.size() - 1);
    const MenuEntry* nvsInsert = popupHolding(nvs, cmd::kInsertGraphic);
    ASSERT_NE(nvsInsert, nullptr);
    EXPECT_EQ(separators(*nvsInsert), 1u);
    EXPECT_EQ(nvsInsert->items[1].kind, MenuEntry::Separator);
    EXPECT_NE(nvsInsert->items.back().kind, MenuEntry::Separator);
}
