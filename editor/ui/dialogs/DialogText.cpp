#include "ui/dialogs/DialogText.h"

#include "app/DialogTexts.h"
#include "app/LanguageManager.h"
#include "ui/bridge/QtBridge.h"

namespace lumavox::ui {

QString dialogText(const LanguageManager* language, int templateId, int control) {
    if (language) {
        std::string shown = control == 0 ? language->DialogTitle(templateId)
                                         : language->DialogControlText(templateId, control);
        if (!shown.empty()) return qs(shown);
    }
    for (const DialogTexts& d : builtInDialogTexts()) {
        if (d.templateId != templateId) continue;
        if (control == 0) return qs(d.title);
        for (const DialogControlText& c : d.controls)
            if (c.controlId == control) return qs(c.text);
    }
    return {};
}

}  // namespace lumavox::ui
