#include "SignShow.h"

#include <cctype>
#include <chrono>
#include <cstdio>

#include "NvsContent.h"
#include "content/GraphicBmp.h"
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
               const ShowSettings& s, SignMode mode, const CalendarTime& now, GifAnimation& gif) {
    PreviewFlags flags;
    GifHost host(flags, s.durationMs, gif);
    SeededRandom random(s.seed);
    PlayerSettings settings;
    settings.mode = mode;
    settings.defaultFont = defaultFontIndex(fonts, s.defaultFontName);
    settings.defaultColour = defaultColour(mode);
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
    return filesToRun(work, nameText(state.defaultFile), {}, now);
}

std::vector<std::string> filesToRun(const WorkArea& work, const std::string& defaultFile,
                                    const std::vector<std::string>& runSequence,
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
    if (runnable(defaultFile)) return {defaultFile};
    std::vector<std::string> all;
    if (!runSequence.empty()) {
        auto lower = [](std::string t) {
            for (char& c : t)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            return t;
        };
        for (const auto& wanted : runSequence)
            for (const auto& f : work.textFiles)
                if (f.kind == kTextFile && lower(f.name.str()) == lower(wanted))
                    all.push_back(f.name.str());
        if (!all.empty()) return all;
    }
    for (const auto& f : work.textFiles)
        if (f.kind == kTextFile) all.push_back(f.name.str());
    return all;
}

std::vector<std::string> SignScene::filesAt(const CalendarTime& at) const {
    return filesToRun(work, defaultFile, runSequence, at);
}

WorkArea decodeNvsContent(const NvsSignState& sign, const ShowSettings& s, uint8_t defaultFont,
                          const CalendarTime& now, std::vector<std::string>& problems) {
    WorkArea work;
    work.signWidth = s.width;
    work.signHeight = s.height;
    work.colourType = s.singleColour ? 1 : 0;
    for (const auto& [name, f] : sign.files) {
        if (f.text || !f.written) continue;
        const std::string ext = name.size() > 4 ? name.substr(name.size() - 4) : "";
        if (ext != ".bmp") {
            problems.push_back("disk file '" + name + "': only BMP pictures are shown");
            continue;
        }
        GraphicFile g;
        g.name = nvsGraphicName(name);
        g.stamp = TimeStamp::from(now);
        std::string why;
        if (decodeGraphicBmp(f.decoded, g, why))
            work.graphics.push_back(std::move(g));
        else
            problems.push_back("disk file '" + name + "': " + why);
    }
    NvsDecodeContext context;
    context.signWidth = s.width;
    context.signHeight = s.height;
    context.singleColour = s.singleColour;
    context.defaultFont = defaultFont;
    context.graphics = &work.graphics;
    context.stamp = TimeStamp::from(now);
    // The window files made for the areas take names no text file has.
    std::set<std::string> used;
    for (const auto& [name, f] : sign.files) {
        const size_t close = f.body.find('$', 1);
        if (f.text && f.written && close != std::string::npos)
            used.insert(Name9(std::string_view(f.body).substr(1, close - 1)).str());
    }
    for (const auto& [name, f] : sign.files) {
        if (!f.text || !f.written) continue;
        NvsDecodedText d;
        std::string why;
        if (!decodeNvsTextBody(f.body, context, used, d, why)) {
            problems.push_back("text file '" + name + "': " + why);
            continue;
        }
        work.textFiles.push_back(std::move(d.file));
        for (auto& w : d.windowFiles)
            work.textFiles.push_back(std::move(w));
    }
    return work;
}

SignScene makeScene(const SignState& state, const ShowSettings& s,
                    std::shared_ptr<const FontSet> fonts, const CalendarTime& now,
                    std::vector<std::string>& problems) {
    SignScene scene;
    scene.address = state.address;
    scene.mode = s.mode;
    scene.now = now;
    scene.work.signWidth = s.width;
    scene.work.signHeight = s.height;
    scene.work.colourType = s.singleColour ? 1 : 0;
    scene.fonts = fonts;
    if (fonts) scene.defaultFont = defaultFontIndex(*fonts, s.defaultFontName);
    if (!state.displayOn) return scene;
    if (state.testActive) {
        scene.show = SignScene::Show::TestPattern;
        return scene;
    }
    scene.show = SignScene::Show::Files;
    const TextDecodeOptions decode =
        fonts ? readBackDecodeOptions(*fonts, s.defaultFontName) : TextDecodeOptions{};
    scene.work = decodeSignContent(state, s, decode, now, problems);
    scene.defaultFile = nameText(state.defaultFile);
    return scene;
}

SignScene makeScene(const NvsSignState& sign, const ShowSettings& s,
                    std::shared_ptr<const FontSet> fonts, const CalendarTime& now,
                    std::vector<std::string>& problems) {
    SignScene scene;
    scene.address = sign.address;
    scene.mode = SignMode::NVS;
    scene.now = now;
    scene.work.signWidth = s.width;
    scene.work.signHeight = s.height;
    scene.work.colourType = s.singleColour ? 1 : 0;
    scene.fonts = fonts;
    if (fonts) scene.defaultFont = defaultFontIndex(*fonts, s.defaultFontName);
    if (!sign.powerOn) return scene;
    scene.show = SignScene::Show::Files;
    scene.work = decodeNvsContent(sign, s, static_cast<uint8_t>(scene.defaultFont), now, problems);
    scene.runSequence = sign.runSequence;
    return scene;
}

