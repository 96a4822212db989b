// The content a host composes through the control's methods: built text files
// (items appended one call at a time) and disk files (bytes read whole), and
// their encoding into the caret-and-dollar text the sign reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumavox::nvs {

enum ItemKind : uint8_t {
    kItemText = 0,
    kItemFont = 1,
    kItemColour = 2,
    kItemProperty = 3,
    kItemMove = 4,
    kItemSpeed = 6,
    kItemPause = 7,
    kItemWindow = 9,
    kItemFlashOn = 10,
    kItemFlashOff = 11,
    kItemGraphic = 12,
    kItemEndWindow = 13,
    kItemTemperature = 14,
    kItemCounter = 15,
    kItemDateTime = 16,
    kItemNewLine = 17,
    kItemNewPage = 18,
    kItemBeep = 19,
    kItemRowSpace = 20,
};

struct ContentItem {
    uint8_t kind = 0;
    uint8_t value = 0;
    std::string text;         // graphic label, counter text, font tag
    std::u16string chars;     // text
    uint32_t textColour = 0;  // RGB colour
    uint32_t backColour = 0;
    // Window. Wide enough for the whole-sign window of the largest sign.
    int32_t x = 0, y = 0, width = 0, height = 0, align = 0;
    std::vector<ContentItem> items;  // window's own items
};

enum FileKind : int { kBuiltFile = 1, kDiskFile = 2 };

struct ContentFile {
    std::string name;
    int kind = kBuiltFile;
    std::vector<ContentItem> items;
    std::vector<uint8_t> data;
};

// Largest body a file may have: the work area the bodies are built in.
constexpr size_t kWorkAreaBytes = 10485760;

class SignContent {
  public:
    // Sizes a sign can have, in dots.
    static constexpr int32_t kMinSignSize = 1;
    static constexpr int32_t kMaxSignSize = 65535;

    // Geometry (SetSignInfo). False, and nothing stored, when the width or the
    // height is outside kMinSignSize..kMaxSignSize.
    bool setSignInfo(int32_t width, int32_t height, int32_t colour);
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    int32_t colour() const { return colour_; }

    int16_t addRichFile(const char* name);
    int16_t addDiskFile(const char* path, const char* label);
    void clear();
    int16_t addMessage(const char* text);
    int16_t addDisplayChar(int16_t ch);
    int16_t setFont(int16_t font);
    int16_t setColorIndex(int16_t index);
    int16_t setColorRGB(int32_t text, int32_t back);
    int16_t setCharProperty(int16_t property);
    int16_t setMoveMethod(int16_t method);
    int16_t setSpeed(int16_t speed);
    int16_t setPause(int16_t pause);
    int16_t addWindow(int16_t x, int16_t y, int16_t w, int16_t h, int16_t align);
    int16_t setFlash(bool on);
    int16_t insertGraphic(const char* label);
    int16_t endWindow();
    int16_t addTemperature(int16_t type);
    int16_t addCounter(int32_t type, int32_t year, int32_t month, int32_t day, int32_t hour,
                       int32_t minute, int32_t second);
    int16_t addDateTime(int16_t type);
    int16_t addNewLine();
    int16_t addNewPage();
    int16_t addBeep(int16_t type);
    int16_t setRowSpace(int16_t rowSpace);

    const std::vector<ContentFile>& files() const { return files_; }
    const std::string& currentName() const { return current_; }
    bool hasBuiltFile() const;
    // The current file, or null.
    const ContentFile* currentFile() const;

    // The body of a file as the data command carries it. bodyLength() is the
    // counting pass of the same encoder.
    std::string body(const ContentFile& file) const;
    size_t bodyLength(const ContentFile& file) const;

  private:
    ContentFile* current();
    // Where additions go: the current built file, or the window that ends its
    // list. Null when there is none.
    std::vector<ContentItem>* target();
    int16_t append(ContentItem item);

    std::vector<ContentFile> files_;
    std::string current_;
    int32_t width_ = 160;
    int32_t height_ = 16;
    int32_t colour_ = 1;
};

// Texts compared without regard to letter case (ASCII).
bool sameName(std::string_view a, std::string_view b);
std::string lowerCase(std::string_view s);
std::string base64(const uint8_t* data, size_t size);
size_t base64Length(size_t size);

// Tags of the tables, in "$" form ("$SS5$"). A font outside the table of the
// sign's height gives font 1; colours and moves out of range give "". A font
// item keeps the tag chosen when it was added: the sign's height at that moment
// decides, not the height when the body is encoded.
std::string fontTag(int font, int signHeight);
std::string colourTag(int index);
std::string moveTag(int method);
// The date/time code string for a key (low byte of the argument), or null.
const char* dateTimeCode(int key);
// The name of a date/time key, or null.
const char* dateTimeName(int key);

}  // namespace lumavox::nvs
