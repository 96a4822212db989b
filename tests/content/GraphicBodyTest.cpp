#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "content/GraphicBody.h"
#include "platform/ByteIo.h"
#include "strings/StringTable.h"

using namespace lumavox;

namespace {

const CalendarTime kNow{2024, 5, 17, 13, 45, 30, 5};

GraphicFile makeGraphic(int width, int height, uint32_t colour = kPixelOff) {
    GraphicFile g;
    g.name = "LOGO";
    g.width = static_cast<uint16_t>(width);
    g.height = static_cast<uint16_t>(height);
    g.pixels.assign(static_cast<size_t>(width) * height, colour);
    return g;
}

GraphicFile randomGraphic(int width, int height, uint32_t seed) {
    static const uint32_t colours[] = {kPixelOff, kPixelRed, kPixelGreen, kPixelYellow};
    GraphicFile g = makeGraphic(width, height);
    std::mt19937 rng(seed);
    for (auto& p : g.pixels)
        p = colours[rng() % 4];
    return g;
}

// Stripes, a box and a diagonal: long repeats, as real logos have.
GraphicFile patternedGraphic(int width, int height) {
    GraphicFile g = makeGraphic(width, height);
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y) {
            uint32_t c = kPixelOff;
            if (x == 0 || y == 0 || x == width - 1 || y == height - 1)
                c = kPixelYellow;
            else if (x % 7 == y % 5)
                c = kPixelGreen;
            else if ((x / 3) % 2 == 0)
                c = kPixelRed;
            g.pixel(x, y) = c;
        }
    return g;
}

std::vector<uint8_t> randomBytes(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(n);
    for (auto& b : v)
        b = static_cast<uint8_t>(rng());
    return v;
}

// Walks a compressed stream's codes with the width schedule alone (no table):
// after n data codes since the start or a reset the decoder's next free entry is
// 17 + n, and the width is what that entry needs, 5 ... 10 bits.
struct CodeTrace {
    std::vector<unsigned> codes;
    std::vector<size_t> dataCodesBeforeReset;
    bool ended = false;
};

CodeTrace traceCodes(const std::vector<uint8_t>& data) {
    CodeTrace t;
    size_t bit = 0, sinceReset = 0;
    while (bit < data.size() * 8) {
        unsigned nextEntry = sinceReset == 0 ? 18 : static_cast<unsigned>(17 + sinceReset);
        unsigned width = 5;
        while (width < 10 && nextEntry >= (1u << width))
            ++width;
        unsigned code = 0;
        for (unsigned i = 0; i < width; ++i, ++bit)
            if (bit / 8 < data.size() && (data[bit / 8] >> (bit % 8)) & 1) code |= 1u << i;
        t.codes.push_back(code);
        if (code == 17) {
            t.ended = true;
            break;
        }
        if (code == 16) {
            t.dataCodesBeforeReset.push_back(sinceReset);
            sinceReset = 0;
        } else {
            ++sinceReset;
        }
    }
    return t;
}

void expectRoundTrip(std::span<const uint8_t> packed, int width, int height) {
    SCOPED_TRACE(testing::Message() << width << "x" << height);
    std::vector<uint8_t> compressed = compressPacked(packed, width, height);
    std::vector<uint8_t> back;
    ASSERT_TRUE(decompressPacked(compressed, width, height, back));
    ASSERT_EQ(back.size(), packedSize(width, height));
    EXPECT_TRUE(std::equal(back.begin(), back.end(), packed.begin()));
}

}  // namespace

// ---------------------------------------------------------------- packing

