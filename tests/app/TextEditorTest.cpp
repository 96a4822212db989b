// The edit model of a view: typing in insert and overwrite mode with the
// attributes at the caret, deleting, caret movement, applying attributes to a
// selection, and the clipboard payloads between two documents.
#include "editing/TextEditor.h"

#include <gtest/gtest.h>

#include "app/AppTestSupport.h"
#include "content/Document.h"
#include "render/Layout.h"
#include "strings/StringTable.h"

namespace lumavox {
namespace {

using test::charAttrs;
using test::EditorFixture;
using test::plainText;

const TextFile& file(const EditorFixture& f) {
    return *f.doc.currentFile();
}

const CharItem& charAt(const EditorFixture& f, size_t i) {
    return file(f).items.at(i).ch();
}

// Sets item i's colour directly (a document built with mixed colours).
void colourItem(EditorFixture& f, size_t i, uint8_t colour) {
    f.doc.changeCurrent([&](TextFile& t) {
        t.items[i].ch().colour = colour;
        return true;
    });
}

// ---- Typing ----

TEST(TextEditorTyping, InsertTakesTheAttributesAtTheCaret) {
    EditorFixture f("ab");
    colourItem(f, 1, 2);  // "b" is green
    f.editor.setCaret(2);
    ASSERT_TRUE(f.editor.type('c'));
    EXPECT_EQ(plainText(file(f)), "abc");
    EXPECT_EQ(charAt(f, 2).colour, 2);  // from "b", the character before the caret
    EXPECT_EQ(charAt(f, 2).font, 1);
    EXPECT_EQ(f.editor.caret(), 3u);

    f.editor.setCaret(0);  // nothing before: the item at the caret gives them
    ASSERT_TRUE(f.editor.type('z'));
    EXPECT_EQ(plainText(file(f)), "zabc");
    EXPECT_EQ(charAt(f, 0).colour, 1);
}

TEST(TextEditorTyping, OverwriteReplacesButNeverTheMarkerOrARowEnd) {
    EditorFixture f("ab\rc");
    f.editor.setOverwrite(true);
    f.editor.setCaret(0);
    ASSERT_TRUE(f.editor.type('X'));
    EXPECT_EQ(plainText(file(f)), "Xb\rc");
    ASSERT_TRUE(f.editor.type('Y'));
    ASSERT_TRUE(f.editor.type('Z'));  // the row end stays; Z goes before it
    EXPECT_EQ(plainText(file(f)), "XYZ\rc");
    f.editor.move(TextEditor::Move::FileEnd, false);
    ASSERT_TRUE(f.editor.type('!'));  // at the marker: inserted
    EXPECT_EQ(plainText(file(f)), "XYZ\rc!");
    EXPECT_TRUE(file(f).items.back().isCharCode(kCR));
}

TEST(TextEditorTyping, ChosenAttributesApplyToTheNextCharacters) {
    EditorFixture f("ab");
    f.editor.setCaret(2);
    ASSERT_TRUE(f.editor.applyColour(3));
    ASSERT_TRUE(f.editor.applyProperty(1));
    ASSERT_TRUE(f.editor.applyFlash(1));
    EXPECT_FALSE(f.doc.canUndo());  // nothing in the text changed
    EXPECT_EQ(f.editor.shownAttributes().colour, 3);
    f.editor.type('c');
    f.editor.type('d');
    for (size_t i : {2u, 3u}) {
        EXPECT_EQ(charAt(f, i).colour, 3);
        EXPECT_EQ(charAt(f, i).property, 1);
        EXPECT_EQ(charAt(f, i).flash, 1);
    }
    // Moving the caret drops the choice: the text decides again.
    f.editor.setCaret(1);
    EXPECT_EQ(f.editor.attributes().colour, 1);
}

TEST(TextEditorTyping, TabBecomesSpaceAndUnknownCodesAreRefused) {
    EditorFixture f("");
    EXPECT_TRUE(f.editor.type('\t'));
    EXPECT_FALSE(f.editor.type(31));   // below the font's first code
    EXPECT_FALSE(f.editor.type(195));  // past its last
    EXPECT_TRUE(f.editor.type(194));
    EXPECT_TRUE(f.editor.type(kLF));
    EXPECT_EQ(plainText(file(f)), std::string(" \xC2\n"));
}

TEST(TextEditorTyping, NoFontsNoCharacters) {
    EditorFixture f("");
    f.editor.setFonts(nullptr);
    EXPECT_FALSE(f.editor.type('a'));
    EXPECT_TRUE(f.editor.type(kCR));  // line ends need no glyph
}

TEST(TextEditorTyping, TypingReplacesTheSelection) {
    EditorFixture f("abcd");
    f.editor.setOverwrite(true);
    f.editor.select(1, 3);
    ASSERT_TRUE(f.editor.type('X'));
    EXPECT_EQ(plainText(file(f)), "aXd");  // "d" is not overwritten too
    EXPECT_FALSE(f.editor.hasSelection());
    // One undo step brings the selection's text back.
    f.doc.undo();
    EXPECT_EQ(plainText(file(f)), "abcd");
}

TEST(TextEditorTyping, ARunOfCharactersIsOneUndoStepUntilAPauseOrAnotherChange) {
    EditorFixture f("");
    for (char c : std::string("abc"))
        f.editor.type(static_cast<uint8_t>(c));
    EXPECT_EQ(f.doc.undoSnapshots(), 2u);  // the empty text and the run
    // A pause of a second starts a new step.
    f.clock.setTickStep(TextEditor::kTypingPauseMs);
    f.editor.type('d');
    f.clock.setTickStep(TextEditor::kTypingPauseMs - 1);
    f.editor.type('e');
    f.clock.setTickStep(0);
    EXPECT_EQ(f.doc.undoSnapshots(), 3u);
    // Another change (here a backspace) ends the run too.
    f.editor.backspace();
    f.editor.type('E');
    EXPECT_EQ(f.doc.undoSnapshots(), 5u);
    f.doc.undo();
    EXPECT_EQ(plainText(file(f)), "abcd");
    f.doc.undo();
    f.doc.undo();
    EXPECT_EQ(plainText(file(f)), "abc");
    // A caret moved away and back ends it as well; an undone run is redone whole.
    f.editor.type('x');
    f.editor.move(TextEditor::Move::Left, false);
    f.editor.move(TextEditor::Move::Right, false);
    f.editor.type('y');
    f.doc.undo();
    EXPECT_EQ(plainText(file(f)), "abcx");
    f.doc.undo();
    f.doc.redo();
    EXPECT_EQ(plainText(file(f)), "abcx");
}

TEST(TextEditorTyping, NotEditableChangesNothing) {
    EditorFixture f("ab");
    f.editor.setEditable(false);
    f.editor.selectAll();
    EXPECT_FALSE(f.editor.type('x'));
    EXPECT_FALSE(f.editor.backspace());
    EXPECT_FALSE(f.editor.applyColour(2));
    EXPECT_TRUE(f.editor.cut().items.empty());
    test::ScriptedPrompter p;
    EXPECT_FALSE(f.editor.paste({{}, "zz"}, p));
    EXPECT_EQ(plainText(file(f)), "ab");
}

// ---- Deleting ----

TEST(TextEditorDeleting, BackspaceAndDeleteNeverTakeTheMarker) {
    EditorFixture f("ab");
    f.editor.move(TextEditor::Move::FileEnd, false);
    EXPECT_FALSE(f.editor.deleteForward());
    EXPECT_TRUE(f.editor.backspace());
    EXPECT_TRUE(f.editor.backspace());
    EXPECT_FALSE(f.editor.backspace());
    EXPECT_EQ(file(f).items.size(), 1u);
    f.editor.selectAll();
    EXPECT_FALSE(f.editor.hasSelection());  // the marker alone cannot be selected
}

TEST(TextEditorDeleting, DeleteRemovesTheItemAtTheCaretOrTheSelection) {
    EditorFixture f("abcde");
    f.editor.setCaret(1);
    ASSERT_TRUE(f.editor.deleteForward());
    EXPECT_EQ(plainText(file(f)), "acde");
    EXPECT_EQ(f.editor.caret(), 1u);
    f.editor.select(3, 1);  // backwards
    ASSERT_TRUE(f.editor.backspace());
    EXPECT_EQ(plainText(file(f)), "ae");
    EXPECT_EQ(f.editor.caret(), 1u);
}

TEST(TextEditorDeleting, CaretStaysInsideAfterUndo) {
    EditorFixture f("");
    for (char c : std::string("hel"))
        f.editor.type(static_cast<uint8_t>(c));
    f.editor.endTypingRun();
    for (char c : std::string("lo"))
        f.editor.type(static_cast<uint8_t>(c));
    EXPECT_EQ(f.editor.caret(), 5u);
    f.doc.undo();
    EXPECT_EQ(f.editor.caret(), 3u);  // clamped to the shorter text
    EXPECT_EQ(f.editor.itemAtCaret(), &file(f).items.back());
}

// ---- Caret movement ----

TEST(TextEditorMoving, LeftRightHomeEndByTextRows) {
    EditorFixture f("abc\rdefg\nhi");
    f.editor.setCaret(5);  // before "e"
    f.editor.move(TextEditor::Move::Home, false);
    EXPECT_EQ(f.editor.caret(), 4u);
    f.editor.move(TextEditor::Move::End, false);
    EXPECT_EQ(f.editor.caret(), 8u);  // before the LF
    f.editor.move(TextEditor::Move::Right, true);
    f.editor.move(TextEditor::Move::Right, true);
    EXPECT_EQ(f.editor.selection().first, 8u);
    EXPECT_EQ(f.editor.selection().last, 10u);
    f.editor.move(TextEditor::Move::Left, false);  // collapses to the start
    EXPECT_EQ(f.editor.caret(), 8u);
    EXPECT_FALSE(f.editor.hasSelection());
    f.editor.move(TextEditor::Move::FileEnd, false);
    f.editor.move(TextEditor::Move::Right, false);
    EXPECT_EQ(f.editor.caret(), 11u);  // the marker is the last place
}

TEST(TextEditorMoving, UpDownByTextRowsKeepTheColumn) {
    EditorFixture f("abcdef\rxy\rlmnopq");
    f.editor.setCaret(4);  // column 4 of row 0
    f.editor.move(TextEditor::Move::Down, false);
    EXPECT_EQ(f.editor.caret(), 9u);  // row 1 is shorter: its end
    f.editor.move(TextEditor::Move::Down, false);
    EXPECT_EQ(f.editor.caret(), 12u);  // column 2 of row 2
    f.editor.move(TextEditor::Move::Up, false);
    f.editor.move(TextEditor::Move::Up, false);
    EXPECT_EQ(f.editor.caret(), 2u);
    f.editor.move(TextEditor::Move::Up, false);  // first row: stays
    EXPECT_EQ(f.editor.caret(), 2u);
}

TEST(TextEditorMoving, UpDownFollowTheRenderersRows) {
    // A long text that the layout wraps into several rows on a narrow sign.
    EditorFixture f("aaaa bbbb cccc dddd eeee");
    LayoutOptions options;
    options.editView = true;
    MeasuredFile measured(file(f), test::signFonts(), options);
    ScreenLayout layout(measured, Rect{0, 0, 40, 16}, 0);
    std::vector<Screen> screens;
    while (!layout.atEnd()) {
        Screen s;
        ScreenState state;
        layout.next(s, state);
        screens.push_back(std::move(s));
    }
    RowMap rows = rowMapFromScreens(screens);
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(rows[0].first, 0u);
    for (size_t r = 1; r < rows.size(); ++r)
        EXPECT_EQ(rows[r].first, rows[r - 1].next);

    f.editor.setCaret(rows[0].first + 1);
    f.editor.move(TextEditor::Move::Down, false, &rows);
    EXPECT_EQ(f.editor.caret(), rows[1].first + 1);  // same x on the next row
    f.editor.move(TextEditor::Move::End, false, &rows);
    EXPECT_GE(f.editor.caret(), rows[1].first);
    EXPECT_LT(f.editor.caret(), rows[1].next);
    f.editor.move(TextEditor::Move::Home, false, &rows);
    EXPECT_EQ(f.editor.caret(), rows[1].first);
    f.editor.move(TextEditor::Move::Up, false, &rows);
    EXPECT_EQ(f.editor.caret(), rows[0].first);
}

// ---- Attributes of a selection ----

TEST(TextEditorAttributes, ColourOnAMixedSelection) {
    EditorFixture f("abcd");
    colourItem(f, 0, 1);  // red
    colourItem(f, 1, 2);  // green
    colourItem(f, 2, 1);
    f.editor.select(0, 3);
    ShownAttributes shown = f.editor.shownAttributes();
    EXPECT_FALSE(shown.colour.has_value());  // red and green differ
    EXPECT_EQ(shown.font, 1);
    size_t steps = f.doc.undoSnapshots();
    ASSERT_TRUE(f.editor.applyColour(3));
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(charAt(f, i).colour, 3);
    EXPECT_EQ(charAt(f, 3).colour, 1);  // outside the selection
    EXPECT_EQ(f.editor.shownAttributes().colour, 3);
    EXPECT_EQ(f.doc.undoSnapshots(), steps + 1);  // one undo step
    EXPECT_FALSE(f.editor.applyColour(3));        // nothing left to change
    EXPECT_FALSE(f.editor.applyColour(17));       // not a KV2 colour
}

TEST(TextEditorAttributes, ControlsCarryTheirOwnAttributes) {
    EditorFixture f("ab");
    ControlParams date;  // date/time: B font, C colour, D property, E flash
    date.valueB = 1;
    date.valueC = 1;
    ControlParams graphic;
    graphic.name = "LOGO";
    ControlParams speed;
    speed.valueC = 3;
    f.doc.changeCurrent([&](TextFile& t) {
        t.items.insert(t.items.begin() + 1, TextItem::control(kDateTime, date));
        t.items.insert(t.items.begin() + 2, TextItem::control(kGraphicItem, graphic));
        t.items.insert(t.items.begin() + 3, TextItem::control(kSpeed, speed));
        return true;
    });
    f.editor.select(0, 5);
    ASSERT_TRUE(f.editor.applyColour(2));
    ASSERT_TRUE(f.editor.applyFlash(1));
    const auto& items = file(f).items;
    EXPECT_EQ(items[1].params().valueC, 2);
    EXPECT_EQ(items[1].params().byteE, 1);
    EXPECT_EQ(items[2].params().flash2, 1);  // a graphic takes only the flash
    EXPECT_EQ(items[2].params().valueC, 0);
    EXPECT_EQ(items[3].params().valueC, 3);  // a speed carries no attributes
    EXPECT_EQ(items[4].ch().colour, 2);
}

TEST(TextEditorAttributes, FontsMustExist) {
    EditorFixture f("ab");
    f.editor.selectAll();
    EXPECT_TRUE(f.editor.applyFont(4));
    EXPECT_EQ(charAt(f, 0).font, 4);
    EXPECT_FALSE(f.editor.applyFont(test::signFonts().FontCount()));
    EXPECT_FALSE(f.editor.applyFont(-1));
}

// ---- Clipboard ----

TEST(TextEditorClipboard, ItemsTravelBetweenTwoDocuments) {
    EditorFixture from("Hi\rthere");
    ControlParams move;
    move.valueA = 35;
    from.doc.changeCurrent([&](TextFile& t) {
        t.items.insert(t.items.begin() + 1, TextItem::control(kMove, move));
        return true;
    });
    colourItem(from, 0, 3);
    from.editor.select(0, 5);
    ClipboardPayload payload = from.editor.copy();
    ASSERT_TRUE(payload.hasItems());
    EXPECT_EQ(payload.text, "Hi\r\nt");  // the move item has no text

    EditorFixture to("xy");
    to.editor.setCaret(1);
    test::ScriptedPrompter p(true);
    ASSERT_TRUE(to.editor.paste(payload, p));
    EXPECT_EQ(plainText(file(to)), "xH#i\rty");
    EXPECT_EQ(file(to).items[1].ch().colour, 3);
    EXPECT_EQ(file(to).items[2].kind, kMove);
    EXPECT_EQ(file(to).items[2].params().valueA, 35);
    EXPECT_EQ(to.editor.caret(), 6u);
    to.doc.undo();  // the paste is one step
    EXPECT_EQ(plainText(file(to)), "xy");
}

TEST(TextEditorClipboard, PlainTextTakesTheAttributesAtTheCaret) {
    EditorFixture f("a");
    colourItem(f, 0, 2);
    f.editor.setCaret(1);
    test::ScriptedPrompter p(true);
    ASSERT_TRUE(f.editor.paste({{}, "b\tc\r\nd\x01"}, p));
    EXPECT_EQ(plainText(file(f)), "ab c\rd?");
    for (size_t i = 1; i < 7; ++i)
        EXPECT_EQ(charAt(f, i).colour, 2);
}

TEST(TextEditorClipboard, CutIsCopyAndDelete) {
    EditorFixture f("abc");
    f.editor.select(1, 2);
    ClipboardPayload p = f.editor.cut();
    EXPECT_EQ(p.text, "b");
    EXPECT_EQ(plainText(file(f)), "ac");
    EXPECT_TRUE(f.editor.copy().items.empty());  // nothing selected now
}

TEST(TextEditorClipboard, RefusedPastesChangeNothing) {
    EditorFixture f("ab");
    f.editor.setCaret(1);
    test::ScriptedPrompter p;

    // A block from a newer program.
    ClipboardPayload newer;
    newer.items = encodeClipboardItems({});
    newer.items[4] = 0xB3;  // version 1203
    newer.items[5] = 0x04;
    EXPECT_FALSE(f.editor.paste(newer, p));
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].text, text(msg::kClipboardNewer));

