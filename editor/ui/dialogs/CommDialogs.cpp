#include "ui/dialogs/CommDialogs.h"
#include "ui/dialogs/DialogText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "app/UpdateDialog.h"
#include "operations/GprsRoute.h"
#include "session/AddressList.h"
#include "session/SignCommands.h"
#include "strings/GprsTexts.h"
#include "strings/StringTable.h"
#include "strings/WindowTexts.h"
#include "transport/PortList.h"
#include "ui/bridge/QtBridge.h"
#include "ui/dialogs/GprsDialogs.h"
#include "ui/dialogs/UpdateDlg.h"
#include "ui/frame/MainFrame.h"

namespace lumavox::ui {

namespace {}  // namespace

bool saveSettings(EditorContext& context, QWidget* parent) {
    std::string error;
    if (!context.store || !context.settings) return true;
    if (context.store->SaveSettings(*context.settings, error)) return true;
    showMessage(parent, error, Icon::Error);
    return false;
}

// ---- Comport & Addr. -----------------------------------------------------------

CComportAddrDlg::CComportAddrDlg(EditorContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    const Settings& s = *context.settings;
    const bool tcp = s.sendType == SendType::TcpIp;
    setWindowTitle(tcp                            ? qtext(msg::kIpAddrTitle)
                   : s.sendType == SendType::Gprs ? qtext(msg::kGprsAddrTitle)
                                                  : dialogText(context, kComportAddrDialog, 0));
    auto* form = new QFormLayout;
    if (s.sendType == SendType::Gprs) {
        // The GPRS group a send goes to.
        groups_ = new QComboBox(this);
        for (const GprsGroup& g : s.gprsGroups)
            groups_->addItem(qs(g.name));
        int current = 0;
        for (size_t i = 0; i < s.gprsGroups.size(); ++i)
            if (sameGprsName(s.gprsGroups[i].name, s.lastGprsGroupName))
                current = static_cast<int>(i);
        groups_->setCurrentIndex(s.gprsGroups.empty() ? -1 : current);
        form->addRow(qtext(msg::kGprsAvailableGroups), groups_);
    } else if (tcp) {
        groups_ = new QComboBox(this);
        for (const TcpIpGroup& g : s.tcpGroups)
            groups_->addItem(qs(g.name));
        groups_->setCurrentIndex(std::max(0, groups_->findText(qs(s.lastGroupName))));
        form->addRow(dialogText(context, kComportAddrDialog, kCtlFourth), groups_);
    } else {
        ports_ = new QComboBox(this);
        const auto list = listComPorts(comPortsFrom(s));
        for (const ComPortEntry& e : list)
            ports_->addItem(qs(e.device.empty() ? e.label : e.text), qs(e.label));
        ports_->setCurrentIndex(preselectedPort(list, s.comport));
        // Devices the system reports without a COM number yet (a USB adapter):
        // choosing one gives it the next free number, mapped to its stable
        // name when it has one.
        for (const SystemPortEntry& port : unmappedSystemPorts(comPortsFrom(s)))
            ports_->addItem(qs(port.text), QStringLiteral("DEV:") + qs(port.device));
        form->addRow(dialogText(context, kComportAddrDialog, kCtlFirst), ports_);
    }
    address_ = new QLineEdit(qs(s.address), this);
    form->addRow(dialogText(context, kComportAddrDialog, kCtlSecond), address_);
    always_ = new QCheckBox(dialogText(context, kComportAddrDialog, kCtlThird), this);
    always_->setChecked(s.alwaysDisplay);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(always_);
    layout->addWidget(okCancelButtons(this, context.language, kComportAddrDialog));
}

void CComportAddrDlg::accept() {
    const std::string text = ss(address_->text());
    if (int refusal = checkAddressText(text)) {
        showMessage(this, lumavox::text(refusal), Icon::Error);
        address_->setFocus();
        return;
    }
    Settings& s = *context_.settings;
    s.address = text;
    s.alwaysDisplay = always_->isChecked();
    if (ports_) {
        const QString chosen = ports_->currentData().toString();
        if (chosen.startsWith(QStringLiteral("DEV:"))) {
            const int com = s.mapComDevice(ss(chosen.mid(4)));
            if (com > 0) s.comport = com;
        } else {
            s.comport = comNumberFromLabel(ss(chosen));
        }
    }
    if (groups_ && groups_->currentIndex() >= 0) {
        if (s.sendType == SendType::Gprs)
            s.lastGprsGroupName = ss(groups_->currentText());
        else
            s.lastGroupName = ss(groups_->currentText());
    }
    saveSettings(context_, this);
    QDialog::accept();
}

bool showComportAddrDialog(CMainFrame& frame, QWidget* parent) {
    if (!frame.context().settings) return false;
    CComportAddrDlg dialog(frame.context(), parent ? parent : &frame);
    return dialog.exec() == QDialog::Accepted;
}

// ---- TCP/IP groups -------------------------------------------------------------

CTcpGroupDlg::CTcpGroupDlg(const EditorContext& context, TcpIpGroup group, QWidget* parent)
    : QDialog(parent), group_(std::move(group)) {
    setWindowTitle(dialogText(context, kTcpGroupDialog, 0));
    auto* form = new QFormLayout;
    name_ = new QLineEdit(qs(group_.name), this);
    addresses_ = new QLineEdit(qs(group_.addresses), this);
    form->addRow(dialogText(context, kTcpGroupDialog, kCtlFirst), name_);
    form->addRow(dialogText(context, kTcpGroupDialog, kCtlSecond), addresses_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(dialogText(context, kTcpGroupDialog, kCtlThird), this));
    layout->addWidget(okCancelButtons(this, context.language, kTcpGroupDialog));
}

void CTcpGroupDlg::accept() {
    TcpIpGroup g{ss(name_->text().trimmed()), ss(addresses_->text().trimmed())};
    if (int refusal = checkTcpGroup(g)) {
        showMessage(this, text(refusal), Icon::Error);
        (refusal == msg::kGroupNameBlank ? name_ : addresses_)->setFocus();
        return;
    }
    group_ = g;
    QDialog::accept();
}

CCommOptionDlg::CCommOptionDlg(EditorContext& context, QWidget* parent)
    : QDialog(parent),
      context_(context),
      groups_(context.settings->tcpGroups),
      gprsGroups_(context.settings->gprsGroups) {
    const Settings& s = *context.settings;
    auto t = [&context](int c) { return dialogText(context, kCommOptionDialog, c); };
    setWindowTitle(t(0));
    serial_ = new QRadioButton(t(kCtlFirst), this);
    tcp_ = new QRadioButton(t(kCtlSecond), this);
    gprs_ = new QRadioButton(t(kCtlThird), this);
    gprs_->setEnabled(s.mode != SignMode::NVS);
    (s.sendType == SendType::TcpIp  ? tcp_
     : s.sendType == SendType::Gprs ? gprs_
                                    : serial_)
        ->setChecked(true);
    auto* routes = new QHBoxLayout;
    for (QRadioButton* r : {serial_, tcp_, gprs_})
        routes->addWidget(r);
    tcpPort_ = s.tcpPort;
    gprsPort_ = s.gprsServerPort;
    port_ = new QSpinBox(this);
    port_->setRange(1, 65535);
    hangUp_ = new QCheckBox(t(kCtlFifth), this);
    hangUp_->setChecked(s.hangUpWhenSendOverByTcpIp);
    groupList_ = new QListWidget(this);
    auto* add = new QPushButton(t(kCtlSeventh), this);
    edit_ = new QPushButton(t(kCtlEighth), this);
    auto* remove = new QPushButton(t(kCtlNinth), this);
    rename_ = new QPushButton(qtext(msg::kGprsRename), this);
    examine_ = new QPushButton(qtext(msg::kGprsExamineConnection), this);
    connect(add, &QPushButton::clicked, this, &CCommOptionDlg::addGroup);
    connect(edit_, &QPushButton::clicked, this, &CCommOptionDlg::editGroup);
    connect(remove, &QPushButton::clicked, this, &CCommOptionDlg::deleteGroup);
    connect(rename_, &QPushButton::clicked, this, &CCommOptionDlg::renameGroup);
    connect(examine_, &QPushButton::clicked, this, &CCommOptionDlg::examineConnection);
    connect(groupList_, &QListWidget::itemDoubleClicked, this, &CCommOptionDlg::editGroup);
    groupBox_ = new QGroupBox(t(kCtlSixth), this);
    auto* groupLayout = new QHBoxLayout(groupBox_);
    groupLayout->addWidget(groupList_);
    auto* groupButtons = new QVBoxLayout;
    for (QPushButton* b : {add, edit_, remove, rename_, examine_})
        groupButtons->addWidget(b);
    groupButtons->addStretch();
    groupLayout->addLayout(groupButtons);
    auto* form = new QFormLayout;
    portLabel_ = new QLabel(t(kCtlFourth), this);
    form->addRow(portLabel_, port_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(routes);
    layout->addLayout(form);
    layout->addWidget(hangUp_);
    layout->addWidget(groupBox_);
    layout->addWidget(okCancelButtons(this, context.language, kCommOptionDialog));
    portOfGprs_ = gprsShown();
    port_->setValue(portOfGprs_ ? gprsPort_ : tcpPort_);
    showRoute();
    connect(gprs_, &QRadioButton::toggled, this, [this] { showRoute(); });
}

bool CCommOptionDlg::gprsShown() const {
    return gprs_->isChecked();
}

// The GPRS half replaces the TCP/IP half: port, caption, list and buttons.
void CCommOptionDlg::showRoute() {
    const bool gprs = gprsShown();
    (portOfGprs_ ? gprsPort_ : tcpPort_) = port_->value();
    portOfGprs_ = gprs;
    port_->setValue(gprs ? gprsPort_ : tcpPort_);
    portLabel_->setText(gprs ? qtext(msg::kGprsServerPort)
                             : dialogText(context_, kCommOptionDialog, kCtlFourth));
    groupBox_->setTitle(gprs ? qtext(msg::kGprsAvailableGroups)
                             : dialogText(context_, kCommOptionDialog, kCtlSixth));
    hangUp_->setVisible(!gprs);
    edit_->setText(gprs ? qtext(msg::kGprsEditGroup)
                        : dialogText(context_, kCommOptionDialog, kCtlEighth));
    rename_->setVisible(gprs);
    examine_->setVisible(gprs);
    const Settings& s = *context_.settings;
    int current = 0;
    if (gprs) {
        for (size_t i = 0; i < gprsGroups_.size(); ++i)
            if (sameGprsName(gprsGroups_[i].name, s.lastGprsGroupName))
                current = static_cast<int>(i);
        refillGroups(gprsGroups_.empty() ? -1 : current);
    } else {
        for (size_t i = 0; i < groups_.size(); ++i)
            if (groups_[i].name == s.lastGroupName) current = static_cast<int>(i);
        refillGroups(groups_.empty() ? -1 : current);
    }
}

void CCommOptionDlg::refillGroups(int select) {
    groupList_->clear();
    if (gprsShown()) {
        for (const GprsGroup& g : gprsGroups_)
            groupList_->addItem(qs(g.name));
    } else {
        for (const TcpIpGroup& g : groups_)
            groupList_->addItem(qs(tcpGroupListEntry(g)));
    }
    if (select >= 0 && select < groupList_->count()) groupList_->setCurrentRow(select);
}

bool CCommOptionDlg::runGroupDialog(TcpIpGroup& group) {
    CTcpGroupDlg dialog(context_, group, this);
    if (dialog.exec() != QDialog::Accepted) return false;
    group = dialog.group();
    return true;
}

void CCommOptionDlg::addGroup() {
    if (gprsShown()) {
        std::string name;
        auto check = [this](const std::string& n) {
            int refusal = checkGprsGroupName(gprsGroups_, n);
            return refusal ? gprsRefusalText(refusal, n) : std::string();
        };
        if (!promptGprsName(this, msg::kGprsAddGroupTitle, msg::kGprsAddGroupPrompt, name, check))
            return;
        gprsGroups_.push_back({name, {}});
        refillGroups(static_cast<int>(gprsGroups_.size()) - 1);
        return;
    }
    TcpIpGroup g;
    if (!runGroupDialog(g)) return;
    groups_.push_back(g);
    refillGroups(static_cast<int>(groups_.size()) - 1);
}

void CCommOptionDlg::renameGroup() {
    const int row = groupList_->currentRow();
    if (!gprsShown() || row < 0 || row >= static_cast<int>(gprsGroups_.size())) return;
    std::string name = gprsGroups_[static_cast<size_t>(row)].name;
    auto check = [this, row](const std::string& n) {
        int refusal = checkGprsGroupName(gprsGroups_, n, row);
        return refusal ? gprsRefusalText(refusal, n) : std::string();
    };
    if (!promptGprsName(this, msg::kGprsRenameGroupTitle, msg::kGprsRenameGroupPrompt, name, check))
        return;
    gprsGroups_[static_cast<size_t>(row)].name = name;
    refillGroups(row);
}

void CCommOptionDlg::editGroup() {
    const int row = groupList_->currentRow();
    if (gprsShown()) {
        if (row < 0 || row >= static_cast<int>(gprsGroups_.size())) return;
        CGprsGroupEditDlg dialog(gprsGroups_[static_cast<size_t>(row)], this);
        if (dialog.exec() != QDialog::Accepted) return;
        gprsGroups_[static_cast<size_t>(row)] = dialog.group();
        refillGroups(row);
        return;
    }
    if (row < 0 || row >= static_cast<int>(groups_.size())) return;
    TcpIpGroup g = groups_[static_cast<size_t>(row)];
    if (!runGroupDialog(g)) return;
    groups_[static_cast<size_t>(row)] = g;
    refillGroups(row);
}

// Either half: a group must be chosen, and deleting it is asked first.
void CCommOptionDlg::deleteGroup() {
    const int row = groupList_->currentRow();
    const bool gprs = gprsShown();
    const int count = static_cast<int>(gprs ? gprsGroups_.size() : groups_.size());
    if (row < 0 || row >= count) {
        showMessage(this, text(msg::kGprsSelectGroupToDelete), Icon::Error);
        return;
    }
    const size_t at = static_cast<size_t>(row);
    if (!askYesNo(this, deleteGroupQuestion(gprs ? gprsGroups_[at].name : groups_[at].name),
                  Icon::Question))
        return;
    if (gprs)
        gprsGroups_.erase(gprsGroups_.begin() + row);
    else
        groups_.erase(groups_.begin() + row);
    refillGroups(rowAfterDelete(row, count - 1));
}

void CCommOptionDlg::examineConnection() {
    if (!context_.gprs) return;
    CGprsConnectionDlg dialog(*context_.gprs, this);
    dialog.exec();
}

void CCommOptionDlg::accept() {
    Settings& s = *context_.settings;
    const bool gprs = gprsShown();
    (gprs ? gprsPort_ : tcpPort_) = port_->value();
    s.sendType = gprs ? SendType::Gprs : tcp_->isChecked() ? SendType::TcpIp : SendType::Serial;
    s.tcpPort = tcpPort_;
    s.gprsServerPort = gprsPort_;
    s.hangUpWhenSendOverByTcpIp = hangUp_->isChecked();
    s.tcpGroups = groups_;
    s.gprsGroups = gprsGroups_;
    const int row = groupList_->currentRow();
    if (gprs && row >= 0 && row < static_cast<int>(gprsGroups_.size()))
        s.lastGprsGroupName = gprsGroups_[static_cast<size_t>(row)].name;
    if (!gprs && row >= 0 && row < static_cast<int>(groups_.size()))
        s.lastGroupName = groups_[static_cast<size_t>(row)].name;
    saveSettings(context_, this);
    QDialog::accept();
}

// ---- Baud rate -------------------------------------------------------------------

CBaudRateDlg::CBaudRateDlg(EditorContext& context, bool forSign, QWidget* parent)
    : QDialog(parent), context_(context), forSign_(forSign) {
    setWindowTitle(forSign ? qtext(msg::kSignBaudTitle) : dialogText(context, kBaudRateDialog, 0));
    baud_ = new QComboBox(this);
    for (int i = 0; i < kBaudTableSize; ++i)
        baud_->addItem(QString::number(baudRateForIndex(i)));
    const int stored = context.settings ? context.settings->baudRateIndex : 3;
    baud_->setCurrentIndex(stored >= 0 && stored < kBaudTableSize ? stored : 3);
    auto* form = new QFormLayout;
    form->addRow(dialogText(context, kBaudRateDialog, kCtlFirst), baud_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    auto* box = okCancelButtons(this, context.language, kBaudRateDialog);
    if (forSign) {
        box->button(QDialogButtonBox::Ok)->setText(qtext(msg::kButtonUpdate));
        box->button(QDialogButtonBox::Cancel)->setText(qtext(msg::kButtonClose));
        auto* help = box->addButton(dialogText(context, kBaudRateDialog, kCtlSecond),
                                    QDialogButtonBox::HelpRole);
        connect(help, &QPushButton::clicked, this,
                [this] { showMessage(this, text(msg::kSignBaudHelp), Icon::Information); });
    }
    layout->addWidget(box);
}

int CBaudRateDlg::chosenIndex() const {
    return baud_->currentIndex();
}

void CBaudRateDlg::accept() {
    // The sign's new rate leaves the PC's own setting as it is.
    if (!forSign_ && context_.settings) {
        context_.settings->baudRateIndex = chosenIndex();
        saveSettings(context_, this);
    }
    QDialog::accept();
}

// ---- Change address ------------------------------------------------------------

CChangeAddressDlg::CChangeAddressDlg(const EditorContext& context, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(dialogText(context, kChangeAddressDialog, 0));
    old_ = new QSpinBox(this);
    new_ = new QSpinBox(this);
    for (QSpinBox* b : {old_, new_})
        b->setRange(0, static_cast<int>(kMaxSignAddress));
    auto* form = new QFormLayout;
    form->addRow(dialogText(context, kChangeAddressDialog, kCtlFirst), old_);
    form->addRow(dialogText(context, kChangeAddressDialog, kCtlSecond), new_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(okCancelButtons(this, context.language, kChangeAddressDialog));
}

void CChangeAddressDlg::accept() {
    if (int refusal = checkAddressChange(old_->value(), new_->value())) {
        showMessage(this, text(refusal), Icon::Error);
        return;
    }
    QDialog::accept();
}

// ---- Default file --------------------------------------------------------------

CSetDefaultDlg::CSetDefaultDlg(const EditorContext& context, const std::vector<std::string>& files,
                               QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(dialogText(context, kSetDefaultDialog, 0));
    files_ = new QListWidget(this);
    for (const std::string& f : files)
        files_->addItem(qs(f));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(dialogText(context, kSetDefaultDialog, kCtlFirst), this));
    layout->addWidget(files_);
    layout->addWidget(okCancelButtons(this, context.language, kSetDefaultDialog));
}

std::string CSetDefaultDlg::chosen() const {
    QListWidgetItem* item = files_->currentItem();
    return item && item->isSelected() ? ss(item->text()) : std::string();
}

void CSetDefaultDlg::accept() {
    if (chosen().empty()) {
        showMessage(this, text(msg::kSelectDefaultFirst), Icon::Error);
        return;
    }
    QDialog::accept();
}

// ---- Auto on/off ---------------------------------------------------------------

CAutoOnOffDlg::CAutoOnOffDlg(EditorContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    auto t = [&context](int c) { return dialogText(context, kAutoOnOffDialog, c); };
    setWindowTitle(t(0));
    const Settings& s = *context.settings;
    onManual_ = new QRadioButton(t(kCtlFirst));
    onAuto_ = new QRadioButton(t(kCtlSecond));
    offManual_ = new QRadioButton(t(kCtlThird));
    offAuto_ = new QRadioButton(t(kCtlFourth));
    auto* onGroup = new QButtonGroup(this);
    onGroup->addButton(onManual_);
    onGroup->addButton(onAuto_);
    auto* offGroup = new QButtonGroup(this);
    offGroup->addButton(offManual_);
    offGroup->addButton(offAuto_);
    (s.autoOn ? onAuto_ : onManual_)->setChecked(true);
    (s.autoOff ? offAuto_ : offManual_)->setChecked(true);
    onTime_ = new QTimeEdit(QTime(s.autoOnHour % 24, s.autoOnMinute % 60), this);
    offTime_ = new QTimeEdit(QTime(s.autoOffHour % 24, s.autoOffMinute % 60), this);
    for (QTimeEdit* e : {onTime_, offTime_})
        e->setDisplayFormat(QStringLiteral("HH:mm"));
    auto* grid = new QVBoxLayout(this);
    auto* onRow = new QHBoxLayout;
    onRow->addWidget(onManual_);
    onRow->addWidget(onAuto_);
    onRow->addWidget(onTime_);
    auto* offRow = new QHBoxLayout;
    offRow->addWidget(offManual_);
    offRow->addWidget(offAuto_);
    offRow->addWidget(offTime_);
    grid->addLayout(onRow);
    grid->addLayout(offRow);
    grid->addWidget(new QLabel(t(kCtlFifth), this));
    grid->addWidget(okCancelButtons(this, context.language, kAutoOnOffDialog));
}

void CAutoOnOffDlg::accept() {
    Settings& s = *context_.settings;
    s.autoOn = onAuto_->isChecked();
    s.autoOff = offAuto_->isChecked();
    s.autoOnHour = onTime_->time().hour();
    s.autoOnMinute = onTime_->time().minute();
    s.autoOffHour = offTime_->time().hour();
    s.autoOffMinute = offTime_->time().minute();
    saveSettings(context_, this);
    QDialog::accept();
}

// ---- Clear the sign --------------------------------------------------------------

CClearSignDlg::CClearSignDlg(const EditorContext& context, QWidget* parent) : QDialog(parent) {
    setWindowTitle(dialogText(context, kClearSignDialog, 0));
    auto* layout = new QVBoxLayout(this);
    const std::pair<int, UpdateKind> buttons[] = {
        {kCtlFirst, UpdateKind::ClearMemory},
        {kCtlSecond, UpdateKind::ClearSchedule},
        {kCtlThird, UpdateKind::ClearGraphics},
        {kCtlFourth, UpdateKind::ClearText},
    };
    for (const auto& [control, kind] : buttons) {
        auto* b = new QPushButton(dialogText(context, kClearSignDialog, control), this);
        b->setObjectName(QStringLiteral("clear%1").arg(static_cast<int>(kind)));
        connect(b, &QPushButton::clicked, this, [this, k = kind] {
            chosen_ = static_cast<int>(k);
            QDialog::accept();
        });
        layout->addWidget(b);
    }
    auto* close = new QPushButton(dialogText(context, kClearSignDialog, kControlCancel), this);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(close);
}

}  // namespace lumavox::ui
