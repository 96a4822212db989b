// The display simulation's figures.
//
// 1. The player in virtual time (what the GIF export and the tests use):
//    steps per second on one core for a text that plays every effect in turn,
//    at 160 x 16 and 512 x 64. The engine should manage well above 5,000 and
//    1,000 steps per second.
// 2. One minute of sign time at speed 5 written as a GIF (lumavox-cli preview).
// 3. The window's case in real time: the fastest effects (step delays of 0-1
//    ms) at 512 x 64, every step handed to a "window" thread that draws it at
//    4 pixels a dot; how far the sign time falls behind the clock.
//    `bench_preview --realtime 60` runs the full minute (default 10 s).
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "render/FontSet.h"
#include "render/SignStills.h"
#include "render/preview/GifAnimation.h"
#include "render/preview/Player.h"
#include "render/preview/PreviewTime.h"

using namespace lumavox;

namespace {

using WallClock = std::chrono::steady_clock;

double secondsSince(WallClock::time_point start) {
    return std::chrono::duration<double>(WallClock::now() - start).count();
}

void addText(TextFile& f, const std::string& s, uint8_t font, uint8_t colour) {
    for (char c : s) {
        CharItem ch;
        ch.font = font;
        ch.colour = colour;
        ch.character = static_cast<uint8_t>(c);
        f.items.push_back(TextItem::character(ch));
    }
}

void addControl(TextFile& f, uint8_t kind, uint16_t a, uint16_t b = 0, uint16_t c = 0,
                uint16_t d = 0) {
    ControlParams p;
    p.valueA = a;
    p.valueB = b;
    p.valueC = c;
    p.valueD = d;
    f.items.push_back(TextItem::control(kind, p));
}

// 43 screens, each with its own effect (move-in 0 counts through them), at
// speeds 0-7 in turn, with pause code 0.
WorkArea everyEffect(int width, int height, uint8_t font, int moveIn = 0, int speed = -1) {
    WorkArea work;
    work.signWidth = width;
    work.signHeight = height;
    TextFile f;
    f.name = "MAIN";
    const char* words[] = {"LUMAVOX", "MOVING SIGN", "OPEN 9-17H", "WELCOME"};
    for (int i = 0; i < 43; ++i) {
        addControl(f, kMove, static_cast<uint16_t>(moveIn));
        addControl(f, kSpeed, 0, 0, static_cast<uint16_t>(speed < 0 ? i % 8 : speed));
        addControl(f, kPause, 0, 0, 0, 0);
        addText(f, std::string(words[i % 4]) + " " + std::to_string(i + 1), font,
                static_cast<uint8_t>(1 + i % 3));
    }
    CharItem end;
    end.font = font;
    f.items.push_back(TextItem::character(end));
    work.textFiles.push_back(std::move(f));
    return work;
}

struct NullHost : PreviewHost {
    explicit NullHost(PreviewFlags& f) : time(f.stop) {}
    bool Wait(int ms) override { return time.wait(ms); }
    void frameReady(const RgbImage&) override {}
    VirtualTimeline time;
};

bool loadFonts(FontSet& fonts, const char* file) {
    fonts.Load(std::string(LUMAVOX_DATA_DIR) + "/" + file, nullptr);
    return fonts.IsLoaded();
}

void virtualTime(const char* fontFile, int width, int height, uint8_t font) {
    FontSet fonts;
    if (!loadFonts(fonts, fontFile)) return;
    WorkArea work = everyEffect(width, height, font);
    PlayerSettings settings;
    settings.defaultFont = font;
    uint64_t steps = 0, signMs = 0;
    int passes = 0;
    const auto start = WallClock::now();
    while (secondsSince(start) < 2.0 || passes < 2) {
        PreviewFlags flags;
        NullHost host(flags);
        SeededRandom random(static_cast<uint32_t>(passes + 1));
        settings.passes = 1;
        PreviewPlayer player(work, fonts, settings, host, flags, random);
        player.play("MAIN");
        steps += player.frames();
        signMs += player.elapsedMs();
        ++passes;
    }
    const double seconds = secondsSince(start);
    std::printf(
        "virtual time %3d x %-3d: %lu steps (%.0f s of sign time) in %.2f s: %.0f steps/s, "
        "%.0f x real time\n",
        width, height, static_cast<unsigned long>(steps), signMs / 1000.0, seconds, steps / seconds,
        signMs / 1000.0 / seconds);
}

struct GifHost : PreviewHost {
    GifHost(PreviewFlags& f, uint64_t limit, GifAnimation& g) : time(f.stop, limit), gif(g) {}
    bool Wait(int ms) override { return time.wait(ms); }
    void frameReady(const RgbImage& image) override { gif.add(image, time.nowMs()); }
    VirtualTimeline time;
    GifAnimation& gif;
};

void gifMinute(const char* fontFile, int width, int height, uint8_t font) {
    FontSet fonts;
    if (!loadFonts(fonts, fontFile)) return;
    WorkArea work = everyEffect(width, height, font, 0, 5);  // a fast speed: many steps
    const auto start = WallClock::now();
    GifAnimation gif(width, height, 4);
    PreviewFlags flags;
    GifHost host(flags, 60000, gif);
    SeededRandom random(1);
    PlayerSettings settings;
    settings.defaultFont = font;
    PreviewPlayer player(work, fonts, settings, host, flags, random);
    player.play("MAIN");
    std::vector<uint8_t> bytes;
    std::string error;
    gif.finish(60000, bytes, error);
    std::printf(
        "GIF of one minute %3d x %-3d at 4 pixels a dot: %lu steps, %zu frames, %zu KB "
        "in %.2f s\n",
        width, height, static_cast<unsigned long>(player.frames()), gif.frames(),
        bytes.size() / 1024, secondsSince(start));
}

// The window's side: takes the newest picture and draws it at 4 pixels a dot.
struct WindowHost : PreviewHost {
    WindowHost(PreviewFlags& f, PreviewFrameBuffer& b) : wait(f.stop), buffer(b) {}
    bool Wait(int ms) override { return wait.wait(ms); }
    void frameReady(const RgbImage& image) override {
        buffer.publish(image);
        shown.notify_one();
    }
    RealTimeWait wait;
    PreviewFrameBuffer& buffer;
    std::condition_variable shown;
};

void realTime(int seconds) {
    FontSet fonts;
    if (!loadFonts(fonts, "KV4fnt.bin")) return;
    // Slide left at speed 7 (0 ms) and the shutters at speed 7 (1 and 5 ms):
    // the window has no time of its own between steps.
    WorkArea work = everyEffect(512, 64, 1, 2, 7);
    PreviewFlags flags;
    PreviewFrameBuffer buffer;
    WindowHost host(flags, buffer);
    SeededRandom random(1);
    PlayerSettings settings;
    PreviewPlayer player(work, fonts, settings, host, flags, random);
    std::mutex lock;
    std::atomic<long> painted{0};
    std::thread window([&] {
        RgbImage latest, scaled(512 * 4, 64 * 4);
        uint64_t seen = 0;
        while (!flags.stop) {
            {
                std::unique_lock guard(lock);
                host.shown.wait_for(guard, std::chrono::milliseconds(20));
            }
            if (!buffer.takeIfNewer(latest, seen)) continue;
            for (int y = 0; y < scaled.height(); ++y)
                for (int x = 0; x < scaled.width(); ++x)
                    scaled.set(x, y, dotPixel(latest, x, y, 4));
            ++painted;
        }
    });
    const auto start = WallClock::now();
    std::thread worker([&] { player.play("MAIN"); });
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const uint64_t signMs = player.elapsedMs();  // read while it runs: a figure, not exact
    const double wall = secondsSince(start);
    flags.stop = true;
    host.shown.notify_all();
    worker.join();
    window.join();
    const double behind = 100.0 * (wall - signMs / 1000.0) / wall;
    std::printf(
        "real time 512 x 64, step delays 0-1 ms, window at 4 pixels a dot: %.1f s of sign "
        "time in %.1f s (%.1f%% behind), %lu steps, %ld pictures drawn\n",
        signMs / 1000.0, wall, behind, static_cast<unsigned long>(player.frames()), painted.load());
}

}  // namespace

int main(int argc, char** argv) {
    int realSeconds = 10;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--realtime") == 0) realSeconds = std::atoi(argv[i + 1]);
    virtualTime("KV2fnt.bin", 160, 16, 1);
    virtualTime("KV4fnt.bin", 512, 64, 1);
    gifMinute("KV2fnt.bin", 160, 16, 1);
    gifMinute("KV4fnt.bin", 512, 64, 1);
    if (realSeconds > 0) realTime(realSeconds);
    return 0;
}
