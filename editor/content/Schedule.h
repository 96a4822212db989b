// Schedule tasks and the run sequence.
//
// A schedule task runs one text file between two dates, between two times of
// day, on a range of weekdays, with a priority and an enable flag. This module
// holds the task's byte forms (document and sign), the rules of the schedule
// dialog's task list, and the editing rules of the run sequence list.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "content/Model.h"
#include "content/Prompter.h"
#include "platform/ByteIo.h"

namespace lumavox {

constexpr size_t kSignTaskSize = 22;
constexpr size_t kDocumentTaskSize = 23;

constexpr uint8_t kTaskEnabledBit = 0x80;
constexpr uint8_t kPriorityMask = 0x03;
enum TaskPriority : uint8_t {
    kPriorityLow = 0,
    kPriorityNormal = 1,
    kPriorityHigh = 2,
    kPriorityNone = 3
};

inline bool taskEnabled(const ScheduleTask& t) {
    return (t.flags & kTaskEnabledBit) != 0;
}
inline int taskPriority(const ScheduleTask& t) {
    return t.flags & kPriorityMask;
}
inline int taskFirstWeekday(const ScheduleTask& t) {
    return t.weekdays >> 4;
}
inline int taskLastWeekday(const ScheduleTask& t) {
    return t.weekdays & 0x0F;
}

// ---- Byte forms ----

// The sign's 22-byte form: flags, start day, month, year (u16), end day, month,
// year (u16), start minute, hour, end minute, hour, weekdays, 8-byte name.
std::array<uint8_t, kSignTaskSize> encodeTaskForSign(const ScheduleTask& task);
// Reverses encodeTaskForSign; p points at 22 readable bytes.
ScheduleTask decodeTaskFromSign(const uint8_t* p);

// The document's 23-byte form: start year (u16), month, day, hour, minute, end
// year (u16), month, day, hour, minute, 9-byte name, weekdays, flags.
void writeTask(ByteWriter& out, const ScheduleTask& task);
// Reads one task; on a short buffer returns false and leaves `task` unchanged.
bool readTask(ByteReader& in, ScheduleTask& task);

// ---- The schedule dialog ----

// "Task N" for the task at list index i (N = i + 1).
std::string taskName(size_t index);
// The task list's labels: "Task 1", "Task 2", ..., or just "No Task" when empty.
std::vector<std::string> taskListLabels(const std::vector<ScheduleTask>& tasks);

// What the dialog's controls hold for one task. An unselected list is nullopt.
struct TaskFields {
    bool enabled = true;
    std::optional<int> priority;      // 0 LOW, 1 NORMAL, 2 HIGH
    std::optional<int> firstWeekday;  // 0 Sunday ... 6 Saturday
    std::optional<int> lastWeekday;
    std::optional<std::string> fileName;  // the chosen text file
    int startYear = 0, startMonth = 0, startDay = 0, startHour = 0, startMinute = 0;
    int endYear = 0, endMonth = 0, endDay = 0, endHour = 23, endMinute = 59;
    bool operator==(const TaskFields&) const = default;
};

// Fills the controls from a task. The file list holds the work area's text
// files (kind 0) and selects the one matching the task's name ignoring case.
TaskFields fieldsFromTask(const ScheduleTask& task, const WorkArea& work);
// Stores the controls into a task: priority 3 when none is chosen; an
// unselected first weekday counts as 0 and an unselected last one as 6; no file
// gives an empty name.
ScheduleTask taskFromFields(const TaskFields& fields);

// The dialog's controls for a task being edited: as fieldsFromTask, except
// that a name matching no text file of the work area (a file that exists only
// in the sign, or one since removed) stays chosen, so that storing the
// controls back never loses it.
TaskFields fieldsForEditing(const ScheduleTask& task, const WorkArea& work);
// The names the dialog's file list offers for a task: the work area's text
// files (kind 0) in document order, then the task's own name when it names
// none of them.
std::vector<std::string> taskFileChoices(const ScheduleTask& task, const WorkArea& work);

// The order of the run-date fields, from the PC's regional short-date pattern
// ("M/d/yyyy", "dd.MM.yy", "yyyy-MM-dd", ...): the order in which its day,
// month and year letters first appear. A pattern without all three in one of
// the three known orders gives YearMonthDay.
enum class DateOrder { MonthDayYear, DayMonthYear, YearMonthDay };
DateOrder dateOrderFromPattern(std::string_view pattern);
// "MM-DD-YYYY", "DD-MM-YYYY" or "YYYY-MM-DD".
std::string_view dateOrderLabel(DateOrder order);

// The task list of the schedule dialog with its selection. Opening selects the
// first task.
class TaskListEditor {
  public:
    explicit TaskListEditor(std::vector<ScheduleTask>& tasks);

    const std::vector<ScheduleTask>& tasks() const { return tasks_; }
    std::optional<size_t> selected() const { return selected_; }
    // An index out of range clears the selection.
    void select(std::optional<size_t> index);

    // "Add New Task": appends a task with the defaults and selects it; refused
    // with a message when 30 tasks exist.
    bool add(Prompter& prompter);
    // "Delete Task": asks, and on Yes removes the selected task and selects the
    // task now at its position, or the last one.
    bool remove(Prompter& prompter);
    // Stores the dialog's controls into the selected task.
    bool store(const TaskFields& fields);

  private:
    std::vector<ScheduleTask>& tasks_;
    std::optional<size_t> selected_;
};

// "Update" pre-check: false, after an error message, when there is no task.
bool checkScheduleForUpdate(const std::vector<ScheduleTask>& tasks, Prompter& prompter);

// The question asked when a schedule read from the sign is closed: the save
// question, two line breaks, "Caution:", a line break, a tab and the warning.
std::string receivedScheduleQuestion();
// Offers a received schedule to the document; on Yes the work area's task list
// becomes copies of the received tasks (at most 30). Nothing is asked when no
// task was received. True when the list was replaced.
bool offerReceivedSchedule(WorkArea& work, const std::vector<ScheduleTask>& received,
                           Prompter& prompter);

// ---- The run sequence ----

// Editing the work area's run sequence with a selected entry.
class RunSequenceEditor {
  public:
    explicit RunSequenceEditor(WorkArea& work);

    const std::vector<std::string>& entries() const;
    std::optional<size_t> selected() const { return selected_; }
    // An index out of range clears the selection.
    void select(std::optional<size_t> index);

    // Inserts `name` after the selected entry (at the start when nothing is
    // selected) and selects it. A name that is no text file of the work area is
    // asked about first; No cancels.
    bool insert(std::string_view name, Prompter& prompter);
    // First half of "Edit": false, after a message, when nothing is selected.
    bool checkEditSelection(Prompter& prompter) const;
    // Replaces the selected entry with `name` after the same question as insert.
    bool edit(std::string_view name, Prompter& prompter);
    // Removes the selected entry after a Yes/No question; the entry now at its
    // position (or the last one) becomes selected.
    bool remove(Prompter& prompter);
    // Swap the selected entry with its neighbour; the selection follows it.
    bool moveUp();
    bool moveDown();

  private:
    // True when `name` may go into the run sequence (asking when it names no
    // text file of the work area).
    bool acceptName(std::string_view name, Prompter& prompter) const;

    WorkArea& work_;
    std::optional<size_t> selected_;
};

}  // namespace lumavox
