// The dialogs of File Manage: a list of files with its action buttons, a file
// name with its check, and "Graphic information setting" (name and size of a
// graphic). What the actions do is the caller's; a refusal the check returns is
// shown and the dialog stays open.
#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace lumavox {
class LanguageManager;
class WindowFileManager;
}  // namespace lumavox

namespace lumavox::ui {

// A file name. OK runs `decide` with the entered text; a refusal is shown and
// the dialog stays open with the name selected, ready to be typed over.
class CFileNameDlg : public QDialog {
    Q_OBJECT
  public:
    using Decide = std::function<std::string(const std::string& name)>;
    CFileNameDlg(const LanguageManager* language, int templateId, const QString& preset,
                 Decide decide, QWidget* parent = nullptr);
    QLineEdit* nameEdit() const { return name_; }
    void accept() override;

  private:
    QLineEdit* name_;
    Decide decide_;
};

// "Graphic information setting": "Graphic File Name" and "Size of Graphic".
// Renaming hides the size fields. A refused name stays selected.
class CGraphicInfoDlg : public QDialog {
    Q_OBJECT
  public:
    using Decide = std::function<std::string(const std::string& name, int width, int height)>;
    CGraphicInfoDlg(const LanguageManager* language, const QString& name, int width, int height,
                    bool showSize, Decide decide, QWidget* parent = nullptr);
    QLineEdit* nameEdit() const { return name_; }
    QSpinBox* widthEdit() const { return width_; }
    QSpinBox* heightEdit() const { return height_; }
    void accept() override;

  private:
    QLineEdit* name_;
    QSpinBox* width_;
    QSpinBox* height_;
    Decide decide_;
};

// A list of files with buttons; each button's action gets the selected name
// (empty when none) and returns true when the dialog should close. The list
// is filled again after every action.
class CFileListDlg : public QDialog {
    Q_OBJECT
  public:
    struct Action {
        int control;  // the button's text in the dialog texts
        std::function<bool(const std::string& selected)> run;
    };
    CFileListDlg(const LanguageManager* language, int templateId,
                 std::function<QStringList()> names, std::vector<Action> actions,
                 QWidget* parent = nullptr);
    QListWidget* list() const { return list_; }
    QPushButton* button(int control) const;
    void select(const QString& name);
    void refresh();

  private:
    QListWidget* list_;
    std::function<QStringList()> names_;
    std::vector<std::pair<int, QPushButton*>> buttons_;
};

// The window file manager: the window files with "New", "Rename" and
// "Delete". When the manager chooses an area's call the dialog is "Insert a
// window file to a sub-window": the area's current file is selected, and OK
// (or a double click) makes the selected file the area's call.
class CWindowFileDlg : public CFileListDlg {
    Q_OBJECT
  public:
    CWindowFileDlg(const LanguageManager* language, WindowFileManager& files,
                   QWidget* parent = nullptr);

  private:
    // Built before the list dialog exists: they reach the dialog and the
    // manager only when a button is pressed.
    std::vector<Action> actions(const LanguageManager* language, WindowFileManager& files);
};

}  // namespace lumavox::ui
