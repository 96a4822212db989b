#include "app/DialogTexts.h"

#include "app/AboutBox.h"
#include "app/ScheduleDialog.h"
#include "app/UpdateDialog.h"

namespace lumavox {

const std::vector<DialogTexts>& builtInDialogTexts() {
    static const std::vector<DialogTexts> dialogs = [] {
        std::vector<DialogTexts> d = {
            {kLanguageDialog, "Language setting", {{kControlOk, "OK"}, {kControlCancel, "Cancel"}}},
            {kAboutDialog,
             "About Zavar-Azu Zureruz Evazaz-Idar",
             {{kControlOk, "OK"},
              {kAboutGroupControl, "Version Information"},
              {kAboutVersionControl, "Version\t:\t" + std::string(kProgramVersion)},
              {kAboutDateControl, "Date\t:\t" + std::string(kProgramDate)}}},
            // The composing dialogs.
            {kInsertGraphicDialog, "Insert Graphic", {{kComposeControl, "Graphic File Name"}}},
            {kInsertWindowDialog,
             "Please set window property",
             {{kComposeControl, "How many windows is the screen split into:"},
              {kComposeControl + 1, "Layout of the windows:"},
              {kComposeControl + 2, "1"},
              {kComposeControl + 3, "2"},
              {kComposeControl + 4, "3"},
              {kComposeControl + 5, "4"},
              {kComposeControl + 6, "user-defined "},
              // The names of preset layouts 1-8.
              {kComposeControl + 7, "Full screen"},
              {kComposeControl + 8, "Top and bottom halves"},
              {kComposeControl + 9, "Left and right halves"},
              {kComposeControl + 10, "Top half, two quarters below"},
              {kComposeControl + 11, "Left half, two quarters on the right"},
              {kComposeControl + 12, "Two quarters on top, bottom half"},
              {kComposeControl + 13, "Two quarters on the left, right half"},
              {kComposeControl + 14, "Four quarters"}}},
            {kInsertDateTimeDialog, "Insert Date & Time", {{kComposeControl, "Format"}}},
            {kInsertMoveDialog,
             "Move Method",
             {{kComposeControl, "Move In"}, {kComposeControl + 1, "Move Out"}}},
            {kInsertRowSpaceDialog, "Row Space", {{kComposeControl, "Row pitch (dots)"}}},
            {kInsertSpeedDialog, "Speed", {{kComposeControl, "Speed"}}},
            {kInsertPauseDialog, "Pause Time", {{kComposeControl, "Pause time"}}},
            {kInsertBeepDialog, "Beep", {{kComposeControl, "Beep"}}},
            {kInsertTemperatureDialog, "Temperature", {{kComposeControl, "Format"}}},
            {kInsertIncludeDialog, "Include Text File", {{kComposeControl, "Text file"}}},
            {kInsertCounterDialog,
             "Counter",
             {{kComposeControl, "Type"},
              {kComposeControl + 1, "Format"},
              {kComposeControl + 2, "End Date"},
              {kComposeControl + 3, "From Date"},
              {kComposeControl + 4, "Set Date..."}}},
            {kCounterDateDialog,
             "Date and Time",
             {{kComposeControl, "Date"}, {kComposeControl + 1, "Time"}}},
            {kCharacterSheetDialog,
             "Normal/Special European Characters",
             {{kControlCancel, "Cancel"}}},
            {kNormalCharsPage, "Normal Characters", {}},
            {kEuropeanCharsPage, "Special European Characters", {}},
            {kGraphicManageDialog,
             "Graphic File",
             {{kComposeControl, "New..."},
              {kComposeControl + 1, "Delete"},
              {kComposeControl + 2, "Rename..."},
              {kControlCancel, "Close"}}},
            {kGraphicInfoDialog,
             "Graphic information setting",
             {{kComposeControl, "Graphic File Name"},
              {kComposeControl + 1, "Size of Graphic"},
              {kComposeControl + 2, "Width"},
              {kComposeControl + 3, "Height"}}},
            {kWindowFileManageDialog,
             "Window File",
             {{kComposeControl, "Create..."},
              {kComposeControl + 1, "Rename..."},
              {kComposeControl + 2, "Delete"},
              {kControlCancel, "Close"}}},
            {kWindowFileNameDialog, "Window File Name", {{kComposeControl, "File Name"}}},
            {kAddTextFileDialog, "Add Text File", {{kComposeControl, "File Name"}}},
            {kSwitchTextFileDialog, "Switch Text File", {{kComposeControl, "Text file"}}},
            {kRemoveTextFileDialog, "Remove Text File", {{kComposeControl, "Text file"}}},
            {kRenameFileDialog, "Rename", {{kComposeControl, "New Name"}}},
            {kWindowFileCallDialog,
             "Insert a window file to a sub-window",
             {{kComposeControl, "New..."},
              {kComposeControl + 1, "Rename..."},
              {kComposeControl + 2, "Delete"},
              {kControlOk, "OK"},
              {kControlCancel, "Cancel"}}},
        };
        appendUpdateDialogTexts(d);
        appendScheduleDialogTexts(d);
        return d;
    }();
    return dialogs;
}

}  // namespace lumavox
