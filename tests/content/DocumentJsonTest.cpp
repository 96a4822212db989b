#include <gtest/gtest.h>

#include <sstream>

#include "app/Demo.h"
#include "content/Document.h"
#include "content/DocumentJson.h"
#include "content/Json.h"
#include "support/TestSupport.h"

using namespace lumavox;
using namespace lumavox::test;

namespace {

std::string dump(const WorkArea& work, SignMode mode = SignMode::KV2) {
    std::ostringstream out;
    dumpWorkAreaJson(work, mode, 1202, {}, out, mode);
    return out.str();
}

// Every item kind, names with bytes after their terminator, a counter, colours
// of the NVS table, a graphic with a colour outside the four letters.
WorkArea everyKind(SignMode mode) {
    WorkArea w;
    w.signWidth = 96;
    w.signHeight = 24;
    w.colourType = 1;
    w.runSequence = {"Main", "GONE", std::string("\xE9t\xE9")};
    TextFile main = makeTextFile("Main");
    appendText(main, "Hi\xE9", charAttrs(12, mode == SignMode::NVS ? 22 : 16, 2, 1));
    main.items.push_back(TextItem::control(kTempCounter, params(1, 2, 3, 1, 1)));
    ControlParams counter = params(33, 1, 2, 0, 0);
    TimeStamp end{5, 4, 3, 2, 1, 30};
    auto b = end.bytes();
    std::copy(b.begin(), b.end(), counter.name.bytes.begin());
    main.items.push_back(TextItem::control(kTempCounter, counter));
    main.items.push_back(TextItem::control(kMove, params(43, 44)));
    main.items.push_back(TextItem::control(kSpeed, params(0, 0, 7)));
    main.items.push_back(TextItem::control(kPause, params(0, 0, 0, 7)));
    main.items.push_back(TextItem::control(kDateTime, params(145, 3, 4, 2, 1)));
    main.items.push_back(TextItem::control(kBeep, params(2)));
    ControlParams graphic = params(0, 0, 8, 2);
    graphic.name = "Logo";
    graphic.flash2 = 1;
    main.items.push_back(TextItem::control(kGraphicItem, graphic));
    main.items.push_back(TextItem::control(kRowPitch, params(mode == SignMode::NVS ? 9 : 23)));
    ControlParams include = params(0);
    include.name = "Other";
    include.name.bytes[7] = 'Z';  // after the terminator: kept as bytes
    main.items.push_back(TextItem::control(kInclude, include));
    WindowControl win;
    win.layoutType = 9;
    WindowArea left = params(0, 0, 48, 24, 4);
    left.name = "*W";
    left.order = 1;
    WindowArea right = params(48, 0, 48, 24, 8);
    right.order = 0;
    right.flash2 = 3;
    win.areas = {left, right};
    main.items.push_back(TextItem::window(win));
    CharItem lf = charAttrs(1, 1);
    lf.character = kLF;
    lf.colourWord1 = 0xFFFFFFFF;
    lf.colourWord2 = 7;
    main.items.push_back(TextItem::character(lf));
    appendEnd(main);
    TextFile other = makeTextFile("Other");
    appendEnd(other);
    TextFile window = makeTextFile("*W", kWindowFile);
    appendText(window, "w", charAttrs(0, 0));
    appendEnd(window);
    w.textFiles = {main, other, window};
    GraphicFile g;
    g.name = "Logo";
    g.width = 8;
    g.height = 2;
    g.reserved = 9;
    g.pixels = {kPixelRed, kPixelGreen, kPixelYellow, 0x123456, 0, 0, kPixelRed, 0, 0, 0, 0, 0, 0,
                0,         0,           kPixelGreen};
    w.graphics = {g};
    ScheduleTask t;
    t.startYear = 2024;
    t.startMonth = 3;
    t.startDay = 1;
    t.startHour = 8;
    t.endYear = 2024;
    t.endMonth = 3;
    t.endDay = 31;
    t.endHour = 18;
    t.endMinute = 30;
    t.fileName = "Main";
    t.weekdays = 0x15;
    t.flags = 0x82;
    w.tasks = {t, ScheduleTask{}};
    return w;
}

// Saves `work` at a fixed time.
std::vector<uint8_t> bytesOf(WorkArea work, SignMode mode) {
    FixedClock clock(fixedTime());
    return serializeDocument(work, mode, clock);
}

WorkAreaFromJson read(const std::string& text, SignMode mode = SignMode::KV2) {
    WorkAreaFromJson made;
    std::string error;
    EXPECT_TRUE(readWorkAreaJson(text, mode, made, error)) << error;
    return made;
}

std::string refusal(const std::string& text, SignMode mode = SignMode::KV2) {
    WorkAreaFromJson made;
    std::string error;
    EXPECT_FALSE(readWorkAreaJson(text, mode, made, error)) << text;
    return error;
}

std::string replaced(std::string s, const std::string& from, const std::string& to) {
    size_t at = s.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) s.replace(at, from.size(), to);
    return s;
}

}  // namespace

