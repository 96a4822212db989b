// The content a host composes and its encoding into sign bodies.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "SignContent.h"

using namespace lumavox::nvs;

namespace {

std::string bodyOf(const SignContent& c, const std::string& name) {
    for (const auto& f : c.files())
        if (sameName(f.name, name)) {
            std::string b = c.body(f);
            EXPECT_EQ(b.size(), c.bodyLength(f));  // counting pass agrees with writing pass
            return b;
        }
    ADD_FAILURE() << "no file " << name;
    return {};
}

struct TempFile {
    std::filesystem::path path;
    TempFile(const std::string& name, const std::string& bytes) {
        path = std::filesystem::temp_directory_path() /
               ("nvsocx-" + std::to_string(::getpid()) + "-" + name);
        std::ofstream(path, std::ios::binary) << bytes;
    }
    ~TempFile() { std::filesystem::remove(path); }
};

}  // namespace

TEST(Content, AddRichFileChecks) {
    SignContent c;
    EXPECT_EQ(c.addRichFile(nullptr), 0);
    EXPECT_EQ(c.addRichFile(""), 0);
    EXPECT_EQ(c.addRichFile("Main"), 1);
    EXPECT_EQ(c.addRichFile("MAIN"), -1);
    EXPECT_EQ(c.addRichFile("bad$name"), 0);
    EXPECT_EQ(c.addRichFile("bad^name"), 0);
    EXPECT_EQ(c.currentName(), "Main");
}

TEST(Content, NoTargetGivesMinusSix) {
    SignContent c;
    EXPECT_EQ(c.addMessage("x"), -6);
    EXPECT_EQ(c.addMessage(nullptr), -6);  // before any other check
    EXPECT_EQ(c.setFont(1), -6);
    EXPECT_EQ(c.setColorIndex(1), -6);
    EXPECT_EQ(c.setColorRGB(1, 2), -6);
    EXPECT_EQ(c.setCharProperty(1), -6);
    EXPECT_EQ(c.setMoveMethod(1), -6);
    EXPECT_EQ(c.setSpeed(1), -6);
    EXPECT_EQ(c.setPause(1), -6);
    EXPECT_EQ(c.setFlash(true), -6);
    EXPECT_EQ(c.setFlash(false), -6);
    EXPECT_EQ(c.insertGraphic(nullptr), -6);
    EXPECT_EQ(c.endWindow(), -6);
    EXPECT_EQ(c.addTemperature(9), -6);
    EXPECT_EQ(c.addCounter(0, 0, 0, 0, 0, 0, 0), -6);
    EXPECT_EQ(c.addDateTime(5), -6);
    EXPECT_EQ(c.addNewLine(), -6);
    EXPECT_EQ(c.addNewPage(), -6);
    EXPECT_EQ(c.addBeep(9), -6);
    EXPECT_EQ(c.setRowSpace(1), -6);
    EXPECT_EQ(c.addDisplayChar('A'), -6);
    EXPECT_EQ(c.addWindow(0, 0, 24, 16, 0), -6);  // after its own checks
    EXPECT_EQ(c.addWindow(0, 0, 23, 16, 0), -1);
}

