// The NVS family's "Update Files" dialog: it hosts the scriptable sign control
// and runs one operation through the route engine (operations/ControlRoute.h). The
// list "Result for sending" shows what the run and the control report, the
// progress bar follows the control's progress, the check boxes "Clear sign's
// memory" and "Check response for each sign" come from the settings and go
// back to them when the dialog closes; "Update" starts the run, "Stop" stops a
// running send or else closes the dialog.
//
// The control sends on its own thread. Its events arrive on the window's
// thread: a socket notifier watches the control's event descriptor and the
// Qt event loop dispatches them, so the window stays alive during a send.
#pragma once

#include <QDialog>
#include <QPointer>
#include <functional>
#include <memory>

#include "operations/ControlRoute.h"

class QCheckBox;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSocketNotifier;

namespace lumavox::ui {

class CMainFrame;
class CChildFrame;

class CControlUpdateDlg : public QDialog, public ControlRouteHost {
    Q_OBJECT
  public:
    // The dialog for one operation on the active document of `frame`. The
    // control is created here (prepared first when it cannot be created);
    // hasControl() tells whether that worked. `oldAddress` and `newAddress`
    // are those of Change Address.
    CControlUpdateDlg(CMainFrame& frame, UpdateKind kind, int oldAddress = 0, int newAddress = 0,
                      QWidget* parent = nullptr);
    ~CControlUpdateDlg() override;

    bool hasControl() const { return route_ != nullptr; }
    // The control could not be prepared: the program must end (the user has
    // been told).
    bool programMustEnd() const { return mustEnd_; }
    UpdateKind kind() const { return kind_; }
    // A run is going on ("Update" is disabled).
    bool running() const { return route_ && route_->running(); }
    // Failures of the last run (refusals, control results, failed steps, stop).
    int failures() const { return route_ ? route_->failures() : 0; }

    QListWidget* resultList() const { return results_; }
    QProgressBar* progressBar() const { return progress_; }
    QCheckBox* clearMemoryBox() const { return clearMemory_; }
    QCheckBox* checkEachBox() const { return checkEach_; }
    QPushButton* updateButton() const { return update_; }
    QPushButton* stopButton() const { return stop_; }
    // The lines of "Result for sending".
    QStringList resultLines() const;

    // What "Update" does: starts the run.
    void startRun();
    // What "Stop" does: stops a running send, else stores the check boxes and
    // closes the dialog.
    void pressStop();

    // ControlRouteHost
    void addResult(const std::string& text) override;
    void progressRange(int32_t high) override;
    void progressPosition(int32_t position) override;
    void runEnded() override;
    void message(const std::string& text, Icon icon) override;
    bool askYesNo(const std::string& text, Icon icon) override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    // The control's events: raised here, on the window's thread.
    void onEvents();
    // Runs a call that may raise the control's events, then what was asked
    // for meanwhile (a stop, a close).
    void callControl(const std::function<void()>& call);
    // Stops a send before the dialog closes, after asking; false when the
    // user keeps it running.
    bool mayClose();
    void stopSend();
    void closeDialog();

    CMainFrame& frame_;
    UpdateKind kind_;
    int oldAddress_;
    int newAddress_;
    QPointer<CChildFrame> child_;
    // The document as it was when "Update" was pressed; the run reads it.
    WorkArea work_;
    NVSOCX_Object* control_ = nullptr;
    std::unique_ptr<ControlRoute> route_;
    QSocketNotifier* events_ = nullptr;
    QListWidget* results_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QCheckBox* clearMemory_ = nullptr;
    QCheckBox* checkEach_ = nullptr;
    QPushButton* update_ = nullptr;
    QPushButton* stop_ = nullptr;
    // While the control raises its events nothing may call into it: a stop or
    // close asked for meanwhile (from a message box's event loop) waits until
    // the dispatch has returned.
    bool dispatching_ = false;
    bool stopWaiting_ = false;
    bool closeWaiting_ = false;
    bool closing_ = false;
    bool mustEnd_ = false;
};

// Runs an operation of the NVS family in its dialog, modally.
void runControlUpdateDialog(CMainFrame& frame, UpdateKind kind, int oldAddress = 0,
                            int newAddress = 0);

// In the NVS family the Update menu's commands open the "Update Files" dialog
// instead of the operation dialog; nothing changes for the KV2 family.
void installControlCommands(CMainFrame& frame);

}  // namespace lumavox::ui
