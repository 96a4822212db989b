// The "Program Schedule" dialog, offscreen: the controls stored into the
// selected task, add/delete and the 30-task limit, "Update" with and without
// tasks, cancel leaving the document alone, and the read-back form, down to a
// schedule sent to and read back from the virtual sign.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QTimer>

#include "LinkTestSupport.h"
#include "UiTestSupport.h"
#include "app/Demo.h"
#include "strings/CommandIds.h"
#include "ui/dialogs/ScheduleDlg.h"
#include "ui/dialogs/UpdateDlg.h"
#include "ui/frame/LumavoxDoc.h"

namespace lumavox {
namespace {

using test::FrameFixture;
using test::pressInNextBox;
using ui::CScheduleDlg;

TextFile textFile(std::string_view name, uint8_t kind = kTextFile) {
    TextFile f;
    f.kind = kind;
    f.name = name;
    return f;
}

WorkArea workWithFiles() {
    WorkArea w;
    w.textFiles = {textFile("MAIN"), textFile("WIN", kWindowFile), textFile("Other")};
    return w;
}

ScheduleTask marchTask() {
    ScheduleTask t;
    t.startYear = 2024;
    t.startMonth = 3;
    t.startDay = 1;
    t.startHour = 8;
    t.endYear = 2024;
    t.endMonth = 3;
    t.endDay = 31;
    t.endHour = 18;
    t.endMinute = 30;
    t.fileName = "MAIN";
    t.weekdays = 0x15;
    t.flags = 0x82;
    return t;
}

CScheduleDlg* documentDialog(FrameFixture& f, std::vector<ScheduleTask> tasks,
                             DateOrder order = DateOrder::YearMonthDay) {
    return new CScheduleDlg(f.context(), std::move(tasks), workWithFiles(),
                            CScheduleDlg::Mode::Document, order, &f.frame());
}

TEST(ScheduleDlg, OpeningShowsTheFirstTask) {
    FrameFixture f;
    ScheduleTask t = marchTask();
    t.fileName = "main";  // chosen ignoring case
    std::unique_ptr<CScheduleDlg> d(documentDialog(f, {t, ScheduleTask{}}));
    ASSERT_EQ(d->taskList()->count(), 2);
    EXPECT_EQ(d->taskList()->item(1)->text(), "Task 2");
    EXPECT_EQ(d->taskList()->currentRow(), 0);
    EXPECT_TRUE(d->enable()->isChecked());
    EXPECT_EQ(d->priority()->currentText(), "HIGH");
    EXPECT_EQ(d->firstWeekday()->currentText(), "Monday");
    EXPECT_EQ(d->lastWeekday()->currentText(), "Friday");
    EXPECT_EQ(d->fileList()->currentText(), "MAIN");
    // Text files only: the window file is not offered.
    EXPECT_EQ(d->fileList()->findText("WIN"), -1);
    EXPECT_EQ(d->startDate()[0]->value(), 2024);
    EXPECT_EQ(d->endDate()[2]->value(), 31);
    EXPECT_EQ(d->endTime()->time(), QTime(18, 30));
}

TEST(ScheduleDlg, ControlsAreStoredIntoTheTaskOnConfirm) {
    FrameFixture f;
    std::unique_ptr<CScheduleDlg> d(documentDialog(f, {ScheduleTask{}}));
    d->enable()->setChecked(true);
    d->priority()->setCurrentIndex(2);
    d->firstWeekday()->setCurrentIndex(1);
    d->lastWeekday()->setCurrentIndex(5);
    d->fileList()->setCurrentIndex(d->fileList()->findText("MAIN"));
    d->startDate()[0]->setValue(2024);
    d->startDate()[1]->setValue(3);
    d->startDate()[2]->setValue(1);
    d->endDate()[0]->setValue(2024);
    d->endDate()[1]->setValue(3);
    d->endDate()[2]->setValue(31);
    d->startTime()->setTime(QTime(8, 0));
    d->endTime()->setTime(QTime(18, 30));
    d->accept();
    ASSERT_EQ(d->tasks().size(), 1u);
    EXPECT_EQ(d->tasks()[0], marchTask());
    EXPECT_EQ(d->tasks()[0].flags, 0x82);
    EXPECT_EQ(d->tasks()[0].weekdays, 0x15);
}

TEST(ScheduleDlg, UnselectedListsStoreTheirFallbacks) {
    FrameFixture f;
    std::unique_ptr<CScheduleDlg> d(documentDialog(f, {marchTask()}));
    d->enable()->setChecked(false);
    for (QComboBox* box : {d->priority(), d->firstWeekday(), d->lastWeekday(), d->fileList()})
        box->setCurrentIndex(-1);
    d->accept();
    const ScheduleTask& t = d->tasks()[0];
    EXPECT_EQ(t.flags, 0x03);     // disabled, no priority chosen
    EXPECT_EQ(t.weekdays, 0x06);  // Sunday to Saturday
    EXPECT_TRUE(t.fileName.empty());
}

TEST(ScheduleDlg, DateFieldsFollowTheRegionalOrder) {
    FrameFixture f;
    std::unique_ptr<CScheduleDlg> d(documentDialog(f, {marchTask()}, DateOrder::DayMonthYear));
    EXPECT_EQ(d->startDate()[0]->value(), 1);
    EXPECT_EQ(d->startDate()[1]->value(), 3);
    EXPECT_EQ(d->startDate()[2]->value(), 2024);
    d->endDate()[0]->setValue(15);
    d->endDate()[1]->setValue(4);
    d->accept();
    EXPECT_EQ(d->tasks()[0].endDay, 15);
    EXPECT_EQ(d->tasks()[0].endMonth, 4);
    EXPECT_EQ(d->tasks()[0].endYear, 2024);
}

TEST(ScheduleDlg, ChangingTheSelectionStoresTheControlsFirst) {
    FrameFixture f;
    ScheduleTask second = marchTask();
    second.fileName = "Other";
    std::unique_ptr<CScheduleDlg> d(documentDialog(f, {ScheduleTask{}, second}));
    d->priority()->setCurrentIndex(0);
    d->taskList()->setCurrentRow(1);
    EXPECT_EQ(d->tasks()[0].flags, 0x80);  // LOW, enabled
    EXPECT_EQ(d->selectedTask(), 1u);
    EXPECT_EQ(d->fileList()->currentText(), "Other");
    d->taskList()->setCurrentRow(0);
    EXPECT_EQ(d->priority()->currentText(), "LOW");
    EXPECT_EQ(d->tasks()[1], second);  // shown and stored back unchanged
}

TEST(ScheduleDlg, AFileOnlyTheSignKnowsSurvivesEditing) {
    FrameFixture f;
    ScheduleTask t = marchTask();
    t.fileName = "SIGNONLY";
    std::unique_ptr<CScheduleDlg> d(documentDialog(f, {t}));
    EXPECT_EQ(d->fileList()->currentText(), "SIGNONLY");
    d->accept();
    EXPECT_EQ(d->tasks()[0], t);
}

TEST(ScheduleDlg, AddDeleteAndTheThirtyTaskLimit) {
    FrameFixture f;
    std::unique_ptr<CScheduleDlg> d(documentDialog(f, {}));
    EXPECT_EQ(d->taskList()->count(), 1);
    EXPECT_EQ(d->taskList()->item(0)->text(), "No Task");
    EXPECT_FALSE(d->deleteButton()->isEnabled());
    // The new task has the defaults and takes the controls at once.
    d->addTask();
    ASSERT_EQ(d->tasks().size(), 1u);
    EXPECT_EQ(d->tasks()[0], ScheduleTask{});
    EXPECT_EQ(d->taskList()->item(0)->text(), "Task 1");
    for (int i = 1; i < 30; ++i)
        d->addTask();
    ASSERT_EQ(d->tasks().size(), 30u);
    EXPECT_EQ(d->selectedTask(), 29u);
    EXPECT_EQ(d->taskList()->currentItem()->text(), "Task 30");

    QString seen;
    pressInNextBox("OK", &seen);
    d->addTask();
    EXPECT_EQ(seen, "Sorry,The max number of schedule task is 30!");
    EXPECT_EQ(d->tasks().size(), 30u);

    // Delete the 5th after its question; "No" keeps it.
    d->taskList()->setCurrentRow(4);
    d->priority()->setCurrentIndex(0);
    pressInNextBox("No", &seen);
    d->deleteTask();
    EXPECT_EQ(seen, "Are you sure to delete group Task 5?");
    EXPECT_EQ(d->tasks().size(), 30u);
    pressInNextBox("Yes");
    d->deleteTask();
    EXPECT_EQ(d->tasks().size(), 29u);
    EXPECT_EQ(d->selectedTask(), 4u);
    EXPECT_EQ(d->taskList()->count(), 29);
    d->addTask();
    EXPECT_EQ(d->tasks().size(), 30u);
}

TEST(ScheduleDlg, UpdateNeedsATask) {
    FrameFixture f;
    std::unique_ptr<CScheduleDlg> d(documentDialog(f, {}));
    std::vector<std::vector<ScheduleTask>> sent;
    d->setUpdateHandler([&sent](const std::vector<ScheduleTask>& t) { sent.push_back(t); });
    QString seen;
    pressInNextBox("OK", &seen);
    d->pressUpdate();
    EXPECT_EQ(seen,
              "Now there is no schedule,Please Press Button \"Add New Task\" to create a new "
              "task,and then update!");
    EXPECT_TRUE(sent.empty());
    d->addTask();
    d->priority()->setCurrentIndex(2);
    d->pressUpdate();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].at(0).flags, 0x82);  // the controls were stored first
}

