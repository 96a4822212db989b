// The texts of drawing text the sign's fonts lack as graphics: the
// "Text as Graphic" dialog and the refusals of a text that cannot be drawn.
#pragma once

#include <map>
#include <string>

namespace lumavox {

namespace msg {
enum : int {
    kTextGraphicTitle = 35460,     // the dialog's title
    kTextGraphicText = 35461,      // label of the text field
    kTextGraphicFont = 35462,      // label of the font choice
    kTextGraphicAutoFont = 35463,  // the font choice's first entry
    kTextGraphicPreview = 35464,   // label of the preview
    kTextGraphicSize = 35465,      // "%d x %d dots"
    kTextGraphicTooMany = 35466,   // "...255! ... \"%s\" ..."
    kTextGraphicTooWide = 35467,   // text, its width, the sign's width
    kTextGraphicNoFont = 35468,    // character code, text
    kTextGraphicEmpty = 35469,
    kTextGraphicMenu = 35470,  // the Insert menu's entry
};
}  // namespace msg

// Adds these texts to the built-in table, and the status bar prompt of the
// Insert menu's "Text as Graphic..." under its command id.
void addTextGraphicTexts(std::map<int, std::string>& table);

}  // namespace lumavox
