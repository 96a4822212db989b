#include "ui/dialogs/GprsDialogs.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "operations/GprsRoute.h"
#include "strings/GprsTexts.h"
#include "strings/StringTable.h"
#include "ui/bridge/QtBridge.h"

namespace lumavox::ui {

namespace {

QDialogButtonBox* okCancel(QDialog* dialog) {
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return box;
}

}  // namespace

// ---- Name prompt -------------------------------------------------------------------

CGprsNameDlg::CGprsNameDlg(int titleId, int promptId, const std::string& name, Check check,
                           QWidget* parent)
    : QDialog(parent), check_(std::move(check)) {
    setWindowTitle(qtext(titleId));
    name_ = new QLineEdit(qs(name), this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(qtext(promptId), this));
    layout->addWidget(name_);
    layout->addWidget(okCancel(this));
}

void CGprsNameDlg::accept() {
    const std::string name = ss(name_->text().trimmed());
    const std::string refusal = check_ ? check_(name) : std::string();
    if (!refusal.empty()) {
        showMessage(this, refusal, Icon::Error);
        name_->setFocus();
        name_->selectAll();
        return;
    }
    chosen_ = name;
    QDialog::accept();
}

bool promptGprsName(QWidget* parent, int titleId, int promptId, std::string& name,
                    const CGprsNameDlg::Check& check) {
    CGprsNameDlg dialog(titleId, promptId, name, check, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    name = dialog.chosen();
    return true;
}

// ---- GPRS Group Edit ---------------------------------------------------------------

CGprsGroupEditDlg::CGprsGroupEditDlg(GprsGroup group, QWidget* parent)
    : QDialog(parent), group_(std::move(group)) {
    setWindowTitle(qtext(msg::kGprsGroupEditTitle));
    list_ = new QListWidget(this);
    auto* add = new QPushButton(qtext(msg::kGprsAddButton), this);
    auto* edit = new QPushButton(qtext(msg::kGprsEditButton), this);
    auto* remove = new QPushButton(qtext(msg::kGprsDeleteButton), this);
    connect(add, &QPushButton::clicked, this, &CGprsGroupEditDlg::addDevice);
    connect(edit, &QPushButton::clicked, this, &CGprsGroupEditDlg::editDevice);
    connect(remove, &QPushButton::clicked, this, &CGprsGroupEditDlg::deleteDevice);
    connect(list_, &QListWidget::itemDoubleClicked, this, &CGprsGroupEditDlg::editDevice);
    auto* row = new QHBoxLayout;
    row->addWidget(list_);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {add, edit, remove})
        buttons->addWidget(b);
    buttons->addStretch();
    row->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(qtext(msg::kGprsAvailableModems), this));
    layout->addLayout(row);
    layout->addWidget(okCancel(this));
    refill(group_.devices.empty() ? -1 : 0);
}

void CGprsGroupEditDlg::refill(int select) {
    list_->clear();
    for (const std::string& d : group_.devices)
        list_->addItem(qs(d));
    if (select >= 0 && select < list_->count()) list_->setCurrentRow(select);
}

void CGprsGroupEditDlg::addDevice() {
    std::string name;
    auto check = [this](const std::string& n) {
        int refusal = checkGprsDeviceName(group_, n);
        return refusal ? gprsRefusalText(refusal, n) : std::string();
    };
    if (!promptGprsName(this, msg::kGprsAddDeviceTitle, msg::kGprsDevicePrompt, name, check))
        return;
    group_.devices.push_back(name);
    refill(static_cast<int>(group_.devices.size()) - 1);
}

void CGprsGroupEditDlg::editDevice() {
    const int row = list_->currentRow();
    if (row < 0 || row >= static_cast<int>(group_.devices.size())) return;
    std::string name = group_.devices[static_cast<size_t>(row)];
    auto check = [this, row](const std::string& n) {
        int refusal = checkGprsDeviceName(group_, n, row);
        return refusal ? gprsRefusalText(refusal, n) : std::string();
    };
    if (!promptGprsName(this, msg::kGprsEditDeviceTitle, msg::kGprsDevicePrompt, name, check))
        return;
    group_.devices[static_cast<size_t>(row)] = name;
    refill(row);
}

void CGprsGroupEditDlg::deleteDevice() {
    const int row = list_->currentRow();
    if (row < 0 || row >= static_cast<int>(group_.devices.size())) return;
    if (!askYesNo(this, text(msg::kGprsDeleteItemQuestion), Icon::Question)) return;
    group_.devices.erase(group_.devices.begin() + row);
    refill(rowAfterDelete(row, static_cast<int>(group_.devices.size())));
}

// ---- Connection --------------------------------------------------------------------

CGprsConnectionDlg::CGprsConnectionDlg(const GprsMonitor& monitor, QWidget* parent)
    : QDialog(parent), monitor_(monitor) {
    setWindowTitle(qtext(msg::kGprsConnectionTitle));
    list_ = new QListWidget(this);
    auto* refreshButton = new QPushButton(qtext(msg::kGprsRefresh), this);
    auto* detail = new QPushButton(qtext(msg::kGprsDetail), this);
    connect(refreshButton, &QPushButton::clicked, this, &CGprsConnectionDlg::refillNow);
    connect(detail, &QPushButton::clicked, this, &CGprsConnectionDlg::showDetail);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(refreshButton);
    buttons->addWidget(detail);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(qtext(msg::kGprsAvailableConnections), this));
    layout->addWidget(list_);
    layout->addLayout(buttons);
    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, &CGprsConnectionDlg::refresh);
    timer_->start(kRefreshMs);
    refillNow();
}

void CGprsConnectionDlg::refresh() {
    const std::vector<std::string> names = monitor_.Names();
    if (static_cast<int>(names.size()) == list_->count()) return;
    list_->clear();
    for (const std::string& n : names)
        list_->addItem(qs(n));
}

void CGprsConnectionDlg::refillNow() {
    list_->clear();
    for (const std::string& n : monitor_.Names())
        list_->addItem(qs(n));
}

void CGprsConnectionDlg::showDetail() {
    QListWidgetItem* item = list_->currentItem();
    if (!item) return;
    QMessageBox box(QMessageBox::Information, qtext(msg::kGprsDetail),
                    qs(gprsDetailText(monitor_, ss(item->text()))), QMessageBox::Ok, this);
    box.exec();
}

void CGprsConnectionDlg::done(int result) {
    timer_->stop();
    QDialog::done(result);
}

}  // namespace lumavox::ui