TEST(DocumentJson, WhatIsDumpedReadsBackToTheSameDocumentBytes) {
    FixedClock clock(fixedTime());
    for (SignMode mode : {SignMode::KV2, SignMode::NVS}) {
        for (const WorkArea& work : {makeDemoWorkArea(clock), everyKind(mode)}) {
            WorkAreaFromJson made = read(dump(work, mode), mode);
            EXPECT_TRUE(made.work == work);
            EXPECT_EQ(bytesOf(made.work, made.documentMode), bytesOf(work, mode));
            // The dump of what was read is the same text again.
            EXPECT_EQ(dump(made.work, mode), dump(work, mode));
        }
    }
}

TEST(DocumentJson, TheSaveTimeIsTheLatestStampAndTheFamilyIsTheDocuments) {
    WorkArea work = everyKind(SignMode::KV2);
    work.textFiles[1].stamp = {1, 2, 3, 4, 5, 26};
    work.graphics[0].stamp = {0, 0, 0, 1, 1, 25};
    std::ostringstream out;
    dumpWorkAreaJson(work, SignMode::KV2, 1202, {"a warning"}, out, SignMode::NVS);
    WorkAreaFromJson made = read(out.str());
    ASSERT_TRUE(made.savedAt);
    EXPECT_EQ(made.savedAt->year, 2026);
    EXPECT_EQ(made.savedAt->month, 5);
    EXPECT_EQ(made.savedAt->second, 1);
    EXPECT_EQ(made.mode, SignMode::KV2);
    EXPECT_EQ(made.documentMode, SignMode::NVS);
}

TEST(DocumentJson, AShortHandWrittenMessageTakesNamesForNumbers) {
    WorkAreaFromJson made = read(R"({
      "signWidth": 96, "signHeight": 16,
      "textFiles": [{"name": "Hello", "items": [
        {"type": "move", "valueA": 1},
        {"type": "speed", "speed": 8},
        {"type": "char", "text": "Hi!", "colourName": "[GRN]"},
        {"type": "char", "text": "\\r"},
        {"type": "char", "text": "Yo", "property": 1}
      ]}],
      "tasks": [{"file": "Hello", "enabled": false, "priority": 2, "lastWeekday": 5}]
    })");
    const WorkArea& w = made.work;
    EXPECT_EQ(w.signWidth, 96);
    EXPECT_FALSE(made.savedAt);
    ASSERT_EQ(w.textFiles.size(), 1u);
    const TextFile& f = w.textFiles[0];
    EXPECT_EQ(f.kind, kTextFile);
    ASSERT_EQ(f.items.size(), 9u);  // move, speed, H i ! CR Y o, end marker
    EXPECT_EQ(f.items[1].params().valueC, 7);
    EXPECT_EQ(f.items[2].ch().colour, 2);
    EXPECT_EQ(f.items[2].ch().font, 1);
    EXPECT_EQ(f.items[4].ch().character, '!');
    EXPECT_TRUE(f.items[5].isCharCode(kCR));
    EXPECT_EQ(f.items[6].ch().property, 1);
    // The end marker takes the last character's attributes.
    EXPECT_TRUE(f.items[8].isCharCode(kCR));
    EXPECT_EQ(f.items[8].ch().property, 1);
    ASSERT_EQ(w.tasks.size(), 1u);
    EXPECT_EQ(w.tasks[0].flags, 0x02);
    EXPECT_EQ(w.tasks[0].weekdays, 0x05);
    EXPECT_EQ(w.tasks[0].endHour, 23);
}

