#include "content/TextBody.h"

#include "content/Vocabulary.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "content/GraphicRules.h"
#include "content/WindowLayout.h"
#include "platform/ByteIo.h"
#include "strings/StringTable.h"

namespace lumavox {

namespace {

constexpr uint8_t kSection = 0xEF;
constexpr uint8_t kFontCode = 0xF2;
constexpr uint8_t kColourCode = 0xF3;
constexpr uint8_t kToggleCode = 0xFA;
enum Toggle : uint8_t { kBold = 0, kWiden = 1, kFlash = 2, kToggleCR = 3, kToggleLF = 4 };
// Alignment of the reset to the full screen after a window's areas.
constexpr uint8_t kFullScreenAlignment = 4;

void writeHeader(const TextFile& file, const Clock& clock, std::vector<uint8_t>& out) {
    ByteWriter w(out);
    w.u8(0x00);
    w.bytes(file.name.bytes.data(), 8);
    w.u16(0);
    auto stamp = TimeStamp::now(clock).bytes();
    w.bytes(stamp.data(), stamp.size());
}

// Writes the items of one file; window areas recurse into the files they call.
class ItemEncoder {
  public:
    ItemEncoder(const WorkArea& work, std::vector<uint8_t>& out) : work_(work), out_(out) {}

    void encodeFile(const TextFile& file) {
        expanding_.push_back(&file);
        EncodeState state;
        if (work_.colourType == 1) state.colour = 1;
        bool afterWindow = false;
        bool charSeen = false;
        size_t count = file.items.empty() ? 0 : file.items.size() - 1;
        for (size_t i = 0; i < count; ++i) {
            const TextItem& item = file.items[i];
            if (afterWindow && !item.isWindow()) {
                emitFullScreenReset();
                afterWindow = false;
            }
            if (item.isChar()) {
                charSeen = true;
                encodeChar(state, item.ch());
            } else if (item.isWindow()) {
                encodeWindow(item.window());
                afterWindow = true;
            } else {
                encodeControl(state, item.kind, item.params(), i);
            }
        }
        if (charSeen) closeToggles(state);
        expanding_.pop_back();
    }

  private:
    void put(uint8_t b) { out_.push_back(b); }
    void delimited(uint8_t code, uint8_t value) {
        put(code);
        put(value);
        put(code);
    }
    void toggle(uint8_t which) { delimited(kToggleCode, which); }

    void emitFullScreenReset() {
        put(0xFB);
        put(0);
        put(0);
        put(static_cast<uint8_t>(work_.signWidth));
        put(static_cast<uint8_t>(work_.signHeight));
        put(kFullScreenAlignment);
        put(0xFB);
    }

    void changeFlash(EncodeState& s, uint8_t flash) {
        if (s.flash == flash) return;
        if (s.flash == 255) {
            if (flash) toggle(kFlash);
        } else {
            if (s.flash) toggle(kFlash);
            if (flash) toggle(kFlash);
        }
        s.flash = flash;
    }

    void switchProperty(uint8_t property) {
        if (property == 1) toggle(kBold);
        if (property == 2) toggle(kWiden);
    }

    void changeAttributes(EncodeState& s, uint8_t font, uint8_t colour, uint8_t property,
                          uint8_t flash) {
        if (s.font != font) {
            delimited(kFontCode, font);
            s.font = font;
        }
        if (s.colour != colour) {
            delimited(kColourCode, colour);
            s.colour = colour;
        }
        changeFlash(s, flash);
        if (s.property != property) {
            if (s.property != 255) switchProperty(s.property);
            switchProperty(property);
            s.property = property;
        }
    }

    void encodeChar(EncodeState& s, const CharItem& c) {
        changeAttributes(s, c.font, c.colour, c.property, c.flash);
        if (c.character == kCR)
            toggle(kToggleCR);
        else if (c.character == kLF)
            toggle(kToggleLF);
        else
            put(static_cast<uint8_t>(c.character));
    }

