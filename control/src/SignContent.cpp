#include "SignContent.h"

#include <sys/stat.h>

#include <cstdio>
#include <fstream>

#include "NVSOCX.h"

namespace lumavox::nvs {

namespace {

const char* const kFontsLow[] = {"[SS5]",  "[SS7]",  "[SF7]",  "[SF10]", "[SS16]",
                                 "[SF16]", "[TM16]", "[AR16]", "[SMA]"};
const char* const kFontsTall[] = {"[SS5]",  "[SS7]",  "[SF7]",  "[SF10]", "[SS15]",
                                  "[SF15]", "[TM16]", "[AR16]", "[SMA]",  "[SS24]",
                                  "[SF24]", "[TM12]", "[AR12]", "[TM24]", "[AR24]"};
const char* const kColours[] = {
    "[ACL]",  "[WHT]",  "[RED]",  "[GRN]",  "[BLU]",  "[YEL]",  "[CYN]",  "[PUR]",  "[RB1]",
    "[RB2]",  "[RB3]",  "[RB4]",  "[RB5]",  "[MIX1]", "[MIX2]", "[MIX3]", "[MIX4]", "[INV1]",
    "[INV2]", "[INV3]", "[INV4]", "[INV5]", "[INV6]", "[INV7]", "[INV8]", "[INV9]"};
const char* const kMoves[] = {
    "[AUT]",  "[HLD]",  "[SLU]",  "[SLD]",  "[SLL]",  "[SLR]",  "[SFC]",  "[STC]",  "[CVU]",
    "[CVD]",  "[CVL]",  "[CVR]",  "[CFC]",  "[CTC]",  "[ROU]",  "[ROD]",  "[ROL]",  "[ROR]",
    "[RFC]",  "[RTC]",  "[INS1]", "[INS2]", "[INS3]", "[INS4]", "[INR1]", "[INR2]", "[INR3]",
    "[INR4]", "[INR5]", "[INR6]", "[SHU1]", "[SHU2]", "[SHU3]", "[SHU4]", "[JMP]",  "[SNO]",
    "[RAN]",  "[SHO]",  "[EXP]",  "[FLS]",  "[TWK]",  "[PAC]",  "[SCL]",  "[SCU]"};

struct DateTimeEntry {
    int key;
    const char* name;
    const char* code;
};
const DateTimeEntry kDateTimes[] = {
    {0, "Time1(23:59)", "^K19:^K1A"},
    {1, "Time2(23:59:59)", "^K19:^K1A:^K1B"},
    {2, "Time3(11:59 pm)", "^K08:^K1A ^K6D"},
    {3, "Time4(11:59:59 pm)", "^K08:^K1A:^K1B ^K6D"},
    {16, "Date1(31 Dec 2001)", "^K00 ^K74 ^K13"},
    {17, "Date2(Dec 31, 2001)", "^K74 ^K00, ^K13"},
    {18, "Date3(31/12/2001)", "^K00/^K01/^K13"},
    {19, "Date4(12/31/2001)", "^K01/^K00/^K13"},
    {20, "Date5(2001.12.31)", "^K13.^K01.^K00"},
    {32, "Hour-24", "^K19"},
    {33, "Hour-12", "^K08"},
    {48, "Minute", "^K1A"},
    {64, "Second", "^K1B"},
    {80, "AM/PM", "^K5D"},
    {81, "A/P", "^K5C"},
    {82, "am/pm", "^K6D"},
    {83, "a/p", "^K6C"},
    {96, "Week1(Mon)", "^K76"},
    {97, "Week2(Monday)", "^K77"},
    {98, "Week3(MON)", "^K56"},
    {99, "Week4(MONDAY)", "^K57"},
    {112, "Day(1)", "^K00"},
    {113, "Day(st)", "^K6E"},
    {114, "Day(ST)", "^K5E"},
    {128, "Month1(Dec)", "^K74"},
    {129, "Month2(December)", "^K75"},
    {130, "Month3(12)", "^K01"},
    {131, "Month4(DEC)", "^K54"},
    {132, "Month5(DECEMBER)", "^K55"},
    {144, "Year(2001)", "^K13"},
    {145, "Year(01)", "^K12"},
};

const DateTimeEntry* findDateTime(int key) {
    for (const auto& e : kDateTimes)
        if (e.key == (key & 0xFF)) return &e;
    return nullptr;
}

std::string dollars(const char* tag) {
    std::string s = tag;
    for (char& c : s)
        if (c == '[' || c == ']') c = '$';
    return s;
}

// Names and labels travel between "$" signs or before "=" inside commands that
// end at "^D"; bytes that would end such a field early are refused.
bool safeLabel(std::string_view s) {
    for (unsigned char c : s)
        if (c < 0x20 || c == '$' || c == '^' || c == '=' || c == 0x7F) return false;
    return true;
}

// The two passes of the encoder: counting only sums, writing appends.
class Sink {
  public:
    explicit Sink(std::string* out) : out_(out) {}
    void put(std::string_view s) {
        count_ += s.size();
        if (out_) out_->append(s);
    }
    void put(char c) {
        ++count_;
        if (out_) out_->push_back(c);
    }
    size_t count() const { return count_; }