TEST(DocumentJson, WrongValuesAreRefusedWithTheirPathAndReason) {
    const std::string good = dump(everyKind(SignMode::KV2));
    ASSERT_TRUE(read(good).work.textFiles.size() == 3);
    struct Case {
        std::string from, to, expected;
    };
    const Case cases[] = {
        {"\"speed\": 8", "\"speed\": 9", "$.textFiles[0].items[6].speed: must be 1..8"},
        {"\"speed\": 8", "\"speed\": 8, \"tempo\": 1",
         "$.textFiles[0].items[6].tempo: unknown key"},
        {"\"speed\": 8", "\"speed\": 2", "$.textFiles[0].items[6].speed: does not match valueC"},
        {"\"colour\": 16", "\"colour\": 17", "$.textFiles[0].items[0].colour: must be 0..16"},
        {"\"colour\": 16", "\"colour\": \"16\"",
         "$.textFiles[0].items[0].colour: must be a number"},
        {"\"font\": 12", "\"font\": 16", "$.textFiles[0].items[0].font: must be 0..15"},
        {"\"label\": \"[Speed 8(Fastest)]\"", "\"label\": \"[Speed 1(Slowest)]\"",
         "$.textFiles[0].items[6].label: does not match the values"},
        {"\"name\": \"Other\",\n      \"stamp\"", "\"name\": \"Main\",\n      \"stamp\"",
         "$.textFiles[1].name: "},
        {"\"signHeight\": 24", "\"signHeight\": 0", "$.signHeight: must be 1..65535"},
        {"\"G#.....G\"", "\"G#.....\"", "$.graphics[0].rows[1]: must be 8 dots long"},
        {"\"RY.R....\"", "\"RYXR....\"", "$.graphics[0].rows[0]: dots are"},
        {"\"value\": 1193046", "\"value\": 255", "$.graphics[0].otherPixels[0].value: is a colour"},
        {"\"alignment\": 8", "\"alignment\": 9", ".areas[1].alignment: must be 0..8"},
        {"\"order\": 1", "\"order\": 0",
         ".areas[1].order: another area of the window has this order"},
        {"\"weekdays\": 21", "\"weekdays\": 23", "$.tasks[0].weekdays: each half must be"},
        {"\"start\": \"2024-03-01 08:00\"", "\"start\": \"2024-13-01 08:00\"",
         "$.tasks[0].start: is no date"},
        {"\"counterStamp\": \"2030-01-02 03:04:05\"", "\"counterStamp\": \"2130-01-02 03:04:05\"",
         "counterStamp: is no date and time of the years 2000 to 2099"},
        {"\"family\": \"KV2\"", "\"family\": \"KV3\"", "$.family: must be \"KV2\" or \"NVS\""},
    };
    for (const Case& c : cases) {
        std::string error = refusal(replaced(good, c.from, c.to));
        EXPECT_NE(error.find(c.expected), std::string::npos) << c.to << "\n -> " << error;
    }
    // The layout type case above names its path too.
    EXPECT_EQ(refusal(replaced(good, "\"layoutType\": 9", "\"layoutType\": 10")),
              "$.textFiles[0].items[13].layoutType: must be 1..9");
    // A call that comes back to its caller.
    std::string cycle = R"({"textFiles": [
        {"name": "A", "items": [{"type": "include", "name": "B"}]},
        {"name": "B", "items": [{"type": "include", "name": "A"}]}]})";
    EXPECT_EQ(refusal(cycle), "$.textFiles[0]: calls itself through its includes or windows");
    EXPECT_EQ(refusal(R"({"textFiles": []})"), "$.textFiles: must hold at least one text file");
    EXPECT_EQ(refusal(R"({"textFiles": [{"name": "Main", "items": [{"type": "char"}]}]})"),
              "$.textFiles[0].items[0]: needs \"character\" or \"text\"");
    std::string tasks = "{\"textFiles\": [{\"name\": \"M\"}], \"tasks\": [";
    for (int i = 0; i < 31; ++i)
        tasks += std::string(i ? "," : "") + "{}";
    EXPECT_EQ(refusal(tasks + "]}"), "$.tasks: holds more than 30 entries");
}