TEST(ScheduleDlg, ReadBackFormHasNoAddDeleteOrUpdate) {
    FrameFixture f;
    CScheduleDlg d(f.context(), {marchTask()}, WorkArea{}, CScheduleDlg::Mode::ReadBack,
                   DateOrder::YearMonthDay, &f.frame());
    EXPECT_EQ(d.addButton(), nullptr);
    EXPECT_EQ(d.deleteButton(), nullptr);
    EXPECT_EQ(d.updateButton(), nullptr);
    for (QPushButton* b : d.findChildren<QPushButton*>()) {
        EXPECT_NE(b->text(), "Add New Task");
        EXPECT_NE(b->text(), "Delete Task");
        EXPECT_NE(b->text(), "Update");
    }
    // The received task's file stays although the document has no such file.
    EXPECT_EQ(d.fileList()->currentText(), "MAIN");
    d.accept();
    EXPECT_EQ(d.tasks()[0], marchTask());
}

ui::CChildFrame* openDemo(FrameFixture& f) {
    ui::CChildFrame* child = f.frame().newDocument(160, 16, 0);
    child->doc().document().adopt(makeDemoWorkArea(*f.context().clock));
    f.frame().updateCommandUI();
    return child;
}

TEST(ScheduleDlg, CancelLeavesTheDocumentAloneOkKeepsTheEdit) {
    FrameFixture f;
    ui::CChildFrame* child = openDemo(f);
    const WorkArea before = child->doc().document().work();
    ASSERT_FALSE(before.tasks.empty());

    test::answerNextDialog([](QWidget* w) {
        auto* d = qobject_cast<CScheduleDlg*>(w);
        ASSERT_NE(d, nullptr);
        d->addTask();
        d->priority()->setCurrentIndex(0);
        d->reject();
    });
    f.frame().runCommand(cmd::kSendSchedule);
    EXPECT_EQ(child->doc().document().work(), before);

    test::answerNextDialog([](QWidget* w) {
        auto* d = qobject_cast<CScheduleDlg*>(w);
        ASSERT_NE(d, nullptr);
        d->addTask();
        d->priority()->setCurrentIndex(0);
        d->accept();
    });
    f.frame().runCommand(cmd::kSendSchedule);
    const std::vector<ScheduleTask>& tasks = child->doc().document().work().tasks;
    ASSERT_EQ(tasks.size(), before.tasks.size() + 1);
    EXPECT_EQ(tasks.back().flags, 0x80);
}

}  // namespace
}  // namespace lumavox
