// The Insert and File Manage menus as a person uses them: each dialog is opened
// through its command and driven through its widgets; items land at the caret
// as one undo step, refusals show their texts and keep the dialog open, cancel
// changes nothing.
#include <gtest/gtest.h>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <set>

#include "UiTestSupport.h"
#include "app/DialogTexts.h"
#include "app/LanguageManager.h"
#include "content/EditRules.h"
#include "content/GraphicRules.h"
#include "content/Vocabulary.h"
#include "editing/MenuTree.h"
#include "editing/WindowFileManager.h"
#include "ui/dialogs/FileManageDialogs.h"
#include "ui/dialogs/InsertDialogs.h"
#include "ui/dialogs/TextGraphicDialog.h"
#include "ui/frame/LumavoxDoc.h"
#include "ui/propertybar/PropertyBar.h"
#include "ui/views/LumavoxView.h"

namespace lumavox::test {
namespace {

using ui::CChoiceDlg;

// Answers the next modal dialog of type T (waiting past any other modal
// widget, such as the dialog that opens it).
template <typename T>
void answer(std::function<void(T*)> fn) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, fn] {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            fn(w);
        }
    });
    timer->start();
}

// Presses OK on the next message box and keeps its text.
void okBox(QString* seen) {
    answer<QMessageBox>([seen](QMessageBox* box) {
        *seen = box->text();
        box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click() : box->accept();
    });
}

// Presses a button of the next question.
void replyBox(QMessageBox::StandardButton button, QString* seen = nullptr) {
    answer<QMessageBox>([button, seen](QMessageBox* box) {
        if (seen) *seen = box->text();
        box->button(button)->click();
    });
}

struct Composer {
    FrameFixture f;
    ui::CChildFrame* child = nullptr;
    Composer() {
        child = f.frame().newDocument(160, 16, 0);
        for (char c : std::string("AB"))
            child->view().editor().type(static_cast<uint8_t>(c));
        child->view().editor().setCaret(1);
    }
    EditorDocument& doc() { return child->doc().document(); }
    TextEditor& editor() { return child->view().editor(); }
    const TextFile& file() { return *doc().currentFile(); }
    // Chooses `index` in the next one-list dialog and presses OK.
    void chooseNext(int index) {
        answer<CChoiceDlg>([index](CChoiceDlg* d) {
            d->choices()->setCurrentIndex(index);
            d->accept();
        });
    }
    // Chooses in a one-list dialog whose OK is refused: returns the text shown,
    // and whether the dialog was still open afterwards; then cancels it.
    QString refusedChoice(int command, int index, bool* stayedOpen) {
        QString seen;
        answer<CChoiceDlg>([index, &seen, stayedOpen](CChoiceDlg* d) {
            d->choices()->setCurrentIndex(index);
            okBox(&seen);
            d->accept();
            *stayedOpen = d->isVisible();
            d->reject();
        });
        f.frame().runCommand(command);
        return seen;
    }
};

