#include <gtest/gtest.h>

#include <fstream>

#include "MaximalDocument.h"
#include "content/Document.h"
#include "content/FontCheck.h"
#include "content/GraphicBody.h"
#include "platform/ByteIo.h"
#include "platform/Files.h"
#include "strings/StringTable.h"
#include "strings/TextFormat.h"
#include "support/TestSupport.h"

using namespace lumavox;
using namespace lumavox::test;

namespace {

using Bytes = std::vector<uint8_t>;

// The format message first, the precise reason on the line under it.
std::string firstLine(const std::string& error) {
    return error.substr(0, error.find('\n'));
}
std::string reasonOf(const std::string& error) {
    const size_t line = error.find('\n');
    return line == std::string::npos ? std::string() : error.substr(line + 1);
}

WorkArea sampleWork() {
    WorkArea w;
    w.runSequence = {"Main", "Other"};
    TextFile main = makeTextFile("Main");
    appendText(main, "Hi", charAttrs(1, 2, 1, 1));
    CharItem rgb = charAttrs(1, 16);
    rgb.character = 'c';
    rgb.colourWord1 = 0x112233;
    rgb.colourWord2 = 0x445566;
    main.items.push_back(TextItem::character(rgb));
    WindowControl wc;
    wc.layoutType = 9;
    WindowArea a;
    a.valueC = 160;
    a.valueD = 16;
    a.name = "*W";
    wc.areas = {a};
    main.items.push_back(TextItem::window(wc));
    ControlParams g;
    g.name = "G";
    g.valueC = 3;
    g.valueD = 2;
    g.flash2 = 1;
    main.items.push_back(TextItem::control(kGraphicItem, g));
    appendEnd(main);
    TextFile win = makeTextFile("*W", kWindowFile);
    appendText(win, "w", charAttrs(2, 3));
    appendEnd(win);
    w.textFiles = {main, win};
    GraphicFile gf;
    gf.name = "G";
    gf.width = 3;
    gf.height = 2;
    gf.pixels = {kPixelRed, kPixelGreen, kPixelYellow, kPixelOff, kPixelRed, kPixelRed};
    w.graphics = {gf};
    ScheduleTask t;
    t.fileName = "Main";
    w.tasks = {t};
    return w;
}

// A hand-built document of an older version: what earlier releases wrote.
struct OldDocument {
    Bytes bytes;
    ByteWriter w{bytes};
    explicit OldDocument(int32_t version) {
        w.bytes(reinterpret_cast<const uint8_t*>("KORVANTE VOXLINE"), 16);
        w.i32(version);
        w.i32(160);
        w.i32(16);
        w.u8(1);
        w.zeros(49);
    }
};

struct DocumentTest : ::testing::Test {
    FixedClock clock{fixedTime()};
    OpenOptions options;
    OpenResult read(const Bytes& b) { return readDocument(b, options); }
};

}  // namespace

TEST_F(DocumentTest, SaveAndOpenGiveBackTheWholeWorkArea) {
    WorkArea w = sampleWork();
    Bytes bytes = serializeDocument(w, SignMode::KV2, clock);
    TimeStamp now = TimeStamp::now(clock);
    EXPECT_EQ(w.textFiles[0].stamp, now);
    EXPECT_EQ(w.graphics[0].stamp, now);
    OpenResult r = read(bytes);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.warnings.empty());
    EXPECT_EQ(r.version, 1202);
    EXPECT_EQ(r.work, w);
    // The envelope: magic, version, mode flag, run sequence, then the sign size.
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 16),
              Bytes(std::begin("KORVANTE VOXLINE"), std::end("KORVANTE VOXLINE") - 1));
    ByteReader h(bytes);
    h.skip(16);
    EXPECT_EQ(h.i32(), 1202);
    EXPECT_EQ(h.i32(), 0);
    EXPECT_EQ(h.i32(), 2);
    EXPECT_EQ(h.counted(8), "Main");
    EXPECT_EQ(h.counted(8), "Other");
    EXPECT_EQ(h.i32(), 160);
    EXPECT_EQ(h.i32(), 16);
}

