// The edit model of one edit view: caret, selection, insert or overwrite,
// typing with the attributes at the caret, deleting, caret movement, applying a
// font, colour, property or flash, and the clipboard payloads.
//
// The caret stands before the item with its index; the item "at the caret" is
// that item. It moves over 0 .. the index of the end-of-text marker, which is
// never deleted, selected or copied. Every change goes through the document,
// so each is one undo step; the model follows changes made elsewhere (undo,
// another view) by keeping the caret and selection inside the file.
//
// A run of typed characters is one undo step: it ends when the caret moves,
// after a pause of kTypingPauseMs (by the document's clock), and with any other
// change or command (the window calls endTypingRun() for every command).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "content/Model.h"
#include "content/Prompter.h"
#include "editing/EditorDocument.h"

namespace lumavox {

class FontSet;
class TextPainter;
struct Screen;

// The name under which the editor's items travel on the clipboard.
constexpr const char* kClipboardItemFormat = "NEWLUMAVOX Paint";

// What copy and cut produce and paste accepts: the item block of the document
// layer (item count, version, items) and single-byte plain text (CR LF for a
// row end, LF for a new page; control items are left out). Paste prefers the
// items when both are present.
struct ClipboardPayload {
    std::vector<uint8_t> items;  // empty: no item block
    std::string text;
    bool hasItems() const { return !items.empty(); }
    bool hasText() const { return !text.empty(); }
};

// The rows of the edit view as the renderer laid them out, top to bottom: the
// items of each row and the left edge of each in dots. Up and Down keep the
// caret's horizontal position from row to row.
struct CaretRow {
    size_t first = 0;       // first item of the row
    size_t next = 0;        // first item after it
    std::vector<int> left;  // left edge of items first .. next - 1
    int right = 0;          // right edge of the last item
};
using RowMap = std::vector<CaretRow>;

// The rows of laid-out screens (render/Layout.h), one per line, in order.
RowMap rowMapFromScreens(std::span<const Screen> screens);

// The attributes the property bar shows: a value is empty when the selected
// items differ in it (or none carries it).
struct ShownAttributes {
    std::optional<int> font;
    std::optional<int> colour;
    std::optional<int> property;
    std::optional<int> flash;
};

class TextEditor {
  public:
    // A pause this long between two typed characters starts a new undo step.
    static constexpr uint64_t kTypingPauseMs = 1000;

    enum class Move { Left, Right, Home, End, Up, Down, FileStart, FileEnd };

    // A selection [first, last): item indices, never including the marker.
    struct Range {
        size_t first = 0;
        size_t last = 0;
        bool empty() const { return first >= last; }
        size_t size() const { return empty() ? 0 : last - first; }
    };

    explicit TextEditor(EditorDocument& document);
    ~TextEditor();
    TextEditor(const TextEditor&) = delete;
    TextEditor& operator=(const TextEditor&) = delete;

    EditorDocument& document() const { return doc_; }

    // The fonts the view loaded (null: none, then no character can be typed).
    void setFonts(const FontSet* fonts) { fonts_ = fonts; }
    const FontSet* fonts() const { return fonts_; }

    // Whether this view may change the text (text editing allowed, see
    // EditModes.h). Every change below returns false while it may not.
    void setEditable(bool editable) { editable_ = editable; }
    bool editable() const { return editable_; }

    // ---- Caret and selection ----

    size_t caret() const { return caret_; }
    size_t anchor() const { return anchor_; }
    Range selection() const;
    bool hasSelection() const { return !selection().empty(); }
    // Puts the caret before item `index` (clamped to the marker); with `extend`
    // the selection runs from the anchor to it, else the selection is dropped.
    void setCaret(size_t index, bool extend = false);
    // Selects [first, last) with the caret at `last`.
    void select(size_t first, size_t last);
    void selectAll();
    // Moves the caret; Up and Down need the view's rows (without them they go by
    // the rows that CR and LF items end). Home and End go to the start and end
    // of the caret's row likewise.
    void move(Move how, bool extend, const RowMap* rows = nullptr);

    // The item the caret stands before (the marker at the end); null when the
    // document has no current file.
    const TextItem* itemAtCaret() const;

    // ---- Insert and overwrite ----

    bool overwrite() const { return overwrite_; }
    void setOverwrite(bool on) { overwrite_ = on; }
    void toggleOverwrite() { overwrite_ = !overwrite_; }

    // ---- Attributes ----

