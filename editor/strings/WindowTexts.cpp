#include "strings/WindowTexts.h"

#include "strings/CommandIds.h"

namespace lumavox {

namespace {

// Prompts of the editor's own commands, in the order of their numbers from
// cmd::kLanguage to cmd::kWindowOrder.
const char* const kOwnPrompts[] = {
    "Select language which user want to set",
    "Edit window control char or graphic",
    "Insert a user-defined graphic",
    "Insert a sub-window with its areas",
    "Insert the date or the time",
    "Insert the method by which the next screen moves in and the previous one moves out",
    "Insert the pitch of the rows",
    "Insert the move speed of the chars",
    "Insert the time that the chars pause on the moving-sign",
    "Insert a beep",
    "Insert the temperature",
    "Insert a call of another text file",
    "Insert normal or special European characters",
    "Insert a counter that counts down to or up from a date",
    "Change the address of the Moving-Sign",
    "Change the baud rate of the Moving-Sign",
    "Send all text files,graphic files,schedule to Moving-Sign",
    "Send text file to Moving-Sign",
    "Send graphic file to Moving-Sign",
    "Edit the schedule and send it to Moving-Sign",
    "Adjust the time of Moving-Sign to the time of this computer",
    "Test the display board of Moving-Sign",
    "Turn the Moving-Sign off",
    "Turn the Moving-Sign on",
    "Set the times at which the Moving-Sign turns itself on and off",
    "Clear the memory of Moving-Sign",
    "Set the file that Moving-Sign shows when no schedule task runs",
    "Read the memory information of Moving-Sign",
    "Read text files from Moving-Sign",
    "Read graphic files from Moving-Sign",
    "Read the schedule tasks from Moving-Sign",
    "Read the default file of Moving-Sign",
    "Read the automatic on/off settings of Moving-Sign",
    "Read the BIOS information of Moving-Sign",
    "Read the product serial number of Moving-Sign",
    "Read the configuration word of Moving-Sign",
    "Select send communication mode(RS-232 or TCP/IP) and edit server IP address",
    "Set the comport and the address of Moving-Sign that will receive message",
    "Select the baud rate",
    "Select the modem which will be used to dial",
    "Dial the Moving-Sign by modem",
    "Hang up the modem connection",
    "Hang up the TCP/IP connection",
    "Delete or Rename old graphic",
    "Renane,delete or create a new window file",
    "Add a new text file",
    "Switch to another text file",
    "Remove a text file",
    "Show or hide the property bar",
    "Show or hide the drawing tool bar",
    "Simulate the display in sign",
    "Send current editing text file to Moving-Sign",
    "Add a new area to the window",
    "Delete the selected area of the window",
    "Set the order in which the areas are displayed",
};
}  // namespace

namespace {
void addUpdateDialogTexts(std::map<int, std::string>& t);
}  // namespace

void addWindowTexts(std::map<int, std::string>& t) {
    addUpdateDialogTexts(t);
    t[msg::kPriorityLowName] = "LOW";
    t[msg::kPriorityLowName + 1] = "NORMAL";
    t[msg::kPriorityLowName + 2] = "HIGH";
    t[msg::kScheduleReadTitle] = "Schedule read from Moving-Sign";
    static_assert(
        sizeof kOwnPrompts / sizeof kOwnPrompts[0] == cmd::kWindowOrder - cmd::kLanguage + 1,
        "one prompt for every command of the editor's own");
    int id = cmd::kLanguage;
    for (const char* prompt : kOwnPrompts)
        t[id++] = prompt;
    const std::map<int, std::string> framework = {
        {cmd::kFileNew, "Create a new document"},
        {cmd::kFileOpen, "Open an existing document"},
        {cmd::kFileClose, "Close the active document"},
        {cmd::kFileSave, "Save the active document"},
        {cmd::kFileSaveAs, "Save the active document with a new name"},
        {cmd::kRecentFileFirst, "Open this document"},
        {cmd::kEditCopy, "Copy the selection and put it on the Clipboard"},
        {cmd::kEditCut, "Cut the selection and put it on the Clipboard"},
        {cmd::kEditPaste, "Insert Clipboard contents"},
        {cmd::kEditUndo, "Undo the last action"},
        {cmd::kEditRedo, "Redo the previously undone action"},
        {cmd::kWindowCascade, "Arrange windows so they overlap"},
        {cmd::kWindowTile, "Arrange windows as non-overlapping tiles"},
        {cmd::kAppAbout, "Display program information, version number and copyright"},
        {cmd::kAppExit, "Quit the application; prompts to save documents"},
        {cmd::kViewToolbar, "Show or hide the toolbar"},
        {cmd::kViewStatusBar, "Show or hide the status bar"},
        {cmd::kGraphicImport, "Import a graphic from a BMP file"},
        {cmd::kGraphicExport, "Export the graphic to a BMP file"},
        {cmd::kGraphicUndo, "Undo the last drawing"},
        {cmd::kGraphicRedo, "Redo the previously undone drawing"},
        {cmd::kGraphicCopy, "Copy the selection and put it on the Clipboard"},
        {cmd::kGraphicCut, "Cut the selection and put it on the Clipboard"},
        {cmd::kGraphicPaste, "Insert Clipboard contents"},
        {cmd::kGraphicDelete, "Delete the selection"},
        {cmd::kGraphicSaveReturn, "Save the graphic and return to the text"},

        {msg::kSaveChangesQuestion, "Save changes to %s?"},
        {msg::kReadyPrompt, "Ready"},
        {msg::kUntitledTitle, "LUMAVOX%d"},
        {msg::kOpenFilter, "LUMAVOX Files (*.glm)"},
        {msg::kOpenTitle, "Open"},
        {msg::kSaveAsTitle, "Save As"},
        {msg::kNotAvailableYet, "This command is not available in this version."},
        {msg::kNewSignTitle, "New Moving-Sign document"},
        {msg::kNewSignWidth, "Width (dots):"},
        {msg::kNewSignHeight, "Height (dots):"},
        {msg::kNewSignColour, "Colour:"},
        {msg::kNewSignTriColour, "Tri-colour"},
        {msg::kNewSignSingleColour, "Single colour"},
        {msg::kToolbarTitle, "Toolbar"},
        {msg::kPropertyBarTitle, "ControlBar"},
        {msg::kDrawToolBarTitle, "DrawTool Bar"},
        {msg::kCannotOpenFile, "Cannot open the file '%s'."},
        {msg::kRecentFileGone, "The file '%s' no longer exists and is removed from the list."},
        {msg::kPropertyHeader, "Property"},
        {msg::kValueHeader, "Value"},
        {msg::kSignTooLargeToShow, "The sign of this document is too large to be shown."},
        {msg::kMenuCut, "Cu&t\tCtrl+X"},
        {msg::kMenuCopy, "&Copy\tCtrl+C"},
        {msg::kMenuPaste, "&Paste\tCtrl+V"},
        {msg::kMenuSelectAll, "Select &All\tCtrl+A"},
        {msg::kPaneRowWidth, "Row %d/%d dots"},
        {msg::kSendAllTip, "Send All"},
        {cmd::kEditSelectAll, "Select the entire text"},
    };
    for (const auto& [key, value] : framework)
        t.emplace(key, value);
}

}  // namespace lumavox

