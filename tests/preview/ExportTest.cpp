// The animated GIF of the display and `lumavox-cli preview`.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "GifReader.h"
#include "PlayerHarness.h"
#include "content/Document.h"
#include "render/SignStills.h"
#include "render/preview/GifAnimation.h"
#include "render/preview/PreviewExport.h"
#include "strings/StringTable.h"
#include "support/TestSupport.h"

namespace lumavox {
namespace {

using test::GifMovie;

RgbImage picture(int w, int h, Rgb c) {
    return RgbImage(w, h, c);
}

GifMovie decode(GifAnimation& gif, uint64_t endMs) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(gif.finish(endMs, bytes, error)) << error;
    GifMovie movie;
    EXPECT_TRUE(test::readGif(bytes, movie, error)) << error;
    return movie;
}

TEST(GifAnimation, EachPictureLastsUntilTheNextAndRepeatsAreMerged) {
    GifAnimation gif(4, 2, 1);
    const RgbImage a = picture(4, 2, colours::kRed), b = picture(4, 2, colours::kGreen);
    gif.add(a, 0);
    gif.add(a, 100);  // the same picture goes on
    gif.add(b, 300);
    gif.add(b, 500);
    GifMovie movie = decode(gif, 1000);
    ASSERT_EQ(movie.frames.size(), 2u);
    EXPECT_TRUE(movie.loops);
    EXPECT_EQ(movie.frames[0].picture, a);
    EXPECT_EQ(movie.frames[0].delayCs, 30);
    EXPECT_EQ(movie.frames[1].picture, b);
    EXPECT_EQ(movie.frames[1].delayCs, 70);
}

TEST(GifAnimation, PicturesWithin20MsShowTheLatestAndTimeDoesNotDrift) {
    GifAnimation gif(2, 1, 1);
    RgbImage a = picture(2, 1, colours::kRed), b = a, c = a, d = a;
    b.set(0, 0, colours::kGreen);
    c.set(1, 0, colours::kBlue);
    d.set(1, 0, colours::kWhite);
    gif.add(a, 0);
    gif.add(b, 5);
    gif.add(c, 19);  // the picture seen at the end of the first 20 ms
    gif.add(d, 47);
    gif.add(a, 1013);
    GifMovie movie = decode(gif, 2000);
    ASSERT_EQ(movie.frames.size(), 3u);
    EXPECT_EQ(movie.frames[0].picture, c);
    EXPECT_EQ(movie.frames[0].delayCs, 4);  // 0 .. 40 ms
    EXPECT_EQ(movie.frames[1].picture, d);
    EXPECT_EQ(movie.frames[1].delayCs, 96);  // 40 .. 1000 ms
    EXPECT_EQ(movie.totalCs(), 200);
}

TEST(GifAnimation, DotsAreDrawnLikeTheRenderersPictures) {
    RgbImage p = picture(3, 2, colours::kBlack);
    p.set(1, 0, colours::kYellow);
    p.set(2, 1, {10, 20, 30});  // not a sign colour: the nearest of the palette
    GifAnimation gif(3, 2, 4);
    gif.add(p, 0);
    RgbImage q = p;
    q.set(0, 1, colours::kRed);  // only this dot changes
    gif.add(q, 100);
    GifMovie movie = decode(gif, 200);
    ASSERT_EQ(movie.width, 12);
    ASSERT_EQ(movie.height, 8);
    ASSERT_EQ(movie.frames.size(), 2u);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x) {
            Rgb want = dotPixel(q, x, y, 4);
            if (x / 4 == 2 && y / 4 == 1 && !isGridPixel(x, y, 4)) want = {0, 0, 51};
            EXPECT_EQ(movie.frames[1].picture.at(x, y), want) << x << "," << y;
        }
}

TEST(GifAnimation, AHoldLongerThanAFrameCanSayIsSplit) {
    GifAnimation gif(2, 2, 1);
    gif.add(picture(2, 2, colours::kRed), 0);
    GifMovie movie = decode(gif, 700000);
    ASSERT_EQ(movie.frames.size(), 2u);
    EXPECT_EQ(movie.frames[0].delayCs, 65535);
    EXPECT_EQ(movie.totalCs(), 70000);
    EXPECT_EQ(movie.frames[1].picture, picture(2, 2, colours::kRed));
}

TEST(GifAnimation, APictureTooLargeForTheFormatIsRefused) {
    GifAnimation gif(20000, 8, 4);
    gif.add(picture(20000, 8, colours::kRed), 0);
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_FALSE(gif.finish(100, bytes, error));
    EXPECT_FALSE(error.empty());
}

// lumavox-cli preview, end to end.
struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
};

CliResult cli(const test::TempDir& dir, const std::string& args) {
    const auto out = dir / "stdout.txt", err = dir / "stderr.txt";
    std::string cmd =
        std::string(LUMAVOX_CLI_PATH) + " " + args + " >" + out.string() + " 2>" + err.string();
    int status = std::system(cmd.c_str());
    CliResult r;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::stringstream o, e;
    o << std::ifstream(out).rdbuf();
    e << std::ifstream(err).rdbuf();
    r.out = o.str();
    r.err = e.str();
    return r;
}

