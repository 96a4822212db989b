// The document object: undo history of ten steps, redo, the modified flag
// following saves and undo, change notification and opening and saving files.
#include "editing/EditorDocument.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/TestSupport.h"

#include "content/EditRules.h"
#include "strings/StringTable.h"

namespace lumavox {
namespace {

using test::appendEnd;
using test::appendText;
using test::charAttrs;

WorkArea twoFiles() {
    WorkArea w;
    TextFile a = test::makeTextFile("Main");
    appendText(a, "AB", charAttrs(1, 1));
    appendEnd(a);
    TextFile b = test::makeTextFile("Second");
    appendEnd(b);
    w.textFiles = {a, b};
    return w;
}

// Appends one character to the current file: one change.
bool addChar(EditorDocument& doc, char c) {
    return doc.changeCurrent([&](TextFile& f) {
        CharItem ch = charAttrs(1, 1);
        ch.character = static_cast<uint8_t>(c);
        f.items.insert(f.items.end() - 1, TextItem::character(ch));
        return true;
    });
}

std::string textOf(const TextFile& f) {
    std::string s;
    for (const TextItem& i : f.items)
        if (i.isChar() && i.ch().character != kCR) s += static_cast<char>(i.ch().character);
    return s;
}

class EditorDocumentTest : public ::testing::Test {
  protected:
    FixedClock clock{test::fixedTime()};
    EditorDocument doc{SignMode::KV2, clock};
    test::TempDir dir;
};

TEST_F(EditorDocumentTest, ElevenChangesLeaveTenUndoSteps) {
    doc.adopt(twoFiles());
    for (char c = 'a'; c < 'a' + 11; ++c)
        ASSERT_TRUE(addChar(doc, c));
    EXPECT_EQ(textOf(*doc.currentFile()), "ABabcdefghijk");

    int steps = 0;
    while (doc.undo())
        ++steps;
    EXPECT_EQ(steps, 10);
    // The state before the first change is gone: the oldest reachable one
    // holds the first change.
    EXPECT_EQ(textOf(*doc.currentFile()), "ABa");
    EXPECT_FALSE(doc.canUndo());
    EXPECT_EQ(doc.undoSnapshots(), 1u);
    EXPECT_EQ(doc.redoSnapshots(), 10u);

    // Redo walks all the way forward again.
    int redone = 0;
    while (doc.redo())
        ++redone;
    EXPECT_EQ(redone, 10);
    EXPECT_EQ(textOf(*doc.currentFile()), "ABabcdefghijk");
}

TEST_F(EditorDocumentTest, UndoRestoresTheStateBeforeEachChange) {
    doc.adopt(twoFiles());
    addChar(doc, 'x');
    addChar(doc, 'y');
    ASSERT_TRUE(doc.undo());
    EXPECT_EQ(textOf(*doc.currentFile()), "ABx");
    ASSERT_TRUE(doc.undo());
    EXPECT_EQ(textOf(*doc.currentFile()), "AB");
    EXPECT_FALSE(doc.undo());
    ASSERT_TRUE(doc.redo());
    EXPECT_EQ(textOf(*doc.currentFile()), "ABx");
}

TEST_F(EditorDocumentTest, NewChangeEmptiesRedo) {
    doc.adopt(twoFiles());
    addChar(doc, 'x');
    addChar(doc, 'y');
    doc.undo();
    EXPECT_TRUE(doc.canRedo());
    addChar(doc, 'z');
    EXPECT_FALSE(doc.canRedo());
    EXPECT_FALSE(doc.redo());
    EXPECT_EQ(textOf(*doc.currentFile()), "ABxz");
}

TEST_F(EditorDocumentTest, ChangeThatChangesNothingIsNoStep) {
    doc.adopt(twoFiles());
    EXPECT_FALSE(doc.changeCurrent([](TextFile&) { return false; }));
    // Claims a change but leaves the items as they were.
    EXPECT_FALSE(doc.changeCurrent([](TextFile&) { return true; }));
    EXPECT_FALSE(doc.canUndo());
    EXPECT_FALSE(doc.modified());
}

TEST_F(EditorDocumentTest, RemovedMarkerComesBack) {
    doc.adopt(twoFiles());
    ASSERT_TRUE(doc.changeCurrent([](TextFile& f) {
        f.items.clear();
        return true;
    }));
    ASSERT_EQ(doc.currentFile()->items.size(), 1u);
    EXPECT_TRUE(doc.currentFile()->items.back().isCharCode(kCR));
}

TEST_F(EditorDocumentTest, ModifiedFollowsSaveAndUndo) {
    doc.adopt(twoFiles());
    EXPECT_FALSE(doc.modified());
    addChar(doc, 'x');
    EXPECT_TRUE(doc.modified());

    std::string error;
    ASSERT_TRUE(doc.saveAs(dir / "doc.glm", error)) << error;
    EXPECT_FALSE(doc.modified());
    EXPECT_EQ(doc.path(), dir / "doc.glm");

    addChar(doc, 'y');
    EXPECT_TRUE(doc.modified());
    // Undoing back to the saved state clears the flag ...
    doc.undo();
    EXPECT_FALSE(doc.modified());
    // ... undoing past it sets it again, and redo back to it clears it.
    doc.undo();
    EXPECT_TRUE(doc.modified());
    doc.redo();
    EXPECT_FALSE(doc.modified());
}

TEST_F(EditorDocumentTest, ChangesUndoCannotReachKeepTheDocumentModified) {
    doc.adopt(twoFiles());
    ASSERT_TRUE(doc.changeWorkArea(
        [](WorkArea& w) { return addTextFile(w, "Third", charAttrs(1, 1)).empty(); }));
    EXPECT_TRUE(doc.modified());
    EXPECT_FALSE(doc.canUndo());  // the file list is no undo step
    std::string error;
    ASSERT_TRUE(doc.saveAs(dir / "doc.glm", error));
    EXPECT_FALSE(doc.modified());
}

TEST_F(EditorDocumentTest, SwitchingFilesKeepsTheModifiedState) {
    doc.adopt(twoFiles());
    ASSERT_TRUE(doc.setCurrentFile("Second"));
    EXPECT_FALSE(doc.modified());  // looking at another file changes nothing
    addChar(doc, 'x');
    ASSERT_TRUE(doc.setCurrentFile(0));
    EXPECT_EQ(doc.currentFile()->name.str(), "Main");
    EXPECT_FALSE(doc.canUndo());  // each file starts its history afresh
    EXPECT_TRUE(doc.modified());
    EXPECT_FALSE(doc.setCurrentFile(7));
    EXPECT_FALSE(doc.setCurrentFile("Nothing"));
}

TEST_F(EditorDocumentTest, RenameFollowsTheCurrentFileAndItsReferences) {
    WorkArea w = twoFiles();
    ControlParams inc;
    inc.name = "Main";
    w.textFiles[1].items.insert(w.textFiles[1].items.begin(), TextItem::control(kInclude, inc));
    doc.adopt(w);
    std::string refusal;
    ASSERT_TRUE(doc.changeWorkArea([&](WorkArea& area) {
        refusal = renameTextFile(area, "Main", "Front");
        return refusal.empty();
    }));
    EXPECT_EQ(doc.currentIndex(), 0);
    EXPECT_EQ(doc.currentFile()->name.str(), "Front");
    EXPECT_EQ(doc.work().textFiles[1].items[0].params().name.str(), "Front");
}

TEST_F(EditorDocumentTest, DeletingTheCurrentFileMovesToTheFirst) {
    doc.adopt(twoFiles());
    doc.setCurrentFile("Second");
    test::ScriptedPrompter yes;
    ASSERT_TRUE(doc.changeWorkArea([&](WorkArea& w) { return deleteTextFile(w, "Second", yes); }));
    EXPECT_EQ(doc.currentFile()->name.str(), "Main");
}

TEST_F(EditorDocumentTest, ListenersHearChanges) {
    doc.adopt(twoFiles());
    std::vector<unsigned> heard;
    int handle = doc.addListener([&](unsigned c) { heard.push_back(c); });
    addChar(doc, 'x');
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_TRUE(heard[0] & kChangedItems);
    EXPECT_TRUE(heard[0] & kChangedModified);  // it became modified
    addChar(doc, 'y');
    EXPECT_FALSE(heard[1] & kChangedModified);  // it already was
    doc.setCurrentFile(1);
    EXPECT_TRUE(heard.back() & kChangedCurrentFile);
    doc.removeListener(handle);
    addChar(doc, 'z');
    EXPECT_EQ(heard.size(), 3u);
}

TEST_F(EditorDocumentTest, ListenerMayRemoveItself) {
    doc.adopt(twoFiles());
    int calls = 0;
    int handle = 0;
    handle = doc.addListener([&](unsigned) {
        ++calls;
        doc.removeListener(handle);
    });
    addChar(doc, 'x');
    addChar(doc, 'y');
    EXPECT_EQ(calls, 1);
}

TEST_F(EditorDocumentTest, SaveAndOpenRoundTrip) {
    doc.adopt(twoFiles());
    addChar(doc, 'x');
    std::string error;
    ASSERT_TRUE(doc.saveAs(dir / "a.glm", error)) << error;

    EditorDocument other(SignMode::KV2, clock);
    ASSERT_TRUE(other.open(dir / "a.glm", {}, error)) << error;
    EXPECT_EQ(other.path(), dir / "a.glm");
    EXPECT_FALSE(other.modified());
    EXPECT_EQ(textOf(*other.currentFile()), "ABx");
    EXPECT_EQ(other.work().textFiles.size(), 2u);
}

TEST_F(EditorDocumentTest, FailedOpenChangesNothing) {
    doc.adopt(twoFiles());
    addChar(doc, 'x');
    { std::ofstream(dir / "bad.glm") << "korvante voxline and more"; }
    std::string error;
    EXPECT_FALSE(doc.open(dir / "bad.glm", {}, error));
    EXPECT_EQ(error, text(msg::kNotOurFile));
    EXPECT_EQ(textOf(*doc.currentFile()), "ABx");
    EXPECT_TRUE(doc.modified());
    EXPECT_TRUE(doc.canUndo());
}

TEST_F(EditorDocumentTest, OpenReportsTheFamilyWarning) {
    EditorDocument nvs(SignMode::NVS, clock);
    nvs.adopt(twoFiles());
    std::string error;
    ASSERT_TRUE(nvs.saveAs(dir / "n.glm", error));
    std::vector<std::string> warnings;
    ASSERT_TRUE(doc.open(dir / "n.glm", {}, error, &warnings));
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], text(msg::kFileIsNvs));
}

TEST_F(EditorDocumentTest, FailedSaveKeepsTheOldFileAndTheFlag) {
    doc.adopt(twoFiles());
    addChar(doc, 'x');
    std::string error;
    EXPECT_FALSE(doc.saveAs(dir / "missing-folder" / "a.glm", error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(doc.modified());
    EXPECT_TRUE(doc.path().empty());
    EXPECT_FALSE(doc.save(error));  // no name yet
}

TEST_F(EditorDocumentTest, EmptyWorkAreaHasNoCurrentFile) {
    doc.adopt(WorkArea{});
    EXPECT_EQ(doc.currentFile(), nullptr);
    EXPECT_FALSE(addChar(doc, 'x'));
    EXPECT_FALSE(doc.undo());
}

}  // namespace
}  // namespace lumavox