TEST(Content, MethodResults) {
    SignContent c;
    c.setSignInfo(96, 16, 1);
    ASSERT_EQ(c.addRichFile("F"), 1);
    EXPECT_EQ(c.addMessage(""), -1);
    EXPECT_EQ(c.addMessage("a"), 1);
    EXPECT_EQ(c.addDisplayChar('b'), 0);
    EXPECT_EQ(c.setFont(20), 1);
    EXPECT_EQ(c.setColorIndex(99), 1);
    EXPECT_EQ(c.setColorRGB(0x123456, 0), 1);
    EXPECT_EQ(c.setCharProperty(1), 1);
    EXPECT_EQ(c.setMoveMethod(43), 1);
    EXPECT_EQ(c.setMoveMethod(44), -1);
    EXPECT_EQ(c.setSpeed(9), 1);
    EXPECT_EQ(c.setPause(9), 1);
    EXPECT_EQ(c.setFlash(true), 1);
    EXPECT_EQ(c.insertGraphic(""), -1);
    EXPECT_EQ(c.insertGraphic("Logo"), 1);
    EXPECT_EQ(c.addTemperature(3), -1);
    EXPECT_EQ(c.addTemperature(2), 1);
    EXPECT_EQ(c.addCounter(15, 2020, 1, 1, 0, 0, 0), -1);
    EXPECT_EQ(c.addCounter(23, 2020, 1, 1, 0, 0, 0), -1);
    EXPECT_EQ(c.addCounter(16, 2020, 13, 1, 0, 0, 0), -2);
    EXPECT_EQ(c.addCounter(16, 2020, 12, 32, 0, 0, 0), -3);
    EXPECT_EQ(c.addCounter(16, 2020, 12, 31, 24, 0, 0), -4);
    EXPECT_EQ(c.addCounter(16, 2020, 12, 31, 23, 60, 0), -5);
    EXPECT_EQ(c.addCounter(16, 2020, 12, 31, 23, 59, 60), -7);
    EXPECT_EQ(c.addCounter(38, -5, 12, 31, 23, 59, 59), 1);  // year unchecked
    EXPECT_EQ(c.addDateTime(4), -1);
    EXPECT_EQ(c.addDateTime(145), 1);
    EXPECT_EQ(c.addDateTime(0x100 + 16), 1);  // low byte is the key
    EXPECT_EQ(c.addBeep(4), -1);
    EXPECT_EQ(c.addBeep(3), 1);
    EXPECT_EQ(c.setRowSpace(5), 0);
    EXPECT_EQ(c.addNewLine(), 1);
    EXPECT_EQ(c.addNewPage(), 1);
    EXPECT_EQ(c.endWindow(), 0);
}

TEST(Content, TextEscapes) {
    SignContent c;
    c.addRichFile("T");
    c.addMessage("A^B");
    EXPECT_EQ(bodyOf(c, "T"), "$T$A^^B");
    c.clear();
    c.addRichFile("T");
    c.addMessage("L1\r\nL2");
    EXPECT_EQ(bodyOf(c, "T"), "$T$L1^ML2");
    c.addDisplayChar(16);
    c.addDisplayChar(0x015E);  // its byte on the line is a caret
    EXPECT_EQ(bodyOf(c, "T"), "$T$L1^ML2^L^^");
}

TEST(Content, CharactersOneByOneGiveTheBodyOfTheWholeText) {
    SignContent whole, single;
    whole.addRichFile("T");
    whole.addMessage("Hello");
    whole.setColorIndex(3);
    whole.addMessage("You");
    single.addRichFile("T");
    for (char ch : std::string("Hello"))
        single.addDisplayChar(ch);
    single.setColorIndex(3);
    for (char ch : std::string("You"))
        single.addDisplayChar(ch);
    EXPECT_EQ(bodyOf(single, "T"), bodyOf(whole, "T"));
    // Two texts and the colour between them, not one item per character.
    EXPECT_EQ(single.currentFile()->items.size(), 3u);
}

TEST(Content, HighBytesWidenWithSign) {
    SignContent c;
    c.addRichFile("T");
    c.addMessage("\x80\xFF");
    const auto& items = c.files()[0].items;
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].chars, std::u16string({char16_t(0xFF80), char16_t(0xFFFF)}));
    EXPECT_EQ(bodyOf(c, "T"), "$T$\x80\xFF");
}

TEST(Content, BoldThenNormal) {
    SignContent c;
    c.addRichFile("T");
    c.setCharProperty(1);
    c.addMessage("B");
    c.setCharProperty(0);
    c.addMessage("n");
    EXPECT_EQ(bodyOf(c, "T"), "$T$^H5B^H4n");
    c.setCharProperty(2);
    c.addMessage("w");
    c.setCharProperty(1);
    c.addMessage("b");
    EXPECT_EQ(bodyOf(c, "T"), "$T$^H5B^H4n^H3w^H2^H5b^H4");
}

TEST(Content, WidenAtEndClosed) {
    SignContent c;
    c.addRichFile("T");
    c.setCharProperty(2);
    c.addMessage("w");
    EXPECT_EQ(bodyOf(c, "T"), "$T$^H3w^H2");
    c.clear();
    c.addRichFile("T");
    c.setCharProperty(1);  // no text: nothing closes it
    EXPECT_EQ(bodyOf(c, "T"), "$T$^H5");
}

