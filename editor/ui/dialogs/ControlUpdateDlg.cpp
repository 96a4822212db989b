#include "ui/dialogs/ControlUpdateDlg.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSocketNotifier>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "app/Application.h"
#include "editing/NvsMenu.h"
#include "operations/ControlSetup.h"
#include "strings/ControlRouteTexts.h"
#include "strings/StringTable.h"
#include "strings/WindowTexts.h"
#include "ui/bridge/QtBridge.h"
#include "ui/dialogs/CommDialogs.h"
#include "ui/frame/ChildFrame.h"
#include "ui/frame/LumavoxDoc.h"
#include "ui/frame/MainFrame.h"

namespace lumavox::ui {

CControlUpdateDlg::CControlUpdateDlg(CMainFrame& frame, UpdateKind kind, int oldAddress,
                                     int newAddress, QWidget* parent)
    : QDialog(parent ? parent : &frame),
      frame_(frame),
      kind_(kind),
      oldAddress_(oldAddress),
      newAddress_(newAddress),
      child_(frame.activeChild()) {
    setWindowTitle(qtext(controlDialogTitleId(kind)));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(qtext(msg::kControlResultCaption), this));
    results_ = new QListWidget(this);
    results_->setSelectionMode(QAbstractItemView::NoSelection);
    layout->addWidget(results_);
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 1);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    layout->addWidget(progress_);
    auto* checks = new QHBoxLayout;
    clearMemory_ = new QCheckBox(qtext(msg::kControlClearMemory), this);
    checkEach_ = new QCheckBox(qtext(msg::kControlCheckEach), this);
    checks->addWidget(clearMemory_);
    checks->addWidget(checkEach_);
    checks->addStretch();
    layout->addLayout(checks);
    auto* buttons = new QHBoxLayout;
    update_ = new QPushButton(qtext(msg::kButtonUpdate), this);
    stop_ = new QPushButton(qtext(msg::kControlStopButton), this);
    buttons->addStretch();
    for (QPushButton* b : {update_, stop_}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
    resize(640, 400);

    const EditorContext& ctx = frame.context();
    if (const Settings* s = ctx.settings) {
        clearMemory_->setChecked((s->clearAllMemory & 1) != 0);
        checkEach_->setChecked(s->checkResponseEachSignNvs);
    }
    connect(update_, &QPushButton::clicked, this, &CControlUpdateDlg::startRun);
    connect(stop_, &QPushButton::clicked, this, &CControlUpdateDlg::pressStop);

    // The control lives as long as the dialog.
    static const ResourceTable kNoResources;
    HostedControl hosted = CreateHostedControl(
        ctx.environment.cacheDir, ctx.resources ? *ctx.resources : kNoResources, *this);
    // The program cannot work without its control: it ends (see
    // runControlUpdateDialog).
    mustEnd_ = hosted.quit;
    if (!hosted.control) {
        update_->setEnabled(false);
        return;
    }
    control_ = hosted.control;
    route_ = std::make_unique<ControlRoute>(*control_, *this);
    events_ = new QSocketNotifier(route_->eventFd(), QSocketNotifier::Read, this);
    connect(events_, &QSocketNotifier::activated, this, &CControlUpdateDlg::onEvents);
}

CControlUpdateDlg::~CControlUpdateDlg() {
    // The notifier goes before the descriptor it watches; the control's
    // destruction ends its send thread.
    delete events_;
    events_ = nullptr;
    route_.reset();
    if (control_) NVSOCX_ReleaseObject(control_);
}

QStringList CControlUpdateDlg::resultLines() const {
    QStringList lines;
    for (int i = 0; i < results_->count(); ++i)
        lines << results_->item(i)->text();
    return lines;
}

void CControlUpdateDlg::onEvents() {
    if (!route_ || dispatching_) return;
    callControl([this] { route_->dispatch(); });
}

void CControlUpdateDlg::callControl(const std::function<void()>& call) {
    dispatching_ = true;
    events_->setEnabled(false);
    call();
    events_->setEnabled(true);
    dispatching_ = false;
    if (closeWaiting_) {
        closeWaiting_ = false;
        stopWaiting_ = false;
        if (mayClose()) closeDialog();
    } else if (stopWaiting_) {
        stopWaiting_ = false;
        stopSend();
    }
}

