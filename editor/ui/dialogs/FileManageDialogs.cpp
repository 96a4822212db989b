#include "ui/dialogs/FileManageDialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/DialogTexts.h"
#include "content/Model.h"
#include "editing/WindowFileManager.h"
#include "strings/StringTable.h"
#include "ui/bridge/QtBridge.h"
#include "ui/dialogs/DialogText.h"

namespace lumavox::ui {

// ---- File name ------------------------------------------------------------------

CFileNameDlg::CFileNameDlg(const LanguageManager* language, int templateId, const QString& preset,
                           Decide decide, QWidget* parent)
    : QDialog(parent), name_(new QLineEdit(preset, this)), decide_(std::move(decide)) {
    setWindowTitle(dialogText(language, templateId, 0));
    auto* form = new QFormLayout(this);
    form->addRow(dialogText(language, templateId, kComposeControl), name_);
    form->addRow(okCancelButtons(this, language, templateId));
}

void CFileNameDlg::accept() {
    if (passesRefusal(this, decide_(ss(name_->text())))) {
        QDialog::accept();
        return;
    }
    name_->setFocus();
    name_->selectAll();
}

// ---- Graphic information ----------------------------------------------------------

CGraphicInfoDlg::CGraphicInfoDlg(const LanguageManager* language, const QString& name, int width,
                                 int height, bool showSize, Decide decide, QWidget* parent)
    : QDialog(parent),
      name_(new QLineEdit(name, this)),
      width_(new QSpinBox(this)),
      height_(new QSpinBox(this)),
      decide_(std::move(decide)) {
    setWindowTitle(dialogText(language, kGraphicInfoDialog, 0));
    // The rules decide the range; the fields only keep what a u16 holds.
    width_->setRange(0, 65535);
    height_->setRange(0, 65535);
    width_->setValue(width);
    height_->setValue(height);
    auto* layout = new QVBoxLayout(this);
    auto* names = new QFormLayout;
    names->addRow(dialogText(language, kGraphicInfoDialog, kComposeControl), name_);
    layout->addLayout(names);
    auto* size = new QGroupBox(dialogText(language, kGraphicInfoDialog, kComposeControl + 1), this);
    auto* sizeForm = new QFormLayout(size);
    sizeForm->addRow(dialogText(language, kGraphicInfoDialog, kComposeControl + 2), width_);
    sizeForm->addRow(dialogText(language, kGraphicInfoDialog, kComposeControl + 3), height_);
    size->setVisible(showSize);
    layout->addWidget(size);
    layout->addWidget(okCancelButtons(this, language, kGraphicInfoDialog));
}

void CGraphicInfoDlg::accept() {
    if (passesRefusal(this, decide_(ss(name_->text()), width_->value(), height_->value()))) {
        QDialog::accept();
        return;
    }
    name_->setFocus();
    name_->selectAll();
}

// ---- File list ------------------------------------------------------------------------

CFileListDlg::CFileListDlg(const LanguageManager* language, int templateId,
                           std::function<QStringList()> names, std::vector<Action> actions,
                           QWidget* parent)
    : QDialog(parent), list_(new QListWidget(this)), names_(std::move(names)) {
    setWindowTitle(dialogText(language, templateId, 0));
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(list_);
    auto* column = new QVBoxLayout;
    for (Action& action : actions) {
        auto* button = new QPushButton(dialogText(language, templateId, action.control), this);
        column->addWidget(button);
        buttons_.emplace_back(action.control, button);
        connect(button, &QPushButton::clicked, this, [this, run = std::move(action.run)] {
            QListWidgetItem* item = list_->currentItem();
            const bool close = run(item ? ss(item->text()) : std::string());
            refresh();
            if (close) accept();
        });
    }
    column->addStretch();
    auto* close = new QPushButton(dialogText(language, templateId, kControlCancel), this);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    column->addWidget(close);
    layout->addLayout(column);
    refresh();
}

QPushButton* CFileListDlg::button(int control) const {
    for (const auto& [id, button] : buttons_)
        if (id == control) return button;
    return nullptr;
}

void CFileListDlg::select(const QString& name) {
    const auto found = list_->findItems(name, Qt::MatchExactly);
    list_->setCurrentItem(found.isEmpty() ? nullptr : found.front());
}

void CFileListDlg::refresh() {
    const QString keep = list_->currentItem() ? list_->currentItem()->text() : QString();
    list_->clear();
    list_->addItems(names_());
    if (!keep.isEmpty()) select(keep);
}

// ---- Window files -------------------------------------------------------------------

namespace {

QStringList toQStrings(const std::vector<std::string>& names) {
    QStringList list;
    for (const std::string& n : names)
        list << qs(n);
    return list;
}

}  // namespace

CWindowFileDlg::CWindowFileDlg(const LanguageManager* language, WindowFileManager& files,
                               QWidget* parent)
    : CFileListDlg(
          language, files.choosing() ? kWindowFileCallDialog : kWindowFileManageDialog,
          [&files] { return toQStrings(files.names()); }, actions(language, files), parent) {
    if (!files.choosing()) return;
    select(qs(files.current()));
    connect(list(), &QListWidget::itemDoubleClicked, this, [this] { button(kControlOk)->click(); });
}

std::vector<CFileListDlg::Action> CWindowFileDlg::actions(const LanguageManager* language,
                                                          WindowFileManager& files) {
    std::vector<Action> actions = {
        {kComposeControl,
         [this, language, &files](const std::string&) {
             CFileNameDlg dialog(
                 language, kWindowFileNameDialog, QString(),
                 [&files](const std::string& name) { return files.create(name); }, this);
             if (dialog.exec() == QDialog::Accepted) {
                 refresh();
                 select(dialog.nameEdit()->text().trimmed());
             }
             return false;
         }},
        {kComposeControl + 1,
         [this, language, &files](const std::string& name) {
             if (name.empty()) return false;
             CFileNameDlg dialog(
                 language, kRenameFileDialog, qs(name),
                 [&files, name](const std::string& newName) { return files.rename(name, newName); },
                 this);
             if (dialog.exec() == QDialog::Accepted) {
                 refresh();
                 select(dialog.nameEdit()->text().trimmed());
             }
             return false;
         }},
        {kComposeControl + 2,
         [this, &files](const std::string& name) {
             QtPrompter prompter(this);
             files.remove(name, prompter);
             return false;
         }},
    };
    if (!files.choosing()) return actions;
    // Choosing closes the dialog once the area calls the selected file.
    actions.push_back({kControlOk, [this, &files](const std::string& name) {
                           QtPrompter prompter(this);
                           if (name.empty()) {
                               prompter.message(text(msg::kSelectFileFirst), Icon::Exclamation);
                               return false;
                           }
                           return sameName(files.current(), name) || files.choose(name, prompter);
                       }});
    return actions;
}

}  // namespace lumavox::ui
