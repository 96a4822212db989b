// The graphic editor as a person uses it: opened on the graphic at the caret,
// drawn on with the mouse and the drawing tool bar, undone, copied and pasted,
// exported and imported, and returned into the document.
#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QToolBar>
#include <QWheelEvent>
#include <QWindow>
#include <fstream>

#include "UiTestSupport.h"
#include "content/GraphicBody.h"
#include "content/GraphicRules.h"
#include "editing/GraphicEdit.h"
#include "editing/InsertItems.h"
#include "platform/ByteIo.h"
#include "ui/frame/LumavoxDoc.h"
#include "ui/graphic/GraphicCommands.h"
#include "ui/graphic/GraphicFrame.h"
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

// A document whose caret stands on the graphic item of a new w x h graphic.
struct Drawing {
    FrameFixture f;
    ui::CChildFrame* child = nullptr;
    explicit Drawing(int w = 8, int h = 6) {
        child = f.frame().newDocument(160, 16, 0);
        EditorDocument& doc = child->doc().document();
        doc.changeWorkArea([&](WorkArea& wa) {
            std::string refusal;
            return createGraphic(wa, "PIC", w, h, doc.clock(), refusal);
        });
        insertChecked(child->view().editor(), makeGraphicItem(*doc.work().findGraphic("PIC")));
        child->view().editor().setCaret(0);
    }
    EditorDocument& doc() { return child->doc().document(); }
    ui::CGraphicFrame* open() {
        graphicTools() = GraphicToolState{};  // every test starts from the defaults
        f.frame().runCommand(cmd::kEditItem);
        QApplication::processEvents();
        return ui::graphicEditor(f.frame());
    }
};