    void encodeControl(EncodeState& s, uint8_t kind, const ControlParams& p, size_t index) {
        switch (kind) {
            case kTempCounter:
            case kDateTime:
                changeAttributes(s, static_cast<uint8_t>(p.valueB), static_cast<uint8_t>(p.valueC),
                                 static_cast<uint8_t>(p.valueD), p.byteE);
                put(kind);
                put(static_cast<uint8_t>(p.valueA));
                if (kind == kTempCounter && isCounterFormat(p.valueA))
                    out_.insert(out_.end(), p.name.bytes.begin(), p.name.bytes.begin() + 6);
                put(kind);
                break;
            case kMove:
                if (p.valueB != 0 && index != 0)
                    delimited(kMove, static_cast<uint8_t>(p.valueB - 1));
                delimited(kMove, static_cast<uint8_t>(p.valueA));
                break;
            case kSpeed:
                delimited(kind, static_cast<uint8_t>(p.valueC));
                break;
            case kPause:
                delimited(kind, static_cast<uint8_t>(p.valueD));
                break;
            case kBeep:
            case kRowPitch:
                delimited(kind, static_cast<uint8_t>(p.valueA));
                break;
            case kGraphicItem:
                changeFlash(s, p.flash2);
                [[fallthrough]];
            case kInclude:
                put(kind);
                out_.insert(out_.end(), p.name.bytes.begin(), p.name.bytes.begin() + 8);
                put(kind);
                break;
            default:
                break;  // kinds that are never created carry nothing to the sign
        }
    }

    void encodeWindow(const WindowControl& w) {
        for (const PlayedArea& p : playedAreas(w, work_.signWidth, work_.signHeight)) {
            const WindowArea& a = *p.area;
            put(0xFB);
            put(static_cast<uint8_t>(p.rect.left));
            put(static_cast<uint8_t>(p.rect.top));
            put(static_cast<uint8_t>(p.rect.right - p.rect.left));
            put(static_cast<uint8_t>(p.rect.bottom - p.rect.top));
            put(a.byteE);
            put(0xFB);
            const TextFile* called = a.name.empty() ? nullptr : work_.findFile(a.name.str());
            // A file already being expanded would repeat forever; the sign gets it once.
            if (called &&
                std::find(expanding_.begin(), expanding_.end(), called) == expanding_.end())
                encodeFile(*called);
        }
    }

    void closeToggles(const EncodeState& s) {
        if (s.property != 0) toggle(s.property == 1 ? kBold : kWiden);
        if (s.flash != 0) toggle(kFlash);
    }

    const WorkArea& work_;
    std::vector<uint8_t>& out_;
    std::vector<const TextFile*> expanding_;
};

// Parses the item bytes of a received body.
class ItemDecoder {
  public:
    ItemDecoder(std::span<const uint8_t> body, const TextDecodeOptions& options, const Clock& clock,
                std::set<std::string> usedNames, int signWidth, int signHeight)
        : body_(body),
          options_(options),
          clock_(clock),
          used_(std::move(usedNames)),
          signWidth_(signWidth),
          signHeight_(signHeight) {
        start_ = clock_.tickMs();
    }

    // Decodes [pos, end) into items. Returns false with the error text on failure.
    bool parse(size_t pos, size_t end, std::vector<TextItem>& items, bool insideWindow) {
        while (pos < end) {
            if (clock_.tickMs() - start_ > options_.timeLimitMs) {
                error_ = text(msg::kDecodeTooLong);
                return false;
            }
            uint8_t code = body_[pos];
            if (insideWindow && (code == 0xFB || code == kSection)) break;
            size_t used = 0;
            if (!parseOne(pos, end, items, used)) {
                error_ = text(msg::kFileFormatInvalid);
                return false;
            }
            pos += used;
        }
        return true;
    }

    const std::string& error() const { return error_; }
    std::vector<TextFile>& windowFiles() { return windows_; }
    EncodeState& state() { return state_; }

    void resetState(uint8_t font) { state_ = {font, 0, 0, 0}; }

    CharItem charWithState(uint16_t ch) const {
        CharItem c;
        c.font = state_.font;
        c.colour = state_.colour;
        c.character = ch;
        c.property = state_.property;
        c.flash = state_.flash;
        return c;
    }

    void appendEndMarker(std::vector<TextItem>& items) const {
        if (items.empty() || !items.back().isCharCode(kCR))
            items.push_back(TextItem::character(charWithState(kCR)));
    }

