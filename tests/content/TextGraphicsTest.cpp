// Text the sign's fonts lack becomes graphics: splitting, names, the limits,
// and lumavox-cli build's reader, drawn with the computer's real fonts.
#include <gtest/gtest.h>

#include <string>

#include "content/DocumentJson.h"
#include "content/GraphicBody.h"
#include "content/GraphicRules.h"
#include "content/TextGraphics.h"
#include "content/Utf8.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "render/TextDots.h"

using namespace lumavox;

namespace {

const std::u32string kChinese = U"\u4E2D\u6587";

WorkArea signOf(int width, int height) {
    WorkArea wa;
    wa.signWidth = width;
    wa.signHeight = height;
    return wa;
}

CharItem written(uint8_t font, uint8_t colour) {
    CharItem c;
    c.font = font;
    c.colour = colour;
    return c;
}

std::u32string codesOf(const TextPiece& p) {
    return std::u32string(p.codes.begin(), p.codes.end());
}

}  // namespace

TEST(TextGraphics, MixedTextKeepsTheSignsCharactersAndJoinsPhrasesItLacks) {
    auto pieces = splitForSign(U"Hi \u4E2D\u6587, ok \u00E9\u20AC\r" + kChinese + U" a " + kChinese,
                               signCodeOfCharacter);
    ASSERT_EQ(pieces.size(), 6u);
    EXPECT_FALSE(pieces[0].lacking);
    EXPECT_EQ(codesOf(pieces[0]), U"Hi ");
    EXPECT_TRUE(pieces[1].lacking);
    EXPECT_EQ(pieces[1].text, kChinese);
    // The comma and blank are followed by letters the sign has: they stay.
    // The European characters are the sign's own codes 130 and 158.
    EXPECT_EQ(codesOf(pieces[2]), U", ok \u0082\u009E\r");
    EXPECT_EQ(pieces[3].text, kChinese);
    EXPECT_EQ(codesOf(pieces[4]), U" a ");
    EXPECT_EQ(pieces[5].text, kChinese);
    // A blank and punctuation between two lacking characters join them.
    auto phrase = splitForSign(U"\u0645\u0631, \u0628\u0643", signCodeOfCharacter);
    ASSERT_EQ(phrase.size(), 1u);
    EXPECT_EQ(phrase[0].text, U"\u0645\u0631, \u0628\u0643");
}

TEST(TextGraphics, AChineseWordBecomesOneGraphicOfTheFontsRowsNamedUniquely) {
    WorkArea wa = signOf(160, 16);
    std::string refusal;
    ASSERT_TRUE(createGraphic(wa, "TXT1", 1, 1, FixedClock{}, refusal));
    SignTextPainter painter(SignMode::KV2, nullptr, 16);
    FixedClock clock;
    std::vector<TextItem> items;
    std::vector<ConvertedText> converted;
    // Green, code 2 of the KV2 colours.
    ASSERT_TRUE(textToSignItems(wa, U"Hi " + kChinese, written(4, 2), signCodeOfCharacter, painter,
                                clock, items, &converted, refusal))
        << refusal;
    ASSERT_EQ(items.size(), 4u);
    EXPECT_TRUE(items[0].isCharCode('H'));
    ASSERT_EQ(items[3].kind, kGraphicItem);
    EXPECT_EQ(items[3].params().name.str(), "TXT2");
    ASSERT_EQ(wa.graphics.size(), 2u);
    const GraphicFile& g = wa.graphics[1];
    EXPECT_EQ(g.height, 16);
    EXPECT_EQ(g.width, 32);
    EXPECT_EQ(items[3].params().valueC, 32);
    EXPECT_EQ(items[3].params().valueD, 16);
    // Every dot lit in the drawing is green in the graphic, and only those.
    TextDrawing d;
    char32_t missing = 0;
    ASSERT_TRUE(painter.drawer().draw(kChinese, 16, "", d, missing));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x)
            EXPECT_EQ(g.pixels[static_cast<size_t>(x * 16 + y)],
                      d.lit(x, y) ? kPixelGreen : kPixelOff);
    ASSERT_EQ(converted.size(), 1u);
    EXPECT_EQ(converted[0].text, utf8Of(kChinese));
    EXPECT_EQ(converted[0].graphic, "TXT2");
    EXPECT_EQ(textGraphicName(wa), "TXT3");

    // It travels to the sign and back as any graphic does.
    GraphicFile back;
    ASSERT_TRUE(decodeGraphicBody(encodeGraphicBody(g, clock), back, refusal)) << refusal;
    EXPECT_EQ(back.name, g.name);
    EXPECT_EQ(back.pixels, g.pixels);
}

