// What the send session needs from whoever shows it: the operation dialog in
// the editor, the terminal in lumavox-cli, the tests. Messages and questions
// go through the Prompter part (title "Error" or "Prompt" by icon).
#pragma once

#include <string>
#include <vector>

#include "content/Prompter.h"

namespace lumavox {

struct FileEntry {
    std::string name;
    bool ticked = false;
};

class SessionHost : public Prompter {
  public:
    virtual void status(const std::string& text) = 0;
    virtual void progressRange(int low, int high) = 0;
    virtual void progressPosition(int position) = 0;
    // The dialog's file list was refilled (directories read from the sign).
    virtual void fileList(const std::vector<FileEntry>& files) = 0;
    // The "Comport & Addr." dialog shown before a run; false when cancelled.
    virtual bool confirmConnection() { return true; }
    // Keeps the user interface alive during waits. A second run asked for from
    // here is refused while the first one runs.
    virtual void pump() = 0;
    // "Close" was pressed while busy: every wait of the run ends within 10 ms
    // with "Cancelled by user". The session never clears it; the host does so
    // before it starts the next run.
    virtual bool cancelRequested() const = 0;
};

}  // namespace lumavox
