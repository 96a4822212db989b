// The main menu as the NVS family shows it. Those signs have no baud-rate
// change, no test pattern, no automatic on/off, no schedules, no separate text
// or graphic sends, no included text files and no read-back, so the edit view
// removes these entries when it is first shown (after the menu is translated).
#pragma once

#include <optional>
#include <vector>

#include "editing/MenuTree.h"
#include "session/SignCommands.h"

namespace lumavox {

// The bar without "Include Text File...", "Change Baud Rate", the Update menu's
// "Text File" and "Graphic File", "Schedule...", "Test Display Board",
// "Settings for Auto ON/OFF", one separator each of the Insert and Update menus,
// and the whole "&Read" menu. Entries are found by command, so a translated bar
// works the same. The separator taken is one left redundant by the removals
// (first or last in its menu, or next to another), else the menu's first.
std::vector<MenuEntry> nvsMainMenu(const std::vector<MenuEntry>& bar);

// The operation an Update menu command of the NVS family hands to the
// scriptable control: "All" sends everything, "Clear The Sign" clears the
// sign's memory (the only clearing the control has), "Set Default File" sets
// the run sequence of every text file. Nothing for other commands.
std::optional<UpdateKind> nvsCommandKind(int command);

}  // namespace lumavox
