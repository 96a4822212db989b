#include "content/WindowLayout.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

#include <deque>

#include "content/EditRules.h"
#include "strings/StringTable.h"
#include "strings/TextFormat.h"

namespace lumavox {
namespace {

WindowArea area(int x, int y, int w, int h, int order) {
    WindowArea a;
    a.valueA = static_cast<uint16_t>(x);
    a.valueB = static_cast<uint16_t>(y);
    a.valueC = static_cast<uint16_t>(w);
    a.valueD = static_cast<uint16_t>(h);
    a.order = static_cast<uint8_t>(order);
    return a;
}

WindowControl userDefined(std::vector<WindowArea> areas) {
    WindowControl c;
    c.layoutType = kUserDefinedLayout;
    c.areas = std::move(areas);
    return c;
}

std::string withQuestion(const std::string& warning) {
    return warning + "\n" + text(msg::kContinueExitWindow);
}

// ---- Preset layouts ----

TEST(WindowLayoutPresets, Type2SplitsHeightInHalves) {
    EXPECT_EQ(presetLayout(2, 160, 16), (std::vector<AreaRect>{{0, 0, 160, 8}, {0, 8, 160, 16}}));
    // An odd height rounds the half down.
    EXPECT_EQ(presetLayout(2, 160, 15), (std::vector<AreaRect>{{0, 0, 160, 7}, {0, 7, 160, 15}}));
}

TEST(WindowLayoutPresets, AreaCountsAndUnknownTypes) {
    const int counts[] = {1, 2, 2, 3, 3, 3, 3, 4};
    for (int type = 1; type <= 8; ++type)
        EXPECT_EQ(presetLayout(type, 160, 16).size(), static_cast<size_t>(counts[type - 1]));
    EXPECT_TRUE(presetLayout(0, 160, 16).empty());
    EXPECT_TRUE(presetLayout(9, 160, 16).empty());
    EXPECT_EQ(presetLayout(7, 160, 16),
              (std::vector<AreaRect>{{0, 0, 80, 8}, {0, 8, 80, 16}, {80, 0, 160, 16}}));
}

TEST(WindowLayoutPresets, MakeControlConvertsToWidthAndHeight) {
    WindowControl c = makeWindowControl(5, 160, 16);
    EXPECT_EQ(c.layoutType, 5);
    ASSERT_EQ(c.areas.size(), 3u);
    const WindowArea& a2 = c.areas[2];  // w, h, W, H
    EXPECT_EQ(a2.valueA, 80);
    EXPECT_EQ(a2.valueB, 8);
    EXPECT_EQ(a2.valueC, 80);
    EXPECT_EQ(a2.valueD, 8);
    for (size_t k = 0; k < c.areas.size(); ++k) {
        EXPECT_EQ(c.areas[k].order, k);
        EXPECT_EQ(c.areas[k].byteE, 4);
        EXPECT_TRUE(c.areas[k].name.empty());
    }
}

TEST(WindowLayoutPresets, UserDefinedStartsWithOneFullArea) {
    WindowControl c = makeWindowControl(9, 128, 32);
    EXPECT_EQ(c.layoutType, 9);
    ASSERT_EQ(c.areas.size(), 1u);
    EXPECT_EQ(c.areas[0], area(0, 0, 128, 32, 0));
    EXPECT_EQ(c.areas[0].byteE, 0);
}

TEST(WindowLayoutPresets, AlignmentNames) {
    EXPECT_EQ(alignmentName(0), "[H-Left,V-Top]");
    EXPECT_EQ(alignmentName(4), "[H-Center,V-Center]");
    EXPECT_EQ(alignmentName(8), "[H-Right,V-Bottom]");
    EXPECT_TRUE(alignmentName(9).empty());
    EXPECT_TRUE(alignmentName(-1).empty());
}

// ---- Editing ----

TEST(WindowEditorEdit, TabFollowsDisplayOrderAndWraps) {
    WindowControl c =
        userDefined({area(0, 0, 24, 8, 2), area(30, 0, 24, 8, 0), area(60, 0, 24, 8, 1)});
    WindowEditor ed(c, 160, 16);
    ed.selectNext();
    EXPECT_EQ(ed.selected(), 1u);  // order 0
    ed.selectNext();
    EXPECT_EQ(ed.selected(), 2u);  // order 1
    ed.selectNext();
    EXPECT_EQ(ed.selected(), 0u);  // order 2
    ed.selectNext();
    EXPECT_EQ(ed.selected(), 1u);  // wrapped
}

TEST(WindowEditorEdit, ArrowsClampToSign) {
    WindowControl c = userDefined({area(0, 0, 150, 10, 0)});
    WindowEditor ed(c, 160, 16);
    ed.select(0);
    EXPECT_FALSE(ed.move(WindowEditor::Direction::Left));
    EXPECT_FALSE(ed.move(WindowEditor::Direction::Up));
    for (int i = 0; i < 20; ++i)
        ed.move(WindowEditor::Direction::Right);
    for (int i = 0; i < 20; ++i)
        ed.move(WindowEditor::Direction::Down);
    EXPECT_EQ(c.areas[0].valueA, 10);  // 160 - 150
    EXPECT_EQ(c.areas[0].valueB, 6);   // 16 - 10
    EXPECT_TRUE(ed.move(WindowEditor::Direction::Left));
    EXPECT_EQ(c.areas[0].valueA, 9);
}

TEST(WindowEditorEdit, PresetsRefuseMoveAddDeleteSilently) {
    WindowControl c = makeWindowControl(2, 160, 16);
    WindowEditor ed(c, 160, 16);
    test::ScriptedPrompter p;
    ed.select(1);
    EXPECT_FALSE(ed.move(WindowEditor::Direction::Right));
    EXPECT_FALSE(ed.addArea(p));
    EXPECT_FALSE(ed.deleteArea(p));
    EXPECT_TRUE(p.shown.empty());
    EXPECT_EQ(c, makeWindowControl(2, 160, 16));
    EXPECT_TRUE(ed.setAlignment(1, 7));
    EXPECT_EQ(c.areas[1].byteE, 7);
}

TEST(WindowEditorEdit, SetGeometryStaysOnSign) {
    WindowControl c = makeWindowControl(9, 160, 16);
    WindowEditor ed(c, 160, 16);
    ASSERT_TRUE(ed.setGeometry(0, 150, -3, 40, 0));
    EXPECT_EQ(c.areas[0], area(150, 0, 10, 1, 0));
}

TEST(WindowEditorEdit, AddAppendsSelectedEightByEight) {
    WindowControl c = makeWindowControl(9, 160, 16);
    WindowEditor ed(c, 160, 16);
    test::ScriptedPrompter p;
    ASSERT_TRUE(ed.addArea(p));
    ASSERT_EQ(c.areas.size(), 2u);
    WindowArea expected = area(0, 0, 8, 8, 1);
    expected.byteE = 4;
    EXPECT_EQ(c.areas[1], expected);
    EXPECT_EQ(ed.selected(), 1u);
}

TEST(WindowEditorEdit, The256thAreaIsRefused) {
    WindowControl c = makeWindowControl(9, 160, 16);
    WindowEditor ed(c, 160, 16);
    test::ScriptedPrompter p;
    for (int i = 1; i < 255; ++i)
        ASSERT_TRUE(ed.addArea(p));
    EXPECT_EQ(c.areas.size(), 255u);
    EXPECT_EQ(c.areas.back().order, 254);
    EXPECT_TRUE(p.shown.empty());
    EXPECT_FALSE(ed.addArea(p));
    EXPECT_EQ(c.areas.size(), 255u);
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].text, text(msg::kMaxAreas));
    EXPECT_EQ(p.shown[0].icon, Icon::Error);
}