bool renderSceneGif(const SignScene& scene, const ShowSettings& s, std::vector<uint8_t>& bytes,
                    std::string& error) {
    GifAnimation gif(s.width, s.height, s.dot);
    if (scene.show == SignScene::Show::TestPattern) {
        drawTestPattern(gif, s);
    } else if (scene.show == SignScene::Show::Files && scene.fonts) {
        const auto files = scene.filesAt(scene.now);
        if (!files.empty())
            playFiles(scene.work, *scene.fonts, files, s, scene.mode, scene.now, gif);
    }
    // Dark: the first frame is black until a picture comes.
    return gif.finish(s.durationMs, bytes, error);
}

bool renderSignGif(const SignState& state, const ShowSettings& s, const CalendarTime& now,
                   std::vector<uint8_t>& bytes, std::vector<std::string>& problems,
                   std::string& error) {
    std::shared_ptr<FontSet> fonts;
    if (state.displayOn && !state.testActive) {
        fonts = std::make_shared<FontSet>();
        if (!loadSignFonts(s.fontDir, s.height, *fonts, error, nullptr)) return false;
    }
    return renderSceneGif(makeScene(state, s, fonts, now, problems), s, bytes, error);
}

namespace {

std::optional<CalendarTime> kvSetTime(const SignState& state) {
    if (!state.clockSet) return std::nullopt;
    CalendarTime set;
    const auto& c = state.clock;
    set.second = c[0];
    set.minute = c[1];
    set.hour = c[2];
    set.day = c[3];
    set.month = c[4];
    set.year = 2000 + c[5];
    return set;
}

int digits(const std::string& s, size_t at, size_t n) {
    int v = 0;
    for (size_t i = at; i < at + n && i < s.size(); ++i)
        v = v * 10 + (s[i] - '0');
    return v;
}

}  // namespace

CalendarTime SignClock::now(const SignState& state, uint64_t nowMs) {
    const auto& c = state.clock;
    return from(state.address, std::string(c.begin(), c.end()), kvSetTime(state), nowMs);
}

CalendarTime SignClock::now(const NvsSignState& sign, uint64_t nowMs) {
    if (sign.date.empty() && sign.time.empty()) return from(sign.address, {}, std::nullopt, nowMs);
    // What was not set comes from the clock as it stands.
    CalendarTime set = fixed_ ? *fixed_ : SystemClock::instance().localNow();
    if (sign.date.size() == 9) {
        set.month = digits(sign.date, 0, 2);
        set.day = digits(sign.date, 2, 2);
        set.year = digits(sign.date, 4, 4);
    }
    if (sign.time.size() == 6) {
        set.hour = digits(sign.time, 0, 2);
        set.minute = digits(sign.time, 2, 2);
        set.second = digits(sign.time, 4, 2);
    }
    return from(sign.address, sign.date + " " + sign.time, set, nowMs);
}

CalendarTime SignClock::from(uint8_t address, const std::string& key,
                             std::optional<CalendarTime> set, uint64_t nowMs) {
    const CalendarTime base = fixed_ ? *fixed_ : SystemClock::instance().localNow();
    if (!set) return base;
    // The clock runs on from the moment the time was set (the moment this
    // sign was first seen holding it, after a restart).
    auto& seen = setAt_[address];
    if (seen.first != key || seen.second == 0) seen = {key, nowMs + 1};
    const chr::year_month_day ymd(chr::year(set->year),
                                  chr::month(static_cast<unsigned>(set->month)),
                                  chr::day(static_cast<unsigned>(set->day)));
    if (!ymd.ok() || set->hour > 23 || set->minute > 59 || set->second > 59) return base;
    const int64_t ran = fixed_ ? 0 : static_cast<int64_t>((nowMs + 1 - seen.second) / 1000);
    return addSeconds(*set, ran);
}

SignDisplay::SignDisplay(std::filesystem::path gifDir, ShowSettings settings,
                         std::optional<CalendarTime> fixedClock, ConversationLog& log)
    : dir_(std::move(gifDir)), settings_(std::move(settings)), clock_(fixedClock), log_(log) {
    auto fonts = std::make_shared<FontSet>();
    if (loadSignFonts(settings_.fontDir, settings_.height, *fonts, fontError_, nullptr))
        fonts_ = std::move(fonts);
}

std::filesystem::path SignDisplay::gifPath(uint8_t address) const {
    return dir_ / ("sign-" + std::to_string(address) + ".gif");
}

void SignDisplay::report(uint64_t nowMs, const std::string& text) {
    log_.note(nowMs, text);
    if (reported_.insert(text).second) std::fprintf(stderr, "signsim: %s\n", text.c_str());
}

void SignDisplay::update(const SignState& state, uint64_t nowMs, size_t position) {
    std::vector<std::string> problems;
    show(makeScene(state, settings_, fonts_, clock_.now(state, nowMs), problems), position,
         problems, nowMs);
}

void SignDisplay::update(const NvsSignState& sign, uint64_t nowMs, size_t position) {
    std::vector<std::string> problems;
    show(makeScene(sign, settings_, fonts_, clock_.now(sign, nowMs), problems), position, problems,
         nowMs);
}

void SignDisplay::show(SignScene made, size_t position, const std::vector<std::string>& problems,
                       uint64_t nowMs) {
    const std::string who = "sign " + std::to_string(made.address) + ": ";
    for (const auto& p : problems)
        report(nowMs, who + "shows nothing of " + p);
    if (made.show == SignScene::Show::Files && !made.fonts)
        report(nowMs, who + "display: " + fontError_);
    made.position = position;
    made.clockRuns = clock_.runs();
    auto scene = std::make_shared<SignScene>(std::move(made));
    if (!dir_.empty()) {
        std::vector<uint8_t> bytes;
        std::string error;
        if (!renderSceneGif(*scene, settings_, bytes, error) ||
            !writeFileAtomically(gifPath(scene->address), bytes, error))
            report(nowMs, who + "display: " + error);
    }
    if (sink_) sink_(std::move(scene));
}

}  // namespace lumavox::sim