TEST(InsertDialogs, EachItemLandsAtTheCaretAsOneUndoStep) {
    Composer c;
    struct Case {
        int command;
        int index;
        uint8_t kind;
        uint16_t ControlParams::*field;
        uint16_t value;
    };
    const Case cases[] = {
        {cmd::kInsertSpeed, 6, kSpeed, &ControlParams::valueC, 6},
        {cmd::kInsertPause, 5, kPause, &ControlParams::valueD, 5},
        {cmd::kInsertBeep, 2, kBeep, &ControlParams::valueA, 2},
        {cmd::kInsertRowSpace, 3, kRowPitch, &ControlParams::valueA, 3},
        {cmd::kInsertTemperature, 1, kTempCounter, &ControlParams::valueA, 1},
        // "Date3(31/12/2001)" is the fifth name, code 18.
        {cmd::kInsertDateTime, 6, kDateTime, &ControlParams::valueA, 18},
    };
    for (const Case& k : cases) {
        const TextFile prior = c.file();
        const size_t before = prior.items.size();
        const size_t at = c.editor().caret();
        c.chooseNext(k.index);
        c.f.frame().runCommand(k.command);
        ASSERT_EQ(c.file().items.size(), before + 1) << k.command;
        const TextItem& item = c.file().items[at];
        EXPECT_EQ(item.kind, k.kind) << k.command;
        EXPECT_EQ(item.params().*k.field, k.value) << k.command;
        EXPECT_EQ(c.editor().caret(), at + 1);
        // One undo step takes exactly this insertion back.
        ASSERT_TRUE(c.doc().undo());
        EXPECT_EQ(c.file(), prior) << k.command;
        ASSERT_TRUE(c.doc().redo());
        c.editor().setCaret(at + 1);
        // Row breaks keep the next row pitch legal.
        c.editor().type(kCR);
    }
    // Date/time and temperature items carry the attributes at the caret.
    const CharItem a = c.editor().attributes();
    const TextItem& date = c.file().items[c.editor().caret() - 2];
    EXPECT_EQ(date.params().valueB, a.font);
    EXPECT_EQ(date.params().valueC, a.colour);
}

TEST(InsertDialogs, MoveMethodTakesBothListsOfTheFamily) {
    Composer c;
    const size_t at = c.editor().caret();
    answer<ui::CInsertMoveDlg>([](ui::CInsertMoveDlg* d) {
        EXPECT_EQ(d->moveIn()->count(), kMoveMethodCount);
        EXPECT_EQ(d->moveOut()->itemText(0), "[NONE]");
        d->moveIn()->setCurrentIndex(35);   // [SNOW]
        d->moveOut()->setCurrentIndex(43);  // method 42 stored + 1
        d->accept();
    });
    c.f.frame().runCommand(cmd::kInsertMove);
    const TextItem& item = c.file().items[at];
    ASSERT_EQ(item.kind, kMove);
    EXPECT_EQ(item.params().valueA, 35);
    EXPECT_EQ(item.params().valueB, 43);
}

TEST(InsertDialogs, RefusalsShowTheirTextAndKeepTheDialogOpen) {
    Composer c;
    c.chooseNext(2);
    c.f.frame().runCommand(cmd::kInsertRowSpace);
    const TextFile once = c.file();
    bool open = false;
    EXPECT_EQ(c.refusedChoice(cmd::kInsertRowSpace, 4, &open),
              "Sorry, you can insert only one ROWPITCH in one row");
    EXPECT_TRUE(open);
    EXPECT_EQ(c.file(), once);

    // The only include target is the file itself.
    EXPECT_EQ(c.refusedChoice(cmd::kInsertInclude, 0, &open), "One text file can't call itself!");
    EXPECT_TRUE(open);
    EXPECT_EQ(c.file(), once);

    // A call that would come back: OTHER includes the current file.
    const std::string self = c.file().name.str();
    c.doc().changeWorkArea([&](WorkArea& wa) {
        CharItem m;
        addTextFile(wa, "OTHER", m);
        TextFile* other = wa.findFile("OTHER");
        ControlParams p;
        p.name = self;
        other->items.insert(other->items.begin(), TextItem::control(kInclude, p));
        return true;
    });
    EXPECT_EQ(c.refusedChoice(cmd::kInsertInclude, 1, &open),
              QString::fromStdString("Text File \"OTHER\" has called text File \"" + self +
                                     "\",so it will come into being a recursion"));
    EXPECT_TRUE(open);
}

