#include <gtest/gtest.h>

#include "support/TestSupport.h"

#include <deque>

#include "content/EditRules.h"
#include "strings/StringTable.h"
#include "strings/TextFormat.h"

using namespace lumavox;

namespace {

using test::ScriptedPrompter;

TextItem ch(uint16_t c) {
    CharItem item;
    item.font = 1;
    item.colour = 1;
    item.character = c;
    return TextItem::character(item);
}

TextItem include(std::string_view name) {
    ControlParams p;
    p.name = Name9(name);
    return TextItem::control(kInclude, p);
}

TextItem window(std::initializer_list<std::string_view> calledFiles) {
    WindowControl w;
    w.layoutType = 9;
    uint8_t order = 0;
    for (auto name : calledFiles) {
        WindowArea a;
        a.valueC = 24;
        a.valueD = 16;
        a.name = Name9(name);
        a.order = order++;
        w.areas.push_back(a);
    }
    return TextItem::window(w);
}

TextItem rowPitch(uint16_t v) {
    ControlParams p;
    p.valueA = v;
    return TextItem::control(kRowPitch, p);
}

// A file with the given items followed by the end-of-text marker.
TextFile file(std::string_view name, std::vector<TextItem> items = {}, uint8_t kind = kTextFile) {
    TextFile f;
    f.kind = kind;
    f.name = Name9(name);
    f.items = std::move(items);
    f.items.push_back(ch(kCR));
    return f;
}

std::vector<std::string> names(const WorkArea& area) {
    std::vector<std::string> out;
    for (const auto& f : area.textFiles)
        out.push_back(f.name.str());
    return out;
}

}  // namespace

// ---- Names and adding files -------------------------------------------------

TEST(EditRulesNames, RefusalsFollowTheNameRules) {
    WorkArea area;
    area.textFiles = {file("NEWS"), file("WIN", {}, kWindowFile)};

    EXPECT_EQ(checkTextFileName(area, ""), "Sorry,file name can't be empty,Please re-enter!");
    EXPECT_EQ(checkTextFileName(area, "   "), text(msg::kNameEmpty));
    EXPECT_EQ(checkTextFileName(area, "DEMO"), "Sorry,you can't use \"DEMO\"  as text file name!");
    EXPECT_EQ(checkTextFileName(area, "DEMO "), text(msg::kNameDemo));
    EXPECT_EQ(checkTextFileName(area, "demo"), "");
    EXPECT_EQ(checkTextFileName(area, "Demo"), "");

    EXPECT_EQ(checkTextFileName(area, "NEWS"), "Sorry,this file name has exist,Please re-enter!");
    EXPECT_EQ(checkTextFileName(area, "NEWS  "), text(msg::kNameExists));
    EXPECT_EQ(checkTextFileName(area, "WIN"), text(msg::kNameExists));  // window files too
    EXPECT_EQ(checkTextFileName(area, "news"), "");

    EXPECT_EQ(checkTextFileName(area, "ABCDEFGH"), "");
    EXPECT_EQ(checkTextFileName(area, "ABCDEFGH   "), "");
    // Longer names are refused, never cut to 8 characters.
    std::string tooLong = checkTextFileName(area, "ABCDEFGHI");
    EXPECT_FALSE(tooLong.empty());
    EXPECT_NE(tooLong, text(msg::kNameExists));
}

TEST(EditRulesAdd, NewFileHoldsOnlyTheMarkerWithTheGivenAttributes) {
    WorkArea area;
    CharItem attrs;
    attrs.font = 2;
    attrs.colour = 3;
    attrs.character = 'x';
    attrs.property = 1;
    attrs.flash = 1;
    TimeStamp stamp{1, 2, 3, 4, 5, 6};
    EXPECT_EQ(addTextFile(area, "NEWS  ", attrs, stamp), "");

    ASSERT_EQ(area.textFiles.size(), 1u);
    const TextFile& f = area.textFiles[0];
    EXPECT_EQ(f.kind, kTextFile);
    EXPECT_EQ(f.name.str(), "NEWS");
    EXPECT_EQ(f.stamp, stamp);
    ASSERT_EQ(f.items.size(), 1u);
    CharItem expected = attrs;
    expected.character = kCR;
    EXPECT_EQ(f.items[0].ch(), expected);

    EXPECT_EQ(addTextFile(area, "NEWS", attrs), text(msg::kNameExists));
    EXPECT_EQ(area.textFiles.size(), 1u);
}

