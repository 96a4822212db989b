// The main window as a person uses it: menus, command availability, typing,
// undo, the clipboard, the status panes, the property bar and the questions.
#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSet>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <cstdlib>
#include <fstream>

#include "UiTestSupport.h"
#include "app/Demo.h"
#include "content/Document.h"
#include "editing/MenuTree.h"
#include "editing/TextEditor.h"
#include "platform/Clock.h"
#include "platform/Profile.h"
#include "render/EditPicture.h"
#include "ui/dialogs/LanguageDialog.h"
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
    EXPECT_EQ(menuTitles(kv2.frame()), (QStringList{"&File", "&Edit", "&Insert", "&Update", "&Read",
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
    // A character the sign's set lacks is drawn into a graphic, not garbled.
    typeCharacter(&view, QString::fromUtf8("\u4e2d"));
    EXPECT_EQ(typedText(*child), "xyZ");
    EXPECT_EQ(child->doc().document().currentFile()->items[3].kind, kGraphicItem);
    typeCharacter(&view, QString::fromUtf8("\u00e9"));  // é is sign code 130
    EXPECT_EQ(child->doc().document().currentFile()->items[4].ch().character, 130);
    EXPECT_TRUE(child->doc().document().modified());
}

TEST(MainFrame, ElevenChangesLeaveTenUndoSteps) {
    // A second passes between the keys: each character is an action of its own.
    FixedClock clock;
    clock.setTickStep(TextEditor::kTypingPauseMs);
    FrameFixture f;
    f.context().clock = &clock;
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

// The menu bar's pop-up whose title is `title` without its mnemonic mark.
QMenu* topMenu(ui::CMainFrame& frame, const QString& title) {
    for (QAction* a : frame.menuBar()->actions())
        if (QString(a->text()).remove('&') == title) return a->menu();
    return nullptr;
}

TEST(MainFrame, KeysWithAltOrCtrlNeverTypeAndAltOpensTheMenus) {
    FrameFixture f;
    ui::CChildFrame* child = f.frame().newDocument(160, 16, 0);
    ui::CLumavoxView& view = child->view();
    view.setFocus();
    // No menu uses Z or Q: the keys reach the view, which types nothing.
    QTest::keyClick(&view, Qt::Key_Z, Qt::AltModifier);
    QTest::keyClick(&view, Qt::Key_Q, Qt::ControlModifier);
    QTest::keyClick(&view, Qt::Key_Return, Qt::AltModifier);
    EXPECT_EQ(typedText(*child), "");
    // Every menu of the bar has a mnemonic of its own: Alt+I is Insert's.
    QSet<QKeySequence> keys;
    for (QAction* a : f.frame().menuBar()->actions()) {
        const QKeySequence key = QKeySequence::mnemonic(a->text());
        EXPECT_FALSE(key.isEmpty()) << a->text().toStdString();
        keys.insert(key);
    }
    EXPECT_EQ(keys.size(), f.frame().menuBar()->actions().size());
    QMenu* insert = topMenu(f.frame(), "Insert");
    ASSERT_NE(insert, nullptr);
    EXPECT_EQ(QKeySequence::mnemonic(insert->menuAction()->text()),
              QKeySequence(Qt::ALT | Qt::Key_I));
    // The entries inside a menu get theirs too ("Graphic..." -> "&Graphic...").
    for (QAction* a : insert->actions())
        EXPECT_TRUE(a->isSeparator() || !QKeySequence::mnemonic(a->text()).isEmpty())
            << a->text().toStdString();
    QTest::keyClick(&view, Qt::Key_I, Qt::AltModifier);
    EXPECT_EQ(typedText(*child), "");
}

TEST(MainFrame, ATypedRunIsOneUndoStepEndedByAPauseACaretMoveOrACommand) {
    FixedClock clock;  // no second passes unless the test says so
    FrameFixture f;
    f.context().clock = &clock;
    ui::CChildFrame* child = f.frame().newDocument(160, 16, 0);
    ui::CLumavoxView& view = child->view();
    view.setFocus();
    auto undo = [&] { f.frame().action(cmd::kEditUndo)->trigger(); };
    QTest::keyClicks(&view, "HELLO");
    undo();
    EXPECT_EQ(typedText(*child), "");
    f.frame().action(cmd::kEditRedo)->trigger();
    EXPECT_EQ(typedText(*child), "HELLO");
    QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
    // A caret move ends the run, even one that comes back.
    QTest::keyClicks(&view, " AB");
    QTest::keyClick(&view, Qt::Key_Left);
    QTest::keyClick(&view, Qt::Key_Right);
    QTest::keyClicks(&view, "CD");
    undo();
    EXPECT_EQ(typedText(*child), "HELLO AB");
    // A pause of a second ends it too.
    QTest::keyClicks(&view, "CD");
    clock.setTickStep(TextEditor::kTypingPauseMs);
    QTest::keyClicks(&view, "E");
    clock.setTickStep(0);
    undo();
    EXPECT_EQ(typedText(*child), "HELLO ABCD");
    // So does any command, even one that leaves the text and the caret alone.
    QTest::keyClicks(&view, "XY");
    f.frame().runCommand(cmd::kViewToolbar);
    f.frame().runCommand(cmd::kViewToolbar);
    QTest::keyClicks(&view, "Z");
    undo();
    EXPECT_EQ(typedText(*child), "HELLO ABCDXY");
}

TEST(MainFrame, TheContextMenuCutsCopiesPastesAndSelectsAll) {
    FrameFixture f;
    ui::CChildFrame* child = f.frame().newDocument(160, 16, 0);
    ui::CLumavoxView& view = child->view();
    view.setFocus();
    QApplication::clipboard()->clear();
    QTest::keyClicks(&view, "ABC");
    QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);  // Select All
    EXPECT_EQ(view.editor().selection().size(), 3u);
    QStringList shown;
    answerNextPopup([&](QWidget* popup) {
        auto* menu = qobject_cast<QMenu*>(popup);
        ASSERT_NE(menu, nullptr);
        for (QAction* a : menu->actions())
            if (!a->isSeparator() && !a->menu()) shown << a->text() + (a->isEnabled() ? "" : "-");
        // Chosen as a person does: the entry made current, then Enter.
        for (QAction* a : menu->actions())
            if (a->text().startsWith("&Copy")) menu->setActiveAction(a);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 20),
                            view.viewport()->mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(view.viewport(), &event);
    EXPECT_EQ(shown, (QStringList{"Cu&t\tCtrl+X", "&Copy\tCtrl+C", "&Paste\tCtrl+V-",
                                  "Select &All\tCtrl+A"}))
        << shown.join(',').toStdString();
    QApplication::processEvents();
    EXPECT_EQ(QApplication::clipboard()->text(), "ABC");
}

TEST(MainFrame, TheLockPanesStayBlankAfterKeypadKeys) {
    FrameFixture f;
    ui::CChildFrame* child = f.frame().newDocument(160, 16, 0);
    child->view().setFocus();
    QTest::keyClick(&child->view(), Qt::Key_5, Qt::KeypadModifier);
    QTest::keyPress(&child->view(), Qt::Key_6, Qt::KeypadModifier);
    f.frame().updateCommandUI();
    EXPECT_EQ(f.frame().paneText(3), "");
    EXPECT_EQ(f.frame().paneText(4), "");
    QTest::keyRelease(&child->view(), Qt::Key_6, Qt::KeypadModifier);
}

TEST(MainFrame, RecentFilePlaceholderIsDisabledAndInsertKeepsItsSeparator) {
    FrameFixture f;
    ASSERT_TRUE(f.context().recentFiles().files().empty());
    f.frame().newDocument(160, 16, 0);
    f.frame().updateCommandUI();
    QAction* placeholder = f.frame().action(cmd::kRecentFileFirst);
    EXPECT_TRUE(topMenu(f.frame(), "File")->actions().contains(placeholder));
    EXPECT_FALSE(placeholder->isEnabled());
    // One separator, before "Include Text File...".
    auto separators = [](QMenu* menu) {
        QStringList around;
        const QList<QAction*> actions = menu->actions();
        for (qsizetype i = 0; i < actions.size(); ++i)
            if (actions[i]->isSeparator() && i + 1 < actions.size())
                around << QString(actions[i + 1]->text()).remove('&');
        return around;
    };
    EXPECT_EQ(separators(topMenu(f.frame(), "Insert")), QStringList{"Include Text File..."});
    // The NVS family removes that entry and that separator.
    FrameFixture nvs(SignMode::NVS);
    nvs.frame().newDocument(160, 16, 0);
    EXPECT_TRUE(separators(topMenu(nvs.frame(), "Insert")).isEmpty());
}

TEST(MainFrame, EveryToolbarButtonIsDrawnByTheProgramWhateverTheIconTheme) {
    // A theme whose every picture is magenta: none of it may reach the toolbar.
    TempDir themes;
    const std::filesystem::path theme = themes / "magenta";
    std::filesystem::create_directories(theme / "32");
    std::ofstream(theme / "index.theme")
        << "[Icon Theme]\nName=magenta\nDirectories=32\n[32]\nSize=32\nType=Fixed\n";
    QImage magenta(32, 32, QImage::Format_RGB32);
    magenta.fill(QColor(255, 0, 255));
    for (const char* name : {"edit-cut", "edit-copy", "edit-paste", "document-new", "document-open",
                             "document-save", "help-about", "dialog-information", "text-x-generic",
                             "user-trash", "folder", "view-list-details", "view-list-icons"})
        magenta.save(QString::fromStdString((theme / "32" / name).string() + ".png"));
    const QStringList oldPaths = QIcon::themeSearchPaths();
    const QString oldTheme = QIcon::themeName();
    QIcon::setThemeSearchPaths({QString::fromStdString(themes.path().string())});
    QIcon::setThemeName("magenta");
    {
        FrameFixture f;
        int buttons = 0;
        for (QAction* a : f.frame().findChild<QToolBar*>("toolbar")->actions()) {
            if (a->isSeparator()) continue;
            ++buttons;
            const QImage picture = a->icon().pixmap(32, 32).toImage();
            ASSERT_FALSE(picture.isNull()) << a->toolTip().toStdString();
            int foreign = 0;
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x)
                    foreign += QColor(picture.pixel(x, y)) == QColor(255, 0, 255);
            EXPECT_EQ(foreign, 0) << a->toolTip().toStdString();
        }
        EXPECT_EQ(buttons, 10);
        EXPECT_EQ(f.frame().action(cmd::kSendAll)->toolTip(), "Send All");
    }
    QIcon::setThemeName(oldTheme);
    QIcon::setThemeSearchPaths(oldPaths);
}

TEST(MainFrame, TheEditViewMarksWhereTheSignCutsARowAndTheStatusBarSaysHowWide) {
    FrameFixture f;
    ui::CChildFrame* child = f.frame().newDocument(32, 16, 0);
    ui::CLumavoxView& view = child->view();
    view.setFocus();
    QApplication::processEvents();
    QTest::keyClicks(&view, "A");
    f.frame().updateCommandUI();
    const int fits = *view.caretRowWidth();
    EXPECT_LE(fits, 32);
    EXPECT_EQ(f.frame().paneText(6), QString("Row %1/32 dots").arg(fits));
    EXPECT_TRUE(view.picture().cuts().empty());
    // One word wider than the sign: the sign cuts it, the view says so.
    QTest::keyClicks(&view, "BCDEFGHIJKLMNOP");
    f.frame().updateCommandUI();
    const int wide = *view.caretRowWidth();
    EXPECT_GT(wide, 32);
    EXPECT_EQ(f.frame().paneText(6), QString("Row %1/32 dots").arg(wide));
    ASSERT_EQ(view.picture().cuts().size(), 1u);
    EXPECT_EQ(view.picture().cuts()[0].side, EditCut::Right);
    // A red mark stands beside the sign's right edge, at the cut row.
    const QImage shot = view.viewport()->grab().toImage();
    const int dot = view.dotSize();
    const QPoint beside(
        ui::CLumavoxView::kMargin + 32 * dot + std::max(dot, 3) / 2 + 4,
        ui::CLumavoxView::kMargin +
            (view.picture().cuts()[0].top + view.picture().cuts()[0].height / 2) * dot);
    EXPECT_EQ(QColor(shot.pixel(beside)), QColor(230, 0, 0));
    // `make screenshot` keeps a picture of it.
    if (const char* png = std::getenv("LUMAVOX_OVERFLOW_PNG")) {
        f.frame().resize(900, 420);
        QApplication::processEvents();
        f.frame().grab().save(png);
    }
}

// File > Language lists the translations the build puts in its program
// directory beside English; choosing Deutsch there puts the menu bar in German.
TEST(MainFrame, FileLanguageListsTheShippedTranslationsAndDeutschTranslatesTheMenus) {
    FrameFixture f;
    QStringList expected{"English"};
    std::filesystem::create_directories(f.home() / "Language");
    for (const auto& entry : std::filesystem::directory_iterator(
             std::filesystem::path(LUMAVOX_TEST_HOME) / "Language")) {
        std::filesystem::copy_file(entry.path(), f.home() / "Language" / entry.path().filename(),
                                   std::filesystem::copy_options::overwrite_existing);
        const QString name =
            QString::fromStdString(Profile::load(entry.path()).getString("Setting", "Language"));
        if (!expected.contains(name)) expected << name;
    }
    ASSERT_TRUE(expected.contains("Deutsch"));
    EXPECT_EQ(menuTitles(f.frame()).front(), "&File");

    QStringList listed;
    answerNextDialog([&](QWidget* w) {
        auto* dialog = qobject_cast<ui::LanguageDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        for (int i = 0; i < dialog->list()->count(); ++i)
            listed << dialog->list()->item(i)->text();
        const auto deutsch = dialog->list()->findItems("Deutsch", Qt::MatchExactly);
        if (!deutsch.isEmpty()) dialog->list()->setCurrentItem(deutsch.front());
        dialog->accept();
    });
    f.frame().action(cmd::kLanguage)->trigger();
    listed.sort();
    expected.sort();
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(menuTitles(f.frame()).front(), "&Datei");
    EXPECT_EQ(f.context().language->languageName(), "Deutsch");
}

}  // namespace
}  // namespace lumavox::test
