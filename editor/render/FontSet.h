// The sign fonts of one font file ("KV2fnt.bin", "KV3fnt.bin", "KV4fnt.bin").
//
//   "KRVFONTS" | byte not interpreted | header value | font records ...
//   record: name (1-4 characters and a zero byte, or exactly 5 characters)
//           | height H | row bytes R | first code F | count N
//           | N glyphs: width W, then H rows of R bytes (bit 7 of the first byte leftmost)
//
// The whole file is read at once and every glyph is unpacked at load time into
// rows of ceil(W/8) bytes, so drawing never touches the file. A font index is a
// signed integer counted from 0 in file order; -1 means none.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "content/FontCheck.h"
#include "content/TextBody.h"

namespace lumavox {

class Prompter;

// Codes of the content markers that have a built-in glyph (row pitch, move,
// speed, pause, beep), and the value meaning "no marker".
constexpr int kNoMarker = -1;
bool isMarkerCode(int marker);

// Character property used as the widening argument: 0 none, 1 bold, 2 double width.
enum Widen : int { kWidenNone = 0, kWidenBold = 1, kWidenDouble = 2 };

struct GlyphSize {
    int width = 0;
    int height = 0;
    bool operator==(const GlyphSize&) const = default;
};

// One font of the set. Glyph bitmaps are packed rows of ceil(W/8) bytes.
class SignFont {
  public:
    std::string name;            // up to 5 characters as stored
    uint8_t firstCode = 0;       // F
    int count = 0;               // N
    int height = 0;              // H
    uint8_t storedRowBytes = 0;  // R as stored in the file

    struct Glyph {
        uint8_t width = 0;
        uint32_t offset = 0;  // into bits
    };
    std::vector<Glyph> glyphs;
    std::vector<uint8_t> bits;

    bool covers(int code) const { return code >= firstCode && code < firstCode + count; }
    const Glyph& glyph(int code) const { return glyphs[static_cast<size_t>(code - firstCode)]; }
    const uint8_t* glyphBits(int code) const { return bits.data() + glyph(code).offset; }
};

class FontSet {
  public:
    FontSet() = default;
    FontSet(const FontSet&) = delete;
    FontSet& operator=(const FontSet&) = delete;
    FontSet(FontSet&&) = default;
    FontSet& operator=(FontSet&&) = default;

    // Replaces the contents with the fonts of the file. Failures are shown
    // through the prompter (when given) with the error icon; a set that failed to
    // load stays empty. A truncated record is reported and ends the reading, but
    // the fonts before it stay usable and the set counts as loaded.
    void Load(const std::filesystem::path& path, Prompter* prompter);
    // The same from bytes already in memory (the file's path is used in messages).
    void LoadBytes(std::span<const uint8_t> bytes, const std::filesystem::path& path,
                   Prompter* prompter);
    void Clear();

    // The picker dialogs' spelling: "KV%dFNT.bin" with the sign height / 8. Which
    // file a sign height needs, and its header check, are the content layer's
    // (content/FontCheck.h).
    static std::string PickerFontFileName(int signHeight);

    bool IsLoaded() const { return loaded_; }
    // The messages of the last Load, given a prompter or not: empty when the
    // whole file was read.
    const std::vector<std::string>& problems() const { return problems_; }
    const std::filesystem::path& path() const { return path_; }
    uint8_t headerValue() const { return headerValue_; }

    // Index of the first font whose name equals `name` ignoring case, or -1.
    int FindFont(std::string_view name) const;
    // The name, or empty for an index out of range.
    std::string FontName(int index) const;
    // Number of fonts, or -1 when there are none.
    int FontCount() const;
    // base + H of the font, or base + 7 when the index names no font.
    int FontHeight(int index, int base = 0) const;
    // F + N (one past the last code); 0 when the index names no font.
    int EndCode(int index) const;
    // The first code F; 0 when the index names no font.
    int FirstCode(int index) const;
    // F <= code < F+N, or code 13 or 10 when the font exists.
    bool HasChar(int index, int code) const;
    // (W, y + H) of the glyph; (7, y + 5) for 13 and 10 outside the font; (0, 0)
    // when the font does not exist or the code is not covered.
    GlyphSize CharExtent(int index, int code, int y = 0) const;
    // Width of the glyph as drawn with the widening (0 none, 1 bold, 2 double);
    // the line-end glyphs are 7 wide. 0 when the glyph does not exist.
    int DrawnWidth(int index, int code, int widen) const;

    // The glyph bitmap, handed to the caller in `bitmap` (its old contents are
    // dropped), with `rowBytes` the stride of its rows. In this order:
    //   1. marker 241, 244, 245, 247 or 252: the built-in marker glyph, 5 rows;
    //   2. marker -1 and code 13 or 10: the built-in line-end glyph, 7 x 5;
    //   3. marker -1: the font glyph, widened for widen 1 (bold) or 2 (double);
    //   4. anything else: (0, 0) and an empty bitmap.
    GlyphSize GetGlyph(int index, int code, int widen, int marker, int& rowBytes,
                       std::vector<uint8_t>& bitmap) const;

    const SignFont* font(int index) const {
        return index >= 0 && static_cast<size_t>(index) < fonts_.size() ? &fonts_[index] : nullptr;
    }
    const std::vector<SignFont>& fonts() const { return fonts_; }

  private:
    std::filesystem::path path_;
    std::vector<SignFont> fonts_;
    uint8_t headerValue_ = 0;
    bool loaded_ = false;
    std::vector<std::string> problems_;
    void report(Prompter* prompter, const std::string& message);
};

// The index of the default font: the font of that name, else index 1 ("SS7").
int defaultFontIndex(const FontSet& fonts, std::string_view name);

// How text bodies read back from a sign are decoded with these fonts: in the
// default font (defaultFontIndex), and with the bytes from the end code of
// font index 1 up taken as unknown codes. Without a font index 1 every byte
// that is no control code is a character.
TextDecodeOptions readBackDecodeOptions(const FontSet& fonts, std::string_view defaultFontName);

// Largest font file that is read at all; far above any real one.
constexpr size_t kMaxFontFileBytes = size_t{64} << 20;

// Position of the first record, after kFontMagic, one byte and the header value.
constexpr size_t kFontRecordsOffset = 10;

}  // namespace lumavox
