#include "editing/GraphicEdit.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "content/GraphicBmp.h"
#include "content/Records.h"
#include "editing/EditorDocument.h"
#include "platform/ByteIo.h"
#include "platform/Files.h"
#include "strings/GraphicTexts.h"
#include "strings/TextFormat.h"

namespace lumavox {

namespace {

// Snapshot buffers grow in steps of this many bytes.
constexpr size_t kSnapshotGrowth = 32768;
// How far outside the canvas a shape's corner may lie; farther points are
// pulled in, which keeps the work of one mouse move bounded.
constexpr int kReachBeyond = 256;

bool isEmpty(Rect r) {
    return r.width <= 0 || r.height <= 0;
}

Rect grow(Rect r, int by) {
    return {r.x - by, r.y - by, r.width + 2 * by, r.height + 2 * by};
}

// Inside-test of the closed shapes, for dot (i, j) of a w x h box.
bool insideEllipse(int i, int j, double w, double h) {
    const double a = w / 2, b = h / 2;
    const double dx = (i + 0.5 - a) / a, dy = (j + 0.5 - b) / b;
    return dx * dx + dy * dy <= 1.0;
}

bool insideShape(int tool, int i, int j, int w, int h) {
    if (tool == kToolEllipse) return insideEllipse(i, j, w, h);
    if (tool == kToolRoundRect) {
        const int ex = std::min(kRoundCorner, w), ey = std::min(kRoundCorner, h);
        // The four corners are mirror images of the top-left one.
        const int fi = std::min(i, w - 1 - i), fj = std::min(j, h - 1 - j);
        if (2 * fi < ex && 2 * fj < ey) return insideEllipse(fi, fj, ex, ey);
    }
    return true;
}

// Paints the dots of a mask: outline (within `pen` dots of the outside,
// counted in steps left, right, up and down) and interior per fill mode.
void paintMask(DotImage& image, Rect box, const std::vector<uint8_t>& inside, const ShapeStyle& s) {
    const int w = box.width, h = box.height;
    std::vector<int> dist(inside.size());
    const int far = std::numeric_limits<int>::max() / 4;
    auto at = [&](int i, int j) -> int& { return dist[static_cast<size_t>(j) * w + i]; };
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            int d = inside[static_cast<size_t>(j) * w + i] ? far : 0;
            if (d) d = std::min({d, (i ? at(i - 1, j) : 0) + 1, (j ? at(i, j - 1) : 0) + 1});
            at(i, j) = d;
        }
    for (int j = h - 1; j >= 0; --j)
        for (int i = w - 1; i >= 0; --i) {
            int& d = at(i, j);
            if (!d) continue;
            d = std::min(
                {d, (i + 1 < w ? at(i + 1, j) : 0) + 1, (j + 1 < h ? at(i, j + 1) : 0) + 1});
        }
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            const int d = at(i, j);
            if (!d) continue;
            const bool edge = d <= s.penDots;
            const int x = box.x + i, y = box.y + j;
            switch (s.fillMode) {
                case kFillOutline:
                    if (edge) image.set(x, y, s.pen);
                    break;
                case kFillAndOutline:
                    image.set(x, y, edge ? s.pen : s.fill);
                    break;
                default:
                    image.set(x, y, s.fill);
                    break;
            }
        }
}

void stamp(DotImage& image, int x, int y, int penDots, uint32_t colour) {
    const int o = (penDots - 1) / 2;
    for (int dx = 0; dx < penDots; ++dx)
        for (int dy = 0; dy < penDots; ++dy)
            image.set(x - o + dx, y - o + dy, colour);
}

DotPoint clampPoint(DotPoint p, int width, int height) {
    return {std::clamp(p.x, -kReachBeyond, width + kReachBeyond),
            std::clamp(p.y, -kReachBeyond, height + kReachBeyond)};
}

}  // namespace

// ---- Tools, colours ----------------------------------------------------------------

GraphicToolState& graphicTools() {
    static GraphicToolState state;
    return state;
}

std::vector<uint32_t> graphicColours(uint8_t colourType) {
    if (colourType == 1) return {kPixelOff, kPixelRed};
    return {kPixelOff, kPixelRed, kPixelGreen, kPixelYellow};
}

