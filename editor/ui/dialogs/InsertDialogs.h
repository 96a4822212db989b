// The dialogs of the Insert menu. Each asks for the item's parameters; OK hands
// them to a decision function (the caller builds the item and inserts it at
// the caret through the edit model). A refusal it returns is shown and the
// dialog stays open, so the user can choose again or cancel; cancel changes
// nothing.
#pragma once

#include <QDialog>
#include <QPixmap>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <string>

#include "content/Model.h"
#include "platform/Clock.h"
#include "render/CharacterPicker.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QListWidget;
class QTabWidget;
class QTimeEdit;

namespace lumavox {
class FontSet;
class LanguageManager;
}  // namespace lumavox

namespace lumavox::ui {

// One list of choices: graphic, date and time format, row space, speed, pause,
// beep, temperature, include target; also the file lists of Switch and Remove
// Text File.
class CChoiceDlg : public QDialog {
    Q_OBJECT
  public:
    // Returns the refusal text for the chosen index, or empty when done.
    using Decide = std::function<std::string(int index)>;
    CChoiceDlg(const LanguageManager* language, int templateId, const QStringList& choices,
               int current, Decide decide, QWidget* parent = nullptr);
    QComboBox* choices() const { return list_; }
    void accept() override;

  private:
    QComboBox* list_;
    Decide decide_;
};

// Move in and move out lists of the sign family.
class CInsertMoveDlg : public QDialog {
    Q_OBJECT
  public:
    // `in` is the method, `storedOut` the out list's index (0 "[NONE]").
    using Decide = std::function<std::string(int in, int storedOut)>;
    CInsertMoveDlg(const LanguageManager* language, SignMode mode, Decide decide,
                   QWidget* parent = nullptr);
    QComboBox* moveIn() const { return in_; }
    QComboBox* moveOut() const { return out_; }
    void accept() override;

  private:
    QComboBox* in_;
    QComboBox* out_;
    Decide decide_;
};

// A small picture of a layout's areas (1-8 presets, 9 user-defined), each
// area with its display order counted from 1.
QPixmap layoutPicture(int type, QSize size);

// "Please set window property": how many windows, then which layout of that
// count (1-8 presets, 9 user-defined), each named and drawn beside its name.
class CInsertWindowDlg : public QDialog {
    Q_OBJECT
  public:
    CInsertWindowDlg(const LanguageManager* language, QWidget* parent = nullptr);
    QComboBox* windowCount() const { return count_; }
    QListWidget* layout() const { return layout_; }
    // The chosen layout type.
    int layoutType() const;

  private:
    void fillLayouts();
    const LanguageManager* language_;
    QComboBox* count_;
    QListWidget* layout_;
};

// The counter's date and time: the year must lie in 2000-2099, else the
// refusal is shown and the dialog stays open.
class CCounterDateDlg : public QDialog {
    Q_OBJECT
  public:
    CCounterDateDlg(const LanguageManager* language, const CalendarTime& preset,
                    QWidget* parent = nullptr);
    QDateEdit* dateEdit() const { return date_; }
    QTimeEdit* timeEdit() const { return time_; }
    CalendarTime when() const;
    void accept() override;

  private:
    QDateEdit* date_;
    QTimeEdit* time_;
};

// A counter: count down to an end date ("DE-Counter") or up from a start date
// ("IN-Counter"), its display, and its date through CCounterDateDlg. The
// "With HH:MM:SS" display is offered for the count-down counter only.
class CInsertCounterDlg : public QDialog {
    Q_OBJECT
  public:
    using Decide = std::function<std::string(int format, const TimeStamp& target)>;
    CInsertCounterDlg(const LanguageManager* language, const CalendarTime& now, Decide decide,
                      QWidget* parent = nullptr);
    QComboBox* counterType() const { return type_; }
    QComboBox* display() const { return display_; }
    int format() const;
    const CalendarTime& target() const { return target_; }
    // Sets the date as the date dialog would (for the date button and tests).
    void setTarget(const CalendarTime& when);
    void accept() override;

  private:
    void fillDisplays();
    void chooseDate();
    void showTarget();
    const LanguageManager* language_;
    QComboBox* type_;
    QComboBox* display_;
    QLabel* dateCaption_;
    QLabel* date_;
    CalendarTime target_;
    Decide decide_;
};

// The cells of one picker page: the glyphs of the sign font, a click picks
// the code of the cell.
class CCharacterPicker : public QWidget {
    Q_OBJECT
  public:
    CCharacterPicker(const FontSet& fonts, const PickerPage& page, QWidget* parent = nullptr);
    // The code of the cell under a point, or -1.
    int codeAt(QPoint point) const;
    QSize sizeHint() const override;

  signals:
    void picked(int code);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    PickerPage page_;
    QImage picture_;
    int hover_ = -1;
};

// One page of the character sheet: the caption naming the font and its file,
// and the cells.
class CCharPickerPage : public QWidget {
    Q_OBJECT
  public:
    CCharacterPicker* picker() const { return picker_; }

  protected:
    CCharPickerPage(const FontSet& fonts, int signHeight, const PickerPage& page, QWidget* parent);

  private:
    CCharacterPicker* picker_;
};

class CCInsertNormalCharsDlg : public CCharPickerPage {
    Q_OBJECT
  public:
    CCInsertNormalCharsDlg(const FontSet& fonts, int signHeight, QWidget* parent = nullptr);
};

class CCInsertEuropCharsDlg : public CCharPickerPage {
    Q_OBJECT
  public:
    CCInsertEuropCharsDlg(const FontSet& fonts, int signHeight, QWidget* parent = nullptr);
};

// The character sheet of Insert > "Normal/Special European Characters": the
// two pages as tabs, captioned by their own dialog titles ("IDD172_Title",
// "IDD31001_Title") so a language file names them. A click inserts the code
// (through `insert`) and closes the sheet; a refusal is shown and the sheet
// stays open.
class CMyPropertySheet : public QDialog {
    Q_OBJECT
  public:
    // Returns the refusal text, or empty when the character was inserted.
    using Insert = std::function<std::string(int code)>;
    CMyPropertySheet(const LanguageManager* language, const FontSet& fonts, int signHeight,
                     Insert insert, QWidget* parent = nullptr);
    QTabWidget* tabs() const { return tabs_; }
    CCInsertNormalCharsDlg* normalPage() const { return normal_; }
    CCInsertEuropCharsDlg* europeanPage() const { return european_; }
    int pickedCode() const { return picked_; }

  private:
    void pick(int code);
    QTabWidget* tabs_;
    CCInsertNormalCharsDlg* normal_;
    CCInsertEuropCharsDlg* european_;
    Insert insert_;
    int picked_ = -1;
};

}  // namespace lumavox::ui