TEST(Content, FontsColoursMoves) {
    SignContent c;
    c.setSignInfo(160, 16, 1);
    c.addRichFile("T");
    c.setFont(9);
    c.setFont(8);
    c.setColorIndex(25);
    c.setColorIndex(26);
    c.setColorRGB(0xFF00FF, 0x000102);
    c.setMoveMethod(0);
    c.setMoveMethod(43);
    EXPECT_EQ(bodyOf(c, "T"),
              "$T$^F$SS7$^F$SMA$^O$INV9$^O$RED$^O$RGB(FF00FF,000102)$^E$AUT$^E$SCU$");
    SignContent tall;
    tall.setSignInfo(160, 32, 1);
    tall.addRichFile("T");
    tall.setFont(4);
    tall.setFont(14);
    tall.setFont(15);
    EXPECT_EQ(bodyOf(tall, "T"), "$T$^F$SS15$^F$AR24$^F$SS7$");
}

TEST(Content, SpeedPauseAndSmallItems) {
    SignContent c;
    c.addRichFile("T");
    for (int s : {0, 7, 8})
        c.setSpeed(static_cast<int16_t>(s));
    for (int p = 0; p <= 8; ++p)
        c.setPause(static_cast<int16_t>(p));
    c.setFlash(true);
    c.setFlash(false);
    c.insertGraphic("LoGo");
    c.addTemperature(1);
    c.addCounter(16, 2024, 2, 3, 4, 5, 6);
    c.addCounter(32, 2024, 12, 31, 23, 59, 59);
    c.addDateTime(3);
    c.addNewLine();
    c.addNewPage();
    c.addBeep(0);
    c.addBeep(3);
    c.setRowSpace(7);
    c.setRowSpace(10);
    EXPECT_EQ(bodyOf(c, "T"),
              "$T$^I8^I1^I5^J00^J01^J02^J03^J05^J10^J30^J60^J02^H1^H0^S$logo$^R1"
              "^R$10,02-03-2024[04:05:06]$^R$20,12-31-2024[23:59:59]$^K08:^K1A:^K1B ^K6D"
              "^M^L^V1^V4^U$3, 7$^U$3, 0$");
}

TEST(Content, DateTimeTable) {
    EXPECT_STREQ(dateTimeCode(0), "^K19:^K1A");
    EXPECT_STREQ(dateTimeCode(17), "^K74 ^K00, ^K13");
    EXPECT_STREQ(dateTimeCode(99), "^K57");
    EXPECT_STREQ(dateTimeCode(114), "^K5E");
    EXPECT_STREQ(dateTimeCode(132), "^K55");
    EXPECT_STREQ(dateTimeName(1), "Time2(23:59:59)");
    EXPECT_EQ(dateTimeCode(21), nullptr);
}

TEST(Content, WindowChecksAndEncoding) {
    SignContent c;
    c.setSignInfo(96, 16, 1);
    c.addRichFile("W");
    EXPECT_EQ(c.addWindow(0, 0, 23, 16, 0), -1);
    EXPECT_EQ(c.addWindow(0, 0, 97, 16, 0), -1);
    EXPECT_EQ(c.addWindow(0, 0, 24, 0, 0), -2);
    EXPECT_EQ(c.addWindow(0, 0, 24, 17, 0), -2);
    EXPECT_EQ(c.addWindow(-1, 0, 24, 16, 0), -3);
    EXPECT_EQ(c.addWindow(80, 0, 24, 16, 0), -3);
    EXPECT_EQ(c.addWindow(0, -1, 24, 8, 0), -4);
    EXPECT_EQ(c.addWindow(0, 9, 24, 8, 0), -4);
    EXPECT_EQ(c.addWindow(0, 0, 24, 16, 9), -5);
    EXPECT_EQ(c.addWindow(0, 0, 24, 16, -1), -5);
    EXPECT_EQ(c.addWindow(0, 0, 24, 16, 0), 1);
    EXPECT_EQ(bodyOf(c, "W"), "$W$^P$0,0,24,16,0$");
    c.setCharProperty(1);
    c.addMessage("in");
    EXPECT_EQ(c.endWindow(), 1);
    c.addMessage("out");
    EXPECT_EQ(bodyOf(c, "W"), "$W$^P$0,0,24,16,0$^H5in^H4^P$0,0,96,16,4$out");
}

