// The numbers of the editor's menu commands. A command's status-bar prompt is
// the string-table text with the same number, so the numbers live beside the
// string table; the menus (editing/MenuTree.h) are built from them.
#pragma once

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
    kInsertTextGraphic,

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
    kEditSelectAll = 57642,  // the edit view's context menu and Ctrl+A
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

}  // namespace lumavox
