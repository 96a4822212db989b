#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "content/GraphicRules.h"
#include "content/TextBody.h"
#include "content/WindowLayout.h"
#include "platform/ByteIo.h"
#include "strings/StringTable.h"
#include "support/TestSupport.h"

using namespace lumavox;
using namespace lumavox::test;

namespace {

using Bytes = std::vector<uint8_t>;

struct TextBodyTest : ::testing::Test {
    FixedClock clock{fixedTime()};
    WorkArea work;

    Bytes encode(const TextFile& f) {
        Bytes out;
        size_t n = encodeTextBody(f, work, clock, out);
        EXPECT_EQ(n, out.size());
        return out;
    }
    // The encoded items between the two section bytes.
    Bytes items(const TextFile& f) {
        Bytes b = encode(f);
        return Bytes(b.begin() + 18, b.end() - 3);
    }
    bool decode(const Bytes& body, DecodedText& out, std::string& error,
                TextDecodeOptions opts = {}) {
        return decodeTextBody(body, work, opts, clock, out, error);
    }
};

// Recomputes the length and check word after a test edits the item bytes.
Bytes seal(Bytes body) {
    ByteWriter w(body);
    w.patchU16(9, static_cast<uint16_t>(body.size() + 2));
    w.u16(invertedSum16(body));
    return body;
}

Bytes bodyWithItems(const Bytes& items) {
    Bytes b = {0x00, 'T', 'E', 'S', 'T', 0, 0, 0, 0, 0, 0, 0, 0, 8, 1, 3, 24, 0xEF};
    b.insert(b.end(), items.begin(), items.end());
    b.push_back(0xEF);
    return seal(b);
}

}  // namespace

TEST_F(TextBodyTest, EmptyFileIsHeaderTwoSectionBytesAndCheckWord) {
    TextFile f = makeTextFile("Main");
    appendEnd(f);
    Bytes b = encode(f);
    ASSERT_EQ(b.size(), kEmptyTextBodySize);
    Bytes expectedHead = {0x00, 'M', 'a', 'i', 'n', 0, 0,  0,    0,   21,
                          0,    0,   0,   8,   1,   3, 24, 0xEF, 0xEF};
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 19), expectedHead);
    uint16_t check = invertedSum16(std::span<const uint8_t>(b).first(19));
    EXPECT_EQ(b[19], check & 0xFF);
    EXPECT_EQ(b[20], check >> 8);

    auto entry = encodeTextDirEntry(f, clock);
    Bytes expectedEntry(expectedHead.begin(), expectedHead.begin() + 17);
    expectedEntry[9] = expectedEntry[10] = 0;
    EXPECT_EQ(Bytes(entry.begin(), entry.end()), expectedEntry);
}

TEST_F(TextBodyTest, FirstColourIsSentOnlyWhenTheSignCannotAssumeIt) {
    TextFile f = makeTextFile("A");
    appendText(f, "A", charAttrs(1, 1));
    appendEnd(f);
    work.colourType = 1;  // single colour: the sign starts red
    EXPECT_EQ(items(f), (Bytes{0xF2, 1, 0xF2, 'A'}));
    work.colourType = 0;
    EXPECT_EQ(items(f), (Bytes{0xF2, 1, 0xF2, 0xF3, 1, 0xF3, 'A'}));
}

TEST_F(TextBodyTest, AttributeTogglesAreSwitchedOffAndOnAndClosedAtTheEnd) {
    work.colourType = 1;
    TextFile f = makeTextFile("A");
    appendText(f, "B", charAttrs(1, 1, 1));
    appendText(f, "n", charAttrs(1, 1, 0));
    appendText(f, "W", charAttrs(1, 1, 2, 1));
    appendText(f, "b", charAttrs(1, 1, 1, 0));
    appendEnd(f, charAttrs(1, 1, 1));
    EXPECT_EQ(items(f), (Bytes{0xF2, 1,    0xF2, 0xFA, 0, 0xFA, 'B',  // bold on
                               0xFA, 0,    0xFA, 'n',                 // bold off
                               0xFA, 2,    0xFA, 0xFA, 1, 0xFA, 'W',  // flash on, widen on
                               0xFA, 2,    0xFA, 0xFA, 1, 0xFA, 0xFA,
                               0,    0xFA, 'b',  0xFA, 0, 0xFA}));  // file ends bold: switched off
}

