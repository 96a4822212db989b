// The Insert menu's items and their checks at the caret: the row-pitch rule
// judges the row as it will be after a selection is replaced, and a call is
// checked against the current file.
#include "editing/InsertItems.h"

#include <gtest/gtest.h>

#include "app/AppTestSupport.h"
#include "content/EditRules.h"

namespace lumavox {
namespace {

using test::EditorFixture;

TEST(InsertItems, ARowPitchReplacingTheRowsOwnIsAccepted) {
    EditorFixture f("ab");
    f.editor.setCaret(1);
    EXPECT_EQ(insertChecked(f.editor, makeRowPitchItem(2)), "");
    // A second one in the same row is refused and changes nothing.
    const TextFile before = *f.doc.currentFile();
    bool inserted = true;
    EXPECT_EQ(insertChecked(f.editor, makeRowPitchItem(3), &inserted),
              "Sorry, you can insert only one ROWPITCH in one row");
    EXPECT_FALSE(inserted);
    EXPECT_EQ(*f.doc.currentFile(), before);
    // Selecting the old pitch and inserting a new one replaces it.
    f.editor.select(1, 2);
    EXPECT_EQ(insertChecked(f.editor, makeRowPitchItem(3), &inserted), "");
    EXPECT_TRUE(inserted);
    EXPECT_EQ(f.doc.currentFile()->items[1].params().valueA, 3);
    EXPECT_EQ(f.doc.currentFile()->items.size(), before.items.size());
}

TEST(InsertItems, CountersKeepTheirTargetAndTemperaturesNone) {
    CharItem a;
    a.font = 2;
    a.colour = 3;
    a.flash = 1;
    const TimeStamp target{1, 2, 3, 4, 5, 24};
    const TextItem counter = makeTempCounterItem(33, a, target);
    EXPECT_EQ(TimeStamp::fromBytes(counter.params().name.bytes.data()), target);
    EXPECT_EQ(counter.params().valueB, 2);
    EXPECT_EQ(counter.params().byteE, 1);
    EXPECT_TRUE(makeTempCounterItem(1, a, target).params().name.empty());
}

TEST(InsertItems, AnIncludeIsCheckedAgainstTheCurrentFile) {
    EditorFixture f("ab");
    const std::string self = f.doc.currentFile()->name.str();
    EXPECT_EQ(insertChecked(f.editor, makeIncludeItem(self + "  ")),
              "One text file can't call itself!");
    f.doc.changeWorkArea([](WorkArea& wa) { return addTextFile(wa, "OTHER", CharItem{}).empty(); });
    EXPECT_EQ(insertChecked(f.editor, makeIncludeItem("OTHER")), "");
}

}  // namespace
}  // namespace lumavox
