// The graphic editor without windows: the canvas of sign colour values, the
// dot rules of the drawing tools, flood fill, the floating selection, the
// snapshot rules of undo and redo, colour mapping of imported pictures and the
// import clipping. The window (ui/graphic) turns mouse events into calls of
// GraphicEditSession and paints what it shows; tests and benchmarks drive the
// same session directly.
//
// Every dot the editor draws holds one of the graphic's colour values (off,
// red, green, yellow of the document's colour kind); nothing is antialiased and
// nothing in between is ever drawn. A dot of any other value that the graphic
// came with is shown as the sign shows it (off) and kept as it is until the
// user draws over it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <filesystem>

#include "content/Model.h"
#include "editing/EditModes.h"
#include "editing/UndoHistory.h"
#include "render/Image.h"

namespace lumavox {

// ---- Tools and their shared state ----

enum GraphicTool : int {
    kToolPencil = 0,
    kToolSelect = 1,
    kToolFill = 2,
    kToolLine = 3,
    kToolRectangle = 4,
    kToolRoundRect = 5,
    kToolEllipse = 6,
    kToolPolygon = 7,
};
constexpr int kToolCount = 8;

enum GraphicFillMode : int {
    kFillOutline = 0,     // outline only
    kFillAndOutline = 1,  // filled with the fill colour, outline in the pen colour
    kFillNoOutline = 2,   // filled, the outline's dots in the fill colour too
};

// Pen width values 0 ... kMaxPenWidthValue; the pen is value + 1 dots wide.
constexpr int kMaxPenWidthValue = 4;
// Corner ellipses of the rounded rectangle.
constexpr int kRoundCorner = 6;

// The drawing tool state, shared by every graphic editor window of the run.
struct GraphicToolState {
    int tool = kToolSelect;
    int penWidth = 0;
    int fillMode = kFillOutline;
    uint32_t penColour = kPixelRed;
    uint32_t fillColour = kPixelGreen;
    bool toolBarShown = true;  // "&DrawTool Bar"

    int penDots() const { return penWidth + 1; }
    // What an editor starts with: the select tool and the red pen; the pen
    // width, fill mode and fill colour stay as the user left them.
    void resetForNewEditor() {
        tool = kToolSelect;
        penColour = kPixelRed;
    }
};
GraphicToolState& graphicTools();

// The colour values a graphic of the document may hold: off, red, green and
// yellow for a tri-colour sign (colour type 0), off and red for a single-colour
// one. Both families pack graphics into the same two bits per dot.
std::vector<uint32_t> graphicColours(uint8_t colourType);
// A colour value as screen colour (red in the low byte of the value).
Rgb dotRgb(uint32_t value);
// The nearest of `palette` to a screen colour (squared distance in RGB; the
// first of equally near ones).
uint32_t nearestColour(Rgb colour, std::span<const uint32_t> palette);

// ---- The canvas ----

struct DotPoint {
    int x = 0;
    int y = 0;
    bool operator==(const DotPoint&) const = default;
};

// A picture of colour values, column by column like the graphic's pixels:
// dot (x, y) is element x * height + y.
struct DotImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> dots;

    DotImage() = default;
    DotImage(int w, int h, uint32_t fill = kPixelOff);
    bool empty() const { return width <= 0 || height <= 0; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    uint32_t at(int x, int y) const { return dots[static_cast<size_t>(x) * height + y]; }
    // Dots outside the picture are ignored.
    void set(int x, int y, uint32_t c) {
        if (contains(x, y)) dots[static_cast<size_t>(x) * height + y] = c;
    }
    // The part of `r` inside, as its own picture.
    DotImage crop(Rect r) const;
    // Copies `source` with its top-left dot at (x, y), clipped.
    void blit(const DotImage& source, int x, int y);
    // Sets the part of `r` inside to `c`.
    void fill(Rect r, uint32_t c);
    bool operator==(const DotImage&) const = default;
};

DotImage dotsOf(const GraphicFile& g);
// A screen picture mapped dot by dot to the nearest colour of `palette`.
DotImage mapPicture(const RgbImage& picture, std::span<const uint32_t> palette);

// The smallest rectangle holding both (an empty one counts as nothing).
// (Clipping is render/Image.h's intersect.)
Rect unite(Rect a, Rect b);
// The rectangle between two points, both included.
Rect rectBetween(DotPoint a, DotPoint b);

// ---- Dot rules of the tools ----

struct ShapeStyle {
    int penDots = 1;
    int fillMode = kFillOutline;
    uint32_t pen = kPixelRed;
    uint32_t fill = kPixelGreen;
};

// A line from a to b (both ends drawn) with a square pen of `penDots` dots
// centred on the line's dots.
void drawLine(DotImage& image, DotPoint a, DotPoint b, int penDots, uint32_t colour);
// Rectangle, rounded rectangle (6 x 6 corner ellipses) or ellipse in the
// rectangle between a and b, both included. The outline is `penDots` dots
// thick inside the shape.
void drawShape(DotImage& image, int tool, DotPoint a, DotPoint b, const ShapeStyle& style);
// The closed polygon through `points` (even-odd filling of dot centres).
void drawPolygon(DotImage& image, const std::vector<DotPoint>& points, const ShapeStyle& style);
// Dots a shape between a and b drawn with the pen may touch.
Rect shapeReach(DotPoint a, DotPoint b, int penDots);
// Surface fill: the 4-connected region of the colour at (x, y) becomes
// `colour`. False when nothing changed (outside, or already that colour).
bool floodFill(DotImage& image, int x, int y, uint32_t colour);

// ---- The session of one editor window ----

enum class MouseButton { Left, Right };

class GraphicEditSession {
  public:
    // Edits a copy of `graphic`; the colours offered are those of `colourType`.
    // Dots outside those colours stay as they are unless drawn over; they show,
    // fill and copy as off. The opening state is the first snapshot.
    GraphicEditSession(const GraphicFile& graphic, uint8_t colourType,
                       GraphicToolState& tools = graphicTools());