// Mouse events with the buttons held, sent straight to the canvas.
void mouse(ui::CGraphicView& view, QEvent::Type type, DotPoint dot, Qt::MouseButton button,
           Qt::MouseButtons held) {
    const QPointF at = view.pixelOf(dot) + QPoint(1, 1);
    QMouseEvent e(type, at, view.mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(&view, &e);
}

void drag(ui::CGraphicView& view, std::initializer_list<DotPoint> path) {
    const DotPoint* p = path.begin();
    mouse(view, QEvent::MouseButtonPress, *p, Qt::LeftButton, Qt::LeftButton);
    for (++p; p != path.end(); ++p)
        mouse(view, QEvent::MouseMove, *p, Qt::NoButton, Qt::LeftButton);
    mouse(view, QEvent::MouseButtonRelease, *(path.end() - 1), Qt::LeftButton, Qt::NoButton);
}

void click(ui::CGraphicView& view, DotPoint at, Qt::MouseButton button = Qt::LeftButton) {
    mouse(view, QEvent::MouseButtonPress, at, button, button);
    mouse(view, QEvent::MouseButtonRelease, at, button, Qt::NoButton);
}

// The dots of the graphic in the editor as rows of . R G Y.
std::vector<std::string> rows(ui::CGraphicFrame& g) {
    std::vector<std::string> out;
    for (int y = 0; y < g.session().height(); ++y) {
        std::string row;
        for (int x = 0; x < g.session().width(); ++x) {
            const uint32_t v = g.session().shownAt(x, y);
            row += v == kPixelRed ? 'R' : v == kPixelGreen ? 'G' : v == kPixelYellow ? 'Y' : '.';
        }
        out.push_back(row);
    }
    return out;
}

// A BMP file written by the test's own encoder: bottom-up rows, 1-bit with a
// two-entry palette or 32-bit BGRX.
std::vector<uint8_t> bmpFile(int w, int h, int bits, const std::function<QRgb(int, int)>& dot) {
    const int stride = ((w * bits + 31) / 32) * 4;
    const int paletteSize = bits == 1 ? 8 : 0;
    const uint32_t offset = 14 + 40 + paletteSize;
    std::vector<uint8_t> out;
    ByteWriter wr(out);
    wr.u8('B');
    wr.u8('M');
    wr.u32(offset + stride * h);
    wr.u32(0);
    wr.u32(offset);
    wr.u32(40);
    wr.u32(static_cast<uint32_t>(w));
    wr.u32(static_cast<uint32_t>(h));
    wr.u16(1);
    wr.u16(static_cast<uint16_t>(bits));
    wr.u32(0);
    wr.u32(static_cast<uint32_t>(stride * h));
    wr.u32(2835);
    wr.u32(2835);
    wr.u32(bits == 1 ? 2 : 0);
    wr.u32(0);
    if (bits == 1) {
        wr.u32(0x00000000);  // index 0 black
        wr.u32(0x0000FF00);  // index 1 green (B G R X)
    }
    for (int y = h - 1; y >= 0; --y) {
        std::vector<uint8_t> line(static_cast<size_t>(stride), 0);
        for (int x = 0; x < w; ++x) {
            const QRgb c = dot(x, y);
            if (bits == 1) {
                if (qGreen(c)) line[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            } else {
                line[x * 4] = static_cast<uint8_t>(qBlue(c));
                line[x * 4 + 1] = static_cast<uint8_t>(qGreen(c));
                line[x * 4 + 2] = static_cast<uint8_t>(qRed(c));
            }
        }
        wr.bytes(line.data(), line.size());
    }
    return out;
}

void writeFile(const std::filesystem::path& p, const std::vector<uint8_t>& bytes) {
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

TEST(GraphicEditor, OpensInItsModeAndReturnsTheDotsIntoTheDocument) {
    Drawing d;
    ui::CGraphicFrame* g = d.open();
    ASSERT_NE(g, nullptr);
    ui::CMainFrame& frame = d.f.frame();
    EXPECT_EQ(frame.modes().mode(), kModeGraphicEditor);
    EXPECT_EQ(g->windowTitle(), "Draw Graphic");
    EXPECT_EQ(menuTitles(frame), (QStringList{"&File", "&Edit"}));
    EXPECT_EQ(frame.paneText(2), "cx=8,cy=6");
    // The active window stands for its document: the property bar offers Return.
    EXPECT_EQ(frame.activeChild(), d.child);

    mouse(g->view(), QEvent::MouseMove, {2, 1}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(frame.paneText(1), "x=2,y=1");

    g->toolAction(kToolPencil)->trigger();
    drag(g->view(), {{1, 1}, {4, 1}, {4, 3}});
    EXPECT_EQ(rows(*g)[1], ".RRRR...");
    EXPECT_EQ(rows(*g)[3], "....R...");
    // The picture on screen has the dot's colour inside the grid.
    const QPoint inside = g->view().pixelOf({2, 1}) + QPoint(1, 1);
    EXPECT_EQ(g->view().picture().pixel(inside), qRgb(255, 0, 0));
    EXPECT_EQ(g->view().picture().pixel(g->view().pixelOf({2, 1}) - QPoint(1, 1)),
              qRgb(128, 128, 128));
    // The document does not see the drawing before the return.
    EXPECT_EQ(d.doc().work().findGraphic("PIC")->pixel(2, 1), kPixelOff);

    PropertyResult back;
    back.request = PropertyRequest::ReturnFromGraphic;
    frame.handlePropertyRequest(back);
    EXPECT_EQ(ui::graphicEditor(frame), nullptr);
    EXPECT_EQ(frame.modes().mode(), kModeText);
    EXPECT_EQ(frame.paneText(2), "");
    EXPECT_TRUE(d.doc().modified());

    // The same sign body as a graphic built directly with those dots.
    GraphicFile direct = *d.doc().work().findGraphic("PIC");
    direct.pixels.assign(48, kPixelOff);
    for (int x = 1; x <= 4; ++x)
        direct.pixel(x, 1) = kPixelRed;
    direct.pixel(4, 2) = direct.pixel(4, 3) = kPixelRed;
    FixedClock clock(fixedTime());
    EXPECT_EQ(encodeGraphicBody(*d.doc().work().findGraphic("PIC"), clock),
              encodeGraphicBody(direct, clock));

    // The property bar's GRAPHIC opens it again.
    PropertyResult edit;
    edit.request = PropertyRequest::OpenGraphicEditor;
    frame.handlePropertyRequest(edit);
    ASSERT_NE(ui::graphicEditor(frame), nullptr);
    EXPECT_EQ(rows(*ui::graphicEditor(frame))[1], ".RRRR...");
    frame.runCommand(cmd::kGraphicSaveReturn);
    EXPECT_EQ(ui::graphicEditor(frame), nullptr);
}

TEST(GraphicEditor, TheToolBarChoosesToolsWidthFillAndColours) {
    Drawing d(10, 7);
    ui::CGraphicFrame* g = d.open();
    ASSERT_NE(g, nullptr);
    EXPECT_TRUE(g->toolAction(kToolSelect)->isChecked());  // an editor opens with select

    g->toolAction(kToolRectangle)->trigger();
    g->fillModeBox()->setCurrentIndex(kFillAndOutline);
    g->fillColourBox()->setCurrentIndex(g->fillColourBox()->findText("Yellow"));
    drag(g->view(), {{1, 1}, {3, 5}, {4, 4}});
    EXPECT_EQ(rows(*g),
              (std::vector<std::string>{"..........", ".RRRR.....", ".RYYR.....", ".RYYR.....",
                                        ".RRRR.....", "..........", ".........."}));

    g->toolAction(kToolFill)->trigger();
    g->penColourBox()->setCurrentIndex(g->penColourBox()->findText("Green"));
    click(g->view(), {0, 0});
    EXPECT_EQ(rows(*g)[0], "GGGGGGGGGG");
    EXPECT_EQ(rows(*g)[2], "GRYYRGGGGG");  // the fill stops at the outline

    g->toolAction(kToolLine)->trigger();
    g->penWidthBox()->setCurrentIndex(1);
    g->penColourBox()->setCurrentIndex(g->penColourBox()->findText("Red"));
    drag(g->view(), {{6, 1}, {9, 5}, {9, 1}});
    EXPECT_EQ(rows(*g)[1], "GRRRRGRRRR");
    EXPECT_EQ(rows(*g)[2], "GRYYRGRRRR");
    EXPECT_EQ(rows(*g)[3], "GRYYRGGGGG");

    g->toolAction(kToolPolygon)->trigger();
    g->penWidthBox()->setCurrentIndex(0);
    click(g->view(), {5, 4});
    click(g->view(), {9, 4});
    mouse(g->view(), QEvent::MouseMove, {7, 6}, Qt::NoButton, Qt::NoButton);
    // The right button ends the polygon; no context menu while it is drawn.
    click(g->view(), {7, 6}, Qt::RightButton);
    EXPECT_FALSE(g->contextMenu()->isVisible());
    EXPECT_FALSE(g->session().polygonActive());
    EXPECT_EQ(rows(*g)[4], "GRRRRRRRRR");
    EXPECT_EQ(g->session().undoSnapshots(), 5u);

    // Choosing the tool bar away is remembered for the next editor.
    d.f.frame().runCommand(cmd::kGraphicSaveReturn);
    EXPECT_TRUE(d.f.frame().action(cmd::kViewDrawToolBar)->isChecked());
    d.f.frame().runCommand(cmd::kViewDrawToolBar);
    EXPECT_FALSE(d.f.frame().action(cmd::kViewDrawToolBar)->isChecked());
    d.f.frame().runCommand(cmd::kEditItem);
    ASSERT_NE(ui::graphicEditor(d.f.frame()), nullptr);
    EXPECT_FALSE(
        ui::graphicEditor(d.f.frame())->drawToolBar()->isVisibleTo(ui::graphicEditor(d.f.frame())));
    d.f.frame().runCommand(cmd::kGraphicSaveReturn);
    d.f.frame().runCommand(cmd::kViewDrawToolBar);
}

TEST(GraphicEditor, UndoRedoAndTheClipboard) {
    Drawing d;
    ui::CGraphicFrame* g = d.open();
    ASSERT_NE(g, nullptr);
    ui::CMainFrame& frame = d.f.frame();
    g->toolAction(kToolPencil)->trigger();
    drag(g->view(), {{0, 0}, {2, 0}});
    drag(g->view(), {{0, 2}, {2, 2}});
    frame.runCommand(cmd::kGraphicUndo);
    EXPECT_EQ(rows(*g)[2], "........");
    frame.runCommand(cmd::kGraphicRedo);
    EXPECT_EQ(rows(*g)[2], "RRR.....");
    // The keys of the graphic menu.
    EXPECT_EQ(frame.action(cmd::kGraphicUndo)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(frame.action(cmd::kGraphicRedo)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Y));

    // Select the three dots of row 0, copy them as a picture.
    g->toolAction(kToolSelect)->trigger();
    drag(g->view(), {{0, 0}, {2, 0}});
    frame.runCommand(cmd::kGraphicCopy);
    const QImage copied = QGuiApplication::clipboard()->image();
    EXPECT_EQ(copied.size(), QSize(3, 1));
    EXPECT_EQ(copied.pixel(1, 0), qRgb(255, 0, 0));

    // Paste: a floating selection at the top-left of the visible area.
    drag(g->view(), {{0, 2}, {2, 2}});
    frame.runCommand(cmd::kGraphicCut);
    EXPECT_EQ(rows(*g)[2], "........");
    frame.runCommand(cmd::kGraphicPaste);
    EXPECT_TRUE(g->session().floating());
    EXPECT_EQ(g->session().selection()->x, 0);
    const size_t before = g->session().undoSnapshots();
    drag(g->view(), {{1, 0}, {5, 4}});  // moving it is one snapshot
    EXPECT_EQ(g->session().undoSnapshots(), before + 1);
    EXPECT_EQ(rows(*g)[0], "RRR.....");  // the copied dots were never taken away
    EXPECT_EQ(rows(*g)[4], "....RRR.");
    frame.runCommand(cmd::kGraphicDelete);
    EXPECT_EQ(rows(*g)[4], "........");

    // The context menu of the right button.
    click(g->view(), {3, 3}, Qt::RightButton);
    QStringList entries;
    for (QAction* a : g->contextMenu()->actions())
        entries << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(entries,
              (QStringList{"Undo", "Redo", "-", "Copy", "Cut", "Paste", "-", "Save and return"}));
    g->contextMenu()->hide();
}

// A key press sent straight to the canvas.
void key(ui::CGraphicView& view, int k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent e(QEvent::KeyPress, k, modifiers);
    QApplication::sendEvent(&view, &e);
}

TEST(GraphicEditor, ArrowKeysMoveTheSelection) {
    Drawing d;
    ui::CGraphicFrame* g = d.open();
    ASSERT_NE(g, nullptr);
    g->toolAction(kToolPencil)->trigger();
    click(g->view(), {0, 0});
    g->toolAction(kToolSelect)->trigger();
    // No selection: the arrows are left to the scroll area.
    const size_t before = g->session().undoSnapshots();
    key(g->view(), Qt::Key_Right);
    EXPECT_EQ(rows(*g)[0], "R.......");
    EXPECT_EQ(g->session().undoSnapshots(), before);
    drag(g->view(), {{0, 0}, {1, 1}});
    key(g->view(), Qt::Key_Right);
    key(g->view(), Qt::Key_Down);
    EXPECT_EQ(rows(*g)[0], "........");
    EXPECT_EQ(rows(*g)[1], ".R......");
    key(g->view(), Qt::Key_Right, Qt::ShiftModifier);  // eight dots at a time
    key(g->view(), Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(rows(*g)[1], ".R......");
    EXPECT_EQ(g->session().undoSnapshots(), before + 1);
    d.f.frame().runCommand(cmd::kGraphicUndo);
    EXPECT_EQ(rows(*g)[0], "R.......");
}

TEST(GraphicEditor, ExportThenImportGivesTheSameDots) {
    Drawing d(9, 5);
    ui::CGraphicFrame* g = d.open();
    ASSERT_NE(g, nullptr);
    g->toolAction(kToolEllipse)->trigger();
    g->fillModeBox()->setCurrentIndex(kFillAndOutline);
    drag(g->view(), {{0, 0}, {8, 4}});
    const auto drawn = rows(*g);
    const QString path = QString::fromStdString((d.f.home() / "pic.bmp").string());
    g->setFileQuestion([&](bool save) {
        EXPECT_TRUE(save);
        return path;
    });
    d.f.frame().runCommand(cmd::kGraphicExport);
    // A 24-bit BMP that Qt reads back with the same colours.
    const QImage written(path);
    ASSERT_FALSE(written.isNull());
    EXPECT_EQ(written.size(), QSize(9, 5));

    g->toolAction(kToolFill)->trigger();
    g->penColourBox()->setCurrentIndex(0);
    click(g->view(), {4, 2});
    click(g->view(), {4, 0});
    EXPECT_NE(rows(*g), drawn);
    g->setFileQuestion([&](bool save) {
        EXPECT_FALSE(save);
        return path;
    });
    d.f.frame().runCommand(cmd::kGraphicImport);
    EXPECT_TRUE(g->session().floating());
    EXPECT_EQ(rows(*g), drawn);
}

TEST(GraphicEditor, ImportsOneAndThirtyTwoBitPicturesInSignColours) {
    Drawing d(8, 4);
    ui::CGraphicFrame* g = d.open();
    ASSERT_NE(g, nullptr);
    const auto mono = d.f.home() / "mono.bmp";
    writeFile(mono, bmpFile(8, 4, 1, [](int x, int y) {
                  return (x + y) % 3 == 0 ? qRgb(0, 255, 0) : qRgb(0, 0, 0);
              }));
    ASSERT_TRUE(g->importBmp(QString::fromStdString(mono.string())));
    EXPECT_EQ(rows(*g), (std::vector<std::string>{"G..G..G.", "..G..G..", ".G..G..G", "G..G..G."}));

    // 32 bits: colours in between go to the nearest sign colour.
    const auto deep = d.f.home() / "deep.bmp";
    writeFile(deep, bmpFile(4, 2, 32, [](int x, int y) {
                  const QRgb shades[] = {qRgb(230, 20, 10), qRgb(240, 230, 40), qRgb(30, 200, 60),
                                         qRgb(40, 30, 50)};
                  return shades[(x + y) % 4];
              }));
    ASSERT_TRUE(g->importBmp(QString::fromStdString(deep.string())));
    g->session().commitSelection();
    EXPECT_EQ(rows(*g)[0], "RYG...G.");
    EXPECT_EQ(rows(*g)[1], "YG.R.G..");
}

TEST(GraphicEditor, BadPicturesAndPathsAreRefusedWithTheirReason) {
    Drawing d(4, 3);
    ui::CGraphicFrame* g = d.open();
    ASSERT_NE(g, nullptr);
    const auto junk = d.f.home() / "junk.bmp";
    std::ofstream(junk) << "BM but nothing a picture reader accepts";
    QString seen;
    pressInNextBox("OK", &seen);
    EXPECT_FALSE(g->importBmp(QString::fromStdString(junk.string())));
    EXPECT_TRUE(seen.contains("junk.bmp")) << seen.toStdString();
    EXPECT_EQ(g->session().undoSnapshots(), 1u);
    EXPECT_FALSE(g->session().floating());

    // Larger than the graphic: cut to its size, and told so.
    const auto big = d.f.home() / "big.bmp";
    writeFile(big, bmpFile(6, 5, 32, [](int, int) { return qRgb(255, 0, 0); }));
    pressInNextBox("OK", &seen);
    EXPECT_TRUE(g->importBmp(QString::fromStdString(big.string())));
    EXPECT_TRUE(seen.contains("6 x 5")) << seen.toStdString();
    EXPECT_EQ(*g->session().selection(), (Rect{0, 0, 4, 3}));
    EXPECT_EQ(rows(*g), (std::vector<std::string>{"RRRR", "RRRR", "RRRR"}));

    pressInNextBox("OK", &seen);
    EXPECT_FALSE(g->exportBmp(QString::fromStdString((d.f.home() / "no" / "x.bmp").string())));
    EXPECT_TRUE(seen.contains("No such file or directory")) << seen.toStdString();
}

TEST(GraphicEditor, DrawsASmallPicture) {
    Drawing d(40, 16);
    ui::CGraphicFrame* g = d.open();
    ASSERT_NE(g, nullptr);
    g->view().setDotSize(14);
    // A face: a yellow ellipse with a red outline, green eyes, a red smile.
    g->toolAction(kToolEllipse)->trigger();
    g->fillModeBox()->setCurrentIndex(kFillAndOutline);
    g->fillColourBox()->setCurrentIndex(g->fillColourBox()->findText("Yellow"));
    drag(g->view(), {{1, 0}, {16, 15}});
    g->toolAction(kToolRectangle)->trigger();
    g->fillColourBox()->setCurrentIndex(g->fillColourBox()->findText("Green"));
    drag(g->view(), {{5, 4}, {6, 6}});
    drag(g->view(), {{11, 4}, {12, 6}});
    g->toolAction(kToolPencil)->trigger();
    drag(g->view(), {{4, 9}, {6, 11}, {11, 11}, {13, 9}});
    // A green arrow pointing right, drawn as a polygon.
    g->toolAction(kToolPolygon)->trigger();
    g->fillModeBox()->setCurrentIndex(kFillNoOutline);
    for (DotPoint p : {DotPoint{20, 5}, DotPoint{30, 5}, DotPoint{30, 1}, DotPoint{38, 8},
                       DotPoint{30, 14}, DotPoint{30, 10}, DotPoint{20, 10}})
        click(g->view(), p);
    click(g->view(), {20, 10}, Qt::RightButton);
    EXPECT_EQ(rows(*g)[7].substr(20), "GGGGGGGGGGGGGGGGGG..");
    EXPECT_EQ(rows(*g)[7][8], 'Y');
    mouse(g->view(), QEvent::MouseMove, {9, 7}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(d.f.frame().paneText(1), "x=9,y=7");
    // `make screenshot` keeps a picture of the editor with it.
    if (const char* shot = std::getenv("LUMAVOX_GRAPHIC_PNG")) {
        d.f.frame().resize(1200, 560);
        d.f.frame().show();
        QApplication::processEvents();
        mouse(g->view(), QEvent::MouseMove, {9, 7}, Qt::NoButton, Qt::NoButton);
        d.f.frame().grab().save(shot);
    }
}

TEST(GraphicEditor, TheWheelScrollsAndImportsLandAtTheVisibleTopLeft) {
    Drawing d(40, 16);
    ui::CGraphicFrame* g = d.open();
    ASSERT_NE(g, nullptr);
    g->view().setDotSize(40);  // 1,601 x 641 pixels: larger than the window
    d.f.frame().resize(800, 500);
    d.f.frame().show();
    QApplication::processEvents();
    auto* scroll = qobject_cast<QScrollArea*>(g->view().parentWidget()->parentWidget());
    ASSERT_NE(scroll, nullptr);
    const QPointF at(50, 50);
    QWheelEvent wheel(at, g->view().mapToGlobal(at), QPoint(), QPoint(0, -360), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    // The canvas leaves the wheel to the scroll area around it, which a
    // spontaneous event reaches by propagation; a sent one goes there directly.
    wheel.ignore();
    QApplication::sendEvent(&g->view(), &wheel);
    EXPECT_FALSE(wheel.isAccepted());
    QApplication::sendEvent(scroll->viewport(), &wheel);
    EXPECT_GT(scroll->verticalScrollBar()->value(), 0);
    const DotPoint top = g->visibleTopLeft();
    EXPECT_GT(top.y, 0);

    const auto dot = d.f.home() / "dot.bmp";
    writeFile(dot, bmpFile(1, 1, 32, [](int, int) { return qRgb(255, 0, 0); }));
    ASSERT_TRUE(g->importBmp(QString::fromStdString(dot.string())));
    EXPECT_EQ(*g->session().selection(), (Rect{top.x, top.y, 1, 1}));
    EXPECT_EQ(g->session().shownAt(top.x, top.y), kPixelRed);
}

TEST(GraphicEditor, ClosingTheWindowOrItsDocumentEndsTheEditor) {
    Drawing d;
    ui::CGraphicFrame* g = d.open();
    ASSERT_NE(g, nullptr);
    g->toolAction(kToolPencil)->trigger();
    click(g->view(), {3, 3});
    // Closing the window keeps what was drawn.
    g->close();
    EXPECT_EQ(ui::graphicEditor(d.f.frame()), nullptr);
    EXPECT_EQ(d.f.frame().modes().mode(), kModeText);
    EXPECT_EQ(d.doc().work().findGraphic("PIC")->pixel(3, 3), kPixelRed);

    // Closing the document closes its graphic editor too.
    ASSERT_NE(d.open(), nullptr);
    d.f.frame().setSaveQuestion([](const QString&) { return QMessageBox::Discard; });
    EXPECT_TRUE(d.f.frame().closeAll());
    QApplication::processEvents();
    EXPECT_EQ(ui::graphicEditor(d.f.frame()), nullptr);
    EXPECT_EQ(d.f.frame().modes().mode(), kModeText);
}

TEST(GraphicEditor, DotsOutsideTheSignColoursShowOffAndStayUnlessDrawnOver) {
    Drawing d(4, 2);
    // A dark red the sign shows as off, an odd value, and green on a sign
    // that this document says has one colour only.
    d.doc().changeWorkArea([](WorkArea& wa) {
        GraphicFile* g = wa.findGraphic("PIC");
        g->pixel(0, 0) = 0x000080;
        g->pixel(1, 0) = 0x123456;
        g->pixel(2, 0) = kPixelGreen;
        wa.colourType = 1;
        return true;
    });
    const GraphicFile before = *d.doc().work().findGraphic("PIC");
    const size_t steps = d.doc().undoSnapshots();
    ui::CGraphicFrame* g = d.open();
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(rows(*g), (std::vector<std::string>{"....", "...."}));
    EXPECT_EQ(g->view().picture().pixel(g->view().pixelOf({0, 0}) + QPoint(1, 1)), qRgb(0, 0, 0));
    // Returning without drawing changes nothing.
    d.f.frame().runCommand(cmd::kGraphicSaveReturn);
    EXPECT_EQ(*d.doc().work().findGraphic("PIC"), before);
    EXPECT_EQ(d.doc().undoSnapshots(), steps);

    // Drawn over, a dot takes the pen; the others keep their values.
    g = d.open();
    ASSERT_NE(g, nullptr);
    g->toolAction(kToolPencil)->trigger();
    click(g->view(), {1, 0});
    // A fill covers the region the user sees, the kept dots included.
    g->toolAction(kToolFill)->trigger();
    click(g->view(), {3, 1});
    EXPECT_EQ(rows(*g), (std::vector<std::string>{"RRRR", "RRRR"}));
    g->session().undo();
    EXPECT_EQ(rows(*g), (std::vector<std::string>{".R..", "...."}));
    d.f.frame().runCommand(cmd::kGraphicSaveReturn);
    const GraphicFile& after = *d.doc().work().findGraphic("PIC");
    EXPECT_EQ(after.pixel(0, 0), 0x000080u);
    EXPECT_EQ(after.pixel(1, 0), kPixelRed);
    EXPECT_EQ(after.pixel(2, 0), kPixelGreen);
    EXPECT_EQ(after.pixel(3, 1), kPixelOff);
}

TEST(GraphicEditor, TheMenuBarFollowsUndoRedoAndTheSelectionWithItsKeys) {
    Drawing d;
    ui::CGraphicFrame* g = d.open();
    ASSERT_NE(g, nullptr);
    ui::CMainFrame& frame = d.f.frame();
    auto enabled = [&](int command) {
        frame.updateCommandUI();
        return frame.action(command)->isEnabled();
    };
    EXPECT_FALSE(enabled(cmd::kGraphicUndo));
    EXPECT_FALSE(enabled(cmd::kGraphicRedo));
    EXPECT_FALSE(enabled(cmd::kGraphicCopy));
    EXPECT_FALSE(enabled(cmd::kGraphicCut));
    EXPECT_TRUE(enabled(cmd::kGraphicPaste));
    g->toolAction(kToolPencil)->trigger();
    click(g->view(), {1, 1});
    EXPECT_TRUE(enabled(cmd::kGraphicUndo));
    EXPECT_FALSE(frame.runCommand(cmd::kGraphicRedo));
    EXPECT_TRUE(frame.runCommand(cmd::kGraphicUndo));
    EXPECT_FALSE(enabled(cmd::kGraphicUndo));
    EXPECT_TRUE(enabled(cmd::kGraphicRedo));
    g->toolAction(kToolSelect)->trigger();
    drag(g->view(), {{0, 0}, {2, 2}});
    EXPECT_TRUE(enabled(cmd::kGraphicCopy));
    EXPECT_TRUE(enabled(cmd::kGraphicCut));

    // The keys shown beside the entries; the text editor's own commands that
    // share them are not available meanwhile.
    EXPECT_EQ(frame.action(cmd::kGraphicCopy)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
    EXPECT_EQ(frame.action(cmd::kGraphicCut)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_X));
    EXPECT_EQ(frame.action(cmd::kGraphicPaste)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_V));
    EXPECT_EQ(frame.action(cmd::kGraphicUndo)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    for (int command : {cmd::kEditCopy, cmd::kEditCut, cmd::kEditPaste, cmd::kEditUndo})
        EXPECT_FALSE(enabled(command));

    // The context menu offers the same.
    click(g->view(), {3, 3}, Qt::RightButton);
    for (QAction* a : g->contextMenu()->actions()) {
        if (!a->isSeparator()) {
            EXPECT_EQ(a->isEnabled(), enabled(a->data().toInt())) << a->text().toStdString();
        }
    }
    g->contextMenu()->hide();
}

TEST(GraphicEditor, TheFileDialogsStartWithBmpAndImportOffersEveryPicture) {
    Drawing d;
    ui::CGraphicFrame* g = d.open();
    ASSERT_NE(g, nullptr);
    for (bool save : {false, true}) {
        std::unique_ptr<QFileDialog> dialog(g->makeFileDialog(save));
        EXPECT_EQ(dialog->windowTitle(), save ? "Save As" : "Open");
        const QStringList filters = dialog->nameFilters();
        ASSERT_FALSE(filters.isEmpty());
        EXPECT_EQ(filters[0], "Bmp File (*.BMP *.bmp)");
        EXPECT_EQ(filters.size(), save ? 1 : 2);
        if (!save) {
            for (const char* pattern : {"*.png", "*.PNG", "*.jpg", "*.gif", "*.bmp"})
                EXPECT_TRUE(filters[1].contains(pattern)) << pattern;
        }
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(name->text(), "*.BMP");
    }
    // A PNG picture is imported like a BMP one.
    const QString png = QString::fromStdString((d.f.home() / "dot.png").string());
    QImage picture(2, 1, QImage::Format_RGB32);
    picture.setPixel(0, 0, qRgb(0, 255, 0));
    picture.setPixel(1, 0, qRgb(0, 0, 0));
    ASSERT_TRUE(picture.save(png));
    ASSERT_TRUE(g->importBmp(png));
    EXPECT_EQ(rows(*g)[0], "G.......");
}

TEST(GraphicEditor, SaveAndReturnLeavesTheModifiedMarkInTheTitle) {
    Drawing d;
    ui::CMainFrame& frame = d.f.frame();
    ASSERT_TRUE(frame.saveAs(d.child, QString::fromStdString(d.f.file("pic.glm").string())));
    QApplication::processEvents();
    EXPECT_FALSE(frame.isWindowModified());
    ui::CGraphicFrame* g = d.open();
    ASSERT_NE(g, nullptr);
    g->toolAction(kToolPencil)->trigger();
    drag(g->view(), {{1, 1}, {4, 1}});
    frame.runCommand(cmd::kGraphicSaveReturn);
    QApplication::processEvents();
    ASSERT_TRUE(d.doc().modified());
    // The document's window and the main window (which shows the maximised
    // document's title) both carry the mark.
    EXPECT_TRUE(d.child->isWindowModified());
    EXPECT_TRUE(frame.isWindowModified());
    EXPECT_TRUE(frame.windowHandle()->title().contains("pic.glm - Main*"))
        << frame.windowHandle()->title().toStdString();
    // Saving takes it away again, undo brings it back.
    ASSERT_TRUE(frame.save(d.child));
    QApplication::processEvents();
    EXPECT_FALSE(frame.isWindowModified());
    frame.runCommand(cmd::kEditUndo);
    EXPECT_TRUE(frame.isWindowModified());
}

TEST(GraphicEditor, TheMenuBarIsTranslatedFromTwoHundred) {
    Drawing d;
    std::filesystem::create_directories(d.f.home() / "Language");
    std::ofstream(d.f.home() / "Language" / "Multi_deu.ini")
        << "[Version Set]\nVersion=1203\n[Setting]\nLanguage=Deutsch\n"
           "[Menu String]\nIDS_MENU_200=Datei\nIDS_MENU_203=Bearbeiten\n";
    d.f.context().language->SelectLanguage("Deutsch");
    ui::CGraphicFrame* g = d.open();
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(menuTitles(d.f.frame()), (QStringList{"&Datei", "&Bearbeiten"}));
    d.f.frame().runCommand(cmd::kGraphicSaveReturn);
    d.f.context().language->SelectLanguage("English");
    d.f.frame().retranslate();
}

}  // namespace
}  // namespace lumavox::test
