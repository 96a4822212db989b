// The modem menu's windows: "Modem Info..." (choose the modem to dial with),
// the modeless dial window ("Dial up by Modem", with the phone list, the GSM
// status box and the hang-up check box) and the "Pin Code" dialog. The dial
// window drives the engine's modem dialer; every wait pumps the window's
// events, so the program stays alive while it dials.
#pragma once

#include <QDialog>
#include <QWidget>
#include <memory>
#include <string>

#include "operations/Modems.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace lumavox::ui {

class CMainFrame;
struct EditorContext;

// "Modem Info...": the installed modems (no IP virtual modems) with the
// selected one's port, speed, initialisation and reset strings. "Close"
// stores the chosen model as "Use Modem Name".
class CModemInfoDlg : public QDialog {
    Q_OBJECT
  public:
    CModemInfoDlg(EditorContext& context, QWidget* parent = nullptr);
    QComboBox* modems() const { return modems_; }
    QLabel* port() const { return port_; }
    QLabel* speed() const { return speed_; }
    QLabel* init() const { return init_; }
    QLabel* reset() const { return reset_; }
    void done(int result) override;

  private:
    void showModem(int index);
    EditorContext& context_;
    std::vector<ModemEntry> shown_;
    QComboBox* modems_ = nullptr;
    QLabel* port_ = nullptr;
    QLabel* speed_ = nullptr;
    QLabel* init_ = nullptr;
    QLabel* reset_ = nullptr;
};

// "Pin Code": refuses an empty code and stays open.
class CPinCodeDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CPinCodeDlg(QWidget* parent = nullptr);
    QLineEdit* code() const { return code_; }
    void accept() override;

  private:
    QLineEdit* code_ = nullptr;
};

// The dial window. Created once; "Close" hides it.
class CDialModemDlg : public QWidget, private ModemHost {
    Q_OBJECT
  public:
    CDialModemDlg(EditorContext& context, CSignLink& link, QWidget* parent = nullptr);
    ~CDialModemDlg() override;

    // Shows the window and checks the GSM modem (skipped with a line up).
    void open();
    void dialUp();
    void hangUp();
    void closeWindow();
    ModemDialer& dialer() { return *dialer_; }

    QComboBox* phones() const { return phones_; }
    QPushButton* dialButton() const { return dial_; }
    QPushButton* closeButton() const { return close_; }
    QCheckBox* hangUpCheck() const { return hangUpCheck_; }
    QLabel* statusLabel() const { return status_; }
    QLabel* modemLabel() const { return modem_; }
    QLabel* gsmLabel() const { return gsm_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    // ModemHost
    void connectStatus(const std::string& t) override;
    void modemStatus(const std::string& t) override;
    void gsmStatus(const std::string& t) override;
    void buttonsEnabled(bool on) override;
    bool askPin(std::string& pin) override;
    void numberDialed(const std::string& number) override;
    void message(const std::string& t, Icon icon) override;
    void pump() override;

    ModemTarget target() const;

    EditorContext& context_;
    CSignLink& link_;
    std::unique_ptr<ModemDialer> dialer_;
    QComboBox* phones_ = nullptr;
    QPushButton* dial_ = nullptr;
    QPushButton* close_ = nullptr;
    QCheckBox* hangUpCheck_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* modem_ = nullptr;
    QGroupBox* gsmBox_ = nullptr;
    QLabel* gsm_ = nullptr;
    bool closable_ = true;
};

// "Select Modem...", "Dial by Modem..." and "Hang Up Modem Connection".
void installModemCommands(CMainFrame& frame);
// The frame's dial window, or null before "Dial by Modem..." created it.
CDialModemDlg* dialWindow(CMainFrame& frame);

}  // namespace lumavox::ui
