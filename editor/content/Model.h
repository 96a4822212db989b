// The message content model: what one open document holds.
//
// Every list owns its items by value; deleting a text file deletes its items and
// their payloads. Nothing here touches files, windows or the sign; the encoders,
// the document reader and the editing rules work on these types.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/Clock.h"

namespace lumavox {

// Program-wide sign family; selects the colour table, the move-method names and
// the row-pitch cap. Not part of a document.
enum class SignMode : uint8_t { KV2 = 0, NVS = 1 };

// 6 bytes, in this order wherever stored or sent.
struct TimeStamp {
    uint8_t second = 0;
    uint8_t minute = 0;
    uint8_t hour = 0;
    uint8_t day = 1;
    uint8_t month = 1;
    uint8_t year = 0;  // year - 2000; 0 before 2000, 99 from 2100

    static TimeStamp from(const CalendarTime& t);
    static TimeStamp now(const Clock& clock) { return from(clock.localNow()); }
    std::array<uint8_t, 6> bytes() const { return {second, minute, hour, day, month, year}; }
    static TimeStamp fromBytes(const uint8_t* b) { return {b[0], b[1], b[2], b[3], b[4], b[5]}; }
    bool operator==(const TimeStamp&) const = default;
};

// A name of up to 8 characters, NUL-padded, with the ninth byte always NUL.
// Counter controls reuse the first six bytes for a TimeStamp, so it is raw bytes.
struct Name9 {
    std::array<uint8_t, 9> bytes{};

    Name9() = default;
    // Names are built from text everywhere, so these convert implicitly.
    Name9(std::string_view s) { assign(s); }               // NOLINT
    Name9(const std::string& s) { assign(s); }             // NOLINT
    Name9(const char* s) { assign(std::string_view(s)); }  // NOLINT
    void assign(std::string_view s);
    // The text up to the first NUL (at most 8 characters).
    std::string str() const;
    bool empty() const { return bytes[0] == 0; }
    bool operator==(const Name9&) const = default;
};

// File names are compared exactly, case included, after trimming trailing blanks.
std::string trimTrailingBlanks(std::string_view s);
bool sameName(std::string_view a, std::string_view b);
inline bool sameNames(const Name9& a, const Name9& b) {
    return sameName(std::string_view(a.str()), std::string_view(b.str()));
}

enum ItemKind : uint8_t {
    kCharItem = 18,
    kTempCounter = 0xF0,
    kMove = 0xF1,
    kSpeed = 0xF4,
    kPause = 0xF5,
    kDateTime = 0xF6,
    kBeep = 0xF7,
    kGraphicItem = 0xF8,
    kWindowItem = 0xFB,
    kRowPitch = 0xFC,
    kInclude = 0xFD,
};
bool isControlParamsKind(uint8_t kind);

constexpr uint16_t kCR = 13;
constexpr uint16_t kLF = 10;

struct CharItem {
    uint8_t font = 0;
    uint8_t colour = 0;
    uint16_t character = kCR;
    uint8_t property = 0;  // 0 normal, 1 bold, 2 widen
    uint8_t flash = 0;     // 0 no flash, 1 flash
    uint32_t colourWord1 = 0;
    uint32_t colourWord2 = 0;
    bool operator==(const CharItem&) const = default;
};

// An editor-only label kept with a control item once it is made (the sample
// value of a date or counter); never stored or sent. Held out of line so that
// the items of large texts stay small.
class ItemLabel {
  public:
    ItemLabel() = default;
    ItemLabel(const ItemLabel& o)
        : text_(o.text_ ? std::make_unique<std::string>(*o.text_) : nullptr) {}
    ItemLabel(ItemLabel&&) noexcept = default;
    ItemLabel& operator=(const ItemLabel& o) {
        if (this != &o) text_ = o.text_ ? std::make_unique<std::string>(*o.text_) : nullptr;
        return *this;
    }
    ItemLabel& operator=(ItemLabel&&) noexcept = default;
    ItemLabel& operator=(std::string text) {
        text_ = text.empty() ? nullptr : std::make_unique<std::string>(std::move(text));
        return *this;
    }
    operator const std::string&() const { return text_ ? *text_ : none(); }  // NOLINT
    const std::string& str() const { return *this; }
    bool empty() const { return !text_; }