TEST_F(DocumentTest, TheOtherFamilyWarnsAndKeepsColourCodes) {
    WorkArea w = sampleWork();
    Bytes nvs = serializeDocument(w, SignMode::NVS, clock);
    OpenResult r = read(nvs);
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.warnings, std::vector<std::string>{text(msg::kFileIsNvs)});
    EXPECT_EQ(r.work.textFiles[0].items[0].ch().colour, 2);

    // In NVS mode colours up to 25 are valid; in KV2 mode 20 becomes the default red.
    w.textFiles[0].items[0].ch().colour = 20;
    nvs = serializeDocument(w, SignMode::NVS, clock);
    options.mode = SignMode::NVS;
    EXPECT_EQ(read(nvs).work.textFiles[0].items[0].ch().colour, 20);
    options.mode = SignMode::KV2;
    EXPECT_EQ(read(nvs).work.textFiles[0].items[0].ch().colour, 1);
    Bytes kv2 = serializeDocument(w, SignMode::KV2, clock);
    options.mode = SignMode::NVS;
    EXPECT_EQ(read(kv2).warnings, std::vector<std::string>{text(msg::kFileIsKv2)});
}

TEST_F(DocumentTest, FontIndexesBeyondTheHeightsFontsAreRepaired) {
    WorkArea w = sampleWork();
    w.textFiles[0].items[0].ch().font = 12;
    w.textFiles[0].items[1].ch().font = 16;
    OpenResult r = read(serializeDocument(w, SignMode::KV2, clock));
    EXPECT_EQ(r.work.textFiles[0].items[0].ch().font, 1);
    w.signHeight = 24;
    r = read(serializeDocument(w, SignMode::KV2, clock));
    EXPECT_EQ(r.work.textFiles[0].items[0].ch().font, 12);
    EXPECT_EQ(r.work.textFiles[0].items[1].ch().font, 1);
}

TEST_F(DocumentTest, Version1201HasNoModeRunSequenceOrColourWordsAndPacksGraphics) {
    OldDocument d(1201);
    d.w.i32(1);  // one text file
    d.w.u8(0);
    d.w.bytes(reinterpret_cast<const uint8_t*>("OLD\0\0\0\0\0\0"), 9);
    d.w.zeros(6);
    d.w.i32(2);
    for (uint16_t ch : {uint16_t{'A'}, kCR}) {
        d.w.u8(kCharItem);
        d.w.u8(1);  // font
        d.w.u8(3);  // colour
        d.w.u16(ch);
        d.w.u8(0);  // property
        d.w.u8(1);  // flash (present from 1201)
    }
    d.w.i32(1);  // one graphic, 2 x 3, packed two bits a pixel
    d.w.u16(2);
    d.w.u16(3);
    d.w.u8(1);
    d.w.u8(0);
    d.w.zeros(6);
    d.w.bytes(reinterpret_cast<const uint8_t*>("PIC\0\0\0\0\0\0"), 9);
    d.w.u8(0b10011100);  // red, green, yellow, off
    d.w.u8(0b10100000);  // red, red
    d.w.i32(0);
    OpenResult r = read(d.bytes);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.work.runSequence.empty());
    EXPECT_EQ(r.work.colourType, 1);
    ASSERT_EQ(r.work.textFiles.size(), 1u);
    EXPECT_EQ(r.work.textFiles[0].items[0].ch(), ([] {
                  CharItem c = charAttrs(1, 3, 0, 1);
                  c.character = 'A';
                  return c;
              }()));
    ASSERT_EQ(r.work.graphics.size(), 1u);
    EXPECT_EQ(r.work.graphics[0].pixels,
              (std::vector<uint32_t>{kPixelRed, kPixelGreen, kPixelYellow, kPixelOff, kPixelRed,
                                     kPixelRed}));
}

TEST_F(DocumentTest, Version1199WindowsTakeTheirAreaCountFromTheLayout) {
    OldDocument d(1199);
    d.w.i32(1);
    d.w.u8(0);
    d.w.bytes(reinterpret_cast<const uint8_t*>("OLD\0\0\0\0\0\0"), 9);
    d.w.zeros(6);
    d.w.i32(2);
    d.w.u8(kWindowItem);
    d.w.u8(2);  // two areas, no count stored, no order, no flash2
    for (int i = 0; i < 2; ++i) {
        d.w.u16(0);
        d.w.u16(static_cast<uint16_t>(8 * i));
        d.w.u16(160);
        d.w.u16(8);
        d.w.u8(4);
        d.w.zeros(9);
    }
    d.w.u8(kCharItem);  // end marker without flash
    d.w.zeros(5);
    d.w.i32(0);
    d.w.i32(0);
    OpenResult r = read(d.bytes);
    ASSERT_TRUE(r.ok) << r.error;
    const WindowControl& wc = r.work.textFiles[0].items[0].window();
    ASSERT_EQ(wc.areas.size(), 2u);
    EXPECT_EQ(wc.areas[1].order, 1);
    EXPECT_EQ(wc.areas[1].valueB, 8);
}