TEST(WindowEditorEdit, DeleteRefusals) {
    WindowControl c = makeWindowControl(9, 160, 16);
    WindowEditor ed(c, 160, 16);
    test::ScriptedPrompter p;
    ed.select(0);
    EXPECT_FALSE(ed.deleteArea(p));  // the only area
    ASSERT_TRUE(ed.addArea(p));
    ed.select(std::nullopt);
    EXPECT_FALSE(ed.deleteArea(p));  // nothing selected
    ASSERT_EQ(p.shown.size(), 2u);
    EXPECT_EQ(p.shown[0].text, text(msg::kLastArea));
    EXPECT_EQ(p.shown[1].text, text(msg::kSelectAreaToDelete));
    EXPECT_EQ(c.areas.size(), 2u);
}

TEST(WindowEditorEdit, DeleteRenumbersAndMovesSelection) {
    WindowControl c = userDefined({area(0, 0, 24, 8, 3), area(30, 0, 24, 8, 0),
                                   area(60, 0, 24, 8, 2), area(90, 0, 24, 8, 1)});
    WindowEditor ed(c, 160, 16);
    test::ScriptedPrompter p;
    ed.select(1);  // order 0
    ASSERT_TRUE(ed.deleteArea(p));
    ASSERT_EQ(c.areas.size(), 3u);
    EXPECT_EQ(c.areas[0].order, 2);
    EXPECT_EQ(c.areas[1].order, 1);
    EXPECT_EQ(c.areas[2].order, 0);
    EXPECT_EQ(ed.selected(), 1u);  // the next area took its place
    ed.select(2);                  // the last in the list
    ASSERT_TRUE(ed.deleteArea(p));
    EXPECT_EQ(ed.selected(), 1u);
    EXPECT_EQ(c.areas[0].order, 1);
    EXPECT_EQ(c.areas[1].order, 0);
}

