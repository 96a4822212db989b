#include "strings/GraphicTexts.h"

namespace lumavox {

void addGraphicTexts(std::map<int, std::string>& t) {
    const std::pair<int, const char*> texts[] = {
        {msg::kDrawGraphicTitle, "Draw Graphic"},
        {msg::kGraphicMenuUndo, "Undo"},
        {msg::kGraphicMenuRedo, "Redo"},
        {msg::kGraphicMenuCopy, "Copy"},
        {msg::kGraphicMenuCut, "Cut"},
        {msg::kGraphicMenuPaste, "Paste"},
        {msg::kGraphicMenuSaveReturn, "Save and return"},
        {msg::kBmpOpenTitle, "Open"},
        {msg::kBmpSaveTitle, "Save As"},
        {msg::kBmpFilter, "Bmp File (*.BMP)|*.BMP|"},
        {msg::kToolPencilName + 0, "Pencil"},
        {msg::kToolPencilName + 1, "Select"},
        {msg::kToolPencilName + 2, "Fill"},
        {msg::kToolPencilName + 3, "Line"},
        {msg::kToolPencilName + 4, "Rectangle"},
        {msg::kToolPencilName + 5, "Rounded rectangle"},
        {msg::kToolPencilName + 6, "Ellipse"},
        {msg::kToolPencilName + 7, "Polygon"},
        {msg::kPenWidthLabel, "Pen width"},
        {msg::kPenWidthValue, "%d dot(s)"},
        {msg::kFillModeLabel, "Fill mode"},
        {msg::kFillModeOutline, "Outline only"},
        {msg::kFillModeFilled, "Filled with outline"},
        {msg::kFillModeNoOutline, "Filled without outline"},
        {msg::kPenColourLabel, "Pen colour"},
        {msg::kFillColourLabel, "Fill colour"},
        {msg::kColourOffName + 0, "Black (off)"},
        {msg::kColourOffName + 1, "Red"},
        {msg::kColourOffName + 2, "Green"},
        {msg::kColourOffName + 3, "Yellow"},
        {msg::kImportUnreadable, "The file '%s' is not a picture this program can read."},
        {msg::kImportCut,
         "The picture (%d x %d) is larger than the graphic (%d x %d); only its top-left part "
         "is used."},
        {msg::kExportFailed, "Cannot write the file '%s':(%s)."},
        {msg::kGraphicGone, "The graphic '%s' is no longer in the document."},
        {msg::kPictureFilesFilter, "Picture Files"},
    };
    for (const auto& [key, value] : texts)
        t.emplace(key, value);
}

}  // namespace lumavox
