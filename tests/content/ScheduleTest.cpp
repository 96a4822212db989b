#include "content/Schedule.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

#include <deque>

#include "strings/StringTable.h"
#include "strings/TextFormat.h"

namespace lumavox {
namespace {

ScheduleTask marchTask() {
    ScheduleTask t;
    t.startYear = 2024;
    t.startMonth = 3;
    t.startDay = 1;
    t.startHour = 8;
    t.startMinute = 0;
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

TextFile textFile(std::string_view name, uint8_t kind = kTextFile) {
    TextFile f;
    f.kind = kind;
    f.name = name;
    return f;
}

// ---- Byte forms ----

TEST(ScheduleTaskBytes, SignFormLayout) {
    const auto b = encodeTaskForSign(marchTask());
    const std::array<uint8_t, 22> expected = {0x82, 0x01, 0x03, 0xE8, 0x07, 0x1F, 0x03, 0xE8,
                                              0x07, 0x00, 0x08, 0x1E, 0x12, 0x15, 'M',  'A',
                                              'I',  'N',  0,    0,    0,    0};
    EXPECT_EQ(b, expected);
}

TEST(ScheduleTaskBytes, SignFormRoundTrip) {
    ScheduleTask t = marchTask();
    t.fileName = "ABCDEFGH";  // a full 8-character name has no NUL on the sign
    const auto b = encodeTaskForSign(t);
    EXPECT_EQ(decodeTaskFromSign(b.data()), t);
    EXPECT_EQ(decodeTaskFromSign(encodeTaskForSign(ScheduleTask{}).data()), ScheduleTask{});
}

TEST(ScheduleTaskBytes, DocumentFormRoundTrip) {
    std::vector<uint8_t> buf;
    ByteWriter w(buf);
    writeTask(w, marchTask());
    writeTask(w, ScheduleTask{});
    ASSERT_EQ(buf.size(), 2 * kDocumentTaskSize);
    // start year, month, day, hour, minute, end year ... name, weekdays, flags
    EXPECT_EQ(std::vector<uint8_t>(buf.begin(), buf.begin() + 12),
              (std::vector<uint8_t>{0xE8, 0x07, 3, 1, 8, 0, 0xE8, 0x07, 3, 31, 18, 30}));
    EXPECT_EQ(buf[12], 'M');
    EXPECT_EQ(buf[21], 0x15);
    EXPECT_EQ(buf[22], 0x82);

    ByteReader r(buf);
    ScheduleTask a, b;
    ASSERT_TRUE(readTask(r, a));
    ASSERT_TRUE(readTask(r, b));
    EXPECT_EQ(a, marchTask());
    EXPECT_EQ(b, ScheduleTask{});
    EXPECT_TRUE(r.atEnd());
}

TEST(ScheduleTaskBytes, ShortDocumentRecordLeavesTaskUnchanged) {
    std::vector<uint8_t> buf;
    ByteWriter w(buf);
    writeTask(w, marchTask());
    buf.pop_back();
    ByteReader r(buf);
    ScheduleTask t;
    EXPECT_FALSE(readTask(r, t));
    EXPECT_EQ(t, ScheduleTask{});
}

// ---- Dialog fields ----

TEST(ScheduleFields, HighMondayToFriday) {
    TaskFields f;
    f.enabled = true;
    f.priority = kPriorityHigh;
    f.firstWeekday = 1;
    f.lastWeekday = 5;
    const ScheduleTask t = taskFromFields(f);
    EXPECT_EQ(t.flags, 0x82);
    EXPECT_EQ(t.weekdays, 0x15);
}

TEST(ScheduleFields, UnselectedListsTakeTheirFallbacks) {
    TaskFields f;
    f.enabled = false;
    const ScheduleTask t = taskFromFields(f);
    EXPECT_EQ(t.flags, 0x03);     // disabled, no priority chosen
    EXPECT_EQ(t.weekdays, 0x06);  // Sunday to Saturday
    EXPECT_TRUE(t.fileName.empty());
    // A task without a file is still a complete task for the sign.
    EXPECT_EQ(encodeTaskForSign(t)[14], 0);
}

TEST(ScheduleFields, FillFindsTextFileIgnoringCase) {
    WorkArea work;
    work.textFiles = {textFile("main", kWindowFile), textFile("Main")};
    ScheduleTask t = marchTask();
    TaskFields f = fieldsFromTask(t, work);
    EXPECT_EQ(f.fileName, "Main");  // the window file is not offered
    EXPECT_EQ(f.priority, 2);
    EXPECT_EQ(f.firstWeekday, 1);
    EXPECT_EQ(f.lastWeekday, 5);
    EXPECT_EQ(f.endMinute, 30);

    t.flags = 0x83;
    work.textFiles.pop_back();
    f = fieldsFromTask(t, work);
    EXPECT_FALSE(f.priority.has_value());
    EXPECT_FALSE(f.fileName.has_value());
}

TEST(ScheduleFields, DefaultTaskSurvivesShowAndStore) {
    WorkArea work;
    EXPECT_EQ(taskFromFields(fieldsFromTask(ScheduleTask{}, work)), ScheduleTask{});
}

TEST(ScheduleFields, EditingKeepsANameOnlyTheSignKnows) {
    WorkArea work;
    work.textFiles = {textFile("A"), textFile("SIGNONLY", kWindowFile)};
    ScheduleTask t = marchTask();
    t.fileName = "SIGNONLY";
    // Shown and stored back unchanged, although no text file has the name.
    EXPECT_EQ(taskFromFields(fieldsForEditing(t, work)), t);
    EXPECT_EQ(taskFileChoices(t, work), (std::vector<std::string>{"A", "SIGNONLY"}));
    // A matching text file is chosen by its own spelling and not offered twice.
    t.fileName = "a";
    EXPECT_EQ(fieldsForEditing(t, work).fileName, "A");
    EXPECT_EQ(taskFileChoices(t, work), (std::vector<std::string>{"A"}));
    EXPECT_EQ(taskFileChoices(ScheduleTask{}, work), (std::vector<std::string>{"A"}));
}

TEST(ScheduleDateOrder, FromRegionalPatterns) {
    EXPECT_EQ(dateOrderFromPattern("M/d/yy"), DateOrder::MonthDayYear);
    EXPECT_EQ(dateOrderFromPattern("dd.MM.yyyy"), DateOrder::DayMonthYear);
    EXPECT_EQ(dateOrderFromPattern("yyyy-MM-dd"), DateOrder::YearMonthDay);
    EXPECT_EQ(dateOrderFromPattern("d MMMM yyyy"), DateOrder::DayMonthYear);
    EXPECT_EQ(dateOrderFromPattern("'Day' M/d/yyyy"), DateOrder::MonthDayYear);
    // Unreadable or unusual patterns fall back to year first.
    EXPECT_EQ(dateOrderFromPattern(""), DateOrder::YearMonthDay);
    EXPECT_EQ(dateOrderFromPattern("yy/dd/MM"), DateOrder::YearMonthDay);
    EXPECT_EQ(dateOrderFromPattern("MM/yyyy"), DateOrder::YearMonthDay);
    EXPECT_EQ(dateOrderLabel(DateOrder::MonthDayYear), "MM-DD-YYYY");
    EXPECT_EQ(dateOrderLabel(DateOrder::DayMonthYear), "DD-MM-YYYY");
    EXPECT_EQ(dateOrderLabel(DateOrder::YearMonthDay), "YYYY-MM-DD");
}

// ---- Task list ----

TEST(ScheduleTaskList, NamesAndLabels) {
    EXPECT_EQ(taskName(0), "Task 1");
    EXPECT_EQ(taskName(29), "Task 30");
    EXPECT_EQ(taskListLabels({}), std::vector<std::string>{"No Task"});
    EXPECT_EQ(taskListLabels(std::vector<ScheduleTask>(2)),
              (std::vector<std::string>{"Task 1", "Task 2"}));
}

TEST(ScheduleTaskList, The31stAddIsRefusedDeleteThenAddSucceeds) {
    std::vector<ScheduleTask> tasks;
    TaskListEditor ed(tasks);
    test::ScriptedPrompter p;
    EXPECT_FALSE(ed.selected().has_value());
    for (int i = 0; i < 30; ++i)
        ASSERT_TRUE(ed.add(p));
    EXPECT_EQ(ed.selected(), 29u);
    EXPECT_EQ(tasks.back(), ScheduleTask{});
    EXPECT_FALSE(ed.add(p));
    EXPECT_EQ(tasks.size(), 30u);
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].text, "Sorry,The max number of schedule task is 30!");
    EXPECT_EQ(p.shown[0].icon, Icon::Exclamation);

