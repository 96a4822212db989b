// The graphic editor's engine: the dots each tool leaves, flood fill, the
// floating selection and the snapshot rules of undo and redo.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/GraphicBody.h"
#include "content/GraphicRules.h"
#include "editing/EditorDocument.h"
#include "editing/GraphicEdit.h"
#include "platform/Clock.h"
#include "support/TestSupport.h"

namespace lumavox {
namespace {

// Dots as rows of letters: . off, R red, G green, Y yellow.
std::vector<std::string> art(const DotImage& image) {
    std::vector<std::string> rows;
    for (int y = 0; y < image.height; ++y) {
        std::string row;
        for (int x = 0; x < image.width; ++x) {
            switch (image.at(x, y)) {
                case kPixelOff:
                    row += '.';
                    break;
                case kPixelRed:
                    row += 'R';
                    break;
                case kPixelGreen:
                    row += 'G';
                    break;
                case kPixelYellow:
                    row += 'Y';
                    break;
                default:
                    row += '?';
                    break;
            }
        }
        rows.push_back(row);
    }
    return rows;
}

DotImage fromArt(const std::vector<std::string>& rows) {
    DotImage image(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const char c = rows[y][x];
            image.set(x, y,
                      c == 'R'   ? kPixelRed
                      : c == 'G' ? kPixelGreen
                      : c == 'Y' ? kPixelYellow
                                 : kPixelOff);
        }
    return image;
}

GraphicFile blankGraphic(int w, int h) {
    GraphicFile g;
    g.name = Name9("PIC");
    g.width = static_cast<uint16_t>(w);
    g.height = static_cast<uint16_t>(h);
    g.pixels.assign(static_cast<size_t>(w) * h, kPixelOff);
    return g;
}

DotImage shown(const GraphicEditSession& s) {
    return dotsOf(s.graphic());
}

void stroke(GraphicEditSession& s, DotPoint a, DotPoint b) {
    s.press(a, MouseButton::Left);
    s.move(b);
    s.release(b, MouseButton::Left);
}

TEST(GraphicDots, OneDotLineAndWidePen) {
    DotImage image(6, 3);
    drawLine(image, {0, 0}, {5, 2}, 1, kPixelRed);
    EXPECT_EQ(art(image), (std::vector<std::string>{"RR....", "..RR..", "....RR"}));

    DotImage wide(5, 5);
    drawLine(wide, {1, 2}, {3, 2}, 3, kPixelGreen);
    EXPECT_EQ(art(wide), (std::vector<std::string>{".....", "GGGGG", "GGGGG", "GGGGG", "....."}));
}

TEST(GraphicDots, RectanglesPerFillMode) {
    ShapeStyle style{1, kFillOutline, kPixelRed, kPixelGreen};
    DotImage outline(6, 5);
    drawShape(outline, kToolRectangle, {4, 3}, {1, 0}, style);
    EXPECT_EQ(art(outline),
              (std::vector<std::string>{".RRRR.", ".R..R.", ".R..R.", ".RRRR.", "......"}));

    style.fillMode = kFillAndOutline;
    DotImage filled(6, 5);
    drawShape(filled, kToolRectangle, {1, 0}, {4, 3}, style);
    EXPECT_EQ(art(filled),
              (std::vector<std::string>{".RRRR.", ".RGGR.", ".RGGR.", ".RRRR.", "......"}));

    style.fillMode = kFillNoOutline;
    DotImage plain(4, 3);
    drawShape(plain, kToolRectangle, {0, 0}, {3, 2}, style);
    EXPECT_EQ(art(plain), (std::vector<std::string>{"GGGG", "GGGG", "GGGG"}));

    // A two-dot pen draws the outline two dots thick, inside the shape.
    style = {2, kFillOutline, kPixelYellow, kPixelGreen};
    DotImage thick(6, 6);
    drawShape(thick, kToolRectangle, {0, 0}, {5, 5}, style);
    EXPECT_EQ(art(thick), (std::vector<std::string>{"YYYYYY", "YYYYYY", "YY..YY", "YY..YY",
                                                    "YYYYYY", "YYYYYY"}));
}

TEST(GraphicDots, RoundedRectangleAndEllipse) {
    ShapeStyle style{1, kFillOutline, kPixelRed, kPixelGreen};
    DotImage round(8, 6);
    drawShape(round, kToolRoundRect, {0, 0}, {7, 5}, style);
    // The 6 x 6 corner ellipses take the corner dot off.
    EXPECT_EQ(art(round), (std::vector<std::string>{".RRRRRR.", "R......R", "R......R", "R......R",
                                                    "R......R", ".RRRRRR."}));

    DotImage ellipse(7, 5);
    style.fillMode = kFillNoOutline;
    drawShape(ellipse, kToolEllipse, {0, 0}, {6, 4}, style);
    const auto rows = art(ellipse);
    EXPECT_EQ(rows,
              (std::vector<std::string>{".GGGGG.", "GGGGGGG", "GGGGGGG", "GGGGGGG", ".GGGGG."}));
}

TEST(GraphicDots, FloodFillStopsAtColourBorder) {
    DotImage image = fromArt({"..R...", "..R...", "RRR...", "...R..", "....R."});
    EXPECT_TRUE(floodFill(image, 0, 0, kPixelGreen));
    // The region is 4-connected: the diagonal gap does not let the fill out.
    EXPECT_EQ(art(image),
              (std::vector<std::string>{"GGR...", "GGR...", "RRR...", "...R..", "....R."}));
    EXPECT_FALSE(floodFill(image, 0, 0, kPixelGreen));
    EXPECT_FALSE(floodFill(image, 9, 9, kPixelRed));
    // The diagonal closes off the dots below it as well.
    EXPECT_TRUE(floodFill(image, 5, 0, kPixelYellow));
    EXPECT_EQ(art(image)[3], "...RYY");
    EXPECT_EQ(art(image)[4], "....RY");
}

TEST(GraphicSession, PolygonEndsWithTheRightButton) {
    GraphicToolState tools;
    GraphicEditSession s(blankGraphic(6, 6), 0, tools);
    tools.tool = kToolPolygon;
    s.press({0, 0}, MouseButton::Left);
    s.release({0, 0}, MouseButton::Left);
    s.press({4, 0}, MouseButton::Left);
    s.release({4, 0}, MouseButton::Left);
    s.press({0, 4}, MouseButton::Left);
    s.release({0, 4}, MouseButton::Left);
    // The rubber band closes through the cursor.
    s.move({5, 5});
    EXPECT_TRUE(s.polygonActive());
    EXPECT_EQ(s.undoSnapshots(), 1u);
    s.press({5, 5}, MouseButton::Right);
    EXPECT_FALSE(s.polygonActive());
    EXPECT_EQ(s.undoSnapshots(), 2u);
    EXPECT_EQ(art(shown(s)), (std::vector<std::string>{"RRRRR.", "R..R..", "R.R...", "RR....",
                                                       "R.....", "......"}));
}

TEST(GraphicSession, ShapesDrawOverTheCopyTakenAtButtonDown) {
    GraphicToolState tools;
    GraphicEditSession s(blankGraphic(6, 4), 0, tools);
    tools.tool = kToolLine;
    s.press({0, 0}, MouseButton::Left);
    s.move({5, 3});
    s.move({5, 0});  // the earlier rubber band leaves nothing behind
    s.release({5, 0}, MouseButton::Left);
    EXPECT_EQ(art(shown(s)), (std::vector<std::string>{"RRRRRR", "......", "......", "......"}));
    EXPECT_EQ(s.undoSnapshots(), 2u);
}

TEST(GraphicSession, ElevenStrokesLeaveTenUndoSteps) {
    GraphicToolState tools;
    tools.tool = kToolPencil;
    GraphicEditSession s(blankGraphic(12, 2), 0, tools);
    for (int i = 0; i < 11; ++i)
        stroke(s, {i, 0}, {i, 1});
    int undone = 0;
    while (s.undo())
        ++undone;
    EXPECT_EQ(undone, 10);
    // The first stroke can no longer be undone.
    EXPECT_EQ(art(shown(s)), (std::vector<std::string>{"R...........", "R..........."}));
    EXPECT_EQ(s.redoSnapshots(), 10u);
    EXPECT_TRUE(s.redo());
    EXPECT_EQ(art(shown(s))[0], "RR..........");
    // A new stroke after an undo empties the redo list.
    stroke(s, {11, 0}, {11, 0});
    EXPECT_FALSE(s.canRedo());
    EXPECT_EQ(art(shown(s))[0], "RR.........R");
}

TEST(GraphicSession, SnapshotRulesOfClicksAndSelections) {
    GraphicToolState tools;
    GraphicFile g = blankGraphic(6, 4);
    g.pixel(1, 1) = kPixelGreen;
    GraphicEditSession s(g, 0, tools);
    tools.tool = kToolSelect;
    // A click that changes nothing makes no snapshot.
    s.press({3, 3}, MouseButton::Left);
    s.release({3, 3}, MouseButton::Left);
    EXPECT_FALSE(s.selection());
    EXPECT_EQ(s.undoSnapshots(), 1u);
    // Filling with the colour already there changes nothing either.
    s.setTool(kToolFill);
    tools.penColour = kPixelOff;
    s.press({0, 0}, MouseButton::Left);
    EXPECT_EQ(s.undoSnapshots(), 1u);

    s.setTool(kToolSelect);
    s.press({0, 0}, MouseButton::Left);
    s.move({2, 2});
    s.release({1, 1}, MouseButton::Left);
    ASSERT_TRUE(s.selection());
    EXPECT_EQ(*s.selection(), (Rect{0, 0, 2, 2}));
    // Clicking inside without moving: still nothing.
    s.press({1, 1}, MouseButton::Left);
    s.release({1, 1}, MouseButton::Left);
    EXPECT_EQ(s.undoSnapshots(), 1u);
    // Moving the selection is one snapshot, however many moves it took.
    s.press({1, 1}, MouseButton::Left);
    s.move({2, 1});
    s.move({3, 2});
    s.move({4, 3});
    s.release({4, 3}, MouseButton::Left);
    EXPECT_EQ(s.undoSnapshots(), 2u);
    EXPECT_TRUE(s.floating());
    EXPECT_EQ(art(shown(s)), (std::vector<std::string>{"......", "......", "......", "....G."}));
    // Putting it down changes nothing shown: no snapshot.
    s.press({0, 3}, MouseButton::Left);
    s.release({0, 3}, MouseButton::Left);
    EXPECT_FALSE(s.floating());
    EXPECT_EQ(s.undoSnapshots(), 2u);
    EXPECT_TRUE(s.undo());
    EXPECT_EQ(art(shown(s))[1], ".G....");
}

TEST(GraphicSession, ArrowKeysMoveTheSelectionAsOneUndoStep) {
    GraphicToolState tools;
    GraphicFile g = blankGraphic(6, 3);
    g.pixel(1, 1) = kPixelGreen;
    g.pixel(5, 0) = kPixelRed;
    GraphicEditSession s(g, 0, tools);
    tools.tool = kToolSelect;
    // Without a selection the keys change nothing.
    EXPECT_EQ(s.nudgeSelection(1, 0).width, 0);
    EXPECT_EQ(s.undoSnapshots(), 1u);
    s.press({1, 1}, MouseButton::Left);
    s.release({2, 2}, MouseButton::Left);
    ASSERT_TRUE(s.selection());
    // The first move lifts the selection (its place turns off); three moves
    // with nothing between them are one step.
    Rect dirty = s.nudgeSelection(1, 0);
    EXPECT_EQ(dirty, (Rect{1, 1, 3, 2}));
    s.nudgeSelection(1, 0);
    s.nudgeSelection(0, -1);
    EXPECT_TRUE(s.floating());
    EXPECT_EQ(art(shown(s)), (std::vector<std::string>{"...G.R", "......", "......"}));
    EXPECT_EQ(s.undoSnapshots(), 2u);
    // Off the canvas and back: what went past the edge comes back whole.
    s.nudgeSelection(8, 0);
    s.nudgeSelection(-8, 0);
    EXPECT_EQ(art(shown(s))[0], "...G.R");
    // The mouse ends the run: moving another selection is a step of its own.
    s.press({0, 2}, MouseButton::Left);
    s.release({0, 2}, MouseButton::Left);  // puts the selection down
    s.press({5, 0}, MouseButton::Left);
    s.release({5, 0}, MouseButton::Left);  // a click selects nothing
    s.press({5, 0}, MouseButton::Left);
    s.release({5, 1}, MouseButton::Left);
    s.nudgeSelection(0, 1);
    EXPECT_EQ(art(shown(s)), (std::vector<std::string>{"...G..", ".....R", "......"}));
    EXPECT_EQ(s.undoSnapshots(), 3u);
    EXPECT_TRUE(s.undo());
    EXPECT_EQ(art(shown(s))[0], "...G.R");
    EXPECT_TRUE(s.undo());
    EXPECT_EQ(art(shown(s)), (std::vector<std::string>{".....R", ".G....", "......"}));
    EXPECT_FALSE(s.selection());
    EXPECT_EQ(s.nudgeSelection(0, 1).width, 0);
    EXPECT_TRUE(s.redo());
    EXPECT_EQ(art(shown(s))[0], "...G.R");
}

TEST(GraphicSession, ClipboardCommandsAndImportClipping) {
    GraphicToolState tools;
    GraphicEditSession s(blankGraphic(4, 3), 0, tools);
    EXPECT_TRUE(s.copySelection().empty());
    EXPECT_FALSE(s.deleteSelection());

    const DotImage big = fromArt({"RGYRG", "GYRGY", "YRGYR", "RRRRR"});
    EXPECT_TRUE(s.placeFloating(big, {0, 0}));
    EXPECT_EQ(tools.tool, kToolSelect);
    EXPECT_EQ(s.undoSnapshots(), 2u);
    EXPECT_EQ(art(shown(s)), (std::vector<std::string>{"RGYR", "GYRG", "YRGY"}));
    EXPECT_EQ(art(s.copySelection()), (std::vector<std::string>{"RGYR", "GYRG", "YRGY"}));

    const DotImage cut = s.cutSelection();
    EXPECT_EQ(cut.width, 4);
    EXPECT_EQ(art(shown(s)), (std::vector<std::string>{"....", "....", "...."}));
    EXPECT_EQ(s.undoSnapshots(), 3u);

    EXPECT_FALSE(s.placeFloating(fromArt({"GG"}), {3, 1}));
    EXPECT_EQ(art(shown(s))[1], "...G");
}

TEST(GraphicColours, NearestSignColour) {
    const auto tri = graphicColours(0);
    const auto single = graphicColours(1);
    EXPECT_EQ(tri.size(), 4u);
    EXPECT_EQ(single.size(), 2u);
    EXPECT_EQ(nearestColour({250, 10, 10}, tri), kPixelRed);
    EXPECT_EQ(nearestColour({200, 220, 30}, tri), kPixelYellow);
    EXPECT_EQ(nearestColour({20, 160, 90}, tri), kPixelGreen);
    EXPECT_EQ(nearestColour({60, 40, 70}, tri), kPixelOff);
    EXPECT_EQ(nearestColour({255, 255, 255}, tri), kPixelYellow);
    EXPECT_EQ(nearestColour({255, 255, 0}, single), kPixelRed);

    // Dots that are not sign colours show as the sign shows them, off, and
    // are kept as they are; so is green in a single-colour document.
    GraphicFile g = blankGraphic(3, 1);
    g.pixels = {0x0000F0, 0x123456, kPixelGreen};
    GraphicEditSession s(g, 1);
    EXPECT_EQ(s.shownAt(0, 0), kPixelOff);
    EXPECT_EQ(s.shownAt(1, 0), kPixelOff);
    EXPECT_EQ(s.shownAt(2, 0), kPixelOff);
    EXPECT_EQ(s.graphic().pixels, g.pixels);
    EXPECT_EQ(s.shownGraphic().pixels, std::vector<uint32_t>(3, kPixelOff));
}

TEST(GraphicStore, DocumentTakesTheDotsAsOneChange) {
    FixedClock clock(test::fixedTime());
    EditorDocument doc(SignMode::KV2, clock);
    WorkArea wa;
    TextFile main;
    main.name = Name9("MAIN");
    wa.textFiles.push_back(main);
    std::string refusal;
    ASSERT_TRUE(createGraphic(wa, "ARROW", 5, 3, clock, refusal));
    doc.adopt(wa);
    int told = 0;
    doc.addListener([&](unsigned) { ++told; });

    GraphicToolState tools;
    tools.tool = kToolLine;
    GraphicEditSession s(*doc.work().findGraphic("ARROW"), 0, tools);
    stroke(s, {0, 1}, {4, 1});
    ASSERT_TRUE(storeGraphic(doc, s.graphic()));
    EXPECT_EQ(told, 1);
    EXPECT_TRUE(doc.modified());
    EXPECT_FALSE(storeGraphic(doc, s.graphic()));  // nothing new

    GraphicFile direct = *doc.work().findGraphic("ARROW");
    direct.pixels.assign(15, kPixelOff);
    for (int x = 0; x < 5; ++x)
        direct.pixel(x, 1) = kPixelRed;
    EXPECT_EQ(encodeGraphicBody(*doc.work().findGraphic("ARROW"), clock),
              encodeGraphicBody(direct, clock));

    // The store is one undo step of the edit view, between text edits: undo
    // walks back through the text edit, then the dots; redo forward again.
    const std::vector<uint32_t> drawn = direct.pixels;
    ASSERT_TRUE(doc.changeCurrent([](TextFile& f) {
        f.items.insert(f.items.begin(), f.items.back());
        return true;
    }));
    size_t itemsAfter = doc.currentFile()->items.size();
    ASSERT_TRUE(doc.undo());
    EXPECT_EQ(doc.work().findGraphic("ARROW")->pixels, drawn);
    ASSERT_TRUE(doc.undo());
    EXPECT_EQ(doc.work().findGraphic("ARROW")->pixels, std::vector<uint32_t>(15, kPixelOff));
    EXPECT_FALSE(doc.modified());
    EXPECT_FALSE(doc.canUndo());
    ASSERT_TRUE(doc.redo());
    EXPECT_EQ(doc.work().findGraphic("ARROW")->pixels, drawn);
    ASSERT_TRUE(doc.redo());
    EXPECT_EQ(doc.currentFile()->items.size(), itemsAfter);
    EXPECT_EQ(doc.work().findGraphic("ARROW")->pixels, drawn);
}

TEST(GraphicExport, UnwritablePathGivesTheSystemReason) {
    test::TempDir dir;
    std::string error;
    EXPECT_FALSE(exportGraphicBmp(blankGraphic(2, 2), dir / "missing" / "x.bmp", error));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
    EXPECT_TRUE(exportGraphicBmp(blankGraphic(2, 2), dir / "x.bmp", error));
}

}  // namespace
}  // namespace lumavox
