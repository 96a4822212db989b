#include "app/DialogTexts.h"

namespace lumavox {

const std::vector<DialogTexts>& builtInDialogTexts() {
    static const std::vector<DialogTexts> dialogs = {
        {kLanguageDialog, "Language setting", {{kControlOk, "OK"}, {kControlCancel, "Cancel"}}},
    };
    return dialogs;
}

}  // namespace lumavox