TEST(GraphicPacking, SizesAndBitOrder) {
    EXPECT_EQ(packedSize(1, 1), 1u);
    EXPECT_EQ(packedSize(160, 16), 640u);
    EXPECT_EQ(packedSize(160, 15), 600u);
    EXPECT_EQ(packedSize(7, 3), 6u);  // 42 bits
    EXPECT_EQ(packedSize(0, 16), 0u);

    EXPECT_EQ(packPixels(makeGraphic(1, 1, kPixelRed)), std::vector<uint8_t>{0x80});

    // Column order: pixel (1, 0) of a 2 x 2 graphic is the third pixel.
    GraphicFile g = makeGraphic(2, 2);
    g.pixel(0, 0) = kPixelGreen;
    g.pixel(0, 1) = kPixelYellow;
    g.pixel(1, 0) = kPixelRed;
    g.pixel(1, 1) = 0x123456;  // not one of the four colours: off
    EXPECT_EQ(packPixels(g), std::vector<uint8_t>{0x78});

    std::vector<uint32_t> pixels;
    unpackPixels(packPixels(g), 2, 2, pixels);
    EXPECT_EQ(pixels, (std::vector<uint32_t>{kPixelGreen, kPixelYellow, kPixelRed, kPixelOff}));

    // A damaged record is not read past its pixels, nor packed data past its end.
    g.pixels.resize(1);
    EXPECT_EQ(packPixels(g), std::vector<uint8_t>{0x40});
    unpackPixels(std::vector<uint8_t>{0xFF}, 3, 3, pixels);
    std::vector<uint32_t> expected(9, kPixelOff);
    std::fill_n(expected.begin(), 4, kPixelYellow);
    EXPECT_EQ(pixels, expected);
}

// ---------------------------------------------------------------- compression

TEST(GraphicCompression, KnownStreams) {
    // Four zero nibbles: codes 0, 18, 0, end, five bits each, LSB first.
    std::vector<uint8_t> zeros(2, 0);
    EXPECT_EQ(compressPacked(zeros, 4, 2), (std::vector<uint8_t>{0x40, 0x82, 0x08}));

    // A lone symbol: its code and the end code.
    std::vector<uint8_t> one{0x80};
    EXPECT_EQ(compressPacked(one, 1, 1), (std::vector<uint8_t>{0x28, 0x02}));
}

TEST(GraphicCompression, RoundTripsManySizesAndContents) {
    const std::pair<int, int> sizes[] = {{1, 1},    {2, 1},    {1, 2},    {7, 3},    {15, 2},
                                         {33, 31},  {160, 15}, {160, 16}, {96, 7},   {255, 16},
                                         {255, 32}, {255, 64}, {64, 255}, {255, 255}};
    uint32_t seed = 1;
    for (auto [w, h] : sizes) {
        expectRoundTrip(packPixels(randomGraphic(w, h, seed++)), w, h);
        expectRoundTrip(packPixels(patternedGraphic(w, h)), w, h);
        expectRoundTrip(packPixels(makeGraphic(w, h)), w, h);
        expectRoundTrip(packPixels(makeGraphic(w, h, kPixelYellow)), w, h);
    }
}

TEST(GraphicCompression, LongStreamsResetAtTheTableLimit) {
    // Random bytes give well over 1006 new entries, so the table fills repeatedly.
    std::vector<uint8_t> packed = randomBytes(packedSize(255, 64), 7);
    std::vector<uint8_t> compressed = compressPacked(packed, 255, 64);
    CodeTrace trace = traceCodes(compressed);
    EXPECT_TRUE(trace.ended);
    ASSERT_GE(trace.dataCodesBeforeReset.size(), 2u);
    // Entries 18 ... 1023 are added after the first 1006 codes; the one after
    // that is written with the full table, then the reset code.
    for (size_t n : trace.dataCodesBeforeReset)
        EXPECT_EQ(n, 1007u);
    for (unsigned code : trace.codes)
        EXPECT_LT(code, 1024u);
    expectRoundTrip(packed, 255, 64);
}