TEST(WindowEditorEdit, DisplayOrderPassRenumbersUnclicked) {
    WindowControl c = userDefined({area(0, 0, 24, 8, 0), area(30, 0, 24, 8, 1),
                                   area(60, 0, 24, 8, 2), area(90, 0, 24, 8, 3)});
    WindowEditor ed(c, 160, 16);
    ed.beginOrderPass();
    EXPECT_EQ(ed.clickArea(2), WindowEditor::ClickResult::Ordered);
    // Clicked area 2 is first; the others follow in their old order.
    EXPECT_EQ(c.areas[2].order, 0);
    EXPECT_EQ(c.areas[0].order, 1);
    EXPECT_EQ(c.areas[1].order, 2);
    EXPECT_EQ(c.areas[3].order, 3);
    EXPECT_EQ(ed.clickArea(2), WindowEditor::ClickResult::Ignored);
    EXPECT_EQ(ed.clickArea(3), WindowEditor::ClickResult::Ordered);
    EXPECT_EQ(c.areas[3].order, 1);
    EXPECT_EQ(c.areas[0].order, 2);
    EXPECT_EQ(c.areas[1].order, 3);
    EXPECT_EQ(ed.clickArea(1), WindowEditor::ClickResult::Ordered);
    EXPECT_EQ(ed.clickArea(0), WindowEditor::ClickResult::PassEnded);
    EXPECT_FALSE(ed.orderPassActive());
    EXPECT_EQ(c.areas[1].order, 2);
    EXPECT_EQ(c.areas[0].order, 3);
}

TEST(WindowEditorEdit, DisplayOrderPassEndsOnClickOutside) {
    WindowControl c =
        userDefined({area(0, 0, 160, 16, 0), area(30, 0, 24, 8, 1), area(60, 0, 24, 8, 2)});
    WindowEditor ed(c, 160, 16);
    ed.beginOrderPass();
    // The small area lying on the full-screen one is hit first.
    EXPECT_EQ(ed.areaAt(65, 3), 2u);
    EXPECT_EQ(ed.clickArea(ed.areaAt(65, 3)), WindowEditor::ClickResult::Ordered);
    EXPECT_EQ(ed.areaAt(200, 3), std::nullopt);
    EXPECT_EQ(ed.clickArea(ed.areaAt(200, 3)), WindowEditor::ClickResult::PassEnded);
    EXPECT_FALSE(ed.orderPassActive());
    EXPECT_EQ(c.areas[2].order, 0);
    EXPECT_EQ(c.areas[0].order, 1);
    EXPECT_EQ(c.areas[1].order, 2);
}

