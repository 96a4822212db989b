// The character set of the sign fonts: which character each code 32-194 shows,
// and a plainer character to fall back on where a source font lacks a glyph.
// The font generator draws the glyphs from it; the editor maps typed and pasted
// characters to sign codes with it.
//
//  32-126  ASCII
//  127     a solid block
//  128-175 the accented letters and symbols of the PC's first code page at
//          these positions, except 158 (euro sign), 159 (sharp s), 169 (the
//          degree sign, which the temperature texts use) and 170 (section sign)
//  176-194 further capitals and letters of West European languages
#pragma once

#include <cstdint>

namespace lumavox::charset {

constexpr int kFirstCode = 32;
constexpr int kLastCode = 194;
constexpr int kCodeCount = kLastCode - kFirstCode + 1;  // 163
constexpr int kBlockCode = 127;

struct CodePoint {
    int code;
    char32_t unicode;
    char fallback;  // shown when a font has no glyph for `unicode`
};

// Codes 128-194 in order.
constexpr CodePoint kUpperCodes[] = {
    {128, U'\u00C7', 'C'}, {129, U'\u00FC', 'u'}, {130, U'\u00E9', 'e'}, {131, U'\u00E2', 'a'},
    {132, U'\u00E4', 'a'}, {133, U'\u00E0', 'a'}, {134, U'\u00E5', 'a'}, {135, U'\u00E7', 'c'},
    {136, U'\u00EA', 'e'}, {137, U'\u00EB', 'e'}, {138, U'\u00E8', 'e'}, {139, U'\u00EF', 'i'},
    {140, U'\u00EE', 'i'}, {141, U'\u00EC', 'i'}, {142, U'\u00C4', 'A'}, {143, U'\u00C5', 'A'},
    {144, U'\u00C9', 'E'}, {145, U'\u00E6', 'a'}, {146, U'\u00C6', 'A'}, {147, U'\u00F4', 'o'},
    {148, U'\u00F6', 'o'}, {149, U'\u00F2', 'o'}, {150, U'\u00FB', 'u'}, {151, U'\u00F9', 'u'},
    {152, U'\u00FF', 'y'}, {153, U'\u00D6', 'O'}, {154, U'\u00DC', 'U'}, {155, U'\u00A2', 'c'},
    {156, U'\u00A3', 'L'}, {157, U'\u00A5', 'Y'}, {158, U'\u20AC', 'E'}, {159, U'\u00DF', 'B'},
    {160, U'\u00E1', 'a'}, {161, U'\u00ED', 'i'}, {162, U'\u00F3', 'o'}, {163, U'\u00FA', 'u'},
    {164, U'\u00F1', 'n'}, {165, U'\u00D1', 'N'}, {166, U'\u00AA', 'a'}, {167, U'\u00BA', 'o'},
    {168, U'\u00BF', '?'}, {169, U'\u00B0', 'o'}, {170, U'\u00A7', 'S'}, {171, U'\u00BD', '2'},
    {172, U'\u00BC', '4'}, {173, U'\u00A1', '!'}, {174, U'\u00AB', '<'}, {175, U'\u00BB', '>'},
    {176, U'\u00C1', 'A'}, {177, U'\u00CD', 'I'}, {178, U'\u00D3', 'O'}, {179, U'\u00DA', 'U'},
    {180, U'\u00C0', 'A'}, {181, U'\u00C8', 'E'}, {182, U'\u00D2', 'O'}, {183, U'\u00D9', 'U'},
    {184, U'\u00C2', 'A'}, {185, U'\u00CA', 'E'}, {186, U'\u00CE', 'I'}, {187, U'\u00D4', 'O'},
    {188, U'\u00DB', 'U'}, {189, U'\u00D8', 'O'}, {190, U'\u00F8', 'o'}, {191, U'\u00C3', 'A'},
    {192, U'\u00E3', 'a'}, {193, U'\u00D5', 'O'}, {194, U'\u00F5', 'o'},
};
static_assert(sizeof kUpperCodes / sizeof kUpperCodes[0] == kLastCode - 127);

// The character a code shows (ASCII for 32-126; 0 for the block and for codes
// outside the set).
constexpr char32_t unicodeOf(int code) {
    if (code < kFirstCode || code > kLastCode || code == kBlockCode) return 0;
    if (code < kBlockCode) return static_cast<char32_t>(code);
    return kUpperCodes[code - 128].unicode;
}

constexpr char fallbackOf(int code) {
    if (code < 128 || code > kLastCode) return '?';
    return kUpperCodes[code - 128].fallback;
}

// The sign code that shows a character, or -1 when the set has none.
constexpr int signCodeOf(char32_t c) {
    if (c >= static_cast<char32_t>(kFirstCode) && c < static_cast<char32_t>(kBlockCode))
        return static_cast<int>(c);
    for (const CodePoint& p : kUpperCodes)
        if (p.unicode == c) return p.code;
    return -1;
}

}  // namespace lumavox::charset
