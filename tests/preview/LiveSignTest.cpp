// The live picture of a sign for its window: scenes handed over from another
// thread replace the one playing; the test pattern, dark and the files are
// what the window gets to paint. And `signsim --show` runs its windows beside
// the line and ends cleanly.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "LiveSign.h"
#include "SignShowSupport.h"
#include "app/Demo.h"
#include "render/DocumentPicture.h"
#include "render/Png.h"

namespace lumavox {
namespace {

using sim::LiveSign;
using sim::SignScene;

// Polls the sign's newest picture until `wanted` holds; generous bound, as
// the player runs on its own thread.
template <typename Want>
bool pictureBecomes(const LiveSign& sign, Want wanted, RgbImage* last = nullptr) {
    RgbImage picture;
    uint64_t seen = 0;
    for (int i = 0; i < 20000; ++i) {
        if (sign.takeIfNewer(picture, seen) && wanted(picture)) {
            if (last) *last = picture;
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

std::shared_ptr<SignScene> scene(SignScene::Show show, int colourType = 0) {
    auto s = std::make_shared<SignScene>();
    s->show = show;
    s->work.colourType = static_cast<uint8_t>(colourType);
    return s;
}

bool anyLit(const RgbImage& p) {
    return !(p == RgbImage(p.width(), p.height()));
}

TEST(LiveSign, ScenesHandedOverFromTheLinePlayInTurn) {
    LiveSign sign(1, 160, 16, 1, LiveSign::Pace::Unpaced);
    RgbImage first;
    ASSERT_TRUE(pictureBecomes(
        sign, [](const RgbImage&) { return true; }, &first));
    EXPECT_FALSE(anyLit(first));  // dark until told otherwise

    // From another thread, as the line hands them over.
    std::thread([&] { sign.show(scene(SignScene::Show::TestPattern, 1)); }).join();
    EXPECT_TRUE(pictureBecomes(
        sign, [](const RgbImage& p) { return p == RgbImage(160, 16, colours::kRed); }));
    sign.show(scene(SignScene::Show::TestPattern));
    EXPECT_TRUE(pictureBecomes(
        sign, [](const RgbImage& p) { return p == RgbImage(160, 16, colours::kYellow); }));

    auto files = std::make_shared<SignScene>();
    files->show = SignScene::Show::Files;
    files->work = makeDemoWorkArea(FixedClock(test::fixedTime()));
    files->now = test::fixedTime();
    auto fonts = std::make_shared<FontSet>();
    std::string error;
    ASSERT_TRUE(loadSignFonts(std::getenv("LUMAVOX_HOME"), 16, *fonts, error, nullptr)) << error;
    files->fonts = fonts;
    sign.show(files);
    // Text in the demonstration's colours, not the test pattern's full dots.
    EXPECT_TRUE(pictureBecomes(sign, [](const RgbImage& p) {
        return anyLit(p) && !(p == RgbImage(160, 16, p.at(0, 0)));
    }));

    sign.show(scene(SignScene::Show::Dark));
    EXPECT_TRUE(pictureBecomes(
        sign, [&](const RgbImage& p) { return sign.scenesStarted() == 4 && !anyLit(p); }));

    // A scene of another size than the window's is shown dark, not drawn.
    auto other = std::make_shared<SignScene>(*files);
    other->work.signWidth = 320;
    sign.show(other);
    EXPECT_TRUE(pictureBecomes(sign, [&](const RgbImage& p) {
        return sign.scenesStarted() == 5 && !anyLit(p) && p.width() == 160;
    }));
}

TEST(LiveSign, SignsimShowRunsItsWindowsBesideTheLineAndEndsCleanly) {
    test::TempDir dir;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::string doc = (dir / "demo.glm").string();
    ASSERT_EQ(test::runCli(dir, "demo " + doc), 0);
    const auto shot = dir / "windows.png";
    test::SignProcess sign(dir, {"--show", "--address", "1,2", "--clock", "2026-03-02 09:00",
                                 "--screenshot", shot.string()});
    ASSERT_FALSE(sign.link().empty()) << test::slurp(dir / "sign.err");
    test::signCommand(dir, sign, "send-all " + doc);
    test::signCommand(dir, sign, "test-display");
    // The first sign takes address 3 and keeps its window, which goes dark
    // when that address is turned off.
    std::string out;
    ASSERT_EQ(test::runCli(dir, "change-address 1 3 " + sign.link() + " --yes", &out), 0) << out;
    std::string three = sign.link();
    three.replace(three.find("--address 1"), 11, "--address 3");
    ASSERT_EQ(test::runCli(dir, "sign-off " + three + " --yes", &out), 0) << out;
    ASSERT_EQ(test::runCli(dir, "read-default " + three, &out), 0) << out;
    EXPECT_EQ(sign.stop(), 0) << test::slurp(dir / "sign.err");
    ::unsetenv("QT_QPA_PLATFORM");
    RgbImage windows;
    std::string error;
    ASSERT_TRUE(readPng(shot, windows, error)) << error;
    EXPECT_EQ(windows.height(), 2 * (16 * 4 + 12));  // two windows, one below the other
    int lit = 0;
    for (int y = 0; y < windows.height(); ++y)
        for (int x = 0; x < windows.width(); ++x) {
            const Rgb c = windows.at(x, y);
            lit += c.r > 40 || c.g > 40 || c.b > 40;
        }
    EXPECT_EQ(lit, 0);

    // Without any display it says so instead of failing inside the window system.
    std::string err;
    const std::string cmd = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " +
                            std::string(LUMAVOX_SIGNSIM_PATH) + " --tcp 0 --show 2>" +
                            (dir / "nodisplay.err").string();
    EXPECT_NE(std::system(cmd.c_str()), 0);
    EXPECT_NE(test::slurp(dir / "nodisplay.err").find("--show needs a display"), std::string::npos);
}

}  // namespace
}  // namespace lumavox