TEST(InsertDialogs, CancelChangesNothing) {
    Composer c;
    const TextFile before = c.file();
    const size_t steps = c.doc().undoSnapshots();
    for (int command : {cmd::kInsertSpeed, cmd::kInsertDateTime, cmd::kInsertInclude}) {
        answer<CChoiceDlg>([](CChoiceDlg* d) { d->reject(); });
        c.f.frame().runCommand(command);
    }
    answer<ui::CInsertCounterDlg>([](ui::CInsertCounterDlg* d) { d->reject(); });
    c.f.frame().runCommand(cmd::kInsertCounter);
    answer<ui::CInsertWindowDlg>([](ui::CInsertWindowDlg* d) { d->reject(); });
    c.f.frame().runCommand(cmd::kInsertWindow);
    EXPECT_EQ(c.file(), before);
    EXPECT_EQ(c.doc().undoSnapshots(), steps);
}

TEST(InsertDialogs, CounterWithItsDateDialog) {
    Composer c;
    const size_t at = c.editor().caret();
    QString seen;
    bool stayed = false;
    answer<ui::CInsertCounterDlg>([&](ui::CInsertCounterDlg* d) {
        // Count-up offers no clock display; count-down does.
        d->counterType()->setCurrentIndex(1);
        EXPECT_EQ(d->display()->count(), 4);
        d->counterType()->setCurrentIndex(0);
        EXPECT_EQ(d->display()->count(), 5);
        d->display()->setCurrentIndex(4);
        // The date dialog refuses a year past 2099 and stays open.
        answer<ui::CCounterDateDlg>([&](ui::CCounterDateDlg* date) {
            date->dateEdit()->setDate(QDate(2100, 1, 1));
            okBox(&seen);
            date->accept();
            stayed = date->isVisible();
            date->dateEdit()->setDate(QDate(2031, 12, 24));
            date->timeEdit()->setTime(QTime(18, 30, 5));
            date->accept();
        });
        for (QPushButton* b : d->findChildren<QPushButton*>())
            if (b->text() == "Set Date...") b->click();
        d->accept();
    });
    c.f.frame().runCommand(cmd::kInsertCounter);
    EXPECT_EQ(seen, "Sorry,the year of end date is from 2000 to 2099,please re-select!");
    EXPECT_TRUE(stayed);
    const TextItem& item = c.file().items[at];
    ASSERT_EQ(item.kind, kTempCounter);
    EXPECT_EQ(item.params().valueA, 20);
    EXPECT_EQ(TimeStamp::fromBytes(item.params().name.bytes.data()),
              (TimeStamp{5, 30, 18, 24, 12, 31}));
}

TEST(InsertDialogs, WindowOpensTheWindowEditorOnTheNewControl) {
    Composer c;
    const size_t at = c.editor().caret();
    answer<ui::CInsertWindowDlg>([](ui::CInsertWindowDlg* d) {
        d->windowCount()->setCurrentIndex(1);  // two windows
        EXPECT_EQ(d->layout()->count(), 2);
        d->layout()->setCurrentRow(0);
        EXPECT_EQ(d->layoutType(), 2);
        d->accept();
    });
    c.f.frame().runCommand(cmd::kInsertWindow);
    const TextItem& item = c.file().items[at];
    ASSERT_EQ(item.kind, kWindowItem);
    ASSERT_EQ(item.window().areas.size(), 2u);
    EXPECT_EQ(item.window().areas[1].valueB, 8);
    EXPECT_NE(c.f.frame().windowSession(), nullptr);
}

