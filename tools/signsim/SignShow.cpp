#include "SignShow.h"

#include <chrono>
#include <cstdio>

#include "content/GraphicBody.h"
#include "content/Schedule.h"
#include "content/TextBody.h"
#include "content/Vocabulary.h"
#include "platform/Files.h"
#include "render/DocumentPicture.h"
#include "render/FontSet.h"
#include "render/preview/GifAnimation.h"
#include "render/preview/Player.h"
#include "render/preview/PreviewTime.h"

namespace lumavox::sim {

namespace {

namespace chr = std::chrono;

// Virtual time: every step of the player becomes a frame of the animation.
class GifHost final : public PreviewHost {
  public:
    GifHost(PreviewFlags& flags, uint64_t limitMs, GifAnimation& gif)
        : time_(flags.stop, limitMs), gif_(gif) {}
    bool Wait(int ms) override { return time_.wait(ms); }
    void frameReady(const RgbImage& displayed) override { gif_.add(displayed, time_.nowMs()); }
    uint64_t nowMs() const { return time_.nowMs(); }

  private:
    VirtualTimeline time_;
    GifAnimation& gif_;
};

// The test pattern: every dot lit, one colour a second in turn.
void drawTestPattern(GifAnimation& gif, const ShowSettings& s) {
    const Rgb tri[] = {colours::kRed, colours::kGreen, colours::kYellow};
    const int count = s.singleColour ? 1 : 3;
    for (uint64_t ms = 0, i = 0; ms < s.durationMs; ms += 1000, ++i)
        gif.add(RgbImage(s.width, s.height, tri[i % count]), ms);
}

// The running files one after another until the time is up. A single file
// plays on in one go, as the preview plays it.
void playFiles(const WorkArea& work, const FontSet& fonts, const std::vector<std::string>& files,
               const ShowSettings& s, const CalendarTime& now, GifAnimation& gif) {
    PreviewFlags flags;
    GifHost host(flags, s.durationMs, gif);
    SeededRandom random(s.seed);
    PlayerSettings settings;
    settings.mode = s.mode;
    settings.defaultFont = defaultFontIndex(fonts, s.defaultFontName);
    settings.defaultColour = defaultColour(s.mode);
    settings.now = now;
    settings.passes = files.size() == 1 ? 0 : 1;
    while (!flags.stop) {
        const uint64_t roundStart = host.nowMs();
        for (const auto& name : files) {
            if (flags.stop) break;
            PreviewPlayer player(work, fonts, settings, host, flags, random);
            player.play(name);
        }
        // Files that show nothing in time would loop without end.
        if (host.nowMs() == roundStart) break;
    }
}

}  // namespace

WorkArea decodeSignContent(const SignState& state, const ShowSettings& s,
                           const TextDecodeOptions& decode, const CalendarTime& now,
                           std::vector<std::string>& problems) {
    WorkArea work;
    work.signWidth = s.width;
    work.signHeight = s.height;
    work.colourType = s.singleColour ? 1 : 0;
    for (const auto& stored : state.graphics) {
        GraphicFile g;
        std::string why;
        if (decodeGraphicBody(stored.body, g, why))
            work.graphics.push_back(std::move(g));
        else
            problems.push_back("graphic '" + nameText(stored.name) + "': " + why);
    }
    const FixedClock clock(now);
    for (const auto& stored : state.texts) {
        DecodedText d;
        std::string why;
        if (!decodeTextBody(stored.body, work, decode, clock, d, why)) {
            problems.push_back("text file '" + nameText(stored.name) + "': " + why);
            continue;
        }
        work.textFiles.push_back(std::move(d.file));
        for (auto& w : d.windowFiles)
            work.textFiles.push_back(std::move(w));
    }
    for (const auto& t : state.tasks)
        work.tasks.push_back(decodeTaskFromSign(t.data()));
    return work;
}

bool taskInForce(const ScheduleTask& t, const CalendarTime& now) {
    if (!taskEnabled(t)) return false;
    auto dateKey = [](int y, int m, int d) { return (y * 100 + m) * 100 + d; };
    const int today = dateKey(now.year, now.month, now.day);
    if (t.startYear != 0 && today < dateKey(t.startYear, t.startMonth, t.startDay)) return false;
    if (t.endYear != 0 && today > dateKey(t.endYear, t.endMonth, t.endDay)) return false;
    const int minute = now.hour * 60 + now.minute;
    if (minute < t.startHour * 60 + t.startMinute || minute > t.endHour * 60 + t.endMinute)
        return false;
    const int first = taskFirstWeekday(t), last = taskLastWeekday(t);
    return first <= last ? now.weekday >= first && now.weekday <= last
                         : now.weekday >= first || now.weekday <= last;
}

std::vector<std::string> filesToRun(const WorkArea& work, const SignState& state,
                                    const CalendarTime& now) {
    auto runnable = [&](const std::string& name) {
        const TextFile* f = name.empty() ? nullptr : work.findFile(name);
        return f && f->kind == kTextFile;
    };
    // Priority 2 HIGH before 1 NORMAL before 0 LOW; none chosen comes last.
    auto rank = [](const ScheduleTask& t) { return taskPriority(t) == 3 ? -1 : taskPriority(t); };
    const ScheduleTask* chosen = nullptr;
    for (const auto& t : work.tasks)
        if (taskInForce(t, now) && runnable(t.fileName.str()) &&
            (!chosen || rank(t) > rank(*chosen)))
            chosen = &t;
    if (chosen) return {chosen->fileName.str()};
    if (runnable(nameText(state.defaultFile))) return {nameText(state.defaultFile)};
    std::vector<std::string> all;
    for (const auto& f : work.textFiles)
        if (f.kind == kTextFile) all.push_back(f.name.str());
    return all;
}

bool renderSignGif(const SignState& state, const ShowSettings& s, const CalendarTime& now,
                   std::vector<uint8_t>& bytes, std::vector<std::string>& problems,
                   std::string& error) {
    GifAnimation gif(s.width, s.height, s.dot);
    if (!state.displayOn) {
        // Dark: the first frame is black until a picture comes.
    } else if (state.testActive) {
        drawTestPattern(gif, s);
    } else {
        FontSet fonts;
        if (!loadSignFonts(s.fontDir, s.height, fonts, error, nullptr)) return false;
        const WorkArea work = decodeSignContent(
            state, s, readBackDecodeOptions(fonts, s.defaultFontName), now, problems);
        const auto files = filesToRun(work, state, now);
        if (!files.empty()) playFiles(work, fonts, files, s, now, gif);
    }
    return gif.finish(s.durationMs, bytes, error);
}

CalendarTime SignClock::now(const SignState& state, uint64_t nowMs) {
    if (!state.clockSet) {
        if (fixed_) return *fixed_;
        return SystemClock::instance().localNow();
    }
    // The clock runs on from the moment the time was set (the moment this
    // sign was first seen holding it, after a restart).
    auto& seen = setAt_[state.address];
    if (seen.first != state.clock || seen.second == 0) seen = {state.clock, nowMs + 1};
    CalendarTime set;
    const auto& c = state.clock;
    set.second = c[0];
    set.minute = c[1];
    set.hour = c[2];
    set.day = c[3];
    set.month = c[4];
    set.year = 2000 + c[5];
    const chr::year_month_day ymd(chr::year(set.year), chr::month(static_cast<unsigned>(set.month)),
                                  chr::day(static_cast<unsigned>(set.day)));
    if (!ymd.ok() || set.hour > 23 || set.minute > 59 || set.second > 59)
        return fixed_ ? *fixed_ : SystemClock::instance().localNow();
    const int64_t ran = fixed_ ? 0 : static_cast<int64_t>((nowMs + 1 - seen.second) / 1000);
    return addSeconds(set, ran);
}

std::filesystem::path SignDisplay::gifPath(uint8_t address) const {
    return dir_ / ("sign-" + std::to_string(address) + ".gif");
}

void SignDisplay::report(uint64_t nowMs, const std::string& text) {
    log_.note(nowMs, text);
    if (reported_.insert(text).second) std::fprintf(stderr, "signsim: %s\n", text.c_str());
}

void SignDisplay::update(const SignState& state, uint64_t nowMs) {
    const std::string who = "sign " + std::to_string(state.address) + ": ";
    std::vector<uint8_t> bytes;
    std::vector<std::string> problems;
    std::string error;
    const bool drawn =
        renderSignGif(state, settings_, clock_.now(state, nowMs), bytes, problems, error);
    for (const auto& p : problems)
        report(nowMs, who + "shows nothing of " + p);
    if (!drawn || !writeFileAtomically(gifPath(state.address), bytes, error))
        report(nowMs, who + "display: " + error);
}

}  // namespace lumavox::sim
