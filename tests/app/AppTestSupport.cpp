#include "app/AppTestSupport.h"

namespace lumavox::test {

const FontSet& signFonts() {
    static const FontSet fonts = [] {
        FontSet f;
        f.Load(std::filesystem::path(LUMAVOX_SOURCE_DIR) / "data" / "KV2fnt.bin", nullptr);
        return f;
    }();
    return fonts;
}

EditorFixture::EditorFixture(const std::string& text, SignMode mode) : doc(mode, clock) {
    WorkArea work;
    TextFile main = makeTextFile("Main");
    appendText(main, text, charAttrs(1, 1));
    appendEnd(main);
    work.textFiles.push_back(main);
    doc.adopt(work);
    editor.setFonts(&signFonts());
}

std::string plainText(const TextFile& file) {
    std::string s;
    for (size_t i = 0; i + 1 < file.items.size(); ++i) {
        const TextItem& item = file.items[i];
        if (item.isChar())
            s += static_cast<char>(item.ch().character);
        else
            s += '#';
    }
    return s;
}

}  // namespace lumavox::test