// ---- Leaving ----

TEST(WindowEditorLeave, OneFullScreenAreaPassesSilently) {
    WindowControl c = makeWindowControl(9, 160, 16);
    test::ScriptedPrompter p;
    EXPECT_TRUE(WindowEditor(c, 160, 16).tryLeave(p));
    EXPECT_TRUE(p.shown.empty());
}

TEST(WindowEditorLeave, PresetsPassSilently) {
    for (int type = 1; type <= 8; ++type) {
        WindowControl c = makeWindowControl(type, 160, 16);
        test::ScriptedPrompter p;
        EXPECT_TRUE(WindowEditor(c, 160, 16).tryLeave(p)) << type;
        EXPECT_TRUE(p.shown.empty()) << type;
    }
}

TEST(WindowEditorLeave, Width23BlocksWidth24DoesNot) {
    WindowControl c = userDefined({area(0, 0, 160, 16, 0), area(10, 0, 23, 8, 1)});
    test::ScriptedPrompter p;
    EXPECT_FALSE(WindowEditor(c, 160, 16).tryLeave(p));
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_FALSE(p.shown[0].question);
    EXPECT_EQ(p.shown[0].icon, Icon::Error);
    EXPECT_EQ(p.shown[0].text, textf(msg::kAreaTooNarrow, {2}));
    EXPECT_NE(p.shown[0].text.find("'WIN2'"), std::string::npos);

    c.areas[1].valueC = 24;
    test::ScriptedPrompter q;
    EXPECT_TRUE(WindowEditor(c, 160, 16).tryLeave(q));
    EXPECT_TRUE(q.shown.empty());
}

TEST(WindowEditorLeave, NoFullScreenAreaAsks) {
    WindowControl c = userDefined({area(0, 0, 80, 16, 0), area(80, 0, 80, 16, 1)});
    test::ScriptedPrompter p;
    p.answers = {false};
    EXPECT_FALSE(WindowEditor(c, 160, 16).tryLeave(p));
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_TRUE(p.shown[0].question);
    EXPECT_EQ(p.shown[0].text, withQuestion(textf(msg::kNoFullScreenArea, {160, 16})));
    EXPECT_NE(p.shown[0].text.find("WIDTH equal to 160,HEIGHT equal to 16)."), std::string::npos);

    test::ScriptedPrompter yes;
    EXPECT_TRUE(WindowEditor(c, 160, 16).tryLeave(yes));
    EXPECT_EQ(yes.shown.size(), 1u);  // the halves share only an edge
}

TEST(WindowEditorLeave, FullScreenNotFirstAsksThenOverlapAsks) {
    WindowControl c = userDefined({area(0, 0, 80, 16, 0), area(0, 0, 160, 16, 1)});
    test::ScriptedPrompter p;
    EXPECT_TRUE(WindowEditor(c, 160, 16).tryLeave(p));
    ASSERT_EQ(p.shown.size(), 2u);
    EXPECT_EQ(p.shown[0].text, withQuestion(textf(msg::kFullScreenNotFirst, {2})));
    // The full-screen area is not order 0, so it takes part in the overlap check.
    EXPECT_EQ(p.shown[1].text, withQuestion(textf(msg::kAreasOverlap, {1, 2})));

    test::ScriptedPrompter no;
    no.answers = {false};
    EXPECT_FALSE(WindowEditor(c, 160, 16).tryLeave(no));
    EXPECT_EQ(no.shown.size(), 1u);
}

