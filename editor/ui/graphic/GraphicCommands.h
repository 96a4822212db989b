// The graphic editor in the main window: opening it on the graphic item at
// the caret (edit mode 3, the previous mode remembered), its menu commands,
// the status panes it fills, and "Save and return", which stores the graphic
// into the document and closes the window.
#pragma once

namespace lumavox::ui {

class CMainFrame;
class CGraphicFrame;

// The open graphic editor of the frame, or null.
CGraphicFrame* graphicEditor(const CMainFrame& frame);

}  // namespace lumavox::ui
