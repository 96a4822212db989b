// The main window as a person uses it: menus, command availability, typing,
// undo, the clipboard, the status panes, the property bar and the questions.
#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QTableWidget>
#include <QTest>
#include <fstream>

#include "UiTestSupport.h"
#include "app/Demo.h"
#include "app/MenuTree.h"
#include "content/Document.h"
#include "platform/Clock.h"
#include "ui/frame/ChildFrame.h"
#include "ui/frame/LumavoxDoc.h"
#include "ui/propertybar/PropertyBar.h"
#include "ui/views/LumavoxView.h"

namespace lumavox::test {
namespace {

QStringList menuTitles(ui::CMainFrame& frame) {
    QStringList titles;
    for (QAction* a : frame.menuBar()->actions())
        titles << a->text();
    return titles;
}

// The characters of the current text file, without its end marker.
std::string typedText(ui::CChildFrame& child) {
    std::string s;
    const TextFile* file = child.doc().document().currentFile();
    for (size_t i = 0; i + 1 < file->items.size(); ++i)
        if (file->items[i].kind == kCharItem) s += static_cast<char>(file->items[i].ch().character);
    return s;
}

// A key press that carries any character (QTest's own helpers take ASCII only).
void typeCharacter(QWidget* widget, const QString& character) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, character);
    QApplication::sendEvent(widget, &press);
}

bool enabled(ui::CMainFrame& frame, int command) {
    frame.updateCommandUI();
    return frame.action(command)->isEnabled();
}

TEST(MainFrame, MenusFollowTheDocumentAndTheFamily) {
    FrameFixture kv2;
    EXPECT_EQ(menuTitles(kv2.frame()), (QStringList{"&File", "&View", "&Help"}));
    ASSERT_NE(kv2.frame().newDocument(160, 16, 0), nullptr);
    EXPECT_EQ(menuTitles(kv2.frame()), (QStringList{"&File", "&Edit", "Insert", "&Update", "&Read",
                                                    "&Communication Settings", "File &Manage",
                                                    "&View", "&Window", "&Help"}));

    FrameFixture nvs(SignMode::NVS);
    nvs.frame().newDocument(160, 16, 0);
    EXPECT_FALSE(menuTitles(nvs.frame()).contains("&Read"));
    // The NVS family sends through the control: no per-file KV2 send.
    EXPECT_FALSE(enabled(nvs.frame(), cmd::kSendText));
    EXPECT_TRUE(enabled(nvs.frame(), cmd::kSendAll));
}

TEST(MainFrame, ThePreviewBlocksSendingAndReadingButNotHangingUp) {
    FrameFixture f;
    f.frame().newDocument(160, 16, 0);
    EXPECT_TRUE(enabled(f.frame(), cmd::kSendAll));
    EXPECT_TRUE(enabled(f.frame(), cmd::kReadMemory));
    EXPECT_TRUE(enabled(f.frame(), cmd::kInsertGraphic));
    f.frame().modes().openPreview();
    for (int command : {cmd::kSendAll, cmd::kReadMemory, cmd::kFileNew, cmd::kFileOpen,
                        cmd::kChangeAddress, cmd::kPreview})
        EXPECT_FALSE(enabled(f.frame(), command)) << command;
    EXPECT_TRUE(enabled(f.frame(), cmd::kHangUpTcpIp));
    EXPECT_TRUE(enabled(f.frame(), cmd::kHangUpModem));
    f.frame().modes().closePreview();
    EXPECT_TRUE(enabled(f.frame(), cmd::kSendAll));
}