TEST(WindowEditorLeave, EdgeSharingIsNoOverlapOneDotIs) {
    // A full-screen first area is left out of the overlap check.
    WindowControl c =
        userDefined({area(0, 0, 160, 16, 0), area(0, 0, 80, 16, 1), area(80, 0, 80, 16, 2)});
    test::ScriptedPrompter p;
    EXPECT_TRUE(WindowEditor(c, 160, 16).tryLeave(p));
    EXPECT_TRUE(p.shown.empty());

    c.areas[1].valueC = 81;
    test::ScriptedPrompter q;
    q.answers = {false};
    EXPECT_FALSE(WindowEditor(c, 160, 16).tryLeave(q));
    ASSERT_EQ(q.shown.size(), 1u);
    EXPECT_EQ(q.shown[0].text, withQuestion(textf(msg::kAreasOverlap, {2, 3})));
}

TEST(WindowEditorLeave, OverlapReportsFirstPairInDisplayOrder) {
    WindowControl c = userDefined({area(0, 0, 160, 16, 0), area(100, 0, 40, 8, 3),
                                   area(0, 0, 40, 8, 1), area(20, 0, 40, 8, 2)});
    test::ScriptedPrompter p;
    EXPECT_TRUE(WindowEditor(c, 160, 16).tryLeave(p));
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].text, withQuestion(textf(msg::kAreasOverlap, {2, 3})));
}

TEST(WindowEditorLeave, PresetOrderZeroCountsAsFullScreen) {
    // Type 4 with its first area shrunk still counts that area as full screen,
    // so neither the full-screen question nor an overlap with it comes up.
    WindowControl c = makeWindowControl(4, 160, 16);
    c.areas[0].valueC = 100;
    test::ScriptedPrompter p;
    EXPECT_TRUE(WindowEditor(c, 160, 16).tryLeave(p));
    EXPECT_TRUE(p.shown.empty());
}

// ---- Window files ----

TEST(WindowFiles, CreateAppendsKind20WithEndMarker) {
    WorkArea work;
    work.colourType = 1;
    FixedClock clock({2024, 5, 6, 7, 8, 9});
    test::ScriptedPrompter p;
    auto idx = createWindowFile(work, "W1", 3, SignMode::KV2, clock, p);
    ASSERT_TRUE(idx.has_value());
    const TextFile& f = work.textFiles[*idx];
    EXPECT_EQ(f.kind, kWindowFile);
    EXPECT_EQ(f.name.str(), "W1");
    EXPECT_EQ(f.stamp, (TimeStamp{9, 8, 7, 6, 5, 24}));
    ASSERT_EQ(f.items.size(), 1u);
    ASSERT_TRUE(f.items[0].isCharCode(kCR));
    EXPECT_EQ(f.items[0].ch().font, 3);
    EXPECT_EQ(f.items[0].ch().colour, 1);
    EXPECT_EQ(f.items[0].ch().property, 0);
    EXPECT_EQ(f.items[0].ch().flash, 0);
    EXPECT_EQ(work.textFileCount(), 0);  // window files are not text files

    auto nvs = createWindowFile(work, "W2", 3, SignMode::NVS, clock, p);
    ASSERT_TRUE(nvs.has_value());
    EXPECT_EQ(work.textFiles[*nvs].items[0].ch().colour, 2);

    work.colourType = 0;
    auto tri = createWindowFile(work, "W3", 3, SignMode::NVS, clock, p);
    ASSERT_TRUE(tri.has_value());
    EXPECT_EQ(work.textFiles[*tri].items[0].ch().colour, 0);
    EXPECT_TRUE(p.shown.empty());
}

TEST(WindowFiles, CreateRefusesBadNames) {
    WorkArea work;
    FixedClock clock;
    test::ScriptedPrompter p;
    ASSERT_TRUE(createWindowFile(work, "W1", 0, SignMode::KV2, clock, p));
    EXPECT_FALSE(createWindowFile(work, "W1", 0, SignMode::KV2, clock, p));
    EXPECT_FALSE(createWindowFile(work, "", 0, SignMode::KV2, clock, p));
    EXPECT_FALSE(createWindowFile(work, "DEMO", 0, SignMode::KV2, clock, p));
    ASSERT_EQ(p.shown.size(), 3u);
    EXPECT_EQ(p.shown[0].text, text(msg::kNameExists));
    EXPECT_EQ(p.shown[1].text, text(msg::kNameEmpty));
    EXPECT_EQ(p.shown[2].text, text(msg::kNameDemo));
    EXPECT_EQ(work.textFiles.size(), 1u);
}

