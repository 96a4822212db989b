// The few conversions between the Qt-free layers and Qt: texts of the string
// table as QString, the renderer's RGB image as a QImage, and the content
// layer's prompter as message boxes.
#pragma once

#include <QImage>
#include <QString>
#include <string>

#include "content/Prompter.h"
#include "render/Image.h"

class QMessageBox;
class QWidget;

namespace lumavox::ui {

inline QString qs(const std::string& s) {
    return QString::fromStdString(s);
}
inline std::string ss(const QString& s) {
    return s.toStdString();
}
// A string-table text through the language layer.
QString qtext(int id);

// The image's pixels seen as a QImage, without copying: valid while `image`
// lives and is not changed.
QImage asQImage(const RgbImage& image);

// Message boxes titled "Error" or "Prompt" by their icon.
void showMessage(QWidget* parent, const std::string& text, Icon icon);
bool askYesNo(QWidget* parent, const std::string& text, Icon icon);
// The same box shown without waiting for it: modal to its window only, gone
// when answered. For messages of work that goes on meanwhile.
QMessageBox* openMessage(QWidget* parent, const std::string& text, Icon icon);

// Unattended use (pictures taken by a script): nobody is there to close a box,
// so messages and questions go to standard error instead, each question is
// answered No, and each is counted.
void setUnattended(bool unattended);
int unattendedMessages();

class QtPrompter : public Prompter {
  public:
    explicit QtPrompter(QWidget* parent) : parent_(parent) {}
    void message(const std::string& text, Icon icon) override { showMessage(parent_, text, icon); }
    bool askYesNo(const std::string& text, Icon icon) override {
        return ui::askYesNo(parent_, text, icon);
    }

  private:
    QWidget* parent_;
};

}  // namespace lumavox::ui
