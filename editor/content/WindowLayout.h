// Window controls: the preset layouts, the window editor's rules and the
// window file manager.
//
// A window control splits the sign into up to 255 rectangular areas. Each area
// shows a window file (a text file of kind 20) and is played in its display
// order. The window editor changes one control at a time and checks the control
// when the user leaves it; the window file manager creates and deletes the files
// the areas call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "content/Model.h"
#include "content/Prompter.h"

namespace lumavox {

constexpr int kUserDefinedLayout = 9;
constexpr int kMinAreaWidth = 24;    // narrower areas corrupt the sign's display
constexpr int kNewAreaSize = 8;      // width and height of an added area
constexpr int kPresetAlignment = 4;  // [H-Center,V-Center]

// A rectangle in sign dots: left/top inclusive, right/bottom exclusive.
struct AreaRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const AreaRect&) const = default;
};

// The areas of preset layout 1-8 for a sign of W x H dots, in area order;
// empty for any other type. w = W / 2 and h = H / 2 (integer division).
std::vector<AreaRect> presetLayout(int type, int W, int H);

// A new window control of the given type: 9 gives one full-sign area with
// alignment 0; 1-8 give the preset areas, area k with order k, alignment 4 and
// no called file. Any other type is treated as 9.
WindowControl makeWindowControl(int type, int W, int H);

// A window control read back from the sign, its areas as they were sent in
// display order (x, y, width and height as single bytes; the first area of a
// preset 2-8 sent as the whole sign): the layout it had. A preset whose
// rectangles the areas are gets that type and its rectangles; one area over
// the whole sign is type 1; anything else is user-defined. Area k gets order k.
void restoreSentLayout(WindowControl& control, int W, int H);

// "[H-Left,V-Top]" ... "[H-Right,V-Bottom]" for alignments 0-8; empty otherwise.
std::string_view alignmentName(int alignment);

AreaRect areaRect(const WindowArea& area);

// One area of a window control as the sign gets it: the area (its alignment
// and called file) and the rectangle it is sent with.
struct PlayedArea {
    const WindowArea* area = nullptr;
    AreaRect rect;
};

// What the sign shows for a window control; the one place that decides it.
// The sign body, the scriptable control's content, the preview and the stills
// all follow it, and the virtual sign plays what the body carries, so the
// preview shows what the sign shows.
//
// - The areas play one after another in display order (0, 1, 2, ...), each
//   running its called file once inside its rectangle with its own alignment.
//   Nothing is cleared between two areas: a later area draws over what an
//   earlier one left outside its own rectangle.
// - Preset layouts 2-8 open on the whole sign: the area first in display order
//   is sent as 0, 0, W, H whatever its stored rectangle (the window starts on
//   a full screen, the first window the window editor recommends), and the
//   other areas then play in their own halves or quarters over what it left.
//   Layout 1 and user-defined layouts are sent with their stored rectangles.
// - Back-to-back window controls reach the sign as one run of areas (nothing
//   on the wire separates them), so they play as one window.
// - After the window the text goes on over the whole sign again.
std::vector<PlayedArea> playedAreas(const WindowControl& control, int W, int H);
// True when the two rectangles share interior dots; sharing an edge is not enough.
bool rectsIntersect(const AreaRect& a, const AreaRect& b);
// Area indices sorted by display order (ties keep list order).
std::vector<size_t> displayOrder(const WindowControl& control);

// The editing state of one window control: the control itself (owned by the
// caller, usually a TextItem of the file being edited), the sign size and the
// selected area.
class WindowEditor {
  public:
    enum class Direction { Left, Right, Up, Down };
    enum class ClickResult { Ordered, Ignored, PassEnded };

    WindowEditor(WindowControl& control, int signWidth, int signHeight);

    const WindowControl& control() const { return control_; }
    bool isUserDefined() const { return control_.layoutType == kUserDefinedLayout; }

    std::optional<size_t> selected() const { return selected_; }
    // Selects an area by index; an index out of range clears the selection.
    void select(std::optional<size_t> index);
    // Tab: the area with the next display order, wrapping to order 0 after the
    // last; the first area in display order when nothing is selected.
    void selectNext();

    // Arrow keys (user-defined layout only): moves the selected area one dot,
    // not below 0 and not past the sign's right or bottom edge. False when
    // nothing moved.
    bool move(Direction direction);
    // Property bar (user-defined layout only; presets take their rectangles
    // from the layout table): sets an area's rectangle, limited to the sign:
    // x 0..W-1, width 1..W-x, likewise y and height.
    bool setGeometry(size_t index, int x, int y, int width, int height);
    // Property bar, any layout: alignment 0-8.
    bool setAlignment(size_t index, int alignment);

    // Appends an 8 x 8 area at 0, 0 with the next order and selects it
    // (user-defined layout only). Refused with a message at 255 areas.
    bool addArea(Prompter& prompter);
    // Removes the selected area (user-defined layout only), renumbering the
    // others' orders 0..count-1 in their previous relative order. Refused with a
    // message for the last remaining area or when nothing is selected.
    bool deleteArea(Prompter& prompter);

    // Display-order pass: the user clicks the areas one after another; the
    // first click gets order 0, the next order 1, and so on. Clicking outside
    // every area (nullopt) or clicking the last unclicked one ends the pass.
    void beginOrderPass();
    bool orderPassActive() const { return passActive_; }
    ClickResult clickArea(std::optional<size_t> index);
    // The area under a sign dot: the smallest one containing it (so an area
    // lying on a full-screen one can be hit), nullopt when none does.
    std::optional<size_t> areaAt(int x, int y) const;

    // Runs the leave checks; false when the editor must stay open. A blocking
    // narrow area is reported with an error; recommendations are asked as the
    // warning text, a line break, then the "continue to exit" question, and No
    // keeps the editor open.
    bool tryLeave(Prompter& prompter) const;

  private:
    WindowControl& control_;
    int width_;
    int height_;
    std::optional<size_t> selected_;
    bool passActive_ = false;
    std::vector<bool> clicked_;
    int clickedCount_ = 0;
};

// ---- Window file manager ----

// Appends a window file (kind 20) named `name`, stamped now, whose only item is
// the end-of-text CR in `defaultFont`, colour 1 in a single-colour document
// (2 in NVS mode) or 0 in a tri-colour one, normal, no flash. A name breaking
// the file name rules is shown and refused; trailing blanks are dropped.
// Returns the new file's index.
std::optional<size_t> createWindowFile(WorkArea& work, std::string_view name, uint8_t defaultFont,
                                       SignMode mode, const Clock& clock, Prompter& prompter);

// Deletes the selected window file (empty name: nothing selected) after a
// Yes/No question. Areas that call it keep the name.
bool deleteWindowFile(WorkArea& work, std::string_view selectedName, Prompter& prompter);

// The names of the work area's window files, in list order (the choices for
// an area's called file).
std::vector<std::string> windowFileNames(const WorkArea& work);

// Sets the file an area calls ("Insert a window file to a sub-window"). The
// name must be a window file of the work area, and the call must not make the
// file that holds the control (`ownerFile`) call itself; that refusal is shown.
// An empty name clears the call. False for a bad index, an unknown name or a
// refused call.
bool setAreaCalledFile(const WorkArea& work, std::string_view ownerFile, WindowControl& control,
                       size_t areaIndex, std::string_view name, Prompter& prompter);

// "Edit content" of an area: the called file's name, or nullopt after telling
// the user to press "Call" first when the area calls nothing.
std::optional<std::string> areaFileToEdit(const WindowArea& area, Prompter& prompter);

}  // namespace lumavox
