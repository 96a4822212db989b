#include "content/WindowLayout.h"

#include <algorithm>
#include <array>
#include <limits>
#include <numeric>

#include "content/EditRules.h"
#include "strings/StringTable.h"
#include "strings/TextFormat.h"

namespace lumavox {

namespace {

uint16_t toU16(int v) {
    return static_cast<uint16_t>(std::clamp(v, 0, int{std::numeric_limits<uint16_t>::max()}));
}

WindowArea makeArea(int x, int y, int width, int height, int alignment, int order) {
    WindowArea a;
    a.valueA = toU16(x);
    a.valueB = toU16(y);
    a.valueC = toU16(width);
    a.valueD = toU16(height);
    a.byteE = static_cast<uint8_t>(alignment);
    a.order = static_cast<uint8_t>(order);
    return a;
}

// The separator between a leave-check recommendation and the question that
// follows it in the same Yes/No box.
constexpr std::string_view kQuestionBreak = "\n";

std::string withContinueQuestion(const std::string& warning) {
    std::string s = warning;
    s += kQuestionBreak;
    s += text(msg::kContinueExitWindow);
    return s;
}

}  // namespace

std::vector<AreaRect> presetLayout(int type, int W, int H) {
    const int w = W / 2;
    const int h = H / 2;
    switch (type) {
        case 1:
            return {{0, 0, W, H}};
        case 2:
            return {{0, 0, W, h}, {0, h, W, H}};
        case 3:
            return {{0, 0, w, H}, {w, 0, W, H}};
        case 4:
            return {{0, 0, W, h}, {0, h, w, H}, {w, h, W, H}};
        case 5:
            return {{0, 0, w, H}, {w, 0, W, h}, {w, h, W, H}};
        case 6:
            return {{0, 0, w, h}, {w, 0, W, h}, {0, h, W, H}};
        case 7:
            return {{0, 0, w, h}, {0, h, w, H}, {w, 0, W, H}};
        case 8:
            return {{0, 0, w, h}, {w, 0, W, h}, {0, h, w, H}, {w, h, W, H}};
        default:
            return {};
    }
}

WindowControl makeWindowControl(int type, int W, int H) {
    WindowControl c;
    const std::vector<AreaRect> rects = presetLayout(type, W, H);
    if (rects.empty()) {
        c.layoutType = kUserDefinedLayout;
        c.areas.push_back(makeArea(0, 0, W, H, 0, 0));
        return c;
    }
    c.layoutType = static_cast<uint8_t>(type);
    for (size_t k = 0; k < rects.size(); ++k) {
        const AreaRect& r = rects[k];
        c.areas.push_back(makeArea(r.left, r.top, r.right - r.left, r.bottom - r.top,
                                   kPresetAlignment, static_cast<int>(k)));
    }
    return c;
}

void restoreSentLayout(WindowControl& control, int W, int H) {
    auto& areas = control.areas;
    for (size_t k = 0; k < areas.size(); ++k)
        areas[k].order = static_cast<uint8_t>(k);
    // Rectangles travel as single bytes of x, y, width and height (held here
    // in the four fields of an AreaRect).
    auto sent = [](const AreaRect& r) {
        return AreaRect{r.left & 0xFF, r.top & 0xFF, (r.right - r.left) & 0xFF,
                        (r.bottom - r.top) & 0xFF};
    };
    auto asSent = [](const WindowArea& a) {
        return AreaRect{a.valueA, a.valueB, a.valueC, a.valueD};
    };
    const AreaRect whole = sent({0, 0, W, H});
    for (int type = 1; type < kUserDefinedLayout; ++type) {
        const std::vector<AreaRect> rects = presetLayout(type, W, H);
        if (rects.size() != areas.size() || asSent(areas[0]) != whole) continue;
        bool same = true;
        for (size_t k = 1; k < rects.size() && same; ++k)
            same = asSent(areas[k]) == sent(rects[k]);
        if (!same) continue;
        control.layoutType = static_cast<uint8_t>(type);
        for (size_t k = 0; k < rects.size(); ++k) {
            areas[k].valueA = static_cast<uint16_t>(rects[k].left);
            areas[k].valueB = static_cast<uint16_t>(rects[k].top);
            areas[k].valueC = static_cast<uint16_t>(rects[k].right - rects[k].left);
            areas[k].valueD = static_cast<uint16_t>(rects[k].bottom - rects[k].top);
        }
        return;
    }
    control.layoutType = kUserDefinedLayout;
}

std::string_view alignmentName(int alignment) {
    static constexpr std::array<std::string_view, 9> kNames = {
        "[H-Left,V-Top]",    "[H-Center,V-Top]",    "[H-Right,V-Top]",
        "[H-Left,V-Center]", "[H-Center,V-Center]", "[H-Right,V-Center]",
        "[H-Left,V-Bottom]", "[H-Center,V-Bottom]", "[H-Right,V-Bottom]",
    };
    if (alignment < 0 || alignment >= static_cast<int>(kNames.size())) return {};
    return kNames[static_cast<size_t>(alignment)];
}

AreaRect areaRect(const WindowArea& a) {
    return {a.valueA, a.valueB, a.valueA + a.valueC, a.valueB + a.valueD};
}

bool rectsIntersect(const AreaRect& a, const AreaRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

std::vector<size_t> displayOrder(const WindowControl& control) {
    std::vector<size_t> idx(control.areas.size());
    std::iota(idx.begin(), idx.end(), size_t{0});
    std::stable_sort(idx.begin(), idx.end(), [&](size_t a, size_t b) {
        return control.areas[a].order < control.areas[b].order;
    });
    return idx;
}

std::vector<PlayedArea> playedAreas(const WindowControl& control, int W, int H) {
    const bool opensFullScreen = control.layoutType >= 2 && control.layoutType <= 8;
    std::vector<PlayedArea> played;
    for (size_t i : displayOrder(control)) {
        const WindowArea& a = control.areas[i];
        played.push_back(
            {&a, opensFullScreen && played.empty() ? AreaRect{0, 0, W, H} : areaRect(a)});
    }
    return played;
}

// ---- WindowEditor ----

WindowEditor::WindowEditor(WindowControl& control, int signWidth, int signHeight)
    : control_(control), width_(signWidth), height_(signHeight) {}

void WindowEditor::select(std::optional<size_t> index) {
    if (index && *index < control_.areas.size())
        selected_ = index;
    else
        selected_.reset();
}

void WindowEditor::selectNext() {
    const std::vector<size_t> order = displayOrder(control_);
    if (order.empty()) {
        selected_.reset();
        return;
    }
    if (!selected_) {
        selected_ = order.front();
        return;
    }
    auto it = std::find(order.begin(), order.end(), *selected_);
    if (it == order.end() || ++it == order.end()) it = order.begin();
    selected_ = *it;
}

bool WindowEditor::move(Direction direction) {
    if (!isUserDefined() || !selected_) return false;
    WindowArea& a = control_.areas[*selected_];
    int x = a.valueA;
    int y = a.valueB;
    switch (direction) {
        case Direction::Left:
            x = std::max(0, x - 1);
            break;
        case Direction::Right:
            ++x;
            break;
        case Direction::Up:
            y = std::max(0, y - 1);
            break;
        case Direction::Down:
            ++y;
            break;
    }
    // An area larger than the sign stays at 0 rather than going negative.
    x = std::max(0, std::min(x, width_ - a.valueC));
    y = std::max(0, std::min(y, height_ - a.valueD));
    if (x == a.valueA && y == a.valueB) return false;
    a.valueA = toU16(x);
    a.valueB = toU16(y);
    return true;
}

bool WindowEditor::setGeometry(size_t index, int x, int y, int width, int height) {
    if (!isUserDefined() || index >= control_.areas.size()) return false;
    const int maxX = std::max(0, width_ - 1);
    const int maxY = std::max(0, height_ - 1);
    x = std::clamp(x, 0, maxX);
    y = std::clamp(y, 0, maxY);
    width = std::clamp(width, 1, std::max(1, width_ - x));
    height = std::clamp(height, 1, std::max(1, height_ - y));
    WindowArea& a = control_.areas[index];
    a.valueA = toU16(x);
    a.valueB = toU16(y);
    a.valueC = toU16(width);
    a.valueD = toU16(height);
    return true;
}

bool WindowEditor::setAlignment(size_t index, int alignment) {
    if (index >= control_.areas.size() || alignmentName(alignment).empty()) return false;
    control_.areas[index].byteE = static_cast<uint8_t>(alignment);
    return true;
}

bool WindowEditor::addArea(Prompter& prompter) {
    if (!isUserDefined()) return false;
    if (control_.areas.size() >= static_cast<size_t>(kMaxWindowAreas)) {
        prompter.message(text(msg::kMaxAreas), Icon::Error);
        return false;
    }
    const int order = static_cast<int>(control_.areas.size());
    control_.areas.push_back(makeArea(0, 0, kNewAreaSize, kNewAreaSize, kPresetAlignment, order));
    selected_ = control_.areas.size() - 1;
    passActive_ = false;
    return true;
}

bool WindowEditor::deleteArea(Prompter& prompter) {
    if (!isUserDefined()) return false;
    if (control_.areas.size() <= 1) {
        prompter.message(text(msg::kLastArea), Icon::Error);
        return false;
    }
    if (!selected_) {
        prompter.message(text(msg::kSelectAreaToDelete), Icon::Exclamation);
        return false;
    }
    const size_t doomed = *selected_;
    control_.areas.erase(control_.areas.begin() + static_cast<std::ptrdiff_t>(doomed));
    const std::vector<size_t> order = displayOrder(control_);
    for (size_t k = 0; k < order.size(); ++k)
        control_.areas[order[k]].order = static_cast<uint8_t>(k);
    // The selection stays on the same list position, which now holds the next
    // area; when the deleted area was the last in the list, the one before it.
    if (doomed >= control_.areas.size()) selected_ = control_.areas.size() - 1;
    passActive_ = false;
    return true;
}

void WindowEditor::beginOrderPass() {
    clicked_.assign(control_.areas.size(), false);
    clickedCount_ = 0;
    passActive_ = !control_.areas.empty();
}

WindowEditor::ClickResult WindowEditor::clickArea(std::optional<size_t> index) {
    if (!passActive_) return ClickResult::PassEnded;
    if (!index || *index >= control_.areas.size()) {
        passActive_ = false;
        return ClickResult::PassEnded;
    }
    if (clicked_[*index]) return ClickResult::Ignored;

    // Areas not clicked yet, in their present display order, follow the clicked ones.
    std::vector<size_t> rest;
    for (size_t i : displayOrder(control_))
        if (!clicked_[i] && i != *index) rest.push_back(i);

    clicked_[*index] = true;
    control_.areas[*index].order = static_cast<uint8_t>(clickedCount_++);
    int next = clickedCount_;
    for (size_t i : rest)
        control_.areas[i].order = static_cast<uint8_t>(next++);

    if (clickedCount_ >= static_cast<int>(control_.areas.size())) {
        passActive_ = false;
        return ClickResult::PassEnded;
    }
    return ClickResult::Ordered;
}

std::optional<size_t> WindowEditor::areaAt(int x, int y) const {
    std::optional<size_t> best;
    long bestSize = 0;
    for (size_t i = 0; i < control_.areas.size(); ++i) {
        const AreaRect r = areaRect(control_.areas[i]);
        if (x < r.left || x >= r.right || y < r.top || y >= r.bottom) continue;
        const long size = static_cast<long>(r.right - r.left) * (r.bottom - r.top);
        if (!best || size < bestSize) {
            best = i;
            bestSize = size;
        }
    }
    return best;
}

bool WindowEditor::tryLeave(Prompter& prompter) const {
    const std::vector<size_t> order = displayOrder(control_);

    // 1. Areas narrower than the sign can show: an error, and the editor stays.
    for (size_t i : order) {
        const WindowArea& a = control_.areas[i];
        if (a.valueC < kMinAreaWidth) {
            prompter.message(textf(msg::kAreaTooNarrow, {a.order + 1}), Icon::Error);
            return false;
        }
    }

    // 2. The first area in display order should be the full-screen one, as
    // the sign gets it (presets send their first area as full screen).
    std::optional<size_t> full;
    for (const PlayedArea& p : playedAreas(control_, width_, height_)) {
        if (p.rect == AreaRect{0, 0, width_, height_}) {
            full = static_cast<size_t>(p.area - control_.areas.data());
            break;
        }
    }
    if (!full) {
        if (!prompter.askYesNo(
                withContinueQuestion(textf(msg::kNoFullScreenArea, {width_, height_})),
                Icon::Question))
            return false;
    } else if (control_.areas[*full].order > 0) {
        if (!prompter.askYesNo(withContinueQuestion(textf(msg::kFullScreenNotFirst,
                                                          {control_.areas[*full].order + 1})),
                               Icon::Question))
            return false;
    }

    // 3. Overlapping areas, leaving out a full-screen first area (the others lie on it).
    std::vector<size_t> checked;
    for (size_t i : order) {
        if (full && *full == i && control_.areas[i].order == 0) continue;
        checked.push_back(i);
    }
    for (size_t p = 0; p < checked.size(); ++p) {
        for (size_t q = p + 1; q < checked.size(); ++q) {
            const WindowArea& a = control_.areas[checked[p]];
            const WindowArea& b = control_.areas[checked[q]];
            if (!rectsIntersect(areaRect(a), areaRect(b))) continue;
            return prompter.askYesNo(
                withContinueQuestion(textf(msg::kAreasOverlap, {a.order + 1, b.order + 1})),
                Icon::Question);
        }
    }
    return true;
}

// ---- Window file manager ----

std::optional<size_t> createWindowFile(WorkArea& work, std::string_view name, uint8_t defaultFont,
                                       SignMode mode, const Clock& clock, Prompter& prompter) {
    CharItem end;
    end.font = defaultFont;
    end.colour = work.colourType == 1 ? (mode == SignMode::NVS ? 2 : 1) : 0;
    end.property = 0;
    end.flash = 0;
    // The shared file rules check the name (window files obey the text-file name
    // rules but not the text-file limit) and append the file.
    const std::string refusal = addTextFile(work, name, end, TimeStamp::now(clock), kWindowFile);
    if (!refusal.empty()) {
        prompter.message(refusal, Icon::Error);
        return std::nullopt;
    }
    return work.textFiles.size() - 1;
}

bool deleteWindowFile(WorkArea& work, std::string_view selectedName, Prompter& prompter) {
    if (selectedName.empty()) {
        prompter.message(text(msg::kSelectFileFirst), Icon::Exclamation);
        return false;
    }
    auto it = std::find_if(work.textFiles.begin(), work.textFiles.end(), [&](const TextFile& f) {
        return f.kind == kWindowFile && sameName(std::string_view(f.name.str()), selectedName);
    });
    if (it == work.textFiles.end()) return false;
    // Are you sure to delete window file "NAME"?
    const std::string question =
        text(msg::kConfirmDeleteWindowFile) + " \"" + it->name.str() + "\"?";
    if (!prompter.askYesNo(question, Icon::Question)) return false;
    work.textFiles.erase(it);
    return true;
}

std::vector<std::string> windowFileNames(const WorkArea& work) {
    std::vector<std::string> names;
    for (const TextFile& f : work.textFiles)
        if (f.kind == kWindowFile) names.push_back(f.name.str());
    return names;
}

bool setAreaCalledFile(const WorkArea& work, std::string_view ownerFile, WindowControl& control,
                       size_t areaIndex, std::string_view name, Prompter& prompter) {
    if (areaIndex >= control.areas.size()) return false;
    if (name.empty()) {
        control.areas[areaIndex].name = Name9();
        return true;
    }
    const TextFile* f = work.findFile(name);
    if (f == nullptr || f->kind != kWindowFile) return false;
    // An area's call is a call like an include: it must not close a cycle.
    if (const std::string refusal = checkCall(work, ownerFile, f->name.str()); !refusal.empty()) {
        prompter.message(refusal, Icon::Error);
        return false;
    }
    control.areas[areaIndex].name = f->name;
    return true;
}

std::optional<std::string> areaFileToEdit(const WindowArea& area, Prompter& prompter) {
    if (area.name.empty()) {
        prompter.message(text(msg::kPressCall), Icon::Exclamation);
        return std::nullopt;
    }
    return area.name.str();
}

}  // namespace lumavox