TEST(EditRulesAdd, LimitCountsTextFilesOnly) {
    WorkArea area;
    for (int i = 0; i < 254; ++i)
        area.textFiles.push_back(file("T" + std::to_string(i)));
    for (int i = 0; i < 5; ++i)
        area.textFiles.push_back(file("W" + std::to_string(i), {}, kWindowFile));

    // 254 text files and 5 window files: one more text file still fits.
    EXPECT_EQ(checkCanAddTextFile(area), "");
    EXPECT_EQ(addTextFile(area, "LAST", CharItem{}), "");
    EXPECT_EQ(area.textFileCount(), 255);

    EXPECT_EQ(checkCanAddTextFile(area), "Sorry,The max number of text file is 255!");
    EXPECT_EQ(addTextFile(area, "MORE", CharItem{}), text(msg::kMaxTextFiles));
    // The limit wins over the name check: the user learns the real reason first.
    EXPECT_EQ(addTextFile(area, "", CharItem{}), text(msg::kMaxTextFiles));

    // Window files are not limited by the text file count.
    EXPECT_EQ(addTextFile(area, "WMORE", CharItem{}, {}, kWindowFile), "");
    EXPECT_EQ(area.textFileCount(), 255);
    EXPECT_EQ(area.textFiles.back().kind, kWindowFile);
}

// ---- Deleting files ------------------------------------------------------------

TEST(EditRulesDelete, LastTextFileIsRefusedEvenWithWindowFiles) {
    WorkArea area;
    area.textFiles = {file("W1", {}, kWindowFile), file("ONLY")};
    ScriptedPrompter p{true};

    EXPECT_FALSE(deleteTextFile(area, "ONLY", p));
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_FALSE(p.shown[0].question);
    EXPECT_EQ(p.shown[0].text, "Sorry,the last text file can't be deleted!");
    EXPECT_EQ(area.textFiles.size(), 2u);
}

TEST(EditRulesDelete, UncalledFileIsOnlyConfirmed) {
    WorkArea area;
    area.textFiles = {file("A"), file("B")};
    ScriptedPrompter p{true};
    p.answers = {false};
    EXPECT_FALSE(deleteTextFile(area, "B", p));
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].text, "Are you sure to delete \"B\" text file?");
    EXPECT_EQ(area.textFiles.size(), 2u);

    p.answers = {true};
    EXPECT_TRUE(deleteTextFile(area, "B", p));
    EXPECT_EQ(names(area), (std::vector<std::string>{"A"}));
    EXPECT_FALSE(deleteTextFile(area, "NOPE", p));
}

TEST(EditRulesDelete, CallerQuestionNamesFirstCallerAndNoStops) {
    WorkArea area;
    area.textFiles = {file("X"), file("MAIN", {ch('a'), include("NEWS")}), file("NEWS"),
                      file("OTHER", {include("NEWS")})};
    ScriptedPrompter p{true};
    p.answers = {false};

    EXPECT_FALSE(deleteTextFile(area, "NEWS", p));
    ASSERT_EQ(p.shown.size(), 1u);  // No on the warning: no confirmation asked
    EXPECT_TRUE(p.shown[0].question);
    EXPECT_EQ(p.shown[0].icon, Icon::Exclamation);
    EXPECT_EQ(p.shown[0].text,
              "Because text File \"MAIN\" has called the to be deleted file(\"NEWS\"),if you "
              "delete the \"NEWS\" file,the text File \"MAIN\" will not work normally,so suggest "
              "you delete the call in text file \"MAIN\" firstly! Are you sure to continue this "
              "operation?");
    EXPECT_EQ(area.textFiles.size(), 4u);

    // Yes on the warning leads to the confirmation; only one caller is named.
    p.shown.clear();
    p.answers = {true, true};
    EXPECT_TRUE(deleteTextFile(area, "NEWS", p));
    ASSERT_EQ(p.shown.size(), 2u);
    EXPECT_EQ(p.shown[1].text, "Are you sure to delete \"NEWS\" text file?");
    EXPECT_EQ(names(area), (std::vector<std::string>{"X", "MAIN", "OTHER"}));
    // The calls stay behind; they are the user's to remove.
    EXPECT_EQ(area.textFiles[1].items[1].params().name.str(), "NEWS");
}