  private:
    static const std::string& none() {
        static const std::string nothing;
        return nothing;
    }
    std::unique_ptr<std::string> text_;
};

// Parameters of a control item; also the record of a window area.
//   240 temperature/counter: A format, B font, C colour, D property, E flash, name[0..5] stamp
//   241 move: A in method, B out method + 1 (0 none)
//   244 speed: C; 245 pause: D; 247 beep: A; 252 row pitch: A
//   246 date/time: A format, B font, C colour, D property, E flash
//   248 graphic: name, C width, D height, flash2
//   253 include: name
//   area: A x, B y, C width, D height, E alignment, name called file, order
struct ControlParams {
    uint16_t valueA = 0;
    uint16_t valueB = 0;
    uint16_t valueC = 0;
    uint16_t valueD = 0;
    uint8_t byteE = 0;
    Name9 name;
    uint8_t order = 0;
    uint8_t flash2 = 0;
    ItemLabel text;  // editor-only label, never stored
    bool operator==(const ControlParams& o) const {
        return valueA == o.valueA && valueB == o.valueB && valueC == o.valueC &&
               valueD == o.valueD && byteE == o.byteE && name == o.name && order == o.order &&
               flash2 == o.flash2;
    }
};

// One sub-window of a window control. Same record as ControlParams.
using WindowArea = ControlParams;

struct WindowControl {
    uint8_t layoutType = 1;  // 1-8 presets, 9 user-defined
    std::vector<WindowArea> areas;
    bool operator==(const WindowControl&) const = default;
};

// One item of a text. Character items, nearly all of a large text, are held
// inline; the parameters of a control item and the areas of a window control
// are held out of line, so an item takes 20 bytes rather than the size of its
// largest form. The accessors throw std::bad_variant_access for the wrong form.
class TextItem {
  public:
    uint8_t kind = kCharItem;

    TextItem() { new (&store_.c) CharItem(); }
    TextItem(const TextItem& o);
    TextItem(TextItem&& o) noexcept : kind(o.kind), form_(o.form_) {
        std::memcpy(&store_, &o.store_, sizeof store_);
        o.form_ = Form::Char;
        new (&o.store_.c) CharItem();
    }
    TextItem& operator=(const TextItem& o) {
        if (this != &o) *this = TextItem(o);
        return *this;
    }
    TextItem& operator=(TextItem&& o) noexcept {
        if (this != &o) {
            release();
            kind = o.kind;
            form_ = o.form_;
            std::memcpy(&store_, &o.store_, sizeof store_);
            o.form_ = Form::Char;
            new (&o.store_.c) CharItem();
        }
        return *this;
    }
    ~TextItem() {
        if (form_ != Form::Char) release();
    }

    static TextItem character(const CharItem& c) {
        TextItem item;
        item.store_.c = c;
        return item;
    }
    static TextItem control(uint8_t kind, const ControlParams& p);
    static TextItem window(const WindowControl& w);

    bool isChar() const { return kind == kCharItem; }
    bool isWindow() const { return kind == kWindowItem; }
    // The form the item holds, whatever its kind says.
    bool hasChar() const { return form_ == Form::Char; }
    bool hasParams() const { return form_ == Form::Params; }
    bool hasWindow() const { return form_ == Form::Window; }
    bool isCharCode(uint16_t code) const {
        return isChar() && hasChar() && store_.c.character == code;
    }
    const CharItem& ch() const {
        expect(Form::Char);
        return store_.c;
    }
    CharItem& ch() {
        expect(Form::Char);
        return store_.c;
    }
    const ControlParams& params() const {
        expect(Form::Params);
        return *static_cast<const ControlParams*>(outOfLine());
    }
    ControlParams& params() {
        expect(Form::Params);
        return *static_cast<ControlParams*>(outOfLine());
    }
    const WindowControl& window() const {
        expect(Form::Window);
        return *static_cast<const WindowControl*>(outOfLine());
    }
    WindowControl& window() {
        expect(Form::Window);
        return *static_cast<WindowControl*>(outOfLine());
    }
    bool operator==(const TextItem& o) const;