Rgb dotRgb(uint32_t v) {
    return {static_cast<uint8_t>(v & 0xFF), static_cast<uint8_t>((v >> 8) & 0xFF),
            static_cast<uint8_t>((v >> 16) & 0xFF)};
}

uint32_t nearestColour(Rgb c, std::span<const uint32_t> palette) {
    uint32_t best = palette.empty() ? kPixelOff : palette[0];
    long bestDistance = std::numeric_limits<long>::max();
    for (uint32_t v : palette) {
        const Rgb p = dotRgb(v);
        const long dr = c.r - p.r, dg = c.g - p.g, db = c.b - p.b;
        const long d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = v;
        }
    }
    return best;
}

// ---- Canvas ------------------------------------------------------------------------

DotImage::DotImage(int w, int h, uint32_t fill)
    : width(std::max(w, 0)),
      height(std::max(h, 0)),
      dots(static_cast<size_t>(width) * height, fill) {}

DotImage DotImage::crop(Rect r) const {
    r = intersect(r, {0, 0, width, height});
    DotImage out(r.width, r.height);
    for (int x = 0; x < r.width; ++x)
        for (int y = 0; y < r.height; ++y)
            out.dots[static_cast<size_t>(x) * out.height + y] = at(r.x + x, r.y + y);
    return out;
}

void DotImage::blit(const DotImage& source, int x0, int y0) {
    const Rect r = intersect({x0, y0, source.width, source.height}, {0, 0, width, height});
    for (int x = r.x; x < r.right(); ++x)
        for (int y = r.y; y < r.bottom(); ++y)
            dots[static_cast<size_t>(x) * height + y] = source.at(x - x0, y - y0);
}

void DotImage::fill(Rect r, uint32_t c) {
    r = intersect(r, {0, 0, width, height});
    for (int x = r.x; x < r.right(); ++x)
        for (int y = r.y; y < r.bottom(); ++y)
            dots[static_cast<size_t>(x) * height + y] = c;
}

DotImage dotsOf(const GraphicFile& g) {
    DotImage image(g.width, g.height);
    const size_t n = std::min(image.dots.size(), g.pixels.size());
    std::copy_n(g.pixels.begin(), n, image.dots.begin());
    return image;
}

DotImage mapPicture(const RgbImage& picture, std::span<const uint32_t> palette) {
    DotImage out(picture.width(), picture.height());
    for (int x = 0; x < out.width; ++x)
        for (int y = 0; y < out.height; ++y)
            out.dots[static_cast<size_t>(x) * out.height + y] =
                nearestColour(picture.at(x, y), palette);
    return out;
}

Rect unite(Rect a, Rect b) {
    if (isEmpty(a)) return b;
    if (isEmpty(b)) return a;
    const int x = std::min(a.x, b.x), y = std::min(a.y, b.y);
    return {x, y, std::max(a.right(), b.right()) - x, std::max(a.bottom(), b.bottom()) - y};
}

Rect rectBetween(DotPoint a, DotPoint b) {
    const int x = std::min(a.x, b.x), y = std::min(a.y, b.y);
    return {x, y, std::abs(a.x - b.x) + 1, std::abs(a.y - b.y) + 1};
}

// ---- Dot rules -----------------------------------------------------------------------