TEST(EditRulesDelete, IndirectCallersThroughWindowAreasAndFiles) {
    WorkArea area;
    // TOP shows window file W1, whose content includes MID, which includes NEWS.
    area.textFiles = {file("TOP", {window({"", "W1"})}), file("W1", {include("MID ")}, kWindowFile),
                      file("MID", {include("NEWS")}), file("NEWS")};
    EXPECT_EQ(findCaller(area, "NEWS"), "TOP");
    EXPECT_TRUE(callsFile(area, "TOP", "NEWS"));
    EXPECT_TRUE(callsFile(area, "W1", "NEWS"));
    EXPECT_FALSE(callsFile(area, "NEWS", "TOP"));

    ScriptedPrompter p{true};
    p.answers = {false};
    EXPECT_FALSE(deleteTextFile(area, "NEWS", p));
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].text,
              textf(msg::kDeleteCalledFile, {"TOP", "NEWS", "NEWS", "TOP", "TOP"}));
}

TEST(EditRulesDelete, CaseDifferentNamesAreNotCalls) {
    WorkArea area;
    area.textFiles = {file("A", {include("news")}), file("NEWS")};
    EXPECT_EQ(findCaller(area, "NEWS"), std::nullopt);
}

TEST(EditRulesDelete, CallerSearchEndsOnCyclicWorkArea) {
    WorkArea area;
    // A and B call each other, and B also runs in a window of C: a cycle that
    // does not pass through the doomed file.
    area.textFiles = {file("A", {include("B")}), file("B", {include("A"), include("GONE")}),
                      file("C", {window({"B"})}), file("D")};
    EXPECT_EQ(findCaller(area, "D"), std::nullopt);
    EXPECT_TRUE(callsFile(area, "A", "A"));  // a real path leads back
    EXPECT_FALSE(callsFile(area, "D", "D"));

    ScriptedPrompter p{true};
    p.answers = {true};
    EXPECT_TRUE(deleteTextFile(area, "D", p));
    EXPECT_EQ(p.shown.size(), 1u);

    // A cyclic member itself is doomed: the other member is its caller.
    p.shown.clear();
    p.answers = {false};
    EXPECT_FALSE(deleteTextFile(area, "B", p));
    EXPECT_EQ(p.shown[0].text, textf(msg::kDeleteCalledFile, {"A", "B", "B", "A", "A"}));
}

// ---- Calls ---------------------------------------------------------------------

TEST(EditRulesCalls, SelfAndDirectRecursionAreRefused) {
    WorkArea area;
    area.textFiles = {file("A"), file("B", {include("A")}), file("C")};

    EXPECT_EQ(checkCall(area, "A", "A"), "One text file can't call itself!");
    EXPECT_EQ(checkCall(area, "A ", "A"), text(msg::kCallItself));
    EXPECT_EQ(checkCall(area, "A", "B"),
              "Text File \"B\" has called text File \"A\",so it will come into being a recursion");
    EXPECT_EQ(checkCall(area, "B", "A"), "");  // already there, no cycle
    EXPECT_EQ(checkCall(area, "A", "C"), "");
    EXPECT_EQ(checkCall(area, "a", "B"), "");  // case counts
}

TEST(EditRulesCalls, RecursionThroughWindowsIsRefused) {
    WorkArea area;
    // B shows W in a window; W includes C; C includes A.
    area.textFiles = {file("A"), file("B", {ch('x'), window({"", "W"})}),
                      file("W", {include("C")}, kWindowFile), file("C", {include("A")})};
    EXPECT_EQ(checkCall(area, "A", "B"), textf(msg::kCallRecursion, {"B", "A"}));
    EXPECT_EQ(checkCall(area, "A", "W"), textf(msg::kCallRecursion, {"W", "A"}));
    EXPECT_EQ(checkCall(area, "W", "A"), "");
}

