// The texts of the editor's window: the status-bar prompt of every menu
// command (under the command's own number) and the questions and labels of the
// main window. They belong to the string table like every other text, so a
// language file can replace them.
#pragma once

#include <map>
#include <string>

namespace lumavox {

namespace msg {
enum : int {
    kSaveChangesQuestion = 34000,
    kReadyPrompt = 34001,
    kUntitledTitle = 34002,
    kOpenFilter = 34003,
    kOpenTitle = 34004,
    kSaveAsTitle = 34005,
    kNotAvailableYet = 34007,
    kNewSignTitle = 34008,
    kNewSignWidth = 34009,
    kNewSignHeight = 34010,
    kNewSignColour = 34011,
    kNewSignTriColour = 34012,
    kNewSignSingleColour = 34013,
    kToolbarTitle = 34015,
    kPropertyBarTitle = 34016,
    kDrawToolBarTitle = 34017,
    kCannotOpenFile = 34018,
    kRecentFileGone = 34019,
    kPropertyHeader = 34020,
    kValueHeader = 34021,
    kSignTooLargeToShow = 34022,
    // The edit view's context menu: the clipboard and Select All
    kMenuCut = 34040,
    kMenuCopy = 34041,
    kMenuPaste = 34042,
    kMenuSelectAll = 34043,
    // The status pane of the caret row's width against the sign's
    kPaneRowWidth = 34044,  // "Row %d/%d dots"
    // The Send All button's tool tip
    kSendAllTip = 34045,
};
}  // namespace msg

// The operation dialog and the communication settings dialogs.
namespace msg {
enum : int {
    kUpdateKindTitle = 34100,  // + UpdateKind: the operation dialog's title
    kListTextFiles = 34140,
    kListGraphicFiles = 34141,
    kListTextFilesInBios = 34142,
    kListGraphicFilesInBios = 34143,
    kClearAllGraphicFiles = 34146,
    kReadDirectory = 34150,
    kComportAddrTitle = 34151,
    kIpAddrTitle = 34152,
    kGprsAddrTitle = 34153,
    kGroupNameBlank = 34155,
    kGroupIpBlank = 34156,
    kSignBaudTitle = 34163,
    kSignBaudHelp = 34164,
    kButtonUpdate = 34165,
    kButtonClose = 34166,
    kNoPortFound = 34167,
};
}  // namespace msg

// The schedule dialog.
namespace msg {
enum : int {
    kPriorityLowName = 34600,  // "LOW", "NORMAL", "HIGH" .. 34602
    kScheduleReadTitle = 34603,
};
}  // namespace msg

// Adds the window's texts to the built-in table.
void addWindowTexts(std::map<int, std::string>& table);

}  // namespace lumavox
