#include "ui/dialogs/ScheduleDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "app/ScheduleDialog.h"
#include "operations/Operations.h"
#include "strings/StringTable.h"
#include "strings/WindowTexts.h"
#include "ui/bridge/QtBridge.h"
#include "ui/dialogs/UpdateDlg.h"
#include "ui/frame/ChildFrame.h"
#include "ui/frame/LumavoxDoc.h"
#include "ui/frame/MainFrame.h"

namespace lumavox::ui {

namespace {

enum DatePart { kYear, kMonth, kDay };

// Which part of a date each of the three on-screen fields holds.
std::array<DatePart, 3> datePartsIn(DateOrder order) {
    switch (order) {
        case DateOrder::MonthDayYear:
            return {kMonth, kDay, kYear};
        case DateOrder::DayMonthYear:
            return {kDay, kMonth, kYear};
        case DateOrder::YearMonthDay:
            break;
    }
    return {kYear, kMonth, kDay};
}

std::array<QSpinBox*, 3> makeDateFields(QWidget* parent, DateOrder order, QHBoxLayout* row) {
    std::array<QSpinBox*, 3> fields{};
    const std::array<DatePart, 3> parts = datePartsIn(order);
    for (size_t i = 0; i < 3; ++i) {
        auto* box = new QSpinBox(parent);
        box->setRange(0, parts[i] == kYear ? 9999 : parts[i] == kMonth ? 12 : 31);
        // A date of zero (a task nobody gave dates yet) shows dashes.
        box->setSpecialValueText(parts[i] == kYear ? QStringLiteral("----") : QStringLiteral("--"));
        if (i > 0) row->addWidget(new QLabel(QStringLiteral("-"), parent));
        row->addWidget(box);
        fields[i] = box;
    }
    return fields;
}

void showDate(const std::array<QSpinBox*, 3>& fields, DateOrder order, int y, int m, int d) {
    const std::array<DatePart, 3> parts = datePartsIn(order);
    for (size_t i = 0; i < 3; ++i)
        fields[i]->setValue(parts[i] == kYear ? y : parts[i] == kMonth ? m : d);
}

void readDate(const std::array<QSpinBox*, 3>& fields, DateOrder order, int& y, int& m, int& d) {
    const std::array<DatePart, 3> parts = datePartsIn(order);
    for (size_t i = 0; i < 3; ++i)
        (parts[i] == kYear ? y : parts[i] == kMonth ? m : d) = fields[i]->value();
}

void selectIndex(QComboBox* box, const std::optional<int>& index) {
    box->setCurrentIndex(index && *index >= 0 && *index < box->count() ? *index : -1);
}

std::optional<int> chosenIndex(const QComboBox* box) {
    if (box->currentIndex() < 0) return std::nullopt;
    return box->currentIndex();
}

}  // namespace

DateOrder systemDateOrder() {
    return dateOrderFromPattern(ss(QLocale::system().dateFormat(QLocale::ShortFormat)));
}

CScheduleDlg::CScheduleDlg(const EditorContext& context, std::vector<ScheduleTask> tasks,
                           const WorkArea& work, Mode mode, DateOrder order, QWidget* parent)
    : QDialog(parent),
      context_(context),
      mode_(mode),
      order_(order),
      work_(work),
      tasks_(std::move(tasks)) {
    auto t = [this](int control) { return dialogText(context_, kScheduleDialog, control); };
    setWindowTitle(mode == Mode::ReadBack ? qtext(msg::kScheduleReadTitle) : t(0));

    taskList_ = new QListWidget(this);
    enable_ = new QCheckBox(t(kSchEnable), this);
    priority_ = new QComboBox(this);
    for (int i = 0; i < 3; ++i)
        priority_->addItem(qtext(msg::kPriorityLowName + i));
    firstWeekday_ = new QComboBox(this);
    lastWeekday_ = new QComboBox(this);
    for (int i = 0; i < 7; ++i) {
        firstWeekday_->addItem(qtext(msg::kWeekdayLong + i));
        lastWeekday_->addItem(qtext(msg::kWeekdayLong + i));
    }
    files_ = new QComboBox(this);

    const QString orderLabel =
        QStringLiteral(" [%1]").arg(QString::fromLatin1(dateOrderLabel(order).data()));
    auto* startDateRow = new QHBoxLayout;
    auto* endDateRow = new QHBoxLayout;
    startDate_ = makeDateFields(this, order, startDateRow);
    endDate_ = makeDateFields(this, order, endDateRow);
    startTime_ = new QTimeEdit(this);
    endTime_ = new QTimeEdit(this);
    for (QTimeEdit* e : {startTime_, endTime_})
        e->setDisplayFormat(QStringLiteral("HH:mm"));

    // The task's controls.
    auto* grid = new QGridLayout;
    int row = 0;
    grid->addWidget(enable_, row++, 0, 1, 2);
    grid->addWidget(new QLabel(t(kSchPriority), this), row, 0);
    grid->addWidget(priority_, row++, 1);
    grid->addWidget(new QLabel(t(kSchTextFile), this), row, 0);
    grid->addWidget(files_, row++, 1);

    auto* weekly = new QGroupBox(t(kSchWeekly), this);
    auto* weeklyRow = new QHBoxLayout(weekly);
    weeklyRow->addWidget(new QLabel(t(kSchFrom), weekly));
    weeklyRow->addWidget(firstWeekday_);
    weeklyRow->addWidget(new QLabel(t(kSchTo), weekly));
    weeklyRow->addWidget(lastWeekday_);
    grid->addWidget(weekly, row++, 0, 1, 2);

    auto* dates = new QGroupBox(t(kSchRunDate), this);
    auto* datesGrid = new QGridLayout(dates);
    datesGrid->addWidget(new QLabel(t(kSchFrom) + orderLabel, dates), 0, 0);
    datesGrid->addLayout(startDateRow, 0, 1);
    datesGrid->addWidget(new QLabel(t(kSchTo) + orderLabel, dates), 1, 0);
    datesGrid->addLayout(endDateRow, 1, 1);
    grid->addWidget(dates, row++, 0, 1, 2);

    auto* times = new QGroupBox(t(kSchRunTime), this);
    auto* timesGrid = new QGridLayout(times);
    timesGrid->addWidget(new QLabel(t(kSchTimeFrom), times), 0, 0);
    timesGrid->addWidget(startTime_, 0, 1);
    timesGrid->addWidget(new QLabel(t(kSchTimeTo), times), 1, 0);
    timesGrid->addWidget(endTime_, 1, 1);
    grid->addWidget(times, row++, 0, 1, 2);

    // The task list with its buttons on the left.
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(t(kSchTaskList), this));
    left->addWidget(taskList_);
    if (mode == Mode::Document) {
        add_ = new QPushButton(t(kSchAdd), this);
        delete_ = new QPushButton(t(kSchDelete), this);
        update_ = new QPushButton(t(kSchUpdate), this);
        for (QPushButton* b : {add_, delete_, update_}) {
            b->setAutoDefault(false);
            left->addWidget(b);
        }
        connect(add_, &QPushButton::clicked, this, &CScheduleDlg::addTask);
        connect(delete_, &QPushButton::clicked, this, &CScheduleDlg::deleteTask);
        connect(update_, &QPushButton::clicked, this, &CScheduleDlg::pressUpdate);
    }

    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    box->button(QDialogButtonBox::Ok)->setText(t(kControlOk));
    box->button(QDialogButtonBox::Cancel)->setText(t(kControlCancel));
    connect(box, &QDialogButtonBox::accepted, this, &CScheduleDlg::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* top = new QHBoxLayout;
    top->addLayout(left);
    top->addLayout(grid, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(box);

    connect(taskList_, &QListWidget::currentRowChanged, this, &CScheduleDlg::selectionChanged);
    refreshList();
    showSelected();
}

TaskFields CScheduleDlg::fields() const {
    TaskFields f;
    f.enabled = enable_->isChecked();
    f.priority = chosenIndex(priority_);
    f.firstWeekday = chosenIndex(firstWeekday_);
    f.lastWeekday = chosenIndex(lastWeekday_);
    if (files_->currentIndex() >= 0) f.fileName = ss(files_->currentText());
    readDate(startDate_, order_, f.startYear, f.startMonth, f.startDay);
    readDate(endDate_, order_, f.endYear, f.endMonth, f.endDay);
    f.startHour = startTime_->time().hour();
    f.startMinute = startTime_->time().minute();
    f.endHour = endTime_->time().hour();
    f.endMinute = endTime_->time().minute();
    return f;
}

void CScheduleDlg::showFields(const TaskFields& f, const std::vector<std::string>& files) {
    enable_->setChecked(f.enabled);
    selectIndex(priority_, f.priority);
    selectIndex(firstWeekday_, f.firstWeekday);
    selectIndex(lastWeekday_, f.lastWeekday);
    files_->clear();
    for (const std::string& name : files)
        files_->addItem(qs(name));
    files_->setCurrentIndex(f.fileName ? files_->findText(qs(*f.fileName)) : -1);
    showDate(startDate_, order_, f.startYear, f.startMonth, f.startDay);
    showDate(endDate_, order_, f.endYear, f.endMonth, f.endDay);
    // A time out of range (a damaged reply) shows as its nearest valid value.
    startTime_->setTime(QTime(std::clamp(f.startHour, 0, 23), std::clamp(f.startMinute, 0, 59)));
    endTime_->setTime(QTime(std::clamp(f.endHour, 0, 23), std::clamp(f.endMinute, 0, 59)));
}

void CScheduleDlg::showSelected() {
    const std::optional<size_t> sel = editor_.selected();
    const ScheduleTask task = sel ? tasks_[*sel] : ScheduleTask{};
    showFields(fieldsForEditing(task, work_), taskFileChoices(task, work_));
    for (QWidget* w : std::initializer_list<QWidget*>{enable_, priority_, firstWeekday_,
                                                      lastWeekday_, files_, startTime_, endTime_})
        w->setEnabled(sel.has_value());
    for (QSpinBox* b : startDate_)
        b->setEnabled(sel.has_value());
    for (QSpinBox* b : endDate_)
        b->setEnabled(sel.has_value());
    if (delete_) delete_->setEnabled(sel.has_value());
}

void CScheduleDlg::refreshList() {
    refreshing_ = true;
    taskList_->clear();
    for (const std::string& label : taskListLabels(tasks_))
        taskList_->addItem(qs(label));
    const std::optional<size_t> sel = editor_.selected();
    taskList_->setCurrentRow(sel ? static_cast<int>(*sel) : -1);
    refreshing_ = false;
}

void CScheduleDlg::storeSelected() {
    editor_.store(fields());
}

void CScheduleDlg::selectionChanged(int row) {
    if (refreshing_) return;
    storeSelected();
    editor_.select(row >= 0 ? std::optional<size_t>(static_cast<size_t>(row)) : std::nullopt);
    showSelected();
}

void CScheduleDlg::addTask() {
    storeSelected();
    QtPrompter prompter(this);
    if (!editor_.add(prompter)) return;
    refreshList();
    showSelected();
    storeSelected();
}

void CScheduleDlg::deleteTask() {
    storeSelected();
    QtPrompter prompter(this);
    if (!editor_.remove(prompter)) return;
    refreshList();
    showSelected();
}

void CScheduleDlg::pressUpdate() {
    storeSelected();
    QtPrompter prompter(this);
    if (!checkScheduleForUpdate(tasks_, prompter)) return;
    if (onUpdate_) onUpdate_(tasks_);
}

void CScheduleDlg::accept() {
    storeSelected();
    QDialog::accept();
}

// ---- The commands ----------------------------------------------------------------

namespace {

// Puts `tasks` into the document as one undoable change (none when equal).
void keepTasks(CChildFrame& child, const std::vector<ScheduleTask>& tasks) {
    if (child.doc().document().work().tasks == tasks) return;
    child.doc().document().changeWorkArea([&tasks](WorkArea& w) {
        w.tasks = tasks;
        return true;
    });
}

}  // namespace

void runScheduleEditor(CMainFrame& frame) {
    CChildFrame* child = frame.activeChild();
    if (!child) return;
    const WorkArea& work = child->doc().document().work();
    CScheduleDlg dialog(frame.context(), work.tasks, work, CScheduleDlg::Mode::Document,
                        systemDateOrder(), &frame);
    QPointer<CChildFrame> target(child);
    dialog.setUpdateHandler([&frame, target](const std::vector<ScheduleTask>& tasks) {
        if (!target) return;
        // The schedule is sent from the document.
        keepTasks(*target, tasks);
        runUpdateDialog(frame, UpdateKind::SendSchedule);
    });
    if (dialog.exec() == QDialog::Accepted && target) keepTasks(*target, dialog.tasks());
    frame.updateCommandUI();
}

void runScheduleRead(CMainFrame& frame) {
    std::vector<ScheduleTask> received;
    bool answered = false;
    OperationRequest request;
    request.offerScheduleLater = true;
    request.onAnswer = [&received, &answered](const SendSession& session) {
        received = session.receivedTasks();
        answered = true;
    };
    QPointer<CChildFrame> target(frame.activeChild());
    runUpdateDialog(frame, UpdateKind::ReadSchedule, request);
    if (!answered) return;
    const WorkArea work = target ? target->doc().document().work() : WorkArea{};
    CScheduleDlg dialog(frame.context(), received, work, CScheduleDlg::Mode::ReadBack,
                        systemDateOrder(), &frame);
    const bool kept = dialog.exec() == QDialog::Accepted;
    if (!target) return;
    // Confirmed: the tasks as shown (and perhaps corrected); cancelled: as received.
    const std::vector<ScheduleTask>& offered = kept ? dialog.tasks() : received;
    WorkArea changed = target->doc().document().work();
    QtPrompter prompter(&frame);
    if (!offerReceivedSchedule(changed, offered, prompter)) return;
    keepTasks(*target, changed.tasks);
    frame.updateCommandUI();
}

}  // namespace lumavox::ui
