#include "render/FontSet.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "content/Prompter.h"
#include "render/GlyphWiden.h"
#include "strings/StringTable.h"
#include "strings/TextFormat.h"

namespace lumavox {

namespace {

// The fixed 5-row glyphs of the edit view: line ends and content markers.
struct BuiltinGlyph {
    int code;
    int width;
    uint8_t rows[5];
};

constexpr BuiltinGlyph kLineEnds[] = {
    {13, 7, {0x12, 0x32, 0x7C, 0x30, 0x10}},  // return arrow
    {10, 7, {0x92, 0xB2, 0xFC, 0xB0, 0x90}},  // return arrow behind a bar
};

constexpr BuiltinGlyph kMarkers[] = {
    {252, 5, {0xE0, 0x90, 0xE0, 0xA0, 0x90}},  // R: row pitch
    {241, 6, {0x88, 0xD8, 0xA8, 0x88, 0x88}},  // M: move
    {244, 5, {0x70, 0x80, 0x60, 0x10, 0xE0}},  // S: speed
    {245, 5, {0xE0, 0x90, 0xE0, 0x80, 0x80}},  // P: pause
    {247, 5, {0xE0, 0x90, 0xE0, 0x90, 0xE0}},  // B: beep
};

constexpr int kBuiltinHeight = 5;

template <size_t N>
const BuiltinGlyph* findBuiltin(const BuiltinGlyph (&table)[N], int code) {
    for (const BuiltinGlyph& g : table)
        if (g.code == code) return &g;
    return nullptr;
}

GlyphSize builtinGlyph(const BuiltinGlyph& g, int& rowBytes, std::vector<uint8_t>& bitmap) {
    bitmap.assign(g.rows, g.rows + kBuiltinHeight);
    rowBytes = 1;
    return {g.width, kBuiltinHeight};
}

bool isLineEnd(int code) {
    return code == 13 || code == 10;
}

bool sameNameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

// The bytes found where the magic should be, as shown in the header message:
// at most 8, up to the first zero byte.
std::string foundHead(std::span<const uint8_t> bytes) {
    std::string s;
    for (size_t i = 0; i < bytes.size() && i < kFontMagic.size() && bytes[i] != 0; ++i)
        s += static_cast<char>(bytes[i]);
    return s;
}

bool readAll(std::FILE* file, std::vector<uint8_t>& bytes) {
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        if (bytes.size() + n > kMaxFontFileBytes) return false;
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    return !std::ferror(file);
}

}  // namespace

bool isMarkerCode(int marker) {
    return findBuiltin(kMarkers, marker) != nullptr;
}

void FontSet::Clear() {
    fonts_.clear();
    headerValue_ = 0;
    loaded_ = false;
    problems_.clear();
}

void FontSet::report(Prompter* prompter, const std::string& message) {
    problems_.push_back(message);
    if (prompter) prompter->message(message, Icon::Error);
}

void FontSet::Load(const std::filesystem::path& path, Prompter* prompter) {
    path_ = path;
    Clear();
    std::error_code ec;
    std::FILE* file =
        std::filesystem::is_directory(path, ec) ? nullptr : std::fopen(path.c_str(), "rb");
    if (!file) {
        report(prompter, textf(msg::kFontOpenFailed, {path.string()}));
        return;
    }
    // A read failure (or a file far too large to be a font file) leaves the set
    // empty and unloaded without a message.
    std::vector<uint8_t> bytes;
    bool read = readAll(file, bytes);
    std::fclose(file);
    if (!read) return;
    LoadBytes(bytes, path, prompter);
}

std::string FontSet::PickerFontFileName(int signHeight) {
    return formatText("KV%dFNT.bin", {signHeight / 8});
}

void FontSet::LoadBytes(std::span<const uint8_t> bytes, const std::filesystem::path& path,
                        Prompter* prompter) {
    path_ = path;
    Clear();
    const size_t length = bytes.size();
    if (length < kFontMagic.size() + 1 ||
        std::memcmp(bytes.data(), kFontMagic.data(), kFontMagic.size()) != 0) {
        report(prompter, formatText("%s-%s", {text(msg::kFontHeadError), foundHead(bytes)}));
        report(prompter, textf(msg::kFontNotRight, {path.string()}));
        return;
    }
    // A file of exactly 9 bytes has no header value; it reads as 0.
    headerValue_ = length > 9 ? bytes[9] : 0;
    size_t pos = kFontRecordsOffset;
    while (length > 0 && pos < length - 1) {
        if (pos + 9 >= length) {
            report(prompter, textf(msg::kFontLengthWrong, {path.string()}));
            break;
        }
        // The name: 1-4 characters and a zero byte, or exactly 5 characters.
        std::string name;
        while (name.size() < 5) {
            uint8_t c = bytes[pos++];
            if (c == 0) break;
            name += static_cast<char>(c);
        }
        if (name.empty()) break;  // end-of-list marker
        SignFont f;
        f.name = std::move(name);
        f.height = bytes[pos];
        f.storedRowBytes = bytes[pos + 1];
        f.firstCode = bytes[pos + 2];
        f.count = bytes[pos + 3];
        pos += 4;
        const size_t R = f.storedRowBytes;
        const size_t H = static_cast<size_t>(f.height);
        const size_t recordBytes = static_cast<size_t>(f.count) * (H * R + 1);
        if (pos + recordBytes > length) {
            report(prompter, textf(msg::kFontLengthWrong, {path.string()}));
            break;
        }
        f.glyphs.resize(static_cast<size_t>(f.count));
        for (SignFont::Glyph& g : f.glyphs) {
            g.width = bytes[pos++];
            const size_t packed = static_cast<size_t>(rowBytesFor(g.width));
            const size_t kept = std::min(R, packed);
            g.offset = static_cast<uint32_t>(f.bits.size());
            f.bits.resize(f.bits.size() + packed * H, 0);
            uint8_t* out = f.bits.data() + g.offset;
            for (size_t r = 0; r < H; ++r) {
                if (kept > 0) std::memcpy(out + r * packed, bytes.data() + pos, kept);
                pos += R;
            }
        }
        fonts_.push_back(std::move(f));
    }
    loaded_ = true;
}

int defaultFontIndex(const FontSet& fonts, std::string_view name) {
    constexpr int kFallbackFont = 1;  // "SS7"
    int index = fonts.FindFont(name);
    return index >= 0 ? index : kFallbackFont;
}

TextDecodeOptions readBackDecodeOptions(const FontSet& fonts, std::string_view defaultFontName) {
    TextDecodeOptions options;
    int font = defaultFontIndex(fonts, defaultFontName);
    options.defaultFont = static_cast<uint8_t>(font <= 0xFF ? font : 1);
    if (fonts.font(1)) options.font1EndCode = fonts.EndCode(1);
    return options;
}

int FontSet::FindFont(std::string_view name) const {
    for (size_t i = 0; i < fonts_.size(); ++i)
        if (sameNameIgnoringCase(fonts_[i].name, name)) return static_cast<int>(i);
    return -1;
}

std::string FontSet::FontName(int index) const {
    const SignFont* f = font(index);
    return f ? f->name : std::string();
}

int FontSet::FontCount() const {
    return fonts_.empty() ? -1 : static_cast<int>(fonts_.size());
}

int FontSet::FontHeight(int index, int base) const {
    const SignFont* f = font(index);
    return base + (f ? f->height : 7);
}

int FontSet::EndCode(int index) const {
    const SignFont* f = font(index);
    return f ? f->firstCode + f->count : 0;
}

int FontSet::FirstCode(int index) const {
    const SignFont* f = font(index);
    return f ? f->firstCode : 0;
}

bool FontSet::HasChar(int index, int code) const {
    const SignFont* f = font(index);
    return f && (f->covers(code) || isLineEnd(code));
}

GlyphSize FontSet::CharExtent(int index, int code, int y) const {
    const SignFont* f = font(index);
    if (!f) return {};
    if (f->covers(code)) return {f->glyph(code).width, y + f->height};
    if (isLineEnd(code)) return {7, y + kBuiltinHeight};
    return {};
}

int FontSet::DrawnWidth(int index, int code, int widen) const {
    if (isLineEnd(code)) return 7;
    const SignFont* f = font(index);
    if (!f || !f->covers(code)) return 0;
    return widenedWidth(f->glyph(code).width, f->storedRowBytes, widen);
}

GlyphSize FontSet::GetGlyph(int index, int code, int widen, int marker, int& rowBytes,
                            std::vector<uint8_t>& bitmap) const {
    bitmap.clear();
    rowBytes = 0;
    if (const BuiltinGlyph* m = findBuiltin(kMarkers, marker))
        return builtinGlyph(*m, rowBytes, bitmap);
    if (marker != kNoMarker) return {};
    if (const BuiltinGlyph* e = findBuiltin(kLineEnds, code))
        return builtinGlyph(*e, rowBytes, bitmap);
    const SignFont* f = font(index);
    if (!f || !f->covers(code)) return {};
    const SignFont::Glyph& g = f->glyph(code);
    // The rows handed out are packed with the stride of the (widened) width; the
    // stored row size R describes the file, not this bitmap.
    int width =
        widenGlyph(f->glyphBits(code), g.width, f->height, f->storedRowBytes, widen, bitmap);
    rowBytes = rowBytesFor(width);
    return {width, f->height};
}

}  // namespace lumavox