TEST(DocumentJson, TheReaderIsBoundedAndSaysWhereTheTextIsWrong) {
    JsonValue v;
    std::string error;
    EXPECT_FALSE(parseJson("{\n  \"a\": [1, 2,, 3]\n}", v, error));
    EXPECT_EQ(error, "line 2, column 14: unexpected character ','");
    EXPECT_FALSE(parseJson(std::string(100, '[') + std::string(100, ']'), v, error));
    EXPECT_NE(error.find("nested deeper than 64 levels"), std::string::npos);
    EXPECT_TRUE(parseJson(std::string(64, '[') + std::string(64, ']'), v, error)) << error;
    JsonLimits small;
    small.maxBytes = 8;
    EXPECT_FALSE(parseJson("[1, 2, 3, 4]", v, error, small));
    EXPECT_NE(error.find("larger than 8 bytes"), std::string::npos);
    EXPECT_FALSE(parseJson(R"({"a": 1, "a": 2})", v, error));
    EXPECT_NE(error.find("appears twice"), std::string::npos);
    EXPECT_FALSE(parseJson("1.5", v, error));
    EXPECT_FALSE(parseJson("99999999999999999999", v, error));
    EXPECT_FALSE(parseJson("\"\\u0100\"", v, error));
    EXPECT_FALSE(parseJson("\"\xC3\"", v, error));
    EXPECT_FALSE(parseJson("[1] x", v, error));
    // Latin-1 code points, escaped or in UTF-8, are single bytes.
    ASSERT_TRUE(parseJson("[\"\\u00e9\xC3\xA9\", -9223372036854775808]", v, error)) << error;
    EXPECT_EQ(v.elements[0].text, "\xE9\xE9");
    EXPECT_EQ(v.elements[1].number, INT64_MIN);
    // A failed parse leaves the value alone.
    EXPECT_FALSE(parseJson("[", v, error));
    EXPECT_EQ(v.elements.size(), 2u);

    // Wide text keeps every character, a surrogate pair as one; a lone
    // surrogate is no character and is refused.
    JsonLimits wide;
    wide.wideText = true;
    ASSERT_TRUE(parseJson("\"\\u4e2d\\ud83d\\ude00\"", v, error, wide)) << error;
    EXPECT_EQ(v.wide, U"\u4E2D\U0001F600");
    EXPECT_EQ(v.text, "??");
    for (const char* lone : {"\"\\ud83d\"", "\"\\ude00\"", "\"\\ud83dx\""})
        EXPECT_FALSE(parseJson(lone, v, error, wide)) << lone;
    EXPECT_NE(error.find("surrogate"), std::string::npos) << error;
}

TEST(Base64, IsStrictAndRoundTrips) {
    std::vector<uint8_t> out;
    EXPECT_TRUE(decodeBase64("TWFu", out));
    EXPECT_EQ(std::string(out.begin(), out.end()), "Man");
    EXPECT_TRUE(decodeBase64("TWE=", out));
    EXPECT_EQ(std::string(out.begin(), out.end()), "Ma");
    EXPECT_TRUE(decodeBase64("TQ==", out));
    EXPECT_EQ(std::string(out.begin(), out.end()), "M");
    for (const char* bad : {"TWF", "TW=u", "T===", "TQ==TQ==", "TWF\n", "=AAA"})
        EXPECT_FALSE(decodeBase64(bad, out)) << bad;
    std::vector<uint8_t> all(256);
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<uint8_t>(i);
    for (long n = 250; n <= 256; ++n) {
        std::vector<uint8_t> part(all.begin(), all.begin() + n);
        ASSERT_TRUE(decodeBase64(encodeBase64(part), out));
        EXPECT_EQ(out, part);
    }
    EXPECT_EQ(encodeBase64(std::vector<uint8_t>{'M', 'a'}), "TWE=");
}
