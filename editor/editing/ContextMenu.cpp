#include "editing/ContextMenu.h"

#include <algorithm>

#include "content/Vocabulary.h"
#include "editing/EditModes.h"
#include "editing/MenuTree.h"
#include "render/FontSet.h"
#include "strings/StringTable.h"
#include "strings/WindowTexts.h"

namespace lumavox {

namespace {

ContextMenuEntry command(std::string text, int id, bool checked = false, bool enabled = true) {
    return {ContextMenuEntry::Command, std::move(text), id, checked, {}, enabled};
}

ContextMenuEntry separator() {
    return {ContextMenuEntry::Separator, {}, 0, false, {}};
}

ContextMenuEntry popup(std::string text, std::vector<ContextMenuEntry> items) {
    return {ContextMenuEntry::Popup, std::move(text), 0, false, std::move(items)};
}

// The font numbers end where the colour numbers begin.
int fontCountOf(const FontSet* fonts) {
    constexpr int kMaxFonts = cmd::kContextColourFirst - cmd::kContextFontFirst;
    return fonts ? std::clamp(fonts->FontCount(), 0, kMaxFonts) : 0;
}

}  // namespace

std::vector<ContextMenuEntry> editViewContextMenu(const ContextMenuState& s) {
    std::vector<ContextMenuEntry> menu;

    std::vector<ContextMenuEntry> fonts;
    for (int i = 0; i < fontCountOf(s.fonts); ++i)
        fonts.push_back(
            command(s.fonts->FontName(i), cmd::kContextFontFirst + i, s.inForce.font == i));
    menu.push_back(popup(text(msg::kPropFont), std::move(fonts)));

    std::vector<ContextMenuEntry> colours;
    auto names = colourNames(s.family);
    for (size_t i = 0; i < names.size(); ++i)
        colours.push_back(command(std::string(names[i]),
                                  cmd::kContextColourFirst + static_cast<int>(i),
                                  s.inForce.colour == static_cast<int>(i)));
    menu.push_back(popup(text(msg::kPropColour), std::move(colours)));

    std::vector<ContextMenuEntry> properties;
    auto propNames = propertyNames();
    for (size_t i = 0; i < propNames.size(); ++i)
        properties.push_back(command(std::string(propNames[i]),
                                     cmd::kContextPropertyFirst + static_cast<int>(i),
                                     s.inForce.property == static_cast<int>(i)));
    menu.push_back(popup(text(msg::kMenuCharProperty), std::move(properties)));

    if (s.itemAtCaret && s.itemAtCaret->kind == kGraphicItem) {
        menu.push_back(separator());
        menu.push_back(command(text(msg::kMenuEditGraphic), cmd::kEditItem));
    } else if (s.itemAtCaret && s.itemAtCaret->kind == kWindowItem) {
        menu.push_back(separator());
        menu.push_back(command(text(msg::kMenuEditWindowFile), cmd::kEditItem));
    }
    if (s.editMode == kModeWindowFile) {
        menu.push_back(separator());
        menu.push_back(command(text(msg::kMenuEndEditWindowText), cmd::kEndEditWindowText));
    }
    // The clipboard and Select All run the Edit menu's commands.
    menu.push_back(separator());
    menu.push_back(command(text(msg::kMenuCut), cmd::kEditCut, false, s.selection));
    menu.push_back(command(text(msg::kMenuCopy), cmd::kEditCopy, false, s.selection));
    menu.push_back(command(text(msg::kMenuPaste), cmd::kEditPaste, false, s.canPaste));
    menu.push_back(separator());
    menu.push_back(command(text(msg::kMenuSelectAll), cmd::kEditSelectAll));
    return menu;
}

ContextChoice contextChoice(int command, int fontCount, SignMode family) {
    fontCount = std::min(fontCount, cmd::kContextColourFirst - cmd::kContextFontFirst);
    if (command >= cmd::kContextFontFirst && command < cmd::kContextFontFirst + fontCount)
        return {ContextChoice::Font, command - cmd::kContextFontFirst};
    if (command >= cmd::kContextColourFirst &&
        command < cmd::kContextColourFirst + colourCount(family))
        return {ContextChoice::Colour, command - cmd::kContextColourFirst};
    const int properties = static_cast<int>(propertyNames().size());
    if (command >= cmd::kContextPropertyFirst && command < cmd::kContextPropertyFirst + properties)
        return {ContextChoice::Property, command - cmd::kContextPropertyFirst};
    if (command == cmd::kEditItem) return {ContextChoice::EditItem, 0};
    if (command == cmd::kEndEditWindowText) return {ContextChoice::EndEditWindowText, 0};
    return {};
}

bool applyContextChoice(TextEditor& editor, const ContextChoice& choice) {
    switch (choice.what) {
        case ContextChoice::Font:
            return editor.applyFont(choice.value);
        case ContextChoice::Colour:
            return editor.applyColour(choice.value);
        case ContextChoice::Property:
            return editor.applyProperty(choice.value);
        default:
            return false;
    }
}

}  // namespace lumavox