TEST(WindowFiles, DeleteAsksWithQuotedName) {
    WorkArea work;
    FixedClock clock;
    test::ScriptedPrompter p;
    ASSERT_TRUE(createWindowFile(work, "W1", 0, SignMode::KV2, clock, p));
    WindowControl c = makeWindowControl(1, 160, 16);
    ASSERT_TRUE(setAreaCalledFile(work, "MAIN", c, 0, "W1", p));

    EXPECT_FALSE(deleteWindowFile(work, "", p));
    p.answers = {false, true};
    EXPECT_FALSE(deleteWindowFile(work, "W1", p));
    EXPECT_TRUE(deleteWindowFile(work, "W1", p));
    ASSERT_EQ(p.shown.size(), 3u);
    EXPECT_EQ(p.shown[0].text, text(msg::kSelectFileFirst));
    EXPECT_EQ(p.shown[1].text, "Are you sure to delete window file \"W1\"?");
    EXPECT_TRUE(p.shown[1].question);
    EXPECT_TRUE(work.textFiles.empty());
    EXPECT_EQ(c.areas[0].name.str(), "W1");  // callers keep the name
}

TEST(WindowFiles, CalledFileMustBeAWindowFile) {
    WorkArea work;
    TextFile mainFile;
    mainFile.name = "MAIN";
    work.textFiles.push_back(mainFile);
    FixedClock clock;
    test::ScriptedPrompter p;
    ASSERT_TRUE(createWindowFile(work, "W1", 0, SignMode::KV2, clock, p));
    EXPECT_EQ(windowFileNames(work), std::vector<std::string>{"W1"});

    WindowControl c = makeWindowControl(2, 160, 16);
    EXPECT_FALSE(setAreaCalledFile(work, "MAIN", c, 0, "MAIN", p));
    EXPECT_FALSE(setAreaCalledFile(work, "MAIN", c, 5, "W1", p));
    EXPECT_TRUE(p.shown.empty());
    EXPECT_FALSE(areaFileToEdit(c.areas[1], p).has_value());
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].text, text(msg::kPressCall));

    ASSERT_TRUE(setAreaCalledFile(work, "MAIN", c, 1, "W1", p));
    EXPECT_EQ(areaFileToEdit(c.areas[1], p), "W1");
    ASSERT_TRUE(setAreaCalledFile(work, "MAIN", c, 1, "", p));
    EXPECT_TRUE(c.areas[1].name.empty());
}

TEST(WindowFiles, CalledFileMustNotCloseACycle) {
    WorkArea work;
    FixedClock clock;
    test::ScriptedPrompter p;
    ASSERT_TRUE(createWindowFile(work, "W1", 0, SignMode::KV2, clock, p));
    TextFile mainFile;
    mainFile.name = "MAIN";
    mainFile.items.push_back(TextItem::character(CharItem{}));
    work.textFiles.push_back(mainFile);
    // W1 includes MAIN, so a window of MAIN may not call W1.
    ControlParams include;
    include.name = "MAIN";
    auto& w1 = work.textFiles[0].items;
    w1.insert(w1.begin(), TextItem::control(kInclude, include));

    WindowControl c = makeWindowControl(1, 160, 16);
    EXPECT_FALSE(setAreaCalledFile(work, "MAIN", c, 0, "W1", p));
    EXPECT_FALSE(setAreaCalledFile(work, "W1", c, 0, "W1", p));  // a file calling itself
    ASSERT_EQ(p.shown.size(), 2u);
    EXPECT_EQ(p.shown[0].text, checkCall(work, "MAIN", "W1"));
    EXPECT_EQ(p.shown[1].text, checkCall(work, "W1", "W1"));
    EXPECT_FALSE(p.shown[0].text.empty());
    EXPECT_FALSE(p.shown[1].text.empty());
    EXPECT_TRUE(c.areas[0].name.empty());
}

}  // namespace
}  // namespace lumavox
