#include "support/TestSupport.h"

#include <cstdlib>
#include <fstream>

#include <gtest/gtest.h>

namespace lumavox::test {

TempDir::TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "lumavox-test-XXXXXX").string();
    char* made = ::mkdtemp(tmpl.data());
    path_ = made ? made : tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

CalendarTime fixedTime() {
    CalendarTime t;
    t.year = 2024;
    t.month = 3;
    t.day = 1;
    t.hour = 8;
    t.weekday = 5;
    return t;
}

bool ScriptedPrompter::askYesNo(const std::string& text, Icon icon) {
    shown.push_back({true, text, icon});
    if (answers.empty()) {
        if (strict_) ADD_FAILURE() << "unexpected question: " << text;
        return !strict_;
    }
    bool a = answers.front();
    answers.pop_front();
    return a;
}

CharItem charAttrs(uint8_t font, uint8_t colour, uint8_t property, uint8_t flash) {
    CharItem c;
    c.font = font;
    c.colour = colour;
    c.property = property;
    c.flash = flash;
    return c;
}

void appendText(TextFile& f, std::string_view s, const CharItem& attrs) {
    for (char ch : s) {
        CharItem c = attrs;
        c.character = static_cast<uint8_t>(ch);
        f.items.push_back(TextItem::character(c));
    }
}

void appendEnd(TextFile& f, const CharItem& attrs) {
    CharItem c = attrs;
    c.character = kCR;
    f.items.push_back(TextItem::character(c));
}

TextFile makeTextFile(std::string_view name, uint8_t kind) {
    TextFile f;
    f.kind = kind;
    f.name = name;
    return f;
}

ControlParams params(uint16_t a, uint16_t b, uint16_t c, uint16_t d, uint8_t e) {
    ControlParams p;
    p.valueA = a;
    p.valueB = b;
    p.valueC = c;
    p.valueD = d;
    p.byteE = e;
    return p;
}

void writeFontStub(const std::filesystem::path& dir, const std::string& name) {
    std::ofstream out(dir / name, std::ios::binary);
    out.write("KRVFONTS\0\0\0", 11);
}

}  // namespace lumavox::test
