// The program-wide editing mode, which commands it allows, and the texts of
// the status bar's panes.
//
//   0 normal text editing
//   1 the window editor is open
//   2 a window file called by an area is edited from the window editor
//   3 the graphic editor is open (the previous mode is restored when it closes)
//   4 the display simulation is open
#pragma once

#include <optional>
#include <string>

#include "content/Model.h"

namespace lumavox {

enum EditMode : int {
    kModeText = 0,
    kModeWindowEditor = 1,
    kModeWindowFile = 2,
    kModeGraphicEditor = 3,
    kModePreview = 4,
};

// The mode's changes as the windows open and close.
class EditModeState {
  public:
    EditMode mode() const { return mode_; }

    void openWindowEditor() { mode_ = kModeWindowEditor; }
    void closeWindowEditor() { mode_ = kModeText; }
    void beginWindowFile() { mode_ = kModeWindowFile; }
    void endWindowFile() { mode_ = kModeWindowEditor; }
    // The graphic editor remembers the mode it interrupted.
    void openGraphicEditor();
    void closeGraphicEditor();
    void openPreview() { mode_ = kModePreview; }
    void closePreview() { mode_ = kModeText; }

  private:
    EditMode mode_ = kModeText;
    EditMode beforeGraphic_ = kModeText;
};

// Text editing is allowed in a view in mode 0, and in mode 2 in the view that
// edits the window file.
bool textEditingAllowed(int editMode, bool viewEditsWindowFile);

// Everything command availability depends on.
struct CommandState {
    int editMode = kModeText;
    SignMode family = SignMode::KV2;
    bool documentOpen = false;
    bool textEditingAllowed = false;  // in the active view (see textEditingAllowed())
    bool selection = false;
    bool clipboardHasText = false;
    bool clipboardHasItems = false;  // the "NEWLUMAVOX Paint" format
    size_t undoSnapshots = 0;        // in the undo list, the current state included
    size_t redoSnapshots = 0;
    bool caretOnGraphic = false;
    bool caretOnWindowControl = false;
    bool previewOpen = false;
    bool windowLayoutUserDefined = false;  // window editor: the control's layout is type 9
    // The graphic editor (mode 3): its own undo list and selection.
    size_t graphicUndoSnapshots = 0;  // the current state included
    size_t graphicRedoSnapshots = 0;
    bool graphicSelection = false;
    size_t recentFiles = 0;  // entries of the recent-file list
};

// Whether a command (an id of editing/MenuTree.h cmd::, or of the edit view's
// context menu in editing/ContextMenu.h) can be chosen now. Ids this function does
// not know are available.
bool commandEnabled(int command, const CommandState& state);

// ---- Status bar ----

// One pane: its text and whether it is active (an inactive pane is drawn blank
// and grey).
struct StatusPane {
    std::string text;
    bool active = false;
};

// Widest texts of the two position panes, for sizing them.
std::string positionPaneSizingText();  // "x=159,y=159"
std::string sizePaneSizingText();      // "cx=159,cy=159"

// "x=%d,y=%d": the graphic editor's cursor position; active only in mode 3.
StatusPane positionPane(int editMode, std::optional<std::pair<int, int>> cursor);
// Mode 3: the graphic editor's size "cx=%d,cy=%d"; mode 0: "%dth %s" with
// "Screen" and the number (from 1) of the sign screen under the mouse pointer,
// blank and inactive when the pointer is outside the drawn screens; inactive in
// the other modes.
StatusPane sizePane(int editMode, std::optional<std::pair<int, int>> graphicSize,
                    std::optional<int> screenUnderPointer);
// "INS" or "OVR" while a document is open; blank otherwise.
StatusPane typingModePane(bool documentOpen, bool overwrite);
// "Row %d/%d dots": the width of the caret's row against the sign's width, in
// mode 0 with a row at the caret; active (drawn as a warning) when the row is
// wider than the sign, which then cuts it.
StatusPane rowWidthPane(int editMode, std::optional<int> rowWidth, int signWidth);
std::string rowWidthPaneSizingText();  // "Row 65535/65535 dots"

}  // namespace lumavox
