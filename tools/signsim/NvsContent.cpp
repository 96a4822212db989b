#include "NvsContent.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdio>

#include "NvsTags.h"

namespace lumavox::sim {

namespace {

constexpr uint8_t kRgbColour = 127;  // the colour code of a "$RGB(...)$" colour
constexpr uint16_t kNewPage = 16;

struct DateTimeCode {
    uint8_t key;
    std::string_view code;
};

// The date and time formats the sign knows, by the codes that stand for them.
constexpr std::array<DateTimeCode, 31> kDateTimeCodes{{
    {0, "^K19:^K1A"},       {1, "^K19:^K1A:^K1B"},
    {2, "^K08:^K1A ^K6D"},  {3, "^K08:^K1A:^K1B ^K6D"},
    {16, "^K00 ^K74 ^K13"}, {17, "^K74 ^K00, ^K13"},
    {18, "^K00/^K01/^K13"}, {19, "^K01/^K00/^K13"},
    {20, "^K13.^K01.^K00"}, {32, "^K19"},
    {33, "^K08"},           {48, "^K1A"},
    {64, "^K1B"},           {80, "^K5D"},
    {81, "^K5C"},           {82, "^K6D"},
    {83, "^K6C"},           {96, "^K76"},
    {97, "^K77"},           {98, "^K56"},
    {99, "^K57"},           {112, "^K00"},
    {113, "^K6E"},          {114, "^K5E"},
    {128, "^K74"},          {129, "^K75"},
    {130, "^K01"},          {131, "^K54"},
    {132, "^K55"},          {144, "^K13"},
    {145, "^K12"},
}};

// Pause codes by pause value 0-7.
constexpr std::array<std::string_view, 8> kPauses{"00", "01", "02", "03", "05", "10", "30", "60"};

bool toNumber(std::string_view s, long& out, int base = 10) {
    if (s.empty()) return false;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out, base);
    return ec == std::errc() && p == s.data() + s.size();
}

class Decoder {
  public:
    Decoder(std::string_view items, const NvsDecodeContext& c, std::set<std::string>& used)
        : in_(items), c_(c), used_(used) {
        state_.font = c.defaultFont;
        state_.colour = c.singleColour ? 1 : 0;
        state_.property = 0;
        state_.flash = 0;
    }

    bool run(std::vector<TextItem>& top, std::vector<TextFile>& windows, std::string& error) {
        target_ = &top;
        top_ = &top;
        while (pos_ < in_.size()) {
            if (!step()) {
                error = error_ + " at " + std::to_string(pos_);
                return false;
            }
        }
        // The last window area and the file itself each end with the marker.
        endMarker(*target_);
        if (target_ != top_) endMarker(*top_);
        windows = std::move(windows_);
        return true;
    }

    const std::set<std::string>& newNames() const { return names_; }

  private:
    bool fail(std::string why) {
        error_ = std::move(why);
        return false;
    }

    CharItem charWithState(uint16_t code) const {
        CharItem c;
        c.font = state_.font;
        c.colour = state_.colour;
        c.property = state_.property;
        c.flash = state_.flash;
        c.colourWord1 = word1_;
        c.colourWord2 = word2_;
        c.character = code;
        return c;
    }

    void endMarker(std::vector<TextItem>& items) const {
        items.push_back(TextItem::character(charWithState(kCR)));
    }

    void add(TextItem item) {
        lastWasMove_ = false;
        target_->push_back(std::move(item));
    }

    // "$" text "$" from the current position.
    bool dollarTag(std::string_view& tag) {
        if (pos_ >= in_.size() || in_[pos_] != '$') return fail("no tag");
        const size_t close = in_.find('$', pos_ + 1);
        if (close == std::string_view::npos) return fail("unterminated tag");
        tag = in_.substr(pos_ + 1, close - pos_ - 1);
        pos_ = close + 1;
        return true;
    }

    bool colourTag(std::string_view tag) {
        const int index = nvsTagIndex(NvsTag::Colour, tag, tall());
        if (index >= 0) {
            state_.colour = static_cast<uint8_t>(index);
            return true;
        }
        long text = 0, back = 0;
        if (tag.size() != 18 || !tag.starts_with("RGB(") || tag[10] != ',' || tag[17] != ')' ||
            !toNumber(tag.substr(4, 6), text, 16) || !toNumber(tag.substr(11, 6), back, 16))
            return fail("unknown colour '" + std::string(tag) + "'");
        state_.colour = kRgbColour;
        word1_ = static_cast<uint32_t>(text);
        word2_ = static_cast<uint32_t>(back);
        return true;
    }

    bool tall() const { return c_.signHeight > 16; }

    ControlParams styled() const {
        ControlParams p;
        p.valueB = state_.font;
        p.valueC = state_.colour;
        p.valueD = state_.property;
        p.byteE = state_.flash;
        return p;
    }

