#include "FontBuilder.h"

namespace lumavox::test {

TestFont uniformFont(const std::string& name, uint8_t height, uint8_t firstCode, int count,
                     uint8_t width, uint8_t rowBytes, uint8_t fill) {
    TestFont f{name, height, rowBytes, firstCode, {}};
    for (int i = 0; i < count; ++i)
        f.glyphs.push_back({width, std::vector<uint8_t>(size_t{height} * rowBytes, fill)});
    return f;
}

std::vector<uint8_t> fontFileBytes(const std::vector<TestFont>& fonts, uint8_t headerValue) {
    std::vector<uint8_t> b = {'K', 'R', 'V', 'F', 'O', 'N', 'T', 'S', 0xA5, headerValue};
    for (const TestFont& f : fonts) {
        b.insert(b.end(), f.name.begin(), f.name.end());
        if (f.name.size() < 5) b.push_back(0);
        b.push_back(f.height);
        b.push_back(f.rowBytes);
        b.push_back(f.firstCode);
        b.push_back(static_cast<uint8_t>(f.glyphs.size()));
        for (const TestGlyph& g : f.glyphs) {
            b.push_back(g.width);
            b.insert(b.end(), g.rows.begin(), g.rows.end());
        }
    }
    return b;
}

}  // namespace lumavox::test