TEST_F(DocumentTest, RefusalsGiveExactlyOneMessage) {
    Bytes good = serializeDocument(*std::make_unique<WorkArea>(sampleWork()), SignMode::KV2, clock);
    Bytes lower = good;
    for (int i = 0; i < 16; ++i)
        lower[i] = static_cast<uint8_t>(std::tolower(lower[i]));
    OpenResult r = read(lower);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, text(msg::kNotOurFile));

    Bytes newer = good;
    newer[16] = 1203 & 0xFF;
    newer[17] = 1203 >> 8;
    EXPECT_EQ(read(newer).error, text(msg::kNewerVersion));

    // Every truncation fails cleanly with the format message (or, inside the magic,
    // the not-ours message) and yields no work area; past the magic the reason
    // under it says the file is damaged or incomplete.
    for (size_t n = 0; n < good.size(); ++n) {
        OpenResult t = read(Bytes(good.begin(), good.begin() + n));
        ASSERT_FALSE(t.ok) << n;
        EXPECT_EQ(firstLine(t.error), text(n < 16 ? msg::kNotOurFile : msg::kUnexpectedFormat))
            << n;
        if (n >= 16) {
            EXPECT_EQ(reasonOf(t.error).rfind("The file is damaged or incomplete: ", 0), 0u)
                << n << ": " << t.error;
        }
        EXPECT_TRUE(t.work.textFiles.empty()) << n;
    }
    // The reason names the part where the file stops.
    OpenResult cut = read(Bytes(good.begin(), good.end() - 1));
    EXPECT_NE(reasonOf(cut.error).find("its schedule"), std::string::npos) << cut.error;
}

TEST_F(DocumentTest, HostileCountsAreRefusedBeforeAllocating) {
    WorkArea w = sampleWork();
    Bytes good = serializeDocument(w, SignMode::KV2, clock);
    // Offset of the text file count: envelope, run sequence (4 + 4+4 + 4+5), size, reserved.
    size_t textCount = 16 + 4 + 4 + 4 + 8 + 9 + 4 + 4 + 1 + 49;
    ASSERT_EQ(good[textCount], 2);
    for (uint32_t hostile : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 3u}) {
        Bytes b = good;
        ByteWriter(b).buffer();
        for (int i = 0; i < 4; ++i)
            b[textCount + i] = static_cast<uint8_t>(hostile >> (8 * i));
        const std::string error = read(b).error;
        EXPECT_EQ(firstLine(error), text(msg::kUnexpectedFormat)) << hostile;
        EXPECT_EQ(reasonOf(error).rfind("The file is damaged or incomplete: its text files", 0), 0u)
            << error;
    }
    // The first file's item count.
    size_t itemCount = textCount + 4 + 1 + 9 + 6;
    Bytes b = good;
    b[itemCount + 3] = 0x7F;
    EXPECT_EQ(firstLine(read(b).error), text(msg::kUnexpectedFormat));
    // An item kind that does not exist: damaged, not cut short.
    b = good;
    b[itemCount + 4] = 0x42;
    EXPECT_EQ(firstLine(read(b).error), text(msg::kUnexpectedFormat));
    EXPECT_EQ(reasonOf(read(b).error)
                  .rfind("The file is damaged or incomplete: its text files cannot be read", 0),
              0u)
        << read(b).error;
    // A run sequence entry longer than the file.
    b = good;
    b[16 + 4 + 4 + 4 + 3] = 0x40;
    EXPECT_EQ(firstLine(read(b).error), text(msg::kUnexpectedFormat));
}

TEST_F(DocumentTest, OpeningChecksTheFontFileOfTheSignHeight) {
    EXPECT_STREQ(fontFileNameForHeight(16), "KV2fnt.bin");
    EXPECT_STREQ(fontFileNameForHeight(17), "KV3fnt.bin");
    EXPECT_STREQ(fontFileNameForHeight(24), "KV3fnt.bin");
    EXPECT_STREQ(fontFileNameForHeight(25), "KV4fnt.bin");

    TempDir home;
    options.fontCheck = programDirFontCheck(home.path());
    WorkArea w = sampleWork();
    Bytes doc = serializeDocument(w, SignMode::KV2, clock);
    EXPECT_EQ(read(doc).error, textf(msg::kFontFileMissing, {(home / "KV2fnt.bin").string()}));
    std::filesystem::create_directory(home / "KV2fnt.bin");  // a folder is not a font file
    EXPECT_EQ(read(doc).error, textf(msg::kFontFileMissing, {(home / "KV2fnt.bin").string()}));
    std::filesystem::remove(home / "KV2fnt.bin");
    std::ofstream(home / "KV2fnt.bin") << "KRVFONT";
    EXPECT_EQ(read(doc).error, textf(msg::kFontFileInvalid, {(home / "KV2fnt.bin").string()}));
    writeFontStub(home.path(), "KV2fnt.bin");
    EXPECT_TRUE(read(doc).ok);
    w.signHeight = 25;
    EXPECT_EQ(read(serializeDocument(w, SignMode::KV2, clock)).error,
              textf(msg::kFontFileMissing, {(home / "KV4fnt.bin").string()}));
}

