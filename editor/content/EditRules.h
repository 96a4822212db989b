// The editing rules that keep a work area consistent.
//
// The edit view, the file managers and the command line call these before they
// change a work area: file name rules, the limit of 255 text files, deleting a
// file that others call, one row pitch per row, no call cycles, renaming with
// its references, typing characters, and the counter date range.
//
// Refusals come back as the text to show the user (empty when the change is
// acceptable); operations that need the user's answer ask through a Prompter.
// Names are compared exactly, case included, after trimming trailing blanks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "content/Model.h"
#include "content/Prompter.h"

namespace lumavox {

// Names are stored in 8 bytes on the sign and in the document.
constexpr size_t kMaxFileNameLength = 8;

// ---- File names and the file list ------------------------------------------

// The refusal text for a new text or window file name, or empty when the name
// is acceptable. Trailing blanks are not part of a name and are ignored. In
// this order: an empty name; a name longer than 8 bytes (refused rather than
// cut, so that "MORNING01" never silently becomes "MORNING0"); the name "DEMO"
// (exact case: "demo" is fine); a name some file of the work area already has.
std::string checkTextFileName(const WorkArea& area, std::string_view name);

// The refusal text when the work area already holds 255 text files, else
// empty. Window files do not count.
std::string checkCanAddTextFile(const WorkArea& area);

// Appends a new file whose only item is the end-of-text marker: a CR character
// with the given attributes (font, colour, property, flash, colour words).
// Text files (kind 0) are refused at the limit of 255; window files (kind 20)
// only obey the name rules. The name is stored without trailing blanks.
// Returns the refusal text, or empty when the file was appended.
std::string addTextFile(WorkArea& area, std::string_view name, const CharItem& attributes,
                        const TimeStamp& stamp = {}, uint8_t kind = kTextFile);

// Deletes the file with the given name after asking the user. The last text
// file is refused with a message. When any other file calls the doomed file,
// directly or through other files or window areas, the first such caller in
// list order is named in a warning question, and No stops the deletion. Then
// the deletion itself is confirmed. True when the file was removed.
// Window files are removed by the window file manager with its own questions.
bool deleteTextFile(WorkArea& area, std::string_view name, Prompter& prompter);

// ---- Calls -----------------------------------------------------------------

// The names a file calls directly: every include item and every window area's
// called file (non-empty), in item order.
std::vector<std::string> directCalls(const TextFile& file);

// True when the file named `from` calls `target`, directly or through other
// files (includes and window areas). Ends on any work area, cyclic or not,
// because every file is walked at most once. A file never "reaches" itself
// unless a real call path leads back to it.
bool callsFile(const WorkArea& area, std::string_view from, std::string_view target);

// The first file in list order, other than the target itself, that calls the
// target directly or indirectly; nullopt when none does.
std::optional<std::string> findCaller(const WorkArea& area, std::string_view target);

// The refusal text for inserting a call to file `callee` (an include item or a
// window area) into file `caller`, or empty when it is allowed: a file cannot
// call itself, and the callee must not already reach the caller.
std::string checkCall(const WorkArea& area, std::string_view caller, std::string_view callee);

// The names of the text files (kind 0) that may be included, in list order.
// Window files are never include targets.
std::vector<std::string> includeTargets(const WorkArea& area);

// Renames a file. The new name must pass the name rules; renaming a file to its
// own name (after trimming trailing blanks) is accepted and changes nothing.
// Every include item and every window area in all files that names the old
// name is changed to the new one first, then the file itself. The run sequence
// and the schedule tasks keep the old name (they address the sign's files).
// Returns the refusal text, or empty when done. An old name that no file has
// changes nothing.
std::string renameTextFile(WorkArea& area, std::string_view oldName, std::string_view newName);

// ---- Row pitch -------------------------------------------------------------

// A row is the run of items between two row breaks (CR or LF character items;
// LF also ends the screen, so it ends the row too). The caret sits before the
// item at caretIndex, so the row at the caret runs from just after the last
// break before the caret up to and including the first break at or after it.
// True when that row holds no row pitch item yet.
bool canInsertRowPitch(const TextFile& file, size_t caretIndex);
// The refusal text for inserting a row pitch at the caret, or empty.
std::string checkRowPitchInsert(const TextFile& file, size_t caretIndex);

// ---- Typing ----------------------------------------------------------------

// The character item for a typed key: a tab becomes a space; CR and LF are
// always accepted; any other character outside the current font's codes
// fontFirstCode .. fontEndCode - 1 is refused (nullopt; the caller beeps).
// The new item takes every attribute in force at the caret (font, colour,
// property, flash and the colour words that go with colour 127).
std::optional<TextItem> makeTypedChar(uint16_t ch, const CharItem& attributesAtCaret,
                                      int fontFirstCode, int fontEndCode);

// Puts a typed item at the caret and returns the caret after it. Insert mode
// inserts before the item at the caret. Overwrite mode replaces the item at the
// caret, except the end-of-text marker and row breaks (CR/LF): typing over
// those inserts before them, so the file keeps its marker and rows are never
// merged behind the user's back (merging could put two row pitches into one
// row). A caret past the end is taken as the end-of-text marker's position.
size_t placeTypedItem(TextFile& file, size_t caret, TextItem item, bool overwrite);

// ---- Counters --------------------------------------------------------------

// The refusal text when a counter's year lies outside 2000-2099, else empty.
std::string checkCounterYear(int year);

}  // namespace lumavox
