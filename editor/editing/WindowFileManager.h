// The window file manager: File Manage > "Window File..." and, from the
// window editor's "Call" row, "Insert a window file to a sub-window", which
// also chooses the file the selected area calls.
//
// The document's window files are created, renamed and deleted with the name
// rules and reference updates every file manager uses (content/EditRules.h,
// content/WindowLayout.h); each change goes through the document, and choosing
// a file sets the area's call as one undo step of the window editor.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "content/Prompter.h"
#include "editing/EditorDocument.h"
#include "editing/WindowEditSession.h"

namespace lumavox {

class WindowFileManager {
  public:
    // `defaultFont` is the font of a new file's end-of-text marker. With a
    // window editor session the manager also chooses its selected area's call.
    WindowFileManager(EditorDocument& document, uint8_t defaultFont,
                      WindowEditSession* session = nullptr);

    // The window files in list order.
    std::vector<std::string> names() const;
    // The window file the selected area calls (empty when none, or without a
    // session).
    std::string current() const;
    bool choosing() const { return session_ != nullptr; }

    // A new window file. Returns the refusal of the name rules (the caller
    // shows it and keeps the name box open), or empty when the file was made.
    std::string create(std::string_view name);
    // Renames a window file; the areas calling it follow. Refusal or empty.
    std::string rename(std::string_view oldName, std::string_view newName);
    // Deletes the selected file (empty: nothing selected) after asking; areas
    // calling it keep the name. True when it was removed.
    bool remove(std::string_view name, Prompter& prompter);
    // The selected area calls `name` from now on (one undo step); refusals are
    // shown through the prompter. False when nothing changed.
    bool choose(std::string_view name, Prompter& prompter);

  private:
    EditorDocument& doc_;
    uint8_t font_;
    WindowEditSession* session_;
};

}  // namespace lumavox
