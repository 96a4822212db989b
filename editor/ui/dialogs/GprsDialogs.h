// The GPRS dialogs of "Communication option": the name prompt for groups and
// device names, "GPRS Group Edit" (the devices of one group) and "Connection"
// (who is connected to the gateway now, refreshed every 100 ms). Their checks
// are the engine's (app/GprsRoute).
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "operations/GprsMonitor.h"
#include "operations/Settings.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QTimer;

namespace lumavox::ui {

// A name prompt: a title, a text and the name. OK runs `check` on the trimmed
// name; a refusal is shown and the prompt stays open with its text selected.
class CGprsNameDlg : public QDialog {
    Q_OBJECT
  public:
    // Returns the refusal's text, or an empty string to accept.
    using Check = std::function<std::string(const std::string&)>;
    CGprsNameDlg(int titleId, int promptId, const std::string& name, Check check,
                 QWidget* parent = nullptr);
    QLineEdit* name() const { return name_; }
    std::string chosen() const { return chosen_; }
    void accept() override;

  private:
    Check check_;
    QLineEdit* name_ = nullptr;
    std::string chosen_;
};

// Runs the prompt; true with the accepted name in `name`.
bool promptGprsName(QWidget* parent, int titleId, int promptId, std::string& name,
                    const CGprsNameDlg::Check& check);

// "GPRS Group Edit": the device names of one group.
class CGprsGroupEditDlg : public QDialog {
    Q_OBJECT
  public:
    CGprsGroupEditDlg(GprsGroup group, QWidget* parent = nullptr);
    QListWidget* devices() const { return list_; }
    const GprsGroup& group() const { return group_; }
    void addDevice();
    void editDevice();
    void deleteDevice();

  private:
    void refill(int select);
    GprsGroup group_;
    QListWidget* list_ = nullptr;
};

// "Connection": the devices registered with the monitor.
class CGprsConnectionDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kRefreshMs = 100;
    CGprsConnectionDlg(const GprsMonitor& monitor, QWidget* parent = nullptr);
    QListWidget* connections() const { return list_; }
    QTimer* timer() const { return timer_; }
    // The timer's work: refills the list when the number of names changed.
    void refresh();
    // "Refresh": refills it whatever the count.
    void refillNow();
    // "Detail" for the selected name.
    void showDetail();
    void done(int result) override;

  private:
    const GprsMonitor& monitor_;
    QListWidget* list_ = nullptr;
    QTimer* timer_ = nullptr;
};

}  // namespace lumavox::ui