    ASSERT_TRUE(ed.remove(p));
    EXPECT_TRUE(ed.add(p));
    EXPECT_EQ(tasks.size(), 30u);
}

TEST(ScheduleTaskList, DeleteAsksAndSelectsNeighbour) {
    std::vector<ScheduleTask> tasks(3);
    for (size_t i = 0; i < tasks.size(); ++i)
        tasks[i].startDay = static_cast<uint8_t>(i + 1);
    TaskListEditor ed(tasks);
    test::ScriptedPrompter p;
    EXPECT_EQ(ed.selected(), 0u);  // opening selects the first task
    ed.select(1);
    p.answers = {false};
    EXPECT_FALSE(ed.remove(p));
    EXPECT_EQ(tasks.size(), 3u);
    ASSERT_TRUE(ed.remove(p));
    ASSERT_EQ(p.shown.size(), 2u);
    EXPECT_EQ(p.shown[0].text, "Are you sure to delete group Task 2?");
    EXPECT_TRUE(p.shown[0].question);
    EXPECT_EQ(ed.selected(), 1u);  // the task now at that position
    EXPECT_EQ(tasks[1].startDay, 3);

    ASSERT_TRUE(ed.remove(p));  // the last one: selection moves back
    EXPECT_EQ(ed.selected(), 0u);
    ASSERT_TRUE(ed.remove(p));
    EXPECT_FALSE(ed.selected().has_value());
    EXPECT_FALSE(ed.remove(p));  // nothing left to delete
}

TEST(ScheduleTaskList, StoreWritesSelectedTask) {
    std::vector<ScheduleTask> tasks(2);
    TaskListEditor ed(tasks);
    TaskFields f;
    f.priority = kPriorityLow;
    f.fileName = "NEWS";
    ed.select(1);
    ASSERT_TRUE(ed.store(f));
    EXPECT_EQ(tasks[1].fileName.str(), "NEWS");
    EXPECT_EQ(tasks[1].flags, 0x80);
    EXPECT_EQ(tasks[0], ScheduleTask{});
    ed.select(std::nullopt);
    EXPECT_FALSE(ed.store(f));
}

TEST(ScheduleUpdate, NoTaskSendsNothing) {
    test::ScriptedPrompter p;
    EXPECT_FALSE(checkScheduleForUpdate({}, p));
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].text, text(msg::kNoSchedule));
    EXPECT_EQ(p.shown[0].icon, Icon::Error);
    EXPECT_TRUE(checkScheduleForUpdate(std::vector<ScheduleTask>(1), p));
    EXPECT_EQ(p.shown.size(), 1u);
}