    bool window() {
        std::string_view tag;
        if (!dollarTag(tag)) return false;
        long v[5] = {};
        size_t from = 0;
        for (int k = 0; k < 5; ++k) {
            const size_t comma = k < 4 ? tag.find(',', from) : tag.size();
            if (comma == std::string_view::npos ||
                !toNumber(tag.substr(from, comma - from), v[k]) || v[k] < 0 || v[k] > 65535)
                return fail("bad window '" + std::string(tag) + "'");
            from = comma + 1;
        }
        if (v[2] < 1 || v[3] < 1 || v[0] + v[2] > c_.signWidth || v[1] + v[3] > c_.signHeight ||
            v[4] > 8)
            return fail("window '" + std::string(tag) + "' outside the sign");
        if (target_ != top_) endMarker(*target_);
        TextFile file;
        file.kind = kWindowFile;
        file.stamp = c_.stamp;
        for (int n = 0;; ++n) {
            char name[16];
            std::snprintf(name, sizeof name, "*F%06d", n);
            if (!used_.count(name) && names_.insert(name).second) {
                file.name = name;
                break;
            }
        }
        WindowArea area;
        area.valueA = static_cast<uint16_t>(v[0]);
        area.valueB = static_cast<uint16_t>(v[1]);
        area.valueC = static_cast<uint16_t>(v[2]);
        area.valueD = static_cast<uint16_t>(v[3]);
        area.byteE = static_cast<uint8_t>(v[4]);
        area.name = file.name;
        WindowControl control;
        control.layoutType = 1;
        control.areas.push_back(area);
        // Windows open in the text file itself; what follows goes into the area.
        lastWasMove_ = false;
        top_->push_back(TextItem::window(control));
        windows_.push_back(std::move(file));
        target_ = &windows_.back().items;
        // Each area starts afresh: its text sets its own property and flash.
        state_.property = 0;
        state_.flash = 0;
        return true;
    }

    bool counter() {
        std::string_view tag;
        if (!dollarTag(tag)) return false;
        // "type,MM-DD-YYYY[hh:mm:ss]"
        long t = 0, mo = 0, d = 0, y = 0, h = 0, mi = 0, s = 0;
        if (tag.size() != 23 || tag[2] != ',' || tag[5] != '-' || tag[8] != '-' || tag[13] != '[' ||
            tag[16] != ':' || tag[19] != ':' || tag[22] != ']' || !toNumber(tag.substr(0, 2), t) ||
            !toNumber(tag.substr(3, 2), mo) || !toNumber(tag.substr(6, 2), d) ||
            !toNumber(tag.substr(9, 4), y) || !toNumber(tag.substr(14, 2), h) ||
            !toNumber(tag.substr(17, 2), mi) || !toNumber(tag.substr(20, 2), s))
            return fail("bad counter '" + std::string(tag) + "'");
        long format = t >= 10 && t <= 16 ? t + 6 : t >= 20 && t <= 26 ? t + 12 : -1;
        if (format < 0 || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59)
            return fail("bad counter '" + std::string(tag) + "'");
        ControlParams p = styled();
        p.valueA = static_cast<uint16_t>(format);
        TimeStamp stamp;
        stamp.second = static_cast<uint8_t>(s);
        stamp.minute = static_cast<uint8_t>(mi);
        stamp.hour = static_cast<uint8_t>(h);
        stamp.day = static_cast<uint8_t>(d);
        stamp.month = static_cast<uint8_t>(mo);
        stamp.year = static_cast<uint8_t>(std::clamp(y - 2000, 0L, 99L));
        const auto b = stamp.bytes();
        std::copy(b.begin(), b.end(), p.name.bytes.begin());
        add(TextItem::control(kTempCounter, p));
        return true;
    }

    bool dateTime() {
        // The longest format whose codes start here.
        const std::string_view rest = in_.substr(pos_ - 2);
        const DateTimeCode* best = nullptr;
        for (const auto& f : kDateTimeCodes)
            if (rest.starts_with(f.code) && (!best || f.code.size() > best->code.size())) best = &f;
        if (!best) return fail("unknown date or time code");
        pos_ += best->code.size() - 2;
        ControlParams p = styled();
        p.valueA = best->key;
        add(TextItem::control(kDateTime, p));
        return true;
    }

    bool move(std::string_view tag) {
        const int method = nvsTagIndex(NvsTag::Move, tag, tall());
        if (method < 0) return fail("unknown move '" + std::string(tag) + "'");
        // Two moves in a row are a screen's move-out followed by the next
        // one's move-in, as the editor's move item holds them.
        if (lastWasMove_ && !target_->empty() && target_->back().kind == kMove &&
            target_->back().params().valueB == 0) {
            ControlParams& p = target_->back().params();
            p.valueB = static_cast<uint16_t>(p.valueA + 1);
            p.valueA = static_cast<uint16_t>(method);
            lastWasMove_ = false;
            return true;
        }
        ControlParams p;
        p.valueA = static_cast<uint16_t>(method);
        add(TextItem::control(kMove, p));
        lastWasMove_ = true;
        return true;
    }