  private:
    // Decodes the item starting at pos; `used` is how many bytes it took.
    bool parseOne(size_t pos, size_t end, std::vector<TextItem>& items, size_t& used) {
        auto have = [&](size_t n) { return end - pos >= n; };
        uint8_t code = body_[pos];
        switch (code) {
            case kFontCode:
            case kColourCode:
                if (!have(3)) return false;
                (code == kFontCode ? state_.font : state_.colour) = body_[pos + 1];
                used = 3;
                return true;
            case kToggleCode: {
                if (!have(3)) return false;
                uint8_t which = body_[pos + 1];
                if (which == kBold) state_.property = state_.property == 1 ? 0 : 1;
                if (which == kWiden) state_.property = state_.property == 2 ? 0 : 2;
                if (which == kFlash) state_.flash = state_.flash ? 0 : 1;
                if (which == kToggleCR) items.push_back(TextItem::character(charWithState(kCR)));
                if (which == kToggleLF) items.push_back(TextItem::character(charWithState(kLF)));
                used = 3;
                return true;
            }
            case kTempCounter:
            case kDateTime: {
                if (!have(3)) return false;
                ControlParams p;
                p.valueA = body_[pos + 1];
                p.valueB = state_.font;
                p.valueC = state_.colour;
                p.valueD = state_.property;
                p.byteE = state_.flash;
                used = 3;
                if (code == kTempCounter && isCounterFormat(p.valueA)) {
                    if (!have(9)) return false;
                    std::copy_n(body_.begin() + pos + 2, 6, p.name.bytes.begin());
                    used = 9;
                }
                items.push_back(TextItem::control(code, p));
                return true;
            }
            case kMove: {
                if (!have(3)) return false;
                ControlParams p;
                if (have(6) && body_[pos + 3] == kMove && body_[pos + 5] == kMove) {
                    p.valueA = body_[pos + 4];
                    p.valueB = static_cast<uint16_t>(body_[pos + 1] + 1);
                    used = 6;
                } else {
                    p.valueA = body_[pos + 1];
                    used = 3;
                }
                items.push_back(TextItem::control(kMove, p));
                return true;
            }
            case kSpeed:
            case kPause:
            case kBeep:
            case kRowPitch: {
                if (!have(3)) return false;
                ControlParams p;
                uint8_t v = body_[pos + 1];
                if (code == kSpeed)
                    p.valueC = v;
                else if (code == kPause)
                    p.valueD = v;
                else
                    p.valueA = v;
                items.push_back(TextItem::control(code, p));
                used = 3;
                return true;
            }
            case kGraphicItem:
            case kInclude: {
                if (!have(10)) return false;
                ControlParams p;
                std::copy_n(body_.begin() + pos + 1, 8, p.name.bytes.begin());
                if (code == kGraphicItem) p.flash2 = state_.flash;
                items.push_back(TextItem::control(code, p));
                used = 10;
                return true;
            }
            case 0xFB:
                return parseWindow(pos, end, items, used);
            default:
                break;
        }
        if (code < options_.font1EndCode) {
            items.push_back(TextItem::character(charWithState(code)));
            used = 1;
            return true;
        }
        // Unknown code: skip to just past its next occurrence.
        size_t next = pos + 1;
        while (next < end && body_[next] != code)
            ++next;
        used = (next < end ? next + 1 : end) - pos;
        return true;
    }

    bool parseWindow(size_t pos, size_t end, std::vector<TextItem>& items, size_t& used) {
        if (end - pos < 7) return false;
        WindowArea area;
        area.valueA = body_[pos + 1];
        area.valueB = body_[pos + 2];
        area.valueC = body_[pos + 3];
        area.valueD = body_[pos + 4];
        area.byteE = body_[pos + 5];
        size_t contentStart = pos + 7;
        size_t contentEnd = contentStart;
        while (contentEnd < end && body_[contentEnd] != 0xFB && body_[contentEnd] != kSection)
            ++contentEnd;

        // In a read-back the areas of one control follow each other, and a
        // whole-sign centred area after them is the reset back to the full
        // screen, whose bytes belong to the text again.
        const bool continues =
            options_.joinWindowAreas && !items.empty() && items.back().isWindow();
        if (continues && area.valueA == 0 && area.valueB == 0 &&
            area.valueC == (signWidth_ & 0xFF) && area.valueD == (signHeight_ & 0xFF) &&
            area.byteE == kFullScreenAlignment) {
            used = 7;
            return true;
        }

        TextFile window;
        window.kind = kWindowFile;
        window.name = newWindowName();
        window.stamp = TimeStamp::now(clock_);
        if (!parse(contentStart, contentEnd, window.items, true)) return false;
        appendEndMarker(window.items);
        area.name = window.name;
        windows_.push_back(std::move(window));
        used = contentEnd - pos;

        if (continues) {
            items.back().window().areas.push_back(area);
            return true;
        }
        WindowControl control;
        control.layoutType = 1;
        control.areas.push_back(area);
        items.push_back(TextItem::window(control));
        return true;
    }