    int width() const { return base_.width; }
    int height() const { return base_.height; }
    const std::vector<uint32_t>& palette() const { return palette_; }
    GraphicToolState& tools() { return tools_; }
    // The dot as shown: the floating selection above the canvas, a value
    // outside the colours as off.
    uint32_t shownAt(int x, int y) const;
    // The graphic as edited (with a floating selection in place), stamp and
    // name of the original; dots never drawn over keep their stored values.
    GraphicFile graphic() const;
    // The same with every dot as shown (what an exported picture holds).
    GraphicFile shownGraphic() const;

    // ---- Mouse, in dot coordinates (outside the canvas is allowed) ----
    // Each returns the dots whose look may have changed (nothing: width 0).
    Rect press(DotPoint p, MouseButton button);
    Rect move(DotPoint p);  // with or without a button held
    Rect release(DotPoint p, MouseButton button);
    // Between press and release (a polygon counts until its right click).
    bool strokeActive() const { return stroke_ != Stroke::None; }
    bool polygonActive() const { return stroke_ == Stroke::Polygon; }
    // Rubber band of the select tool while dragging, else nothing.
    std::optional<Rect> selectionBand() const;
    // The selection (floating or not), if any.
    std::optional<Rect> selection() const;
    bool floating() const { return floating_.has_value(); }
    bool insideSelection(DotPoint p) const;
    // Choosing another tool ends the selection and any shape in progress.
    Rect setTool(int tool);

    // ---- Commands ----
    bool canUndo() const { return history_.canUndo(); }
    bool canRedo() const { return history_.canRedo(); }
    size_t undoSnapshots() const { return history_.undoSnapshots(); }
    size_t redoSnapshots() const { return history_.redoSnapshots(); }
    bool undo();
    bool redo();
    // The selected dots (empty picture without a selection).
    DotImage copySelection() const;
    // Copy's dots, then the area cleared to off; a snapshot when that changed.
    DotImage cutSelection();
    // Clears the selection area to off; a snapshot when that changed.
    bool deleteSelection();
    // A picture (already in sign colours) becomes a floating selection with
    // its top-left dot at `at`, cut to the graphic's size; a snapshot follows.
    // Returns whether it had to be cut.
    bool placeFloating(const DotImage& picture, DotPoint at);
    // Puts a floating selection down on the canvas (a snapshot when that
    // changed what is shown, which it does not by itself).
    void commitSelection();
    // Moves the selection by whole dots, lifting it off the canvas first as a
    // drag does (arrow keys). A run of moves with nothing else between them is
    // one undo step. Nothing happens during a stroke or without a selection.
    // Returns the dots whose look may have changed.
    Rect nudgeSelection(int dx, int dy);

    // The graphic's own serialisation of the state shown (version 1202).
    std::vector<uint8_t> serialise() const;

  private:
    enum class Stroke { None, Pencil, Shape, Polygon, SelectBand, SelectMove };
    struct Floating {
        DotImage image;
        DotPoint at;
    };
    void snapshot();
    bool restore(const UndoHistory::Snapshot& s);
    // A stored value as shown: itself when it is one of the colours, else off.
    uint32_t asShown(uint32_t value) const;
    DotImage asShown(DotImage image) const;
    Rect floatingRect() const;
    Rect canvasRect() const { return {0, 0, base_.width, base_.height}; }
    Rect redrawShape(DotPoint cursor);
    void liftSelection();
    ShapeStyle style() const;

    GraphicFile original_;
    std::vector<uint32_t> palette_;
    GraphicToolState& tools_;
    DotImage base_;
    DotImage copy_;  // the canvas at button-down, for rubber-band drawing
    std::optional<Floating> floating_;
    std::optional<Rect> selected_;  // a selection still part of the canvas
    Stroke stroke_ = Stroke::None;
    DotPoint start_;
    DotPoint last_;
    Rect lastReach_;
    DotPoint moveOrigin_;
    std::vector<DotPoint> polygon_;
    UndoHistory history_;
    bool lastStepNudge_ = false;  // the newest undo step is a run of nudges
};

// What the graphic editor's commands need to know of the session (its undo
// and redo lists and its selection), put into the state the menus follow.
void describeForCommands(const GraphicEditSession& session, CommandState& state);

// ---- The graphic and the outside world ----

class EditorDocument;

// Writes the graphic as a 24-bit BMP file, atomically. On failure `error`
// holds the message to show, with the system's reason.
bool exportGraphicBmp(const GraphicFile& graphic, const std::filesystem::path& path,
                      std::string& error);

// The message for an import that had to be cut to the graphic's size.
std::string importCutMessage(int pictureWidth, int pictureHeight, int width, int height);
// The message for a picture file that cannot be read.
std::string importUnreadableMessage(const std::string& path);

// Puts the edited dots back into the document's graphic of that name, as one
// undo step of the edit view. False when the document has no such graphic any
// more, its size changed, or nothing changed.
bool storeGraphic(EditorDocument& document, const GraphicFile& edited);

}  // namespace lumavox
