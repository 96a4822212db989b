#include "ui/dialogs/AboutBox.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "ui/bridge/QtBridge.h"
#include "ui/frame/ToolbarIcons.h"

namespace lumavox::ui {

AboutBox::AboutBox(const LanguageManager* language, QWidget* parent)
    : QDialog(parent), model_(language) {
    setWindowTitle(qs(model_.title()));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setPixmap(toolbarIcon(ToolbarIcon::Application).pixmap(48, 48));
    top->addWidget(icon);
    top->addWidget(new QLabel(QStringLiteral("<b>LUMAVOX</b>"), this), 1);
    layout->addLayout(top);
    group_ = new QGroupBox(this);
    auto* inner = new QVBoxLayout(group_);
    version_ = new QLabel(group_);
    date_ = new QLabel(group_);
    password_ = new QLineEdit(group_);
    inner->addWidget(version_);
    inner->addWidget(date_);
    inner->addWidget(password_);
    layout->addWidget(group_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    // The clicks count wherever they land in the box.
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
    installEventFilter(this);
    refresh();
}

void AboutBox::refresh() {
    group_->setTitle(qs(model_.groupCaption()));
    // Tabs separate caption and value in the engine's lines.
    version_->setText(qs(model_.versionLine()).replace('\t', ' '));
    date_->setText(qs(model_.dateLine()).replace('\t', ' '));
    date_->setVisible(model_.dateVisible());
    password_->setVisible(model_.passwordVisible());
    if (model_.passwordVisible()) password_->setFocus();
}

void AboutBox::rightDoubleClick(bool ctrl, bool shift, bool leftButton) {
    if (model_.rightDoubleClick(ctrl, shift, leftButton)) refresh();
}

bool AboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            rightDoubleClick(mouse->modifiers() & Qt::ControlModifier,
                             mouse->modifiers() & Qt::ShiftModifier,
                             mouse->buttons() & Qt::LeftButton);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void AboutBox::accept() {
    if (!model_.passwordMode()) {
        QDialog::accept();
        return;
    }
    switch (model_.confirm(ss(password_->text()))) {
        case EditorAboutBox::Outcome::OpenCompanyBox:
            company_ = true;
            QDialog::accept();
            break;
        case EditorAboutBox::Outcome::Close:
            QDialog::accept();
            break;
        case EditorAboutBox::Outcome::StayOpen:
            password_->selectAll();
            password_->setFocus();
            break;
    }
}

CompanyBox::CompanyBox(const LanguageManager* language, QWidget* parent) : QDialog(parent) {
    const CompanyAboutBox box = CompanyAboutBox::make(language);
    setWindowTitle(qs(box.title));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(qs(box.versionLine).replace('\t', ' '), this));
    layout->addWidget(new QLabel(qs(box.dateLine).replace('\t', ' '), this));
    layout->addWidget(
        new QLabel(QStringLiteral("<b>%1</b>").arg(qs(box.company.name).toHtmlEscaped()), this));
    layout->addWidget(new QLabel(qs(box.company.telephone), this));
    layout->addWidget(new QLabel(qs(box.company.fax), this));
    auto link = [this](const std::string& target, const std::string& shown) {
        auto* label = new QLabel(QStringLiteral("<a href=\"%1\">%2</a>")
                                     .arg(qs(target).toHtmlEscaped(), qs(shown).toHtmlEscaped()),
                                 this);
        label->setOpenExternalLinks(true);
        return label;
    };
    layout->addWidget(link(box.company.web, box.company.web));
    layout->addWidget(link("mailto:" + box.company.email, box.company.email));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
}

}  // namespace lumavox::ui
