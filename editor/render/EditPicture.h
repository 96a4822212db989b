// The edit view's picture of a text file: every screen the sign cuts the file
// into, drawn with the sign's fonts and colours together with the line-end and
// control markers and the selection, stacked one under the other. It also
// answers where an item lies (for the caret) and which item lies under a point
// (for the mouse), in sign dots of the whole picture.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "content/Model.h"
#include "render/FontSet.h"
#include "render/Image.h"
#include "render/Layout.h"
#include "strings/DateNames.h"

namespace lumavox {

struct EditPictureOptions {
    SignMode mode = SignMode::KV2;
    int defaultFont = 1;
    int defaultColour = 1;  // the colour code that code 0 stands for
    CalendarTime now;
    DateNames names = DateNames::load();
    int alignment = 4;  // the sign centres its text both ways
    // Selected items: selectionBegin .. selectionEnd - 1.
    int selectionBegin = 0;
    int selectionEnd = 0;
};

// Where the sign cuts what the file shows: a row wider than the sign loses its
// right part, a row below the screen's last dot row its lower part.
struct EditCut {
    enum Side { Right, Bottom };
    Side side = Right;
    int screen = 0;
    int top = 0;     // first dot row of the cut part in the picture (Right), or
    int height = 0;  // the screen's last row (Bottom); rows it spans
};

struct EditScreen {
    Screen layout;  // the screen as laid out, in the sign's own dots
    int top = 0;    // first dot row of the screen in the picture
};

class EditPicture {
  public:
    // Dot rows between two screens.
    static constexpr int kScreenGap = 2;
    // A file is cut into at most this many screens in the view.
    static constexpr int kMaxScreens = 20000;
    // The dots one picture may hold: a sign larger than this is not drawn at
    // all, and the screens of a long file stop where the picture would pass it.
    static constexpr int64_t kMaxDots = int64_t{1} << 26;

    // Lays out and draws the file. The sign's size comes from the work area.
    void build(const WorkArea& work, const TextFile& file, const FontSet& fonts,
               const EditPictureOptions& options);

    const RgbImage& image() const { return image_; }
    // True when the sign is too large to draw (nothing was drawn).
    bool tooLarge() const { return tooLarge_; }
    const std::vector<EditScreen>& screens() const { return screens_; }
    // The laid-out screens alone, in order (for the caret's row map).
    const std::vector<Screen>& layoutScreens() const { return layouts_; }
    int signWidth() const { return signWidth_; }
    int signHeight() const { return signHeight_; }

    // Every place where the sign cuts a row, screen by screen.
    const std::vector<EditCut>& cuts() const { return cuts_; }
    // The width in dots of the row holding the caret before item `index` (the
    // end-of-text marker belongs to the last row); nothing without a row.
    std::optional<int> rowWidth(int index) const;

    // The screen whose rows hold dot row y, or -1 (a gap or outside).
    int screenAt(int y) const;
    // The caret index for a point: before the item nearest to it on the line
    // under the point (or the nearest line), after the line's last item when
    // the point lies right of it. -1 when the picture holds no screen.
    int hitTest(int x, int y) const;
    // Where the caret before item `index` stands: x and the rows of its line.
    // The end-of-text marker stands after the last drawn item.
    Rect caretRect(int index) const;

  private:
    void findCuts();
    const PlacedItem* findPlaced(int index, int& screen) const;

    RgbImage image_;
    std::vector<EditScreen> screens_;
    std::vector<Screen> layouts_;
    int signWidth_ = 0;
    int signHeight_ = 0;
    int itemCount_ = 0;
    bool tooLarge_ = false;
    std::vector<bool> lineBreak_;  // per item: a CR or LF character
    std::vector<EditCut> cuts_;
};

}  // namespace lumavox