  private:
    std::string* out_;
    size_t count_ = 0;
};

void encodeItems(const std::vector<ContentItem>& items, int width, int height, Sink& out);

void encodeWindow(const ContentItem& w, int width, int height, Sink& out) {
    char head[96];
    std::snprintf(head, sizeof head, "^P$%d,%d,%d,%d,%d$", w.x, w.y, w.width, w.height, w.align);
    out.put(head);
    encodeItems(w.items, width, height, out);
}

void encodeItem(const ContentItem& it, int& property, int width, int height, Sink& out) {
    char buf[64];
    switch (it.kind) {
        case kItemText:
            for (char16_t ch : it.chars) {
                unsigned low = ch & 0xFF;
                if (ch == 10) continue;
                if (ch == 13) {
                    out.put("^M");
                } else if (ch == 16) {
                    out.put("^L");
                } else if (low == '^') {
                    // Any character whose byte on the line is a caret is escaped,
                    // or it would start a control code.
                    out.put("^^");
                } else {
                    out.put(static_cast<char>(low));
                }
            }
            break;
        case kItemFont:
            out.put("^F");
            out.put(it.text);
            break;
        case kItemColour:
            out.put("^O");
            if (it.value == 255) {
                std::snprintf(buf, sizeof buf, "$RGB(%06X,%06X)$", it.textColour & 0xFFFFFFu,
                              it.backColour & 0xFFFFFFu);
                out.put(buf);
            } else {
                out.put(colourTag(it.value));
            }
            break;
        case kItemProperty: {
            int v = it.value;
            auto on = [&](int p) {
                if (p == 1) out.put("^H5");
                if (p == 2) out.put("^H3");
            };
            auto off = [&](int p) {
                if (p == 1) out.put("^H4");
                if (p == 2) out.put("^H2");
            };
            if (property == 255) {
                on(v);
            } else {
                if (property != 0) off(property);
                if (v != 0) on(v);
            }
            property = v;
            break;
        }
        case kItemMove:
            out.put("^E");
            out.put(moveTag(it.value));
            break;
        case kItemSpeed:
            out.put("^I");
            out.put(static_cast<char>('8' - it.value));
            break;
        case kItemPause: {
            static const char* const codes[] = {"00", "01", "02", "03", "05", "10", "30", "60"};
            out.put("^J");
            out.put(it.value < 8 ? codes[it.value] : "02");
            break;
        }
        case kItemWindow:
            encodeWindow(it, width, height, out);
            break;
        case kItemFlashOn:
            out.put("^H1");
            break;
        case kItemFlashOff:
            out.put("^H0");
            break;
        case kItemGraphic:
            out.put("^S$");
            out.put(lowerCase(it.text));
            out.put("$");
            break;
        case kItemEndWindow:
            break;
        case kItemTemperature:
            out.put("^R");
            out.put(static_cast<char>('0' + it.value));
            break;
        case kItemCounter:
            out.put("^R");
            out.put(it.text);
            break;
        case kItemDateTime:
            if (const auto* e = findDateTime(it.value)) out.put(e->code);
            break;
        case kItemNewLine:
            out.put("^M");
            break;
        case kItemNewPage:
            out.put("^L");
            break;
        case kItemBeep:
            out.put("^V");
            out.put(static_cast<char>('1' + it.value));
            break;
        case kItemRowSpace:
            std::snprintf(buf, sizeof buf, "^U$3, %d$", it.value);
            out.put(buf);
            break;
        default:
            break;
    }
}

void encodeItems(const std::vector<ContentItem>& items, int width, int height, Sink& out) {
    int property = 255;
    bool anyText = false;
    for (size_t i = 0; i < items.size(); ++i) {
        const ContentItem& it = items[i];
        if (it.kind == kItemText) anyText = true;
        encodeItem(it, property, width, height, out);
        if (it.kind == kItemEndWindow && i + 1 < items.size() && items[i + 1].kind != kItemWindow) {
            // Whatever follows a closed window goes into a window over the whole sign.
            ContentItem whole;
            whole.kind = kItemWindow;
            whole.width = width;
            whole.height = height;
            whole.align = 4;
            encodeWindow(whole, width, height, out);
        }
    }
    if (anyText && property == 1) out.put("^H4");
    if (anyText && property == 2) out.put("^H2");
}

void encodeBody(const ContentFile& f, int width, int height, Sink& out) {
    if (f.kind == kDiskFile) {
        out.put(lowerCase(f.name));
        out.put("=");
        out.put(base64(f.data.data(), f.data.size()));
        return;
    }
    out.put("$");
    out.put(std::string_view(f.name).substr(0, 10));
    out.put("$");
    encodeItems(f.items, width, height, out);
}

}  // namespace

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

std::string lowerCase(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return r;
}

size_t base64Length(size_t size) {
    return (size + 2) / 3 * 4;
}

std::string base64(const uint8_t* data, size_t size) {
    static const char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve(base64Length(size));
    size_t i = 0;
    for (; i + 3 <= size; i += 3) {
        uint32_t v = (uint32_t{data[i]} << 16) | (uint32_t{data[i + 1]} << 8) | data[i + 2];
        out.push_back(kAlphabet[(v >> 18) & 63]);
        out.push_back(kAlphabet[(v >> 12) & 63]);
        out.push_back(kAlphabet[(v >> 6) & 63]);
        out.push_back(kAlphabet[v & 63]);
    }
    if (size - i == 1) {
        uint32_t v = uint32_t{data[i]} << 16;
        out.push_back(kAlphabet[(v >> 18) & 63]);
        out.push_back(kAlphabet[(v >> 12) & 63]);
        out += "==";
    } else if (size - i == 2) {
        uint32_t v = (uint32_t{data[i]} << 16) | (uint32_t{data[i + 1]} << 8);
        out.push_back(kAlphabet[(v >> 18) & 63]);
        out.push_back(kAlphabet[(v >> 12) & 63]);
        out.push_back(kAlphabet[(v >> 6) & 63]);
        out.push_back('=');
    }
    return out;
}

std::string fontTag(int font, int signHeight) {
    if (signHeight <= 16) return dollars(kFontsLow[font >= 0 && font < 9 ? font : 1]);
    return dollars(kFontsTall[font >= 0 && font < 15 ? font : 1]);
}

std::string colourTag(int index) {
    return index >= 0 && index < 26 ? dollars(kColours[index]) : std::string();
}

std::string moveTag(int method) {
    return method >= 0 && method < 44 ? dollars(kMoves[method]) : std::string();
}

const char* dateTimeCode(int key) {
    const auto* e = findDateTime(key);
    return e ? e->code : nullptr;
}

const char* dateTimeName(int key) {
    const auto* e = findDateTime(key);
    return e ? e->name : nullptr;
}

bool SignContent::setSignInfo(int32_t width, int32_t height, int32_t colour) {
    // A size outside the range would not survive the window commands' numbers
    // (nor make a sign).
    if (width < kMinSignSize || width > kMaxSignSize || height < kMinSignSize ||
        height > kMaxSignSize)
        return false;
    width_ = width;
    height_ = height;
    colour_ = colour;
    return true;
}

ContentFile* SignContent::current() {
    // Names are unique, and the file being built is nearly always the last one
    // added: content is composed one item per call, so look there first.
    if (!files_.empty() && sameName(files_.back().name, current_)) return &files_.back();
    for (auto& f : files_)
        if (sameName(f.name, current_)) return &f;
    if (files_.empty()) return nullptr;
    current_ = files_.back().name;
    return &files_.back();
}

const ContentFile* SignContent::currentFile() const {
    return const_cast<SignContent*>(this)->current();
}

bool SignContent::hasBuiltFile() const {
    for (const auto& f : files_)
        if (f.kind == kBuiltFile) return true;
    return false;
}

std::vector<ContentItem>* SignContent::target() {
    ContentFile* f = current();
    if (!f || f->kind != kBuiltFile) return nullptr;
    if (!f->items.empty() && f->items.back().kind == kItemWindow) return &f->items.back().items;
    return &f->items;
}

int16_t SignContent::append(ContentItem item) {
    auto* list = target();
    if (!list) return NVSOCX_NO_CURRENT_FILE;
    list->push_back(std::move(item));
    return 1;
}

int16_t SignContent::addRichFile(const char* name) {
    if (!name || !*name) return 0;
    if (!safeLabel(name)) return 0;
    for (const auto& f : files_)
        if (sameName(f.name, name)) return -1;
    ContentFile f;
    f.name = name;
    f.kind = kBuiltFile;
    files_.push_back(std::move(f));
    current_ = name;
    return 1;
}

int16_t SignContent::addDiskFile(const char* path, const char* label) {
    if (!path || !*path) return -3;
    std::string p = path;
    size_t slash = p.find_last_of('/');
    std::string fileName = slash == std::string::npos ? p : p.substr(slash + 1);
    size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos) return -3;
    std::string ext = lowerCase(fileName.substr(dot));
    if (ext != ".txt" && ext != ".bmp" && ext != ".gif" && ext != ".png") return -3;
    std::string name = label && *label ? std::string(label) : fileName;
    if (name.empty() || !safeLabel(name)) return -3;
    for (const auto& f : files_)
        if (sameName(f.name, name)) return 1;
    // Only regular files are read, and only when their body fits the work area;
    // a device or a pipe named like a picture would otherwise never end.
    struct stat st {};
    if (::stat(path, &st) != 0 || !S_ISREG(st.st_mode)) return -2;
    size_t size = static_cast<size_t>(st.st_size);
    if (name.size() + 1 + base64Length(size) > kWorkAreaBytes) return -2;
    std::ifstream in(path, std::ios::binary);
    if (!in) return -2;
    ContentFile f;
    f.name = name;
    f.kind = kDiskFile;
    f.data.resize(size);
    if (size &&
        !in.read(reinterpret_cast<char*>(f.data.data()), static_cast<std::streamsize>(size)))
        return -2;
    files_.insert(files_.begin(), std::move(f));
    return 1;
}

