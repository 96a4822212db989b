// Typing what the font lacks and "Text as Graphic...": the edit model draws it
// into graphics with the computer's real fonts.
#include <gtest/gtest.h>

#include "app/AppTestSupport.h"
#include "content/GraphicRules.h"
#include "render/TextDots.h"

using namespace lumavox;
using test::EditorFixture;

namespace {

// The editor at the end of "ab", typing in SS16 (16 rows).
struct Typing : EditorFixture {
    Typing() : EditorFixture("ab") {
        editor.setCaret(2);
        EXPECT_TRUE(editor.applyFont(4));
    }
    SignTextPainter painter{SignMode::KV2, &test::signFonts(), 16};
    const std::vector<TextItem>& items() const { return doc.currentFile()->items; }
};

}  // namespace

TEST(TextAsGraphic, ARunOfTypedCharactersTheFontLacksIsOneGraphicAndOneUndoStep) {
    Typing t;
    std::string refusal;
    const size_t stepsBefore = t.doc.undoSnapshots();
    ASSERT_TRUE(t.editor.typeDrawn(U"\u4E2D", t.painter, refusal)) << refusal;
    ASSERT_TRUE(t.editor.typeDrawn(U"\u6587", t.painter, refusal)) << refusal;
    ASSERT_EQ(t.items().size(), 4u);  // a b, the graphic, the end marker
    ASSERT_EQ(t.items()[2].kind, kGraphicItem);
    EXPECT_EQ(t.items()[2].params().name.str(), "TXT1");
    ASSERT_EQ(t.doc.work().graphics.size(), 1u);
    EXPECT_EQ(t.doc.work().graphics[0].width, 32);
    EXPECT_EQ(t.doc.work().graphics[0].height, 16);
    EXPECT_EQ(t.editor.caret(), 3u);
    EXPECT_EQ(t.doc.undoSnapshots(), stepsBefore + 1);

    // A pause ends the run: the next character is a graphic of its own.
    t.clock.setTickStep(TextEditor::kTypingPauseMs + 1);
    ASSERT_TRUE(t.editor.typeDrawn(U"\u4E00", t.painter, refusal)) << refusal;
    EXPECT_EQ(t.items()[3].params().name.str(), "TXT2");
    EXPECT_EQ(t.doc.work().graphics.size(), 2u);

    ASSERT_TRUE(t.doc.undo());
    ASSERT_TRUE(t.doc.undo());
    EXPECT_EQ(test::plainText(*t.doc.currentFile()), "ab");
}

TEST(TextAsGraphic, InsertedTextKeepsTheFontsCharactersOrIsDrawnWhole) {
    Typing t;
    std::string refusal;
    ASSERT_TRUE(t.editor.insertText(U"Hi \u4E2D\u6587", t.painter, refusal)) << refusal;
    ASSERT_EQ(t.items().size(), 7u);
    EXPECT_TRUE(t.items()[2].isCharCode('H'));
    EXPECT_EQ(t.items()[5].kind, kGraphicItem);
    EXPECT_EQ(t.editor.caret(), 6u);
    // Drawn whole, the sign's own letters become part of the graphic too.
    ASSERT_TRUE(t.editor.insertText(U"Hi", t.painter, refusal, true)) << refusal;
    EXPECT_EQ(t.items()[6].kind, kGraphicItem);
    EXPECT_EQ(t.doc.work().graphics.size(), 2u);
    EXPECT_EQ(t.doc.work().graphics[1].width, 16);  // Unifont's letters are 8 dots wide
}

TEST(TextAsGraphic, WhenTheWorkAreaIsFullNothingChangesAndTheTextIsNamed) {
    Typing t;
    t.doc.changeWorkArea([](WorkArea& wa) {
        for (int i = 0; i < kMaxGraphics; ++i) {
            std::string refusal;
            EXPECT_TRUE(createGraphic(wa, "G" + std::to_string(i), 1, 1, FixedClock{}, refusal));
        }
        return true;
    });
    const WorkArea before = t.doc.work();
    std::string refusal;
    EXPECT_FALSE(t.editor.typeDrawn(U"\u4E2D", t.painter, refusal));
    EXPECT_NE(refusal.find("\"\u4E2D\""), std::string::npos) << refusal;
    EXPECT_FALSE(t.editor.insertText(U"ok \u6587", t.painter, refusal));
    EXPECT_NE(refusal.find("\"\u6587\""), std::string::npos) << refusal;
    EXPECT_EQ(t.doc.work(), before);
}