// Sizes outside 1..65535 are refused and change nothing; the largest sizes
// reach the whole-sign window unchanged.
TEST(Content, SignSizesOutsideTheRangeAreRefused) {
    SignContent c;
    EXPECT_TRUE(c.setSignInfo(96, 16, 1));
    EXPECT_FALSE(c.setSignInfo(0, 16, 0));
    EXPECT_FALSE(c.setSignInfo(96, 0, 0));
    EXPECT_FALSE(c.setSignInfo(65536, 16, 0));
    EXPECT_FALSE(c.setSignInfo(96, 65536, 0));
    EXPECT_FALSE(c.setSignInfo(-96, 16, 0));
    EXPECT_EQ(c.width(), 96);
    EXPECT_EQ(c.height(), 16);
    EXPECT_EQ(c.colour(), 1);

    ASSERT_TRUE(c.setSignInfo(40000, 65535, 1));
    c.addRichFile("W");
    c.addWindow(0, 0, 24, 16, 0);
    c.endWindow();
    c.addMessage("x");
    EXPECT_EQ(bodyOf(c, "W"), "$W$^P$0,0,24,16,0$^P$0,0,40000,65535,4$x");
}

TEST(Content, EndWindowFollowedByWindowAddsNoWholeSign) {
    SignContent c;
    c.setSignInfo(96, 16, 1);
    c.addRichFile("W");
    c.addWindow(0, 0, 24, 16, 1);
    c.addMessage("a");
    c.endWindow();
    c.addWindow(24, 0, 72, 16, 2);
    c.addMessage("b");
    EXPECT_EQ(bodyOf(c, "W"), "$W$^P$0,0,24,16,1$a^P$24,0,72,16,2$b");
}

TEST(Content, LongNameCutToTenInBody) {
    SignContent c;
    c.addRichFile("ABCDEFGHIJKLMN");
    c.addMessage("x");
    EXPECT_EQ(bodyOf(c, "ABCDEFGHIJKLMN"), "$ABCDEFGHIJ$x");
}

TEST(Content, CurrentFileFallsBackToLast) {
    SignContent c;
    TempFile pic("a.bmp", "xyz");
    EXPECT_EQ(c.addDiskFile(pic.path.c_str(), "pic"), 1);
    EXPECT_EQ(c.addMessage("x"), -6);  // only a disk file: no built target
    c.addRichFile("One");
    c.addRichFile("Two");
    EXPECT_EQ(c.currentName(), "Two");
    EXPECT_EQ(c.files().front().name, "pic");  // disk files go to the front
    EXPECT_EQ(c.files().back().name, "Two");
}

TEST(Content, DiskFiles) {
    SignContent c;
    TempFile logo("logo.BMP", "Man");
    EXPECT_EQ(c.addDiskFile("", ""), -3);
    EXPECT_EQ(c.addDiskFile(nullptr, nullptr), -3);
    EXPECT_EQ(c.addDiskFile("/tmp/x.jpg", ""), -3);
    EXPECT_EQ(c.addDiskFile("/nonexistent/q.png", ""), -2);
    EXPECT_EQ(c.addDiskFile("/tmp", "x.bmp"), -3);
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("nvsocx-dir-" + std::to_string(::getpid()) + ".png");
    std::filesystem::create_directories(dir);
    EXPECT_EQ(c.addDiskFile(dir.c_str(), ""), -2);  // not a regular file
    std::filesystem::remove(dir);
    ASSERT_EQ(c.addDiskFile(logo.path.c_str(), nullptr), 1);
    std::string name = logo.path.filename().string();
    EXPECT_EQ(c.files()[0].name, name);
    EXPECT_EQ(bodyOf(c, name), lowerCase(name) + "=TWFu");
    EXPECT_EQ(c.addDiskFile(logo.path.c_str(), ""), 1);  // exists: nothing added
    EXPECT_EQ(c.files().size(), 1u);
    EXPECT_EQ(c.addDiskFile(logo.path.c_str(), "bad=label"), -3);
    EXPECT_EQ(c.addDiskFile(logo.path.c_str(), "Second"), 1);
    EXPECT_EQ(c.files()[0].name, "Second");
}

TEST(Content, Base64) {
    auto b = [](const std::string& s) {
        return base64(reinterpret_cast<const uint8_t*>(s.data()), s.size());
    };
    EXPECT_EQ(b(""), "");
    EXPECT_EQ(b("M"), "TQ==");
    EXPECT_EQ(b("Ma"), "TWE=");
    EXPECT_EQ(b("Man"), "TWFu");
    EXPECT_EQ(b(std::string("\xFF\xFE\xFD\x00", 4)), "//79AA==");
    EXPECT_EQ(base64Length(4), 8u);
}

TEST(Content, ClearContent) {
    SignContent c;
    c.addRichFile("A");
    c.clear();
    EXPECT_TRUE(c.files().empty());
    EXPECT_EQ(c.currentName(), "");
    EXPECT_FALSE(c.hasBuiltFile());
}
