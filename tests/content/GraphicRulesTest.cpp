#include <gtest/gtest.h>

#include "content/GraphicRules.h"
#include "strings/StringTable.h"
#include "support/TestSupport.h"

using namespace lumavox;

namespace {

TextFile fileWith(std::string_view name, uint8_t kind, std::vector<TextItem> items) {
    TextFile f;
    f.kind = kind;
    f.name = Name9(name);
    items.push_back(TextItem::character(CharItem{}));  // end-of-text marker
    f.items = std::move(items);
    return f;
}

TextItem graphicItem(std::string_view name) {
    GraphicFile g;
    g.name = Name9(name);
    g.width = 8;
    g.height = 8;
    return makeGraphicItem(g);
}

struct GraphicRulesFixture : testing::Test {
    WorkArea wa;
    FixedClock clock{CalendarTime{2023, 11, 2, 8, 9, 10, 4}};
    test::ScriptedPrompter prompter;
    std::string refusal;

    void SetUp() override {
        ASSERT_TRUE(createGraphic(wa, "ARROW", 16, 16, clock, refusal));
        ASSERT_TRUE(createGraphic(wa, "STAR", 8, 8, clock, refusal));
    }
    int itemsNaming(std::string_view name) const {
        int n = 0;
        for (const auto& f : wa.textFiles)
            for (const auto& item : f.items)
                if (item.kind == kGraphicItem && item.params().name.str() == name) ++n;
        return n;
    }
};

}  // namespace

TEST_F(GraphicRulesFixture, CreateMakesAnAllOffStampedGraphic) {
    const GraphicFile& g = wa.graphics.at(0);
    EXPECT_EQ(g.name.str(), "ARROW");
    EXPECT_EQ(g.width, 16);
    EXPECT_EQ(g.height, 16);
    EXPECT_EQ(g.pixels, std::vector<uint32_t>(256, kPixelOff));
    EXPECT_EQ(g.stamp, (TimeStamp{10, 9, 8, 2, 11, 23}));

    TextItem item = makeGraphicItem(g, 1);
    EXPECT_EQ(item.kind, 0xF8);
    EXPECT_EQ(item.params().name.str(), "ARROW");
    EXPECT_EQ(item.params().valueC, 16);
    EXPECT_EQ(item.params().valueD, 16);
    EXPECT_EQ(item.params().flash2, 1);
}

TEST_F(GraphicRulesFixture, CreateRefusesInTheDialogOrder) {
    // Everything wrong at once: the empty name is reported first.
    EXPECT_EQ(newGraphicRefusal(wa, "", 0, 0), "Sorry,file name can't be empty,Please re-enter!");
    EXPECT_EQ(newGraphicRefusal(wa, "  ", 10, 10), text(msg::kNameEmpty));
    EXPECT_EQ(newGraphicRefusal(wa, "ARROW", 161, 0),
              "Sorry,the range of graphic width is from 1 to 160,Please re-enter!");
    EXPECT_EQ(newGraphicRefusal(wa, "ARROW", 0, 5),
              "Sorry,the range of graphic width is from 1 to 160,Please re-enter!");
    EXPECT_EQ(newGraphicRefusal(wa, "ARROW", 160, 17),
              "Sorry,the range of graphic height is from 1 to 16,Please re-enter!");
    EXPECT_EQ(newGraphicRefusal(wa, "ARROW ", 160, 16),
              "Sorry,this file name has exist,Please re-enter!");
    EXPECT_EQ(newGraphicRefusal(wa, "arrow", 160, 16), "");  // case counts

    wa.signWidth = 64;
    wa.signHeight = 32;
    EXPECT_EQ(newGraphicRefusal(wa, "X", 65, 1),
              "Sorry,the range of graphic width is from 1 to 64,Please re-enter!");
    EXPECT_EQ(newGraphicRefusal(wa, "X", 64, 32), "");

    size_t before = wa.graphics.size();
    EXPECT_FALSE(createGraphic(wa, "STAR", 4, 4, clock, refusal));
    EXPECT_EQ(refusal, text(msg::kNameExists));
    EXPECT_EQ(wa.graphics.size(), before);
}

TEST_F(GraphicRulesFixture, NamesLongerThanEightCharactersAreRefusedNotCut) {
    // "ARROWHEAD" cut to 8 would even have been taken as a new "ARROWHEA".
    const std::string tooLong = text(msg::kNameTooLong);
    EXPECT_EQ(newGraphicRefusal(wa, "ARROWHEAD", 8, 8), tooLong);
    EXPECT_EQ(newGraphicRefusal(wa, "ARROWHEA  ", 8, 8), "");      // trailing blanks don't count
    EXPECT_EQ(newGraphicRefusal(wa, "ARROWHEAD", 0, 0), tooLong);  // before the size
    size_t before = wa.graphics.size();
    EXPECT_FALSE(createGraphic(wa, "ARROWHEAD", 8, 8, clock, refusal));
    EXPECT_EQ(refusal, tooLong);
    EXPECT_EQ(wa.graphics.size(), before);

    EXPECT_EQ(renameGraphicRefusal(wa, "STAR", "STARLIGHT"), tooLong);
    EXPECT_FALSE(applyGraphicRename(wa, "STAR", "STARLIGHT", refusal));
    EXPECT_EQ(refusal, tooLong);
    EXPECT_NE(wa.findGraphic("STAR"), nullptr);
    EXPECT_EQ(wa.findGraphic("STARLIGH"), nullptr);
}