TEST_F(TextBodyTest, LineBreaksAndControlsUseTheirCodes) {
    work.colourType = 1;
    TextFile f = makeTextFile("A");
    f.items.push_back(TextItem::control(kMove, params(5, 3)));  // first item: no out method
    f.items.push_back(TextItem::control(kSpeed, params(0, 0, 7)));
    appendText(f, "x", charAttrs(1, 1));
    f.items.push_back(TextItem::control(kMove, params(5, 3)));  // later: out then in
    f.items.push_back(TextItem::control(kPause, params(0, 0, 0, 4)));
    f.items.push_back(TextItem::control(kBeep, params(2)));
    f.items.push_back(TextItem::control(kRowPitch, params(3)));
    CharItem cr = charAttrs(1, 1);
    cr.character = kCR;
    f.items.push_back(TextItem::character(cr));
    cr.character = kLF;
    f.items.push_back(TextItem::character(cr));
    ControlParams inc = params(0);
    inc.name = "NEXT";
    f.items.push_back(TextItem::control(kInclude, inc));
    appendEnd(f);
    EXPECT_EQ(items(f), (Bytes{0xF1, 5,    0xF1, 0xF4, 7,    0xF4, 0xF2, 1,    0xF2, 'x',  0xF1,
                               2,    0xF1, 0xF1, 5,    0xF1, 0xF5, 4,    0xF5, 0xF7, 2,    0xF7,
                               0xFC, 3,    0xFC, 0xFA, 3,    0xFA, 0xFA, 4,    0xFA, 0xFD, 'N',
                               'E',  'X',  'T',  0,    0,    0,    0,    0xFD}));
}

TEST_F(TextBodyTest, CountersCarryTheirStampAndTemperaturesDoNot) {
    TextFile f = makeTextFile("A");
    ControlParams down = params(16, 1, 2, 0, 0);
    TimeStamp end{0, 30, 18, 31, 12, 26};
    auto sb = end.bytes();
    std::copy(sb.begin(), sb.end(), down.name.bytes.begin());
    f.items.push_back(TextItem::control(kTempCounter, down));
    f.items.push_back(TextItem::control(kTempCounter, params(1, 1, 2)));
    f.items.push_back(TextItem::control(kDateTime, params(0x61, 1, 3)));
    appendEnd(f);
    EXPECT_EQ(items(f), (Bytes{0xF2, 1,  0xF2, 0xF3, 2, 0xF3, 0xF0, 16, 0,    30,   18,   31,
                               12,   26, 0xF0, 0xF0, 1, 0xF0, 0xF3, 3,  0xF3, 0xF6, 0x61, 0xF6}));
}

TEST_F(TextBodyTest, GraphicSendsItsFlashFirst) {
    work.colourType = 1;
    TextFile f = makeTextFile("A");
    ControlParams g = params(0, 0, 8, 8);
    g.name = "LOGO";
    g.flash2 = 1;
    f.items.push_back(TextItem::control(kGraphicItem, g));
    appendEnd(f);
    EXPECT_EQ(items(f), (Bytes{0xFA, 2, 0xFA, 0xF8, 'L', 'O', 'G', 'O', 0, 0, 0, 0, 0xF8}));
}

TEST_F(TextBodyTest, WindowsCarryTheirFilesAndAreFollowedByAFullScreenReset) {
    work.colourType = 1;
    TextFile left = makeTextFile("L", kWindowFile);
    appendText(left, "ab", charAttrs(1, 1, 1));
    appendEnd(left);
    TextFile right = makeTextFile("R", kWindowFile);
    appendText(right, "c", charAttrs(2, 1));
    appendEnd(right);
    TextFile main = makeTextFile("Main");
    WindowControl wc = makeWindowControl(9, 160, 16);
    wc.areas[0] = params(80, 0, 80, 16, 4);
    wc.areas[0].name = "R";
    wc.areas[0].order = 1;
    WindowArea second = params(0, 0, 80, 16, 0);
    second.name = "L";
    second.order = 0;
    wc.areas.push_back(second);
    main.items.push_back(TextItem::window(wc));
    appendText(main, "z", charAttrs(1, 1));
    appendEnd(main);
    work.textFiles = {main, left, right};
    Bytes expected = {
        0xFB, 0,  0,    80,   16, 0,    0xFB,                          // order 0 first
        0xF2, 1,  0xF2, 0xFA, 0,  0xFA, 'a',  'b',  0xFA, 0,    0xFA,  // L, bold closed
        0xFB, 80, 0,    80,   16, 4,    0xFB, 0xF2, 2,    0xF2, 'c',   // R
        0xFB, 0,  0,    160,  16, 4,    0xFB,                          // reset
        0xF2, 1,  0xF2, 'z'};
    EXPECT_EQ(items(main), expected);

    // Presets send their first area as the full screen.
    wc.layoutType = 2;
    main.items[0] = TextItem::window(wc);
    Bytes preset = items(main);
    EXPECT_EQ(Bytes(preset.begin(), preset.begin() + 7), (Bytes{0xFB, 0, 0, 160, 16, 0, 0xFB}));
}

