// The player: effect choice, pauses, move-outs, called files, window areas,
// the nesting limit, beeps, bad content and stopping.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "PlayerHarness.h"
#include "content/WindowLayout.h"
#include "strings/StringTable.h"

namespace lumavox {
namespace {

using test::FileBuilder;
using test::PlayRun;

// A 16 x 8 sign holding the given files.
WorkArea sign(std::vector<TextFile> files, int width = 16, int height = 8) {
    WorkArea work;
    work.signWidth = width;
    work.signHeight = height;
    work.textFiles = std::move(files);
    return work;
}

bool anyLit(const RgbImage& image, Rect r) {
    for (int y = r.y; y < r.bottom(); ++y)
        for (int x = r.x; x < r.right(); ++x)
            if (!(image.at(x, y) == colours::kBlack)) return true;
    return false;
}

std::vector<std::string> seq(const char* prefix, std::vector<int> numbers) {
    std::vector<std::string> out;
    for (int n : numbers)
        out.push_back(prefix + std::to_string(n));
    return out;
}

TEST(Player, MoveInZeroPlaysEveryEffectInTurnThenStartsAgain) {
    FileBuilder main("MAIN");
    for (int i = 0; i < 44; ++i)
        main.move(0).text("A");
    PlayRun run(sign({main.done()}));
    run.play();
    std::vector<int> expected;
    for (int e = 1; e <= 43; ++e)
        expected.push_back(e);
    expected.push_back(1);
    EXPECT_EQ(run.host.effects(), seq("in ", expected));
}

TEST(Player, MoveOutOnePlaysTheOutCodesInTurn) {
    FileBuilder main("MAIN");
    for (int i = 0; i < 45; ++i)
        main.move(1, 1).text("A");
    PlayRun run(sign({main.done()}));
    run.play();
    std::vector<std::string> outs;
    for (const std::string& e : run.host.effects())
        if (e.rfind("out ", 0) == 0) outs.push_back(e);
    // Out codes 2 .. 44 are effects 1 .. 43; then code 2 again.
    std::vector<int> expected;
    for (int e = 1; e <= 43; ++e)
        expected.push_back(e);
    expected.push_back(1);
    EXPECT_EQ(outs, seq("out ", expected));
}

TEST(Player, MoveOutCodes0_40_41_44LeaveTheScreenInPlace) {
    for (int code : {0, 40, 41, 44, 2}) {
        SCOPED_TRACE(code);
        PlayRun run(sign({FileBuilder("MAIN").move(1).text("A").move(1, code).text("B").done()}));
        run.play();
        const bool leaves = code != 2;
        const std::vector<std::string> moved{"in 1", "out 1", "in 1"};
        EXPECT_EQ(run.host.effects(), leaves ? seq("in ", {1, 1}) : moved);
        // The picture just before the second screen comes in.
        ASSERT_GE(run.host.pictures.size(), 2u);
        const RgbImage& before = run.host.pictures[run.host.pictures.size() - 2];
        EXPECT_EQ(anyLit(before, {0, 0, 16, 8}), leaves);
    }
}

TEST(Player, NvsCodesPlayTheEffectOfTheSameName) {
    const TextFile main = FileBuilder("MAIN").move(2).text("A").move(1, 3).text("B").done();
    PlayRun nvs(sign({main}), 1, SignMode::NVS);
    nvs.play();
    // NVS 2 is "[SLIDE UP]" (effect 6); out code 3 is method 2; NVS 1 is immediate.
    EXPECT_EQ(nvs.host.effects(), (std::vector<std::string>{"in 6", "out 6", "in 1"}));
    PlayRun kv2(sign({main}));
    kv2.play();
    EXPECT_EQ(kv2.host.effects(), (std::vector<std::string>{"in 2", "out 2", "in 1"}));
}

TEST(Player, EachScreenIsHeldForItsPauseTime) {
    const int expected[] = {150, 1000, 2000, 3000, 5000, 10000, 30000, 60000, 5000};
    for (int code = 0; code <= 8; ++code) {
        PlayRun run(sign({FileBuilder("MAIN").move(1).pause(code).text("A").done()}));
        run.play();
        EXPECT_EQ(run.host.waits, std::vector<int>{expected[code]}) << code;
    }
}

TEST(Player, TwinkleAndFlashWithPauseZeroNeitherTwinkleNorFlash) {
    for (int effect : {39, 40}) {
        PlayRun run(sign({FileBuilder("MAIN").move(effect).pause(0).text("AB").done()}));
        run.play();
        EXPECT_EQ(run.host.effects(), seq("in ", {effect}));
        // One picture, held 150 ms by the effect alone (no second pause).
        ASSERT_EQ(run.host.pictures.size(), 1u);
        EXPECT_EQ(run.host.waits, std::vector<int>{150});
        EXPECT_TRUE(anyLit(run.host.pictures[0], {0, 0, 16, 8}));
    }
}

TEST(Player, ASelfCallingFileStopsAtDepth20WhileTheEnclosingLevelsGoOn) {
    PlayRun run(sign({FileBuilder("SELF").call("SELF").text("Y").done()}), 2);
    run.play("SELF");
    // Twenty levels call down; the twenty-first is refused with the message,
    // and then each of the twenty levels shows its own screen on the way back.
    ASSERT_FALSE(run.host.log.empty());
    EXPECT_EQ(run.host.log[0], "message");
    // The message is shown once, though the second pass meets the limit again.
    EXPECT_EQ(std::count(run.host.log.begin(), run.host.log.end(), "message"), 1);
    EXPECT_EQ(run.host.effects().size(), 40u);
    ASSERT_EQ(run.host.messages.size(), 1u);
    EXPECT_EQ(run.host.messages[0], text(msg::kPreviewRecursion));
    EXPECT_NE(run.host.messages[0].find("the max value is 20"), std::string::npos);
    EXPECT_EQ(run.player->depth(), 0);
    EXPECT_TRUE(run.flags.finished);
}

TEST(Player, FilesCallingEachOtherThroughWindowAreasEndAtTheLimitToo) {
    WindowControl toB, toA;
    toB.layoutType = 9;
    toB.areas = {test::area(0, 0, 16, 8, "B")};
    toA.layoutType = 9;
    toA.areas = {test::area(0, 0, 16, 8, "A")};
    PlayRun run(sign({FileBuilder("A").text("a").windows(toB).done(),
                      FileBuilder("B", kWindowFile).text("b").windows(toA).done()}));
    run.play("A");
    EXPECT_EQ(run.host.messages.size(), 1u);
    // Each of the twenty levels shows its text and the screen of its window item.
    EXPECT_EQ(run.host.effects().size(), 40u);
}

TEST(Player, WindowAreasPlayInDisplayOrderWithTheCallersSpeedPauseAndMoveIn) {
    WindowControl split;
    split.layoutType = 9;
    // Listed right first, though the left one comes first in display order.
    split.areas = {test::area(8, 0, 8, 8, "*R"), test::area(0, 0, 8, 8, "*L")};
    split.areas[0].order = 1;
    split.areas[1].order = 0;
    PlayRun run(
        sign({FileBuilder("MAIN").move(2).speed(3).pause(0).text("M").lf().windows(split).done(),
              FileBuilder("*L", kWindowFile).text("L").done(),
              FileBuilder("*R", kWindowFile).text("R").done()}));
    run.play();
    EXPECT_EQ(run.host.effects(), seq("in ", {2, 2, 2, 2}));
    // The window screen, then the left area (8 steps of 20 ms and the 150 ms
    // pause), then the right one.
    const auto& w = run.host.waits;
    ASSERT_EQ(w.size(), 16u + 1 + 16 + 1 + 8 + 1 + 8 + 1);
    for (size_t i = 34; i < 42; ++i)
        EXPECT_EQ(w[i], 20);
    EXPECT_EQ(w[42], 150);
    EXPECT_EQ(w[51], 150);
    // The left area is in before the right one comes; it stays while the
    // right one plays beside it.
    const RgbImage& afterLeft = run.host.pictures[32 + 7];
    EXPECT_TRUE(anyLit(afterLeft, {0, 0, 8, 8}));
    EXPECT_FALSE(anyLit(afterLeft, {8, 0, 8, 8}));
    EXPECT_TRUE(anyLit(run.host.pictures.back(), {8, 0, 8, 8}));
    EXPECT_EQ(afterLeft.at(1, 1), run.host.pictures.back().at(1, 1));
}

TEST(Player, APresetWindowOpensOnTheWholeSign) {
    // Layout 2: the top half's file is played over the whole sign, then the
    // bottom half's over the lower half of what it left.
    WindowControl halves = makeWindowControl(2, 16, 16);
    halves.areas[0].name = "*T";
    halves.areas[1].name = "*B";
    PlayRun run(sign({FileBuilder("MAIN").move(1).windows(halves).done(),
                      FileBuilder("*T", kWindowFile).text("T").done(),
                      FileBuilder("*B", kWindowFile).text("B").done()},
                     16, 16));
    run.play();
    const std::vector<PlayedArea> played = playedAreas(halves, 16, 16);
    ASSERT_EQ(played.size(), 2u);
    EXPECT_EQ(played[0].rect, (AreaRect{0, 0, 16, 16}));
    EXPECT_EQ(played[1].rect, (AreaRect{0, 8, 16, 16}));
    ASSERT_GE(run.host.pictures.size(), 3u);
    // After the first area: its file centred on the whole sign, reaching
    // into the lower half; the last picture keeps the upper half.
    const RgbImage& first = run.host.pictures[run.host.pictures.size() - 2];
    EXPECT_TRUE(anyLit(first, {0, 8, 16, 8}));
    const RgbImage& last = run.host.pictures.back();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            EXPECT_EQ(last.at(x, y), first.at(x, y)) << x << "," << y;
}

TEST(Player, MissingFilesAndAreasOutsideTheSignAreSkippedSilently) {
    WindowControl areas;
    areas.layoutType = 9;
    areas.areas = {test::area(100, 0, 8, 8, "*IN"), test::area(0, 0, 8, 8, "*GONE"),
                   test::area(0, 0, 8, 8, "*IN")};
    PlayRun run(sign(
        {FileBuilder("MAIN").move(1).text("A").call("NOPE").move(1).text("B").windows(areas).done(),
         FileBuilder("*IN", kWindowFile).text("i").done()}));
    run.play();
    EXPECT_TRUE(run.host.messages.empty());
    // A, B, the screen of the window item, and the one area inside the sign.
    EXPECT_EQ(run.host.effects(), seq("in ", {1, 1, 1, 1}));
}

TEST(Player, ABeepItemSoundsItsCountPlusOne) {
    PlayRun run(sign({FileBuilder("MAIN").move(1).beep(1).text("A").done()}));
    run.play();
    EXPECT_EQ(run.host.log, (std::vector<std::string>{"beep 2", "in 1"}));
}

TEST(Player, AnEffectCodeOutsideTheTableBringsNothingInButHoldsThePause) {
    PlayRun run(sign({FileBuilder("MAIN").move(50).pause(1).text("A").done()}));
    run.play();
    EXPECT_TRUE(run.host.effects().empty());
    EXPECT_TRUE(run.host.pictures.empty());
    EXPECT_EQ(run.host.waits, std::vector<int>{1000});
}

TEST(Player, FilesThatShowNothingEndThePlayInsteadOfSpinning) {
    // Played until stopped, but no pass ever shows anything.
    for (const TextFile& f :
         {FileBuilder("MAIN").done(), FileBuilder("MAIN").call("NOPE").done()}) {
        PlayRun run(sign({f}), 0);
        run.play();
        EXPECT_TRUE(run.flags.finished);
        EXPECT_TRUE(run.host.pictures.empty());
    }
    // Two files calling each other twice per screen: a million screens
    // without any time passing.
    PlayRun run(sign({FileBuilder("MAIN").call("MAIN").call("MAIN").done()}), 0);
    run.play();
    EXPECT_TRUE(run.flags.finished);
}

TEST(Player, TheTopLevelStartsAgainWithAFreshScreenState) {
    PlayRun run(
        sign({FileBuilder("MAIN").move(2).text("A").move(2).speed(3).pause(0).text("B").done()}),
        2);
    run.play();
    EXPECT_EQ(run.host.effects(), seq("in ", {2, 2, 2, 2}));
    // Slide left over 16 columns: speed 0 (300 ms) for A, speed 3 (20 ms) for
    // B, and speed 0 again for A on the second pass.
    const auto& w = run.host.waits;
    ASSERT_EQ(w.size(), 4u * 17);
    EXPECT_EQ(w[0], 300);
    EXPECT_EQ(w[17], 20);
    EXPECT_EQ(w[34], 300);
    EXPECT_EQ(w[16], 150);  // pause code 0 while none was given
}

TEST(Player, ACalledFilePlaysInPlaceOfItsCall) {
    PlayRun run(sign({FileBuilder("MAIN").move(2).text("X").call("SUB").move(3).text("Z").done(),
                      FileBuilder("SUB").move(7).text("S").done()}));
    run.play();
    EXPECT_EQ(run.host.effects(), seq("in ", {2, 7, 3}));
}

TEST(Player, StopEndsThePlayWithinOneStep) {
    PlayRun run(sign({FileBuilder("MAIN").move(2).text("A").done()}), 0);
    run.host.stopAfterWaits = 5;
    run.play();
    EXPECT_EQ(run.host.pictures.size(), 5u);
    EXPECT_EQ(run.host.waits.size(), 5u);
    EXPECT_TRUE(run.flags.finished);

    PlayRun already(sign({FileBuilder("MAIN").move(2).text("A").done()}), 0);
    already.flags.stop = true;
    already.play();
    EXPECT_TRUE(already.host.pictures.empty());
    EXPECT_TRUE(already.flags.finished);
}

// The window's arrangement: the player on a worker thread waiting in real
// time, the window thread setting the stop flag in the middle of a long pause.
TEST(Player, AWorkerInRealTimeEndsWhenTheStopFlagIsSet) {
    WorkArea work = sign({FileBuilder("MAIN").move(1).pause(7).text("A").done()});
    PreviewFlags flags;
    PreviewFrameBuffer buffer;
    std::mutex lock;
    std::condition_variable shown;
    struct WindowHost : PreviewHost {
        RealTimeWait wait;
        PreviewFrameBuffer& buffer;
        std::mutex& lock;
        std::condition_variable& shown;
        WindowHost(PreviewFlags& f, PreviewFrameBuffer& b, std::mutex& l,
                   std::condition_variable& s)
            : wait(f.stop), buffer(b), lock(l), shown(s) {}
        bool Wait(int ms) override { return wait.wait(ms); }
        void frameReady(const RgbImage& image) override {
            buffer.publish(image);
            // Taken once so that the window is either still to look or waiting.
            { std::lock_guard guard(lock); }
            shown.notify_all();
        }
    } host(flags, buffer, lock, shown);
    SeededRandom random(1);
    PlayerSettings settings;
    settings.defaultFont = 0;
    PreviewPlayer player(work, test::blockFonts(), settings, host, flags, random);
    flags.finished = false;
    std::thread worker([&] { player.play("MAIN"); });
    {
        std::unique_lock guard(lock);
        shown.wait(guard, [&] { return buffer.sequence() > 0; });
    }
    flags.stop = true;  // the screen is in its 60-second pause
    worker.join();
    EXPECT_TRUE(flags.finished);
    RgbImage copy;
    uint64_t seen = 0;
    ASSERT_TRUE(buffer.takeIfNewer(copy, seen));
    EXPECT_TRUE(anyLit(copy, {0, 0, 16, 8}));
    EXPECT_FALSE(buffer.takeIfNewer(copy, seen));
}

TEST(PreviewTime, VirtualTimeStopsAtItsLimit) {
    std::atomic<bool> stop{false};
    VirtualTimeline time(stop, 1000);
    EXPECT_TRUE(time.wait(600));
    EXPECT_TRUE(time.wait(0));
    EXPECT_FALSE(time.wait(500));
    EXPECT_EQ(time.nowMs(), 1000u);
    EXPECT_TRUE(stop);
    EXPECT_FALSE(time.wait(0));
}

TEST(PreviewTime, RealTimeReturnsAtOnceWhenStopped) {
    std::atomic<bool> stop{true};
    RealTimeWait wait(stop);
    EXPECT_FALSE(wait.wait(60000));
}

}  // namespace
}  // namespace lumavox