TEST_F(DocumentTest, SavingReplacesTheFileWholeOrNotAtAll) {
    TempDir dir;
    WorkArea w = sampleWork();
    std::string error;
    ASSERT_TRUE(saveDocument(dir / "a.glm", w, SignMode::KV2, clock, error)) << error;
    OpenResult r = openDocument(dir / "a.glm", options);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.work, w);

    // A target that cannot be replaced leaves everything as it was, temporary file included.
    std::filesystem::create_directory(dir / "b.glm");
    std::ofstream(dir / "b.glm" / "keep") << "x";
    EXPECT_FALSE(saveDocument(dir / "b.glm", w, SignMode::KV2, clock, error));
    EXPECT_NE(error.find("b.glm"), std::string::npos);
    int entries = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path()))
        (void)e, ++entries;
    EXPECT_EQ(entries, 2);
    EXPECT_FALSE(saveDocument(dir / "missing" / "c.glm", w, SignMode::KV2, clock, error));
    EXPECT_FALSE(openDocument(dir / "nothing.glm", options).ok);
}

namespace {

Bytes fileBytes(const std::filesystem::path& path) {
    Bytes bytes;
    std::string error;
    EXPECT_TRUE(readWholeFile(path, kMaxDocumentBytes, bytes, error)) << error;
    return bytes;
}

// Bytes a text file takes in a document: its head and its items.
size_t storedSize(const TextFile& f) {
    size_t n = 1 + 9 + 6 + 4;
    for (const TextItem& item : f.items)
        n += item.isChar() ? 15 : item.isWindow() ? 3 + 21 * item.window().areas.size() : 21;
    return n;
}

}  // namespace

TEST_F(DocumentTest, SavedAndOpenedFilesAreByteExactWithTheWholeBuffer) {
    TempDir dir;
    WorkArea nvs = sampleWork();
    nvs.signHeight = 32;
    WorkArea empty;
    std::vector<std::pair<WorkArea, SignMode>> documents = {
        {sampleWork(), SignMode::KV2},
        {std::move(nvs), SignMode::NVS},
        {std::move(empty), SignMode::KV2},
        {bench::maximalWorkArea(), SignMode::KV2},
    };
    options.mode = SignMode::KV2;
    for (auto& [work, mode] : documents) {
        SCOPED_TRACE(work.textFiles.size());
        WorkArea copy = work;
        const Bytes expected = serializeDocument(copy, mode, clock);
        std::string error;
        ASSERT_TRUE(saveDocument(dir / "a.glm", work, mode, clock, error)) << error;
        EXPECT_EQ(work, copy);  // stamped alike
        ASSERT_EQ(fileBytes(dir / "a.glm"), expected);

        options.mode = mode;
        OpenResult r = openDocument(dir / "a.glm", options);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_TRUE(r.work == work);
        ASSERT_TRUE(saveDocument(dir / "b.glm", r.work, mode, clock, error)) << error;
        EXPECT_TRUE(fileBytes(dir / "b.glm") == expected);
    }
}