TEST(ScheduleReadBack, QuestionLayout) {
    EXPECT_EQ(receivedScheduleQuestion(),
              "Whether save the schedule task to current file's schedule task list?\n\nCaution:\n"
              "\tThis operate will destroy current file's old schedule task list!");
}

TEST(ScheduleReadBack, YesReplacesTaskList) {
    WorkArea work;
    work.tasks = std::vector<ScheduleTask>(5);
    test::ScriptedPrompter p;
    const std::vector<ScheduleTask> received = {marchTask()};

    EXPECT_FALSE(offerReceivedSchedule(work, {}, p));
    EXPECT_TRUE(p.shown.empty());

    p.answers = {false};
    EXPECT_FALSE(offerReceivedSchedule(work, received, p));
    EXPECT_EQ(work.tasks.size(), 5u);

    EXPECT_TRUE(offerReceivedSchedule(work, received, p));
    EXPECT_EQ(work.tasks, received);
    EXPECT_EQ(p.shown.back().text, receivedScheduleQuestion());
}

// ---- Run sequence ----

struct RunSequenceFixture : ::testing::Test {
    WorkArea work;
    test::ScriptedPrompter p;
    RunSequenceFixture() { work.textFiles = {textFile("A"), textFile("B"), textFile("C")}; }
};

