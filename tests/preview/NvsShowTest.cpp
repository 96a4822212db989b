// The virtual sign of the NVS family shows what the scriptable control sent:
// text bodies in the control's caret-and-dollar language and BMP disk files
// decoded into the editor's content model and played by the preview engine.
#include <gtest/gtest.h>

#include <cstdlib>

#include "NvsContent.h"
#include "SignShow.h"
#include "SignShowSupport.h"
#include "app/Demo.h"
#include "content/Document.h"
#include "content/GraphicBmp.h"

namespace lumavox {
namespace {

using test::GifMovie;
using test::SignProcess;
using test::TempDir;

constexpr const char* kMonday = "2026-03-02 09:00:00";

sim::NvsDecodeContext context(const std::vector<GraphicFile>* graphics = nullptr) {
    sim::NvsDecodeContext c;
    c.graphics = graphics;
    return c;
}

std::string textOf(const std::vector<TextItem>& items) {
    std::string s;
    for (const auto& i : items)
        if (i.isChar()) s += static_cast<char>(i.ch().character);
    return s;
}

TEST(NvsShow, ATextBodyBecomesTheItemsItWasBuiltFrom) {
    GraphicFile arrow;
    arrow.name = "arrow";
    arrow.width = 12;
    arrow.height = 9;
    const std::vector<GraphicFile> graphics{arrow};
    std::set<std::string> used{"Main"};
    sim::NvsDecodedText d;
    std::string error;
    ASSERT_TRUE(sim::decodeNvsTextBody(
        "$Main$^E$SLL$^E$SNO$^I5^J10^F$SF10$^O$GRN$A^^B^H5C^H4^MD^H1^S$arrow.bmp$^H0"
        "^K19:^K1A^K13^R$10,12-31-2026[23:59:00]$^V2^U$3, 4$^O$RGB(00FF00,000000)$E\nF^L",
        context(&graphics), used, d, error))
        << error;
    const auto& items = d.file.items;
    EXPECT_EQ(d.file.name.str(), "Main");
    EXPECT_TRUE(d.windowFiles.empty());
    ASSERT_EQ(items[0].kind, kMove);  // out SLL (4) then in SNO (35) make one move
    EXPECT_EQ(items[0].params().valueA, 35);
    EXPECT_EQ(items[0].params().valueB, 4 + 1);
    EXPECT_EQ(items[1].kind, kSpeed);
    EXPECT_EQ(items[1].params().valueC, 3);  // "5" is the fourth speed
    EXPECT_EQ(items[2].kind, kPause);
    EXPECT_EQ(items[2].params().valueD, 5);
    EXPECT_EQ(textOf(items), std::string("A^BC\rDEF\x10\r"));
    EXPECT_EQ(items[3].ch().font, 3);
    EXPECT_EQ(items[3].ch().colour, 3);
    EXPECT_EQ(items[6].ch().character, 'C');
    EXPECT_EQ(items[6].ch().property, 1);  // C is bold
    EXPECT_EQ(items[8].ch().property, 0);
    const TextItem* graphic = nullptr;
    std::vector<const TextItem*> dates;
    const TextItem *counter = nullptr, *beep = nullptr, *pitch = nullptr;
    for (const auto& i : items) {
        if (i.kind == kGraphicItem) graphic = &i;
        if (i.kind == kDateTime) dates.push_back(&i);
        if (i.kind == kTempCounter) counter = &i;
        if (i.kind == kBeep) beep = &i;
        if (i.kind == kRowPitch) pitch = &i;
    }
    ASSERT_TRUE(graphic && counter && beep && pitch);
    EXPECT_EQ(graphic->params().name.str(), "arrow");
    EXPECT_EQ(graphic->params().valueC, 12);
    EXPECT_EQ(graphic->params().flash2, 1);
    ASSERT_EQ(dates.size(), 2u);  // the longest format first: Time1, then Year
    EXPECT_EQ(dates[0]->params().valueA, 0);
    EXPECT_EQ(dates[1]->params().valueA, 144);
    EXPECT_EQ(counter->params().valueA, 16);
    EXPECT_EQ(TimeStamp::fromBytes(counter->params().name.bytes.data()),
              (TimeStamp{0, 59, 23, 31, 12, 26}));
    EXPECT_EQ(beep->params().valueA, 1);
    EXPECT_EQ(pitch->params().valueA, 4);
    const CharItem& e = items[items.size() - 4].ch();
    EXPECT_EQ(e.character, 'E');
    EXPECT_EQ(e.colour, 127);
    EXPECT_EQ(e.colourWord1, 0x00FF00u);
}

TEST(NvsShow, WindowAreasBecomeWindowFilesAndBadBodiesAreRefusedWhole) {
    std::set<std::string> used{"Main", "*F000000"};
    sim::NvsDecodedText d;
    std::string error;
    ASSERT_TRUE(sim::decodeNvsTextBody("$Main$^P$0,0,80,16,4$^H5LEFT^H4^P$80,0,80,16,0$RIGHT",
                                       context(), used, d, error))
        << error;
    ASSERT_EQ(d.windowFiles.size(), 2u);
    EXPECT_EQ(d.windowFiles[0].name.str(), "*F000001");
    EXPECT_EQ(textOf(d.windowFiles[0].items), "LEFT\r");
    EXPECT_EQ(d.windowFiles[0].items[0].ch().property, 1);
    EXPECT_EQ(textOf(d.windowFiles[1].items), "RIGHT\r");
    EXPECT_EQ(d.windowFiles[1].items[0].ch().property, 0);
    ASSERT_EQ(d.file.items.size(), 3u);  // two windows and the end marker
    const WindowArea& right = d.file.items[1].window().areas.at(0);
    EXPECT_EQ(right.valueA, 80);
    EXPECT_EQ(right.name.str(), "*F000002");
    EXPECT_EQ(used.count("*F000002"), 1u);

    for (const char* bad : {"Main", "$Main$^Z", "$Main$^F$XX$", "$Main$^F$SS7", "$Main$AB^",
                            "$Main$^P$0,0,200,16,0$", "$Main$^P$0,0,80$", "$Main$^J04",
                            "$Main$^K99", "$Main$^R$99,12-31-2026[23:59:00]$", "$Main$^I9"}) {
        std::set<std::string> before = used;
        sim::NvsDecodedText kept = d;
        EXPECT_FALSE(sim::decodeNvsTextBody(bad, context(), used, d, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
        EXPECT_EQ(used, before) << bad;
        EXPECT_EQ(d.file, kept.file) << bad;
    }
}

TEST(NvsShow, BmpPicturesComeBackAsTheGraphicsTheyWereMadeOf) {
    GraphicFile g;
    g.name = "logo";
    g.width = 5;
    g.height = 3;
    g.pixels = {kPixelRed,   kPixelOff, kPixelGreen, kPixelYellow, kPixelRed,
                kPixelGreen, kPixelOff, kPixelOff,   kPixelYellow, kPixelRed,
                kPixelRed,   kPixelOff, kPixelOff,   kPixelGreen,  kPixelYellow};
    const auto bmp = encodeGraphicBmp(g);
    GraphicFile back;
    back.name = "logo";
    std::string error;
    ASSERT_TRUE(decodeGraphicBmp(bmp, back, error)) << error;
    EXPECT_EQ(back, g);

    // A top-down picture with a palette of two colours, one bit a dot.
    std::vector<uint8_t> mono{
        'B',  'M', 0, 0, 0,    0, 0,   0, 0,    0,    62,   0,    0, 0,  // file header
        40,   0,   0, 0, 3,    0, 0,   0, 0xFE, 0xFF, 0xFF, 0xFF,        // 3 x -2
        1,    0,   1, 0, 0,    0, 0,   0, 0,    0,    0,    0,    0, 0,
        0,    0,   0, 0, 0,    0, 2,   0, 0,    0,    0,    0,    0, 0,  // two palette entries
        0,    0,   0, 0, 0,    0, 255, 0,                                // black, red
        0xA0, 0,   0, 0, 0x40, 0, 0,   0};                               // rows: 101, 010
    GraphicFile m;
    ASSERT_TRUE(decodeGraphicBmp(mono, m, error)) << error;
    EXPECT_EQ(m.width, 3);
    EXPECT_EQ(m.height, 2);
    EXPECT_EQ(m.pixel(0, 0), kPixelRed);
    EXPECT_EQ(m.pixel(1, 0), kPixelOff);
    EXPECT_EQ(m.pixel(1, 1), kPixelRed);

    for (size_t cut : {size_t{0}, size_t{10}, size_t{40}, bmp.size() - 1}) {
        GraphicFile kept = back;
        EXPECT_FALSE(decodeGraphicBmp(std::span(bmp.data(), cut), back, error)) << cut;
        EXPECT_EQ(back, kept);
    }
    auto huge = bmp;
    huge[18] = 0xFF;  // width 255 ...
    huge[19] = 0xFF;  // ... 65535: more than any sign
    EXPECT_FALSE(decodeGraphicBmp(huge, back, error));
}

TEST(NvsShow, WhatCannotBeDecodedIsLeftOutWithAReasonAndTheRestIsKept) {
    sim::NvsSignState sign;
    auto text = [&](const std::string& key, const std::string& body) {
        sim::NvsFile f;
        f.body = body;
        f.allocated = body.size();
        f.written = true;
        sign.files[key] = f;
    };
    auto disk = [&](const std::string& key, std::vector<uint8_t> bytes) {
        sim::NvsFile f;
        f.text = false;
        f.decoded = std::move(bytes);
        f.written = true;
        sign.files[key] = f;
    };
    text("main", "$Main$^O$RED$HELLO^S$logo.bmp$");
    text("empty", "");          // allocated with no room for its body
    text("cut", "$Cut$^F$SS");  // cut short by its allocation
    text("unsent", "$Unsent$X");
    sign.files["unsent"].written = false;
    GraphicFile logo;
    logo.width = 2;
    logo.height = 2;
    logo.pixels = {kPixelRed, kPixelGreen, kPixelOff, kPixelYellow};
    disk("logo.bmp", encodeGraphicBmp(logo));
    disk("broken.bmp", {'B', 'M', 1, 2, 3});
    disk("photo.png", {0x89, 'P', 'N', 'G'});
    std::vector<std::string> problems;
    const WorkArea work =
        sim::decodeNvsContent(sign, sim::ShowSettings{}, 1, test::fixedTime(), problems);
    ASSERT_EQ(work.textFiles.size(), 1u);
    EXPECT_EQ(work.textFiles[0].name.str(), "Main");
    ASSERT_EQ(work.graphics.size(), 1u);
    EXPECT_EQ(work.graphics[0].name.str(), "logo");
    EXPECT_EQ(work.graphics[0].pixels, logo.pixels);
    EXPECT_EQ(work.textFiles[0].items[5].params().valueC, 2);  // the picture's size
    std::string all;
    for (const auto& p : problems)
        all += p + "\n";
    EXPECT_EQ(problems.size(), 4u) << all;
    for (const char* named : {"'empty'", "'cut'", "'broken.bmp'", "'photo.png'"})
        EXPECT_NE(all.find(named), std::string::npos) << named << "\n" << all;
    EXPECT_EQ(sim::filesToRun(work, "", {"MAIN", "gone"}, test::fixedTime()),
              std::vector<std::string>{"Main"});
}

// lumavox-cli's NVS route to a signsim --nvs.
void nvsCommand(const TempDir& dir, const SignProcess& sign, const std::string& command) {
    std::string out;
    ASSERT_EQ(
        test::runCli(
            dir, command + " --family nvs --home " + (dir / "home").string() + " " + sign.link(),
            &out),
        0)
        << command << "\n"
        << out;
}

class NvsSign : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("NVSOCX_TEST_TIMINGS", "20,5000,2000", 1);
        std::filesystem::create_directories(dir / "home");
        for (const char* font : {"KV2fnt.bin", "KV3fnt.bin", "KV4fnt.bin"})
            std::filesystem::copy_file(std::filesystem::path(std::getenv("LUMAVOX_HOME")) / font,
                                       dir / "home" / font);
    }
    TempDir dir;
};

TEST_F(NvsSign, ItPlaysWhatThePreviewPromisesAndFollowsPowerAndClearing) {
    WorkArea work;
    TextFile main = test::makeTextFile("Main");
    test::appendText(main, "HELLO ", test::charAttrs(1, 2));
    test::appendText(main, "NVS", test::charAttrs(1, 3, 1));
    test::appendEnd(main);
    work.textFiles.push_back(main);
    const std::string doc = (dir / "hello.glm").string();
    std::string error;
    ASSERT_TRUE(saveDocument(doc, work, SignMode::NVS, FixedClock(test::fixedTime()), error))
        << error;
    SignProcess sign(dir, {"--nvs", "--clock", kMonday});
    ASSERT_FALSE(sign.link().empty());
    nvsCommand(dir, sign, "send-all " + doc);
    const GifMovie promised = test::preview(dir, doc, kMonday, "--family nvs --file Main");
    ASSERT_GT(promised.frames.size(), 1u);
    test::expectSameFrames(test::readMovie(sign.gif()), promised);

    nvsCommand(dir, sign, "sign-off");
    test::expectSameFrames(test::readMovie(sign.gif()), test::darkSign());
    nvsCommand(dir, sign, "sign-on");
    test::expectSameFrames(test::readMovie(sign.gif()), promised);
    nvsCommand(dir, sign, "clear-memory");
    test::expectSameFrames(test::readMovie(sign.gif()), test::darkSign());
}

TEST_F(NvsSign, TheDemonstrationShowsItsTextAndItsPicture) {
    const std::string doc = (dir / "demo.glm").string();
    ASSERT_EQ(test::runCli(dir, "demo " + doc), 0);
    SignProcess sign(dir, {"--nvs", "--clock", kMonday, "--seconds", "60"});
    nvsCommand(dir, sign, "send-all " + doc);
    const GifMovie shown = test::readMovie(sign.gif());
    size_t litFrames = 0;
    for (const auto& f : shown.frames)
        if (!(f.picture == RgbImage(f.picture.width(), f.picture.height()))) ++litFrames;
    EXPECT_GT(litFrames, shown.frames.size() / 2);
    EXPECT_EQ(test::slurp(dir / "sign.err"), "");
}

}  // namespace
}  // namespace lumavox
