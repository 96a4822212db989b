#include "strings/TextGraphicTexts.h"

#include "strings/CommandIds.h"

namespace lumavox {

void addTextGraphicTexts(std::map<int, std::string>& t) {
    const std::pair<int, const char*> texts[] = {
        {msg::kTextGraphicTitle, "Text as Graphic"},
        {msg::kTextGraphicText, "Text"},
        {msg::kTextGraphicFont, "Font"},
        {msg::kTextGraphicAutoFont, "Automatic (a font that has each character)"},
        {msg::kTextGraphicPreview, "Preview"},
        {msg::kTextGraphicSize, "%d x %d dots"},
        {msg::kTextGraphicTooMany,
         "Sorry,the max number of graphic file is 255! The text \"%s\" cannot become one more "
         "graphic."},
        {msg::kTextGraphicTooWide,
         "The text \"%s\" is %d dots wide as a graphic, wider than the sign (%d dots). Split it "
         "into shorter pieces."},
        {msg::kTextGraphicNoFont,
         "No font on this computer has the character U+%s of the text \"%s\"."},
        {msg::kTextGraphicEmpty, "Please enter the text to draw."},
        {msg::kTextGraphicMenu, "Text as Graphic..."},
        {cmd::kInsertTextGraphic,
         "Insert text the sign's fonts lack, drawn with the computer's fonts as a graphic"},
    };
    for (const auto& [id, s] : texts)
        t[id] = s;
}

}  // namespace lumavox
