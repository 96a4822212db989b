// The virtual sign shows what it holds: documents sent with `lumavox-cli` to
// `signsim --gif-dir` come out as the same frames `lumavox-cli preview` plays,
// and the picture follows the display switches, clearing and the schedule.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <tuple>

#include "SignShow.h"
#include "SignShowSupport.h"
#include "app/Demo.h"
#include "content/Document.h"
#include "content/Schedule.h"
#include "content/TextBody.h"
#include "content/WindowLayout.h"
#include "render/SignStills.h"
#include "render/preview/GifAnimation.h"

namespace lumavox {
namespace {

using test::darkSign;
using test::expectSameFrames;
using test::GifMovie;
using test::preview;
using test::readMovie;
using test::runCli;
using test::signCommand;
using test::SignProcess;
using test::TempDir;

// A Monday inside the demonstration schedule's task (Monday to Friday,
// 08:00-18:30 in 2026).
constexpr const char* kMonday = "2026-03-02 09:00:00";
constexpr const char* kSunday = "2026-03-01 09:00:00";

// The wire form does not carry everything the document holds (the first
// screen's move-out, graphic item sizes, window layouts), so what the sign
// promises is the preview of "Main" as it reads back from the sign.
GifMovie readBackPreview(const TempDir& dir, const SignProcess& sign, const std::string& doc,
                         const std::string& clock, bool withGraphic = true) {
    const std::string readBack = (dir / "readback.glm").string();
    std::filesystem::copy_file(doc, readBack, std::filesystem::copy_options::overwrite_existing);
    signCommand(dir, sign, "read-text " + readBack + " Main");
    if (withGraphic) signCommand(dir, sign, "read-graphic " + readBack + " ARROW");
    return preview(dir, readBack, clock, "--file Main");
}

// The colours of the frames' pixels, with how many of each: the lit ones
// (dark dots and the grid between the dots left out) or all of them.
std::map<std::tuple<int, int, int>, size_t> colourCount(const GifMovie& movie, bool litOnly) {
    std::map<std::tuple<int, int, int>, size_t> seen;
    for (const auto& f : movie.frames)
        for (int y = 0; y < f.picture.height(); ++y)
            for (int x = 0; x < f.picture.width(); ++x) {
                const Rgb c = f.picture.at(x, y);
                if (!litOnly || !(c == colours::kBlack || c == kGridColour))
                    ++seen[{c.r, c.g, c.b}];
            }
    return seen;
}

std::map<std::tuple<int, int, int>, size_t> litColours(const GifMovie& movie) {
    return colourCount(movie, true);
}

TEST(SignShow, TheSignPlaysWhatThePreviewPromisedAndFollowsTheDisplaySwitches) {
    TempDir dir;
    const std::string doc = (dir / "demo.glm").string();
    ASSERT_EQ(runCli(dir, "demo " + doc), 0);
    SignProcess sign(dir, {"--clock", kMonday});
    ASSERT_FALSE(sign.link().empty());
    signCommand(dir, sign, "send-all " + doc);
    const GifMovie promised = readBackPreview(dir, sign, doc, kMonday);
    ASSERT_GT(promised.frames.size(), 20u);
    expectSameFrames(readMovie(sign.gif()), promised);

    signCommand(dir, sign, "sign-off");
    expectSameFrames(readMovie(sign.gif()), darkSign());
    signCommand(dir, sign, "sign-on");
    expectSameFrames(readMovie(sign.gif()), promised);

    signCommand(dir, sign, "clear-memory");
    expectSameFrames(readMovie(sign.gif()), darkSign());
}

TEST(SignShow, TheScheduleAndTheDefaultFileChooseWhatPlaysAtTheSignsTime) {
    TempDir dir;
    // The demonstration with a second text file that the schedule runs on
    // weekdays.
    WorkArea work = makeDemoWorkArea(FixedClock(test::fixedTime()));
    TextFile other = test::makeTextFile("Other");
    test::appendText(other, "OTHER FILE", test::charAttrs(1, 2));
    test::appendEnd(other);
    work.textFiles.push_back(other);
    work.tasks[0].fileName = "Other";
    const std::string doc = (dir / "two.glm").string();
    std::string error;
    ASSERT_TRUE(saveDocument(doc, work, SignMode::KV2, FixedClock(test::fixedTime()), error))
        << error;

    {
        SignProcess monday(dir, {"--clock", kMonday});
        signCommand(dir, monday, "send-all " + doc);
        expectSameFrames(readMovie(monday.gif()), preview(dir, doc, kMonday, "--file Other"));
    }
    {
        // Outside the task the default file runs.
        SignProcess sunday(dir, {"--clock", kSunday});
        signCommand(dir, sunday, "send-all " + doc);
        signCommand(dir, sunday, "set-default Main");
        expectSameFrames(readMovie(sunday.gif()), readBackPreview(dir, sunday, doc, kSunday));
    }
}

TEST(SignShow, ABodyTheDecodersRefuseIsLeftOutAndTheRestPlays) {
    WorkArea work = makeDemoWorkArea(FixedClock(test::fixedTime()));
    const FixedClock clock(test::fixedTime());
    sim::SignState state;
    for (const auto& f : work.textFiles) {
        if (f.kind != kTextFile) continue;
        sim::StoredFile good;
        std::copy_n(f.name.str().begin(), f.name.str().size(), good.name.begin());
        encodeTextBody(f, work, clock, good.body);
        sim::StoredFile bad = good;
        bad.name[0] = 'X';
        bad.body.back() ^= 0xFF;  // check word
        state.texts = {bad, good};
    }
    sim::ShowSettings settings;
    settings.fontDir = std::getenv("LUMAVOX_HOME");
    std::vector<std::string> problems;
    const WorkArea shown =
        sim::decodeSignContent(state, settings, TextDecodeOptions{}, test::fixedTime(), problems);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("'Xain'"), std::string::npos) << problems[0];
    EXPECT_EQ(sim::filesToRun(shown, state, test::fixedTime()), std::vector<std::string>{"Main"});
    std::vector<uint8_t> gif;
    std::string error;
    problems.clear();
    ASSERT_TRUE(sim::renderSignGif(state, settings, test::fixedTime(), gif, problems, error))
        << error;
    GifMovie movie;
    ASSERT_TRUE(test::readGif(gif, movie, error)) << error;
    EXPECT_GT(movie.frames.size(), 20u);
}

// A document whose "Main" is one window control, each area calling its own
// window file; the files' texts tell the areas apart.
WorkArea windowDocument(const WindowControl& control) {
    WorkArea work;
    const char* texts[] = {"ONE", "TWO", "THREE", "FOUR"};
    for (int k = 0; k < 4; ++k) {
        TextFile area = test::makeTextFile("*W" + std::to_string(k + 1), kWindowFile);
        test::appendText(area, texts[k], test::charAttrs(1, static_cast<uint8_t>(k + 1)));
        test::appendEnd(area);
        work.textFiles.push_back(area);
    }
    TextFile main = test::makeTextFile("Main");
    main.items.push_back(TextItem::window(control));
    test::appendEnd(main);
    work.textFiles.insert(work.textFiles.begin(), main);
    return work;
}

TEST(SignShow, EveryWindowLayoutPlaysOnTheSignAsThePreviewShowsIt) {
    // Presets 2-8 open on the whole sign; a user-defined window plays its
    // areas in display order (here not their list order), the later ones over
    // what the earlier ones left.
    std::vector<WindowControl> controls;
    for (int type = 2; type <= 8; ++type) {
        WindowControl c = makeWindowControl(type, 160, 16);
        for (size_t k = 0; k < c.areas.size(); ++k)
            c.areas[k].name = "*W" + std::to_string(k + 1);
        controls.push_back(c);
    }
    WindowControl own = makeWindowControl(kUserDefinedLayout, 160, 16);
    own.areas[0].name = "*W1";
    own.areas[0].order = 2;
    own.areas.push_back(own.areas[0]);
    own.areas[1].valueC = 80;
    own.areas[1].name = "*W2";
    own.areas[1].order = 0;
    own.areas.push_back(own.areas[1]);
    own.areas[2].valueA = 80;
    own.areas[2].name = "*W3";
    own.areas[2].order = 1;
    controls.push_back(own);

    TempDir dir;
    SignProcess sign(dir, {"--clock", kMonday});
    ASSERT_FALSE(sign.link().empty());
    for (const WindowControl& c : controls) {
        SCOPED_TRACE("layout " + std::to_string(c.layoutType));
        const std::string doc = (dir / "window.glm").string();
        std::string error;
        WorkArea work = windowDocument(c);
        ASSERT_TRUE(saveDocument(doc, work, SignMode::KV2, FixedClock(test::fixedTime()), error))
            << error;
        signCommand(dir, sign, "send-all " + doc);
        const GifMovie promised = preview(dir, doc, kMonday, "--file Main");
        ASSERT_GT(promised.frames.size(), 3u);
        expectSameFrames(readMovie(sign.gif()), promised);
    }
}

TEST(SignShow, ATaskIsInForceOnItsDaysAndTimesOnly) {
    ScheduleTask t;                           // enabled, Sunday only, all day, no dates
    CalendarTime friday = test::fixedTime();  // 2024-03-01 08:00, a Friday
    EXPECT_FALSE(sim::taskInForce(t, friday));
    t.weekdays = 0x51;  // Friday round to Monday
    EXPECT_TRUE(sim::taskInForce(t, friday));
    t.startHour = 8;
    t.startMinute = 1;
    EXPECT_FALSE(sim::taskInForce(t, friday));
    t.startMinute = 0;
    t.startYear = 2024;
    t.startMonth = 3;
    t.startDay = 2;
    EXPECT_FALSE(sim::taskInForce(t, friday));
    t.startDay = 1;
    EXPECT_TRUE(sim::taskInForce(t, friday));
    t.flags &= ~kTaskEnabledBit;
    EXPECT_FALSE(sim::taskInForce(t, friday));
}

TEST(SignShow, ASmallSingleColourSignPlaysAtItsSizeAndTestsItsDots) {
    TempDir dir;
    WorkArea work;
    work.signWidth = 96;
    work.colourType = 1;
    TextFile main = test::makeTextFile("Main");
    test::appendText(main, "SMALL SIGN", test::charAttrs(1, 1));
    test::appendEnd(main);
    work.textFiles.push_back(main);
    const std::string doc = (dir / "small.glm").string();
    std::string error;
    ASSERT_TRUE(saveDocument(doc, work, SignMode::KV2, FixedClock(test::fixedTime()), error))
        << error;
    SignProcess sign(dir, {"--clock", kMonday, "--size", "96x16", "--single-colour"});
    ASSERT_FALSE(sign.link().empty());
    signCommand(dir, sign, "send-all " + doc);
    const GifMovie shown = readMovie(sign.gif());
    EXPECT_EQ(shown.width, 96 * 4);
    EXPECT_EQ(shown.height, 16 * 4);
    expectSameFrames(shown, readBackPreview(dir, sign, doc, kMonday, false));
    const auto lit = litColours(shown);
    ASSERT_EQ(lit.size(), 1u);
    EXPECT_EQ(lit.begin()->first, std::make_tuple(255, 0, 0));
}

TEST(SignShow, TheTestPatternLightsEveryDotInEachColourOfTheSign) {
    for (const bool single : {true, false}) {
        sim::ShowSettings settings;
        settings.width = 96;
        settings.singleColour = single;
        sim::SignState state;
        state.testActive = true;
        std::vector<std::string> problems;
        const sim::SignScene scene =
            sim::makeScene(state, settings, nullptr, test::fixedTime(), problems);
        std::vector<uint8_t> bytes;
        std::string error;
        ASSERT_TRUE(sim::renderSceneGif(scene, settings, bytes, error)) << error;
        GifMovie testing;
        ASSERT_TRUE(test::readGif(bytes, testing, error)) << error;
        EXPECT_EQ(testing.width, 96 * 4);
        EXPECT_EQ(litColours(testing).size(), single ? 1u : 3u);
        testing.frames.resize(1);
        const auto firstFrame = colourCount(testing, false);
        EXPECT_EQ(firstFrame.count({0, 0, 0}), 0u);  // no dark dot
        EXPECT_EQ(firstFrame.count({255, 0, 0}), 1u);
    }
}

TEST(SignShow, ARefusedStoredBodyIsReportedWhileTheRestOfTheStorePlays) {
    TempDir dir;
    WorkArea work = makeDemoWorkArea(FixedClock(test::fixedTime()));
    TextFile other = test::makeTextFile("Other");
    test::appendText(other, "OTHER FILE", test::charAttrs(1, 2));
    test::appendEnd(other);
    work.textFiles.push_back(other);
    work.tasks.clear();
    const std::string doc = (dir / "two.glm").string();
    std::string error;
    ASSERT_TRUE(saveDocument(doc, work, SignMode::KV2, FixedClock(test::fixedTime()), error))
        << error;
    const std::string store = (dir / "store").string();
    GifMovie promised;
    {
        SignProcess sign(dir, {"--clock", kSunday, "--store", store});
        signCommand(dir, sign, "send-all " + doc);
        signCommand(dir, sign, "set-default Main");
        promised = readBackPreview(dir, sign, doc, kSunday);
    }
    // Damage the check word of the stored body of "Other", and let the
    // default file be the one that is gone.
    bool damaged = false;
    for (const auto& e : std::filesystem::directory_iterator(dir / "store" / "sign1" / "text")) {
        std::string body = test::slurp(e.path());
        if (body.size() < 9 || body.compare(1, 5, "Other") != 0) continue;
        body.back() = static_cast<char>(body.back() ^ 0x5A);
        std::ofstream(e.path(), std::ios::binary | std::ios::trunc) << body;
        damaged = true;
    }
    ASSERT_TRUE(damaged);
    // The sign shows what its store holds before it listens.
    SignProcess sign(dir, {"--clock", kSunday, "--store", store});
    ASSERT_FALSE(sign.link().empty());
    expectSameFrames(readMovie(sign.gif()), promised);
    EXPECT_EQ(sign.stop(), 0);
    const std::string said = "sign 1: shows nothing of text file 'Other'";
    EXPECT_NE(test::slurp(dir / "sign.err").find(said), std::string::npos)
        << test::slurp(dir / "sign.err");
    EXPECT_NE(test::slurp(dir / "sign.log").find(said), std::string::npos);
}

TEST(SignShow, TheSignsClockStandsAtTheTimeSetOrRunsOnFromIt) {
    sim::SignState state;
    state.clock = {30, 15, 10, 2, 3, 26};  // 2026-03-02 10:15:30, a Monday
    CalendarTime fixed = test::fixedTime();
    sim::SignClock standing(fixed);
    EXPECT_EQ(standing.now(state, 5000).year, fixed.year);  // not set yet
    state.clockSet = true;
    CalendarTime t = standing.now(state, 5000);
    EXPECT_EQ(std::make_tuple(t.year, t.month, t.day, t.hour, t.minute, t.second, t.weekday),
              std::make_tuple(2026, 3, 2, 10, 15, 30, 1));
    EXPECT_EQ(standing.now(state, 65000).minute, 15);

    sim::SignClock running(std::nullopt);
    EXPECT_EQ(running.now(state, 1000).second, 30);
    t = running.now(state, 1000 + 90 * 1000);
    EXPECT_EQ(std::make_tuple(t.minute, t.second), std::make_tuple(17, 0));

    // The other family: date "MMDDYYYYW", time "HHMMSS".
    sim::NvsSignState nvs;
    nvs.date =
        "03012026"
        "0";
    nvs.time = "235959";
    t = standing.now(nvs, 0);
    EXPECT_EQ(std::make_tuple(t.year, t.month, t.day, t.hour, t.weekday),
              std::make_tuple(2026, 3, 1, 23, 0));
}

}  // namespace
}  // namespace lumavox