TEST(InsertDialogs, WindowLayoutsAreNamedAndDrawn) {
    Composer c;
    std::vector<std::vector<QString>> names;
    answer<ui::CInsertWindowDlg>([&](ui::CInsertWindowDlg* d) {
        for (int count = 0; count < d->windowCount()->count(); ++count) {
            d->windowCount()->setCurrentIndex(count);
            names.emplace_back();
            for (int i = 0; i < d->layout()->count(); ++i) {
                const QListWidgetItem* item = d->layout()->item(i);
                names.back().push_back(item->text());
                EXPECT_FALSE(item->icon().isNull()) << item->text().toStdString();
            }
        }
        // Three windows: the four layouts side by side with their pictures.
        d->windowCount()->setCurrentIndex(2);
        d->layout()->setCurrentRow(1);
        EXPECT_EQ(d->layoutType(), 5);
        if (const char* shot = std::getenv("LUMAVOX_WINDOW_LAYOUT_PNG")) d->grab().save(shot);
        d->reject();
    });
    c.f.frame().runCommand(cmd::kInsertWindow);
    ASSERT_EQ(names.size(), 5u);
    EXPECT_EQ(names[0], (std::vector<QString>{"Full screen"}));
    EXPECT_EQ(names[1], (std::vector<QString>{"Top and bottom halves", "Left and right halves"}));
    EXPECT_EQ(names[2].size(), 4u);
    EXPECT_EQ(names[3], (std::vector<QString>{"Four quarters"}));
    EXPECT_EQ(names[4], (std::vector<QString>{"user-defined"}));
    std::set<QString> distinct;
    for (const auto& count : names)
        for (const QString& n : count) {
            EXPECT_FALSE(n.contains('%')) << n.toStdString();
            distinct.insert(n);
        }
    EXPECT_EQ(distinct.size(), 9u);
}

TEST(InsertDialogs, LayoutPicturesShowTheAreasOfTheLayout) {
    const QSize size(73, 33);
    // The colour inside each area, sampled away from the borders and numbers.
    auto at = [](const QPixmap& p, int x, int y) { return p.toImage().pixelColor(x, y); };
    const QPixmap halves = ui::layoutPicture(2, size);
    const QPixmap sides = ui::layoutPicture(3, size);
    const QPixmap quarters = ui::layoutPicture(8, size);
    // Type 2 splits top from bottom, type 3 left from right.
    EXPECT_NE(at(halves, 4, 4), at(halves, 4, 28));
    EXPECT_EQ(at(halves, 4, 4), at(halves, 68, 4));
    EXPECT_NE(at(sides, 4, 4), at(sides, 68, 4));
    EXPECT_EQ(at(sides, 4, 4), at(sides, 4, 28));
    // Type 8: the first area differs from the other three; the line between
    // the quarters is drawn.
    EXPECT_NE(at(quarters, 4, 4), at(quarters, 68, 28));
    EXPECT_EQ(at(quarters, 68, 4), at(quarters, 4, 28));
    EXPECT_EQ(at(quarters, 36, 4), QColor(Qt::black));
    EXPECT_EQ(at(quarters, 4, 16), QColor(Qt::black));
}

TEST(InsertDialogs, CharacterSheetHasTwoPagesAndInsertsTheClickedCode) {
    Composer c;
    const size_t at = c.editor().caret();
    // Cell 13 of the normal page (row 1, column 3) is code 45; on the European
    // page cell 2 is code 130.
    answer<ui::CMyPropertySheet>([](ui::CMyPropertySheet* d) {
        ASSERT_EQ(d->tabs()->count(), 2);
        EXPECT_EQ(d->tabs()->tabText(0), "Normal Characters");
        EXPECT_EQ(d->tabs()->tabText(1), "Special European Characters");
        EXPECT_EQ(d->normalPage()->picker()->codeAt(QPoint(3 * 30 + 15, 30 + 15)), 45);
        d->tabs()->setCurrentIndex(1);
        if (const char* shot = std::getenv("LUMAVOX_CHARACTERS_PNG")) d->grab().save(shot);
        ui::CCharacterPicker* european = d->europeanPage()->picker();
        EXPECT_EQ(european->codeAt(QPoint(10 * 30 - 1, 7 * 30 - 1)), -1);  // past 194
        QTest::mouseClick(european, Qt::LeftButton, {}, QPoint(2 * 30 + 15, 15));
    });
    c.f.frame().runCommand(cmd::kInsertCharacters);
    const TextItem& item = c.file().items[at];
    ASSERT_TRUE(item.isChar());
    EXPECT_EQ(item.ch().character, 130);
    EXPECT_EQ(item.ch().font, c.editor().attributes().font);
}

