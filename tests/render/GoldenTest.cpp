// Rendered documents compared pixel by pixel with pictures checked in under
// golden/. After a deliberate change in drawing, regenerate them with
// LUMAVOX_UPDATE_GOLDEN=1 and look at the new pictures before committing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "app/Demo.h"
#include "content/FontCheck.h"
#include "content/WindowLayout.h"
#include "render/FontSet.h"
#include "render/Png.h"
#include "render/SignStills.h"
#include "support/TestSupport.h"

namespace lumavox {
namespace {

const std::filesystem::path kGolden = LUMAVOX_GOLDEN_DIR;

const FontSet& shippedFonts(const char* file) {
    static std::map<std::string, FontSet> sets;
    FontSet& f = sets[file];
    if (!f.IsLoaded()) f.Load(std::filesystem::path(LUMAVOX_DATA_DIR) / file, nullptr);
    return f;
}

void expectGolden(const RgbImage& actual, const std::string& name) {
    std::string error;
    const std::filesystem::path path = kGolden / name;
    if (std::getenv("LUMAVOX_UPDATE_GOLDEN")) {
        ASSERT_TRUE(writePng(path, actual, error)) << error;
        return;
    }
    RgbImage expected;
    ASSERT_TRUE(readPng(path, expected, error)) << path << ": " << error;
    ASSERT_EQ(actual.width(), expected.width()) << name;
    ASSERT_EQ(actual.height(), expected.height()) << name;
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            if (!(actual.at(x, y) == expected.at(x, y))) {
                std::filesystem::path out =
                    std::filesystem::temp_directory_path() / ("actual-" + name);
                writePng(out, actual, error);
                FAIL() << name << " differs first at " << x << "," << y << "; see " << out;
            }
}

CalendarTime fixedNow() {
    return {2024, 12, 31, 23, 59, 58, 2};
}

RgbImage render(const WorkArea& work, const std::string& file, SignMode mode, int dot) {
    const FontSet& fonts = shippedFonts(fontFileNameForHeight(work.signHeight));
    StillOptions options;
    options.mode = mode;
    options.defaultColour = mode == SignMode::NVS ? 2 : 1;
    options.now = fixedNow();
    const TextFile* f = work.findFile(file);
    EXPECT_NE(f, nullptr);
    return dotPicture(renderStills(work, *f, fonts, options), dot);
}

void addText(TextFile& f, std::string_view s, uint8_t font, uint8_t colour, uint8_t property = 0) {
    for (char c : s) {
        CharItem ch = test::charAttrs(font, colour, property);
        ch.character = static_cast<uint8_t>(c);
        f.items.push_back(TextItem::character(ch));
    }
}

TEST(Golden, DemoDocument) {
    FixedClock clock(fixedNow());
    WorkArea work = makeDemoWorkArea(clock);
    expectGolden(render(work, "Main", SignMode::KV2, 4), "demo_kv2.png");
}

TEST(Golden, AllColoursOfBothFamilies) {
    WorkArea kv2;
    TextFile& a = kv2.textFiles.emplace_back(test::makeTextFile("KV2"));
    // SS7 letters in the 17 KV2 colours, then solid blocks in each colour.
    for (int code = 0; code <= 16; ++code)
        addText(a, std::string(1, static_cast<char>('A' + code)), 1, static_cast<uint8_t>(code));
    addText(a, "\r", 1, 1);
    for (int code = 1; code <= 16; ++code)
        addText(a, "\x7f", 1, static_cast<uint8_t>(code));
    test::appendEnd(a);
    expectGolden(render(kv2, "KV2", SignMode::KV2, 2), "colours_kv2.png");

    WorkArea nvs;
    TextFile& b = nvs.textFiles.emplace_back(test::makeTextFile("NVS"));
    for (int code = 0; code <= 25; ++code)
        addText(b, "\x7f", 1, static_cast<uint8_t>(code));
    addText(b, "\r", 1, 2);
    addText(b, "Bold", 1, 5, 1);
    addText(b, " Wide", 1, 6, 2);
    addText(b, " \x80\xa9\xb0", 1, 1);
    test::appendEnd(b, test::charAttrs(1, 2));
    expectGolden(render(nvs, "NVS", SignMode::NVS, 2), "colours_nvs.png");
}

TEST(Golden, TallSignWithWindowsCountersAndFonts) {
    WorkArea work;
    work.signWidth = 96;
    work.signHeight = 32;
    TextFile& main = work.textFiles.emplace_back(test::makeTextFile("Main"));
    ControlParams move = test::params(1);
    main.items.push_back(TextItem::control(kMove, move));
    addText(main, "Seven ", 1, 1);
    addText(main, "Arial", 12, 2);
    addText(main, "\r", 1, 1);
    ControlParams counter = test::params(20, 0, 3);
    TimeStamp target{0, 0, 0, 1, 1, 25};  // 2025-01-01 00:00:00
    {
        const auto bytes = target.bytes();
        std::copy(bytes.begin(), bytes.end(), counter.name.bytes.begin());
    }
    main.items.push_back(TextItem::control(kTempCounter, counter));
    addText(main, " ", 1, 1);
    main.items.push_back(TextItem::control(kTempCounter, test::params(0, 0, 1)));
    main.items.push_back(TextItem::control(kMove, test::params(1)));
    main.items.push_back(TextItem::window(makeWindowControl(2, work.signWidth, work.signHeight)));
    main.items.back().window().areas[0].name = "*TOP";
    main.items.back().window().areas[0].byteE = 0;
    main.items.back().window().areas[1].name = "*LOW";
    main.items.back().window().areas[1].byteE = 8;
    test::appendEnd(main);
    TextFile& top = work.textFiles.emplace_back(test::makeTextFile("*TOP", kWindowFile));
    addText(top, "top left", 0, 3);
    test::appendEnd(top);
    TextFile& low = work.textFiles.emplace_back(test::makeTextFile("*LOW", kWindowFile));
    low.items.push_back(TextItem::control(kDateTime, test::params(3, 1, 4)));  // [RB1]
    test::appendEnd(low);
    expectGolden(render(work, "Main", SignMode::KV2, 2), "tall_kv4.png");
}

}  // namespace
}  // namespace lumavox