void drawLine(DotImage& image, DotPoint a, DotPoint b, int penDots, uint32_t colour) {
    // Bresenham: every step moves one dot along the longer axis.
    const int dx = std::abs(b.x - a.x), dy = -std::abs(b.y - a.y);
    const int sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
    int err = dx + dy;
    int x = a.x, y = a.y;
    for (;;) {
        stamp(image, x, y, penDots, colour);
        if (x == b.x && y == b.y) break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void drawShape(DotImage& image, int tool, DotPoint a, DotPoint b, const ShapeStyle& style) {
    const Rect box = rectBetween(a, b);
    std::vector<uint8_t> inside(static_cast<size_t>(box.width) * box.height);
    for (int j = 0; j < box.height; ++j)
        for (int i = 0; i < box.width; ++i)
            inside[static_cast<size_t>(j) * box.width + i] =
                insideShape(tool, i, j, box.width, box.height);
    paintMask(image, box, inside, style);
}

void drawPolygon(DotImage& image, const std::vector<DotPoint>& points, const ShapeStyle& style) {
    if (points.empty()) return;
    if (points.size() >= 3 && style.fillMode != kFillOutline) {
        int top = points[0].y, bottom = points[0].y;
        for (const DotPoint& p : points) {
            top = std::min(top, p.y);
            bottom = std::max(bottom, p.y);
        }
        std::vector<double> crossings;
        for (int y = std::max(top, 0); y <= std::min(bottom, image.height - 1); ++y) {
            // Even-odd rule on the dot centres; vertices sit on dot centres.
            crossings.clear();
            for (size_t k = 0; k < points.size(); ++k) {
                const DotPoint p = points[k], q = points[(k + 1) % points.size()];
                if ((p.y <= y) == (q.y <= y)) continue;
                crossings.push_back(p.x + double(y - p.y) * (q.x - p.x) / double(q.y - p.y));
            }
            std::sort(crossings.begin(), crossings.end());
            for (size_t k = 0; k + 1 < crossings.size(); k += 2)
                for (int x = static_cast<int>(std::ceil(crossings[k]));
                     x <= static_cast<int>(std::floor(crossings[k + 1])); ++x)
                    image.set(x, y, style.fill);
        }
    }
    const bool outline = style.fillMode != kFillNoOutline;
    const uint32_t colour = outline ? style.pen : style.fill;
    const int pen = outline ? style.penDots : 1;
    for (size_t k = 0; k < points.size(); ++k)
        drawLine(image, points[k], points[(k + 1) % points.size()], pen, colour);
}

Rect shapeReach(DotPoint a, DotPoint b, int penDots) {
    return grow(rectBetween(a, b), penDots);
}

bool floodFill(DotImage& image, int x, int y, uint32_t colour) {
    if (!image.contains(x, y)) return false;
    const uint32_t old = image.at(x, y);
    if (old == colour) return false;
    // Column spans: the storage is column by column.
    std::vector<DotPoint> stack{{x, y}};
    const int h = image.height;
    while (!stack.empty()) {
        const DotPoint p = stack.back();
        stack.pop_back();
        uint32_t* column = image.dots.data() + static_cast<size_t>(p.x) * h;
        if (column[p.y] != old) continue;
        int top = p.y, bottom = p.y;
        while (top > 0 && column[top - 1] == old)
            --top;
        while (bottom + 1 < h && column[bottom + 1] == old)
            ++bottom;
        for (int yy = top; yy <= bottom; ++yy)
            column[yy] = colour;
        for (int side : {p.x - 1, p.x + 1}) {
            if (side < 0 || side >= image.width) continue;
            const uint32_t* next = image.dots.data() + static_cast<size_t>(side) * h;
            bool inRun = false;
            for (int yy = top; yy <= bottom; ++yy) {
                const bool match = next[yy] == old;
                if (match && !inRun) stack.push_back({side, yy});
                inRun = match;
            }
        }
    }
    return true;
}

// ---- Session ---------------------------------------------------------------------------

GraphicEditSession::GraphicEditSession(const GraphicFile& graphic, uint8_t colourType,
                                       GraphicToolState& tools)
    : original_(graphic), palette_(graphicColours(colourType)), tools_(tools) {
    original_.pixels.clear();
    base_ = dotsOf(graphic);
    history_.reset(serialise());
}

uint32_t GraphicEditSession::asShown(uint32_t value) const {
    return std::find(palette_.begin(), palette_.end(), value) != palette_.end() ? value : kPixelOff;
}

DotImage GraphicEditSession::asShown(DotImage image) const {
    for (uint32_t& d : image.dots)
        d = asShown(d);
    return image;
}

uint32_t GraphicEditSession::shownAt(int x, int y) const {
    if (floating_) {
        const int fx = x - floating_->at.x, fy = y - floating_->at.y;
        if (floating_->image.contains(fx, fy)) return asShown(floating_->image.at(fx, fy));
    }
    return asShown(base_.at(x, y));
}

GraphicFile GraphicEditSession::shownGraphic() const {
    GraphicFile g = graphic();
    for (uint32_t& d : g.pixels)
        d = asShown(d);
    return g;
}

GraphicFile GraphicEditSession::graphic() const {
    GraphicFile g = original_;
    DotImage shown = base_;
    if (floating_) shown.blit(floating_->image, floating_->at.x, floating_->at.y);
    g.pixels = std::move(shown.dots);
    return g;
}

std::vector<uint8_t> GraphicEditSession::serialise() const {
    std::vector<uint8_t> bytes;
    const GraphicFile g = graphic();
    const size_t need = 32 + g.pixels.size() * 4;
    bytes.reserve((need + kSnapshotGrowth - 1) / kSnapshotGrowth * kSnapshotGrowth);
    ByteWriter w(bytes);
    // The graphic's own stamp keeps equal states byte-equal.
    writeGraphic(w, g, g.stamp);
    return bytes;
}

void GraphicEditSession::snapshot() {
    std::vector<uint8_t> state = serialise();
    if (history_.current() && history_.current()->bytes == state) return;
    history_.record(std::move(state));
    lastStepNudge_ = false;
}

bool GraphicEditSession::restore(const UndoHistory::Snapshot& s) {
    ByteReader r(s.bytes);
    GraphicFile g;
    if (!readGraphic(r, RecordContext{}, g)) return false;
    floating_.reset();
    selected_.reset();
    stroke_ = Stroke::None;
    polygon_.clear();
    base_ = dotsOf(g);
    lastStepNudge_ = false;
    return true;
}

bool GraphicEditSession::undo() {
    if (strokeActive() || !history_.canUndo()) return false;
    return restore(*history_.undo());
}

bool GraphicEditSession::redo() {
    if (strokeActive() || !history_.canRedo()) return false;
    return restore(*history_.redo());
}

ShapeStyle GraphicEditSession::style() const {
    return {tools_.penDots(), tools_.fillMode, tools_.penColour, tools_.fillColour};
}

Rect GraphicEditSession::floatingRect() const {
    if (!floating_) return {};
    return {floating_->at.x, floating_->at.y, floating_->image.width, floating_->image.height};
}

std::optional<Rect> GraphicEditSession::selection() const {
    if (floating_) return floatingRect();
    return selected_;
}

bool GraphicEditSession::insideSelection(DotPoint p) const {
    const auto s = selection();
    return s && p.x >= s->x && p.y >= s->y && p.x < s->right() && p.y < s->bottom();
}

std::optional<Rect> GraphicEditSession::selectionBand() const {
    if (stroke_ != Stroke::SelectBand) return std::nullopt;
    return intersect(rectBetween(start_, last_), canvasRect());
}

void GraphicEditSession::liftSelection() {
    if (!selected_) return;
    const Rect r = *selected_;
    floating_ = Floating{base_.crop(r), {r.x, r.y}};
    base_.fill(r, kPixelOff);
    selected_.reset();
}

void GraphicEditSession::commitSelection() {
    lastStepNudge_ = false;
    if (floating_) {
        base_.blit(floating_->image, floating_->at.x, floating_->at.y);
        floating_.reset();
    }
    selected_.reset();
}

Rect GraphicEditSession::nudgeSelection(int dx, int dy) {
    if (stroke_ != Stroke::None || !selection() || (dx == 0 && dy == 0)) return {};
    const Rect before = *selection();
    if (!floating_) liftSelection();
    floating_->at = {floating_->at.x + dx, floating_->at.y + dy};
    if (lastStepNudge_) {
        history_.amendCurrent(serialise());
    } else {
        snapshot();
        lastStepNudge_ = true;
    }
    return intersect(unite(before, floatingRect()), canvasRect());
}

Rect GraphicEditSession::redrawShape(DotPoint cursor) {
    // Back to the copy where the last shape was, then the new shape over it.
    const Rect old = intersect(lastReach_, canvasRect());
    for (int x = old.x; x < old.right(); ++x)
        for (int y = old.y; y < old.bottom(); ++y)
            base_.set(x, y, copy_.at(x, y));
    Rect reach;
    if (stroke_ == Stroke::Polygon) {
        std::vector<DotPoint> points = polygon_;
        points.push_back(cursor);
        for (const DotPoint& p : points)
            reach = unite(reach, shapeReach(p, p, tools_.penDots()));
        drawPolygon(base_, points, style());
    } else {
        reach = shapeReach(start_, cursor, tools_.penDots());
        if (tools_.tool == kToolLine)
            drawLine(base_, start_, cursor, tools_.penDots(), tools_.penColour);
        else
            drawShape(base_, tools_.tool, start_, cursor, style());
    }
    lastReach_ = reach;
    return intersect(unite(old, reach), canvasRect());
}

Rect GraphicEditSession::press(DotPoint p, MouseButton button) {
    p = clampPoint(p, width(), height());
    lastStepNudge_ = false;  // the mouse ends a run of key moves
    if (button == MouseButton::Right) {
        if (stroke_ != Stroke::Polygon) return {};
        // The right button ends the polygon: drawn through its points only.
        const Rect old = intersect(lastReach_, canvasRect());
        for (int x = old.x; x < old.right(); ++x)
            for (int y = old.y; y < old.bottom(); ++y)
                base_.set(x, y, copy_.at(x, y));
        Rect reach;
        for (const DotPoint& q : polygon_)
            reach = unite(reach, shapeReach(q, q, tools_.penDots()));
        drawPolygon(base_, polygon_, style());
        polygon_.clear();
        stroke_ = Stroke::None;
        snapshot();
        return intersect(unite(old, reach), canvasRect());
    }
    if (stroke_ != Stroke::None && stroke_ != Stroke::Polygon) return {};
    switch (tools_.tool) {
        case kToolPencil:
            stroke_ = Stroke::Pencil;
            last_ = p;
            base_.set(p.x, p.y, tools_.penColour);
            return intersect({p.x, p.y, 1, 1}, canvasRect());
        case kToolFill: {
            // The region is the one the user sees; only its dots change.
            DotImage shown = asShown(base_);
            if (!floodFill(shown, p.x, p.y, tools_.penColour)) return {};
            for (size_t i = 0; i < shown.dots.size(); ++i)
                if (shown.dots[i] != asShown(base_.dots[i])) base_.dots[i] = shown.dots[i];
            snapshot();
            return canvasRect();
        }
        case kToolLine:
        case kToolRectangle:
        case kToolRoundRect:
        case kToolEllipse:
            stroke_ = Stroke::Shape;
            copy_ = base_;
            start_ = p;
            lastReach_ = {};
            return redrawShape(p);
        case kToolPolygon:
            if (stroke_ != Stroke::Polygon) {
                stroke_ = Stroke::Polygon;
                copy_ = base_;
                lastReach_ = {};
                polygon_.clear();
            }
            polygon_.push_back(p);
            return redrawShape(p);
        default:
            break;
    }
    // The select tool: move the selection from inside it, else a new band.
    const Rect before = selection().value_or(Rect{});
    if (insideSelection(p)) {
        if (!floating_) liftSelection();
        stroke_ = Stroke::SelectMove;
        moveOrigin_ = p;
        start_ = floating_->at;
        return {};
    }
    commitSelection();
    stroke_ = Stroke::SelectBand;
    start_ = last_ = p;
    return intersect(before, canvasRect());
}

Rect GraphicEditSession::move(DotPoint p) {
    p = clampPoint(p, width(), height());
    switch (stroke_) {
        case Stroke::Pencil: {
            drawLine(base_, last_, p, 1, tools_.penColour);
            const Rect r = rectBetween(last_, p);
            last_ = p;
            return intersect(r, canvasRect());
        }
        case Stroke::Shape:
        case Stroke::Polygon:
            return redrawShape(p);
        case Stroke::SelectBand:
            last_ = p;
            return {};
        case Stroke::SelectMove: {
            const Rect old = floatingRect();
            floating_->at = {start_.x + p.x - moveOrigin_.x, start_.y + p.y - moveOrigin_.y};
            return intersect(unite(old, floatingRect()), canvasRect());
        }
        default:
            return {};
    }
}

Rect GraphicEditSession::release(DotPoint p, MouseButton button) {
    p = clampPoint(p, width(), height());
    if (button != MouseButton::Left) return {};
    Rect dirty;
    switch (stroke_) {
        case Stroke::Pencil:
            dirty = move(p);
            stroke_ = Stroke::None;
            snapshot();
            break;
        case Stroke::Shape:
            dirty = redrawShape(p);
            stroke_ = Stroke::None;
            snapshot();
            break;
        case Stroke::SelectBand: {
            stroke_ = Stroke::None;
            // A click without a drag selects nothing.
            if (p == start_) break;
            const Rect r = intersect(rectBetween(start_, p), canvasRect());
            if (!isEmpty(r)) selected_ = r;
            break;
        }
        case Stroke::SelectMove:
            dirty = move(p);
            stroke_ = Stroke::None;
            if (floating_->at != start_) snapshot();
            break;
        default:
            break;  // the polygon goes on until the right button
    }
    return dirty;
}

Rect GraphicEditSession::setTool(int tool) {
    Rect dirty;
    if (stroke_ == Stroke::Shape || stroke_ == Stroke::Polygon) {
        // A shape not finished is taken back.
        base_ = copy_;
        polygon_.clear();
        dirty = canvasRect();
    }
    stroke_ = Stroke::None;
    if (floating_ || selected_) dirty = canvasRect();
    commitSelection();
    tools_.tool = std::clamp(tool, 0, kToolCount - 1);
    return dirty;
}

DotImage GraphicEditSession::copySelection() const {
    if (floating_) return asShown(floating_->image);
    if (selected_) return asShown(base_.crop(*selected_));
    return {};
}

bool GraphicEditSession::deleteSelection() {
    const auto s = selection();
    if (!s || strokeActive()) return false;
    const auto before = history_.undoSnapshots();
    const auto head = history_.current()->serial;
    floating_.reset();
    selected_.reset();
    base_.fill(*s, kPixelOff);
    snapshot();
    return history_.undoSnapshots() != before || history_.current()->serial != head;
}

DotImage GraphicEditSession::cutSelection() {
    DotImage image = copySelection();
    deleteSelection();
    return image;
}

bool GraphicEditSession::placeFloating(const DotImage& picture, DotPoint at) {
    if (picture.empty() || strokeActive()) return false;
    commitSelection();
    tools_.tool = kToolSelect;
    const bool cut = picture.width > width() || picture.height > height();
    at.x = std::clamp(at.x, 0, std::max(width() - 1, 0));
    at.y = std::clamp(at.y, 0, std::max(height() - 1, 0));
    floating_ = Floating{picture.crop({0, 0, width(), height()}), at};
    snapshot();
    return cut;
}

}  // namespace lumavox

namespace lumavox {

void describeForCommands(const GraphicEditSession& session, CommandState& state) {
    state.graphicUndoSnapshots = session.undoSnapshots();
    state.graphicRedoSnapshots = session.redoSnapshots();
    state.graphicSelection = session.selection().has_value();
}

}  // namespace lumavox

// ---- Files and the document ------------------------------------------------------

namespace lumavox {

bool exportGraphicBmp(const GraphicFile& graphic, const std::filesystem::path& path,
                      std::string& error) {
    const std::vector<uint8_t> bytes = encodeGraphicBmp(graphic);
    std::string reason;
    if (!writeFileAtomically(path, bytes, reason)) {
        error = textf(msg::kExportFailed, {path.string(), reason});
        return false;
    }
    return true;
}

std::string importCutMessage(int pictureWidth, int pictureHeight, int width, int height) {
    return textf(msg::kImportCut, {pictureWidth, pictureHeight, width, height});
}

std::string importUnreadableMessage(const std::string& path) {
    return textf(msg::kImportUnreadable, {path});
}

bool storeGraphic(EditorDocument& document, const GraphicFile& edited) {
    return document.changeGraphic(edited);
}

}  // namespace lumavox