TEST(InsertDialogs, TextAsGraphicPreviewsAndDrawsTheTextAndTypingDrawsWhatTheFontLacks) {
    Composer c;
    bool listed = false;
    for (const MenuEntry& top : mainMenu())
        for (const MenuEntry& e : top.items)
            listed |= e.command == cmd::kInsertTextGraphic && e.text == "Text as Graphic...";
    EXPECT_TRUE(listed);
    const int rows =
        c.f.frame().activeChild()->view().fonts().FontHeight(c.editor().attributes().font, 0);
    QString size;
    bool previewed = false;
    answer<ui::CTextGraphicDlg>([&](ui::CTextGraphicDlg* d) {
        d->textEdit()->setText(QString::fromUtf8("\u03A9\u03BC\u03AD\u03B3\u03B1"));
        previewed = !d->preview()->pixmap().isNull();
        size = d->size()->text();
        d->accept();
    });
    c.f.frame().runCommand(cmd::kInsertTextGraphic);
    EXPECT_TRUE(previewed);
    ASSERT_EQ(c.doc().work().graphics.size(), 1u);
    const GraphicFile& omega = c.doc().work().graphics[0];
    EXPECT_EQ(omega.name.str(), "TXT1");
    EXPECT_EQ(omega.height, rows);
    EXPECT_EQ(size, QString("%1 x %2 dots").arg(omega.width).arg(rows));
    ASSERT_EQ(c.file().items[1].kind, kGraphicItem);
    EXPECT_EQ(c.editor().caret(), 2u);

    // Typed, what the font lacks is drawn; the sign's own letters stay letters.
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8("\u4E2D"));
    QApplication::sendEvent(&c.child->view(), &commit);
    QTest::keyClick(&c.child->view(), 'x');
    ASSERT_EQ(c.doc().work().graphics.size(), 2u);
    EXPECT_EQ(c.file().items[2].kind, kGraphicItem);
    EXPECT_EQ(c.file().items[2].params().name.str(), "TXT2");
    EXPECT_TRUE(c.file().items[3].isCharCode('x'));
}

TEST(InsertDialogs, TheCharacterSheetsTabsTakeTheirCaptionsFromTheLanguageFile) {
    Composer c;
    TempDir home;
    std::filesystem::create_directories(home / "Language");
    std::ofstream(home / "Language" / "de.ini")
        << "[Version Set]\nVersion=1203\n[Setting]\nLanguage=Deutsch\n[Dialog String]\n"
           "IDD172_Title=Normale Zeichen\nIDD31001_Title=Europaeische Zeichen\n";
    LanguageManager language(home.path());
    language.SelectLanguage("Deutsch");
    ASSERT_TRUE(language.active());
    c.child->view().ensureFonts();
    ui::CMyPropertySheet sheet(&language, c.child->view().fonts(), 16,
                               [](int) { return std::string(); });
    EXPECT_EQ(sheet.tabs()->tabText(0), "Normale Zeichen");
    EXPECT_EQ(sheet.tabs()->tabText(1), "Europaeische Zeichen");
}

// ---- File Manage ----------------------------------------------------------------

void pressButton(ui::CFileListDlg* d, int control) {
    d->button(control)->click();
}

