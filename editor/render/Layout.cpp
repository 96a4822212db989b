#include "render/Layout.h"

#include <algorithm>
#include <climits>

#include "content/Vocabulary.h"
#include "content/WindowLayout.h"
#include "render/ComputedText.h"
#include "render/FontSet.h"

namespace lumavox {

namespace {

constexpr int kMarkerHeight = 5;

bool isScreenBreakItem(uint8_t kind) {
    return kind == kMove || kind == kInclude || kind == kWindowItem;
}

int textWidth(const FontSet& fonts, int font, std::string_view s, int widen) {
    int w = 0;
    for (char c : s)
        w += fonts.DrawnWidth(font, static_cast<unsigned char>(c), widen);
    return w;
}

}  // namespace

Rect graphicPlaceholder(const FontSet& fonts, int defaultFont, std::string_view name) {
    const int height = fonts.font(defaultFont) ? fonts.FontHeight(defaultFont) : 0;
    return {0, 0, textWidth(fonts, defaultFont, name, 0) + 2 * kPlaceholderInset,
            height + kPlaceholderInset};
}

void ScreenState::startScreen() {
    moveOut = -1;
    beep = -1;
    include.clear();
    windows.clear();
    endFlag = false;
    strips.clear();
}

Rect windowBounds(const WindowControl& control) {
    if (control.areas.empty()) return {};
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    for (const WindowArea& a : control.areas) {
        AreaRect r = areaRect(a);
        left = std::min(left, r.left);
        top = std::min(top, r.top);
        right = std::max(right, r.right);
        bottom = std::max(bottom, r.bottom);
    }
    return {left, top, std::max(right - left, 0), std::max(bottom - top, 0)};
}

MeasuredFile::MeasuredFile(const TextFile& file, const FontSet& fonts, const LayoutOptions& options)
    : file_(file), fonts_(fonts), options_(options) {
    const auto& items = file.items;
    const int n = static_cast<int>(items.size());
    // The last item is the end-of-text marker when it is a CR, as it always is
    // in a well-formed file.
    end_ = n > 0 && items.back().isCharCode(kCR) ? n - 1 : n;
    entries_.resize(items.size());
    int fallback = -1;
    for (int i = 0; i < n; ++i) {
        const TextItem& item = items[static_cast<size_t>(i)];
        Entry& e = entries_[static_cast<size_t>(i)];
        switch (item.kind) {
            case kCharItem: {
                const CharItem& c = item.ch();
                if (c.character == kCR || c.character == kLF) {
                    fallback = c.font;
                    // The edit view draws a line-end marker over the line's
                    // free dots: it takes rows but no width of the sign.
                    if (options.editView) e.height = kMarkerHeight;
                    break;
                }
                e.width = fonts.DrawnWidth(c.font, c.character, c.property);
                e.height = fonts.font(c.font) ? fonts.FontHeight(c.font) : 0;
                e.flags = kVisible | (c.character == ' ' ? kSpace : kWord);
                break;
            }
            case kTempCounter:
            case kDateTime: {
                const ControlParams& p = item.params();
                std::string s = computedText(item, options.now, options.names);
                e.width = textWidth(fonts, p.valueB, s, p.valueD);
                e.height = fonts.font(p.valueB) ? fonts.FontHeight(p.valueB) : 0;
                e.flags = kWord | kVisible;
                fallback = p.valueB;
                computed_.emplace(i, std::move(s));
                break;
            }
            case kGraphicItem: {
                const ControlParams& p = item.params();
                e.width = p.valueC;
                e.height = p.valueD;
                if (e.width == 0 && e.height == 0) {
                    const Rect room = graphicPlaceholder(fonts, options.defaultFont, p.name.str());
                    e.width = room.width;
                    e.height = room.height;
                }
                e.flags = kWord | kVisible;
                break;
            }
            case kWindowItem: {
                Rect b = windowBounds(item.window());
                e.width = b.width;
                e.height = b.height;
                e.flags = kVisible;
                break;
            }
            case kInclude: {
                std::string label = itemLabel(item, options.mode);
                e.width = textWidth(fonts, options.defaultFont, label, 0);
                e.height =
                    fonts.font(options.defaultFont) ? fonts.FontHeight(options.defaultFont) : 0;
                e.flags = kVisible;
                break;
            }
            case kMove:
            case kSpeed:
            case kPause:
            case kBeep:
            case kRowPitch:
                // Markers of the edit view take no width: the view cuts its
                // lines where the sign does.
                if (options.editView) e.height = kMarkerHeight;
                break;
            default:
                break;
        }
        e.fallbackFont = fallback;
    }
    // Spaces whose run is followed by a word: these are the ones a justified
    // line draws narrower.
    bool wordFollows = false;
    for (int i = n - 1; i >= 0; --i) {
        Entry& e = entries_[static_cast<size_t>(i)];
        if (e.flags & kWord)
            wordFollows = true;
        else if (e.flags & kSpace) {
            if (wordFollows) e.flags |= kSpaceBeforeWord;
        } else
            wordFollows = false;
    }
}

const std::string& MeasuredFile::computed(int index) const {
    static const std::string none;
    auto it = computed_.find(index);
    return it == computed_.end() ? none : it->second;
}

ScreenLayout::ScreenLayout(const MeasuredFile& file, Rect area, int alignment)
    : file_(file), area_(area), alignment_(alignment) {}

LineInfo ScreenLayout::buildLine(int start, ScreenState& state, int& rowPitch) const {
    const auto& items = file_.file().items;
    const int end = file_.end();
    LineInfo line;
    line.firstItem = start;
    int i = start;
    int words = 0;
    int fitWidth = 0;  // word and control widths on the line, without spaces
    int wordWidths = 0;
    int spaceWidths = 0;
    auto consume = [&](int index) {
        line.width += file_.entry(index).width;
        ++i;
    };
    while (true) {
        if (i >= end) {
            line.end = LineEnd::EndOfText;
            line.endsScreen = true;
            break;
        }
        const TextItem& item = items[static_cast<size_t>(i)];
        const MeasuredFile::Entry& e = file_.entry(i);
        if (item.isCharCode(kCR)) {
            consume(i);
            line.end = LineEnd::CR;
            // A CR directly followed by a move, call or window item ends the
            // screen too; so does the end of the text.
            line.endsScreen = i >= end || isScreenBreakItem(items[static_cast<size_t>(i)].kind);
            break;
        }
        if (item.isCharCode(kLF)) {
            consume(i);
            line.end = LineEnd::LF;
            line.endsScreen = true;
            break;
        }
        if (item.kind == kMove) {
            // Every move item begins a screen.
            if (i > start) {
                line.end = LineEnd::ScreenBreak;
                line.endsScreen = true;
                break;
            }
            state.moveIn = item.params().valueA;
            fitWidth += e.width;
            consume(i);
            continue;
        }
        if (item.kind == kInclude || item.kind == kWindowItem) {
            // Directly after a word of this line it starts the next screen;
            // otherwise it is the last item of this one.
            line.end = LineEnd::ScreenBreak;
            line.endsScreen = true;
            if (i > start && (file_.entry(i - 1).flags & MeasuredFile::kWord)) break;
            if (item.kind == kInclude) {
                state.include = item.params().name.str();
                consume(i);
                break;
            }
            // Back-to-back window controls reach the sign as one run of areas
            // and play as one window (see playedAreas).
            while (i < end && items[static_cast<size_t>(i)].kind == kWindowItem) {
                state.windows.push_back(&items[static_cast<size_t>(i)].window());
                consume(i);
            }
            break;
        }
        if (!(e.flags & (MeasuredFile::kWord | MeasuredFile::kSpace))) {
            // Other control items stay inside the line.
            if (!item.isChar() && !item.isWindow()) {
                const ControlParams& p = item.params();
                switch (item.kind) {
                    case kSpeed:
                        state.speed = p.valueC;
                        break;
                    case kPause:
                        state.pause = p.valueD;
                        break;
                    case kBeep:
                        state.beep = p.valueA;
                        break;
                    case kRowPitch:
                        rowPitch = p.valueA;
                        break;
                    default:
                        break;
                }
            }
            fitWidth += e.width;
            consume(i);
            continue;
        }
        // A word with the spaces before it.
        int j = i;
        int spaces = 0;
        while (j < end && (file_.entry(j).flags & MeasuredFile::kSpace))
            spaces += file_.entry(j++).width;
        int word = 0;
        bool hasWord = false;
        while (j < end && (file_.entry(j).flags & MeasuredFile::kWord)) {
            word += file_.entry(j++).width;
            hasWord = true;
        }
        if (hasWord) {
            const bool fits = words == 0 || fitWidth + word + kWordAllowance * words <= area_.width;
            if (!fits) {
                line.end = LineEnd::Wrap;
                break;
            }
            ++words;
            fitWidth += word;
            wordWidths += word;
        }
        // A run of spaces with no word after it hangs at the end of the line.
        spaceWidths += spaces;
        line.width += spaces + word;
        i = j;
    }
    line.itemCount = i - start;
    line.rowPitch = rowPitch;
    // Justification: a line of several words that overflows with its spaces
    // draws the spaces before its words narrower.
    if (words >= 2 && wordWidths + spaceWidths > area_.width) {
        line.spaceWidth = std::max((area_.width - wordWidths) / (words - 1), 0);
        int width = 0;
        bool seenWord = false;
        for (int k = start; k < i; ++k) {
            width += drawnWidth(k, line.spaceWidth, seenWord);
            seenWord = seenWord || (file_.entry(k).flags & MeasuredFile::kWord);
        }
        line.width = width;
    }
    line.height = lineHeight(line);
    return line;
}

int ScreenLayout::drawnWidth(int index, int spaceWidth, bool wordBefore) const {
    const MeasuredFile::Entry& e = file_.entry(index);
    if (spaceWidth < 0 || !(e.flags & MeasuredFile::kSpaceBeforeWord)) return e.width;
    // In a justified line each gap between two words is spaceWidth dots: the
    // space next to the word takes it all, the rest of its run and the spaces
    // before the line's first word take none.
    if (!wordBefore) return 0;
    const bool lastOfRun = !(file_.entry(index + 1).flags & MeasuredFile::kSpace);
    return lastOfRun ? spaceWidth : 0;
}

int ScreenLayout::lineHeight(const LineInfo& line) const {
    int visible = 0;
    int markers = 0;
    bool any = false;
    for (int k = line.firstItem; k < line.firstItem + line.itemCount; ++k) {
        const MeasuredFile::Entry& e = file_.entry(k);
        if (e.flags & MeasuredFile::kVisible) {
            visible = std::max(visible, e.height);
            any = true;
        } else {
            markers = std::max(markers, e.height);
        }
    }
    if (!any) {
        const int last = line.firstItem + std::max(line.itemCount - 1, 0);
        int font = last < static_cast<int>(file_.file().items.size())
                       ? file_.entry(last).fallbackFont
                       : -1;
        if (font < 0 || !file_.fonts().font(font)) font = file_.options().defaultFont;
        visible = file_.fonts().FontHeight(font);
    }
    return std::max(visible, markers);
}

void ScreenLayout::next(Screen& screen, ScreenState& state) {
    const auto& items = file_.file().items;
    const int end = file_.end();
    state.startScreen();
    screen.lines.clear();
    screen.placed.clear();
    screen.area = area_;
    screen.alignment = alignment_;
    screen.first = position_;
    int used = 0;
    while (position_ < end && static_cast<int>(screen.lines.size()) < kMaxLinesPerScreen) {
        ScreenState trial = state;
        int pitch = rowPitch_;
        LineInfo line = buildLine(position_, trial, pitch);
        // A line is admitted while it fits the area height; the first always.
        if (!screen.lines.empty() && used + line.height > area_.height) break;
        state = std::move(trial);
        rowPitch_ = pitch;
        position_ += line.itemCount;
        screen.lines.push_back(line);
        if (line.endsScreen) break;
        used += line.height + line.rowPitch;
        if (area_.height - used < kMinRowsForNextLine) break;
    }
    screen.next = position_;

    // What follows the screen: a move item gives the move-out code.
    if (position_ >= end) {
        state.endFlag = true;
    } else if (items[static_cast<size_t>(position_)].kind == kMove) {
        const ControlParams& p = items[static_cast<size_t>(position_)].params();
        const bool callFollows =
            position_ + 1 < end && (items[static_cast<size_t>(position_ + 1)].kind == kInclude ||
                                    items[static_cast<size_t>(position_ + 1)].kind == kWindowItem);
        if (p.valueB != 0)
            state.moveOut = p.valueB;
        else
            state.moveOut = callFollows ? p.valueA : 0;
        state.endFlag = !callFollows;
    }
    place(screen, state);
    for (const LineInfo& line : screen.lines) {
        int ended = line.end == LineEnd::CR ? 1 : (line.end == LineEnd::LF ? 2 : 0);
        bool last = line.firstItem + line.itemCount >= end;
        state.strips.push_back({line.width, line.height, line.x, line.y, ended, last});
    }
}

void ScreenLayout::place(Screen& screen, const ScreenState& state) const {
    auto& lines = screen.lines;
    if (lines.empty()) return;
    const auto& items = file_.file().items;
    const int horizontal = alignment_ % 3;
    const int vertical = alignment_ / 3;

    // Gaps: the row pitch of the line above, or 1 dot for each of the first L
    // gaps without a row pitch, where L is what the lines leave of the area.
    int heights = 0;
    int pitches = 0;
    for (size_t k = 0; k < lines.size(); ++k) {
        heights += lines[k].height;
        if (k + 1 < lines.size()) pitches += lines[k].rowPitch;
    }
    int spare = area_.height - pitches - heights;
    int gaps = 0;
    for (size_t k = 1; k < lines.size(); ++k) {
        int pitch = lines[k - 1].rowPitch;
        if (pitch != 0) {
            lines[k].gapAbove = pitch;
        } else {
            lines[k].gapAbove = spare > 0 ? 1 : 0;
            if (spare > 0) --spare;
        }
        gaps += lines[k].gapAbove;
    }

    // Vertical placement of the first line.
    const auto holdsWindow = [&](const LineInfo& line, Rect& bounds) {
        for (int k = line.firstItem; k < line.firstItem + line.itemCount; ++k)
            if (items[static_cast<size_t>(k)].isWindow()) {
                bounds = windowBounds(items[static_cast<size_t>(k)].window());
                return true;
            }
        return false;
    };
    int top = 0;
    Rect bounds;
    if (holdsWindow(lines[0], bounds)) {
        top = std::max(bounds.y - area_.y, 0);
    } else if (vertical != 0) {
        int free = area_.height - gaps - heights;
        top = std::max(vertical == 2 ? free : free / 2, 0);
    }

    int y = area_.y + top;
    for (size_t k = 0; k < lines.size(); ++k) {
        LineInfo& line = lines[k];
        y += line.gapAbove;
        line.y = y;
        if (holdsWindow(line, bounds)) {
            line.x = bounds.x;
        } else {
            int x = 0;
            if (horizontal == 1) x = (area_.width - line.width) / 2;
            if (horizontal == 2) x = area_.width - line.width;
            line.x = area_.x + std::max(x, 0);
        }
        // The items left to right, each standing on the bottom of the line
        // (or placed by the area's vertical alignment under the rotate effect).
        int x = line.x;
        bool seenWord = false;
        for (int i = line.firstItem; i < line.firstItem + line.itemCount; ++i) {
            const MeasuredFile::Entry& e = file_.entry(i);
            int w = drawnWidth(i, line.spaceWidth, seenWord);
            seenWord = seenWord || (e.flags & MeasuredFile::kWord);
            int h = std::min(e.height, line.height);
            int itemTop = line.y + line.height - h;
            if (state.moveIn == 43) {
                if (vertical == 0) itemTop = line.y;
                if (vertical == 1) itemTop = line.y + (line.height - h) / 2;
            }
            screen.placed.push_back({i, x, itemTop, w, h});
            x += w;
        }
        y += line.height;
    }
}

}  // namespace lumavox
