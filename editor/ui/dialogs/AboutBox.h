// Help > About: the program's version and date. Six right-button double-clicks
// made with Ctrl, Shift and the left button held turn it into a password box;
// the right password opens the company box. The rules are the engine's
// (app/AboutBox.h); these dialogs show them.
#pragma once

#include <QDialog>

#include "app/AboutBox.h"

class QGroupBox;
class QLabel;
class QLineEdit;

namespace lumavox::ui {

class AboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit AboutBox(const LanguageManager* language, QWidget* parent = nullptr);
    // True when it closed with the right password.
    bool companyRequested() const { return company_; }
    const EditorAboutBox& model() const { return model_; }
    // What a qualifying click does (the mouse handler calls it).
    void rightDoubleClick(bool ctrl, bool shift, bool leftButton);
    QLineEdit* passwordField() const { return password_; }

    void accept() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void refresh();

    EditorAboutBox model_;
    QGroupBox* group_;
    QLabel* version_;
    QLabel* date_;
    QLineEdit* password_;
    bool company_ = false;
};

class CompanyBox : public QDialog {
    Q_OBJECT
  public:
    explicit CompanyBox(const LanguageManager* language, QWidget* parent = nullptr);
};

}  // namespace lumavox::ui
