// Shared pieces of the editor model tests: the real sign fonts and a document
// with an edit model on its first text file.
#pragma once

#include <memory>
#include <string>

#include "editing/EditorDocument.h"
#include "editing/TextEditor.h"
#include "render/FontSet.h"
#include "support/TestSupport.h"

namespace lumavox::test {

// The fonts of data/KV2fnt.bin (SS5, SS7, ... codes 32-194), loaded once.
const FontSet& signFonts();

// A document holding one text file "Main" with `text` in font 1, colour 1,
// and an edit model on it with the sign fonts.
struct EditorFixture {
    explicit EditorFixture(const std::string& text = "", SignMode mode = SignMode::KV2);
    FixedClock clock{fixedTime()};
    EditorDocument doc;
    TextEditor editor{doc};
};

// The characters of a file, without the end-of-text marker.
std::string plainText(const TextFile& file);

}  // namespace lumavox::test
