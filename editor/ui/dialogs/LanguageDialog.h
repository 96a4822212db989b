// File > Language: the usable language files by their names; OK makes the
// chosen one the program's language.
#pragma once

#include <QDialog>

class QListWidget;

namespace lumavox {
class LanguageManager;
}

namespace lumavox::ui {

class LanguageDialog : public QDialog {
    Q_OBJECT
  public:
    LanguageDialog(LanguageManager& language, QWidget* parent = nullptr);
    void accept() override;
    QListWidget* list() const { return list_; }

  private:
    LanguageManager& language_;
    QListWidget* list_;
};

}  // namespace lumavox::ui