TEST(EditRulesCalls, WalkEndsOnAlreadyCyclicWorkArea) {
    WorkArea area;
    area.textFiles = {file("A"), file("B", {include("C")}), file("C", {window({"B"})}),
                      file("D", {include("D")})};
    EXPECT_EQ(checkCall(area, "A", "B"), "");
    EXPECT_EQ(checkCall(area, "A", "D"), "");
    // The cycle does not hide a path that does reach the caller.
    area.textFiles[2].items.insert(area.textFiles[2].items.begin(), include("A"));
    EXPECT_EQ(checkCall(area, "A", "B"), textf(msg::kCallRecursion, {"B", "A"}));
}

TEST(EditRulesCalls, OnlyTextFilesAreIncludeTargets) {
    WorkArea area;
    area.textFiles = {file("A"), file("W", {}, kWindowFile), file("B")};
    EXPECT_EQ(includeTargets(area), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(directCalls(file("X", {include("A"), window({"W", "", "B"})})),
              (std::vector<std::string>{"A", "W", "B"}));
}

// ---- Renaming ------------------------------------------------------------------

TEST(EditRulesRename, ReferencesEverywhereFollowButRunSequenceKeepsOldName) {
    WorkArea area;
    area.textFiles = {file("MAIN", {include("NEWS "), include("news"), window({"NEWS", "W"})}),
                      file("W", {include("NEWS")}, kWindowFile), file("NEWS")};
    area.runSequence = {"NEWS", "MAIN"};
    ScheduleTask task;
    task.fileName = Name9("NEWS");
    area.tasks = {task};

    EXPECT_EQ(renameTextFile(area, "NEWS", "DAILY"), "");

    EXPECT_EQ(names(area), (std::vector<std::string>{"MAIN", "W", "DAILY"}));
    const auto& main = area.textFiles[0].items;
    EXPECT_EQ(main[0].params().name.str(), "DAILY");
    EXPECT_EQ(main[1].params().name.str(), "news");  // different case: another file
    EXPECT_EQ(main[2].window().areas[0].name.str(), "DAILY");
    EXPECT_EQ(main[2].window().areas[1].name.str(), "W");
    EXPECT_EQ(area.textFiles[1].items[0].params().name.str(), "DAILY");

    EXPECT_EQ(area.runSequence, (std::vector<std::string>{"NEWS", "MAIN"}));
    EXPECT_EQ(area.tasks[0].fileName.str(), "NEWS");
}

TEST(EditRulesRename, RefusedNameChangesNothing) {
    WorkArea area;
    area.textFiles = {file("MAIN", {include("NEWS")}), file("NEWS")};
    const WorkArea before = area;

    EXPECT_EQ(renameTextFile(area, "NEWS", "MAIN"), text(msg::kNameExists));
    EXPECT_EQ(renameTextFile(area, "NEWS", "DEMO"), text(msg::kNameDemo));
    EXPECT_EQ(renameTextFile(area, "NEWS", ""), text(msg::kNameEmpty));
    EXPECT_EQ(area, before);

    // Its own name again is no change and no refusal.
    EXPECT_EQ(renameTextFile(area, "NEWS", "NEWS  "), "");
    EXPECT_EQ(area, before);
    EXPECT_EQ(renameTextFile(area, "NONE", "OTHER"), "");
    EXPECT_EQ(area, before);
}

// ---- Row pitch -----------------------------------------------------------------

TEST(EditRulesRowPitch, OnePerRowBetweenBreaks) {
    TextFile f = file("A", {ch('a'), rowPitch(2), ch('b'), ch(kCR), ch('c'), ch(kLF), ch('d')});
    // Items: 0 a, 1 VS, 2 b, 3 CR, 4 c, 5 LF, 6 d, 7 end marker.
    for (size_t caret : {0u, 1u, 2u, 3u})
        EXPECT_FALSE(canInsertRowPitch(f, caret)) << caret;
    // After the CR a new row starts; LF ends a row just like CR.
    for (size_t caret : {4u, 5u, 6u, 7u, 99u})
        EXPECT_TRUE(canInsertRowPitch(f, caret)) << caret;

    EXPECT_EQ(checkRowPitchInsert(f, 2), "Sorry, you can insert only one ROWPITCH in one row");
    EXPECT_EQ(checkRowPitchInsert(f, 4), "");

    f.items.insert(f.items.begin() + 6, rowPitch(1));  // into the row after the LF
    EXPECT_FALSE(canInsertRowPitch(f, 8));
    EXPECT_TRUE(canInsertRowPitch(f, 5));  // the row "c" LF still has none
}

// ---- Typing --------------------------------------------------------------------

TEST(EditRulesTyping, FontRangeTabAndAttributes) {
    CharItem at;
    at.font = 3;
    at.colour = 127;
    at.property = 2;
    at.flash = 1;
    at.colourWord1 = 0x123456;
    at.character = 'q';

    auto tab = makeTypedChar(9, at, 32, 128);
    ASSERT_TRUE(tab);
    EXPECT_EQ(tab->ch().character, 32);
    EXPECT_EQ(tab->ch().font, 3);
    EXPECT_EQ(tab->ch().colour, 127);
    EXPECT_EQ(tab->ch().property, 2);
    EXPECT_EQ(tab->ch().flash, 1);
    EXPECT_EQ(tab->ch().colourWord1, 0x123456u);

    EXPECT_TRUE(makeTypedChar(127, at, 32, 128));
    EXPECT_FALSE(makeTypedChar(128, at, 32, 128));  // end code is one past the last
    EXPECT_FALSE(makeTypedChar(31, at, 32, 128));
    EXPECT_TRUE(makeTypedChar(kCR, at, 32, 128));
    EXPECT_TRUE(makeTypedChar(kLF, at, 32, 128));
    EXPECT_FALSE(makeTypedChar(9, at, 40, 128));  // the space it becomes is not in the font
}

TEST(EditRulesTyping, InsertAndOverwriteKeepMarkerAndRows) {
    TextFile f = file("A", {ch('a'), ch(kCR), ch('b')});
    // Items: a, CR, b, end marker.
    EXPECT_EQ(placeTypedItem(f, 0, ch('x'), false), 1u);  // insert before 'a'
    EXPECT_EQ(f.items.size(), 5u);
    EXPECT_EQ(f.items[0].ch().character, 'x');
    EXPECT_EQ(f.items[1].ch().character, 'a');

    EXPECT_EQ(placeTypedItem(f, 1, ch('y'), true), 2u);  // overwrite 'a'
    EXPECT_EQ(f.items.size(), 5u);
    EXPECT_EQ(f.items[1].ch().character, 'y');

    EXPECT_EQ(placeTypedItem(f, 2, ch('z'), true), 3u);  // row break is not overwritten
    EXPECT_EQ(f.items.size(), 6u);
    EXPECT_TRUE(f.items[3].isCharCode(kCR));

    const size_t marker = f.items.size() - 1;
    EXPECT_EQ(placeTypedItem(f, marker, ch('e'), true), marker + 1);  // marker survives
    EXPECT_EQ(f.items.size(), 7u);
    EXPECT_TRUE(f.items.back().isCharCode(kCR));
    EXPECT_EQ(f.items[marker].ch().character, 'e');

    const size_t after = placeTypedItem(f, 1000, ch('f'), false);
    EXPECT_EQ(after, f.items.size() - 1);  // right after 'f', on the marker
    EXPECT_EQ(f.items[after - 1].ch().character, 'f');
    EXPECT_TRUE(f.items.back().isCharCode(kCR));
}

TEST(EditRulesCounter, YearMustLieIn2000To2099) {
    EXPECT_EQ(checkCounterYear(1999),
              "Sorry,the year of end date is from 2000 to 2099,please re-select!");
    EXPECT_EQ(checkCounterYear(2000), "");
    EXPECT_EQ(checkCounterYear(2099), "");
    EXPECT_EQ(checkCounterYear(2100), text(msg::kCounterYearRange));
}
