// Lays out and draws every screen of a 10,000-character text file, as the
// preview does, on a 160 x 16 sign and on a 512 x 64 sign, with the font files
// we ship. Prints screens per second; the preview needs well above 1,000 on
// the small sign so that it never waits on drawing.
#include <chrono>
#include <cstdio>
#include <string>

#include "content/Vocabulary.h"
#include "render/FontSet.h"
#include "render/Layout.h"
#include "render/ScreenPainter.h"

using namespace lumavox;

namespace {

// Words of 1-11 letters in the seven cycle colours, a line end now and then,
// a move item every few lines: 10,000 characters in all.
TextFile benchText(uint8_t font, SignMode mode) {
    TextFile f;
    f.name = "BENCH";
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245 + 12345;
        return (seed >> 16) & 0x7FFF;
    };
    int chars = 0;
    int words = 0;
    while (chars < 10000) {
        if (words % 40 == 0) {
            ControlParams move;
            move.valueA = static_cast<uint16_t>(next() % 44);
            f.items.push_back(TextItem::control(kMove, move));
        }
        int length = 1 + static_cast<int>(next() % 11);
        CharItem c;
        c.font = font;
        c.colour = cycleColour(mode, words);
        c.property = words % 17 == 0 ? 1 : 0;
        for (int i = 0; i < length && chars < 10000; ++i, ++chars) {
            c.character = static_cast<uint16_t>('A' + next() % 26);
            f.items.push_back(TextItem::character(c));
        }
        if (chars < 10000) {
            c.character = words % 13 == 12 ? kCR : ' ';
            f.items.push_back(TextItem::character(c));
            ++chars;
        }
        ++words;
    }
    CharItem end;
    end.font = font;
    f.items.push_back(TextItem::character(end));
    return f;
}

void run(const char* fontFile, int width, int height, uint8_t font) {
    FontSet fonts;
    fonts.Load(std::string(LUMAVOX_DATA_DIR) + "/" + fontFile, nullptr);
    if (!fonts.font(font)) {
        std::printf("%s has no font %d\n", fontFile, font);
        return;
    }
    const SignMode mode = SignMode::KV2;
    TextFile text = benchText(font, mode);
    LayoutOptions options;
    options.mode = mode;
    DrawOptions draw;
    draw.defaultColour = defaultColour(mode);
    RgbImage image(width, height);
    const Rect sign{0, 0, width, height};

    using Clock = std::chrono::steady_clock;
    long screens = 0;
    int passes = 0;
    const auto start = Clock::now();
    double seconds = 0;
    while (seconds < 2.0 || passes < 3) {
        MeasuredFile measured(text, fonts, options);
        ScreenLayout layout(measured, sign, 4);
        ScreenPainter painter(measured, draw);
        ScreenState state;
        Screen screen;
        while (!layout.atEnd()) {
            layout.next(screen, state);
            image.fill(colours::kBlack);
            painter.draw(image, screen);
            ++screens;
        }
        ++passes;
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
    }
    std::printf(
        "%3d x %-3d %s font %-4s: %ld screens per pass, %d passes in %.2f s: %.0f screens/s\n",
        width, height, fontFile, fonts.FontName(font).c_str(), screens / passes, passes, seconds,
        static_cast<double>(screens) / seconds);
}

}  // namespace

int main() {
    run("KV2fnt.bin", 160, 16, 1);  // SS7
    run("KV4fnt.bin", 512, 64, 1);  // SS7
    run("KV4fnt.bin", 512, 64, 9);  // SS24
    return 0;
}