TEST_F(TextBodyTest, WindowFilesThatCallEachOtherAreExpandedOnce) {
    TextFile a = makeTextFile("*A", kWindowFile);
    WindowControl wc = makeWindowControl(1, 160, 16);
    wc.areas[0].name = "*A";  // calls itself
    a.items.push_back(TextItem::window(wc));
    appendEnd(a);
    TextFile main = makeTextFile("Main");
    main.items.push_back(TextItem::window(wc));
    appendEnd(main);
    work.textFiles = {main, a};
    Bytes b = items(main);
    EXPECT_EQ(b, (Bytes{0xFB, 0, 0, 160, 16, 4, 0xFB, 0xFB, 0, 0, 160, 16, 4, 0xFB}));
}

TEST_F(TextBodyTest, DecodesMovePairsAndSingleMoves) {
    DecodedText d;
    std::string error;
    ASSERT_TRUE(decode(bodyWithItems({0xF1, 3, 0xF1, 0xF1, 5, 0xF1, 0xF1, 7, 0xF1}), d, error))
        << error;
    ASSERT_EQ(d.file.items.size(), 3u);  // two moves and the end marker
    EXPECT_EQ(d.file.items[0].params().valueA, 5);
    EXPECT_EQ(d.file.items[0].params().valueB, 4);
    EXPECT_EQ(d.file.items[1].params().valueA, 7);
    EXPECT_EQ(d.file.items[1].params().valueB, 0);
    EXPECT_TRUE(d.file.items[2].isCharCode(kCR));
    EXPECT_EQ(d.file.name.str(), "TEST");
    EXPECT_EQ(d.file.stamp, (TimeStamp{0, 0, 8, 1, 3, 24}));
}

TEST_F(TextBodyTest, EncodeThenDecodeGivesTheSameItems) {
    std::mt19937 rng(7);
    for (int round = 0; round < 50; ++round) {
        TextFile f = makeTextFile("RT");
        int n = 1 + static_cast<int>(rng() % 200);
        for (int i = 0; i < n; ++i) {
            int pick = static_cast<int>(rng() % 10);
            uint8_t font = static_cast<uint8_t>(rng() % 4),
                    colour = static_cast<uint8_t>(rng() % 17);
            uint8_t prop = static_cast<uint8_t>(rng() % 3), flash = static_cast<uint8_t>(rng() % 2);
            if (pick < 6) {
                CharItem c = charAttrs(font, colour, prop, flash);
                c.character = static_cast<uint16_t>(pick == 0   ? kCR
                                                    : pick == 1 ? kLF
                                                                : 32 + rng() % 90);
                f.items.push_back(TextItem::character(c));
            } else if (pick == 6) {
                f.items.push_back(
                    TextItem::control(kDateTime, params(0x11, font, colour, prop, flash)));
            } else if (pick == 7) {
                f.items.push_back(
                    TextItem::control(kSpeed, params(0, 0, static_cast<uint16_t>(rng() % 8))));
            } else if (pick == 8 && i > 0 && f.items.back().kind != kMove) {
                // Two moves in a row read back as one in/out pair, so the test keeps them apart.
                f.items.push_back(TextItem::control(kMove, params(rng() % 44, rng() % 45)));
            } else {
                ControlParams inc = params(0);
                inc.name = "INC";
                f.items.push_back(TextItem::control(kInclude, inc));
            }
        }
        appendEnd(f, charAttrs(1, 1));
        Bytes b = encode(f);
        DecodedText d;
        std::string error;
        ASSERT_TRUE(decode(b, d, error)) << error;
        // The decoder's end marker carries the state it ended in; compare the rest.
        size_t expectedCount = f.items.size() - 1;
        bool lastIsCR = expectedCount > 0 && f.items[expectedCount - 1].isCharCode(kCR);
        ASSERT_EQ(d.file.items.size(), expectedCount + (lastIsCR ? 0 : 1));
        for (size_t i = 0; i < expectedCount; ++i)
            EXPECT_EQ(d.file.items[i], f.items[i]) << i;
    }
}