    bool step() {
        const char b = in_[pos_++];
        if (b != '^') {
            if (b != '\n') add(TextItem::character(charWithState(static_cast<uint8_t>(b))));
            return true;
        }
        if (pos_ >= in_.size()) return fail("a lone caret at the end");
        const char code = in_[pos_++];
        std::string_view tag;
        auto digit = [&](char low, char high, int& out) {
            if (pos_ >= in_.size() || in_[pos_] < low || in_[pos_] > high)
                return fail(std::string("bad value after ^") + code);
            out = in_[pos_++] - low;
            return true;
        };
        int v = 0;
        switch (code) {
            case '^':
                add(TextItem::character(charWithState('^')));
                return true;
            case 'M':
                add(TextItem::character(charWithState(kCR)));
                return true;
            case 'L':
                add(TextItem::character(charWithState(kNewPage)));
                return true;
            case 'F': {
                if (!dollarTag(tag)) return false;
                const int font = nvsTagIndex(NvsTag::Font, tag, tall());
                if (font < 0) return fail("unknown font '" + std::string(tag) + "'");
                state_.font = static_cast<uint8_t>(font);
                return true;
            }
            case 'O':
                return dollarTag(tag) && colourTag(tag);
            case 'E':
                return dollarTag(tag) && move(tag);
            case 'I': {
                if (!digit('1', '8', v)) return false;
                ControlParams p;
                p.valueC = static_cast<uint16_t>(7 - v);
                add(TextItem::control(kSpeed, p));
                return true;
            }
            case 'J': {
                if (pos_ + 2 > in_.size()) return fail("bad pause");
                auto it = std::find(kPauses.begin(), kPauses.end(), in_.substr(pos_, 2));
                if (it == kPauses.end()) return fail("bad pause");
                pos_ += 2;
                ControlParams p;
                p.valueD = static_cast<uint16_t>(it - kPauses.begin());
                add(TextItem::control(kPause, p));
                return true;
            }
            case 'H':
                if (!digit('0', '5', v)) return false;
                if (v <= 1)
                    state_.flash = static_cast<uint8_t>(v);
                else
                    state_.property = v == 5 ? 1 : v == 3 ? 2 : 0;
                return true;
            case 'P':
                return window();
            case 'S': {
                if (!dollarTag(tag)) return false;
                if (tag.empty()) return fail("empty picture");
                ControlParams p;
                p.name = nvsGraphicName(tag);
                p.flash2 = state_.flash;
                if (c_.graphics)
                    for (const auto& g : *c_.graphics)
                        if (g.name == p.name) {
                            p.valueC = g.width;
                            p.valueD = g.height;
                        }
                add(TextItem::control(kGraphicItem, p));
                return true;
            }
            case 'R': {
                if (pos_ < in_.size() && in_[pos_] == '$') return counter();
                if (!digit('0', '2', v)) return false;
                ControlParams p = styled();
                p.valueA = static_cast<uint16_t>(v);
                add(TextItem::control(kTempCounter, p));
                return true;
            }
            case 'K':
                return dateTime();
            case 'V': {
                if (!digit('1', '4', v)) return false;
                ControlParams p;
                p.valueA = static_cast<uint16_t>(v);
                add(TextItem::control(kBeep, p));
                return true;
            }
            case 'U': {
                long pitch = 0;
                if (!dollarTag(tag) || !tag.starts_with("3, ") || !toNumber(tag.substr(3), pitch) ||
                    pitch > 9)
                    return error_.empty() ? fail("bad row space") : false;
                ControlParams p;
                p.valueA = static_cast<uint16_t>(pitch);
                add(TextItem::control(kRowPitch, p));
                return true;
            }
            default:
                return fail(std::string("unknown code ^") + code);
        }
    }

    std::string_view in_;
    const NvsDecodeContext& c_;
    const std::set<std::string>& used_;
    std::set<std::string> names_;
    size_t pos_ = 0;
    EncodeState state_;
    uint32_t word1_ = 0, word2_ = 0;
    bool lastWasMove_ = false;
    std::vector<TextItem>* top_ = nullptr;
    std::vector<TextItem>* target_ = nullptr;
    std::vector<TextFile> windows_;
    std::string error_;
};

}  // namespace

std::string nvsGraphicName(std::string_view diskFileName) {
    const size_t dot = diskFileName.rfind('.');
    std::string name(diskFileName.substr(0, dot));
    for (char& ch : name)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return Name9(name).str();
}

bool decodeNvsTextBody(std::string_view body, const NvsDecodeContext& context,
                       std::set<std::string>& usedNames, NvsDecodedText& out, std::string& error) {
    if (body.size() < 2 || body[0] != '$') {
        error = "no file name";
        return false;
    }
    const size_t close = body.find('$', 1);
    if (close == std::string_view::npos || close == 1) {
        error = "no file name";
        return false;
    }
    NvsDecodedText d;
    d.file.kind = kTextFile;
    d.file.name = body.substr(1, close - 1);
    d.file.stamp = context.stamp;
    Decoder decoder(body.substr(close + 1), context, usedNames);
    std::vector<TextFile> windows;
    if (!decoder.run(d.file.items, windows, error)) return false;
    d.windowFiles = std::move(windows);
    usedNames.insert(decoder.newNames().begin(), decoder.newNames().end());
    out = std::move(d);
    return true;
}

}  // namespace lumavox::sim
