#include "ui/dialogs/UpdateDlg.h"
#include "ui/dialogs/DialogText.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/DialogTexts.h"
#include "render/FontSet.h"
#include "strings/StringTable.h"
#include "strings/WindowTexts.h"
#include "ui/bridge/QtBridge.h"
#include "ui/dialogs/CommDialogs.h"
#include "ui/frame/ChildFrame.h"
#include "ui/frame/LumavoxDoc.h"
#include "ui/frame/MainFrame.h"
#include "ui/views/LumavoxView.h"

namespace lumavox::ui {

namespace {

// The table entry of a kind: the file-reading entry of kinds 16 and 22 when
// `fileStage`, else the first.
const SignOperation* entryFor(UpdateKind kind, bool fileStage) {
    for (const SignOperation& op : signOperations())
        if (op.kind == kind && (op.input == OperationInput::ReadNames) == fileStage) return &op;
    return nullptr;
}

// Read displays separate their lines with carriage returns.
QString displayLines(const std::string& text) {
    QString s = qs(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace('\r', '\n');
    return s;
}

}  // namespace

// ---- CMyCheckListBox ---------------------------------------------------------

void CMyCheckListBox::setEntries(const std::vector<FileEntry>& entries) {
    clear();
    for (const FileEntry& e : entries) {
        auto* item = new QListWidgetItem(qs(e.name), this);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(e.ticked ? Qt::Checked : Qt::Unchecked);
    }
}

std::vector<std::string> CMyCheckListBox::tickedNames() const {
    std::vector<std::string> names;
    for (int i = 0; i < count(); ++i)
        if (item(i)->checkState() == Qt::Checked) names.push_back(ss(item(i)->text()));
    return names;
}

bool CMyCheckListBox::tick(const QString& name, bool on) {
    for (int i = 0; i < count(); ++i)
        if (item(i)->text() == name) {
            item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
            return true;
        }
    return false;
}

QString dialogText(const EditorContext& context, int templateId, int control) {
    return dialogText(context.language, templateId, control);
}

// ---- CUpdateDlg ----------------------------------------------------------------

CUpdateDlg::CUpdateDlg(CMainFrame& frame, UpdateKind kind, OperationRequest request,
                       QWidget* parent)
    : QDialog(parent ? parent : &frame),
      frame_(frame),
      kind_(kind),
      request_(std::move(request)),
      look_(updateDialogLook(kind)),
      child_(frame.activeChild()) {
    const EditorContext& ctx = frame.context();
    auto t = [&ctx](int control) { return dialogText(ctx, kUpdateDialog, control); };
    setWindowTitle(look_.titleId ? qtext(look_.titleId) : t(0));

    auto* layout = new QVBoxLayout(this);
    listCaption_ = new QLabel(look_.listCaptionId ? qtext(look_.listCaptionId) : t(kCtlFirst));
    list_ = new CMyCheckListBox(this);
    layout->addWidget(listCaption_);
    layout->addWidget(list_);
    auto* checks = new QHBoxLayout;
    clearMemory_ = new QCheckBox(t(kCtlSecond), this);
    clearFiles_ = new QCheckBox(
        look_.graphicOptions ? qtext(msg::kClearAllGraphicFiles) : t(kCtlThird), this);
    checks->addWidget(clearMemory_);
    checks->addWidget(clearFiles_);
    layout->addLayout(checks);
    result_ = new QPlainTextEdit(this);
    result_->setReadOnly(true);
    result_->setVisible(look_.showsResult);
    layout->addWidget(result_);
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 1);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    layout->addWidget(progress_);
    status_ = new QLabel(this);
    status_->setWordWrap(true);
    status_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    status_->setMinimumHeight(status_->fontMetrics().height() * 3);
    status_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(status_);
    auto* buttons = new QHBoxLayout;
    update_ = new QPushButton(look_.readsDirectory ? qtext(msg::kReadDirectory) : t(kCtlFourth));
    readFile_ = new QPushButton(t(kCtlFifth));
    close_ = new QPushButton(t(kCtlSixth));
    buttons->addStretch();
    for (QPushButton* b : {update_, readFile_, close_}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
    resize(460, look_.showsResult ? 420 : 360);

    // Only kinds 1 and 2 offer the send options; only 16 and 22 read files.
    const bool sendsFiles = kind == UpdateKind::SendText || kind == UpdateKind::SendGraphic;
    clearMemory_->setEnabled(sendsFiles);
    clearFiles_->setEnabled(sendsFiles);
    readFile_->setVisible(look_.readsDirectory);
    readFile_->setEnabled(false);
    if (sendsFiles) {
        const int options = ctx.settings ? ctx.settings->clearAllMemory : 0;
        clearMemory_->setChecked(clearMemoryTicked(options));
        clearFiles_->setChecked(clearFilesTicked(options));
    }
    if (kind == UpdateKind::SendAll) {
        // The run decides the option itself: the box shows what it sends.
        clearMemory_->setChecked(child_ && sendAllClearsMemory(child_->doc().document().work()));
    }
    if (sendsFiles || kind == UpdateKind::SendAll) {
        // Send all sends every text file: the list shows them ticked.
        std::vector<FileEntry> entries;
        if (child_)
            for (const std::string& name : sendableFiles(child_->doc().document().work(), kind))
                entries.push_back({name, kind == UpdateKind::SendAll});
        list_->setEntries(entries);
    }
    if (!sendsFiles && !look_.readsDirectory) list_->setEnabled(false);

    connect(update_, &QPushButton::clicked, this, &CUpdateDlg::startRun);
    connect(readFile_, &QPushButton::clicked, this, &CUpdateDlg::readFiles);
    connect(close_, &QPushButton::clicked, this, &CUpdateDlg::pressClose);
    if (!look_.waitsForUpdate) QTimer::singleShot(500, this, &CUpdateDlg::startRun);
}

CUpdateDlg::~CUpdateDlg() = default;

QString CUpdateDlg::statusText() const {
    return status_->text();
}

QString CUpdateDlg::resultLines() const {
    return result_->toPlainText();
}

void CUpdateDlg::setBusy(bool busy) {
    busy_ = busy;
    update_->setEnabled(!busy);
    readFile_->setEnabled(!busy && look_.readsDirectory && list_->count() > 0);
    list_->setEnabled(!busy && (look_.waitsForUpdate || look_.readsDirectory));
}

bool CUpdateDlg::confirmBeforeRun() {
    const Settings* settings = frame_.context().settings;
    if (!settings || !settings->alwaysDisplay || kind_ == UpdateKind::ChangeAddress ||
        frame_.signLink().linkState() != LinkState::None)
        return true;
    if (showComportAddrDialog(frame_, this)) return true;
    status(text(msg::kCancelledByUser));
    outcome_ = {};
    outcome_.resultText = text(msg::kCancelledByUser);
    return false;
}

void CUpdateDlg::reportProblem(const OperationOutcome& out) {
    switch (out.problem) {
        case OperationProblem::GprsRoute:
        case OperationProblem::BadAddressList:
        case OperationProblem::UnknownFile:
            message(out.detail, Icon::Error);
            break;
        case OperationProblem::NoDocument:
        case OperationProblem::BadAnswer:
        case OperationProblem::Busy:
        case OperationProblem::Refused:
        case OperationProblem::None:
            break;
    }
    if (!out.saveError.empty()) message(out.saveError, Icon::Error);
}

bool CUpdateDlg::runEntry(const SignOperation& op, OperationRequest request) {
    if (busy_ || !confirmBeforeRun()) return false;
    EditorContext& ctx = frame_.context();
    const Settings settings = ctx.settings ? *ctx.settings : Settings{};
    CSignLink& link = frame_.signLink();
    link.setComPorts(comPortsFrom(settings));
    link.setMessageBox([this](const std::string& title, const std::string& body) {
        QMessageBox::warning(this, qs(title), qs(body));
    });
    request.alwaysDisplay = false;  // asked above, before the settings were taken
    // The document's copy that the run reads from and writes back into.
    WorkArea work;
    WorkArea* workPtr = nullptr;
    if (child_) {
        work = child_->doc().document().work();
        workPtr = &work;
        if (ctx.store)
            request.textDecode =
                readBackDecodeOptions(child_->view().fonts(), ctx.store->DefaultFontName());
    }
    if (kind_ == UpdateKind::TestDisplay) {
        // The sign shows its test pattern until "Close" is pressed.
        request.onAnswer = [this](const SendSession&) {
            QEventLoop hold;
            testHold_ = &hold;
            status(ss(windowTitle()));
            hold.exec();
            testHold_ = nullptr;
            setWindowTitle(qtext(msg::kUpdateKindTitle + static_cast<int>(UpdateKind::CloseTest)));
        };
    }
    cancel_ = false;
    setBusy(true);
    outcome_ = runOperation(op, link, *this, workPtr, settings, request);
    setBusy(false);
    ++finished_;
    if (outcome_.documentChanged && child_) {
        child_->doc().document().changeWorkArea([&work](WorkArea& w) {
            w = std::move(work);
            return true;
        });
    }
    reportProblem(outcome_);
    if (look_.showsResult && outcome_.problem == OperationProblem::None)
        result_->setPlainText(displayLines(outcome_.resultText));
    return outcome_.problem == OperationProblem::None;
}

void CUpdateDlg::startRun() {
    if (busy_ || closing_) return;
    const SignOperation* op = entryFor(kind_, false);
    if (!op) return;
    OperationRequest request = request_;
    if (kind_ == UpdateKind::SendText || kind_ == UpdateKind::SendGraphic) {
        request.names = list_->tickedNames();
        if (request.names.empty()) {
            message(text(msg::kSessionSelectFiles), Icon::Error);
            return;
        }
        const int options = sendOptionsOf(clearMemory_->isChecked(), clearFiles_->isChecked());
        request.sendOptions = options;
        EditorContext& ctx = frame_.context();
        if (ctx.settings && ctx.settings->clearAllMemory != options) {
            ctx.settings->clearAllMemory = options;
            std::string error;
            if (ctx.store && !ctx.store->SaveSettings(*ctx.settings, error))
                message(error, Icon::Error);
        }
    }
    if (kind_ == UpdateKind::SendCurrent) {
        const TextFile* current = child_ ? child_->doc().document().currentFile() : nullptr;
        if (!current) return;
        request.names = {current->name.str()};
    }
    runEntry(*op, request);
    if (look_.closesItself || kind_ == UpdateKind::TestDisplay) {
        closing_ = true;
        QTimer::singleShot(0, this, &QDialog::accept);
    }
}

void CUpdateDlg::readFiles() {
    if (busy_ || !look_.readsDirectory) return;
    if (list_->count() == 0) {
        message(text(msg::kReadDirectoryFirst), Icon::Error);
        return;
    }
    OperationRequest request = request_;
    request.names = list_->tickedNames();
    if (request.names.empty()) {
        message(text(msg::kSelectReadFile), Icon::Error);
        return;
    }
    const SignOperation* op = entryFor(kind_, true);
    if (!op || !child_) return;
    const std::vector<std::string> ticked = request.names;
    runEntry(*op, request);
    // The directory was read again on the way; keep the user's ticks.
    for (const std::string& name : ticked)
        list_->tick(qs(name));
}

void CUpdateDlg::pressClose() {
    if (testHold_) {
        testHold_->quit();
        return;
    }
    if (busy_) {
        QApplication::beep();
        cancel_ = true;
        status(text(msg::kCancelledByUser));
        return;
    }
    closing_ = true;
    close_->setEnabled(false);
    accept();
}

void CUpdateDlg::closeEvent(QCloseEvent* event) {
    if (busy_ || testHold_) {
        event->ignore();
        pressClose();
        return;
    }
    QDialog::closeEvent(event);
}

void CUpdateDlg::reject() {
    if (busy_ || testHold_) {
        pressClose();
        return;
    }
    QDialog::reject();
}

// ---- SessionHost -----------------------------------------------------------------

void CUpdateDlg::message(const std::string& text, Icon icon) {
    showMessage(this, text, icon);
}

bool CUpdateDlg::askYesNo(const std::string& text, Icon icon) {
    return ui::askYesNo(this, text, icon);
}

void CUpdateDlg::status(const std::string& text) {
    status_->setText(qs(text));
}

void CUpdateDlg::progressRange(int low, int high) {
    progress_->setRange(low, std::max(high, low + 1));
}

void CUpdateDlg::progressPosition(int position) {
    progress_->setValue(position);
}

void CUpdateDlg::fileList(const std::vector<FileEntry>& files) {
    list_->setEntries(files);
}

void CUpdateDlg::pump() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void runUpdateDialog(CMainFrame& frame, UpdateKind kind, OperationRequest request) {
    CUpdateDlg dialog(frame, kind, std::move(request));
    dialog.exec();
}

}  // namespace lumavox::ui
