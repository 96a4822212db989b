// The editor's menus as data: what each menu bar holds, the command id of every
// entry, and the numbering by which language files name menu entries
// ("IDS_MENU_" + number). The window layer builds its menus by walking these
// trees, so the numbers a translator sees and the menus the user sees come from
// one description.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "strings/CommandIds.h"

namespace lumavox {

struct MenuEntry {
    enum Kind { Command, Popup, Separator };
    Kind kind = Command;
    std::string text;  // "\t" separates the accelerator text
    int command = 0;
    std::vector<MenuEntry> items;  // pop-ups only
    // Entries added after the language files' menu numbering was fixed take
    // their text from the string table (this id) and are not numbered, so
    // the numbers of every other entry stay as translators know them.
    int textId = 0;
};

// First numbers of the four menus.
constexpr int kMainMenuBase = 0;
constexpr int kGraphicMenuBase = 200;
constexpr int kWindowFileMenuBase = 300;
constexpr int kNoDocumentMenuBase = 400;

const std::vector<MenuEntry>& mainMenu();
const std::vector<MenuEntry>& noDocumentMenu();
const std::vector<MenuEntry>& graphicEditorMenu();
const std::vector<MenuEntry>& windowEditorMenu();

struct NumberedMenuEntry {
    int number;
    const MenuEntry* entry;
    std::vector<int> position;  // indexes from the menu bar down to the entry
};

// Numbers a menu bar's entries depth first, a pop-up before its items, from
// `base` upward. Separators, entries with a text id and recent-file entries
// beyond the placeholder are not numbered; in the pop-up at bar position 9 only the first four
// entries are (the rest is the window list, which changes at run time).
std::vector<NumberedMenuEntry> numberMenu(const std::vector<MenuEntry>& bar, int base);

// The mnemonic letter of a menu text ("&File" -> 'F'; "&&" is an ampersand).
std::optional<char> menuMnemonic(const std::string& text);
// The bar with a mnemonic for every entry that has none (the menu's own texts
// and a language file's may lack them): the first letter of a word, else any
// letter, that no other entry of the same menu uses. Alt and that letter then
// open the menu instead of reaching the text.
std::vector<MenuEntry> withMnemonics(std::vector<MenuEntry> bar);

// Every menu with its base, for writing and checking language files.
struct NamedMenu {
    const std::vector<MenuEntry>* bar;
    int base;
};
std::vector<NamedMenu> allMenus();

}  // namespace lumavox
