// The editor's menus as data: what each menu bar holds, the command id of every
// entry, and the numbering by which language files name menu entries
// ("IDS_MENU_" + number). The window layer builds its menus by walking these
// trees, so the numbers a translator sees and the menus the user sees come from
// one description.
#pragma once

#include <string>
#include <vector>

namespace lumavox {

// Command ids. Standard commands use the framework's usual numbers; the rest are
// the editor's own. A command's status-bar prompt is the string with its id.
namespace cmd {
enum : int {
    kGraphicImport = 32773,
    kGraphicExport = 32774,
    kGraphicUndo = 32775,
    kGraphicRedo = 32776,
    kGraphicCopy = 32777,
    kGraphicCut = 32778,
    kGraphicPaste = 32779,
    kGraphicDelete = 32780,
    kGraphicSaveReturn = 32824,

    kLanguage = 33500,
    kEditItem,
    kInsertGraphic,
    kInsertWindow,
    kInsertDateTime,
    kInsertMove,
    kInsertRowSpace,
    kInsertSpeed,
    kInsertPause,
    kInsertBeep,
    kInsertTemperature,
    kInsertInclude,
    kInsertCharacters,
    kInsertCounter,
    kChangeAddress,
    kChangeBaud,
    kSendAll,
    kSendText,
    kSendGraphic,
    kSendSchedule,
    kAdjustTime,
    kTestDisplay,
    kSignOff,
    kSignOn,
    kAutoOnOff,
    kClearSign,
    kSetDefaultFile,
    kReadMemory,
    kReadText,
    kReadGraphic,
    kReadSchedule,
    kReadDefault,
    kReadAutoOnOff,
    kReadBios,
    kReadSerial,
    kReadConfig,
    kCommunicationMode,
    kComportAddress,
    kBaudRate,
    kSelectModem,
    kDialModem,
    kHangUpModem,
    kHangUpTcpIp,
    kManageGraphics,
    kManageWindowFiles,
    kAddTextFile,
    kSwitchTextFile,
    kRemoveTextFile,
    kViewControlBar,
    kViewDrawToolBar,
    kPreview,
    kSendCurrent,
    kWindowAddArea,
    kWindowDeleteArea,
    kWindowOrder,

    kFileNew = 57600,
    kFileOpen = 57601,
    kFileClose = 57602,
    kFileSave = 57603,
    kFileSaveAs = 57604,
    kRecentFileFirst = 57616,  // the "Recent File" placeholder
    kRecentFileLast = 57631,   // further recent files, added at run time
    kEditCopy = 57634,
    kEditCut = 57635,
    kEditPaste = 57637,
    kEditUndo = 57643,
    kEditRedo = 57644,
    kWindowCascade = 57650,
    kWindowTile = 57651,
    kAppAbout = 57664,
    kAppExit = 57665,
    kViewToolbar = 59392,
    kViewStatusBar = 59393,
};
}  // namespace cmd

struct MenuEntry {
    enum Kind { Command, Popup, Separator };
    Kind kind = Command;
    std::string text;  // "\t" separates the accelerator text
    int command = 0;
    std::vector<MenuEntry> items;  // pop-ups only
};

// First numbers of the four menus.
constexpr int kMainMenuBase = 0;
constexpr int kGraphicMenuBase = 200;
constexpr int kWindowFileMenuBase = 300;
constexpr int kNoDocumentMenuBase = 400;

const std::vector<MenuEntry>& mainMenu();
const std::vector<MenuEntry>& noDocumentMenu();
const std::vector<MenuEntry>& graphicEditorMenu();
const std::vector<MenuEntry>& windowEditorMenu();

struct NumberedMenuEntry {
    int number;
    const MenuEntry* entry;
    std::vector<int> position;  // indexes from the menu bar down to the entry
};

// Numbers a menu bar's entries depth first, a pop-up before its items, from
// `base` upward. Separators and recent-file entries beyond the placeholder are
// not numbered; in the pop-up at bar position 9 only the first four entries
// are (the rest is the window list, which changes at run time).
std::vector<NumberedMenuEntry> numberMenu(const std::vector<MenuEntry>& bar, int base);

// Every menu with its base, for writing and checking language files.
struct NamedMenu {
    const std::vector<MenuEntry>* bar;
    int base;
};
std::vector<NamedMenu> allMenus();

}  // namespace lumavox