    // A damaged block.
    ClipboardPayload damaged;
    damaged.items = {5, 0, 0, 0, 0xB2, 0x04, 0, 0};
    EXPECT_FALSE(f.editor.paste(damaged, p));
    EXPECT_EQ(p.shown.back().text, text(msg::kUnexpectedFormat));

    // A call of the file itself.
    ControlParams include;
    include.name = "Main";
    std::vector<TextItem> call{TextItem::control(kInclude, include)};
    EXPECT_FALSE(f.editor.paste({encodeClipboardItems(call), ""}, p));
    EXPECT_EQ(p.shown.back().text, text(msg::kCallItself));

    // A second row pitch in a row.
    ControlParams pitch;
    pitch.valueA = 2;
    f.editor.insertItems({TextItem::control(kRowPitch, pitch)});
    std::vector<TextItem> another{TextItem::control(kRowPitch, pitch)};
    EXPECT_FALSE(f.editor.paste({encodeClipboardItems(another), ""}, p));
    EXPECT_EQ(p.shown.back().text, text(msg::kOneRowPitch));
    EXPECT_EQ(plainText(file(f)), "a#b");

    // In another row it is fine.
    f.editor.move(TextEditor::Move::FileEnd, false);
    f.editor.type(kCR);
    EXPECT_TRUE(f.editor.paste({encodeClipboardItems(another), ""}, p));
}

}  // namespace
}  // namespace lumavox