  public:
    // The joined controls get the layout their areas tell.
    void restoreLayouts(std::vector<TextItem>& items) const {
        if (!options_.joinWindowAreas) return;
        for (TextItem& item : items)
            if (item.isWindow()) restoreSentLayout(item.window(), signWidth_, signHeight_);
    }

  private:
    std::string newWindowName() {
        for (int n = 0;; ++n) {
            char name[16];
            std::snprintf(name, sizeof name, "*F%06d", n);
            if (used_.insert(name).second) return name;
        }
    }

    std::span<const uint8_t> body_;
    const TextDecodeOptions& options_;
    const Clock& clock_;
    std::set<std::string> used_;
    int signWidth_ = 0;
    int signHeight_ = 0;
    uint64_t start_ = 0;
    EncodeState state_;
    std::vector<TextFile> windows_;
    std::string error_;
};

}  // namespace

size_t encodeTextBody(const TextFile& file, const WorkArea& work, const Clock& clock,
                      std::vector<uint8_t>& out) {
    size_t start = out.size();
    writeHeader(file, clock, out);
    out.push_back(kSection);
    ItemEncoder(work, out).encodeFile(file);
    out.push_back(kSection);
    size_t length = out.size() - start + 2;
    ByteWriter w(out);
    w.patchU16(start + 9, static_cast<uint16_t>(length));
    w.u16(invertedSum16(std::span<const uint8_t>(out).subspan(start)));
    return out.size() - start;
}

std::array<uint8_t, kBodyHeaderSize> encodeTextDirEntry(const TextFile& file, const Clock& clock) {
    std::vector<uint8_t> header;
    writeHeader(file, clock, header);
    std::array<uint8_t, kBodyHeaderSize> entry{};
    std::copy_n(header.begin(), kBodyHeaderSize, entry.begin());
    return entry;
}

bool decodeTextBody(std::span<const uint8_t> body, const WorkArea& work,
                    const TextDecodeOptions& options, const Clock& clock, DecodedText& out,
                    std::string& error) {
    ByteReader r(body);
    uint8_t kind = r.u8();
    Name9 name;
    r.bytes(name.bytes.data(), 8);
    uint16_t length = r.u16();
    uint8_t stamp[6];
    r.bytes(stamp, 6);
    uint8_t open = r.u8();
    if (!r.ok() || kind != 0x00 || open != kSection || length < kEmptyTextBodySize ||
        length > body.size()) {
        error = text(msg::kFileFormatInvalid);
        return false;
    }

    std::set<std::string> usedNames;
    for (auto& f : work.textFiles)
        usedNames.insert(f.name.str());
    ItemDecoder decoder(body, options, clock, std::move(usedNames), work.signWidth,
                        work.signHeight);
    decoder.resetState(options.defaultFont);

    DecodedText result;
    result.file.kind = kTextFile;
    result.file.name = name;
    result.file.stamp = TimeStamp::fromBytes(stamp);
    size_t itemsEnd = length - 3;
    if (!decoder.parse(18, itemsEnd, result.file.items, false)) {
        error = decoder.error();
        return false;
    }
    if (body[itemsEnd] != kSection) {
        error = text(msg::kFileFormatInvalid);
        return false;
    }
    uint16_t check = static_cast<uint16_t>(body[length - 2] | (body[length - 1] << 8));
    if (check != invertedSum16(body.first(length - 2))) {
        error = text(msg::kFileChecksumError);
        return false;
    }
    decoder.restoreLayouts(result.file.items);
    decoder.appendEndMarker(result.file.items);
    result.windowFiles = std::move(decoder.windowFiles());
    fillGraphicSizes(result.file.items, work);
    for (TextFile& w : result.windowFiles)
        fillGraphicSizes(w.items, work);
    out = std::move(result);
    return true;
}

}  // namespace lumavox
