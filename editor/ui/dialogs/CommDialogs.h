// The communication settings dialogs ("Comport & Addr.", "Communication
// option" with its TCP/IP groups, "Select baud rate") and the small dialogs
// that lead to sign operations (change address, clear the sign, default file,
// auto on/off times). Every value is checked by the engine's rules, refused
// with their exact texts (the dialog stays open and the old value stays), and
// saved to the settings through the store on OK.
#pragma once

#include <QDialog>
#include <string>

#include "operations/Settings.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QComboBox;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QSpinBox;
class QTimeEdit;

namespace lumavox::ui {

class CMainFrame;
struct EditorContext;

// Saves the context's settings through its store; shows the error when it fails.
bool saveSettings(EditorContext& context, QWidget* parent);

// "Comport & Addr." (serial) or "IP address & Addr. of moving-sign" (TCP/IP).
class CComportAddrDlg : public QDialog {
    Q_OBJECT
  public:
    CComportAddrDlg(EditorContext& context, QWidget* parent = nullptr);
    QComboBox* ports() const { return ports_; }
    QComboBox* groups() const { return groups_; }
    QLineEdit* address() const { return address_; }
    QCheckBox* alwaysDisplay() const { return always_; }
    void accept() override;

  private:
    EditorContext& context_;
    QComboBox* ports_ = nullptr;
    QComboBox* groups_ = nullptr;
    QLineEdit* address_ = nullptr;
    QCheckBox* always_ = nullptr;
};

// Shows "Comport & Addr."; true when confirmed (the settings are saved).
bool showComportAddrDialog(CMainFrame& frame, QWidget* parent);

// "TCP/IP Group Info": a group's name and IP list.
class CTcpGroupDlg : public QDialog {
    Q_OBJECT
  public:
    CTcpGroupDlg(const EditorContext& context, TcpIpGroup group, QWidget* parent = nullptr);
    QLineEdit* name() const { return name_; }
    QLineEdit* addresses() const { return addresses_; }
    const TcpIpGroup& group() const { return group_; }
    void accept() override;

  private:
    TcpIpGroup group_;
    QLineEdit* name_ = nullptr;
    QLineEdit* addresses_ = nullptr;
};

// "Communication option": the route, the TCP port, the hang-up switch and the
// TCP/IP groups; with GPRS chosen, the gateway's server port and the GPRS
// groups ("ReName", "Examine Connection"). GPRS is not offered in the NVS
// family.
class CCommOptionDlg : public QDialog {
    Q_OBJECT
  public:
    CCommOptionDlg(EditorContext& context, QWidget* parent = nullptr);
    QRadioButton* serial() const { return serial_; }
    QRadioButton* tcp() const { return tcp_; }
    QRadioButton* gprs() const { return gprs_; }
    QSpinBox* port() const { return port_; }
    QCheckBox* hangUp() const { return hangUp_; }
    QListWidget* groupList() const { return groupList_; }
    const std::vector<TcpIpGroup>& groups() const { return groups_; }
    const std::vector<GprsGroup>& gprsGroups() const { return gprsGroups_; }
    QPushButton* editButton() const { return edit_; }
    QPushButton* renameButton() const { return rename_; }
    QPushButton* examineButton() const { return examine_; }
    // The group buttons, for the TCP/IP or the GPRS groups as the route is;
    // `edit` gets the group dialog before it is shown (tests fill it and
    // accept it).
    void addGroup();
    void editGroup();
    void deleteGroup();
    void renameGroup();
    void examineConnection();
    void accept() override;

  private:
    bool gprsShown() const;
    void showRoute();
    void refillGroups(int select);
    bool runGroupDialog(TcpIpGroup& group);
    EditorContext& context_;
    std::vector<TcpIpGroup> groups_;
    std::vector<GprsGroup> gprsGroups_;
    int tcpPort_ = 0;
    int gprsPort_ = 0;
    bool portOfGprs_ = false;  // which port the spin box shows
    QLabel* portLabel_ = nullptr;
    QGroupBox* groupBox_ = nullptr;
    QPushButton* edit_ = nullptr;
    QPushButton* rename_ = nullptr;
    QPushButton* examine_ = nullptr;
    QRadioButton* serial_ = nullptr;
    QRadioButton* tcp_ = nullptr;
    QRadioButton* gprs_ = nullptr;
    QSpinBox* port_ = nullptr;
    QCheckBox* hangUp_ = nullptr;
    QListWidget* groupList_ = nullptr;
};

// "Select baud rate": the PC's own baud rate, or (retitled, "Update" and
// "Close") the sign's new one.
class CBaudRateDlg : public QDialog {
    Q_OBJECT
  public:
    CBaudRateDlg(EditorContext& context, bool forSign, QWidget* parent = nullptr);
    QComboBox* baud() const { return baud_; }
    int chosenIndex() const;
    void accept() override;

  private:
    EditorContext& context_;
    bool forSign_;
    QComboBox* baud_ = nullptr;
};

// "Change Address": the old and the new sign address.
class CChangeAddressDlg : public QDialog {
    Q_OBJECT
  public:
    CChangeAddressDlg(const EditorContext& context, QWidget* parent = nullptr);
    QSpinBox* oldAddress() const { return old_; }
    QSpinBox* newAddress() const { return new_; }
    void accept() override;

  private:
    QSpinBox* old_ = nullptr;
    QSpinBox* new_ = nullptr;
};

// "Set default file": one of the document's text files.
class CSetDefaultDlg : public QDialog {
    Q_OBJECT
  public:
    CSetDefaultDlg(const EditorContext& context, const std::vector<std::string>& files,
                   QWidget* parent = nullptr);
    QListWidget* files() const { return files_; }
    std::string chosen() const;
    void accept() override;

  private:
    QListWidget* files_ = nullptr;
};

// "Set time for Auto ON/OFF...": stores the six values in the settings.
class CAutoOnOffDlg : public QDialog {
    Q_OBJECT
  public:
    CAutoOnOffDlg(EditorContext& context, QWidget* parent = nullptr);
    QRadioButton* onAuto() const { return onAuto_; }
    QRadioButton* offAuto() const { return offAuto_; }
    QTimeEdit* onTime() const { return onTime_; }
    QTimeEdit* offTime() const { return offTime_; }
    void accept() override;

  private:
    EditorContext& context_;
    QRadioButton* onManual_ = nullptr;
    QRadioButton* onAuto_ = nullptr;
    QRadioButton* offManual_ = nullptr;
    QRadioButton* offAuto_ = nullptr;
    QTimeEdit* onTime_ = nullptr;
    QTimeEdit* offTime_ = nullptr;
};

// "Clear the sign": four buttons; the chosen operation, or 0 on Close.
class CClearSignDlg : public QDialog {
    Q_OBJECT
  public:
    CClearSignDlg(const EditorContext& context, QWidget* parent = nullptr);
    int chosenKind() const { return chosen_; }

  private:
    int chosen_ = 0;
};

}  // namespace lumavox::ui
