// The operation dialog: every exchange with signs (sending files, one-shot
// commands, read requests) runs inside it. It is the send session's host: the
// file list with ticks, the progress bar, the status line, message boxes
// titled "Error" and "Prompt", and the buttons "Update", "Read File" and
// "Close" ("Close" cancels a running exchange; waits keep the window alive).
// The operation itself runs through the operation table of operations/Operations.h.
#pragma once

#include <QDialog>
#include <QListWidget>
#include <QPointer>
#include <string>
#include <vector>

#include "app/UpdateDialog.h"
#include "operations/Operations.h"
#include "session/SessionHost.h"
#include "ui/frame/EditorContext.h"

class QCheckBox;
class QEventLoop;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace lumavox::ui {

class CMainFrame;
class CChildFrame;

// A list whose entries carry tick boxes.
class CMyCheckListBox : public QListWidget {
    Q_OBJECT
  public:
    explicit CMyCheckListBox(QWidget* parent = nullptr) : QListWidget(parent) {}
    void setEntries(const std::vector<FileEntry>& entries);
    std::vector<std::string> tickedNames() const;
    // Ticks the entry of that name; false when there is none.
    bool tick(const QString& name, bool on = true);
};

// A dialog text: the chosen language's, else the built-in one.
QString dialogText(const EditorContext& context, int templateId, int control);

class CUpdateDlg : public QDialog, public SessionHost {
    Q_OBJECT
  public:
    // The dialog for one operation on the active document of `frame` (if any).
    // `request` carries the answers of the operation's own dialog.
    CUpdateDlg(CMainFrame& frame, UpdateKind kind, OperationRequest request = {},
               QWidget* parent = nullptr);
    ~CUpdateDlg() override;

    UpdateKind kind() const { return kind_; }
    bool busy() const { return busy_; }
    // Runs finished so far, and the outcome of the last one.
    int finishedRuns() const { return finished_; }
    const OperationOutcome& outcome() const { return outcome_; }

    CMyCheckListBox* fileListBox() const { return list_; }
    QPushButton* updateButton() const { return update_; }
    QPushButton* readFileButton() const { return readFile_; }
    QPushButton* closeButton() const { return close_; }
    QProgressBar* progressBar() const { return progress_; }
    QCheckBox* clearMemoryBox() const { return clearMemory_; }
    QString statusText() const;
    // The result lines of a read display.
    QString resultLines() const;

    // What "Update" (or the opening timer) does: runs the operation.
    void startRun();
    // What "Read File" does: reads the ticked files and merges them into the
    // document (asking before an ordinary file is replaced).
    void readFiles();
    // What "Close" does: cancels while busy, else closes.
    void pressClose();

    // SessionHost
    void message(const std::string& text, Icon icon) override;
    bool askYesNo(const std::string& text, Icon icon) override;
    void status(const std::string& text) override;
    void progressRange(int low, int high) override;
    void progressPosition(int position) override;
    void fileList(const std::vector<FileEntry>& files) override;
    void pump() override;
    bool cancelRequested() const override { return cancel_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    // Runs one entry of the operation table with the dialog's request; false
    // when it did not run (refused, cancelled before it started).
    bool runEntry(const SignOperation& op, OperationRequest request);
    // The "Comport & Addr." dialog before a run, when the settings ask for it.
    bool confirmBeforeRun();
    void setBusy(bool busy);
    void reportProblem(const OperationOutcome& outcome);

    CMainFrame& frame_;
    UpdateKind kind_;
    OperationRequest request_;
    UpdateDialogLook look_;
    QPointer<CChildFrame> child_;
    CMyCheckListBox* list_ = nullptr;
    QLabel* listCaption_ = nullptr;
    QCheckBox* clearMemory_ = nullptr;
    QCheckBox* clearFiles_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
    QPlainTextEdit* result_ = nullptr;
    QPushButton* update_ = nullptr;
    QPushButton* readFile_ = nullptr;
    QPushButton* close_ = nullptr;
    bool busy_ = false;
    bool cancel_ = false;
    bool closing_ = false;
    int finished_ = 0;
    // The test pattern stays up until "Close" ends this loop.
    QEventLoop* testHold_ = nullptr;
    OperationOutcome outcome_;
};

// Runs an operation in its dialog, modally, on the active document.
void runUpdateDialog(CMainFrame& frame, UpdateKind kind, OperationRequest request = {});

}  // namespace lumavox::ui
