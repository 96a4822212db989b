#include <gtest/gtest.h>

#include <fstream>

#include "FontBuilder.h"
#include "render/FontSet.h"
#include "render/GlyphWiden.h"
#include "strings/StringTable.h"
#include "strings/TextFormat.h"
#include "support/TestSupport.h"

namespace lumavox {
namespace {

using test::fontFileBytes;
using test::ScriptedPrompter;
using test::TempDir;
using test::TestFont;
using test::TestGlyph;
using test::uniformFont;

using Bytes = std::vector<uint8_t>;

void writeBytes(const std::filesystem::path& path, const Bytes& b) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

struct Loaded {
    FontSet fonts;
    ScriptedPrompter prompter;
};

void load(Loaded& l, const Bytes& b) {
    l.fonts.LoadBytes(b, "fonts.bin", &l.prompter);
}

std::string lengthMessage() {
    return textf(msg::kFontLengthWrong, {"fonts.bin"});
}

TEST(FontSet, ReadsFourAndFiveCharacterNames) {
    Loaded l;
    load(l, fontFileBytes({uniformFont("SS7", 7, 32, 3, 5), uniformFont("ABCDE", 9, 65, 2, 6)}));
    EXPECT_TRUE(l.prompter.shown.empty());
    ASSERT_TRUE(l.fonts.IsLoaded());
    ASSERT_EQ(l.fonts.FontCount(), 2);
    EXPECT_EQ(l.fonts.FontName(0), "SS7");
    EXPECT_EQ(l.fonts.FontName(1), "ABCDE");
    // The fifth character is followed directly by the height byte.
    EXPECT_EQ(l.fonts.FontHeight(1), 9);
    EXPECT_EQ(l.fonts.FirstCode(1), 65);
    EXPECT_EQ(l.fonts.EndCode(1), 67);
    EXPECT_EQ(l.fonts.headerValue(), 7);
}

TEST(FontSet, FileEndingAtTheLastGlyphOrOneByteLaterLoadsQuietly) {
    Bytes b = fontFileBytes({uniformFont("AB", 5, 32, 4, 3)});
    for (int extra = 0; extra <= 1; ++extra) {
        Loaded l;
        Bytes withExtra = b;
        withExtra.resize(b.size() + static_cast<size_t>(extra), 0x55);
        load(l, withExtra);
        EXPECT_TRUE(l.prompter.shown.empty()) << extra;
        EXPECT_EQ(l.fonts.FontCount(), 1);
    }
}

TEST(FontSet, TwoToNineTrailingBytesReportTheLengthButKeepTheFonts) {
    Bytes b = fontFileBytes({uniformFont("AB", 5, 32, 4, 3)});
    for (int extra = 2; extra <= 9; ++extra) {
        Loaded l;
        Bytes withExtra = b;
        withExtra.resize(b.size() + static_cast<size_t>(extra), 0);
        load(l, withExtra);
        ASSERT_EQ(l.prompter.shown.size(), 1u) << extra;
        EXPECT_EQ(l.prompter.shown[0].text, lengthMessage());
        EXPECT_EQ(l.prompter.shown[0].icon, Icon::Error);
        EXPECT_TRUE(l.fonts.IsLoaded());
        EXPECT_EQ(l.fonts.FontCount(), 1);
    }
    // Ten bytes from a zero byte make an end-of-list marker.
    Loaded l;
    Bytes withMarker = b;
    withMarker.resize(b.size() + 10, 0);
    load(l, withMarker);
    EXPECT_TRUE(l.prompter.shown.empty());
    EXPECT_EQ(l.fonts.FontCount(), 1);
}

TEST(FontSet, TruncatedRecordIsReportedAndNotAdded) {
    Bytes b = fontFileBytes({uniformFont("AB", 5, 32, 4, 3), uniformFont("CD", 7, 32, 40, 5)});
    b.resize(b.size() - 3);  // the second font's glyphs run past the end
    Loaded l;
    load(l, b);
    ASSERT_EQ(l.prompter.shown.size(), 1u);
    EXPECT_EQ(l.prompter.shown[0].text, lengthMessage());
    EXPECT_TRUE(l.fonts.IsLoaded());
    ASSERT_EQ(l.fonts.FontCount(), 1);
    EXPECT_EQ(l.fonts.FontName(0), "AB");
    EXPECT_EQ(l.fonts.FindFont("CD"), -1);
}

TEST(FontSet, BadHeadersAreReportedWithTheBytesFound) {
    for (const Bytes& b : {Bytes{'K', 'R', 'V', 'F', 'O', 'N', 'T', 'S'},  // 8 bytes: too short
                           Bytes{'K', 'R', 'V', 'F', 'O', 'N', 'T', 'X', 0, 0, 0}}) {
        Loaded l;
        load(l, b);
        ASSERT_EQ(l.prompter.shown.size(), 2u);
        std::string found(b.begin(), b.begin() + 8);
        EXPECT_EQ(l.prompter.shown[0].text, "The head of font file error!-" + found);
        EXPECT_EQ(l.prompter.shown[1].text,
                  "This font file(fonts.bin) isn't a right font file,Can't read font data!");
        EXPECT_FALSE(l.fonts.IsLoaded());
        EXPECT_EQ(l.fonts.FontCount(), -1);
        EXPECT_EQ(l.fonts.FindFont("SS7"), -1);
    }
    // Nine bytes: a valid header without a header value, and no fonts.
    Loaded l;
    load(l, Bytes{'K', 'R', 'V', 'F', 'O', 'N', 'T', 'S', 0});
    EXPECT_TRUE(l.prompter.shown.empty());
    EXPECT_TRUE(l.fonts.IsLoaded());
    EXPECT_EQ(l.fonts.FontCount(), -1);
}

TEST(FontSet, LoadReportsAFileThatCannotBeOpened) {
    TempDir dir;
    Loaded l;
    l.fonts.Load(dir / "none.bin", &l.prompter);
    ASSERT_EQ(l.prompter.shown.size(), 1u);
    EXPECT_EQ(l.prompter.shown[0].text,
              "Open font file(" + (dir / "none.bin").string() + ") failed,Can't read font data!");
    EXPECT_FALSE(l.fonts.IsLoaded());
    // A folder is not a font file either.
    Loaded d;
    d.fonts.Load(dir.path(), &d.prompter);
    EXPECT_EQ(d.prompter.shown.size(), 1u);
    // A good file from disk, loaded twice: the second load replaces the first.
    writeBytes(dir / "good.bin", fontFileBytes({uniformFont("SS7", 7, 32, 3, 5)}));
    Loaded g;
    g.fonts.Load(dir / "good.bin", &g.prompter);
    g.fonts.Load(dir / "good.bin", &g.prompter);
    EXPECT_TRUE(g.prompter.shown.empty());
    EXPECT_EQ(g.fonts.FontCount(), 1);
    EXPECT_EQ(g.fonts.path(), dir / "good.bin");
}

TEST(FontSet, GlyphPaddingIsDroppedAndShortRowsAreZeroFilled) {
    TestFont padded{"PAD", 2, 2, 65, {{5, {0xF8, 0xAA, 0x88, 0x55}}}};  // R 2, W 5
    TestFont shortRows{"SHORT", 2, 1, 65, {{12, {0xFF, 0x81}}}};        // R 1, W 12
    Loaded l;
    load(l, fontFileBytes({padded, shortRows}));
    int rowBytes = 0;
    Bytes bitmap;
    EXPECT_EQ(l.fonts.GetGlyph(0, 'A', 0, kNoMarker, rowBytes, bitmap), (GlyphSize{5, 2}));
    EXPECT_EQ(rowBytes, 1);  // the stride of the bitmap handed out
    EXPECT_EQ(bitmap, (Bytes{0xF8, 0x88}));
    EXPECT_EQ(l.fonts.GetGlyph(1, 'A', 0, kNoMarker, rowBytes, bitmap), (GlyphSize{12, 2}));
    EXPECT_EQ(rowBytes, 2);
    EXPECT_EQ(bitmap, (Bytes{0xFF, 0x00, 0x81, 0x00}));
}

TEST(FontSet, BoldAndDoubleWidthWidths) {
    TestFont f{"W", 1, 1, 65, {{5, {0xA8}}, {4, {0x90}}, {0, {0x00}}}};
    Loaded l;
    load(l, fontFileBytes({f}));
    int rowBytes = 0;
    Bytes bitmap;
    // Bold of a 5-dot glyph: 6 wide, every lit dot also lights its right neighbour.
    EXPECT_EQ(l.fonts.GetGlyph(0, 'A', 1, kNoMarker, rowBytes, bitmap).width, 6);
    EXPECT_EQ(rowBytes, 1);
    EXPECT_EQ(bitmap, (Bytes{0xFC}));
    // Double width of a 5-dot glyph: 9 wide in 2 bytes.
    EXPECT_EQ(l.fonts.GetGlyph(0, 'A', 2, kNoMarker, rowBytes, bitmap).width, 9);
    EXPECT_EQ(rowBytes, 2);
    EXPECT_EQ(bitmap, (Bytes{0xCC, 0xC0}));
    // Double width of a 4-dot glyph: 7 wide in 1 byte.
    EXPECT_EQ(l.fonts.GetGlyph(0, 'B', 2, kNoMarker, rowBytes, bitmap).width, 7);
    EXPECT_EQ(rowBytes, 1);
    EXPECT_EQ(bitmap, (Bytes{0xC3}));
    EXPECT_EQ(l.fonts.DrawnWidth(0, 'A', 1), 6);
    EXPECT_EQ(l.fonts.DrawnWidth(0, 'A', 2), 9);
    // An empty glyph stays empty.
    EXPECT_EQ(l.fonts.GetGlyph(0, 'C', 1, kNoMarker, rowBytes, bitmap).width, 0);
    EXPECT_EQ(l.fonts.GetGlyph(0, 'C', 2, kNoMarker, rowBytes, bitmap).width, 0);
}

TEST(GlyphWiden, RowsShorterThanTheGlyphCountAsEightDotsPerStoredByte) {
    // W 12 stored in R 1: the glyph counts as 8 dots.
    EXPECT_EQ(widenedWidth(12, 1, 1), 9);
    EXPECT_EQ(widenedWidth(12, 1, 2), 16);
    EXPECT_EQ(widenedWidth(12, 2, 1), 13);
    EXPECT_EQ(widenedWidth(12, 2, 2), 23);
    EXPECT_EQ(widenedWidth(13, 2, 2), 25);
    // Bold carries the last dot of a byte into the next one.
    Bytes out;
    const uint8_t src[] = {0x01, 0x80};
    EXPECT_EQ(widenGlyph(src, 9, 1, 2, 1, out), 10);
    EXPECT_EQ(out, (Bytes{0x01, 0xC0}));
    // Double width of 12 dots in 2 bytes: the short last byte fits the high byte.
    const uint8_t twelve[] = {0x80, 0x10};
    EXPECT_EQ(widenGlyph(twelve, 12, 1, 2, 2, out), 23);
    EXPECT_EQ(out, (Bytes{0xC0, 0x00, 0x03}));
}

TEST(FontSet, LookupsAndTheirNeutralResults) {
    Loaded l;
    load(l, fontFileBytes({uniformFont("SS5", 5, 32, 10, 4), uniformFont("SS7", 7, 32, 95, 5)}));
    EXPECT_EQ(l.fonts.FindFont("ss7"), 1);
    EXPECT_EQ(l.fonts.FindFont("Ss5"), 0);
    EXPECT_EQ(l.fonts.FindFont("SS16"), -1);
    EXPECT_EQ(l.fonts.FontName(2), "");
    EXPECT_EQ(l.fonts.FontName(-1), "");
    EXPECT_EQ(l.fonts.FontHeight(1, 3), 10);
    EXPECT_EQ(l.fonts.FontHeight(5, 3), 10);  // base + 7 for no font
    EXPECT_EQ(l.fonts.FontHeight(0, 0), 5);
    EXPECT_EQ(l.fonts.EndCode(1), 127);
    EXPECT_TRUE(l.fonts.HasChar(1, 'A'));
    EXPECT_FALSE(l.fonts.HasChar(1, 127));
    EXPECT_FALSE(l.fonts.HasChar(1, 31));
    EXPECT_TRUE(l.fonts.HasChar(1, 13));  // line ends exist in every font
    EXPECT_TRUE(l.fonts.HasChar(1, 10));
    EXPECT_FALSE(l.fonts.HasChar(7, 13));
    EXPECT_EQ(l.fonts.CharExtent(1, 'A', 4), (GlyphSize{5, 11}));
    EXPECT_EQ(l.fonts.CharExtent(1, 13, 4), (GlyphSize{7, 9}));
    EXPECT_EQ(l.fonts.CharExtent(1, 200, 4), (GlyphSize{0, 0}));
    EXPECT_EQ(l.fonts.CharExtent(9, 'A', 4), (GlyphSize{0, 0}));
    FontSet empty;
    EXPECT_EQ(empty.FontCount(), -1);
    EXPECT_FALSE(empty.IsLoaded());
}

TEST(FontSet, LineEndAndMarkerGlyphsAreBuiltIn) {
    Loaded l;
    load(l, fontFileBytes({uniformFont("SS7", 7, 32, 95, 5)}));
    int rowBytes = 0;
    Bytes bitmap;
    // Code 13 in a font starting at 32 draws the 7 x 5 return arrow.
    EXPECT_EQ(l.fonts.GetGlyph(0, 13, 0, kNoMarker, rowBytes, bitmap), (GlyphSize{7, 5}));
    EXPECT_EQ(rowBytes, 1);
    EXPECT_EQ(bitmap, (Bytes{0x12, 0x32, 0x7C, 0x30, 0x10}));
    EXPECT_EQ(l.fonts.GetGlyph(0, 10, 2, kNoMarker, rowBytes, bitmap), (GlyphSize{7, 5}));
    EXPECT_EQ(bitmap, (Bytes{0x92, 0xB2, 0xFC, 0xB0, 0x90}));
    const struct {
        int marker, width;
        Bytes rows;
    } markers[] = {{252, 5, {0xE0, 0x90, 0xE0, 0xA0, 0x90}},
                   {241, 6, {0x88, 0xD8, 0xA8, 0x88, 0x88}},
                   {244, 5, {0x70, 0x80, 0x60, 0x10, 0xE0}},
                   {245, 5, {0xE0, 0x90, 0xE0, 0x80, 0x80}},
                   {247, 5, {0xE0, 0x90, 0xE0, 0x90, 0xE0}}};
    for (const auto& m : markers) {
        // Markers need no font.
        EXPECT_EQ(l.fonts.GetGlyph(-1, 'A', 0, m.marker, rowBytes, bitmap),
                  (GlyphSize{m.width, 5}));
        EXPECT_EQ(bitmap, m.rows);
        EXPECT_TRUE(isMarkerCode(m.marker));
    }
    // Any other marker, a missing font, or a code outside the font: nothing,
    // and the caller's old bitmap is dropped.
    EXPECT_EQ(l.fonts.GetGlyph(0, 'A', 0, 243, rowBytes, bitmap), (GlyphSize{0, 0}));
    EXPECT_TRUE(bitmap.empty());
    EXPECT_EQ(l.fonts.GetGlyph(-1, 'A', 0, kNoMarker, rowBytes, bitmap), (GlyphSize{0, 0}));
    EXPECT_EQ(l.fonts.GetGlyph(3, 'A', 0, kNoMarker, rowBytes, bitmap), (GlyphSize{0, 0}));
    EXPECT_EQ(l.fonts.GetGlyph(0, 200, 0, kNoMarker, rowBytes, bitmap), (GlyphSize{0, 0}));
}

TEST(FontSet, PickerDialogsSpellTheFileByEighthsOfTheHeight) {
    EXPECT_EQ(FontSet::PickerFontFileName(16), "KV2FNT.bin");
    EXPECT_EQ(FontSet::PickerFontFileName(32), "KV4FNT.bin");
}

TEST(FontSet, ReadBackDecodingStartsInTheDefaultFontAndEndsAtFontOne) {
    Loaded l;
    load(l, fontFileBytes({uniformFont("SS5", 5, 32, 10, 4), uniformFont("SS7", 7, 32, 95, 5),
                           uniformFont("SF10", 10, 32, 163, 6)}));
    TextDecodeOptions o = readBackDecodeOptions(l.fonts, "sf10");
    EXPECT_EQ(o.defaultFont, 2);
    EXPECT_EQ(o.font1EndCode, 127);  // font index 1 covers 32 ... 126
    EXPECT_EQ(readBackDecodeOptions(l.fonts, "NONE").defaultFont, 1);
    // Without fonts: font 1, and every byte that is no control code is a character.
    FontSet empty;
    o = readBackDecodeOptions(empty, "SF10");
    EXPECT_EQ(o.defaultFont, 1);
    EXPECT_EQ(o.font1EndCode, 256);
}

// ---- The font files we ship ----

struct Shipped {
    const char* file;
    std::vector<std::pair<const char*, int>> fonts;  // name and height, in index order
};

TEST(ShippedFonts, FollowTheFontTagsInOrderAndCoverTheCharacterSet) {
    const std::vector<std::pair<const char*, int>> tall = {
        {"SS5", 5},   {"SS7", 7},   {"SF7", 7},   {"SF10", 10}, {"SS15", 15}, {"SF15", 15},
        {"TM16", 16}, {"AR16", 16}, {"SMA", 6},   {"SS24", 24}, {"SF24", 24}, {"TM12", 12},
        {"AR12", 12}, {"TM24", 24}, {"AR24", 24}, {"SS16", 16}};
    const Shipped files[] = {
        {"KV2fnt.bin",
         {{"SS5", 5},
          {"SS7", 7},
          {"SF7", 7},
          {"SF10", 10},
          {"SS16", 16},
          {"SF16", 16},
          {"TM16", 16},
          {"AR16", 16},
          {"SMA", 6}}},
        {"KV3fnt.bin", tall},
        {"KV4fnt.bin", tall},
    };
    for (const Shipped& s : files) {
        SCOPED_TRACE(s.file);
        ScriptedPrompter p;
        FontSet fonts;
        fonts.Load(std::filesystem::path(LUMAVOX_DATA_DIR) / s.file, &p);
        EXPECT_TRUE(p.shown.empty());
        ASSERT_TRUE(fonts.IsLoaded());
        ASSERT_EQ(fonts.FontCount(), static_cast<int>(s.fonts.size()));
        for (size_t i = 0; i < s.fonts.size(); ++i) {
            EXPECT_EQ(fonts.FontName(static_cast<int>(i)), s.fonts[i].first);
            EXPECT_EQ(fonts.FontHeight(static_cast<int>(i)), s.fonts[i].second);
            EXPECT_EQ(fonts.FirstCode(static_cast<int>(i)), 32);
            EXPECT_EQ(fonts.EndCode(static_cast<int>(i)), 195);
            // Every printable code has a glyph with dots, the degree sign included.
            for (int code : {int{'A'}, int{'0'}, int{'z'}, 127, 169, 194}) {
                int rowBytes = 0;
                Bytes bitmap;
                GlyphSize size =
                    fonts.GetGlyph(static_cast<int>(i), code, 0, kNoMarker, rowBytes, bitmap);
                EXPECT_GT(size.width, 0) << code;
                EXPECT_NE(std::count(bitmap.begin(), bitmap.end(), 0),
                          static_cast<long>(bitmap.size()))
                    << s.fonts[i].first << " " << code;
            }
            EXPECT_GT(fonts.DrawnWidth(static_cast<int>(i), ' ', 0), 0);
        }
        EXPECT_EQ(fonts.FindFont("ss7"), 1);
    }
}

}  // namespace
}  // namespace lumavox
