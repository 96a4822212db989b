// The items the Insert menu puts at the caret, and the one place where they
// are checked and inserted.
//
// Every builder returns a complete item with its parameters; the items that
// draw text of their own (date/time, temperature, counter) take the attributes
// in force at the caret. insertChecked runs the editing rules that apply to the
// item (one row pitch per row, no call cycles) and inserts it through the edit
// model, so the insertion is one undo step.
#pragma once

#include <string>
#include <vector>

#include "content/Model.h"
#include "editing/TextEditor.h"

namespace lumavox {

// Move in / move out: `in` is the method number, `storedOut` the out list's
// index (0 none, else method + 1).
TextItem makeMoveItem(int in, int storedOut);
TextItem makeSpeedItem(int speed);
TextItem makePauseItem(int pause);
TextItem makeBeepItem(int beep);
TextItem makeRowPitchItem(int pitch);
// A call of another text file.
TextItem makeIncludeItem(const std::string& name);
// Date/time item of a format code, in the attributes at the caret.
TextItem makeDateTimeItem(int format, const CharItem& attributes);
// Temperature (formats 0-2) or counter (16-20, 32-36, with its target stamp),
// in the attributes at the caret.
TextItem makeTempCounterItem(int format, const CharItem& attributes, const TimeStamp& target = {});
// A character of the given code in the attributes at the caret.
TextItem makeCharacterItem(uint16_t code, const CharItem& attributes);

// The refusal text for putting `item` at the editor's caret, or empty: a second
// row pitch in the caret's row, or an include that would make the current file
// call itself.
std::string insertRefusal(const TextEditor& editor, const TextItem& item);
// Checks the item as above and inserts it at the caret (replacing the
// selection) as one undo step. Returns the refusal text, or empty when the
// item was inserted. A view that may not edit refuses with an empty text and
// false in `inserted`.
std::string insertChecked(TextEditor& editor, TextItem item, bool* inserted = nullptr);

}  // namespace lumavox
