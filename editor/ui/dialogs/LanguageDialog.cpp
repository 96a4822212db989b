#include "ui/dialogs/LanguageDialog.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/DialogTexts.h"
#include "app/LanguageManager.h"
#include "ui/bridge/QtBridge.h"

namespace lumavox::ui {

namespace {
// A dialog text: the language's, else the built-in one.
QString dialogText(const LanguageManager& language, int templateId, int control) {
    std::string shown = control == 0 ? language.DialogTitle(templateId)
                                     : language.DialogControlText(templateId, control);
    if (!shown.empty()) return qs(shown);
    for (const DialogTexts& d : builtInDialogTexts()) {
        if (d.templateId != templateId) continue;
        if (control == 0) return qs(d.title);
        for (const DialogControlText& c : d.controls)
            if (c.controlId == control) return qs(c.text);
    }
    return {};
}
}  // namespace

LanguageDialog::LanguageDialog(LanguageManager& language, QWidget* parent)
    : QDialog(parent), language_(language) {
    setWindowTitle(dialogText(language, kLanguageDialog, 0));
    auto* layout = new QVBoxLayout(this);
    list_ = new QListWidget(this);
    for (const std::string& name : language.FillLanguageList())
        list_->addItem(qs(name));
    const auto current = list_->findItems(qs(language.languageName()), Qt::MatchExactly);
    if (!current.isEmpty()) list_->setCurrentItem(current.front());
    layout->addWidget(list_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)
        ->setText(dialogText(language, kLanguageDialog, kControlOk));
    buttons->button(QDialogButtonBox::Cancel)
        ->setText(dialogText(language, kLanguageDialog, kControlCancel));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
}

void LanguageDialog::accept() {
    if (QListWidgetItem* item = list_->currentItem()) language_.SelectLanguage(ss(item->text()));
    QDialog::accept();
}

}  // namespace lumavox::ui
