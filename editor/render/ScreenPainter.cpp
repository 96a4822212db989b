#include "render/ScreenPainter.h"

#include "content/Vocabulary.h"
#include "content/WindowLayout.h"
#include "render/DotColours.h"
#include "render/Rasteriser.h"

#include <algorithm>

namespace lumavox {

ScreenPainter::ScreenPainter(const MeasuredFile& file, const DrawOptions& options)
    : file_(file), options_(options) {}

void ScreenPainter::drawText(RgbImage& image, int x, int y, int font, std::string_view text,
                             int colour, int property, bool selected, const Clip& clip, int& k) {
    const FontSet& fonts = file_.fonts();
    const SignMode mode = file_.options().mode;
    for (char ch : text) {
        const int code = static_cast<unsigned char>(ch);
        int rowBytes = 0;
        GlyphSize size = fonts.GetGlyph(font, code, property, kNoMarker, rowBytes, glyph_);
        GlyphPaint paint;
        paint.kind = selected ? GlyphPaint::Kind::Selected : GlyphPaint::Kind::Colour;
        paint.colour = resolveColour(mode, colour, options_.defaultColour);
        paint.visibleIndex = k++;
        paint.drawingMode = options_.drawingMode;
        drawGlyph(image, x, y, {glyph_.data(), size.width, size.height, rowBytes}, paint, clip);
        x += size.width;
    }
}

void ScreenPainter::drawLabel(RgbImage& image, int x, int y, std::string_view label, bool selected,
                              const Clip& clip) {
    for (char ch : label) {
        int rowBytes = 0;
        GlyphSize size =
            file_.fonts().GetGlyph(file_.options().defaultFont, static_cast<unsigned char>(ch), 0,
                                   kNoMarker, rowBytes, glyph_);
        GlyphPaint paint;
        paint.kind = selected ? GlyphPaint::Kind::Selected : GlyphPaint::Kind::Marker;
        drawGlyph(image, x, y, {glyph_.data(), size.width, size.height, rowBytes}, paint, clip);
        x += size.width;
    }
}

void ScreenPainter::outline(RgbImage& image, Rect r, Rgb colour, const Clip& clip) {
    auto dot = [&](int x, int y) {
        if (clip.inside(x, y) && image.contains(x, y)) image.set(x, y, colour);
    };
    for (int x = r.x; x < r.right(); ++x) {
        dot(x, r.y);
        dot(x, r.bottom() - 1);
    }
    for (int y = r.y; y < r.bottom(); ++y) {
        dot(r.x, y);
        dot(r.right() - 1, y);
    }
}

void ScreenPainter::drawPlaceholder(RgbImage& image, const PlacedItem& p, std::string_view name,
                                    bool selected, const Clip& clip) {
    // Drawn inside the item's own room, which clips the name when the item
    // has a size of its own.
    const Clip room{std::max(clip.left, p.x), std::max(clip.top, p.y),
                    std::min(clip.right, p.x + p.width), std::min(clip.bottom, p.y + p.height)};
    outline(image, {p.x, p.y, p.width, p.height}, selected ? colours::kWhite : colours::kLightBlue,
            room);
    drawLabel(image, p.x + kPlaceholderInset, p.y + 1, name, selected, room);
}

void ScreenPainter::drawMarker(RgbImage& image, const PlacedItem& p, const TextItem& item,
                               const Clip& clip) {
    const bool lineEnd = item.isCharCode(kCR) || item.isCharCode(kLF);
    const bool control = item.kind == kMove || item.kind == kSpeed || item.kind == kPause ||
                         item.kind == kBeep || item.kind == kRowPitch;
    if (!lineEnd && !control) return;
    int rowBytes = 0;
    const GlyphSize size = lineEnd ? file_.fonts().GetGlyph(item.ch().font, item.ch().character, 0,
                                                            kNoMarker, rowBytes, glyph_)
                                   : file_.fonts().GetGlyph(-1, 0, 0, item.kind, rowBytes, glyph_);
    // Markers take no width: a line end stands right of its line, a control
    // marker left of the item it comes before where the area leaves room.
    int x = p.x;
    if (control && p.x - size.width >= clip.left) x = p.x - size.width;
    const bool selected = p.index >= options_.selectionBegin && p.index < options_.selectionEnd;
    GlyphPaint paint;
    paint.kind = selected ? GlyphPaint::Kind::Selected : GlyphPaint::Kind::Marker;
    drawGlyph(image, x, p.y, {glyph_.data(), size.width, size.height, rowBytes}, paint, clip);
}

void ScreenPainter::draw(RgbImage& image, const Screen& screen) {
    const auto& items = file_.file().items;
    const bool editView = file_.options().editView;
    const Clip clip{screen.area.x, screen.area.y, screen.area.right(), screen.area.bottom()};
    // The edit view's markers go first, so that the sign's own dots drawn
    // after them stay as the sign shows them.
    if (editView)
        for (const PlacedItem& p : screen.placed)
            drawMarker(image, p, items[static_cast<size_t>(p.index)], clip);
    int k = 0;  // visible items drawn so far on this screen
    for (const PlacedItem& p : screen.placed) {
        const TextItem& item = items[static_cast<size_t>(p.index)];
        const bool selected = p.index >= options_.selectionBegin && p.index < options_.selectionEnd;
        switch (item.kind) {
            case kCharItem: {
                const CharItem& c = item.ch();
                if (c.character == kCR || c.character == kLF) break;  // a marker
                const char ch = static_cast<char>(c.character & 0xFF);
                if (c.character > 0xFF) {
                    ++k;  // no glyph for codes beyond a byte
                    break;
                }
                drawText(image, p.x, p.y, c.font, std::string_view(&ch, 1), c.colour, c.property,
                         selected, clip, k);
                break;
            }
            case kTempCounter:
            case kDateTime: {
                const ControlParams& cp = item.params();
                drawText(image, p.x, p.y, cp.valueB, file_.computed(p.index), cp.valueC, cp.valueD,
                         selected, clip, k);
                break;
            }
            case kGraphicItem: {
                const ControlParams& cp = item.params();
                const GraphicFile* g =
                    options_.work ? options_.work->findGraphic(cp.name.str()) : nullptr;
                if (g)
                    drawGraphic(image, p.x, p.y, *g, cp.valueC, cp.valueD, selected, clip);
                else
                    drawPlaceholder(image, p, cp.name.str(), selected, clip);
                ++k;
                break;
            }
            case kWindowItem: {
                // The edit view outlines the window's areas where they will show.
                if (!editView) break;
                const WindowControl& w = item.window();
                const Rect bounds = windowBounds(w);
                const Rgb colour = selected ? colours::kWhite : colours::kLightBlue;
                for (const WindowArea& area : w.areas) {
                    const AreaRect r = areaRect(area);
                    outline(image,
                            {p.x + r.left - bounds.x, p.y + r.top - bounds.y, r.right - r.left,
                             r.bottom - r.top},
                            colour, clip);
                }
                break;
            }
            case kInclude:
                // The call's label, in the marker colour.
                if (editView)
                    drawLabel(image, p.x, p.y, itemLabel(item, file_.options().mode), selected,
                              clip);
                break;
            default:
                break;
        }
    }
}

}  // namespace lumavox