void SignContent::clear() {
    files_.clear();
    current_.clear();
}

int16_t SignContent::addMessage(const char* text) {
    if (!target()) return NVSOCX_NO_CURRENT_FILE;
    if (!text || !*text) return -1;
    ContentItem it;
    it.kind = kItemText;
    for (const char* p = text; *p; ++p)
        it.chars.push_back(
            static_cast<char16_t>(static_cast<int16_t>(static_cast<signed char>(*p))));
    return append(std::move(it));
}

int16_t SignContent::addDisplayChar(int16_t ch) {
    auto* list = target();
    if (!list) return NVSOCX_NO_CURRENT_FILE;
    // A character joins the text just before it: the body is the same, and a
    // text composed character by character does not become one item each.
    if (!list->empty() && list->back().kind == kItemText) {
        list->back().chars.push_back(static_cast<char16_t>(ch));
        return 0;
    }
    ContentItem it;
    it.kind = kItemText;
    it.chars.push_back(static_cast<char16_t>(ch));
    list->push_back(std::move(it));
    return 0;
}

int16_t SignContent::setFont(int16_t font) {
    if (!target()) return NVSOCX_NO_CURRENT_FILE;
    int max = height_ <= 16 ? 8 : 14;
    ContentItem it;
    it.kind = kItemFont;
    it.value = static_cast<uint8_t>(font >= 0 && font <= max ? font : 1);
    // The tag is fixed now: a later SetSignInfo with another height must not
    // change which font the host chose.
    it.text = fontTag(it.value, height_);
    return append(std::move(it));
}

