#include "app/ScheduleDialog.h"

namespace lumavox {

void appendScheduleDialogTexts(std::vector<DialogTexts>& d) {
    d.push_back({kScheduleDialog,
                 "Program Schedule",
                 {{kControlOk, "OK"},
                  {kControlCancel, "Cancel"},
                  {kSchTaskList, "Task list"},
                  {kSchEnable, "Enable this task"},
                  {kSchPriority, "Priority"},
                  {kSchWeekly, "Set weekly"},
                  {kSchFrom, "From"},
                  {kSchTo, "To"},
                  {kSchTextFile, "Text file"},
                  {kSchRunDate, "Run date"},
                  {kSchRunTime, "Run time"},
                  {kSchTimeFrom, "From [hh:mm]"},
                  {kSchTimeTo, "To [hh:mm]"},
                  {kSchAdd, "Add New Task"},
                  {kSchDelete, "Delete Task"},
                  {kSchUpdate, "Update"}}});
}

}  // namespace lumavox
