// The preview window: it plays the document on its worker thread, blocks the
// commands the open preview forbids, and stops within a step when closed.
#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <cstdlib>

#include "UiTestSupport.h"
#include "app/Demo.h"
#include "app/MenuTree.h"
#include "content/Document.h"
#include "ui/frame/ChildFrame.h"
#include "ui/preview/PreviewWindow.h"

namespace lumavox::test {
namespace {

// Runs the event loop until the condition holds (or a generous limit passes).
template <typename Condition>
bool waitFor(Condition condition) {
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < 20000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    return condition();
}

TEST(PreviewWindow, PlaysBlocksSendingAndStopsWhenClosed) {
    FrameFixture f;
    std::string error;
    WorkArea demo = makeDemoWorkArea(SystemClock::instance());
    const std::filesystem::path path = f.file("demo.glm");
    ASSERT_TRUE(saveDocument(path, demo, SignMode::KV2, SystemClock::instance(), error));
    ASSERT_NE(f.frame().openDocument(QString::fromStdString(path)), nullptr);

    ASSERT_TRUE(f.frame().runCommand(cmd::kPreview));
    QPointer<ui::PreviewWindow> preview = f.frame().preview();
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(f.frame().modes().mode(), kModePreview);
    f.frame().updateCommandUI();
    EXPECT_FALSE(f.frame().action(cmd::kSendAll)->isEnabled());
    EXPECT_FALSE(f.frame().action(cmd::kFileNew)->isEnabled());
    EXPECT_TRUE(f.frame().action(cmd::kHangUpTcpIp)->isEnabled());
    // A second preview cannot open while one plays.
    EXPECT_FALSE(f.frame().runCommand(cmd::kPreview));

    // The first screen slides in: pictures arrive from the worker and light dots.
    auto lit = [&] {
        const RgbImage& picture = preview->picture();
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                if (!(picture.at(x, y) == colours::kBlack)) return true;
        return false;
    };
    ASSERT_TRUE(waitFor(lit));
    EXPECT_GT(preview->framesShown(), 0u);
    // `make screenshot` keeps a picture of the playing preview.
    if (const char* shot = std::getenv("LUMAVOX_PREVIEW_PNG")) {
        waitFor([&] { return preview->framesShown() > 170; });
        preview->grab().save(shot);
    }
    EXPECT_TRUE(preview->playing());

    // Closing in the middle of an effect ends the worker and the mode.
    preview->close();
    EXPECT_TRUE(waitFor([&] { return preview.isNull(); }));
    EXPECT_EQ(f.frame().modes().mode(), kModeText);
    f.frame().updateCommandUI();
    EXPECT_TRUE(f.frame().action(cmd::kSendAll)->isEnabled());
}

}  // namespace
}  // namespace lumavox::test
