// Font files made in the tests: records written byte for byte, so that every
// corner of the format can be reached.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lumavox::test {

struct TestGlyph {
    uint8_t width = 0;
    std::vector<uint8_t> rows;  // height x rowBytes bytes, as stored
};

struct TestFont {
    std::string name;
    uint8_t height = 0;
    uint8_t rowBytes = 1;
    uint8_t firstCode = 32;
    std::vector<TestGlyph> glyphs;
};

// Every glyph `width` dots wide, every stored row byte `fill`.
TestFont uniformFont(const std::string& name, uint8_t height, uint8_t firstCode, int count,
                     uint8_t width, uint8_t rowBytes = 1, uint8_t fill = 0xFF);

// "KRVFONTS", byte 8, header value, the records; nothing after the last glyph.
std::vector<uint8_t> fontFileBytes(const std::vector<TestFont>& fonts, uint8_t headerValue = 7);

}  // namespace lumavox::test
