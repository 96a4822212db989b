// Word-wrap layout of a text file into screens and lines, the way the sign
// cuts it: words, line ends, screen breaks at move, call and window items,
// row pitch and the gaps between lines, and the placement of each line and
// item in its area. The edit view and the display simulation use the same
// layout; drawing is the screen renderer's.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "content/Model.h"
#include "platform/Clock.h"
#include "render/FontSet.h"
#include "render/Image.h"
#include "strings/DateNames.h"

namespace lumavox {

constexpr int kMaxLinesPerScreen = 200;
// Lines are added while at least this many dot rows of the area remain.
constexpr int kMinRowsForNextLine = 5;
// Word-wrap allowance for every word already on a line.
constexpr int kWordAllowance = 2;

struct LayoutOptions {
    SignMode mode = SignMode::KV2;
    int defaultFont = 1;    // the current default font (used where nothing else names one)
    bool editView = false;  // line ends and control markers take rows, but no width
    CalendarTime now;       // "now" of the computed texts
    DateNames names = DateNames::load();
};

enum class LineEnd : uint8_t {
    Wrap,         // the next word did not fit
    CR,           // a carriage return ended the line
    LF,           // a line feed ended the line and the screen
    ScreenBreak,  // a move, call or window item ended the screen
    EndOfText,    // the end-of-text marker was reached
};

struct LineInfo {
    int width = 0;
    int height = 0;
    int itemCount = 0;
    int firstItem = 0;
    int rowPitch = 0;  // row pitch in force after the line
    LineEnd end = LineEnd::Wrap;
    int spaceWidth = -1;  // width of each gap between words in a justified line; -1 natural
    int gapAbove = 0;     // filled in by the vertical placement
    bool endsScreen = false;
    int x = 0;  // placement in the image
    int y = 0;
};

// One line of the screen as the move effects see it.
struct LineStrip {
    int width = 0;
    int height = 0;
    int x = 0;
    int y = 0;
    int ended = 0;  // 0 wrap or none, 1 CR, 2 LF
    bool lastOfFile = false;
    bool operator==(const LineStrip&) const = default;
};

// Per-screen attributes filled while a screen is laid out. Move-in, speed and
// pause carry over from screen to screen; the rest belongs to one screen.
struct ScreenState {
    int moveIn = 0;
    int moveOut = -1;  // stored out value of the next screen's move item; -1 none follows
    int speed = 0;
    int pause = 0;
    int beep = -1;
    std::string include;                        // name of a called text file
    std::vector<const WindowControl*> windows;  // window controls the screen opens
    bool endFlag = false;
    std::vector<LineStrip> strips;

    void startScreen();
};

// An item placed on the screen (top left corner and size in dots).
struct PlacedItem {
    int index = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct Screen {
    int first = 0;  // first item of the screen
    int next = 0;   // first item after it
    Rect area;
    int alignment = 0;
    std::vector<LineInfo> lines;
    std::vector<PlacedItem> placed;  // every item of every line, in order
};

// The extents and word classes of every item of a text file, measured once.
class MeasuredFile {
  public:
    MeasuredFile(const TextFile& file, const FontSet& fonts, const LayoutOptions& options);

    struct Entry {
        int32_t width = 0;
        int32_t height = 0;
        uint8_t flags = 0;
        int32_t fallbackFont = -1;  // font in force at the nearest CR, LF or computed item
    };
    enum Flag : uint8_t {
        kWord = 1,             // a character other than a space or line end, computed, graphic
        kSpace = 2,            // character 32
        kSpaceBeforeWord = 4,  // a space whose run of spaces is followed by a word item
        kVisible = 8,          // counts for the line height
    };

    const TextFile& file() const { return file_; }
    const FontSet& fonts() const { return fonts_; }
    const LayoutOptions& options() const { return options_; }
    const Entry& entry(int index) const { return entries_[static_cast<size_t>(index)]; }
    // Items 0 .. end() - 1 are laid out; the end-of-text marker is not.
    int end() const { return end_; }
    // The sample text of a computed item (empty for any other).
    const std::string& computed(int index) const;

  private:
    const TextFile& file_;
    const FontSet& fonts_;
    const LayoutOptions& options_;
    std::vector<Entry> entries_;
    std::unordered_map<int, std::string> computed_;
    int end_ = 0;
};

// Bounding rectangle of a window control's areas.
Rect windowBounds(const WindowControl& control);

// A graphic item of no known size (its graphic is not in the document, as
// after reading a text back from a sign) takes the room of a placeholder: its
// name in the default font, kPlaceholderInset dots from an outline around it.
constexpr int kPlaceholderInset = 2;
Rect graphicPlaceholder(const FontSet& fonts, int defaultFont, std::string_view name);

// Lays out the screens of one file in one area, one after another.
class ScreenLayout {
  public:
    // alignment 0-8: horizontal = code mod 3 (left, centre, right), vertical =
    // code div 3 (top, centre, bottom).
    ScreenLayout(const MeasuredFile& file, Rect area, int alignment);

    bool atEnd() const { return position_ >= file_.end(); }
    int position() const { return position_; }
    void restart() {
        position_ = 0;
        rowPitch_ = 0;
    }

    // Lays out the next screen into `screen` (its vectors are reused) and
    // fills the screen state.
    void next(Screen& screen, ScreenState& state);

  private:
    // Builds one line from `start`; applies the line's control items to state.
    LineInfo buildLine(int start, ScreenState& state, int& rowPitch) const;
    int lineHeight(const LineInfo& line) const;
    // An item's width on its line; spaces before words change in justified lines.
    int drawnWidth(int index, int spaceWidth, bool wordBefore) const;
    void finishLine(LineInfo& line) const;
    void place(Screen& screen, const ScreenState& state) const;

    const MeasuredFile& file_;
    Rect area_;
    int alignment_;
    int position_ = 0;
    int rowPitch_ = 0;
};

}  // namespace lumavox
