// "Program Schedule": edits the document's schedule tasks and sends them
// ("Update"), or shows a schedule read from the sign (without the add, delete
// and update buttons). Every rule comes from content/Schedule.h; the dialog
// only moves a task's fields into its controls and back.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "content/Model.h"
#include "content/Schedule.h"

class QCheckBox;
class QComboBox;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTimeEdit;

namespace lumavox::ui {

class CMainFrame;
struct EditorContext;

// The run-date order of this PC's regional settings.
DateOrder systemDateOrder();

class CScheduleDlg : public QDialog {
    Q_OBJECT
  public:
    enum class Mode { Document, ReadBack };

    // `tasks` is edited in the dialog's own copy; `work` gives the text files
    // the file list offers.
    CScheduleDlg(const EditorContext& context, std::vector<ScheduleTask> tasks,
                 const WorkArea& work, Mode mode, DateOrder order, QWidget* parent = nullptr);

    // The tasks as edited (the controls are stored into the selected task on
    // every selection change, add, update and OK).
    const std::vector<ScheduleTask>& tasks() const { return tasks_; }
    std::optional<size_t> selectedTask() const { return editor_.selected(); }
    Mode mode() const { return mode_; }

    // What "Update" does with the tasks once they passed the check.
    void setUpdateHandler(std::function<void(const std::vector<ScheduleTask>&)> handler) {
        onUpdate_ = std::move(handler);
    }

    QListWidget* taskList() const { return taskList_; }
    QCheckBox* enable() const { return enable_; }
    QComboBox* priority() const { return priority_; }
    QComboBox* firstWeekday() const { return firstWeekday_; }
    QComboBox* lastWeekday() const { return lastWeekday_; }
    QComboBox* fileList() const { return files_; }
    // The run-date fields in on-screen order (see dateOrder()).
    const std::array<QSpinBox*, 3>& startDate() const { return startDate_; }
    const std::array<QSpinBox*, 3>& endDate() const { return endDate_; }
    QTimeEdit* startTime() const { return startTime_; }
    QTimeEdit* endTime() const { return endTime_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* deleteButton() const { return delete_; }
    QPushButton* updateButton() const { return update_; }
    DateOrder dateOrder() const { return order_; }

    // The buttons' actions.
    void addTask();
    void deleteTask();
    void pressUpdate();
    void accept() override;

  private:
    TaskFields fields() const;
    void showFields(const TaskFields& fields, const std::vector<std::string>& files);
    void showSelected();
    void refreshList();
    void storeSelected();
    void selectionChanged(int row);

    const EditorContext& context_;
    Mode mode_;
    DateOrder order_;
    WorkArea work_;
    std::vector<ScheduleTask> tasks_;
    TaskListEditor editor_{tasks_};
    std::function<void(const std::vector<ScheduleTask>&)> onUpdate_;
    bool refreshing_ = false;

    QListWidget* taskList_ = nullptr;
    QCheckBox* enable_ = nullptr;
    QComboBox* priority_ = nullptr;
    QComboBox* firstWeekday_ = nullptr;
    QComboBox* lastWeekday_ = nullptr;
    QComboBox* files_ = nullptr;
    std::array<QSpinBox*, 3> startDate_{};
    std::array<QSpinBox*, 3> endDate_{};
    QTimeEdit* startTime_ = nullptr;
    QTimeEdit* endTime_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* update_ = nullptr;
};

// Update > Schedule...: edits the active document's tasks; "Update" keeps the
// edited tasks in the document and sends them in the operation dialog, OK
// keeps them, Cancel leaves the document as it was.
void runScheduleEditor(CMainFrame& frame);
// Read > Schedule Task...: reads the sign's schedule in the operation dialog,
// shows what arrived and then offers it to the active document.
void runScheduleRead(CMainFrame& frame);

}  // namespace lumavox::ui