TEST_F(TextBodyTest, AGraphicReadBackTakesItsSizeFromTheDocument) {
    GraphicFile logo;
    logo.name = "LOGO";
    logo.width = 12;
    logo.height = 7;
    logo.pixels.assign(12 * 7, kPixelRed);
    work.graphics.push_back(logo);
    DecodedText d;
    std::string error;
    ASSERT_TRUE(decode(bodyWithItems({0xF8, 'L', 'O', 'G', 'O', 0, 0, 0, 0, 0xF8,
                                      0xF8, 'G', 'O', 'N', 'E', 0, 0, 0, 0, 0xF8}),
                       d, error))
        << error;
    ASSERT_EQ(d.file.items.size(), 3u);
    EXPECT_EQ(d.file.items[0].params().valueC, 12);
    EXPECT_EQ(d.file.items[0].params().valueD, 7);
    // A graphic the document lacks yet keeps no size until its file arrives.
    EXPECT_EQ(d.file.items[1].params().valueC, 0);
    WorkArea later = work;
    later.textFiles.push_back(d.file);
    GraphicFile gone = logo;
    gone.name = "GONE";
    gone.width = 5;
    later.graphics.push_back(gone);
    EXPECT_EQ(fillGraphicSizes(later), 1);
    EXPECT_EQ(later.textFiles.back().items[1].params().valueC, 5);
    EXPECT_EQ(later.textFiles.back().items[1].params().valueD, 7);
}

TEST_F(TextBodyTest, DecodedWindowsBecomeNewWindowFiles) {
    work.textFiles.push_back(makeTextFile("*F000000", kWindowFile));
    Bytes body = bodyWithItems(
        {'x', 0xFB, 1, 2, 30, 8, 4, 0xFB, 'a', 'b', 0xFB, 0, 0, 160, 16, 4, 0xFB, 'c'});
    DecodedText d;
    std::string error;
    ASSERT_TRUE(decode(body, d, error)) << error;
    ASSERT_EQ(d.windowFiles.size(), 2u);
    EXPECT_EQ(d.windowFiles[0].name.str(), "*F000001");
    EXPECT_EQ(d.windowFiles[1].name.str(), "*F000002");
    EXPECT_EQ(d.windowFiles[0].kind, kWindowFile);
    ASSERT_EQ(d.windowFiles[0].items.size(), 3u);  // a, b, end marker
    EXPECT_EQ(d.windowFiles[0].items[1].ch().character, 'b');
    ASSERT_EQ(d.file.items.size(), 4u);  // x, window, window, end marker
    const WindowControl& w = d.file.items[1].window();
    EXPECT_EQ(w.layoutType, 1);
    ASSERT_EQ(w.areas.size(), 1u);
    EXPECT_EQ(w.areas[0], ([] {
                  WindowArea a = params(1, 2, 30, 8, 4);
                  a.name = "*F000001";
                  return a;
              }()));
}

TEST_F(TextBodyTest, ReadBackJoinsTheAreasOfOneWindowAndTellsItsLayout) {
    TextFile left = makeTextFile("L", kWindowFile);
    appendText(left, "a", charAttrs(1, 1));
    appendEnd(left);
    TextFile right = makeTextFile("R", kWindowFile);
    appendText(right, "b", charAttrs(1, 1));
    appendEnd(right);
    auto mainWith = [&](const WindowControl& wc) {
        TextFile main = makeTextFile("Main");
        appendText(main, "x", charAttrs(1, 1));
        main.items.push_back(TextItem::window(wc));
        appendText(main, "y", charAttrs(1, 1));
        appendEnd(main);
        return main;
    };
    auto named = [](WindowControl wc) {
        wc.areas[0].name = "L";
        wc.areas[1].name = "R";
        return wc;
    };
    TextDecodeOptions join;
    join.joinWindowAreas = true;

    // Preset 2 (two halves): its first area went as the whole sign.
    const WindowControl halves = named(makeWindowControl(2, 160, 16));
    TextFile main = mainWith(halves);
    work.textFiles = {main, left, right};
    DecodedText d;
    std::string error;
    ASSERT_TRUE(decode(encode(main), d, error, join)) << error;
    ASSERT_EQ(d.file.items.size(), 4u);              // x, the window, y, end marker
    EXPECT_EQ(d.file.items[2].ch().character, 'y');  // the reset gave the text back
    const WindowControl& w = d.file.items[1].window();
    EXPECT_EQ(w.layoutType, 2);
    ASSERT_EQ(w.areas.size(), 2u);
    for (size_t k = 0; k < 2; ++k) {
        EXPECT_EQ(areaRect(w.areas[k]), areaRect(halves.areas[k]));
        EXPECT_EQ(w.areas[k].order, k);
        EXPECT_EQ(w.areas[k].byteE, 4);
    }
    ASSERT_EQ(d.windowFiles.size(), 2u);
    EXPECT_EQ(w.areas[0].name, d.windowFiles[0].name);
    EXPECT_EQ(d.windowFiles[0].items[0].ch().character, 'a');
    EXPECT_EQ(d.windowFiles[1].items[0].ch().character, 'b');

    // Areas that are no preset come back user-defined, as they were.
    WindowControl own = named(makeWindowControl(2, 160, 16));
    own.layoutType = kUserDefinedLayout;
    own.areas[0] = params(0, 0, 100, 16, 1);
    own.areas[0].name = "L";
    own.areas[1] = params(100, 0, 60, 16, 7);
    own.areas[1].name = "R";
    own.areas[1].order = 1;
    main = mainWith(own);
    work.textFiles = {main, left, right};
    ASSERT_TRUE(decode(encode(main), d, error, join)) << error;
    ASSERT_EQ(d.file.items.size(), 4u);
    const WindowControl& back = d.file.items[1].window();
    EXPECT_EQ(back.layoutType, kUserDefinedLayout);
    ASSERT_EQ(back.areas.size(), 2u);
    EXPECT_EQ(areaRect(back.areas[1]), (AreaRect{100, 0, 160, 16}));
    EXPECT_EQ(back.areas[1].byteE, 7);

    // The sign's own reading keeps one control per area.
    main = mainWith(halves);
    work.textFiles = {main, left, right};
    ASSERT_TRUE(decode(encode(main), d, error)) << error;
    EXPECT_EQ(std::count_if(d.file.items.begin(), d.file.items.end(),
                            [](const TextItem& i) { return i.isWindow(); }),
              3);
}