TEST(FileManage, NewGraphicChecksItsSizeAndNameThenLandsAtTheCaret) {
    Composer c;
    const size_t at = c.editor().caret();
    QString width0, duplicate;
    answer<ui::CFileListDlg>([&](ui::CFileListDlg* list) {
        answer<ui::CGraphicInfoDlg>([&](ui::CGraphicInfoDlg* info) {
            info->nameEdit()->setText("LOGO");
            info->widthEdit()->setValue(0);
            info->heightEdit()->setValue(16);
            okBox(&width0);
            info->accept();
            EXPECT_TRUE(info->isVisible());
            info->widthEdit()->setValue(32);
            info->accept();
        });
        pressButton(list, kComposeControl);
    });
    c.f.frame().runCommand(cmd::kManageGraphics);
    EXPECT_EQ(width0, "Sorry,the range of graphic width is from 1 to 160,Please re-enter!");
    ASSERT_NE(c.doc().work().findGraphic("LOGO"), nullptr);
    const TextItem& item = c.file().items[at];
    ASSERT_EQ(item.kind, kGraphicItem);
    EXPECT_EQ(item.params().name.str(), "LOGO");
    EXPECT_EQ(item.params().valueC, 32);
    // The graphic editor opened on it; "Save and return" comes back to the text.
    EXPECT_EQ(c.f.frame().modes().mode(), kModeGraphicEditor);
    c.f.frame().runCommand(cmd::kGraphicSaveReturn);
    EXPECT_EQ(c.f.frame().modes().mode(), kModeText);

    // A second graphic of the same name is refused; cancel leaves one.
    answer<ui::CFileListDlg>([&](ui::CFileListDlg* list) {
        answer<ui::CGraphicInfoDlg>([&](ui::CGraphicInfoDlg* info) {
            info->nameEdit()->setText("LOGO");
            okBox(&duplicate);
            info->accept();
            EXPECT_TRUE(info->isVisible());
            info->reject();
        });
        pressButton(list, kComposeControl);
        list->reject();
    });
    c.f.frame().runCommand(cmd::kManageGraphics);
    EXPECT_EQ(duplicate, "Sorry,this file name has exist,Please re-enter!");
    EXPECT_EQ(c.doc().work().graphics.size(), 1u);

    // Inserting the existing graphic from the Insert menu.
    c.chooseNext(0);
    c.f.frame().runCommand(cmd::kInsertGraphic);
    EXPECT_EQ(c.file().items[c.editor().caret() - 1].params().name.str(), "LOGO");
}

TEST(FileManage, GraphicRenameAndDeleteFollowTheReferences) {
    Composer c;
    c.doc().changeWorkArea([&](WorkArea& wa) {
        std::string refusal;
        return createGraphic(wa, "PIC", 8, 8, c.doc().clock(), refusal);
    });
    answer<ui::CFileListDlg>([&](ui::CFileListDlg* list) {
        list->select("PIC");
        replyBox(QMessageBox::Yes);  // "Are you sure to re-name graphic PIC?"
        answer<ui::CGraphicInfoDlg>([](ui::CGraphicInfoDlg* info) {
            EXPECT_FALSE(info->widthEdit()->isVisibleTo(info));
            info->nameEdit()->setText("PIC2");
            info->accept();
        });
        pressButton(list, kComposeControl + 2);
        EXPECT_EQ(list->list()->item(0)->text(), "PIC2");
        list->select("PIC2");
        replyBox(QMessageBox::Yes);  // "Are you sure to delete graphic PIC2?"
        pressButton(list, kComposeControl + 1);
        EXPECT_EQ(list->list()->count(), 0);
        list->reject();
    });
    c.f.frame().runCommand(cmd::kManageGraphics);
    EXPECT_TRUE(c.doc().work().graphics.empty());
}