TEST(TextGraphics, The256thGraphicAndTextWiderThanTheSignAreRefusedNamingTheText) {
    WorkArea wa = signOf(40, 16);
    std::string refusal;
    for (int i = 0; i < kMaxGraphics - 1; ++i)
        ASSERT_TRUE(createGraphic(wa, "G" + std::to_string(i), 1, 1, FixedClock{}, refusal));
    SignTextPainter painter(SignMode::KV2, nullptr, 16);
    FixedClock clock;
    std::vector<TextItem> items;
    // The 255th fits; two runs more would be the 256th and 257th.
    ASSERT_TRUE(textToSignItems(wa, kChinese, written(4, 1), signCodeOfCharacter, painter, clock,
                                items, nullptr, refusal));
    EXPECT_EQ(wa.graphics.size(), 255u);
    const WorkArea before = wa;
    EXPECT_FALSE(textToSignItems(wa, U"\u4E00 a \u4E8C", written(4, 1), signCodeOfCharacter,
                                 painter, clock, items, nullptr, refusal));
    EXPECT_NE(refusal.find("255"), std::string::npos) << refusal;
    EXPECT_NE(refusal.find("\"" + utf8Of(U"\u4E00") + "\""), std::string::npos) << refusal;
    EXPECT_EQ(wa, before);
    EXPECT_EQ(items.size(), 1u);

    // 48 dots of text on a sign 40 dots wide, with one graphic free.
    wa.graphics.pop_back();
    const WorkArea fewer = wa;
    EXPECT_FALSE(textToSignItems(wa, U"\u4E00\u4E8C\u4E09", written(4, 1), signCodeOfCharacter,
                                 painter, clock, items, nullptr, refusal));
    EXPECT_NE(refusal.find("48 dots wide"), std::string::npos) << refusal;
    EXPECT_NE(refusal.find("(40 dots)"), std::string::npos) << refusal;
    EXPECT_NE(refusal.find(utf8Of(U"\u4E00\u4E8C\u4E09")), std::string::npos) << refusal;
    EXPECT_EQ(wa, fewer);

    // A text of a million characters, or of as many marks that take no width,
    // is refused as too wide after the drawing's bound, never drawn whole nor
    // cut short into a graphic that fits.
    for (const char32_t c : {U'\u4E00', U'\u0301'}) {
        const std::u32string huge(1'000'000, c);
        EXPECT_FALSE(textToSignItems(wa, U"\u4E00" + huge, written(4, 1), signCodeOfCharacter,
                                     painter, clock, items, nullptr, refusal));
        EXPECT_NE(refusal.find(std::to_string(kMaxTextDrawingWidth + 1) + " dots wide"),
                  std::string::npos)
            << refusal.substr(refusal.size() - 100);
        EXPECT_EQ(wa, fewer);
    }
}

TEST(TextGraphics, BuildDrawsWhatTheSignLacksAfterTheDocumentsOwnGraphics) {
    const std::string json = R"({"signWidth": 160, "signHeight": 16,
        "textFiles": [{"name": "Main", "items": [
            {"type": "char", "font": 4, "text": "Caf\u00e9 \u4e2d\u6587", "flash": 1},
            {"type": "graphic", "name": "TXT1", "valueC": 1, "valueD": 1}]}],
        "graphics": [{"name": "TXT1", "rows": ["R"]}]})";
    const TextPainterFactory painters = signTextPainters(resolveDataDir(std::nullopt));
    WorkAreaFromJson made;
    std::string error;
    ASSERT_TRUE(readWorkAreaJson(json, SignMode::KV2, made, error, &painters)) << error;
    const auto& items = made.work.textFiles[0].items;
    ASSERT_EQ(items.size(), 8u);  // C a f é blank, the graphic, TXT1, the end marker
    EXPECT_TRUE(items[3].isCharCode(130));
    ASSERT_EQ(items[5].kind, kGraphicItem);
    EXPECT_EQ(items[5].params().name.str(), "TXT2");
    EXPECT_EQ(items[5].params().flash2, 1);
    EXPECT_TRUE(items[5].params().text.empty());
    EXPECT_EQ(items[6].params().name.str(), "TXT1");
    ASSERT_EQ(made.work.graphics.size(), 2u);
    EXPECT_EQ(made.work.graphics[1].height, 16);  // SS16, the fourth font of the file
    ASSERT_EQ(made.converted.size(), 1u);
    EXPECT_EQ(made.converted[0].graphic, "TXT2");

    // Without a painter the text is refused at its place, and only a
    // character item's text may hold such characters.
    EXPECT_FALSE(readWorkAreaJson(json, SignMode::KV2, made, error));
    EXPECT_EQ(error, "$.textFiles[0].items[0].text: U+4E2D is no character of the sign's fonts");
    EXPECT_FALSE(readWorkAreaJson(
        R"({"textFiles": [{"name": "\u4e2d", "items": [{"type": "char", "text": "A"}]}]})",
        SignMode::KV2, made, error, &painters));
    EXPECT_EQ(error,
              "$.textFiles[0].name: characters above U+00FF cannot be held in single-byte text");
    EXPECT_FALSE(readWorkAreaJson(
        R"({"textFiles": [{"name": "A", "items": [{"type": "char", "character": 63, "text": "\u4e2d"}]}]})",
        SignMode::KV2, made, error, &painters));
    EXPECT_EQ(error, "$.textFiles[0].items[0].text: does not match character 63");
}
