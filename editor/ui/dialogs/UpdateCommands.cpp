// The Update, Read and Communication Settings menu commands of the window:
// each opens the operation's own dialog where it has one, then runs the
// operation in the operation dialog.
#include <QApplication>
#include <QDialog>
#include <QSpinBox>

#include "operations/GprsRoute.h"
#include "strings/CommandIds.h"
#include "ui/bridge/QtBridge.h"
#include "ui/dialogs/CommDialogs.h"
#include "ui/dialogs/ScheduleDlg.h"
#include "ui/dialogs/UpdateDlg.h"
#include "ui/frame/ChildFrame.h"
#include "ui/frame/LumavoxDoc.h"
#include "ui/frame/MainFrame.h"

namespace lumavox::ui {

namespace {

struct DirectCommand {
    int command;
    UpdateKind kind;
};

// Commands that start their operation without a dialog of their own.
constexpr DirectCommand kDirect[] = {
    {cmd::kSendAll, UpdateKind::SendAll},
    {cmd::kSendText, UpdateKind::SendText},
    {cmd::kSendGraphic, UpdateKind::SendGraphic},
    {cmd::kAdjustTime, UpdateKind::AdjustTime},
    {cmd::kTestDisplay, UpdateKind::TestDisplay},
    {cmd::kSignOff, UpdateKind::SignOff},
    {cmd::kSignOn, UpdateKind::SignOn},
    {cmd::kSendCurrent, UpdateKind::SendCurrent},
    {cmd::kReadMemory, UpdateKind::ReadMemory},
    {cmd::kReadText, UpdateKind::ReadText},
    {cmd::kReadGraphic, UpdateKind::ReadGraphic},
    {cmd::kReadDefault, UpdateKind::ReadDefault},
    {cmd::kReadAutoOnOff, UpdateKind::ReadAutoOnOff},
    {cmd::kReadBios, UpdateKind::ReadBios},
    {cmd::kReadSerial, UpdateKind::ReadSerial},
    {cmd::kReadConfig, UpdateKind::ReadConfig},
};

// After "Communication option" closed: the GPRS monitor follows the mode and
// the server port, telling the user first.
void applyCommunicationModeChange(CMainFrame& frame, SendType oldType, int oldPort) {
    EditorContext& context = frame.context();
    const Settings& s = *context.settings;
    GprsModeChange change = gprsModeChange(oldType, oldPort, s.sendType, s.gprsServerPort);
    if (change.action == GprsMonitorAction::None || !context.gprs) return;
    showMessage(&frame, change.notice, Icon::Information);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    applyGprsModeChange(change, *context.gprs, s.gprsServerPort,
                        [] { QCoreApplication::processEvents(); });
    QApplication::restoreOverrideCursor();
    frame.showGprsStartError();
}

std::vector<std::string> documentTextFiles(CMainFrame& frame) {
    CChildFrame* child = frame.activeChild();
    if (!child) return {};
    return sendableFiles(child->doc().document().work(), UpdateKind::SendText);
}

}  // namespace

void installUpdateCommands(CMainFrame& frame) {
    for (const DirectCommand& d : kDirect)
        frame.setCommandHandler(d.command,
                                [&frame, kind = d.kind] { runUpdateDialog(frame, kind); });

    frame.setCommandHandler(cmd::kSendSchedule, [&frame] { runScheduleEditor(frame); });
    frame.setCommandHandler(cmd::kReadSchedule, [&frame] { runScheduleRead(frame); });
    frame.setCommandHandler(cmd::kChangeAddress, [&frame] {
        CChangeAddressDlg dialog(frame.context(), &frame);
        if (dialog.exec() != QDialog::Accepted) return;
        OperationRequest r;
        r.oldAddress = dialog.oldAddress()->value();
        r.newAddress = dialog.newAddress()->value();
        runUpdateDialog(frame, UpdateKind::ChangeAddress, r);
    });
    frame.setCommandHandler(cmd::kChangeBaud, [&frame] {
        CBaudRateDlg dialog(frame.context(), true, &frame);
        if (dialog.exec() != QDialog::Accepted) return;
        OperationRequest r;
        r.baudIndex = dialog.chosenIndex();
        runUpdateDialog(frame, UpdateKind::ChangeBaud, r);
    });
    frame.setCommandHandler(cmd::kAutoOnOff, [&frame] {
        if (!frame.context().settings) return;
        CAutoOnOffDlg dialog(frame.context(), &frame);
        if (dialog.exec() == QDialog::Accepted) runUpdateDialog(frame, UpdateKind::AutoOnOff);
    });
    frame.setCommandHandler(cmd::kClearSign, [&frame] {
        CClearSignDlg dialog(frame.context(), &frame);
        if (dialog.exec() == QDialog::Accepted && dialog.chosenKind())
            runUpdateDialog(frame, static_cast<UpdateKind>(dialog.chosenKind()));
    });
    frame.setCommandHandler(cmd::kSetDefaultFile, [&frame] {
        CSetDefaultDlg dialog(frame.context(), documentTextFiles(frame), &frame);
        if (dialog.exec() != QDialog::Accepted) return;
        OperationRequest r;
        r.defaultName = dialog.chosen();
        runUpdateDialog(frame, UpdateKind::SetDefault, r);
    });

    frame.setCommandHandler(cmd::kCommunicationMode, [&frame] {
        if (!frame.context().settings) return;
        const Settings& s = *frame.context().settings;
        const SendType oldType = s.sendType;
        const int oldPort = s.gprsServerPort;
        CCommOptionDlg dialog(frame.context(), &frame);
        if (dialog.exec() != QDialog::Accepted) return;
        applyCommunicationModeChange(frame, oldType, oldPort);
    });
    frame.setCommandHandler(cmd::kComportAddress,
                            [&frame] { showComportAddrDialog(frame, &frame); });
    frame.setCommandHandler(cmd::kBaudRate, [&frame] {
        CBaudRateDlg dialog(frame.context(), false, &frame);
        dialog.exec();
    });
    frame.setCommandHandler(cmd::kHangUpTcpIp, [&frame] { frame.signLink().closeSocket(); });
}

}  // namespace lumavox::ui
