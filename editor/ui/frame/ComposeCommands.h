// The commands that compose a message: the Insert menu (every kind of item at
// the caret of the active view) and File Manage (graphic files, window files,
// adding, switching and removing text files).
#pragma once

namespace lumavox::ui {

class CMainFrame;

void installComposeCommands(CMainFrame& frame);

}  // namespace lumavox::ui
