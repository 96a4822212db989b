// The texts of the "Program Schedule" dialog, which edits the document's
// schedule tasks and shows a schedule read from the sign.
#pragma once

#include <vector>

#include "app/DialogTexts.h"

namespace lumavox {

constexpr int kScheduleDialog = 600;

// Control ids of the schedule dialog (1 and 2 are OK and Cancel).
enum : int {
    kSchTaskList = 1001,  // "Task list"
    kSchEnable,           // "Enable this task"
    kSchPriority,         // "Priority"
    kSchWeekly,           // "Set weekly"
    kSchFrom,             // "From"
    kSchTo,               // "To"
    kSchTextFile,         // "Text file"
    kSchRunDate,          // "Run date"
    kSchRunTime,          // "Run time"
    kSchTimeFrom,         // "From [hh:mm]"
    kSchTimeTo,           // "To [hh:mm]"
    kSchAdd,              // "Add New Task"
    kSchDelete,           // "Delete Task"
    kSchUpdate,           // "Update"
};

// Adds the schedule dialog's texts to the built-in dialog texts.
void appendScheduleDialogTexts(std::vector<DialogTexts>& dialogs);

}  // namespace lumavox