int16_t SignContent::setColorIndex(int16_t index) {
    if (!target()) return NVSOCX_NO_CURRENT_FILE;
    ContentItem it;
    it.kind = kItemColour;
    it.value = static_cast<uint8_t>(index >= 0 && index <= 25 ? index : 2);
    return append(std::move(it));
}

int16_t SignContent::setColorRGB(int32_t text, int32_t back) {
    ContentItem it;
    it.kind = kItemColour;
    it.value = 255;
    it.textColour = static_cast<uint32_t>(text);
    it.backColour = static_cast<uint32_t>(back);
    return append(std::move(it));
}

int16_t SignContent::setCharProperty(int16_t property) {
    ContentItem it;
    it.kind = kItemProperty;
    it.value = static_cast<uint8_t>(property);
    return append(std::move(it));
}

int16_t SignContent::setMoveMethod(int16_t method) {
    if (!target()) return NVSOCX_NO_CURRENT_FILE;
    // A method without a tag would reach the sign as a bare "^E"; it is refused.
    if (method < 0 || method > 43) return -1;
    ContentItem it;
    it.kind = kItemMove;
    it.value = static_cast<uint8_t>(method);
    return append(std::move(it));
}

int16_t SignContent::setSpeed(int16_t speed) {
    if (!target()) return NVSOCX_NO_CURRENT_FILE;
    ContentItem it;
    it.kind = kItemSpeed;
    it.value = static_cast<uint8_t>(speed >= 0 && speed <= 7 ? speed : 3);
    return append(std::move(it));
}