TEST(MainFrame, TypingInsertsAndOverwritesWithTheStatusPane) {
    FrameFixture f;
    ui::CChildFrame* child = f.frame().newDocument(160, 16, 0);
    ui::CLumavoxView& view = child->view();
    view.setFocus();
    f.frame().updateCommandUI();
    EXPECT_EQ(f.frame().paneText(5), "INS");
    QTest::keyClicks(&view, "ABC");
    EXPECT_EQ(typedText(*child), "ABC");
    QTest::keyClick(&view, Qt::Key_Home);
    QTest::keyClick(&view, Qt::Key_Insert);
    EXPECT_EQ(f.frame().paneText(5), "OVR");
    QTest::keyClicks(&view, "xy");
    EXPECT_EQ(typedText(*child), "xyC");
    QTest::keyClick(&view, Qt::Key_Insert);
    QTest::keyClick(&view, Qt::Key_End);
    QTest::keyClick(&view, Qt::Key_Backspace);
    QTest::keyClicks(&view, "Z");
    EXPECT_EQ(typedText(*child), "xyZ");
    // A character the sign's set lacks is refused, not garbled.
    typeCharacter(&view, QString::fromUtf8("\u4e2d"));
    EXPECT_EQ(typedText(*child), "xyZ");
    typeCharacter(&view, QString::fromUtf8("\u00e9"));  // é is sign code 130
    EXPECT_EQ(child->doc().document().currentFile()->items[3].ch().character, 130);
    EXPECT_TRUE(child->doc().document().modified());
}

TEST(MainFrame, ElevenChangesLeaveTenUndoSteps) {
    FrameFixture f;
    ui::CChildFrame* child = f.frame().newDocument(160, 16, 0);
    child->view().setFocus();
    QTest::keyClicks(&child->view(), "ABCDEFGHIJK");
    int undone = 0;
    while (enabled(f.frame(), cmd::kEditUndo) && undone < 50) {
        f.frame().action(cmd::kEditUndo)->trigger();
        ++undone;
    }
    EXPECT_EQ(undone, 10);
    EXPECT_EQ(typedText(*child), "A");
    EXPECT_TRUE(enabled(f.frame(), cmd::kEditRedo));
    f.frame().action(cmd::kEditRedo)->trigger();
    EXPECT_EQ(typedText(*child), "AB");
    // A new change empties the redo list.
    QTest::keyClicks(&child->view(), "Q");
    EXPECT_FALSE(enabled(f.frame(), cmd::kEditRedo));
}

TEST(MainFrame, TheClipboardCarriesItemsBetweenDocuments) {
    FrameFixture f;
    ui::CChildFrame* a = f.frame().newDocument(160, 16, 0);
    a->view().setFocus();
    QTest::keyClicks(&a->view(), "HELLO");
    a->view().editor().selectAll();
    ASSERT_TRUE(a->view().editor().applyColour(2));
    f.frame().action(cmd::kEditCopy)->trigger();

    ui::CChildFrame* b = f.frame().newDocument(160, 16, 0);
    b->view().setFocus();
    EXPECT_TRUE(enabled(f.frame(), cmd::kEditPaste));
    f.frame().action(cmd::kEditPaste)->trigger();
    EXPECT_EQ(typedText(*b), "HELLO");
    // The items keep their attributes: the text travelled as items, not as text.
    EXPECT_EQ(b->doc().document().currentFile()->items[0].ch().colour, 2);
}

TEST(MainFrame, ClosingAModifiedDocumentAsksFirst) {
    FrameFixture f;
    ui::CChildFrame* child = f.frame().newDocument(160, 16, 0);
    QTest::keyClicks(&child->view(), "X");
    int asked = 0;
    f.frame().setSaveQuestion([&](const QString&) {
        ++asked;
        return QMessageBox::Cancel;
    });
    EXPECT_FALSE(child->close());
    EXPECT_EQ(f.frame().children().size(), 1u);

    const std::filesystem::path saved = f.file("kept.glm");
    f.frame().setSaveQuestion([&](const QString&) {
        ++asked;
        return QMessageBox::Yes;
    });
    f.frame().setSaveAsQuestion([&](const QString&) { return QString::fromStdString(saved); });
    EXPECT_TRUE(f.frame().closeAll());
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(f.frame().children().empty());
    // What was saved opens again with the typed text.
    ui::CChildFrame* reopened = f.frame().openDocument(QString::fromStdString(saved));
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(typedText(*reopened), "X");
    EXPECT_FALSE(reopened->doc().document().modified());
    EXPECT_EQ(f.context().recentFiles().files().front(), std::filesystem::absolute(saved).string());
}

