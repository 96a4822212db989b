// The virtual sign shows what it holds: documents sent with `lumavox-cli` to
// `signsim --gif-dir` come out as the same frames `lumavox-cli preview` plays,
// and the picture follows the display switches, clearing and the schedule.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "GifReader.h"
#include "SignShow.h"
#include "app/Demo.h"
#include "content/Document.h"
#include "content/Schedule.h"
#include "content/TextBody.h"
#include "render/preview/GifAnimation.h"
#include "support/TestSupport.h"

namespace lumavox {
namespace {

using test::GifMovie;
using test::TempDir;

// A Monday inside the demonstration schedule's task (Monday to Friday,
// 08:00-18:30 in 2026).
constexpr const char* kMonday = "2026-03-02 09:00:00";
constexpr const char* kSunday = "2026-03-01 09:00:00";

int run(const TempDir& dir, const std::string& args, std::string* out = nullptr) {
    const auto outPath = dir / "cli.out";
    const std::string cmd =
        std::string(LUMAVOX_CLI_PATH) + " " + args + " >" + outPath.string() + " 2>&1";
    const int status = std::system(cmd.c_str());
    if (out) {
        std::stringstream s;
        s << std::ifstream(outPath).rdbuf();
        *out = s.str();
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// signsim as a child process on a free TCP port, writing GIFs into dir/gif.
class SignProcess {
  public:
    SignProcess(const TempDir& dir, std::vector<std::string> extra) : gifDir_(dir / "gif") {
        std::filesystem::create_directories(gifDir_);
        std::vector<std::string> args{
            LUMAVOX_SIGNSIM_PATH,       "--tcp", "0", "--gif-dir", gifDir_, "--log",
            (dir / "sign.log").string()};
        args.insert(args.end(), extra.begin(), extra.end());
        int fds[2];
        if (pipe(fds) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(fds[1], 1);
            close(fds[0]);
            close(fds[1]);
            std::vector<char*> argv;
            for (auto& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(fds[1]);
        std::string line;
        char c = 0;
        while (read(fds[0], &c, 1) == 1 && c != '\n')
            line += c;
        close(fds[0]);
        const auto colon = line.rfind(':');
        if (line.rfind("LISTEN tcp", 0) == 0 && colon != std::string::npos)
            link_ = "--link tcp:127.0.0.1:" + line.substr(colon + 1) + " --address 1";
    }
    ~SignProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& link() const { return link_; }
    std::filesystem::path gif() const { return gifDir_ / "sign-1.gif"; }

  private:
    std::filesystem::path gifDir_;
    pid_t pid_ = -1;
    std::string link_;
};

// Runs a sign command; the read that follows it is answered only after the
// sign has dealt with everything before it, GIF included.
void signCommand(const TempDir& dir, const SignProcess& sign, const std::string& command) {
    std::string out;
    ASSERT_EQ(run(dir, command + " " + sign.link() + " --yes", &out), 0) << command << "\n" << out;
    ASSERT_EQ(run(dir, "read-default " + sign.link(), &out), 0) << out;
}

GifMovie readMovie(const std::filesystem::path& path) {
    GifMovie movie;
    std::string error;
    EXPECT_TRUE(test::readGif(path, movie, error)) << path << ": " << error;
    return movie;
}

GifMovie preview(const TempDir& dir, const std::string& doc, const std::string& clock,
                 const std::string& extra = "") {
    const auto gif = dir / "preview.gif";
    std::string out;
    EXPECT_EQ(run(dir,
                  "preview " + doc + " --seconds 30 --seed 1 --clock \"" + clock + "\" --gif " +
                      gif.string() + " " + extra,
                  &out),
              0)
        << out;
    return readMovie(gif);
}

void expectSameFrames(const GifMovie& sign, const GifMovie& promised) {
    ASSERT_EQ(sign.width, promised.width);
    ASSERT_EQ(sign.height, promised.height);
    EXPECT_EQ(sign.frames.size(), promised.frames.size());
    for (size_t i = 0; i < std::min(sign.frames.size(), promised.frames.size()); ++i) {
        ASSERT_TRUE(sign.frames[i].picture == promised.frames[i].picture) << "frame " << i;
        ASSERT_EQ(sign.frames[i].delayCs, promised.frames[i].delayCs) << "frame " << i;
    }
}

// The wire form does not carry everything the document holds (the first
// screen's move-out, graphic item sizes, window layouts), so what the sign
// promises is the preview of "Main" as it reads back from the sign.
GifMovie readBackPreview(const TempDir& dir, const SignProcess& sign, const std::string& doc,
                         const std::string& clock) {
    const std::string readBack = (dir / "readback.glm").string();
    std::filesystem::copy_file(doc, readBack, std::filesystem::copy_options::overwrite_existing);
    signCommand(dir, sign, "read-text " + readBack + " Main");
    signCommand(dir, sign, "read-graphic " + readBack + " ARROW");
    return preview(dir, readBack, clock, "--file Main");
}

// 30 s of a dark 160 x 16 sign.
GifMovie darkSign() {
    GifAnimation gif(160, 16, 4);
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(gif.finish(30000, bytes, error)) << error;
    GifMovie movie;
    EXPECT_TRUE(test::readGif(bytes, movie, error)) << error;
    return movie;
}

TEST(SignShow, TheSignPlaysWhatThePreviewPromisedAndFollowsTheDisplaySwitches) {
    TempDir dir;
    const std::string doc = (dir / "demo.glm").string();
    ASSERT_EQ(run(dir, "demo " + doc), 0);
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

}  // namespace
}  // namespace lumavox
