#include "content/FontCheck.h"

#include <gtest/gtest.h>

#include <fstream>

#include "strings/StringTable.h"
#include "strings/TextFormat.h"
#include "support/TestSupport.h"

namespace lumavox {
namespace {

using test::ScriptedPrompter;
using test::TempDir;

void writeBytes(const std::filesystem::path& path, const std::vector<uint8_t>& b) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

TEST(FontCheck, TheHeaderCheckNamesTheCause) {
    TempDir dir;
    ScriptedPrompter p;
    EXPECT_FALSE(checkFontFileHeader(dir / "none.bin", &p));
    EXPECT_FALSE(checkFontFileHeader(dir.path(), &p));
    writeBytes(dir / "short.bin", {'K', 'R', 'V'});
    EXPECT_FALSE(checkFontFileHeader(dir / "short.bin", &p));
    writeBytes(dir / "eight.bin", {'K', 'R', 'V', 'F', 'O', 'N', 'T', 'S'});
    EXPECT_FALSE(checkFontFileHeader(dir / "eight.bin", &p));
    writeBytes(dir / "wrong.bin", {'K', 'R', 'V', 'F', 'O', 'N', 'T', 'X', 0});
    EXPECT_FALSE(checkFontFileHeader(dir / "wrong.bin", &p));
    writeBytes(dir / "good.bin", {'K', 'R', 'V', 'F', 'O', 'N', 'T', 'S', 0});
    EXPECT_TRUE(checkFontFileHeader(dir / "good.bin", &p));
    ASSERT_EQ(p.shown.size(), 5u);
    EXPECT_EQ(p.shown[0].text, "Can't open font file-fileNotFound");
    EXPECT_EQ(p.shown[0].icon, Icon::None);
    EXPECT_EQ(p.shown[1].text, "Can't open font file-accessDenied");
    EXPECT_EQ(p.shown[2].text, "The head of font file error!-KRV");
    EXPECT_EQ(p.shown[3].text, "The head of font file error!-KRVFONTS");
    EXPECT_EQ(p.shown[4].text, "The head of font file error!-KRVFONTX");
    EXPECT_TRUE(checkFontFileHeader(dir / "good.bin"));  // no prompter: no messages
}

TEST(FontCheck, TheSignHeightChoosesTheFile) {
    EXPECT_STREQ(fontFileNameForHeight(1), "KV2fnt.bin");
    EXPECT_STREQ(fontFileNameForHeight(16), "KV2fnt.bin");
    EXPECT_STREQ(fontFileNameForHeight(17), "KV3fnt.bin");
    EXPECT_STREQ(fontFileNameForHeight(24), "KV3fnt.bin");
    EXPECT_STREQ(fontFileNameForHeight(25), "KV4fnt.bin");
    EXPECT_STREQ(fontFileNameForHeight(64), "KV4fnt.bin");
}

TEST(FontCheck, TheProgramDirectoryMustHoldAValidFile) {
    TempDir dir;
    FontFileCheck check = checkFontFile(dir.path(), 16);
    EXPECT_EQ(check.status, FontFileStatus::Missing);
    EXPECT_EQ(check.path, dir / "KV2fnt.bin");
    EXPECT_EQ(fontFileCheckMessage(check), textf(msg::kFontFileMissing, {check.path.string()}));

    std::filesystem::create_directory(dir / "KV2fnt.bin");  // a folder is not a font file
    EXPECT_EQ(checkFontFile(dir.path(), 16).status, FontFileStatus::Missing);

    // A bad header is reported through the prompter and counts as invalid.
    writeBytes(dir / "KV3fnt.bin", {'K', 'R', 'V'});
    ScriptedPrompter p;
    check = checkFontFile(dir.path(), 20, &p);
    EXPECT_EQ(check.status, FontFileStatus::Invalid);
    EXPECT_EQ(check.path, dir / "KV3fnt.bin");
    EXPECT_EQ(fontFileCheckMessage(check), textf(msg::kFontFileInvalid, {check.path.string()}));
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].text, "The head of font file error!-KRV");

    test::writeFontStub(dir.path(), "KV4fnt.bin");
    check = checkFontFile(dir.path(), 40, &p);
    EXPECT_EQ(check.status, FontFileStatus::Ok);
    EXPECT_EQ(check.path, dir / "KV4fnt.bin");
    EXPECT_EQ(fontFileCheckMessage(check), "");
    EXPECT_EQ(p.shown.size(), 1u);  // nothing more to say about a good file
}

}  // namespace
}  // namespace lumavox
