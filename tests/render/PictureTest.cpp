#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "render/Png.h"
#include "render/SignStills.h"
#include "support/TestSupport.h"

namespace lumavox {
namespace {

TEST(Png, RoundTripsEveryPixel) {
    test::TempDir dir;
    RgbImage img(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            img.set(x, y, {static_cast<uint8_t>(x * 50), static_cast<uint8_t>(y * 100), 7});
    std::string error;
    ASSERT_TRUE(writePng(dir / "a.png", img, error)) << error;
    RgbImage back;
    ASSERT_TRUE(readPng(dir / "a.png", back, error)) << error;
    EXPECT_EQ(back, img);
    EXPECT_FALSE(readPng(dir / "missing.png", back, error));
    std::ofstream(dir / "bad.png") << "not a png";
    EXPECT_FALSE(readPng(dir / "bad.png", back, error));
    EXPECT_FALSE(writePng(dir / "empty.png", RgbImage(), error));
}

TEST(DotPicture, ScalesDotsWithAGridAndStacksTheStills) {
    RgbImage a(2, 1, colours::kRed);
    RgbImage b(2, 1, colours::kGreen);
    RgbImage small = dotPicture({a, b}, 2);  // no grid below 4 pixels a dot
    ASSERT_EQ(small.width(), 4);
    ASSERT_EQ(small.height(), 2 + 2 + 2);
    EXPECT_EQ(small.at(0, 0), colours::kRed);
    EXPECT_EQ(small.at(3, 1), colours::kRed);
    EXPECT_EQ(small.at(0, 2), kSeparatorColour);
    EXPECT_EQ(small.at(0, 4), colours::kGreen);
    RgbImage big = dotPicture({a}, 4);
    ASSERT_EQ(big.width(), 8);
    EXPECT_EQ(big.at(0, 0), kGridColour);
    EXPECT_EQ(big.at(4, 2), kGridColour);
    EXPECT_EQ(big.at(2, 0), kGridColour);
    EXPECT_EQ(big.at(1, 1), colours::kRed);
    EXPECT_EQ(big.at(5, 3), colours::kRed);
}

TEST(Image, FillAndBlitClipToTheImage) {
    RgbImage img(3, 2);
    img.fill({-1, 1, 3, 5}, colours::kBlue);
    EXPECT_EQ(img.at(0, 0), colours::kBlack);
    EXPECT_EQ(img.at(1, 1), colours::kBlue);
    EXPECT_EQ(img.at(2, 1), colours::kBlack);
    RgbImage src(2, 2, colours::kWhite);
    img.blit(src, 2, -1);
    EXPECT_EQ(img.at(2, 0), colours::kWhite);
    EXPECT_EQ(img.at(1, 0), colours::kBlack);
    EXPECT_EQ(intersect({0, 0, 2, 2}, {5, 5, 1, 1}).width, 0);
}

// lumavox-cli render, end to end.
int run(const std::string& args) {
    std::string cmd = std::string(LUMAVOX_CLI_PATH) + " " + args + " >/dev/null 2>&1";
    int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(CliRender, WritesEveryScreenOfTheFirstTextFile) {
    test::TempDir dir;
    // The program directory holds the font files the build placed beside the executables.
    const std::string doc = (dir / "demo.glm").string();
    const std::string png = (dir / "demo.png").string();
    ASSERT_EQ(run("demo " + doc), 0);
    ASSERT_EQ(run("render " + doc + " --dot 3 --png " + png), 0);
    RgbImage picture;
    std::string error;
    ASSERT_TRUE(readPng(png, picture, error)) << error;
    EXPECT_EQ(picture.width(), 160 * 3);
    // Three screens and the two window areas' screens, less the window screen itself.
    EXPECT_EQ(picture.height(), 4 * 16 * 3 + 3 * 3);
    ASSERT_EQ(run("render " + doc + " --file *LEFT --family nvs --png " + png), 0);
    ASSERT_TRUE(readPng(png, picture, error)) << error;
    EXPECT_EQ(picture.width(), 160 * 4);
    EXPECT_EQ(picture.height(), 16 * 4);
    EXPECT_EQ(run("render " + doc + " --file NOSUCH --png " + png), 1);
    EXPECT_EQ(run("render " + doc), 2);  // no --png
    EXPECT_EQ(run("render " + doc + " --dot 0 --png " + png), 2);
    EXPECT_EQ(run("render " + (dir / "none.glm").string() + " --png " + png), 1);
    // Without font files the document cannot be opened.
    EXPECT_EQ(run("render " + doc + " --home " + dir.path().string() + " --png " + png), 1);
}

// A font file cut short: `render` and `preview` say why and write no picture.
TEST(CliRender, AFontFileCutShortFailsRenderAndPreview) {
    test::TempDir dir;
    const std::string doc = (dir / "demo.glm").string();
    ASSERT_EQ(run("demo " + doc), 0);
    // The build's font files, the one a 16-dot sign needs cut in the middle of
    // its records.
    const std::filesystem::path home = dir / "home";
    std::filesystem::create_directories(home);
    for (const char* font : {"KV2fnt.bin", "KV3fnt.bin", "KV4fnt.bin"})
        std::filesystem::copy_file(std::filesystem::path(std::getenv("LUMAVOX_HOME")) / font,
                                   home / font);
    std::filesystem::resize_file(home / "KV2fnt.bin",
                                 std::filesystem::file_size(home / "KV2fnt.bin") / 2);
    const std::string png = (dir / "demo.png").string();
    const std::string gif = (dir / "demo.gif").string();
    const std::string err = (dir / "err.txt").string();
    auto failure = [&](const std::string& args) {
        std::string cmd = std::string(LUMAVOX_CLI_PATH) + " " + args + " --home " + home.string() +
                          " >/dev/null 2>" + err;
        int status = std::system(cmd.c_str());
        std::ifstream in(err);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1) << args << "\n" << text;
        // The loader's message, once.
        EXPECT_NE(text.find("KV2fnt.bin"), std::string::npos) << text;
        EXPECT_EQ(text.find("KV2fnt.bin"), text.rfind("KV2fnt.bin")) << text;
    };
    failure("render " + doc + " --png " + png);
    EXPECT_FALSE(std::filesystem::exists(png));
    failure("preview " + doc + " --seconds 2 --gif " + gif);
    EXPECT_FALSE(std::filesystem::exists(gif));
}

}  // namespace
}  // namespace lumavox
