// The texts of the graphic editor: its title, context menu, file dialogs,
// drawing tool bar and messages.
#pragma once

#include <map>
#include <string>

namespace lumavox {

namespace msg {
enum : int {
    kDrawGraphicTitle = 32868,
    kGraphicMenuUndo = 32869,
    kGraphicMenuRedo = 32870,
    kGraphicMenuCopy = 32871,
    kGraphicMenuCut = 32872,
    kGraphicMenuPaste = 32873,
    kGraphicMenuSaveReturn = 32874,
    kBmpOpenTitle = 33339,
    kBmpSaveTitle = 33340,

    kBmpFilter = 35000,
    kToolPencilName = 35002,  // .. 35009, one per tool in tool order
    kPenWidthLabel = 35010,
    kPenWidthValue = 35011,
    kFillModeOutline = 35012,
    kFillModeFilled = 35013,
    kFillModeNoOutline = 35014,
    kPenColourLabel = 35015,
    kFillColourLabel = 35016,
    kColourOffName = 35017,  // .. 35020: off, red, green, yellow
    kImportUnreadable = 35021,
    kImportCut = 35022,
    kExportFailed = 35023,
    kGraphicGone = 35024,
    kFillModeLabel = 35025,
    kPictureFilesFilter = 35026,
};
}  // namespace msg

// Adds the graphic editor's texts to the built-in table.
void addGraphicTexts(std::map<int, std::string>& table);

}  // namespace lumavox
