#include "ui/dialogs/LanguageDialog.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/DialogTexts.h"
#include "app/LanguageManager.h"
#include "ui/bridge/QtBridge.h"
#include "ui/dialogs/DialogText.h"

namespace lumavox::ui {

LanguageDialog::LanguageDialog(LanguageManager& language, QWidget* parent)
    : QDialog(parent), language_(language) {
    setWindowTitle(dialogText(&language, kLanguageDialog, 0));
    auto* layout = new QVBoxLayout(this);
    list_ = new QListWidget(this);
    for (const std::string& name : language.FillLanguageList())
        list_->addItem(qs(name));
    const auto current = list_->findItems(qs(language.languageName()), Qt::MatchExactly);
    if (!current.isEmpty()) list_->setCurrentItem(current.front());
    layout->addWidget(list_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)
        ->setText(dialogText(&language, kLanguageDialog, kControlOk));
    buttons->button(QDialogButtonBox::Cancel)
        ->setText(dialogText(&language, kLanguageDialog, kControlCancel));
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
