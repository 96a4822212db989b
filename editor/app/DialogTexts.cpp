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
              {kAboutVersionControl, "Version\t:\t4.0.0.6"},
              {kAboutDateControl, "Date\t:\t09 November, 2011"}}},
        };
        appendUpdateDialogTexts(d);
        appendScheduleDialogTexts(d);
        return d;
    }();
    return dialogs;
}

}  // namespace lumavox