int16_t SignContent::setPause(int16_t pause) {
    if (!target()) return NVSOCX_NO_CURRENT_FILE;
    ContentItem it;
    it.kind = kItemPause;
    it.value = static_cast<uint8_t>(pause >= 0 && pause <= 7 ? pause : 2);
    return append(std::move(it));
}

int16_t SignContent::addWindow(int16_t x, int16_t y, int16_t w, int16_t h, int16_t align) {
    if (w <= 23 || w > width_) return -1;
    if (h <= 0 || h > height_) return -2;
    if (x < 0 || int32_t{x} + w > width_) return -3;
    if (y < 0 || int32_t{y} + h > height_) return -4;
    if (align < 0 || align > 8) return -5;
    ContentFile* f = current();
    if (!f || f->kind != kBuiltFile) return NVSOCX_NO_CURRENT_FILE;
    ContentItem it;
    it.kind = kItemWindow;
    it.x = x;
    it.y = y;
    it.width = w;
    it.height = h;
    it.align = align;
    f->items.push_back(std::move(it));
    return 1;
}

int16_t SignContent::setFlash(bool on) {
    ContentItem it;
    it.kind = on ? kItemFlashOn : kItemFlashOff;
    return append(std::move(it));
}

int16_t SignContent::insertGraphic(const char* label) {
    if (!target()) return NVSOCX_NO_CURRENT_FILE;
    if (!label || !*label || !safeLabel(label)) return -1;
    ContentItem it;
    it.kind = kItemGraphic;
    it.text = label;
    return append(std::move(it));
}