TEST(MainFrame, ARefusedDocumentOpensNothingAndSaysWhy) {
    FrameFixture f;
    const std::filesystem::path bad = f.file("bad.glm");
    std::ofstream(bad) << "this is no sign document at all";
    QString seen;
    pressInNextBox("OK", &seen);
    EXPECT_EQ(f.frame().openDocument(QString::fromStdString(bad)), nullptr);
    EXPECT_TRUE(f.frame().children().empty());
    EXPECT_FALSE(seen.isEmpty());
}

TEST(MainFrame, ThePointerPaneNamesTheScreenUnderTheMouse) {
    FrameFixture f;
    ui::CChildFrame* child = f.frame().newDocument(160, 16, 0);
    ui::CLumavoxView& view = child->view();
    QApplication::processEvents();
    const int dot = view.dotSize();
    const QPoint inside(ui::CLumavoxView::kMargin + 10 * dot, ui::CLumavoxView::kMargin + 4 * dot);
    QTest::mouseMove(view.viewport(), inside);
    EXPECT_EQ(f.frame().paneText(2), "1th Screen");
    QTest::mouseMove(view.viewport(), QPoint(2, 2));
    EXPECT_EQ(f.frame().paneText(2), "");
}

TEST(MainFrame, ThePropertyBarShowsAndChangesTheAttributesAtTheCaret) {
    FrameFixture f;
    ui::CChildFrame* child = f.frame().newDocument(160, 16, 0);
    QTest::keyClicks(&child->view(), "RG");
    ui::CPropertyBar* bar = f.frame().propertyBar();
    bar->rebuild();
    ASSERT_EQ(bar->table()->rowCount(), 5);
    EXPECT_EQ(bar->table()->item(0, 0)->text(), "ReName");
    EXPECT_EQ(bar->table()->item(2, 0)->text(), "Colo(u)r");
    child->view().editor().select(0, 1);
    bar->choose(2, 2);  // the third colour of the table
    EXPECT_EQ(child->doc().document().currentFile()->items[0].ch().colour, 2);
    EXPECT_NE(child->doc().document().currentFile()->items[1].ch().colour, 2);
    // A mixed selection shows no colour.
    child->view().editor().select(0, 2);
    bar->rebuild();
    EXPECT_EQ(bar->list().rows[2].value, "");
    bar->table()->setCurrentCell(2, 0);
    EXPECT_FALSE(bar->hint().isEmpty());
}

TEST(MainFrame, ThePropertyBarNamesTheFontOnceTheViewHasLoadedIt) {
    // As at start-up: the document named on the command line is opened, then
    // the window shown.
    FrameFixture f;
    f.frame().hide();
    const std::filesystem::path path = f.file("demo.glm");
    WorkArea work = makeDemoWorkArea(SystemClock::instance());
    std::string error;
    ASSERT_TRUE(saveDocument(path, work, SignMode::KV2, SystemClock::instance(), error)) << error;
    ui::CChildFrame* child = f.frame().openDocument(QString::fromStdString(path.string()));
    ASSERT_NE(child, nullptr);
    f.frame().show();
    QApplication::processEvents();
    ASSERT_TRUE(child->view().fonts().IsLoaded());
    // Nothing typed, no caret moved: the fonts arriving is enough.
    const PropertyList& list = f.frame().propertyBar()->list();
    ASSERT_GE(list.rows.size(), 2u);
    EXPECT_EQ(list.rows[1].options.size(), static_cast<size_t>(child->view().fonts().FontCount()));
    EXPECT_FALSE(list.rows[1].value.empty());
}

}  // namespace
}  // namespace lumavox::test