TEST_F(TextBodyTest, UnknownCodesAreSkippedToTheirNextOccurrence) {
    TextDecodeOptions opts;
    opts.font1EndCode = 0x80;
    DecodedText d;
    std::string error;
    ASSERT_TRUE(decode(bodyWithItems({'a', 0x90, 'x', 'y', 0x90, 'b', 0xFA, 9, 0xFA, 0xE0, 'c'}), d,
                       error, opts))
        << error;
    // 0x90 ... 0x90 and the unmatched 0xE0 with everything after it vanish.
    ASSERT_EQ(d.file.items.size(), 3u);
    EXPECT_EQ(d.file.items[0].ch().character, 'a');
    EXPECT_EQ(d.file.items[1].ch().character, 'b');
}

TEST_F(TextBodyTest, BadBodiesFailWithTheirMessage) {
    const std::string invalid = text(msg::kFileFormatInvalid);
    const std::string checksum = text(msg::kFileChecksumError);
    Bytes good = bodyWithItems({'h', 'i', 0xF8, 'G', 0, 0, 0, 0, 0, 0, 0, 0xF8});
    struct Case {
        const char* what;
        Bytes body;
        std::string message;
    };
    std::vector<Case> cases;
    Bytes b = good;
    b.back() ^= 1;
    cases.push_back({"check word off by one", b, checksum});
    b = good;
    b[0] = 1;
    cases.push_back({"not a text body", b, invalid});
    b = good;
    b[17] = 0;
    cases.push_back({"no opening section byte", b, invalid});
    cases.push_back({"length past the buffer", Bytes(good.begin(), good.end() - 1), invalid});
    b = good;
    b[b.size() - 3] = 'x';
    cases.push_back({"no closing section byte", seal(Bytes(b.begin(), b.end() - 2)), invalid});
    cases.push_back({"control cut short", bodyWithItems({'a', 0xF8, 'G', 0}), invalid});
    cases.push_back({"window cut short", bodyWithItems({0xFB, 1, 2}), invalid});
    cases.push_back({"length below the minimum", Bytes(good.begin(), good.begin() + 20), invalid});
    for (auto& c : cases) {
        DecodedText d;
        d.file.name = "KEEP";
        std::string error;
        EXPECT_FALSE(decode(c.body, d, error)) << c.what;
        EXPECT_EQ(error, c.message) << c.what;
        EXPECT_EQ(d.file.name.str(), "KEEP") << c.what;
    }
    for (size_t n = 0; n < good.size(); ++n) {
        DecodedText d;
        std::string error;
        EXPECT_FALSE(decode(Bytes(good.begin(), good.begin() + n), d, error)) << n;
    }
}

TEST_F(TextBodyTest, DecodingThatRunsTooLongIsAbandoned) {
    clock.setTickStep(1000);  // every look at the clock is a second later
    Bytes items(20, 'a');
    DecodedText d;
    std::string error;
    EXPECT_FALSE(decode(bodyWithItems(items), d, error));
    EXPECT_EQ(error, text(msg::kDecodeTooLong));
}