TEST_F(DocumentTest, DamagedFilesAreRefusedWholeWhenOpened) {
    TempDir dir;
    const auto path = dir / "d.glm";
    auto openBytes = [&](const Bytes& bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return openDocument(path, options);
    };
    WorkArea sample = sampleWork();
    const Bytes small = serializeDocument(sample, SignMode::KV2, clock);
    for (size_t n = 0; n < small.size(); ++n) {
        OpenResult t = openBytes(Bytes(small.begin(), small.begin() + n));
        ASSERT_FALSE(t.ok) << n;
        EXPECT_EQ(firstLine(t.error), text(n < 16 ? msg::kNotOurFile : msg::kUnexpectedFormat))
            << n;
        EXPECT_TRUE(t.work.textFiles.empty()) << n;
    }

    // A large file damaged far from its start, past many pieces read.
    WorkArea big = bench::maximalWorkArea();
    const Bytes good = serializeDocument(big, SignMode::KV2, clock);
    const size_t textFiles = 16 + 4 + 4 + 4 + 4 + 4 + 1 + 49 + 4;
    const size_t lastFile = textFiles + storedSize(big.textFiles[0]) * (big.textFiles.size() - 1);
    ASSERT_EQ(good[lastFile + 20], kCharItem);
    Bytes badKind = good;
    badKind[lastFile + 20] = 0x42;
    Bytes badCount = good;
    badCount[lastFile + 16 + 3] = 0x40;
    for (const Bytes& bad : {badKind, badCount, Bytes(good.begin(), good.end() - 1),
                             Bytes(good.begin(), good.begin() + good.size() / 2)}) {
        OpenResult t = openBytes(bad);
        EXPECT_FALSE(t.ok);
        EXPECT_EQ(firstLine(t.error), text(msg::kUnexpectedFormat));
        EXPECT_TRUE(t.work.textFiles.empty());
        EXPECT_TRUE(t.work.graphics.empty());
    }
    // Something else entirely is refused on its first bytes.
    EXPECT_EQ(openBytes(Bytes(size_t{3} << 20, 'x')).error, text(msg::kNotOurFile));

    // A save that cannot be completed leaves the work area's stamps alone.
    WorkArea before = sample;
    TimeStamp earlier = before.textFiles[0].stamp;
    clock.set(CalendarTime{2031, 5, 6, 7, 8, 9, 2});
    std::string error;
    EXPECT_FALSE(saveDocument(dir / "missing" / "x.glm", sample, SignMode::KV2, clock, error));
    EXPECT_EQ(sample.textFiles[0].stamp, earlier);
    EXPECT_TRUE(sample == before);
}

TEST_F(DocumentTest, ClipboardBlocksCarryItemsAndRefuseNewerVersions) {
    WorkArea w = sampleWork();
    const auto& items = w.textFiles[0].items;
    Bytes block = encodeClipboardItems(items);
    std::vector<TextItem> back;
    std::string error;
    ASSERT_TRUE(decodeClipboardItems(block, 16, SignMode::KV2, back, error)) << error;
    EXPECT_EQ(back, items);
    EXPECT_EQ(block[4] | block[5] << 8, 1202);

    block[4] = 1203 & 0xFF;
    block[5] = 1203 >> 8;
    back.clear();
    EXPECT_FALSE(decodeClipboardItems(block, 16, SignMode::KV2, back, error));
    EXPECT_EQ(error, text(msg::kClipboardNewer));
    EXPECT_TRUE(back.empty());
    EXPECT_FALSE(
        decodeClipboardItems(Bytes{5, 0, 0, 0, 0xB2, 4, 0, 0, 18}, 16, SignMode::KV2, back, error));
    EXPECT_TRUE(back.empty());
}

TEST_F(DocumentTest, PlainTextPastesAsCharactersOfTheCaret) {
    CharItem at = charAttrs(2, 3, 1, 1);
    auto items = textToItems("a\tb\r\nc\n\x01\xC0\xC8", at, 32, 195);
    std::string chars;
    for (auto& i : items) {
        chars += static_cast<char>(i.ch().character);
        EXPECT_EQ(i.ch().font, 2);
        EXPECT_EQ(i.ch().property, 1);
    }
    EXPECT_EQ(chars, "a b\rc\n?\xC0?");
}

TEST_F(DocumentTest, NewDocumentsCheckTheSizeAndTheFirstName) {
    WorkArea w;
    EXPECT_EQ(makeNewWorkArea(0, 16, 0, "Main", 1, SignMode::KV2, clock, w),
              text(msg::kSignWidthTooSmall));
    EXPECT_EQ(makeNewWorkArea(160, 0, 0, "Main", 1, SignMode::KV2, clock, w),
              text(msg::kSignHeightTooSmall));
    EXPECT_EQ(makeNewWorkArea(160, 16, 0, "DEMO", 1, SignMode::KV2, clock, w),
              text(msg::kNameDemo));
    EXPECT_TRUE(w.textFiles.empty());
    ASSERT_EQ(makeNewWorkArea(96, 24, 1, "Main", 2, SignMode::NVS, clock, w), "");
    EXPECT_EQ(w.signWidth, 96);
    EXPECT_EQ(w.signHeight, 24);
    EXPECT_EQ(w.colourType, 1);
    ASSERT_EQ(w.textFiles.size(), 1u);
    EXPECT_EQ(w.textFiles[0].name.str(), "Main");
    ASSERT_EQ(w.textFiles[0].items.size(), 1u);
    EXPECT_EQ(w.textFiles[0].items[0].ch().font, 2);
    EXPECT_EQ(w.textFiles[0].items[0].ch().colour, 2);
    EXPECT_TRUE(w.textFiles[0].items[0].isCharCode(kCR));
}
