// The edit view's context menu as data: the fonts, colours and character
// properties with the one in force checked, "Edit Graphic" or "Edit WindowFile"
// for the item at the caret, "End edit text of window" while a window file
// is edited from the window editor, then Cut, Copy, Paste and Select All.
// Shown only while text editing is allowed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "content/Model.h"
#include "editing/TextEditor.h"

namespace lumavox {

class FontSet;

namespace cmd {
enum : int {
    kContextFontFirst = 8041,      // + font index
    kContextColourFirst = 8142,    // + colour code
    kContextPropertyFirst = 8243,  // + property (8243 normal, 8244 bold, 8245 widen)
    kEndEditWindowText = 8300,     // "End edit text of window"
};
}  // namespace cmd

struct ContextMenuEntry {
    enum Kind { Command, Popup, Separator };
    Kind kind = Command;
    std::string text;
    int command = 0;
    bool checked = false;
    std::vector<ContextMenuEntry> items;  // pop-ups only
    bool enabled = true;
};

struct ContextMenuState {
    int editMode = 0;
    SignMode family = SignMode::KV2;
    const FontSet* fonts = nullptr;  // null: an empty font list
    ShownAttributes inForce;         // what is checked; an empty value checks nothing
    const TextItem* itemAtCaret = nullptr;
    bool selection = false;  // Cut and Copy need one
    bool canPaste = false;   // the clipboard holds text or items
};

std::vector<ContextMenuEntry> editViewContextMenu(const ContextMenuState& state);

// What a context-menu command chose.
struct ContextChoice {
    enum What { None, Font, Colour, Property, EditItem, EndEditWindowText };
    What what = None;
    int value = 0;
};
// Decodes a command id of the menu above (fontCount and colourCount bound the
// ranges); None for any other id.
ContextChoice contextChoice(int command, int fontCount, SignMode family);

// Applies a font, colour or property choice through the edit model; false for
// other choices or when nothing changed.
bool applyContextChoice(TextEditor& editor, const ContextChoice& choice);

}  // namespace lumavox