void CControlUpdateDlg::startRun() {
    if (!route_ || route_->running() || closing_ || dispatching_) return;
    EditorContext& ctx = frame_.context();
    CSignLink& link = frame_.signLink();
    // The "Comport & Addr." dialog first when the settings ask for it.
    if (ctx.settings && ctx.settings->alwaysDisplay && kind_ != UpdateKind::ChangeAddress &&
        link.linkState() == LinkState::None && !showComportAddrDialog(frame_, this)) {
        addResult(text(msg::kCancelledByUser));
        return;
    }
    const Settings settings = ctx.settings ? *ctx.settings : Settings{};
    ControlRouteConfig config = controlRouteConfigFrom(settings, ctx.environment.nvsImageDir());
    config.clearMemory = clearMemory_->isChecked();
    config.checkEach = checkEach_->isChecked();
    config.oldAddress = oldAddress_;
    config.newAddress = newAddress_;
    // A modem line that is up is handed to the control as an open line.
    if (link.linkState() == LinkState::Modem) config.hostHandle = link.serialFd();
    const WorkArea* document = nullptr;
    if (child_) {
        work_ = child_->doc().document().work();
        document = &work_;
    }
    results_->clear();
    update_->setEnabled(false);
    // Starting may raise a failed connection's events too.
    callControl([&] { route_->start(kind_, config, document); });
    if (!closing_) update_->setEnabled(!route_->running());
}

void CControlUpdateDlg::stopSend() {
    if (!route_) return;
    if (dispatching_) {
        stopWaiting_ = true;
        return;
    }
    route_->stop();
    update_->setEnabled(!route_->running());
}

void CControlUpdateDlg::pressStop() {
    if (closing_) return;
    if (dispatching_) {
        stopWaiting_ = true;
        return;
    }
    // A send that is going on is stopped; otherwise "Stop" closes.
    if (route_ && route_->stop()) {
        update_->setEnabled(!route_->running());
        return;
    }
    closeDialog();
}

void CControlUpdateDlg::closeDialog() {
    if (closing_) return;
    closing_ = true;
    EditorContext& ctx = frame_.context();
    if (ctx.settings &&
        storeControlChecks(*ctx.settings, clearMemory_->isChecked(), checkEach_->isChecked()))
        saveSettings(ctx, this);
    QDialog::reject();
}

bool CControlUpdateDlg::mayClose() {
    if (!route_ || !route_->running()) return true;
    if (!askYesNo(text(msg::kControlCloseWhileSending), Icon::Question)) return false;
    // The run may have ended while the question was open.
    if (route_->running()) route_->stop();
    return true;
}

void CControlUpdateDlg::closeEvent(QCloseEvent* event) {
    if (closing_) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    reject();
}

void CControlUpdateDlg::reject() {
    if (closing_) return;
    if (dispatching_) {
        closeWaiting_ = true;
        return;
    }
    if (mayClose()) closeDialog();
}

// ---- ControlRouteHost ----------------------------------------------------------

void CControlUpdateDlg::addResult(const std::string& t) {
    if (t.empty()) return;
    results_->addItem(qs(t));
    results_->scrollToBottom();
}

void CControlUpdateDlg::progressRange(int32_t high) {
    progress_->setRange(0, std::max(high, 1));
    progress_->setValue(0);
}

void CControlUpdateDlg::progressPosition(int32_t position) {
    progress_->setValue(std::clamp(position, 0, progress_->maximum()));
}

void CControlUpdateDlg::runEnded() {
    progress_->setValue(0);
    update_->setEnabled(true);
}

void CControlUpdateDlg::message(const std::string& t, Icon icon) {
    showMessage(this, t, icon);
}

bool CControlUpdateDlg::askYesNo(const std::string& t, Icon icon) {
    return ui::askYesNo(this, t, icon);
}

// ---- Commands ------------------------------------------------------------------

void runControlUpdateDialog(CMainFrame& frame, UpdateKind kind, int oldAddress, int newAddress) {
    bool mustEnd = false;
    {
        CControlUpdateDlg dialog(frame, kind, oldAddress, newAddress);
        if (dialog.hasControl()) dialog.exec();
        mustEnd = dialog.programMustEnd();
    }
    if (!mustEnd) return;
    // The window closes as it does on Exit: each modified document is asked
    // about first, and the program ends with its last window. Cancelling the
    // question keeps the program open with the work.
    frame.close();
}

void installControlCommands(CMainFrame& frame) {
    if (frame.context().mode() != SignMode::NVS) return;
    for (int command : {cmd::kSendAll, cmd::kAdjustTime, cmd::kSignOff, cmd::kSignOn,
                        cmd::kClearSign, cmd::kSetDefaultFile}) {
        const UpdateKind kind = *nvsCommandKind(command);
        frame.setCommandHandler(command, [&frame, kind] { runControlUpdateDialog(frame, kind); });
    }
    frame.setCommandHandler(cmd::kChangeAddress, [&frame] {
        CChangeAddressDlg dialog(frame.context(), &frame);
        if (dialog.exec() != QDialog::Accepted) return;
        runControlUpdateDialog(frame, UpdateKind::ChangeAddress, dialog.oldAddress()->value(),
                               dialog.newAddress()->value());
    });
}

}  // namespace lumavox::ui
