// "Text as Graphic": any text, drawn in a font of the computer's (or one that
// has each character) as one graphic at the caret, with a preview of its dots.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;

namespace lumavox {
class SignTextPainter;
}

namespace lumavox::ui {

class CTextGraphicDlg : public QDialog {
    Q_OBJECT
  public:
    // `painterFor` gives the painter of a family (empty: automatic); the text
    // is drawn `rows` high in `lit` colour. `insert` makes the graphic and
    // returns its refusal, shown with the dialog left open; empty closes it.
    CTextGraphicDlg(
        std::function<SignTextPainter&(const std::string& family)> painterFor, int rows,
        uint32_t lit,
        std::function<std::string(const std::u32string& text, const std::string& family)> insert,
        QWidget* parent = nullptr);
    QLineEdit* textEdit() const { return text_; }
    QComboBox* fontChoice() const { return font_; }
    QLabel* preview() const { return preview_; }
    QLabel* size() const { return size_; }
    std::string family() const;
    void accept() override;

  private:
    void redraw();
    std::function<SignTextPainter&(const std::string&)> painterFor_;
    int rows_;
    uint32_t lit_;
    std::function<std::string(const std::u32string&, const std::string&)> insert_;
    QLineEdit* text_;
    QComboBox* font_;
    QLabel* preview_;
    QLabel* size_;
};

}  // namespace lumavox::ui