namespace lumavox {
namespace {
void addUpdateDialogTexts(std::map<int, std::string>& t) {
    const std::pair<int, const char*> titles[] = {
        {1, "Update text file"},
        {2, "Update graphic file"},
        {3, "Adjust time"},
        {4, "Send schedule to Moving-Sign"},
        {5, "Change address"},
        {6, "Test display board"},
        {7, "Turn the Sign OFF"},
        {8, "Turn the Sign ON"},
        {9, "Clear all memory"},
        {10, "Clear All Graphic Files"},
        {11, "Clear all schedule tasks"},
        {12, "Clear all text files"},
        {15, "Set default file"},
        {16, "Read text file"},
        {17, "Close test display board"},
        {19, "Read memory information from bios"},
        {20, "Read default file from bios"},
        {21, "Read schedule task from bios"},
        {22, "Read Graphic File"},
        {23, "Send all of text files,graphics,schedules"},
        {24, "Send auto on/off command"},
        {25, "Read settings of auto ON/OFF from bios"},
        {26, "Read BIOS information"},
        {27, "Read product S/N"},
        {28, "Read the CONFIG WORD from sign"},
        {29, "Set the sign's baud rate to another"},
        {30, "Send current editing text file"},
    };
    for (const auto& [kind, title] : titles)
        t[msg::kUpdateKindTitle + kind] = title;
    t[msg::kListTextFiles] = "Available Text Files";
    t[msg::kListGraphicFiles] = "Available Graphic Files";
    t[msg::kListTextFilesInBios] = "Available Text Files in BIOS";
    t[msg::kListGraphicFilesInBios] = "Available Graphic Files in BIOS";
    t[msg::kClearAllGraphicFiles] = "Clear All Graphic Files";
    t[msg::kReadDirectory] = "Read Directory";
    t[msg::kComportAddrTitle] = "Comport & Addr.";
    t[msg::kIpAddrTitle] = "IP address & Addr. of moving-sign";
    t[msg::kGprsAddrTitle] = "GPRS Group & Addr.";
    t[msg::kGroupNameBlank] = "Group name can't be left blank!";
    t[msg::kGroupIpBlank] = "IP address can't be left blank!";
    t[msg::kSignBaudTitle] = "Set the sign's baud rate to another";
    t[msg::kSignBaudHelp] =
        "If you press button 'Update' to change the sign's baud rate to another,when program "
        "prompt that it is successful to change the sign's baud rate, you must memorize this "
        "baud rate. Sign will use the new baud rate to communicate with PC software, so user "
        "must select menu \"&Communication Settings>Set &Baud Rate(RS-232)...\" to set the PC "
        "software baud rate as the same as the new baud rate, otherwise will cause the "
        "communication failed.";
    t[msg::kButtonUpdate] = "Update";
    t[msg::kButtonClose] = "Close";
    t[msg::kNoPortFound] = "No serial port was found.";
}
}  // namespace
}  // namespace lumavox