TEST(GraphicCompression, OddHeightReadsWholeColumnsOfNibbles) {
    // 160 x 15 walks 8 nibbles per column (1280) though only 1200 are packed; the
    // extra ones read as zero, so an all-off 160 x 15 codes like an all-off 160 x 16.
    std::vector<uint8_t> odd(packedSize(160, 15), 0), even(packedSize(160, 16), 0);
    EXPECT_EQ(compressPacked(odd, 160, 15), compressPacked(even, 160, 16));

    // The decoder keeps only what fits the packed size.
    std::vector<uint8_t> back;
    ASSERT_TRUE(decompressPacked(compressPacked(even, 160, 16), 160, 15, back));
    EXPECT_EQ(back.size(), 600u);

    // A stream with fewer nibbles than the size needs leaves the rest zero.
    std::vector<uint8_t> ff{0xFF};
    ASSERT_TRUE(decompressPacked(compressPacked(ff, 1, 2), 3, 3, back));
    EXPECT_EQ(back, (std::vector<uint8_t>{0xF0, 0x00, 0x00}));
}

TEST(GraphicCompression, EndCodeRightAtAWidthChangeDecodes) {
    // Nibbles 0 ... 14 give 15 data codes and the end code, all 5 bits wide: exactly
    // 10 bytes. After the 15th code the decoder widens to 6 bits and finds the end
    // code's top bit past the data, which reads as zero.
    std::vector<uint8_t> packed{0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xE0};
    std::vector<uint8_t> compressed = compressPacked(packed, 15, 2);
    ASSERT_EQ(compressed.size(), 10u);
    std::vector<uint8_t> back;
    ASSERT_TRUE(decompressPacked(compressed, 15, 2, back));
    EXPECT_EQ(back, packed);
}

TEST(GraphicCompression, DecoderRejectsBadStreams) {
    std::vector<uint8_t> out{0xAA};
    // Code 3, then 19 while the next free entry is 18.
    EXPECT_FALSE(decompressPacked(std::vector<uint8_t>{0x63, 0x02}, 4, 4, out));
    // The first code may not refer to the entry being defined.
    EXPECT_FALSE(decompressPacked(std::vector<uint8_t>{0x12, 0x02}, 4, 4, out));
    // No end code: the data runs out.
    EXPECT_FALSE(decompressPacked(std::vector<uint8_t>{0x03}, 4, 4, out));
    EXPECT_FALSE(decompressPacked({}, 4, 4, out));
    EXPECT_EQ(out, std::vector<uint8_t>{0xAA});  // untouched on failure

    // Code 5, then 18 == next free entry: the entry (5, 5) itself, giving 5 5 5.
    ASSERT_TRUE(decompressPacked(std::vector<uint8_t>{0x45, 0x46}, 2, 2, out));
    EXPECT_EQ(out, std::vector<uint8_t>{0x55});
    ASSERT_TRUE(decompressPacked(std::vector<uint8_t>{0x45, 0x46}, 3, 2, out));
    EXPECT_EQ(out, (std::vector<uint8_t>{0x55, 0x50}));
}

// ---------------------------------------------------------------- body

TEST(GraphicBody, OneRedPixelIsSentPacked) {
    GraphicFile g = makeGraphic(1, 1, kPixelRed);
    FixedClock clock(kNow);
    std::vector<uint8_t> body = encodeGraphicBody(g, clock);
    ASSERT_EQ(body.size(), 23u);
    std::vector<uint8_t> head{0x01, 'L', 'O', 'G', 'O', 0,  0, 0, 0, 23,  0,
                              30,   45,  13,  17,  5,   24, 1, 1, 0, 0x80};
    EXPECT_TRUE(std::equal(head.begin(), head.end(), body.begin()));
    uint16_t check = invertedSum16(std::span(body).first(21));
    EXPECT_EQ(body[21], check & 0xFF);
    EXPECT_EQ(body[22], check >> 8);

    EXPECT_EQ(
        encodeGraphicDirEntry(g, clock),
        (std::vector<uint8_t>{0x01, 'L', 'O', 'G', 'O', 0, 0, 0, 0, 0, 0, 30, 45, 13, 17, 5, 24}));
}

TEST(GraphicBody, AllOffSignSizeGraphicIsSentCompressed) {
    GraphicFile g = makeGraphic(160, 16);
    FixedClock clock(kNow);
    std::vector<uint8_t> body = encodeGraphicBody(g, clock);
    EXPECT_EQ(body[19], 1);
    EXPECT_LT(body.size(), 100u);
    EXPECT_EQ(body[9] | body[10] << 8, static_cast<int>(body.size()));

    GraphicFile back;
    std::string error;
    ASSERT_TRUE(decodeGraphicBody(body, back, error)) << error;
    EXPECT_EQ(back.pixels, g.pixels);
}

