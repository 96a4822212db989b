// What the send session needs from whoever shows it: the operation dialog in
// the editor, the terminal in lumavox-cli, the tests.
#pragma once

#include <string>
#include <vector>

#include "content/Prompter.h"

namespace lumavox {

struct FileEntry {
    std::string name;
    bool ticked = false;
};

class SessionHost {
  public:
    virtual ~SessionHost() = default;
    virtual void status(const std::string& text) = 0;
    virtual void progressRange(int low, int high) = 0;
    virtual void progressPosition(int position) = 0;
    // A message box with an OK button.
    virtual void messageBox(const std::string& text, const std::string& title, Icon icon) = 0;
    // A Yes/No question; true for Yes.
    virtual bool question(const std::string& text, const std::string& title) = 0;
    // The dialog's file list was refilled (directories read from the sign).
    virtual void fileList(const std::vector<FileEntry>& files) = 0;
    // The "Comport & Addr." dialog shown before a run; false when cancelled.
    virtual bool confirmConnection() { return true; }
    // Keeps the user interface alive during waits.
    virtual void pump() = 0;
    // "Close" was pressed while busy.
    virtual bool cancelRequested() const = 0;
};

}  // namespace lumavox
