#include "editing/MenuTree.h"

#include "strings/StringTable.h"
#include "strings/TextGraphicTexts.h"

namespace lumavox {

namespace {

MenuEntry command(const char* text, int id) {
    return {MenuEntry::Command, text, id, {}};
}
// An entry whose text is a string-table text.
MenuEntry textCommand(int textId, int id) {
    return {MenuEntry::Command, text(textId), id, {}, textId};
}
MenuEntry separator() {
    return {MenuEntry::Separator, "", 0, {}};
}
MenuEntry popup(const char* text, std::vector<MenuEntry> items) {
    return {MenuEntry::Popup, text, 0, std::move(items)};
}

constexpr int kWindowListPopup = 9;
constexpr size_t kWindowListNumbered = 4;

void numberItems(const std::vector<MenuEntry>& items, std::vector<int>& position, size_t limit,
                 int& next, std::vector<NumberedMenuEntry>& out) {
    for (size_t i = 0; i < items.size() && i < limit; ++i) {
        const MenuEntry& e = items[i];
        if (e.kind == MenuEntry::Separator || e.textId != 0) continue;
        if (e.command > cmd::kRecentFileFirst && e.command <= cmd::kRecentFileLast) continue;
        position.push_back(static_cast<int>(i));
        out.push_back({next++, &e, position});
        if (e.kind == MenuEntry::Popup) {
            bool windowList = position.size() == 1 && i == kWindowListPopup;
            numberItems(e.items, position, windowList ? kWindowListNumbered : e.items.size(), next,
                        out);
        }
        position.pop_back();
    }
}

}  // namespace

const std::vector<MenuEntry>& mainMenu() {
    static const std::vector<MenuEntry> bar = {
        popup("&File",
              {command("Language", cmd::kLanguage), command("&New\tCtrl+N", cmd::kFileNew),
               command("&Open...\tCtrl+O", cmd::kFileOpen), command("&Close", cmd::kFileClose),
               command("&Save\tCtrl+S", cmd::kFileSave), command("Save &As...", cmd::kFileSaveAs),
               separator(), command("Recent File", cmd::kRecentFileFirst), separator(),
               command("E&xit", cmd::kAppExit)}),
        popup("&Edit",
              {command("&Redo\tCtrl+Y", cmd::kEditRedo), command("&Undo\tCtrl+Z", cmd::kEditUndo),
               separator(), command("Cu&t\tCtrl+X", cmd::kEditCut),
               command("&Copy\tCtrl+C", cmd::kEditCopy), command("&Paste\tCtrl+V", cmd::kEditPaste),
               separator(), command("Edit...", cmd::kEditItem)}),
        popup(
            "Insert",
            {command("Graphic...", cmd::kInsertGraphic), command("Window...", cmd::kInsertWindow),
             command("Date && Time", cmd::kInsertDateTime),
             command("Move Method...", cmd::kInsertMove),
             command("Row Space...", cmd::kInsertRowSpace), command("Speed...", cmd::kInsertSpeed),
             command("Pause Time...", cmd::kInsertPause), command("Beep...", cmd::kInsertBeep),
             command("Temperature...", cmd::kInsertTemperature), separator(),
             command("Include Text File...", cmd::kInsertInclude),
             command("Normal/Special European Characters", cmd::kInsertCharacters),
             textCommand(msg::kTextGraphicMenu, cmd::kInsertTextGraphic),
             command("Counter", cmd::kInsertCounter)}),
        popup(
            "&Update",
            {command("Change Address", cmd::kChangeAddress),
             command("Change Baud Rate", cmd::kChangeBaud), separator(),
             command("All(Text Files, Graphic Files and Schedules)", cmd::kSendAll),
             command("Text File", cmd::kSendText), command("Graphic File", cmd::kSendGraphic),
             command("Schedule...", cmd::kSendSchedule), separator(),
             command("Adjust Time", cmd::kAdjustTime),
             command("Test Display Board", cmd::kTestDisplay),
             command("Turn the Sign OFF", cmd::kSignOff), command("Turn the Sign ON", cmd::kSignOn),
             command("Settings for Auto ON/OFF", cmd::kAutoOnOff),
             command("Clear The Sign", cmd::kClearSign),
             command("Set Default File", cmd::kSetDefaultFile)}),
        popup("&Read",
              {command("Memory Info...", cmd::kReadMemory), command("Text File...", cmd::kReadText),
               command("Graphic File...", cmd::kReadGraphic),
               command("Schedule Task...", cmd::kReadSchedule),
               command("Default File...", cmd::kReadDefault),
               command("Auto ON/OFF Settings...", cmd::kReadAutoOnOff),
               command("Sign BIOS Information...", cmd::kReadBios),
               command("Product S/N...", cmd::kReadSerial),
               command("Config Word", cmd::kReadConfig)}),
        popup("&Communication Settings",
              {command("Communication Mode Settings...", cmd::kCommunicationMode),
               command("Set &Comport && Addr.(RS-232)...", cmd::kComportAddress),
               command("Set &Baud Rate(RS-232)...", cmd::kBaudRate), separator(),
               command("Select Modem...", cmd::kSelectModem),
               command("Dial by Modem...", cmd::kDialModem),
               command("Hang Up Modem Connection", cmd::kHangUpModem),
               command("Hang Up TCP/IP Connection", cmd::kHangUpTcpIp)}),
        popup("File &Manage", {command("Graphic File...", cmd::kManageGraphics),
                               command("Window File...", cmd::kManageWindowFiles), separator(),
                               command("Add Text File...", cmd::kAddTextFile),
                               command("Switch Text File...", cmd::kSwitchTextFile),
                               command("Remove Text File...", cmd::kRemoveTextFile)}),
        popup("&View",
              {command("&Toolbar", cmd::kViewToolbar), command("&Status Bar", cmd::kViewStatusBar),
               command("&ControlBar", cmd::kViewControlBar),
               command("&DrawTool Bar", cmd::kViewDrawToolBar), separator(),
               command("&Preview...", cmd::kPreview)}),
        popup("&Window",
              {command("&Cascade", cmd::kWindowCascade), command("&Tile", cmd::kWindowTile)}),
        popup("&Help", {command("&About LUMAVOX...", cmd::kAppAbout)}),
    };
    return bar;
}

const std::vector<MenuEntry>& noDocumentMenu() {
    static const std::vector<MenuEntry> bar = {
        popup("&File", {command("Language", cmd::kLanguage), command("&New\tCtrl+N", cmd::kFileNew),
                        command("&Open...\tCtrl+O", cmd::kFileOpen), separator(),
                        command("Recent File", cmd::kRecentFileFirst), separator(),
                        command("E&xit", cmd::kAppExit)}),
        popup("&View", {command("&Toolbar", cmd::kViewToolbar),
                        command("&Status Bar", cmd::kViewStatusBar)}),
        popup("&Help", {command("&About LUMAVOX...", cmd::kAppAbout)}),
    };
    return bar;
}

const std::vector<MenuEntry>& graphicEditorMenu() {
    static const std::vector<MenuEntry> bar = {
        popup("File", {command("Import Graphic...", cmd::kGraphicImport),
                       command("Export Graphic...", cmd::kGraphicExport)}),
        popup("Edit",
              {command("Undo", cmd::kGraphicUndo), command("Redo", cmd::kGraphicRedo), separator(),
               command("Copy", cmd::kGraphicCopy), command("Cut", cmd::kGraphicCut),
               command("Paste", cmd::kGraphicPaste), command("Delete", cmd::kGraphicDelete),
               separator(), command("Save and Return", cmd::kGraphicSaveReturn)}),
    };
    return bar;
}

const std::vector<MenuEntry>& windowEditorMenu() {
    static const std::vector<MenuEntry> bar = {
        popup("Edit", {command("Add New Area", cmd::kWindowAddArea),
                       command("Delete Area", cmd::kWindowDeleteArea),
                       command("Display Sequence Order", cmd::kWindowOrder)}),
    };
    return bar;
}

std::vector<NumberedMenuEntry> numberMenu(const std::vector<MenuEntry>& bar, int base) {
    std::vector<NumberedMenuEntry> out;
    std::vector<int> position;
    int next = base;
    numberItems(bar, position, bar.size(), next, out);
    return out;
}

namespace {

// The label part of a menu text (before the accelerator text).
size_t labelEnd(const std::string& text) {
    const size_t tab = text.find('\t');
    return tab == std::string::npos ? text.size() : tab;
}

bool isMnemonicChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

void giveMnemonics(std::vector<MenuEntry>& items) {
    std::string used;
    for (const MenuEntry& e : items)
        if (e.kind != MenuEntry::Separator)
            if (auto m = menuMnemonic(e.text)) used += lower(*m);
    for (MenuEntry& e : items) {
        if (e.kind == MenuEntry::Popup) giveMnemonics(e.items);
        if (e.kind == MenuEntry::Separator || menuMnemonic(e.text)) continue;
        const size_t end = labelEnd(e.text);
        // The first letter of a word, else any letter, not taken by a sibling.
        size_t chosen = std::string::npos;
        for (int pass = 0; pass < 2 && chosen == std::string::npos; ++pass)
            for (size_t i = 0; i < end; ++i) {
                const char c = e.text[i];
                const bool wordStart = i == 0 || !isMnemonicChar(e.text[i - 1]);
                if (e.text[i] == '&') {
                    ++i;  // "&&" stands for one ampersand
                    continue;
                }
                if (!isMnemonicChar(c) || (pass == 0 && !wordStart) ||
                    used.find(lower(c)) != std::string::npos)
                    continue;
                chosen = i;
                break;
            }
        if (chosen == std::string::npos) continue;
        used += lower(e.text[chosen]);
        e.text.insert(chosen, 1, '&');
    }
}

}  // namespace

std::optional<char> menuMnemonic(const std::string& text) {
    const size_t end = labelEnd(text);
    for (size_t i = 0; i + 1 < end; ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] != '&') return text[i + 1];
        ++i;
    }
    return std::nullopt;
}

std::vector<MenuEntry> withMnemonics(std::vector<MenuEntry> bar) {
    giveMnemonics(bar);
    return bar;
}

std::vector<NamedMenu> allMenus() {
    return {{&mainMenu(), kMainMenuBase},
            {&graphicEditorMenu(), kGraphicMenuBase},
            {&windowEditorMenu(), kWindowFileMenuBase},
            {&noDocumentMenu(), kNoDocumentMenuBase}};
}

}  // namespace lumavox
