// Helpers of the widget tests: one application object for the run, a main
// frame over a temporary program directory, and answers to modal dialogs.
#pragma once

#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

#include "support/TestSupport.h"
#include "ui/frame/ChildFrame.h"
#include "ui/frame/EditorContext.h"
#include "ui/frame/MainFrame.h"

class QWidget;

namespace lumavox::test {

// A main frame over its own program directory (the font files copied in) and
// settings, shown offscreen.
class FrameFixture {
  public:
    explicit FrameFixture(SignMode mode = SignMode::KV2);
    ~FrameFixture();

    ui::CMainFrame& frame() { return *frame_; }
    ui::EditorContext& context() { return context_; }
    const std::filesystem::path& home() const { return dir_.path(); }
    std::filesystem::path file(const std::string& name) const { return dir_ / name; }

  private:
    TempDir dir_;
    std::unique_ptr<LanguageManager> language_;
    std::unique_ptr<SettingsStore> store_;
    Settings settings_;
    ui::EditorContext context_;
    std::unique_ptr<ui::CMainFrame> frame_;
};

// The timer of a dialog driver: it goes when the driver's work is done or, at
// the latest, with this guard, so that no driver outlives its test.
struct Driver {
    QPointer<QTimer> timer;
    ~Driver() { delete timer.data(); }
};

// Answers the next modal dialog that opens (a message box, a question) with
// `answer`, which receives the dialog; returns at once.
void answerNextDialog(std::function<void(QWidget*)> answer);
// The same for the next pop-up (a context menu, a menu of the bar).
void answerNextPopup(std::function<void(QWidget*)> answer);
// Presses the button with that text in the next message box; the text of the
// box is stored in `seen` when given.
void pressInNextBox(const QString& button, QString* seen = nullptr);

}  // namespace lumavox::test
