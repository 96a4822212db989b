// Help > About: the program's name, version and date.
#pragma once

#include <QDialog>

namespace lumavox::ui {

class AboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit AboutBox(QWidget* parent = nullptr);
};

}  // namespace lumavox::ui
