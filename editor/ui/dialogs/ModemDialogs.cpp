#include "ui/dialogs/ModemDialogs.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <map>

#include "strings/CommandIds.h"
#include "strings/ModemTexts.h"
#include "strings/StringTable.h"
#include "strings/TextFormat.h"
#include "ui/bridge/QtBridge.h"
#include "ui/dialogs/CommDialogs.h"
#include "ui/frame/MainFrame.h"

namespace lumavox::ui {

namespace {

// The status texts break lines with "\r".
QString shown(const std::string& t) {
    QString s = qs(t);
    s.replace('\r', '\n');
    return s;
}

RegistryEx registryOf(const EditorContext& context) {
    return context.store ? loadModemRegistry(*context.store) : RegistryEx();
}

// The dial window of each frame; it lives as long as the frame's handlers.
std::map<CMainFrame*, CDialModemDlg*>& dialWindows() {
    static std::map<CMainFrame*, CDialModemDlg*> windows;
    return windows;
}

}  // namespace

// ---- Modem Info... ---------------------------------------------------------------

CModemInfoDlg::CModemInfoDlg(EditorContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setWindowTitle(qtext(msg::kModemInfoTitle));
    modems_ = new QComboBox(this);
    port_ = new QLabel(this);
    speed_ = new QLabel(this);
    init_ = new QLabel(this);
    reset_ = new QLabel(this);
    for (const ModemEntry& e : enumerateModems(registryOf(context)).modems)
        if (e.counted()) shown_.push_back(e);
    if (shown_.empty()) {
        modems_->addItem(qtext(msg::kNoModemListed));
        modems_->setEnabled(false);
    }
    int chosen = 0;
    for (size_t i = 0; i < shown_.size(); ++i) {
        modems_->addItem(qs(shown_[i].model));
        if (context.settings && shown_[i].model == context.settings->modemName)
            chosen = static_cast<int>(i);
    }
    auto* form = new QFormLayout;
    form->addRow(qtext(msg::kInstalledModems), modems_);
    form->addRow(qtext(msg::kModemPortLabel), port_);
    form->addRow(qtext(msg::kModemSpeedLabel), speed_);
    form->addRow(qtext(msg::kModemInitLabel), init_);
    form->addRow(qtext(msg::kModemResetLabel), reset_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    auto* box = new QDialogButtonBox(this);
    box->addButton(qtext(msg::kModemInfoClose), QDialogButtonBox::AcceptRole);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(box);
    connect(modems_, &QComboBox::currentIndexChanged, this, [this](int i) { showModem(i); });
    modems_->setCurrentIndex(chosen);
    showModem(chosen);
}

void CModemInfoDlg::showModem(int index) {
    if (index < 0 || index >= static_cast<int>(shown_.size())) {
        for (QLabel* l : {port_, speed_, init_, reset_})
            l->clear();
        return;
    }
    const ModemEntry& e = shown_[static_cast<size_t>(index)];
    port_->setText(qs(formatText("%s%d", {"COM", e.port})));
    speed_->setText(qs(formatText("%d%s", {e.speed, text(msg::kModemBaudUnit)})));
    init_->setText(qs(e.initString));
    reset_->setText(qs(e.resetString));
}

void CModemInfoDlg::done(int result) {
    // "Close" (and the window's close box) keeps the choice at once.
    int i = modems_->currentIndex();
    if (context_.settings && i >= 0 && i < static_cast<int>(shown_.size())) {
        context_.settings->modemName = shown_[static_cast<size_t>(i)].model;
        saveSettings(context_, this);
    }
    QDialog::done(result);
}

// ---- Pin Code ------------------------------------------------------------------------

CPinCodeDlg::CPinCodeDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(qtext(msg::kPinCodeTitle));
    code_ = new QLineEdit(this);
    code_->setEchoMode(QLineEdit::Password);
    code_->setMaxLength(16);
    auto* warning = new QLabel(qtext(msg::kPinCodeWarning), this);
    warning->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(qtext(msg::kPinCodePrompt), this));
    layout->addWidget(code_);
    layout->addWidget(warning);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(box);
}

void CPinCodeDlg::accept() {
    if (code_->text().trimmed().isEmpty()) {
        showMessage(this, text(msg::kPinCodeBlank), Icon::Error);
        code_->setFocus();
        return;
    }
    QDialog::accept();
}

// ---- Dial window ---------------------------------------------------------------------