TEST(CliPreview, PlaysTheDemonstrationDocumentOnceIntoAnAnimatedGif) {
    test::TempDir dir;
    const std::string doc = (dir / "demo.glm").string(), gif = (dir / "demo.gif").string();
    ASSERT_EQ(cli(dir, "demo " + doc).status, 0);
    CliResult r = cli(dir, "preview " + doc + " --dot 2 --gif " + gif);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("wrote"), std::string::npos);
    GifMovie movie;
    std::string error;
    ASSERT_TRUE(test::readGif(gif, movie, error)) << error;
    EXPECT_EQ(movie.width, 160 * 2);
    EXPECT_EQ(movie.height, 16 * 2);
    EXPECT_TRUE(movie.loops);
    ASSERT_GT(movie.frames.size(), 20u);
    for (size_t i = 1; i < movie.frames.size(); ++i)
        EXPECT_FALSE(movie.frames[i].picture == movie.frames[i - 1].picture) << i;
    // One pass: three screens slide in over 0.8 s and hold 2 s each, then the
    // two window areas play.
    EXPECT_GT(movie.totalCs(), 800);
    EXPECT_LT(movie.totalCs(), 3000);
}

TEST(CliPreview, PlaysTheGivenSecondsOfAChosenFile) {
    test::TempDir dir;
    const std::string doc = (dir / "demo.glm").string(), gif = (dir / "right.gif").string();
    ASSERT_EQ(cli(dir, "demo " + doc).status, 0);
    CliResult r =
        cli(dir, "preview " + doc + " --file *RIGHT --family nvs --seconds 3 --gif " + gif);
    ASSERT_EQ(r.status, 0) << r.err;
    GifMovie movie;
    std::string error;
    ASSERT_TRUE(test::readGif(gif, movie, error)) << error;
    EXPECT_EQ(movie.totalCs(), 300);
    EXPECT_EQ(movie.width, 160 * 4);
}

TEST(CliPreview, FilesCallingEachOtherGiveTheMessageOnceAndAnAnimation) {
    test::TempDir dir;
    WorkArea work;
    work.textFiles = {test::FileBuilder("Main").move(1).text("A").call("Loop").done(),
                      test::FileBuilder("Loop").call("Main").move(99).text("B").done()};
    std::string error;
    const auto doc = dir / "loop.glm";
    ASSERT_TRUE(saveDocument(doc, work, SignMode::KV2, SystemClock::instance(), error)) << error;
    CliResult r =
        cli(dir, "preview " + doc.string() + " --seconds 20 --gif " + (dir / "loop.gif").string());
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string message = text(msg::kPreviewRecursion);
    EXPECT_NE(r.err.find(message), std::string::npos);
    EXPECT_EQ(r.err.find(message), r.err.rfind(message));
}

TEST(PreviewExport, ASignTooLargeToDrawIsRefused) {
    WorkArea work;
    work.signWidth = 65535;
    work.signHeight = 65535;
    work.textFiles = {test::FileBuilder("Main").text("A").done()};
    PreviewExportRequest request;
    PreviewExportResult result;
    std::string error;
    test::TempDir dir;
    EXPECT_FALSE(exportPreviewGif(work, request, dir / "big.gif", result, error, nullptr));
    EXPECT_EQ(error, "the sign is too large to preview");
    EXPECT_FALSE(std::filesystem::exists(dir / "big.gif"));
}

TEST(CliPreview, BadArgumentsAndUnwritablePathsChangeNothing) {
    test::TempDir dir;
    const std::string doc = (dir / "demo.glm").string(), gif = (dir / "out.gif").string();
    ASSERT_EQ(cli(dir, "demo " + doc).status, 0);
    EXPECT_EQ(cli(dir, "preview " + doc).status, 2);  // no --gif
    EXPECT_EQ(cli(dir, "preview " + doc + " --seconds 0 --gif " + gif).status, 2);
    EXPECT_EQ(cli(dir, "preview " + doc + " --seconds 601 --gif " + gif).status, 2);
    EXPECT_EQ(cli(dir, "preview " + doc + " --seconds 2x --gif " + gif).status, 2);
    EXPECT_EQ(cli(dir, "preview " + doc + " --dot 65 --gif " + gif).status, 2);
    EXPECT_EQ(cli(dir, "preview " + doc + " --family abc --gif " + gif).status, 2);
    EXPECT_EQ(cli(dir, "preview " + doc + " --file NOSUCH --gif " + gif).status, 1);
    EXPECT_EQ(cli(dir, "preview " + (dir / "none.glm").string() + " --gif " + gif).status, 1);
    CliResult r = cli(dir, "preview " + doc + " --gif " + (dir / "no/such/dir/x.gif").string());
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(r.err.empty());
    EXPECT_FALSE(std::filesystem::exists(gif));
}

}  // namespace
}  // namespace lumavox