int16_t SignContent::endWindow() {
    ContentFile* f = current();
    if (!f || f->kind != kBuiltFile) return NVSOCX_NO_CURRENT_FILE;
    if (f->items.empty() || f->items.back().kind != kItemWindow) return 0;
    ContentItem it;
    it.kind = kItemEndWindow;
    f->items.push_back(std::move(it));
    return 1;
}

int16_t SignContent::addTemperature(int16_t type) {
    if (!target()) return NVSOCX_NO_CURRENT_FILE;
    if (type < 0 || type > 2) return -1;
    ContentItem it;
    it.kind = kItemTemperature;
    it.value = static_cast<uint8_t>(type);
    return append(std::move(it));
}

int16_t SignContent::addCounter(int32_t type, int32_t year, int32_t month, int32_t day,
                                int32_t hour, int32_t minute, int32_t second) {
    if (!target()) return NVSOCX_NO_CURRENT_FILE;
    int mapped;
    if (type >= 16 && type <= 22)
        mapped = type - 6;
    else if (type >= 32 && type <= 38)
        mapped = type - 12;
    else
        return -1;
    if (month < 1 || month > 12) return -2;
    if (day < 1 || day > 31) return -3;
    if (hour < 0 || hour > 23) return -4;
    if (minute < 0 || minute > 59) return -5;
    if (second < 0 || second > 59) return -7;
    char buf[96];
    std::snprintf(buf, sizeof buf, "$%d,%02d-%02d-%04d[%02d:%02d:%02d]$", mapped, month, day, year,
                  hour, minute, second);
    ContentItem it;
    it.kind = kItemCounter;
    it.value = static_cast<uint8_t>(type);
    it.text = buf;
    return append(std::move(it));
}

int16_t SignContent::addDateTime(int16_t type) {
    if (!target()) return NVSOCX_NO_CURRENT_FILE;
    if (!findDateTime(type)) return -1;
    ContentItem it;
    it.kind = kItemDateTime;
    it.value = static_cast<uint8_t>(type & 0xFF);
    return append(std::move(it));
}

int16_t SignContent::addNewLine() {
    ContentItem it;
    it.kind = kItemNewLine;
    return append(std::move(it));
}

int16_t SignContent::addNewPage() {
    ContentItem it;
    it.kind = kItemNewPage;
    return append(std::move(it));
}

int16_t SignContent::addBeep(int16_t type) {
    if (!target()) return NVSOCX_NO_CURRENT_FILE;
    if (type < 0 || type > 3) return -1;
    ContentItem it;
    it.kind = kItemBeep;
    it.value = static_cast<uint8_t>(type);
    return append(std::move(it));
}

int16_t SignContent::setRowSpace(int16_t rowSpace) {
    ContentItem it;
    it.kind = kItemRowSpace;
    it.value = static_cast<uint8_t>(rowSpace >= 0 && rowSpace <= 9 ? rowSpace : 0);
    int16_t r = append(std::move(it));
    return r == 1 ? 0 : r;
}

std::string SignContent::body(const ContentFile& file) const {
    std::string out;
    if (file.kind == kDiskFile) {
        out = lowerCase(file.name);
        out += '=';
        out += base64(file.data.data(), file.data.size());
        return out;
    }
    out.reserve(bodyLength(file));
    Sink sink(&out);
    encodeBody(file, width_, height_, sink);
    return out;
}

size_t SignContent::bodyLength(const ContentFile& file) const {
    if (file.kind == kDiskFile) return file.name.size() + 1 + base64Length(file.data.size());
    Sink sink(nullptr);
    encodeBody(file, width_, height_, sink);
    return sink.count();
}

}  // namespace lumavox::nvs