TEST(FileManage, WindowFilesAreCreatedRenamedAndDeleted) {
    Composer c;
    QString duplicate;
    const std::string self = c.file().name.str();
    answer<ui::CFileListDlg>([&](ui::CFileListDlg* list) {
        answer<ui::CFileNameDlg>([](ui::CFileNameDlg* name) {
            name->nameEdit()->setText("WIN1");
            name->accept();
        });
        pressButton(list, kComposeControl);
        ASSERT_EQ(list->list()->count(), 1);
        // A name the work area has already is refused.
        answer<ui::CFileNameDlg>([&](ui::CFileNameDlg* name) {
            name->nameEdit()->setText(QString::fromStdString(self));
            okBox(&duplicate);
            name->accept();
            EXPECT_TRUE(name->isVisible());
            name->reject();
        });
        pressButton(list, kComposeControl);
        list->select("WIN1");
        answer<ui::CFileNameDlg>([](ui::CFileNameDlg* name) {
            name->nameEdit()->setText("WIN2");
            name->accept();
        });
        pressButton(list, kComposeControl + 1);
        EXPECT_EQ(list->list()->item(0)->text(), "WIN2");
        list->select("WIN2");
        replyBox(QMessageBox::Yes);
        pressButton(list, kComposeControl + 2);
        EXPECT_EQ(list->list()->count(), 0);
        list->reject();
    });
    c.f.frame().runCommand(cmd::kManageWindowFiles);
    EXPECT_EQ(duplicate, "Sorry,this file name has exist,Please re-enter!");
    EXPECT_EQ(c.doc().work().textFiles.size(), 1u);
}

TEST(FileManage, ARefusedRenameKeepsTheBoxOpenWithTheNameSelected) {
    Composer c;
    WindowFileManager files(c.doc(), 1);
    ASSERT_EQ(files.create("WIN1"), "");
    ASSERT_EQ(files.create("WIN2"), "");
    QString seen;
    bool open = false;
    QString selected;
    // File Manage > Window File: rename WIN1 to WIN2.
    answer<ui::CFileListDlg>([&](ui::CFileListDlg* list) {
        list->select("WIN1");
        answer<ui::CFileNameDlg>([&](ui::CFileNameDlg* name) {
            name->nameEdit()->setText("WIN2");
            okBox(&seen);
            name->accept();
            open = name->isVisible();
            selected = name->nameEdit()->selectedText();
            name->reject();
        });
        pressButton(list, kComposeControl + 1);
        list->reject();
    });
    c.f.frame().runCommand(cmd::kManageWindowFiles);
    EXPECT_EQ(seen, "Sorry,this file name has exist,Please re-enter!");
    EXPECT_TRUE(open);
    EXPECT_EQ(selected, "WIN2");
    EXPECT_EQ(files.names(), (std::vector<std::string>{"WIN1", "WIN2"}));

    // The property bar's "ReName" row: the same box, titled and labelled.
    seen.clear();
    open = false;
    answer<ui::CFileNameDlg>([&](ui::CFileNameDlg* name) {
        EXPECT_EQ(name->windowTitle(), "Rename");
        name->nameEdit()->setText("WIN1");
        okBox(&seen);
        name->accept();
        open = name->isVisible();
        selected = name->nameEdit()->selectedText();
        name->nameEdit()->setText("Front");
        name->accept();
    });
    ui::CPropertyBar* bar = c.f.frame().propertyBar();
    bar->rebuild();
    ASSERT_EQ(bar->list().rows[0].action, "RENAME");
    bar->press(0);
    EXPECT_EQ(seen, "Sorry,this file name has exist,Please re-enter!");
    EXPECT_TRUE(open);
    EXPECT_EQ(selected, "WIN1");
    EXPECT_EQ(c.file().name.str(), "Front");
}

