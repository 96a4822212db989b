// Command availability by editing mode and family, the editing mode's changes,
// the status panes and the edit view's context menu.
#include "editing/EditModes.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>

#include "app/AppTestSupport.h"
#include "editing/ContextMenu.h"
#include "editing/MenuTree.h"
#include "strings/StringTable.h"

namespace lumavox {
namespace {

CommandState textState(SignMode family = SignMode::KV2) {
    CommandState s;
    s.editMode = kModeText;
    s.family = family;
    s.documentOpen = true;
    s.textEditingAllowed = true;
    return s;
}

// Every command id of the menus, walked from the menu trees.
std::vector<int> commandsOf(const std::vector<MenuEntry>& bar) {
    std::vector<int> ids;
    for (const MenuEntry& popup : bar)
        for (const MenuEntry& e : popup.items)
            if (e.kind == MenuEntry::Command) ids.push_back(e.command);
    return ids;
}

std::vector<int> popupCommands(const std::string& title) {
    for (const MenuEntry& popup : mainMenu())
        if (popup.text == title) return commandsOf({popup});
    return {};
}

const std::vector<int> kSendAndRead = [] {
    std::vector<int> ids = popupCommands("&Update");
    for (int id : popupCommands("&Read"))
        ids.push_back(id);
    ids.push_back(cmd::kSendCurrent);
    return ids;
}();

TEST(CommandAvailability, EverythingOfTheDocumentMenuInTextMode) {
    CommandState s = textState();
    s.selection = true;
    s.clipboardHasText = true;
    s.undoSnapshots = 2;
    s.redoSnapshots = 1;
    s.caretOnGraphic = true;
    s.recentFiles = 1;
    for (int id : commandsOf(mainMenu()))
        EXPECT_TRUE(commandEnabled(id, s)) << id;
    EXPECT_TRUE(commandEnabled(cmd::kSendCurrent, s));
    // The window editor's and graphic editor's commands belong to their modes.
    for (int id : commandsOf(windowEditorMenu()))
        EXPECT_FALSE(commandEnabled(id, s)) << id;
    for (int id : commandsOf(graphicEditorMenu()))
        EXPECT_FALSE(commandEnabled(id, s)) << id;
}

TEST(CommandAvailability, NoReadCommandsAndNoSingleFileSendInNvs) {
    CommandState s = textState(SignMode::NVS);
    for (int id : popupCommands("&Read"))
        EXPECT_FALSE(commandEnabled(id, s)) << id;
    EXPECT_FALSE(commandEnabled(cmd::kSendText, s));
    EXPECT_FALSE(commandEnabled(cmd::kSendCurrent, s));
    EXPECT_TRUE(commandEnabled(cmd::kSendAll, s));
    EXPECT_TRUE(commandEnabled(cmd::kAdjustTime, s));
}

TEST(CommandAvailability, PreviewBlocksEverySendAndReadButNotTheHangUps) {
    CommandState s = textState();
    s.editMode = kModePreview;
    s.previewOpen = true;
    s.textEditingAllowed = textEditingAllowed(s.editMode, false);
    for (int id : kSendAndRead)
        EXPECT_FALSE(commandEnabled(id, s)) << id;
    EXPECT_TRUE(commandEnabled(cmd::kHangUpModem, s));
    EXPECT_TRUE(commandEnabled(cmd::kHangUpTcpIp, s));
    EXPECT_FALSE(commandEnabled(cmd::kPreview, s));
    EXPECT_FALSE(commandEnabled(cmd::kFileNew, s));
    EXPECT_FALSE(commandEnabled(cmd::kLanguage, s));
    EXPECT_FALSE(commandEnabled(cmd::kInsertSpeed, s));
    // Even if the mode were not yet switched, an open preview blocks sends.
    s.editMode = kModeText;
    for (int id : kSendAndRead)
        EXPECT_FALSE(commandEnabled(id, s)) << id;
}

TEST(CommandAvailability, OnlyNormalModeSendsReadsAndManagesFiles) {
    for (int mode : {kModeWindowEditor, kModeWindowFile, kModeGraphicEditor}) {
        CommandState s = textState();
        s.editMode = mode;
        for (int id : kSendAndRead)
            EXPECT_FALSE(commandEnabled(id, s)) << mode << " " << id;
        for (int id : popupCommands("File &Manage"))
            EXPECT_FALSE(commandEnabled(id, s)) << mode << " " << id;
        for (int id : {cmd::kFileNew, cmd::kFileOpen, cmd::kLanguage, cmd::kPreview,
                       cmd::kCommunicationMode, cmd::kComportAddress, cmd::kDialModem})
            EXPECT_FALSE(commandEnabled(id, s)) << mode << " " << id;
        EXPECT_TRUE(commandEnabled(cmd::kHangUpModem, s));
        EXPECT_TRUE(commandEnabled(cmd::kFileSave, s));
    }
}

TEST(CommandAvailability, InsertOnlyWhileTextEditingIsAllowed) {
    const std::vector<int> inserts = popupCommands("Insert");
    ASSERT_EQ(inserts.size(), 13u);  // with "Text as Graphic..."
    CommandState s = textState();
    s.editMode = kModeWindowFile;
    // Mode 2: only the view that edits the window file.
    s.textEditingAllowed = textEditingAllowed(kModeWindowFile, true);
    for (int id : inserts)
        EXPECT_TRUE(commandEnabled(id, s)) << id;
    s.textEditingAllowed = textEditingAllowed(kModeWindowFile, false);
    for (int id : inserts)
        EXPECT_FALSE(commandEnabled(id, s)) << id;
    for (int mode : {kModeWindowEditor, kModeGraphicEditor, kModePreview})
        EXPECT_FALSE(textEditingAllowed(mode, true));
    EXPECT_TRUE(textEditingAllowed(kModeText, false));
}

TEST(CommandAvailability, EditCommandsFollowSelectionClipboardAndHistory) {
    CommandState s = textState();
    EXPECT_FALSE(commandEnabled(cmd::kEditCopy, s));
    EXPECT_FALSE(commandEnabled(cmd::kEditCut, s));
    EXPECT_FALSE(commandEnabled(cmd::kEditPaste, s));
    s.undoSnapshots = 1;  // only the current state
    EXPECT_FALSE(commandEnabled(cmd::kEditUndo, s));
    EXPECT_FALSE(commandEnabled(cmd::kEditRedo, s));
    EXPECT_FALSE(commandEnabled(cmd::kEditItem, s));

    s.selection = true;
    s.clipboardHasItems = true;
    s.undoSnapshots = 2;
    s.redoSnapshots = 1;
    s.caretOnWindowControl = true;
    for (int id : {cmd::kEditCopy, cmd::kEditCut, cmd::kEditPaste, cmd::kEditUndo, cmd::kEditRedo,
                   cmd::kEditItem})
        EXPECT_TRUE(commandEnabled(id, s)) << id;
    s.textEditingAllowed = false;
    for (int id : {cmd::kEditCopy, cmd::kEditCut, cmd::kEditPaste, cmd::kEditUndo, cmd::kEditRedo,
                   cmd::kEditItem})
        EXPECT_FALSE(commandEnabled(id, s)) << id;
}

TEST(CommandAvailability, WithoutADocument) {
    CommandState s;
    s.recentFiles = 1;
    for (int id : commandsOf(noDocumentMenu()))
        EXPECT_TRUE(commandEnabled(id, s)) << id;
    for (int id : {cmd::kFileSave, cmd::kSendAll, cmd::kPreview, cmd::kEditPaste})
        EXPECT_FALSE(commandEnabled(id, s)) << id;
}

TEST(CommandAvailability, WindowEditorCommands) {
    CommandState s = textState();
    s.editMode = kModeWindowEditor;
    s.textEditingAllowed = false;
    EXPECT_FALSE(commandEnabled(cmd::kWindowAddArea, s));  // a preset layout
    EXPECT_FALSE(commandEnabled(cmd::kWindowDeleteArea, s));
    EXPECT_TRUE(commandEnabled(cmd::kWindowOrder, s));
    s.windowLayoutUserDefined = true;
    EXPECT_TRUE(commandEnabled(cmd::kWindowAddArea, s));
    EXPECT_TRUE(commandEnabled(cmd::kWindowDeleteArea, s));
}

TEST(EditModeStateTest, GraphicEditorRestoresTheModeItInterrupted) {
    EditModeState m;
    EXPECT_EQ(m.mode(), kModeText);
    m.openWindowEditor();
    m.beginWindowFile();
    EXPECT_EQ(m.mode(), kModeWindowFile);
    m.openGraphicEditor();
    EXPECT_EQ(m.mode(), kModeGraphicEditor);
    m.closeGraphicEditor();
    EXPECT_EQ(m.mode(), kModeWindowFile);
    m.endWindowFile();
    EXPECT_EQ(m.mode(), kModeWindowEditor);
    m.closeWindowEditor();
    m.openPreview();
    EXPECT_EQ(m.mode(), kModePreview);
    m.closePreview();
    EXPECT_EQ(m.mode(), kModeText);
}

// ---- Status panes ----

TEST(StatusPanes, PositionAndSizeByMode) {
    EXPECT_EQ(positionPaneSizingText(), "x=159,y=159");
    EXPECT_EQ(sizePaneSizingText(), "cx=159,cy=159");

    StatusPane p = positionPane(kModeGraphicEditor, std::pair{3, 12});
    EXPECT_TRUE(p.active);
    EXPECT_EQ(p.text, "x=3,y=12");
    EXPECT_FALSE(positionPane(kModeText, std::pair{3, 12}).active);

    StatusPane size = sizePane(kModeGraphicEditor, std::pair{32, 16}, 2);
    EXPECT_EQ(size.text, "cx=32,cy=16");
    StatusPane screen = sizePane(kModeText, std::nullopt, 2);
    EXPECT_TRUE(screen.active);
    EXPECT_EQ(screen.text, "2th Screen");
    StatusPane outside = sizePane(kModeText, std::nullopt, std::nullopt);
    EXPECT_FALSE(outside.active);
    EXPECT_TRUE(outside.text.empty());
    EXPECT_FALSE(sizePane(kModeWindowEditor, std::pair{1, 1}, 1).active);
}

TEST(StatusPanes, TypingMode) {
    EXPECT_EQ(typingModePane(true, false).text, "INS");
    EXPECT_EQ(typingModePane(true, true).text, "OVR");
    EXPECT_TRUE(typingModePane(false, true).text.empty());
}

// ---- Context menu ----

const ContextMenuEntry* popupNamed(const std::vector<ContextMenuEntry>& menu,
                                   const std::string& name) {
    for (const auto& e : menu)
        if (e.kind == ContextMenuEntry::Popup && e.text == name) return &e;
    return nullptr;
}

TEST(EditViewContextMenu, FontsColoursAndPropertiesWithTheOneInForceChecked) {
    ContextMenuState s;
    s.fonts = &test::signFonts();
    s.inForce = {4, 2, 1, 0};
    auto menu = editViewContextMenu(s);
    // The three pop-ups, then the clipboard and Select All.
    ASSERT_EQ(menu.size(), 3u + 6u);

    const ContextMenuEntry* fonts = popupNamed(menu, "Font");
    ASSERT_NE(fonts, nullptr);
    ASSERT_EQ(fonts->items.size(), static_cast<size_t>(test::signFonts().FontCount()));
    EXPECT_EQ(fonts->items[0].text, "SS5");
    EXPECT_EQ(fonts->items[0].command, 8041);
    EXPECT_TRUE(fonts->items[4].checked);
    EXPECT_FALSE(fonts->items[1].checked);

    const ContextMenuEntry* colours = popupNamed(menu, "Colo(u)r");
    ASSERT_NE(colours, nullptr);
    ASSERT_EQ(colours->items.size(), 17u);
    EXPECT_EQ(colours->items[2].text, "[GRN]");
    EXPECT_EQ(colours->items[2].command, 8144);
    EXPECT_TRUE(colours->items[2].checked);

    const ContextMenuEntry* props = popupNamed(menu, "Char Property");
    ASSERT_NE(props, nullptr);
    ASSERT_EQ(props->items.size(), 3u);
    EXPECT_EQ(props->items[1].text, "[Bold]");
    EXPECT_EQ(props->items[1].command, 8244);
    EXPECT_TRUE(props->items[1].checked);
}

TEST(EditViewContextMenu, TwentySixColoursInNvs) {
    ContextMenuState s;
    s.family = SignMode::NVS;
    auto menu = editViewContextMenu(s);
    const ContextMenuEntry* colours = popupNamed(menu, "Colo(u)r");
    ASSERT_NE(colours, nullptr);
    ASSERT_EQ(colours->items.size(), 26u);
    EXPECT_EQ(colours->items[1].text, "[WHT]");
    EXPECT_EQ(colours->items[25].text, "[INV9]");
    EXPECT_EQ(colours->items[25].command, 8167);
    EXPECT_TRUE(popupNamed(menu, "Font")->items.empty());  // no fonts loaded
}

TEST(EditViewContextMenu, MixedSelectionChecksNothing) {
    ContextMenuState s;
    s.fonts = &test::signFonts();
    s.inForce = {std::nullopt, std::nullopt, 0, 0};
    auto menu = editViewContextMenu(s);
    for (const auto& e : popupNamed(menu, "Colo(u)r")->items)
        EXPECT_FALSE(e.checked);
    for (const auto& e : popupNamed(menu, "Font")->items)
        EXPECT_FALSE(e.checked);
}

TEST(EditViewContextMenu, ItemAtCaretAndWindowFileEntries) {
    ContextMenuState s;
    TextItem graphic = TextItem::control(kGraphicItem, {});
    TextItem window = TextItem::window({});
    s.itemAtCaret = &graphic;
    auto menu = editViewContextMenu(s);
    ASSERT_EQ(menu.size(), 5u + 6u);
    EXPECT_EQ(menu[3].kind, ContextMenuEntry::Separator);
    EXPECT_EQ(menu[4].text, "Edit Graphic");
    EXPECT_EQ(menu[4].command, cmd::kEditItem);

    s.itemAtCaret = &window;
    s.editMode = kModeWindowFile;
    menu = editViewContextMenu(s);
    ASSERT_EQ(menu.size(), 7u + 6u);
    EXPECT_EQ(menu[4].text, "Edit WindowFile");
    EXPECT_EQ(menu[5].kind, ContextMenuEntry::Separator);
    EXPECT_EQ(menu[6].text, "End edit text of window");
    EXPECT_EQ(menu[6].command, cmd::kEndEditWindowText);
}

TEST(EditViewContextMenu, TheClipboardAndSelectAllFollowTheSelectionAndTheClipboard) {
    ContextMenuState s;
    auto find = [](const std::vector<ContextMenuEntry>& menu, int command) {
        for (const ContextMenuEntry& e : menu)
            if (e.command == command) return &e;
        return static_cast<const ContextMenuEntry*>(nullptr);
    };
    auto menu = editViewContextMenu(s);
    for (int command : {cmd::kEditCut, cmd::kEditCopy, cmd::kEditPaste, cmd::kEditSelectAll})
        ASSERT_NE(find(menu, command), nullptr) << command;
    EXPECT_FALSE(find(menu, cmd::kEditCut)->enabled);
    EXPECT_FALSE(find(menu, cmd::kEditCopy)->enabled);
    EXPECT_FALSE(find(menu, cmd::kEditPaste)->enabled);
    EXPECT_TRUE(find(menu, cmd::kEditSelectAll)->enabled);
    EXPECT_EQ(find(menu, cmd::kEditSelectAll)->text, "Select &All\tCtrl+A");
    s.selection = true;
    s.canPaste = true;
    menu = editViewContextMenu(s);
    EXPECT_TRUE(find(menu, cmd::kEditCut)->enabled);
    EXPECT_TRUE(find(menu, cmd::kEditCopy)->enabled);
    EXPECT_TRUE(find(menu, cmd::kEditPaste)->enabled);
}

TEST(CommandAvailability, RecentFilePlaceholderNeedsAFileAndSelectAllAText) {
    CommandState s;
    EXPECT_FALSE(commandEnabled(cmd::kRecentFileFirst, s));
    s.recentFiles = 1;
    EXPECT_TRUE(commandEnabled(cmd::kRecentFileFirst, s));
    EXPECT_FALSE(commandEnabled(cmd::kEditSelectAll, s));
    s.documentOpen = true;
    s.textEditingAllowed = true;
    EXPECT_TRUE(commandEnabled(cmd::kEditSelectAll, s));
}

TEST(MenuMnemonics, EveryEntryGetsALetterNoSiblingUses) {
    EXPECT_EQ(menuMnemonic("&File"), 'F');
    EXPECT_FALSE(menuMnemonic("Date && Time"));
    EXPECT_EQ(menuMnemonic("Cu&t\tCtrl+X"), 't');
    const std::vector<MenuEntry> bar = withMnemonics(mainMenu());
    for (const MenuEntry& popup : bar) {
        std::set<char> letters;
        ASSERT_TRUE(menuMnemonic(popup.text)) << popup.text;
        for (const MenuEntry& e : popup.items) {
            if (e.kind == MenuEntry::Separator) continue;
            const std::optional<char> m = menuMnemonic(e.text);
            ASSERT_TRUE(m) << e.text;
            EXPECT_TRUE(letters.insert(static_cast<char>(std::tolower(*m))).second) << e.text;
        }
    }
    // Given ones stay; the others take a word's first letter where it is free.
    EXPECT_EQ(bar[0].text, "&File");
    EXPECT_EQ(bar[2].text, "&Insert");
    EXPECT_EQ(bar[2].items[2].text, "&Date && Time");
    // A translation without any marks gets them all.
    std::vector<MenuEntry> german = mainMenu();
    german[0].text = "Datei";
    german[1].text = "Bearbeiten";
    german = withMnemonics(german);
    EXPECT_EQ(german[0].text, "&Datei");
    EXPECT_EQ(german[1].text, "&Bearbeiten");
}

TEST(StatusPanes, TheRowWidthPaneWarnsWhenTheSignCutsTheRow) {
    EXPECT_EQ(rowWidthPane(kModeText, 120, 160).text, "Row 120/160 dots");
    EXPECT_FALSE(rowWidthPane(kModeText, 160, 160).active);
    EXPECT_TRUE(rowWidthPane(kModeText, 161, 160).active);
    EXPECT_EQ(rowWidthPane(kModeGraphicEditor, 120, 160).text, "");
    EXPECT_EQ(rowWidthPane(kModeText, std::nullopt, 160).text, "");
}

TEST(EditViewContextMenu, ChoicesApplyThroughTheEditModel) {
    test::EditorFixture f("abc");
    const int fontCount = test::signFonts().FontCount();
    EXPECT_EQ(contextChoice(8041 + fontCount, fontCount, SignMode::KV2).what, ContextChoice::None);
    EXPECT_EQ(contextChoice(8142 + 17, fontCount, SignMode::KV2).what, ContextChoice::None);
    EXPECT_EQ(contextChoice(8142 + 17, fontCount, SignMode::NVS).what, ContextChoice::Colour);
    EXPECT_EQ(contextChoice(8246, fontCount, SignMode::KV2).what, ContextChoice::None);

    f.editor.select(0, 2);
    ASSERT_TRUE(applyContextChoice(f.editor, contextChoice(8144, fontCount, SignMode::KV2)));
    ASSERT_TRUE(applyContextChoice(f.editor, contextChoice(8245, fontCount, SignMode::KV2)));
    ASSERT_TRUE(applyContextChoice(f.editor, contextChoice(8043, fontCount, SignMode::KV2)));
    const auto& items = f.doc.currentFile()->items;
    EXPECT_EQ(items[1].ch().colour, 2);
    EXPECT_EQ(items[1].ch().property, 2);
    EXPECT_EQ(items[1].ch().font, 2);
    EXPECT_EQ(items[2].ch().colour, 1);
    EXPECT_EQ(f.doc.undoSnapshots(), 4u);  // three steps
}

}  // namespace
}  // namespace lumavox
