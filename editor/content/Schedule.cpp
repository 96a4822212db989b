#include "content/Schedule.h"

#include <algorithm>
#include <cctype>

#include "strings/StringTable.h"
#include "strings/TextFormat.h"

namespace lumavox {

namespace {

uint8_t toU8(int v) {
    return static_cast<uint8_t>(std::clamp(v, 0, 255));
}
uint16_t toU16(int v) {
    return static_cast<uint16_t>(std::clamp(v, 0, 65535));
}

// A name from up to 8 raw bytes, cut at the first NUL so that stray bytes after
// it never make two equal names differ.
Name9 nameFromBytes(const uint8_t* p, size_t n) {
    size_t len = 0;
    while (len < n && len < 8 && p[len] != 0)
        ++len;
    return Name9(std::string_view(reinterpret_cast<const char*>(p), len));
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::optional<size_t> selectionAfterRemoval(size_t removed, size_t remaining) {
    if (remaining == 0) return std::nullopt;
    return std::min(removed, remaining - 1);
}

}  // namespace

// ---- Byte forms ----

std::array<uint8_t, kSignTaskSize> encodeTaskForSign(const ScheduleTask& t) {
    std::array<uint8_t, kSignTaskSize> b{};
    b[0] = t.flags;
    b[1] = t.startDay;
    b[2] = t.startMonth;
    b[3] = static_cast<uint8_t>(t.startYear & 0xFF);
    b[4] = static_cast<uint8_t>(t.startYear >> 8);
    b[5] = t.endDay;
    b[6] = t.endMonth;
    b[7] = static_cast<uint8_t>(t.endYear & 0xFF);
    b[8] = static_cast<uint8_t>(t.endYear >> 8);
    b[9] = t.startMinute;
    b[10] = t.startHour;
    b[11] = t.endMinute;
    b[12] = t.endHour;
    b[13] = t.weekdays;
    std::copy_n(t.fileName.bytes.begin(), 8, b.begin() + 14);
    return b;
}

ScheduleTask decodeTaskFromSign(const uint8_t* p) {
    ScheduleTask t;
    t.flags = p[0];
    t.startDay = p[1];
    t.startMonth = p[2];
    t.startYear = static_cast<uint16_t>(p[3] | (p[4] << 8));
    t.endDay = p[5];
    t.endMonth = p[6];
    t.endYear = static_cast<uint16_t>(p[7] | (p[8] << 8));
    t.startMinute = p[9];
    t.startHour = p[10];
    t.endMinute = p[11];
    t.endHour = p[12];
    t.weekdays = p[13];
    t.fileName = nameFromBytes(p + 14, 8);
    return t;
}

void writeTask(ByteWriter& out, const ScheduleTask& t) {
    out.u16(t.startYear);
    out.u8(t.startMonth);
    out.u8(t.startDay);
    out.u8(t.startHour);
    out.u8(t.startMinute);
    out.u16(t.endYear);
    out.u8(t.endMonth);
    out.u8(t.endDay);
    out.u8(t.endHour);
    out.u8(t.endMinute);
    out.bytes(t.fileName.bytes.data(), t.fileName.bytes.size());
    out.u8(t.weekdays);
    out.u8(t.flags);
}

bool readTask(ByteReader& in, ScheduleTask& task) {
    if (!in.require(kDocumentTaskSize)) return false;
    ScheduleTask t;
    t.startYear = in.u16();
    t.startMonth = in.u8();
    t.startDay = in.u8();
    t.startHour = in.u8();
    t.startMinute = in.u8();
    t.endYear = in.u16();
    t.endMonth = in.u8();
    t.endDay = in.u8();
    t.endHour = in.u8();
    t.endMinute = in.u8();
    std::array<uint8_t, 9> name{};
    in.bytes(name.data(), name.size());
    t.fileName = nameFromBytes(name.data(), name.size());
    t.weekdays = in.u8();
    t.flags = in.u8();
    if (!in.ok()) return false;
    task = t;
    return true;
}

// ---- The schedule dialog ----

std::string taskName(size_t index) {
    return text(msg::kTask) + " " + std::to_string(index + 1);
}

std::vector<std::string> taskListLabels(const std::vector<ScheduleTask>& tasks) {
    if (tasks.empty()) return {text(msg::kNoTask)};
    std::vector<std::string> labels;
    labels.reserve(tasks.size());
    for (size_t i = 0; i < tasks.size(); ++i)
        labels.push_back(taskName(i));
    return labels;
}

TaskFields fieldsFromTask(const ScheduleTask& t, const WorkArea& work) {
    TaskFields f;
    f.enabled = taskEnabled(t);
    if (taskPriority(t) != kPriorityNone) f.priority = taskPriority(t);
    if (taskFirstWeekday(t) <= 6) f.firstWeekday = taskFirstWeekday(t);
    if (taskLastWeekday(t) <= 6) f.lastWeekday = taskLastWeekday(t);
    const std::string wanted = trimTrailingBlanks(t.fileName.str());
    if (!wanted.empty()) {
        for (const TextFile& file : work.textFiles) {
            if (file.kind != kTextFile) continue;
            const std::string name = file.name.str();
            if (equalIgnoringCase(trimTrailingBlanks(name), wanted)) {
                f.fileName = name;
                break;
            }
        }
    }
    f.startYear = t.startYear;
    f.startMonth = t.startMonth;
    f.startDay = t.startDay;
    f.startHour = t.startHour;
    f.startMinute = t.startMinute;
    f.endYear = t.endYear;
    f.endMonth = t.endMonth;
    f.endDay = t.endDay;
    f.endHour = t.endHour;
    f.endMinute = t.endMinute;
    return f;
}

ScheduleTask taskFromFields(const TaskFields& f) {
    ScheduleTask t;
    const int priority = f.priority ? std::clamp(*f.priority, 0, 3) : int{kPriorityNone};
    t.flags = static_cast<uint8_t>((f.enabled ? kTaskEnabledBit : 0) | priority);
    const int first = f.firstWeekday ? std::clamp(*f.firstWeekday, 0, 6) : 0;
    const int last = f.lastWeekday ? std::clamp(*f.lastWeekday, 0, 6) : 6;
    t.weekdays = static_cast<uint8_t>(first * 16 + last);
    t.fileName = f.fileName ? Name9(*f.fileName) : Name9();
    t.startYear = toU16(f.startYear);
    t.startMonth = toU8(f.startMonth);
    t.startDay = toU8(f.startDay);
    t.startHour = toU8(f.startHour);
    t.startMinute = toU8(f.startMinute);
    t.endYear = toU16(f.endYear);
    t.endMonth = toU8(f.endMonth);
    t.endDay = toU8(f.endDay);
    t.endHour = toU8(f.endHour);
    t.endMinute = toU8(f.endMinute);
    return t;
}

TaskFields fieldsForEditing(const ScheduleTask& t, const WorkArea& work) {
    TaskFields f = fieldsFromTask(t, work);
    if (!f.fileName) {
        const std::string own = trimTrailingBlanks(t.fileName.str());
        if (!own.empty()) f.fileName = own;
    }
    return f;
}

std::vector<std::string> taskFileChoices(const ScheduleTask& t, const WorkArea& work) {
    std::vector<std::string> names;
    for (const TextFile& file : work.textFiles)
        if (file.kind == kTextFile) names.push_back(file.name.str());
    const TaskFields f = fieldsForEditing(t, work);
    if (f.fileName && std::find(names.begin(), names.end(), *f.fileName) == names.end())
        names.push_back(*f.fileName);
    return names;
}

DateOrder dateOrderFromPattern(std::string_view pattern) {
    std::string order;
    bool quoted = false;  // literal text between single quotes names no field
    for (char c : pattern) {
        if (c == '\'') quoted = !quoted;
        if (quoted || c == '\'') continue;
        const char k = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if ((k == 'd' || k == 'm' || k == 'y') && order.find(k) == std::string::npos) order += k;
    }
    if (order == "mdy") return DateOrder::MonthDayYear;
    if (order == "dmy") return DateOrder::DayMonthYear;
    return DateOrder::YearMonthDay;
}

std::string_view dateOrderLabel(DateOrder order) {
    switch (order) {
        case DateOrder::MonthDayYear:
            return "MM-DD-YYYY";
        case DateOrder::DayMonthYear:
            return "DD-MM-YYYY";
        case DateOrder::YearMonthDay:
            break;
    }
    return "YYYY-MM-DD";
}

TaskListEditor::TaskListEditor(std::vector<ScheduleTask>& tasks) : tasks_(tasks) {
    if (!tasks_.empty()) selected_ = 0;
}

void TaskListEditor::select(std::optional<size_t> index) {
    if (index && *index < tasks_.size())
        selected_ = index;
    else
        selected_.reset();
}

bool TaskListEditor::add(Prompter& prompter) {
    if (tasks_.size() >= static_cast<size_t>(kMaxScheduleTasks)) {
        prompter.message(text(msg::kMaxTasks), Icon::Exclamation);
        return false;
    }
    tasks_.push_back(ScheduleTask{});
    selected_ = tasks_.size() - 1;
    return true;
}

bool TaskListEditor::remove(Prompter& prompter) {
    if (!selected_ || *selected_ >= tasks_.size()) return false;
    const size_t doomed = *selected_;
    // "Are you sure to delete group Task N?"
    const std::string question = formatText(
        "%s %s %d?",
        {text(msg::kConfirmDeleteGroup), text(msg::kTask), static_cast<long long>(doomed + 1)});
    if (!prompter.askYesNo(question, Icon::Question)) return false;
    tasks_.erase(tasks_.begin() + static_cast<std::ptrdiff_t>(doomed));
    selected_ = selectionAfterRemoval(doomed, tasks_.size());
    return true;
}

bool TaskListEditor::store(const TaskFields& fields) {
    if (!selected_ || *selected_ >= tasks_.size()) return false;
    tasks_[*selected_] = taskFromFields(fields);
    return true;
}

bool checkScheduleForUpdate(const std::vector<ScheduleTask>& tasks, Prompter& prompter) {
    if (!tasks.empty()) return true;
    prompter.message(text(msg::kNoSchedule), Icon::Error);
    return false;
}

std::string receivedScheduleQuestion() {
    return text(msg::kSaveScheduleQuestion) + "\n\n" + text(msg::kCaution) + "\n\t" +
           text(msg::kScheduleDestroysOld);
}

bool offerReceivedSchedule(WorkArea& work, const std::vector<ScheduleTask>& received,
                           Prompter& prompter) {
    if (received.empty()) return false;
    if (!prompter.askYesNo(receivedScheduleQuestion(), Icon::Question)) return false;
    const size_t n = std::min(received.size(), static_cast<size_t>(kMaxScheduleTasks));
    work.tasks.assign(received.begin(), received.begin() + static_cast<std::ptrdiff_t>(n));
    return true;
}

// ---- The run sequence ----

RunSequenceEditor::RunSequenceEditor(WorkArea& work) : work_(work) {}

const std::vector<std::string>& RunSequenceEditor::entries() const {
    return work_.runSequence;
}

void RunSequenceEditor::select(std::optional<size_t> index) {
    if (index && *index < work_.runSequence.size())
        selected_ = index;
    else
        selected_.reset();
}

bool RunSequenceEditor::acceptName(std::string_view name, Prompter& prompter) const {
    const TextFile* file = work_.findFile(name);
    if (file != nullptr && file->kind == kTextFile) return true;
    return prompter.askYesNo(textf(msg::kRunFileNotInWorkArea, {name}), Icon::Question);
}

bool RunSequenceEditor::insert(std::string_view name, Prompter& prompter) {
    if (name.empty() || !acceptName(name, prompter)) return false;
    auto& seq = work_.runSequence;
    const size_t at = selected_ && *selected_ < seq.size() ? *selected_ + 1 : 0;
    seq.insert(seq.begin() + static_cast<std::ptrdiff_t>(at), std::string(name));
    selected_ = at;
    return true;
}

bool RunSequenceEditor::checkEditSelection(Prompter& prompter) const {
    if (selected_ && *selected_ < work_.runSequence.size()) return true;
    prompter.message(text(msg::kSelectItemToEdit), Icon::Exclamation);
    return false;
}

bool RunSequenceEditor::edit(std::string_view name, Prompter& prompter) {
    if (!checkEditSelection(prompter)) return false;
    if (name.empty() || !acceptName(name, prompter)) return false;
    work_.runSequence[*selected_] = std::string(name);
    return true;
}

bool RunSequenceEditor::remove(Prompter& prompter) {
    auto& seq = work_.runSequence;
    if (!selected_ || *selected_ >= seq.size()) {
        prompter.message(text(msg::kSelectItemToRemove), Icon::Exclamation);
        return false;
    }
    if (!prompter.askYesNo(text(msg::kConfirmDeleteItem), Icon::Question)) return false;
    const size_t doomed = *selected_;
    seq.erase(seq.begin() + static_cast<std::ptrdiff_t>(doomed));
    selected_ = selectionAfterRemoval(doomed, seq.size());
    return true;
}

bool RunSequenceEditor::moveUp() {
    auto& seq = work_.runSequence;
    if (!selected_ || *selected_ == 0 || *selected_ >= seq.size()) return false;
    std::swap(seq[*selected_], seq[*selected_ - 1]);
    --*selected_;
    return true;
}

bool RunSequenceEditor::moveDown() {
    auto& seq = work_.runSequence;
    if (!selected_ || *selected_ + 1 >= seq.size()) return false;
    std::swap(seq[*selected_], seq[*selected_ + 1]);
    ++*selected_;
    return true;
}

}  // namespace lumavox