TEST_F(GraphicRulesFixture, AtMost255Graphics) {
    while (wa.graphics.size() < 255)
        ASSERT_TRUE(
            createGraphic(wa, "G" + std::to_string(wa.graphics.size()), 1, 1, clock, refusal));
    EXPECT_FALSE(createGraphic(wa, "ONEMORE", 1, 1, clock, refusal));
    EXPECT_EQ(refusal, "Sorry,the max number of graphic file is 255!");
    EXPECT_EQ(wa.graphics.size(), 255u);

    EXPECT_FALSE(mayAddGraphic(wa, prompter));
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, refusal);
    EXPECT_EQ(prompter.shown[0].icon, Icon::Error);
    wa.graphics.pop_back();
    EXPECT_TRUE(mayAddGraphic(wa, prompter));
}

TEST_F(GraphicRulesFixture, GraphicInUseIsNotDeletedAndTheFirstFileIsNamed) {
    wa.textFiles.push_back(fileWith("INTRO", kTextFile, {}));
    wa.textFiles.push_back(fileWith("*F000000", kWindowFile, {graphicItem("STAR   ")}));
    wa.textFiles.push_back(fileWith("MAIN", kTextFile, {graphicItem("STAR")}));

    prompter.answers = {true};
    EXPECT_FALSE(deleteGraphic(wa, "STAR", prompter));
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_TRUE(prompter.shown[0].question);
    EXPECT_EQ(prompter.shown[0].text, "Are you sure to delete graphic STAR?");
    EXPECT_EQ(prompter.shown[1].text,
              "Because this graphic 'STAR' has been inserted into file '*F000000',so can't be "
              "deleted!");
    EXPECT_EQ(prompter.shown[1].icon, Icon::Error);
    EXPECT_NE(wa.findGraphic("STAR"), nullptr);
}

TEST_F(GraphicRulesFixture, DeleteNeedsYesAndAnUnusedGraphic) {
    wa.textFiles.push_back(fileWith("MAIN", kTextFile, {graphicItem("STAR")}));
    prompter.answers = {false, true};
    EXPECT_FALSE(deleteGraphic(wa, "ARROW", prompter));  // No
    EXPECT_EQ(wa.graphics.size(), 2u);
    EXPECT_TRUE(deleteGraphic(wa, "ARROW", prompter));
    EXPECT_EQ(wa.findGraphic("ARROW"), nullptr);
    EXPECT_FALSE(deleteGraphic(wa, "NOSUCH", prompter));
    EXPECT_EQ(prompter.shown.size(), 2u);  // the two questions, nothing else
}

TEST_F(GraphicRulesFixture, RenameUpdatesTextAndWindowFiles) {
    wa.textFiles.push_back(
        fileWith("MAIN", kTextFile, {graphicItem("STAR"), graphicItem("ARROW")}));
    wa.textFiles.push_back(fileWith("*F000001", kWindowFile, {graphicItem("STAR  ")}));
    wa.textFiles.push_back(fileWith("OTHER", kTextFile, {graphicItem("STARS")}));

    prompter.answers = {true};
    EXPECT_TRUE(renameGraphic(wa, "STAR", "SUN", prompter));
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "Are you sure to re-name graphic STAR?");
    EXPECT_EQ(wa.graphics.at(1).name.str(), "SUN");
    EXPECT_EQ(itemsNaming("SUN"), 2);
    EXPECT_EQ(itemsNaming("STARS"), 1);  // a different name stays
    EXPECT_EQ(itemsNaming("ARROW"), 1);
    EXPECT_EQ(wa.textFiles[1].items[0].params().valueC, 8);  // the item keeps its size
}

TEST_F(GraphicRulesFixture, RenameRefusals) {
    wa.textFiles.push_back(fileWith("MAIN", kTextFile, {graphicItem("STAR")}));
    EXPECT_EQ(renameGraphicRefusal(wa, "STAR", ""), text(msg::kNameEmpty));
    EXPECT_EQ(renameGraphicRefusal(wa, "STAR", "ARROW"), text(msg::kNameExists));
    EXPECT_EQ(renameGraphicRefusal(wa, "STAR", "STAR "), "");  // its own name

    prompter.answers = {true, false};
    EXPECT_FALSE(renameGraphic(wa, "STAR", "ARROW", prompter));
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(prompter.shown[1].text, text(msg::kNameExists));
    EXPECT_FALSE(renameGraphic(wa, "STAR", "MOON", prompter));  // No
    EXPECT_EQ(itemsNaming("STAR"), 1);
    EXPECT_NE(wa.findGraphic("STAR"), nullptr);

    EXPECT_FALSE(applyGraphicRename(wa, "NOSUCH", "MOON", refusal));
    EXPECT_TRUE(applyGraphicRename(wa, "STAR", "MOON", refusal));
    EXPECT_EQ(itemsNaming("MOON"), 1);
}
