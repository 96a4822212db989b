// The window editor on one window control of the current text file (edit
// mode 1), and the editing of the window file an area calls (edit mode 2).
//
// The session works on its own copy of the control through the content
// layer's WindowEditor and writes every change back into the document's item
// as one undo step, so the document and the view always agree. Editing an
// area's window file makes that file current in the document; returning makes
// the file that holds the control current again.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "content/Prompter.h"
#include "content/WindowLayout.h"
#include "editing/EditorDocument.h"

namespace lumavox {

class WindowEditSession {
  public:
    // Opens the editor on the window control at `itemIndex` of the current
    // file; null when that item is not a window control.
    static std::unique_ptr<WindowEditSession> open(EditorDocument& document, size_t itemIndex);
    WindowEditSession(const WindowEditSession&) = delete;
    WindowEditSession& operator=(const WindowEditSession&) = delete;

    // 1 while the control is edited, 2 while an area's window file is.
    int editMode() const;
    const WindowControl& control() const { return control_; }
    const WindowEditor& editor() const { return editor_; }
    bool userDefined() const { return editor_.isUserDefined(); }
    // The file holding the control and the control's item index in it.
    const std::string& ownerFile() const { return owner_; }
    size_t itemIndex() const { return item_; }

    std::optional<size_t> selected() const { return editor_.selected(); }
    void select(std::optional<size_t> index) { editor_.select(index); }
    void selectNext() { editor_.selectNext(); }
    std::optional<size_t> areaAt(int x, int y) const { return editor_.areaAt(x, y); }

    // Each change below is written into the document as one undo step; false
    // when nothing changed (refusals are shown through the prompter).
    bool move(WindowEditor::Direction direction);
    bool setGeometry(size_t index, int x, int y, int width, int height);
    bool setAlignment(size_t index, int alignment);
    bool addArea(Prompter& prompter);
    bool deleteArea(Prompter& prompter);
    // Display sequence order: begin a pass, then click areas (nullopt: outside
    // every area).
    void beginOrderPass() { editor_.beginOrderPass(); }
    bool orderPassActive() const { return editor_.orderPassActive(); }
    WindowEditor::ClickResult clickArea(std::optional<size_t> index);
    // The window files an area can call, and setting the selected area's call
    // (empty name: none).
    std::vector<std::string> callChoices() const;
    bool setCalledFile(std::string_view name, Prompter& prompter);

    // Mode 1 -> 2: makes the selected area's window file current; refused with
    // the "press Call" message when the area calls nothing, silently when no
    // area is selected or the file does not exist.
    bool beginEditAreaFile(Prompter& prompter);
    // Mode 2 -> 1: makes the file holding the control current again.
    bool endEditAreaFile();

    // Leaving the window editor: the checks of the content layer (a narrow area
    // blocks, the full-screen and overlap warnings ask). True when the editor
    // may close; a window file still being edited is ended first.
    bool tryLeave(Prompter& prompter);

    // Takes the control from the document again when it changed there (undo,
    // a renamed window file its areas call).
    void refresh();

  private:
    WindowEditSession(EditorDocument& document, std::string owner, size_t item,
                      const WindowControl& control);
    // Writes the copy into the document's item.
    bool commit();

    EditorDocument& doc_;
    std::string owner_;
    size_t item_;
    WindowControl control_;
    WindowEditor editor_;
    std::string editedFile_;  // the area's window file being edited, empty in mode 1
};

}  // namespace lumavox
