// The sign-size dialog of File New: width and height in dots and the colour
// kind, preset with the stored "DefaultPingSize" and stored again on OK. A size
// the document layer refuses keeps the dialog open with the refusal shown.
#pragma once

#include <QDialog>

class QComboBox;
class QSpinBox;

namespace lumavox::ui {

struct EditorContext;

class NewDocumentDialog : public QDialog {
    Q_OBJECT
  public:
    NewDocumentDialog(EditorContext& context, QWidget* parent = nullptr);

    int signWidth() const;
    int signHeight() const;
    int colourType() const;  // 0 tri-colour, 1 single colour
    void setSize(int width, int height, int colourType);

    void accept() override;

  private:
    EditorContext& context_;
    QSpinBox* width_;
    QSpinBox* height_;
    QComboBox* colour_;
};

}  // namespace lumavox::ui