using RunSequenceEdit = RunSequenceFixture;

TEST_F(RunSequenceEdit, InsertGoesAfterSelectionOrAtStart) {
    RunSequenceEditor ed(work);
    ASSERT_TRUE(ed.insert("A", p));
    ASSERT_TRUE(ed.insert("B", p));
    EXPECT_EQ(work.runSequence, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(ed.selected(), 1u);
    ed.select(std::nullopt);
    ASSERT_TRUE(ed.insert("C", p));
    EXPECT_EQ(work.runSequence, (std::vector<std::string>{"C", "A", "B"}));
    EXPECT_EQ(ed.selected(), 0u);
    EXPECT_TRUE(p.shown.empty());
}

TEST_F(RunSequenceEdit, NameOutsideWorkAreaIsAsked) {
    work.textFiles.push_back(textFile("W1", kWindowFile));
    RunSequenceEditor ed(work);
    p.answers = {false, true};
    EXPECT_FALSE(ed.insert("SIGNONLY", p));
    EXPECT_TRUE(work.runSequence.empty());
    EXPECT_TRUE(ed.insert("SIGNONLY", p));
    EXPECT_TRUE(ed.insert("W1", p));  // a window file is no text file
    ASSERT_EQ(p.shown.size(), 3u);
    EXPECT_EQ(p.shown[0].text,
              "Text file 'SIGNONLY' in not in work area, please ensure this file is exist in "
              "sign. Are you sure to add this file to run sequence?");
    EXPECT_EQ(p.shown[2].text, textf(msg::kRunFileNotInWorkArea, {"W1"}));
    EXPECT_EQ(work.runSequence, (std::vector<std::string>{"SIGNONLY", "W1"}));
}

TEST_F(RunSequenceEdit, EditNeedsSelection) {
    work.runSequence = {"A", "B"};
    RunSequenceEditor ed(work);
    EXPECT_FALSE(ed.checkEditSelection(p));
    EXPECT_FALSE(ed.edit("C", p));
    ASSERT_EQ(p.shown.size(), 2u);
    EXPECT_EQ(p.shown[0].text, text(msg::kSelectItemToEdit));

    ed.select(1);
    EXPECT_TRUE(ed.checkEditSelection(p));
    ASSERT_TRUE(ed.edit("C", p));
    EXPECT_EQ(work.runSequence, (std::vector<std::string>{"A", "C"}));
    p.answers = {false};
    EXPECT_FALSE(ed.edit("ELSEWHERE", p));
    EXPECT_EQ(work.runSequence[1], "C");
}

TEST_F(RunSequenceEdit, DeleteNeedsSelectionAndConfirmation) {
    work.runSequence = {"A", "B", "C"};
    RunSequenceEditor ed(work);
    EXPECT_FALSE(ed.remove(p));
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].text, text(msg::kSelectItemToRemove));

    ed.select(2);
    p.answers = {false};
    EXPECT_FALSE(ed.remove(p));
    EXPECT_EQ(p.shown.back().text, text(msg::kConfirmDeleteItem));
    ASSERT_TRUE(ed.remove(p));
    EXPECT_EQ(work.runSequence, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(ed.selected(), 1u);
}

TEST_F(RunSequenceEdit, MovesFollowTheEntry) {
    work.runSequence = {"A", "B", "C"};
    RunSequenceEditor ed(work);
    EXPECT_FALSE(ed.moveUp());  // nothing selected
    ed.select(0);
    EXPECT_FALSE(ed.moveUp());  // already first
    ASSERT_TRUE(ed.moveDown());
    EXPECT_EQ(work.runSequence, (std::vector<std::string>{"B", "A", "C"}));
    EXPECT_EQ(ed.selected(), 1u);
    ASSERT_TRUE(ed.moveDown());
    EXPECT_EQ(work.runSequence, (std::vector<std::string>{"B", "C", "A"}));
    EXPECT_EQ(ed.selected(), 2u);
    EXPECT_FALSE(ed.moveDown());  // already last
    ASSERT_TRUE(ed.moveUp());
    EXPECT_EQ(work.runSequence, (std::vector<std::string>{"B", "A", "C"}));
    EXPECT_EQ(ed.selected(), 1u);
}

}  // namespace
}  // namespace lumavox
