#include "UiTestSupport.h"

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <cstdlib>

namespace lumavox::test {

FrameFixture::FrameFixture(SignMode mode) {
    // The font files the build places beside the executables (this one among them).
    const char* home = std::getenv("LUMAVOX_HOME");
    const std::filesystem::path fonts =
        home && *home ? std::filesystem::path(home)
                      : std::filesystem::canonical("/proc/self/exe").parent_path();
    for (const char* font : {"KV2fnt.bin", "KV3fnt.bin", "KV4fnt.bin"})
        std::filesystem::copy_file(fonts / font, dir_ / font);
    context_.environment = ApplicationEnvironment::inHome(dir_.path(), dir_ / "user.ini");
    language_ = std::make_unique<LanguageManager>(dir_.path());
    language_->startUp();
    store_ = std::make_unique<SettingsStore>(dir_.path(), dir_ / "user.ini");
    settings_ = store_->LoadSettings();
    settings_.mode = mode;
    context_.language = language_.get();
    context_.store = store_.get();
    context_.settings = &settings_;
    frame_ = std::make_unique<ui::CMainFrame>(context_);
    frame_->resize(1024, 700);
    frame_->show();
    QApplication::processEvents();
}

FrameFixture::~FrameFixture() {
    // Nothing may be asked while the fixture goes away.
    for (ui::CChildFrame* child : frame_->children())
        delete child;
    frame_.reset();
}

namespace {
// Calls `answer` with the first widget `find` returns, looking every 5 ms.
void answerWhenFound(std::function<QWidget*()> find, std::function<void(QWidget*)> answer) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, find, answer] {
        if (QWidget* w = find()) {
            timer->stop();
            timer->deleteLater();
            answer(w);
        }
    });
    timer->start();
}
}  // namespace

void answerNextDialog(std::function<void(QWidget*)> answer) {
    answerWhenFound([] { return QApplication::activeModalWidget(); }, std::move(answer));
}

void answerNextPopup(std::function<void(QWidget*)> answer) {
    answerWhenFound([] { return QApplication::activePopupWidget(); }, std::move(answer));
}

void pressInNextBox(const QString& button, QString* seen) {
    answerNextDialog([button, seen](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        if (seen) *seen = box->text();
        for (QAbstractButton* b : box->buttons())
            if (b->text().remove('&') == button) {
                b->click();
                return;
            }
        ADD_FAILURE() << "no button " << button.toStdString();
        box->reject();
    });
}

}  // namespace lumavox::test

int main(int argc, char** argv) {
    // Widget tests never need a display.
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The fonts and a configuration of their own, also when run one by one.
    setenv("LUMAVOX_HOME", LUMAVOX_TEST_HOME, 0);
    setenv("LUMAVOX_CONFIG_DIR", LUMAVOX_TEST_CONFIG, 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    // A printf placeholder handed to QString::arg is shown as it stands; Qt
    // warns, and any test whose window did that fails.
    static QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (message.startsWith(QStringLiteral("QString::arg:")))
                ADD_FAILURE() << message.toStdString();
            if (previous) previous(type, context, message);
        });
    // A dialog nobody answers would hang the run: after ten seconds it fails
    // the test and is closed.
    QTimer watchdog;
    QPointer<QWidget> waiting;
    int seconds = 0;
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != waiting) {
            waiting = modal;
            seconds = 0;
            return;
        }
        if (modal && ++seconds >= 10) {
            const auto* box = qobject_cast<QMessageBox*>(modal);
            ADD_FAILURE() << "unanswered dialog: "
                          << (box ? box->text() : modal->windowTitle()).toStdString();
            if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
            waiting = nullptr;
        }
    });
    watchdog.start(1000);
    return RUN_ALL_TESTS();
}