  private:
    enum class Form : uint8_t { Char, Params, Window };

    void expect(Form f) const {
        if (form_ != f) throw std::bad_variant_access();
    }
    // The out-of-line pointer is kept as bytes so that the item keeps the
    // 4-byte alignment of a character item.
    void* outOfLine() const {
        void* p;
        std::memcpy(&p, store_.pointer, sizeof p);
        return p;
    }
    void setOutOfLine(void* p) { std::memcpy(store_.pointer, &p, sizeof p); }
    void release();

    Form form_ = Form::Char;
    union Store {
        CharItem c;
        unsigned char pointer[sizeof(void*)];
        Store() {}
    } store_;
};

enum TextFileKind : uint8_t { kTextFile = 0, kWindowFile = 20 };

struct TextFile {
    uint8_t kind = kTextFile;
    Name9 name;
    TimeStamp stamp;
    // Always ends with one CR character item, the end-of-text marker, which is
    // never encoded to the sign.
    std::vector<TextItem> items;
    bool operator==(const TextFile&) const = default;
};

// What the sign currently assumes while a body is written or read; 255 = unknown.
struct EncodeState {
    uint8_t font = 255;
    uint8_t colour = 255;
    uint8_t property = 255;
    uint8_t flash = 255;
};

// Pixel colour values: RGB words with red in the low byte.
constexpr uint32_t kPixelOff = 0x000000;
constexpr uint32_t kPixelRed = 0x0000FF;
constexpr uint32_t kPixelGreen = 0x00FF00;
constexpr uint32_t kPixelYellow = 0x00FFFF;

struct GraphicFile {
    uint8_t kind = 1;
    uint8_t reserved = 0;
    TimeStamp stamp;
    Name9 name;
    uint16_t width = 0;
    uint16_t height = 0;
    // Column by column: pixel (x, y) is element x * height + y.
    std::vector<uint32_t> pixels;

    uint32_t pixel(int x, int y) const { return pixels[static_cast<size_t>(x) * height + y]; }
    uint32_t& pixel(int x, int y) { return pixels[static_cast<size_t>(x) * height + y]; }
    bool operator==(const GraphicFile&) const = default;
};

struct ScheduleTask {
    uint16_t startYear = 0;
    uint8_t startMonth = 0;
    uint8_t startDay = 0;
    uint8_t startHour = 0;
    uint8_t startMinute = 0;
    uint16_t endYear = 0;
    uint8_t endMonth = 0;
    uint8_t endDay = 0;
    uint8_t endHour = 23;
    uint8_t endMinute = 59;
    Name9 fileName;
    uint8_t weekdays = 0x01;  // first weekday << 4 | last weekday; 0 = Sunday
    uint8_t flags = 0x81;     // bit 7 enabled, bits 0-1 priority (3 = none chosen)
    bool operator==(const ScheduleTask&) const = default;
};

constexpr int kMaxTextFiles = 255;
constexpr int kMaxGraphics = 255;
constexpr int kMaxScheduleTasks = 30;
constexpr int kMaxWindowAreas = 255;

struct WorkArea {
    int32_t signWidth = 160;
    int32_t signHeight = 16;
    uint8_t colourType = 0;  // 1 single colour, 0 tri-colour
    std::vector<std::string> runSequence;
    std::vector<TextFile> textFiles;  // text files (kind 0) and window files (kind 20)
    std::vector<GraphicFile> graphics;
    std::vector<ScheduleTask> tasks;

    TextFile* findFile(std::string_view name);
    const TextFile* findFile(std::string_view name) const;
    GraphicFile* findGraphic(std::string_view name);
    const GraphicFile* findGraphic(std::string_view name) const;
    int textFileCount() const;  // kind 0 only
    bool operator==(const WorkArea&) const = default;
};

}  // namespace lumavox
