#include "ui/dialogs/DialogText.h"
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

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

QDialogButtonBox* okCancelButtons(QDialog* dialog, const LanguageManager* language,
                                  int templateId) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    if (QString t = dialogText(language, templateId, kControlOk); !t.isEmpty())
        buttons->button(QDialogButtonBox::Ok)->setText(t);
    if (QString t = dialogText(language, templateId, kControlCancel); !t.isEmpty())
        buttons->button(QDialogButtonBox::Cancel)->setText(t);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

bool passesRefusal(QWidget* parent, const std::string& refusal) {
    if (refusal.empty()) return true;
    showMessage(parent, refusal, Icon::Exclamation);
    return false;
}

}  // namespace lumavox::ui
