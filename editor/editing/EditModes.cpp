#include "editing/EditModes.h"

#include "editing/ContextMenu.h"
#include "editing/MenuTree.h"
#include "strings/StringTable.h"
#include "strings/TextFormat.h"
#include "strings/WindowTexts.h"

namespace lumavox {

namespace {

bool isReadCommand(int c) {
    return c >= cmd::kReadMemory && c <= cmd::kReadConfig;
}

bool isInsertCommand(int c) {
    return (c >= cmd::kInsertGraphic && c <= cmd::kInsertCounter) || c == cmd::kInsertTextGraphic;
}

// Commands that exchange data with signs.
bool isSendCommand(int c) {
    return (c >= cmd::kChangeAddress && c <= cmd::kSetDefaultFile) || c == cmd::kSendCurrent;
}

bool isGraphicEditorCommand(int c) {
    return (c >= cmd::kGraphicImport && c <= cmd::kGraphicDelete) || c == cmd::kGraphicSaveReturn;
}

// Commands available only in normal text editing.
bool onlyInTextMode(int c) {
    switch (c) {
        case cmd::kFileNew:
        case cmd::kFileOpen:
        case cmd::kLanguage:
        case cmd::kPreview:
        case cmd::kCommunicationMode:
        case cmd::kComportAddress:
        case cmd::kBaudRate:
        case cmd::kSelectModem:
        case cmd::kDialModem:
        case cmd::kManageGraphics:
        case cmd::kManageWindowFiles:
        case cmd::kAddTextFile:
        case cmd::kSwitchTextFile:
        case cmd::kRemoveTextFile:
            return true;
        default:
            return isSendCommand(c) || isReadCommand(c);
    }
}

// Commands that need no open document.
bool worksWithoutDocument(int c) {
    switch (c) {
        case cmd::kFileNew:
        case cmd::kFileOpen:
        case cmd::kLanguage:
        case cmd::kAppExit:
        case cmd::kAppAbout:
        case cmd::kViewToolbar:
        case cmd::kViewStatusBar:
        case cmd::kHangUpModem:
        case cmd::kHangUpTcpIp:
            return true;
        default:
            return c >= cmd::kRecentFileFirst && c <= cmd::kRecentFileLast;
    }
}

bool isContextCommand(int c) {
    return c >= cmd::kContextFontFirst && c <= cmd::kEndEditWindowText;
}

}  // namespace

void EditModeState::openGraphicEditor() {
    if (mode_ != kModeGraphicEditor) beforeGraphic_ = mode_;
    mode_ = kModeGraphicEditor;
}

void EditModeState::closeGraphicEditor() {
    if (mode_ == kModeGraphicEditor) mode_ = beforeGraphic_;
}

bool textEditingAllowed(int editMode, bool viewEditsWindowFile) {
    return editMode == kModeText || (editMode == kModeWindowFile && viewEditsWindowFile);
}

bool commandEnabled(int c, const CommandState& s) {
    // The hang-up commands end a line that is up, whatever else is going on.
    if (c == cmd::kHangUpModem || c == cmd::kHangUpTcpIp) return true;
    if (!s.documentOpen && !worksWithoutDocument(c)) return false;
    // The placeholder "Recent File" stands for an empty list.
    if (c == cmd::kRecentFileFirst) return s.recentFiles > 0;

    if (onlyInTextMode(c)) {
        if (s.editMode != kModeText) return false;
        // Nothing reaches a sign while the display simulation runs.
        if (s.previewOpen && (isSendCommand(c) || isReadCommand(c) || c == cmd::kPreview))
            return false;
        // The NVS family has no Read menu, and sends one text file on its own
        // only by the editor's own protocol (KV2).
        if (s.family == SignMode::NVS &&
            (isReadCommand(c) || c == cmd::kSendText || c == cmd::kSendCurrent))
            return false;
        return true;
    }
    if (isInsertCommand(c)) return s.textEditingAllowed;
    if (isContextCommand(c)) {
        if (c == cmd::kEndEditWindowText)
            return s.textEditingAllowed && s.editMode == kModeWindowFile;
        return s.textEditingAllowed;
    }
    if (isGraphicEditorCommand(c)) {
        if (s.editMode != kModeGraphicEditor) return false;
        switch (c) {
            case cmd::kGraphicUndo:
                return s.graphicUndoSnapshots > 1;
            case cmd::kGraphicRedo:
                return s.graphicRedoSnapshots > 0;
            case cmd::kGraphicCopy:
            case cmd::kGraphicCut:
                return s.graphicSelection;
            default:
                return true;
        }
    }

    switch (c) {
        case cmd::kEditSelectAll:
            return s.textEditingAllowed;
        case cmd::kEditItem:
            return s.textEditingAllowed && (s.caretOnGraphic || s.caretOnWindowControl);
        case cmd::kEditCopy:
        case cmd::kEditCut:
            return s.textEditingAllowed && s.selection;
        case cmd::kEditPaste:
            return s.textEditingAllowed && (s.clipboardHasText || s.clipboardHasItems);
        case cmd::kEditUndo:
            return s.textEditingAllowed && s.undoSnapshots > 1;
        case cmd::kEditRedo:
            return s.textEditingAllowed && s.redoSnapshots > 0;
        case cmd::kWindowAddArea:
        case cmd::kWindowDeleteArea:
            return s.editMode == kModeWindowEditor && s.windowLayoutUserDefined;
        case cmd::kWindowOrder:
            return s.editMode == kModeWindowEditor;
        default:
            return true;
    }
}

StatusPane rowWidthPane(int editMode, std::optional<int> rowWidth, int signWidth) {
    if (editMode != kModeText || !rowWidth) return {};
    return {textf(msg::kPaneRowWidth, {*rowWidth, signWidth}), *rowWidth > signWidth};
}

std::string rowWidthPaneSizingText() {
    return textf(msg::kPaneRowWidth, {65535, 65535});
}

std::string positionPaneSizingText() {
    return textf(msg::kPaneCursor, {159, 159});
}

std::string sizePaneSizingText() {
    return textf(msg::kPaneSize, {159, 159});
}

StatusPane positionPane(int editMode, std::optional<std::pair<int, int>> cursor) {
    if (editMode != kModeGraphicEditor) return {};
    StatusPane pane;
    pane.active = true;
    if (cursor) pane.text = textf(msg::kPaneCursor, {cursor->first, cursor->second});
    return pane;
}

StatusPane sizePane(int editMode, std::optional<std::pair<int, int>> graphicSize,
                    std::optional<int> screenUnderPointer) {
    StatusPane pane;
    if (editMode == kModeGraphicEditor) {
        pane.active = true;
        if (graphicSize)
            pane.text = textf(msg::kPaneSize, {graphicSize->first, graphicSize->second});
    } else if (editMode == kModeText && screenUnderPointer) {
        pane.active = true;
        pane.text = textf(msg::kPaneScreen, {*screenUnderPointer, text(msg::kScreen)});
    }
    return pane;
}

StatusPane typingModePane(bool documentOpen, bool overwrite) {
    if (!documentOpen) return {};
    return {text(overwrite ? msg::kPaneOverwrite : msg::kPaneInsert), true};
}

}  // namespace lumavox