TEST(WindowFiles, TheCallRowChoosesTheAreasWindowFileInItsManager) {
    Composer c;
    ASSERT_EQ(WindowFileManager(c.doc(), 1).create("WINA"), "");
    answer<ui::CInsertWindowDlg>([](ui::CInsertWindowDlg* d) {
        d->windowCount()->setCurrentIndex(1);
        d->layout()->setCurrentRow(0);
        d->accept();
    });
    c.f.frame().runCommand(cmd::kInsertWindow);
    WindowEditSession* session = c.f.frame().windowSession();
    ASSERT_NE(session, nullptr);
    ui::CPropertyBar* bar = c.f.frame().propertyBar();
    bar->rebuild();
    ASSERT_EQ(bar->list().rows[5].action, "WINFILECALL");

    // New makes a file and selects it; OK makes it the area's call.
    QString title;
    answer<ui::CWindowFileDlg>([&](ui::CWindowFileDlg* d) {
        title = d->windowTitle();
        answer<ui::CFileNameDlg>([](ui::CFileNameDlg* name) {
            name->nameEdit()->setText("WINB");
            name->accept();
        });
        pressButton(d, kComposeControl);
        ASSERT_EQ(d->list()->count(), 2);
        ASSERT_NE(d->list()->currentItem(), nullptr);
        EXPECT_EQ(d->list()->currentItem()->text(), "WINB");
        pressButton(d, kControlOk);
    });
    bar->press(5);
    EXPECT_EQ(title, "Insert a window file to a sub-window");
    EXPECT_EQ(session->control().areas[0].name.str(), "WINB");
    EXPECT_EQ(c.file().items[session->itemIndex()].window().areas[0].name.str(), "WINB");
    EXPECT_EQ(bar->list().rows[5].value, "WINB");

    // Opened again, the area's file is selected; choosing another is one undo step.
    QString current;
    const size_t steps = c.doc().undoSnapshots();
    answer<ui::CWindowFileDlg>([&](ui::CWindowFileDlg* d) {
        current = d->list()->currentItem() ? d->list()->currentItem()->text() : QString();
        if (const char* shot = std::getenv("LUMAVOX_WINDOW_FILES_PNG")) d->grab().save(shot);
        d->select("WINA");
        pressButton(d, kControlOk);
    });
    bar->press(5);
    EXPECT_EQ(current, "WINB");
    EXPECT_EQ(session->control().areas[0].name.str(), "WINA");
    EXPECT_EQ(c.doc().undoSnapshots(), steps + 1);
    ASSERT_TRUE(c.doc().undo());
    EXPECT_EQ(c.file().items[session->itemIndex()].window().areas[0].name.str(), "WINB");

    // Editing the area's window file: the property bar's header names it.
    bar->rebuild();
    bar->press(6);
    EXPECT_EQ(c.f.frame().modes().mode(), kModeWindowFile);
    EXPECT_EQ(bar->header()->currentText(), "WINB");
}

TEST(FileManage, AddSwitchAndRemoveTextFiles) {
    Composer c;
    const std::string first = c.file().name.str();
    QString duplicate;
    answer<ui::CFileNameDlg>([&](ui::CFileNameDlg* name) {
        name->nameEdit()->setText(QString::fromStdString(first));
        okBox(&duplicate);
        name->accept();
        EXPECT_TRUE(name->isVisible());
        name->nameEdit()->setText("SECOND");
        name->accept();
    });
    c.f.frame().runCommand(cmd::kAddTextFile);
    EXPECT_EQ(duplicate, "Sorry,this file name has exist,Please re-enter!");
    EXPECT_EQ(c.file().name.str(), "SECOND");

    c.chooseNext(0);
    c.f.frame().runCommand(cmd::kSwitchTextFile);
    EXPECT_EQ(c.file().name.str(), first);

    // Removing asks first; No keeps the file.
    answer<CChoiceDlg>([](CChoiceDlg* d) {
        d->choices()->setCurrentIndex(1);
        replyBox(QMessageBox::No);
        d->accept();
    });
    c.f.frame().runCommand(cmd::kRemoveTextFile);
    EXPECT_NE(c.doc().work().findFile("SECOND"), nullptr);
    QString question;
    answer<CChoiceDlg>([&](CChoiceDlg* d) {
        d->choices()->setCurrentIndex(1);
        replyBox(QMessageBox::Yes, &question);
        d->accept();
    });
    c.f.frame().runCommand(cmd::kRemoveTextFile);
    EXPECT_EQ(question, "Are you sure to delete \"SECOND\" text file?");
    EXPECT_EQ(c.doc().work().findFile("SECOND"), nullptr);
}

}  // namespace
}  // namespace lumavox::test
