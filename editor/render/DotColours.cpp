#include "render/DotColours.h"

namespace lumavox {

namespace {

using colours::kBlack;
using colours::kGreen;
using colours::kRed;
using colours::kYellow;

DotColour solid(Rgb c) {
    return {DotColour::Kind::Solid, c, kBlack, 0};
}
DotColour pattern(int p) {
    return {DotColour::Kind::Pattern, kRed, kBlack, p};
}
DotColour twoColour(Rgb lit, Rgb unlit) {
    return {DotColour::Kind::TwoColour, lit, unlit, 0};
}

bool kv2Colour(int code, DotColour& out) {
    switch (code) {
        case 1:
            out = solid(kRed);
            return true;
        case 2:
            out = solid(kGreen);
            return true;
        case 3:
            out = solid(kYellow);
            return true;
        case 13:
            out = twoColour(kRed, kGreen);
            return true;
        case 14:
            out = twoColour(kGreen, kRed);
            return true;
        case 15:
            out = twoColour(kRed, kYellow);
            return true;
        case 16:
            out = twoColour(kGreen, kYellow);
            return true;
        default:
            if (code >= 4 && code <= 12) {
                out = pattern(code);
                return true;
            }
            return false;
    }
}

bool nvsColour(int code, DotColour& out) {
    static const Rgb kSolid[] = {colours::kWhite, kRed,           kGreen,           colours::kBlue,
                                 kYellow,         colours::kCyan, colours::kMagenta};
    // Lit and unlit colours of [INV1] ... [INV9].
    static const Rgb kInverse[][2] = {{kBlack, kRed},    {kGreen, kRed},  {kYellow, kRed},
                                      {kBlack, kGreen},  {kRed, kGreen},  {kYellow, kGreen},
                                      {kBlack, kYellow}, {kRed, kYellow}, {kGreen, kYellow}};
    if (code >= 1 && code <= 7) {
        out = solid(kSolid[code - 1]);
        return true;
    }
    if (code >= 8 && code <= 16) {
        out = pattern(code - 4);
        return true;
    }
    if (code >= 17 && code <= 25) {
        out = twoColour(kInverse[code - 17][0], kInverse[code - 17][1]);
        return true;
    }
    return false;
}

bool familyColour(SignMode mode, int code, DotColour& out) {
    return mode == SignMode::NVS ? nvsColour(code, out) : kv2Colour(code, out);
}

// Three bands of the glyph height: 0 top, 1 middle, 2 bottom.
int third(int row, int height) {
    const int t = height / 3;
    if (row < t) return 0;
    if (row < 2 * t) return 1;
    return 2;
}

PatternMasks bandColour(int colourIndex) {
    // 0 red, 1 yellow, 2 green
    switch (colourIndex) {
        case 0:
            return {0xFF, 0x00};
        case 1:
            return {0xFF, 0xFF};
        default:
            return {0x00, 0xFF};
    }
}

}  // namespace

DotColour resolveColour(SignMode mode, int code, int defaultCode) {
    DotColour out = solid(kRed);
    if (code != 0 && familyColour(mode, code, out)) return out;
    if (defaultCode != 0 && familyColour(mode, defaultCode, out)) return out;
    return solid(kRed);
}

PatternMasks patternMasks(int pattern, int row, int height, int k) {
    const int r8 = row % 8;
    switch (pattern) {
        case 4:
            return bandColour(third(row, height));
        case 5:
            return {0xFC, 0x1F};
        case 6: {
            // Bands red, yellow, green from the top, rotated with k.
            static const int kRotation[3][3] = {{0, 1, 2}, {2, 0, 1}, {1, 2, 0}};
            return bandColour(kRotation[((k % 3) + 3) % 3][third(row, height)]);
        }
        case 7: {
            static const uint8_t kRedRows[] = {0xFF, 0x00, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0x00};
            static const uint8_t kGreenRows[] = {0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0x00, 0xFF, 0xFF};
            return {kRedRows[r8], kGreenRows[r8]};
        }
        case 8:
            return {0xDB, 0x6D};
        case 9: {
            static const int kWhole[] = {0, 1, 2};  // red, yellow, green
            return bandColour(kWhole[((k % 3) + 3) % 3]);
        }
        case 10: {
            static const uint8_t kRedRows[] = {0x3C, 0x1E, 0x0F, 0x3C, 0xF0, 0x3C, 0x0F, 0x0F};
            static const uint8_t kGreenRows[] = {0xC3, 0xE1, 0xF0, 0xC3, 0x0F, 0xC3, 0xF0, 0xF0};
            return {kRedRows[r8], kGreenRows[r8]};
        }
        case 11: {
            static const uint8_t kRedRows[] = {0xB6, 0xDB, 0x6D, 0xB6, 0xDB, 0x6D, 0xB6, 0xDB};
            static const uint8_t kGreenRows[] = {0x6D, 0xB6, 0xDB, 0x6D, 0xB6, 0xDB, 0x6D, 0xB6};
            return {kRedRows[r8], kGreenRows[r8]};
        }
        case 12: {
            const int t = (height - 2) / 3;
            const int f = t + 1;
            if (row <= t) return {0xFF, 0x00};
            if (row == f) return {0xFF, 0x55};
            if (row <= f + t) return {0xFF, 0xFF};
            if (row == 2 * f) return {0x66, 0xFF};
            return {0x00, 0xFF};
        }
        default:
            return {0xFF, 0x00};
    }
}

}  // namespace lumavox
