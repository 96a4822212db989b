#include "render/SignStills.h"

#include <algorithm>

#include "content/WindowLayout.h"
#include "render/Layout.h"
#include "render/ScreenPainter.h"

namespace lumavox {

namespace {

// Move-out codes after which the area keeps its picture.
bool clearsOnMoveOut(int code) {
    return code != -1 && code != 0 && code != 40 && code != 41 && code != 44;
}

class StillPlayer {
  public:
    StillPlayer(const WorkArea& work, const FontSet& fonts, const StillOptions& options)
        : work_(work),
          fonts_(fonts),
          displayed_(std::max(work.signWidth, 1), std::max(work.signHeight, 1)) {
        layout_.mode = options.mode;
        layout_.defaultFont = options.defaultFont;
        layout_.now = options.now;
        layout_.names = options.names;
        draw_.defaultColour = options.defaultColour;
        draw_.work = &work;
    }

    enum Mode { kTop = 0, kCalled = 1, kWindowArea = 2 };

    void play(const TextFile& file, Rect rect, int alignment, Mode mode, const ScreenState* caller,
              int depth) {
        if (depth >= kMaxPlayDepth || rect.width <= 0 || rect.height <= 0) return;
        MeasuredFile measured(file, fonts_, layout_);
        ScreenLayout layout(measured, rect, alignment);
        ScreenPainter painter(measured, draw_);
        ScreenState state;
        if (mode == kWindowArea && caller) {
            state.speed = caller->speed;
            state.pause = caller->pause;
            state.moveIn = caller->moveIn;
        }
        Screen screen;
        while (!layout.atEnd() && screensLeft_ > 0 && stills_.size() < kMaxStills) {
            --screensLeft_;
            layout.next(screen, state);
            if (!state.include.empty()) {
                const TextFile* called = work_.findFile(state.include);
                if (called) play(*called, rect, alignment, kCalled, &state, depth + 1);
                continue;
            }
            displayed_.fill(rect, colours::kBlack);
            painter.draw(displayed_, screen);
            // A screen that opens window areas is shown by its areas.
            if (state.windows.empty()) stills_.push_back(displayed_);
            if (clearsOnMoveOut(state.moveOut)) displayed_.fill(rect, colours::kBlack);
            const ScreenState areaCaller = state;
            for (const WindowControl* windows : areaCaller.windows) {
                for (const PlayedArea& p :
                     playedAreas(*windows, displayed_.width(), displayed_.height())) {
                    const TextFile* content = work_.findFile(p.area->name.str());
                    if (!content) continue;
                    const AreaRect& r = p.rect;
                    Rect areaRect = intersect({r.left, r.top, r.right - r.left, r.bottom - r.top},
                                              {0, 0, displayed_.width(), displayed_.height()});
                    play(*content, areaRect, p.area->byteE % 9, kWindowArea, &areaCaller,
                         depth + 1);
                }
            }
        }
    }

    std::vector<RgbImage> take() { return std::move(stills_); }
    Rect sign() const { return {0, 0, displayed_.width(), displayed_.height()}; }

  private:
    const WorkArea& work_;
    const FontSet& fonts_;
    LayoutOptions layout_;
    DrawOptions draw_;
    RgbImage displayed_;
    std::vector<RgbImage> stills_;
    // Files that call each other many times over would otherwise multiply the
    // work with every level of nesting.
    int screensLeft_ = kMaxPlayedScreens;
};

}  // namespace

std::vector<RgbImage> renderStills(const WorkArea& work, const TextFile& file, const FontSet& fonts,
                                   const StillOptions& options) {
    StillPlayer player(work, fonts, options);
    player.play(file, player.sign(), options.alignment, StillPlayer::kTop, nullptr, 0);
    return player.take();
}

RgbImage dotPicture(const std::vector<RgbImage>& stills, int dot) {
    dot = std::clamp(dot, 1, kMaxDotSize);
    int width = 0;
    int height = 0;
    for (const RgbImage& s : stills) {
        width = std::max(width, s.width() * dot);
        height += s.height() * dot;
    }
    if (stills.size() > 1) height += dot * static_cast<int>(stills.size() - 1);
    RgbImage out(width, height, kSeparatorColour);
    int top = 0;
    for (const RgbImage& s : stills) {
        for (int y = 0; y < s.height() * dot; ++y)
            for (int x = 0; x < s.width() * dot; ++x)
                out.set(x, top + y, dotPixel(s, x, y, dot));
        top += s.height() * dot + dot;
    }
    return out;
}

RgbImage dotPicturePart(const RgbImage& picture, Rect part, int dot) {
    dot = std::clamp(dot, 1, kMaxDotSize);
    part = intersect(part, {0, 0, picture.width(), picture.height()});
    if (part.width <= 0 || part.height <= 0) return {};
    RgbImage out(part.width * dot, part.height * dot);
    for (int py = 0; py < out.height(); ++py) {
        Rgb* row = out.row(py);
        const Rgb* source = picture.row(part.y + py / dot) + part.x;
        for (int px = 0; px < out.width(); ++px)
            row[px] = isGridPixel(px, py, dot) ? kGridColour : source[px / dot];
    }
    return out;
}

PreviewViewport previewViewport(int signWidth, int signHeight, int clientWidth, int clientHeight,
                                int dot, int margin) {
    dot = std::clamp(dot, 1, kMaxDotSize);
    PreviewViewport v;
    v.columns = std::clamp((clientWidth - margin) / dot, 0, std::max(signWidth, 0));
    v.rows = std::clamp((clientHeight - margin) / dot, 0, std::max(signHeight, 0));
    v.maxX = std::max(signWidth - v.columns, 0);
    v.maxY = std::max(signHeight - v.rows, 0);
    v.lineX = std::max(v.columns / 10, 1);
    v.lineY = std::max(v.rows / 10, 1);
    v.pageX = 2 * v.lineX;
    v.pageY = 2 * v.lineY;
    return v;
}

}  // namespace lumavox