CDialModemDlg::CDialModemDlg(EditorContext& context, CSignLink& link, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context), link_(link) {
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(qtext(msg::kDialWindowTitle));
    dialer_ = std::make_unique<ModemDialer>(link_, static_cast<ModemHost&>(*this));
    phones_ = new QComboBox(this);
    phones_->setEditable(true);
    phones_->setInsertPolicy(QComboBox::NoInsert);
    dial_ = new QPushButton(qtext(msg::kDialUpButton), this);
    dial_->setDefault(true);
    dial_->setAutoDefault(true);
    close_ = new QPushButton(qtext(msg::kModemInfoClose), this);
    hangUpCheck_ = new QCheckBox(qtext(msg::kHangUpCheck), this);
    status_ = new QLabel(this);
    modem_ = new QLabel(this);
    gsmBox_ = new QGroupBox(qtext(msg::kGsmStatusBox), this);
    gsm_ = new QLabel(gsmBox_);
    auto* gsmLayout = new QVBoxLayout(gsmBox_);
    gsmLayout->addWidget(modem_);
    gsmLayout->addWidget(gsm_);

    auto* numberRow = new QHBoxLayout;
    numberRow->addWidget(new QLabel(qtext(msg::kPhoneNumberLabel), this));
    numberRow->addWidget(phones_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(dial_);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(numberRow);
    layout->addWidget(status_);
    layout->addWidget(gsmBox_);
    layout->addWidget(hangUpCheck_);
    layout->addLayout(buttons);

    if (context_.settings) {
        const Settings& s = *context_.settings;
        for (const std::string& p : s.phones)
            phones_->addItem(qs(p));
        int last = phones_->findText(qs(s.lastPhoneNo));
        if (last >= 0)
            phones_->setCurrentIndex(last);
        else
            phones_->setEditText(qs(s.lastPhoneNo));
        hangUpCheck_->setChecked(s.hangUpModemWhenSendOver);
    }
    connect(dial_, &QPushButton::clicked, this, [this] { dialUp(); });
    connect(close_, &QPushButton::clicked, this, [this] { closeWindow(); });
    connect(hangUpCheck_, &QCheckBox::toggled, this, [this](bool on) {
        if (!context_.settings) return;
        context_.settings->hangUpModemWhenSendOver = on;
        saveSettings(context_, this);
    });
}

CDialModemDlg::~CDialModemDlg() = default;

ModemTarget CDialModemDlg::target() const {
    return context_.settings ? modemTargetFrom(*context_.settings, registryOf(context_))
                             : ModemTarget{};
}

void CDialModemDlg::open() {
    status_->setText(shown(text(link_.linkState() == LinkState::Modem ? msg::kModemResultConnect
                                                                      : msg::kModemDisconnected)));
    show();
    raise();
    dialer_->checkGsm(target());
}

void CDialModemDlg::dialUp() {
    dialer_->dial(ss(phones_->currentText()), target());
}

void CDialModemDlg::hangUp() {
    dialer_->hangUp();
}

void CDialModemDlg::closeWindow() {
    if (!closable_) return;
    dialer_->close();
    hide();
}

void CDialModemDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
    closeWindow();
}

void CDialModemDlg::connectStatus(const std::string& t) {
    status_->setText(shown(t));
}

void CDialModemDlg::modemStatus(const std::string& t) {
    modem_->setText(shown(t));
}

void CDialModemDlg::gsmStatus(const std::string& t) {
    gsm_->setText(shown(t));
}

void CDialModemDlg::buttonsEnabled(bool on) {
    dial_->setEnabled(on);
    close_->setEnabled(on);
    closable_ = on;
}

bool CDialModemDlg::askPin(std::string& pin) {
    CPinCodeDlg dialog(this);
    if (dialog.exec() != QDialog::Accepted) return false;
    pin = ss(dialog.code()->text().trimmed());
    return true;
}

void CDialModemDlg::numberDialed(const std::string& number) {
    if (!context_.settings) return;
    if (rememberDialledNumber(*context_.settings, number)) phones_->addItem(qs(number));
    saveSettings(context_, this);
}

void CDialModemDlg::message(const std::string& t, Icon icon) {
    showMessage(this, t, icon);
}

void CDialModemDlg::pump() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// ---- Commands ------------------------------------------------------------------------

CDialModemDlg* dialWindow(CMainFrame& frame) {
    auto it = dialWindows().find(&frame);
    return it == dialWindows().end() ? nullptr : it->second;
}

void installModemCommands(CMainFrame& frame) {
    // The window is the frame's for the whole run. It is released with the
    // frame's command handlers, before the frame's link goes.
    struct Holder {
        CMainFrame* frame = nullptr;
        std::unique_ptr<CDialModemDlg> window;
        ~Holder() { dialWindows().erase(frame); }
    };
    auto holder = std::make_shared<Holder>();
    holder->frame = &frame;

    frame.setCommandHandler(cmd::kSelectModem, [&frame] {
        CModemInfoDlg dialog(frame.context(), &frame);
        dialog.exec();
    });
    frame.setCommandHandler(cmd::kDialModem, [&frame, holder] {
        Icon icon = Icon::None;
        int refusal = dialWindowRefusal(enumerateModems(registryOf(frame.context())),
                                        frame.signLink().linkState(), icon);
        if (refusal) {
            showMessage(&frame, text(refusal), icon);
            return;
        }
        if (!holder->window) {
            holder->window =
                std::make_unique<CDialModemDlg>(frame.context(), frame.signLink(), nullptr);
            dialWindows()[&frame] = holder->window.get();
        }
        holder->window->open();
    });
    frame.setCommandHandler(cmd::kHangUpModem, [&frame, holder] {
        if (holder->window) {
            holder->window->hangUp();
        } else if (frame.signLink().linkState() == LinkState::Modem) {
            frame.signLink().close();
            frame.signLink().setLinkState(LinkState::None);
        }
    });
}

}  // namespace lumavox::ui
