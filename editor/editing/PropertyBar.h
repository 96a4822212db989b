// The property bar as data: the rows that show and change what the caret
// stands on (the current text file's name, the character attributes in force,
// the parameters of the control item at the caret) or, in the window editor,
// the selected area; the header selector above them; the hint of each row; and
// what choosing a value or pressing an action does.
//
// The model is rebuilt from the document, the edit model and the editing mode
// whenever one of them changes. Changes go through the document (one undo step
// each); actions that need a window come back as a request for the caller.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "content/Prompter.h"
#include "editing/EditorDocument.h"
#include "editing/TextEditor.h"
#include "editing/WindowEditSession.h"

namespace lumavox {

class FontSet;

// What a row stands for; apply() and action() take it back.
enum class PropertyRowId {
    Rename,
    Font,
    Colour,
    Property,
    Flash,
    Temperature,
    CounterType,
    CounterFormat,
    CounterDate,  // "End Date" of a count-down, "From Date" of a count-up counter
    MoveIn,
    MoveOut,
    Speed,
    Pause,
    DateTimeFormat,
    Beep,
    GraphicName,
    GraphicEdit,  // "Edit" in modes 0 and 2, "Return" in mode 3
    WindowFile,
    RowPitch,
    CallFile,
    ReturnToWindow,  // the last row in mode 2
    AreaX,
    AreaY,
    AreaWidth,
    AreaHeight,
    AreaAlign,
    AreaCall,
    AreaEdit,
    AreaEndEdit,
};

enum class PropertyEdit {
    None,    // shown only
    Choice,  // one of `options`
    Number,  // a whole number from `minimum` to `maximum`
    Text,    // free text
    Action,  // a button that starts `action`
};

struct PropertyRow {
    PropertyRowId id{};
    std::string caption;
    std::string value;  // empty when selected items differ
    PropertyEdit edit = PropertyEdit::None;
    std::vector<std::string> options;  // Choice
    std::optional<int> selected;       // Choice: the option index of the value
    int minimum = 0;                   // Number
    int maximum = 0;
    std::string action;  // Action: "RENAME", "ENDDATE", "GRAPHIC", ...
    bool enabled = true;
    std::string hint;
};

// The selector above the rows: the areas "Win 1" ... in the window editor;
// the text files (the current one selected) while text is edited.
struct PropertyHeader {
    std::vector<std::string> entries;
    std::optional<int> selected;
    bool enabled = false;
    std::string hint;
};

struct PropertyList {
    PropertyHeader header;
    std::vector<PropertyRow> rows;
};

// What the property bar looks at.
struct PropertyContext {
    EditorDocument* document = nullptr;
    TextEditor* editor = nullptr;  // the active edit view's model
    int editMode = 0;
    const FontSet* fonts = nullptr;
    WindowEditSession* window = nullptr;  // the window editor in modes 1 and 2
};

// What the window must do after a row was used.
enum class PropertyRequest {
    None,
    RenamePrompt,          // ask a new name, then call renameCurrentFile()
    CounterDateDialog,     // ask a date, preset with `stamp`, then call setCounterDate()
    OpenGraphicEditor,     // on the graphic named `name` (mode 3)
    ReturnFromGraphic,     // end the graphic editing
    OpenWindowEditor,      // on the window control at the caret (mode 1)
    ChooseAreaFile,        // offer `choices`, then call setAreaCall()
    EditAreaFile,          // the selected area's file became current (mode 2)
    LeaveWindowEditor,     // the leave checks passed: close the window editor
    ReturnToWindowEditor,  // the window file's editing ended (mode 1)
};

struct PropertyResult {
    bool changed = false;  // the document (or the attributes for typing) changed
    PropertyRequest request = PropertyRequest::None;
    TimeStamp stamp;                   // CounterDateDialog
    std::string name;                  // OpenGraphicEditor
    std::vector<std::string> choices;  // ChooseAreaFile
    std::string error;                 // a refusal to show (already shown when a prompter is used)
};

// The rows for the context, in order.
PropertyList buildPropertyList(const PropertyContext& context);

// The hint of a row index (-1: the header) of a built list.
std::string propertyHint(const PropertyList& list, int row);

// A choice (option index) or a typed value (Number and Text rows, as text)
// for a row. Refusals are shown through the prompter.
PropertyResult applyProperty(const PropertyContext& context, PropertyRowId row,
                             const std::string& value, Prompter& prompter);
PropertyResult applyPropertyChoice(const PropertyContext& context, PropertyRowId row, int option,
                                   Prompter& prompter);
// The header selector: another text file (text editing) or area (window editor).
PropertyResult selectHeaderEntry(const PropertyContext& context, int entry);
// An action row was pressed.
PropertyResult propertyAction(const PropertyContext& context, const std::string& keyword,
                              Prompter& prompter);

// The completions of the requests above.
PropertyResult renameCurrentFile(const PropertyContext& context, const std::string& newName,
                                 Prompter& prompter);
PropertyResult setCounterDate(const PropertyContext& context, const CalendarTime& when,
                              Prompter& prompter);
PropertyResult setAreaCall(const PropertyContext& context, const std::string& name,
                           Prompter& prompter);

}  // namespace lumavox
