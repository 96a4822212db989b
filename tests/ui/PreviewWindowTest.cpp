// The preview window: it plays the document on its worker thread, blocks the
// commands the open preview forbids, and stops within a step when closed.
#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QScrollBar>
#include <QTest>
#include <cstdlib>

#include "UiTestSupport.h"
#include "app/Demo.h"
#include "content/Document.h"
#include "editing/InsertItems.h"
#include "editing/MenuTree.h"
#include "render/SignStills.h"
#include "strings/StringTable.h"
#include "ui/bridge/QtBridge.h"
#include "ui/frame/ChildFrame.h"
#include "ui/frame/LumavoxDoc.h"
#include "ui/preview/PreviewWindow.h"
#include "ui/views/LumavoxView.h"

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

// A new document of the given sign whose current text file shows "AB".
ui::PreviewWindow* openPreview(FrameFixture& f, int width, int height) {
    ui::CChildFrame* child = f.frame().newDocument(width, height, 0);
    TextEditor& editor = child->view().editor();
    for (char c : {'A', 'B'})
        insertChecked(editor, makeCharacterItem(static_cast<uint8_t>(c), editor.attributes()));
    if (!f.frame().runCommand(cmd::kPreview)) return nullptr;
    return f.frame().preview();
}

TEST(PreviewWindow, TitleMarginsScrollStepsAndEscape) {
    FrameFixture f;
    QPointer<ui::PreviewWindow> preview = openPreview(f, 512, 64);
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->windowTitle(), QStringLiteral("Simulate the display...."));
    EXPECT_EQ(preview->windowTitle(), ui::qs(text(msg::kPreviewTitle)));
    preview->resize(600, 200);
    QApplication::processEvents();
    ASSERT_TRUE(waitFor([&] { return preview->framesShown() > 0; }));

    // The bars count dots: a line is a tenth of the visible dots, a page two.
    QAbstractScrollArea* canvas = preview->canvas();
    const QSize client = canvas->viewport()->size();
    const int columns = (client.width() - 10) / 4;
    const int rows = (client.height() - 10) / 4;
    ASSERT_GT(columns, 10);
    ASSERT_LT(columns, 512);
    ASSERT_LT(rows, 64);
    QScrollBar* across = canvas->horizontalScrollBar();
    EXPECT_EQ(across->maximum(), 512 - columns);
    EXPECT_EQ(across->singleStep(), columns / 10);
    EXPECT_EQ(across->pageStep(), 2 * (columns / 10));
    QScrollBar* down = canvas->verticalScrollBar();
    EXPECT_EQ(down->maximum(), 64 - rows);
    EXPECT_EQ(down->singleStep(), std::max(rows / 10, 1));
    EXPECT_EQ(down->pageStep(), 2 * std::max(rows / 10, 1));

    // The dots start 10 pixels in, each 4 x 4 with its grid line first.
    const QImage shown = canvas->viewport()->grab().toImage();
    const QRgb face = qRgb(kSeparatorColour.r, kSeparatorColour.g, kSeparatorColour.b);
    const QRgb grid = qRgb(kGridColour.r, kGridColour.g, kGridColour.b);
    EXPECT_EQ(shown.pixel(9, 20), face);
    EXPECT_EQ(shown.pixel(20, 9), face);
    EXPECT_EQ(shown.pixel(10, 10), grid);
    // Only whole visible dots are painted; the rest of the client is face.
    EXPECT_EQ(shown.pixel(10 + 4 * (columns - 1), 21), grid);
    if (10 + 4 * columns < shown.width()) {
        EXPECT_EQ(shown.pixel(10 + 4 * columns, 21), face);
    }

    QTest::keyClick(preview, Qt::Key_Escape);
    EXPECT_TRUE(waitFor([&] { return preview.isNull(); }));
    EXPECT_EQ(f.frame().modes().mode(), kModeText);
}

TEST(PreviewWindow, TheNestingMessageIsABoxWhileThePlayerGoesOnAndEnds) {
    FrameFixture f;
    ui::CChildFrame* child = f.frame().newDocument(160, 16, 0);
    // The current text file calls itself.
    EditorDocument& doc = child->doc().document();
    const std::string name = doc.currentFile()->name.str();
    doc.changeWorkArea([&](WorkArea& wa) {
        TextFile* file = wa.findFile(name);
        file->items.insert(file->items.begin(), makeIncludeItem(name));
        file->items.insert(file->items.begin() + 1,
                           makeCharacterItem('Y', file->items.back().ch()));
        return true;
    });
    ASSERT_TRUE(f.frame().runCommand(cmd::kPreview));
    QPointer<ui::PreviewWindow> preview = f.frame().preview();
    ASSERT_NE(preview, nullptr);
    auto box = [&]() -> QMessageBox* {
        for (QMessageBox* b : preview->findChildren<QMessageBox*>())
            if (b->isVisible()) return b;
        return nullptr;
    };
    ASSERT_TRUE(waitFor([&] { return box() != nullptr; }));
    EXPECT_EQ(box()->text(), ui::qs(text(msg::kPreviewRecursion)));
    // The player is not held by the box: the screens keep coming.
    const uint64_t seen = preview->framesShown();
    EXPECT_TRUE(waitFor([&] { return preview->framesShown() > seen; }));
    EXPECT_TRUE(preview->playing());
    // Closing with the box still up ends the player and the window.
    preview->close();
    EXPECT_TRUE(waitFor([&] { return preview.isNull(); }));
    EXPECT_EQ(f.frame().modes().mode(), kModeText);
}

}  // namespace
}  // namespace lumavox::test
