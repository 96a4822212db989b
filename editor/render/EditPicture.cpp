#include "render/EditPicture.h"

#include <algorithm>
#include <cstdlib>

#include "render/ScreenPainter.h"
#include "render/SignStills.h"

namespace lumavox {

void EditPicture::build(const WorkArea& work, const TextFile& file, const FontSet& fonts,
                        const EditPictureOptions& options) {
    signWidth_ = std::max(work.signWidth, 1);
    signHeight_ = std::max(work.signHeight, 1);
    itemCount_ = static_cast<int>(file.items.size());
    screens_.clear();
    layouts_.clear();
    cuts_.clear();
    const int64_t signDots = int64_t{signWidth_} * signHeight_;
    tooLarge_ = signDots > kMaxDots;
    if (tooLarge_) {
        image_ = RgbImage{};
        return;
    }
    lineBreak_.assign(file.items.size(), false);
    for (size_t i = 0; i < file.items.size(); ++i) {
        const TextItem& item = file.items[i];
        if (item.kind == kCharItem)
            lineBreak_[i] = item.ch().character == kCR || item.ch().character == kLF;
    }

    LayoutOptions layoutOptions;
    layoutOptions.mode = options.mode;
    layoutOptions.defaultFont = options.defaultFont;
    layoutOptions.editView = true;
    layoutOptions.now = options.now;
    layoutOptions.names = options.names;
    MeasuredFile measured(file, fonts, layoutOptions);
    const Rect sign{0, 0, signWidth_, signHeight_};
    ScreenLayout layout(measured, sign, options.alignment);
    DrawOptions draw;
    draw.defaultColour = options.defaultColour;
    draw.selectionBegin = options.selectionBegin;
    draw.selectionEnd = options.selectionEnd;
    draw.work = &work;
    ScreenPainter painter(measured, draw);

    std::vector<RgbImage> pictures;
    ScreenState state;
    Screen screen;
    const size_t screenLimit = static_cast<size_t>(std::min<int64_t>(
        kMaxScreens,
        std::max<int64_t>(1, kMaxDots / (int64_t{signWidth_} * (signHeight_ + kScreenGap)))));
    while (!layout.atEnd() && screens_.size() < screenLimit) {
        const int before = layout.position();
        layout.next(screen, state);
        if (layout.position() <= before) break;  // no progress: never loop for ever
        EditScreen s;
        s.layout = screen;
        s.top = static_cast<int>(screens_.size()) * (signHeight_ + kScreenGap);
        RgbImage picture(signWidth_, signHeight_);
        painter.draw(picture, screen);
        pictures.push_back(std::move(picture));
        screens_.push_back(std::move(s));
    }
    // An empty file still shows one dark screen for the caret.
    if (screens_.empty()) {
        EditScreen s;
        s.layout.next = measured.end();
        s.layout.area = sign;
        screens_.push_back(s);
        pictures.emplace_back(signWidth_, signHeight_);
    }
    layouts_.clear();
    for (const EditScreen& s : screens_)
        layouts_.push_back(s.layout);
    const int count = static_cast<int>(screens_.size());
    image_ =
        RgbImage(signWidth_, count * (signHeight_ + kScreenGap) - kScreenGap, kSeparatorColour);
    for (int i = 0; i < count; ++i)
        image_.blit(pictures[static_cast<size_t>(i)], 0, screens_[i].top);
    findCuts();
}

void EditPicture::findCuts() {
    for (size_t i = 0; i < screens_.size(); ++i) {
        const EditScreen& s = screens_[i];
        const Rect& area = s.layout.area;
        bool bottom = false;
        for (const LineInfo& line : s.layout.lines) {
            if (line.itemCount <= 0) continue;
            if (line.x + line.width > area.right()) {
                const int top = std::max(line.y, area.y);
                const int height = std::min(line.y + line.height, area.bottom()) - top;
                if (height > 0)
                    cuts_.push_back({EditCut::Right, static_cast<int>(i), s.top + top, height});
            }
            bottom = bottom || line.y + line.height > area.bottom();
        }
        if (bottom)
            cuts_.push_back({EditCut::Bottom, static_cast<int>(i), s.top + area.bottom() - 1, 1});
    }
}

std::optional<int> EditPicture::rowWidth(int index) const {
    const LineInfo* last = nullptr;
    for (const EditScreen& s : screens_)
        for (const LineInfo& line : s.layout.lines) {
            if (line.itemCount <= 0) continue;
            if (index >= line.firstItem && index < line.firstItem + line.itemCount)
                return line.width;
            last = &line;
        }
    if (last && index >= last->firstItem + last->itemCount) return last->width;
    return std::nullopt;
}

int EditPicture::screenAt(int y) const {
    if (y < 0) return -1;
    const int pitch = signHeight_ + kScreenGap;
    const int index = y / pitch;
    if (index >= static_cast<int>(screens_.size()) || y % pitch >= signHeight_) return -1;
    return index;
}

int EditPicture::hitTest(int x, int y) const {
    if (screens_.empty()) return -1;
    const int pitch = signHeight_ + kScreenGap;
    const int index = std::clamp(y / pitch, 0, static_cast<int>(screens_.size()) - 1);
    const EditScreen& screen = screens_[static_cast<size_t>(index)];
    const Screen& s = screen.layout;
    if (s.placed.empty()) return s.first;
    const int row = y - screen.top;
    // The line under the point, else the nearest one by its vertical middle.
    int lineY = s.placed.front().y;
    int best = -1;
    for (const PlacedItem& p : s.placed) {
        const int distance =
            row < p.y ? p.y - row
                      : (row >= p.y + std::max(p.height, 1) ? row - p.y - p.height + 1 : 0);
        if (best < 0 || distance < best) {
            best = distance;
            lineY = p.y;
        }
    }
    const PlacedItem* last = nullptr;
    for (const PlacedItem& p : s.placed) {
        if (p.y != lineY) continue;
        if (x < p.x + p.width / 2) return p.index;
        last = &p;
    }
    if (!last) return s.first;
    // Right of a line: before its line break, else after its last item.
    if (lineBreak_[static_cast<size_t>(last->index)]) return last->index;
    return std::min(last->index + 1, std::max(itemCount_ - 1, 0));
}

const PlacedItem* EditPicture::findPlaced(int index, int& screen) const {
    for (size_t i = 0; i < screens_.size(); ++i) {
        const Screen& s = screens_[i].layout;
        if (index < s.first || index >= s.next) continue;
        for (const PlacedItem& p : s.placed)
            if (p.index >= index) {
                screen = static_cast<int>(i);
                return &p;
            }
    }
    return nullptr;
}

Rect EditPicture::caretRect(int index) const {
    int screen = 0;
    if (const PlacedItem* p = findPlaced(index, screen)) {
        const int top = screens_[static_cast<size_t>(screen)].top;
        return {p->x, top + p->y, 1, std::max(p->height, 1)};
    }
    // After the last drawn item of the last screen that has one.
    for (auto it = screens_.rbegin(); it != screens_.rend(); ++it) {
        if (it->layout.placed.empty()) continue;
        const PlacedItem& p = it->layout.placed.back();
        return {p.x + p.width, it->top + p.y, 1, std::max(p.height, 1)};
    }
    const int top = screens_.empty() ? 0 : screens_.back().top;
    return {0, top, 1, std::min(signHeight_, 8)};
}

}  // namespace lumavox
