// Work-area rules for graphic files: creating, inserting, deleting and renaming,
// keeping the graphic items of text and window files consistent.
//
// Graphic names are compared exactly, case included, after trimming trailing
// blanks, like every other file name of the work area. Texts the user sees go
// through the string table; questions and messages through the Prompter.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "content/Model.h"
#include "content/Prompter.h"
#include "platform/Clock.h"

namespace lumavox {

// The refusal for one more graphic when the work area holds the most it may
// ("Sorry,the max number of graphic file is 255!"), or an empty string.
std::string addGraphicRefusal(const WorkArea& wa);

// Shows the refusal of addGraphicRefusal with the error icon; true when one
// more graphic may be added, so the "Graphic information setting" dialog may open.
bool mayAddGraphic(const WorkArea& wa, Prompter& prompter);

// The refusal for a new graphic as the dialog checks it, in this order: empty
// name, name longer than 8 characters (as text file names are refused), width
// outside 1 ... sign width, height outside 1 ... sign height, name used by a
// graphic. Empty when the entries are acceptable. A name of blanks only counts
// as empty; trailing blanks do not count towards the length.
std::string newGraphicRefusal(const WorkArea& wa, std::string_view name, int width, int height);

// Appends a new graphic (all pixels off, stamped now) when neither the limit nor
// newGraphicRefusal refuses it; otherwise puts the refusal text in `refusal`
// and leaves the work area unchanged.
bool createGraphic(WorkArea& wa, std::string_view name, int width, int height, const Clock& clock,
                   std::string& refusal);

// The graphic control item for the caret: kind 0xF8, the graphic's name, its
// width in value C and height in value D, and the flash it is shown with.
TextItem makeGraphicItem(const GraphicFile& g, uint8_t flash = 0);

// The first file (text or window file, in work-area order) holding a graphic
// item that names the graphic; nullptr when none does.
const TextFile* firstFileUsingGraphic(const WorkArea& wa, std::string_view graphicName);

// Asks "Are you sure to delete graphic <name>?"; on Yes deletes the graphic
// unless a file still shows it, in which case that first file is reported with
// the error icon and nothing changes. True when the graphic was deleted.
bool deleteGraphic(WorkArea& wa, std::string_view name, Prompter& prompter);

// Asks "Are you sure to re-name graphic <name>?"; true on Yes. False, without
// asking, when no graphic has that name.
bool confirmRenameGraphic(const WorkArea& wa, std::string_view name, Prompter& prompter);

// The refusal for renaming graphic oldName to newName: empty new name, a name
// longer than 8 characters, or a name used by another graphic. Empty when acceptable (keeping the
// graphic's own name is acceptable).
std::string renameGraphicRefusal(const WorkArea& wa, std::string_view oldName,
                                 std::string_view newName);

// Renames without asking: every graphic item in every text and window file that
// names the old graphic gets the new name, then the graphic itself. On refusal
// (or an unknown old name) the text goes to `refusal` and nothing changes.
bool applyGraphicRename(WorkArea& wa, std::string_view oldName, std::string_view newName,
                        std::string& refusal);

// The whole rename: confirmation, then the new name's checks (a refusal is shown
// with the exclamation icon), then applyGraphicRename. True when renamed.
bool renameGraphic(WorkArea& wa, std::string_view oldName, std::string_view newName,
                   Prompter& prompter);

// A text body names a graphic but not its size, which the editor keeps in the
// graphic item: items that carry no size take the size of the work area's
// graphic of their name, so that files read from a sign show their graphics.
// Items whose graphic the work area lacks stay as they are. Returns how many
// items changed.
int fillGraphicSizes(std::vector<TextItem>& items, const WorkArea& wa);
int fillGraphicSizes(WorkArea& wa);

}  // namespace lumavox