    // The attributes in force at the caret, which the next typed character
    // receives: those chosen with nothing selected since the caret last moved,
    // else those of the nearest character (or date/time, temperature, counter
    // item) before the caret, else of the item at the caret.
    CharItem attributes() const;
    // What the property bar shows: the selected items' common attributes (a
    // graphic carries only its flash), or those at the caret.
    ShownAttributes shownAttributes() const;

    // Applies a font, colour, property (0 normal, 1 bold, 2 widen) or flash
    // (0, 1) to every selected item that carries it, as one undo step; with
    // nothing selected it becomes the attribute for typing. False for a value
    // outside its table (fonts: outside the loaded set), when nothing changed,
    // or when the view may not edit.
    bool applyFont(int font);
    bool applyColour(int colour);
    bool applyProperty(int property);
    bool applyFlash(int flash);

    // ---- Typing and deleting ----

    // Types a character: a selection is replaced; insert mode inserts before
    // the item at the caret, overwrite mode replaces it (never the marker or a
    // row end); the caret moves after the new item. False when the current font
    // does not hold the character (the caller beeps) or the view may not edit.
    bool type(uint16_t character);
    // The next typed character starts a new undo step.
    void endTypingRun() {
        run_.reset();
        drawn_.reset();
    }
    // Types characters the current font lacks: they are drawn by `painter`
    // into one new graphic whose item goes where a typed character would.
    // Typed again straight after (as a typed run continues), the characters
    // join the same drawing: its graphic is drawn anew with the whole run and
    // the step joins the last one. Refusals as for insertText.
    bool typeDrawn(std::u32string_view text, TextPainter& painter, std::string& refusal);

    // Deletes the selection, else the item before the caret.
    bool backspace();
    // Deletes the selection, else the item at the caret (never the marker).
    bool deleteForward();
    // Inserts items at the caret, replacing the selection, as one undo step;
    // the caret ends after them.
    bool insertItems(std::vector<TextItem> items);
    // Inserts text in the attributes at the caret, replacing the selection, as
    // one undo step: what the current font holds as characters, each run it
    // lacks (with `drawAll`, the whole text) drawn by `painter` into a new
    // graphic with its graphic item (content/TextGraphics.h). The new graphics
    // stay when the step is undone, as a graphic made by hand does. A refusal
    // (255 graphics, wider than the sign, a character no font has) goes to
    // `refusal` and nothing changes; false with an empty refusal when the
    // view may not edit.
    bool insertText(std::u32string_view text, TextPainter& painter, std::string& refusal,
                    bool drawAll = false);

    // ---- Clipboard ----

    // The selection as item block and plain text; empty without a selection.
    ClipboardPayload copy() const;
    // Copy, then delete the selection (one undo step).
    ClipboardPayload cut();
    // Inserts the payload at the caret, replacing the selection: the item block
    // when present, else the plain text in the attributes at the caret. A block
    // of a newer version, a damaged block, a call that would make the file call
    // itself, or a second row pitch in one row is refused with its message
    // through the prompter, and nothing changes.
    bool paste(const ClipboardPayload& payload, Prompter& prompter);

  private:
    const TextFile* file() const { return doc_.currentFile(); }
    size_t markerIndex() const;
    void clamp();
    void caretMoved();
    std::pair<int, int> fontCodes(int font) const;
    bool replaceSelection(std::vector<TextItem> items, bool typed, bool joinLast = false);
    template <typename Fn>
    bool applyAttribute(Fn apply, int value, bool valid);

    EditorDocument& doc_;
    int listener_ = 0;
    const FontSet* fonts_ = nullptr;
    bool editable_ = true;
    bool overwrite_ = false;
    size_t caret_ = 0;
    size_t anchor_ = 0;
    std::optional<CharItem> chosen_;  // attributes chosen with nothing selected
    // The typed run going on: where its last character left the caret, the
    // document's state after it and when it was typed.
    struct TypingRun {
        size_t caret = 0;
        uint64_t serial = 0;
        uint64_t tickMs = 0;
    };
    std::optional<TypingRun> run_;
    // The typed run drawn as a graphic: where it left the caret, the state
    // after it, when, its text, attributes and graphic.
    struct DrawnRun {
        size_t caret = 0;
        uint64_t serial = 0;
        uint64_t tickMs = 0;
        std::u32string text;
        CharItem attributes;
        std::string graphic;
    };
    std::optional<DrawnRun> drawn_;
};

}  // namespace lumavox