TEST(GraphicBody, DecodesWhatItEncodes) {
    FixedClock clock(kNow);
    const std::pair<int, int> sizes[] = {{1, 1}, {7, 3}, {160, 15}, {160, 16}, {255, 255}};
    for (auto [w, h] : sizes) {
        for (const GraphicFile& g : {randomGraphic(w, h, 99), patternedGraphic(w, h)}) {
            GraphicFile back;
            std::string error;
            ASSERT_TRUE(decodeGraphicBody(encodeGraphicBody(g, clock), back, error)) << error;
            EXPECT_EQ(back.name, g.name);
            EXPECT_EQ(back.width, w);
            EXPECT_EQ(back.height, h);
            EXPECT_EQ(back.stamp, TimeStamp::from(kNow));
            EXPECT_EQ(back.pixels, g.pixels);
        }
    }
}

TEST(GraphicBody, ChecksumOffByOneIsReported) {
    FixedClock clock(kNow);
    std::vector<uint8_t> body = encodeGraphicBody(patternedGraphic(20, 8), clock);
    body.back() = static_cast<uint8_t>(body.back() + 1);
    GraphicFile out = makeGraphic(2, 2);
    const GraphicFile before = out;
    std::string error;
    EXPECT_FALSE(decodeGraphicBody(body, out, error));
    EXPECT_EQ(error, "Graphic check sum is error!");
    EXPECT_EQ(out, before);
}

TEST(GraphicBody, MalformedBodiesFailCleanly) {
    FixedClock clock(kNow);
    const std::string invalid = text(msg::kFileFormatInvalid);
    std::vector<uint8_t> good = encodeGraphicBody(patternedGraphic(40, 16), clock);
    ASSERT_EQ(good[19], 1);
    GraphicFile out = makeGraphic(1, 1);
    const GraphicFile before = out;
    std::string error;

    // Every truncation: the length field no longer fits the buffer.
    for (size_t n = 0; n < good.size(); ++n) {
        EXPECT_FALSE(decodeGraphicBody(std::span(good).first(n), out, error)) << n;
        EXPECT_EQ(error, invalid);
    }

    // Header fields rewritten, check word kept valid so the structure is judged.
    auto patched = [&](size_t at, uint8_t value) {
        std::vector<uint8_t> b = good;
        b[at] = value;
        size_t len = b.size();
        uint16_t check = invertedSum16(std::span(b).first(len - 2));
        b[len - 2] = static_cast<uint8_t>(check);
        b[len - 1] = static_cast<uint8_t>(check >> 8);
        return b;
    };
    EXPECT_FALSE(decodeGraphicBody(patched(17, 0), out, error));  // width 0
    EXPECT_EQ(error, invalid);
    EXPECT_FALSE(decodeGraphicBody(patched(18, 0), out, error));     // height 0
    EXPECT_FALSE(decodeGraphicBody(patched(0, 0x00), out, error));   // a text file's kind
    EXPECT_FALSE(decodeGraphicBody(patched(19, 2), out, error));     // unknown flag
    EXPECT_FALSE(decodeGraphicBody(patched(19, 0), out, error));     // packed size mismatch
    EXPECT_FALSE(decodeGraphicBody(patched(20, 0xFF), out, error));  // first code 31
    EXPECT_EQ(error, invalid);
    EXPECT_EQ(out, before);

    // Length field below the smallest body.
    std::vector<uint8_t> shortLength = good;
    shortLength[9] = 21;
    shortLength[10] = 0;
    EXPECT_FALSE(decodeGraphicBody(shortLength, out, error));
    EXPECT_EQ(error, invalid);

    // Bytes after the stated length are ignored.
    std::vector<uint8_t> trailing = good;
    trailing.push_back(0x5A);
    EXPECT_TRUE(decodeGraphicBody(trailing, out, error)) << error;
}
