// Converts a 200-character message in five scripts (Latin, Chinese, Cyrillic,
// Greek and Arabic, with symbols) for a 160 x 16 sign: the sign's characters
// stay characters, every run it lacks is drawn with the computer's fonts into
// a graphic. Prints the first conversion of the program (fontconfig reads its
// configuration and the fonts are opened), the median, fastest and slowest of
// nine with a new painter each (the fonts opened again, as every lumavox-cli
// build does) and of nine with one painter kept (as the editor keeps it).
// Aim: a conversion with a new painter under 50 ms (median).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "content/TextGraphics.h"
#include "render/TextDots.h"

using namespace lumavox;

namespace {

constexpr int kRounds = 9;

std::u32string message() {
    const std::u32string words[] = {U"Hello",
                                    U"\u4F60\u597D",
                                    U"world",
                                    U"\u041F\u0440\u0438\u0432\u0435\u0442",
                                    U"news",
                                    U"\u0393\u03B5\u03B9\u03AC",
                                    U"at 9:30",
                                    U"\u0645\u0631\u062D\u0628\u0627",
                                    U"\u2600 sun",
                                    U"\u5317\u4EAC\u7AD9",
                                    U"caf\u00E9 \u20AC5",
                                    U"\u0421\u043F\u0430\u0441\u0438\u0431\u043E"};
    std::u32string text;
    for (size_t i = 0; text.size() < 200; ++i) {
        if (!text.empty()) text += i % 5 == 0 ? U" - " : U" ";
        text += words[i % std::size(words)];
    }
    text.resize(200);
    return text;
}

double convertMs(SignTextPainter& painter, const std::u32string& text, size_t& graphics) {
    WorkArea wa;
    wa.signWidth = 160;
    wa.signHeight = 16;
    CharItem attributes;
    attributes.font = 4;
    attributes.colour = 1;
    FixedClock clock;
    std::vector<TextItem> items;
    std::string refusal;
    const auto start = std::chrono::steady_clock::now();
    const bool ok = textToSignItems(wa, text, attributes, signCodeOfCharacter, painter, clock,
                                    items, nullptr, refusal);
    const auto end = std::chrono::steady_clock::now();
    if (!ok) std::fprintf(stderr, "refused: %s\n", refusal.c_str());
    graphics = wa.graphics.size();
    return std::chrono::duration<double, std::milli>(end - start).count();
}

void report(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-28s median %6.2f ms  fastest %6.2f ms  slowest %6.2f ms\n", what,
                ms[ms.size() / 2], ms.front(), ms.back());
}

}  // namespace

int main() {
    const std::u32string text = message();
    size_t graphics = 0;
    double first = 0;
    {
        SignTextPainter painter(SignMode::KV2, nullptr, 16);
        first = convertMs(painter, text, graphics);
    }
    std::printf("200 characters, %zu graphics drawn; first conversion %.2f ms\n", graphics, first);
    std::vector<double> fresh, kept;
    for (int i = 0; i < kRounds; ++i) {
        SignTextPainter painter(SignMode::KV2, nullptr, 16);
        fresh.push_back(convertMs(painter, text, graphics));
    }
    SignTextPainter painter(SignMode::KV2, nullptr, 16);
    convertMs(painter, text, graphics);
    for (int i = 0; i < kRounds; ++i)
        kept.push_back(convertMs(painter, text, graphics));
    report("with a new painter", fresh);
    report("with the painter kept", kept);
    std::sort(fresh.begin(), fresh.end());
    std::printf("aim: under 50 ms with a new painter (median) %s\n",
                fresh[fresh.size() / 2] < 50.0 ? "met" : "NOT met");
    return 0;
}
