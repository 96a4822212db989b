#include "content/Vocabulary.h"

#include <algorithm>
#include <array>

#include "strings/TextFormat.h"

namespace lumavox {

namespace {

using Names = std::span<const std::string_view>;

constexpr std::array<std::string_view, 17> kKv2Colours = {
    "[ACL]",  "[RED]",  "[GRN]",  "[YEL]",  "[RB1]",  "[RB2]",  "[RB3]",  "[RB4]",  "[RB5]",
    "[MIX1]", "[MIX2]", "[MIX3]", "[MIX4]", "[MIX5]", "[MIX6]", "[MIX7]", "[MIX8]",
};

constexpr std::array<std::string_view, 26> kNvsColours = {
    "[ACL]",  "[WHT]",  "[RED]",  "[GRN]",  "[BLU]",  "[YEL]",  "[CYN]",  "[PUR]",  "[RB1]",
    "[RB2]",  "[RB3]",  "[RB4]",  "[RB5]",  "[MIX1]", "[MIX2]", "[MIX3]", "[MIX4]", "[INV1]",
    "[INV2]", "[INV3]", "[INV4]", "[INV5]", "[INV6]", "[INV7]", "[INV8]", "[INV9]",
};

constexpr std::array<uint8_t, kColourCycleLength> kKv2Cycle = {1, 2, 3, 4, 5, 9, 10};
constexpr std::array<uint8_t, kColourCycleLength> kNvsCycle = {2, 3, 5, 8, 9, 13, 14};

constexpr std::array<std::string_view, 3> kProperties = {"[Normal]", "[Bold]", "[Widen]"};
constexpr std::array<std::string_view, 2> kFlashes = {"No Flash", "Flash"};

constexpr std::array<std::string_view, kMoveMethodCount> kKv2Moves = {
    "[AUTO]",     "[IMMED]",      "[SLIDE<-]", "[SLIDE->]", "[SLIDE<-->]", "[SLIDE-><-]",
    "[SLIDE UP]", "[SLIDE DOWN]", "[COVER<-]", "[COVER->]", "[COVER<-->]", "[COVER-><-]",
    "[COVER UP]", "[COVER DOWN]", "[ROLL<-]",  "[ROLL->]",  "[ROLL<-->]",  "[ROLL-><-]",
    "[ROLL UP]",  "[ROLL DOWN]",  "[INSLID1]", "[INSLID2]", "[INSLID3]",   "[INSLID4]",
    "[INROLL1]",  "[INROLL2]",    "[INROLL3]", "[INROLL4]", "[INROLL5]",   "[INROLL6]",
    "[SHUTT1]",   "[SHUTT2]",     "[SHUTT3]",  "[SHUTT4]",  "[JUMP]",      "[SNOW]",
    "[RANDOM]",   "[SHOOT]",      "[EXPLODE]", "[TWINKLE]", "[FLASH]",     "[PACMAN]",
    "[SCROLL]",   "[ROTATE]",
};

// NVS numbers the vertical effects first and swaps two pairs at the end.
constexpr std::array<std::string_view, kMoveMethodCount> kNvsMoves = {
    "[AUTO]",      "[IMMED]",     "[SLIDE UP]", "[SLIDE DOWN]", "[SLIDE<-]", "[SLIDE->]",
    "[SLIDE<-->]", "[SLIDE-><-]", "[COVER UP]", "[COVER DOWN]", "[COVER<-]", "[COVER->]",
    "[COVER<-->]", "[COVER-><-]", "[ROLL UP]",  "[ROLL DOWN]",  "[ROLL<-]",  "[ROLL->]",
    "[ROLL<-->]",  "[ROLL-><-]",  "[INSLID1]",  "[INSLID2]",    "[INSLID3]", "[INSLID4]",
    "[INROLL1]",   "[INROLL2]",   "[INROLL3]",  "[INROLL4]",    "[INROLL5]", "[INROLL6]",
    "[SHUTT1]",    "[SHUTT2]",    "[SHUTT3]",   "[SHUTT4]",     "[JUMP]",    "[SNOW]",
    "[RANDOM]",    "[SHOOT]",     "[EXPLODE]",  "[FLASH]",      "[TWINKLE]", "[PACMAN]",
    "[ROTATE]",    "[SCROLL]",
};

constexpr std::array<std::string_view, 8> kSpeeds = {
    "[Speed 1(Slowest)]", "[Speed 2]", "[Speed 3]", "[Speed 4]",
    "[Speed 5]",          "[Speed 6]", "[Speed 7]", "[Speed 8(Fastest)]",
};

constexpr std::array<std::string_view, 8> kPauses = {
    "[NO PAU]", "[PAU 1S]",  "[PAU 2S]",  "[PAU 3S]",
    "[PAU 5S]", "[PAU 10S]", "[PAU 30S]", "[PAU 60S]",
};

constexpr std::array<std::string_view, 3> kBeeps = {"Beep 1", "Beep 2", "Beep 3"};

constexpr std::array<NamedFormat, 31> kDateTimeFormats = {{
    {0, "Time1(23:59)"},
    {1, "Time2(23:59:59)"},
    {2, "Time3(11:59 pm)"},
    {3, "Time4(11:59:59 pm)"},
    {16, "Date1(31 Dec 2001)"},
    {17, "Date2(Dec 31, 2001)"},
    {18, "Date3(31/12/2001)"},
    {19, "Date4(12/31/2001)"},
    {20, "Date5(2001.12.31)"},
    {32, "Hour-24"},
    {33, "Hour-12"},
    {48, "Minute"},
    {64, "Second"},
    {80, "AM/PM"},
    {81, "A/P"},
    {82, "am/pm"},
    {83, "a/p"},
    {96, "Week1(Mon)"},
    {97, "Week2(Monday)"},
    {98, "Week3(MON)"},
    {99, "Week4(MONDAY)"},
    {112, "Day(1)"},
    {113, "Day(st)"},
    {114, "Day(ST)"},
    {128, "Month1(Dec)"},
    {129, "Month2(December)"},
    {130, "Month3(12)"},
    {131, "Month4(DEC)"},
    {132, "Month5(DECEMBER)"},
    {144, "Year(2001)"},
    {145, "Year(01)"},
}};

constexpr std::array<std::string_view, 3> kTemperatures = {"Celsius", "Fahrenheit",
                                                           "Absolute Temperature"};

constexpr std::array<std::string_view, kCounterDisplayCount> kCounterDisplays = {
    "With days", "With hours", "With minutes", "With seconds", "With HH:MM:SS",
};

// Counter labels are the counter type, a blank and the display (see the header).
constexpr std::array<NamedFormat, 13> kTempCounterFormats = {{
    {0, "Celsius"},
    {1, "Fahrenheit"},
    {2, "Absolute Temperature"},
    {16, "DE-Counter With days"},
    {17, "DE-Counter With hours"},
    {18, "DE-Counter With minutes"},
    {19, "DE-Counter With seconds"},
    {20, "DE-Counter With HH:MM:SS"},
    {32, "IN-Counter With days"},
    {33, "IN-Counter With hours"},
    {34, "IN-Counter With minutes"},
    {35, "IN-Counter With seconds"},
    {36, "IN-Counter With HH:MM:SS"},
}};

std::string_view pick(Names names, int index) {
    if (index < 0 || static_cast<size_t>(index) >= names.size()) return {};
    return names[static_cast<size_t>(index)];
}

std::string_view findName(std::span<const NamedFormat> table, int code) {
    for (const auto& f : table)
        if (f.code == code) return f.name;
    return {};
}

std::optional<uint8_t> findCode(std::span<const NamedFormat> table, std::string_view name) {
    for (const auto& f : table)
        if (f.name == name) return f.code;
    return std::nullopt;
}

// The name, or "[?value]" when the value has none, so damaged items stay visible.
std::string nameOrUnknown(std::string_view name, int value) {
    if (!name.empty()) return std::string(name);
    return "[?" + std::to_string(value) + "]";
}

}  // namespace

// ---- Colours ---------------------------------------------------------------

std::span<const std::string_view> colourNames(SignMode mode) {
    if (mode == SignMode::NVS) return kNvsColours;
    return kKv2Colours;
}

int colourCount(SignMode mode) {
    return static_cast<int>(colourNames(mode).size());
}

bool validColour(SignMode mode, int code) {
    return code >= 0 && code < colourCount(mode);
}

uint8_t defaultColour(SignMode mode) {
    return mode == SignMode::NVS ? 2 : 1;
}

std::string_view colourName(SignMode mode, int code) {
    return pick(colourNames(mode), code);
}

uint8_t cycleColour(SignMode mode, int step) {
    int k = step % kColourCycleLength;
    if (k < 0) k += kColourCycleLength;
    const auto& cycle = mode == SignMode::NVS ? kNvsCycle : kKv2Cycle;
    return cycle[static_cast<size_t>(k)];
}

// ---- Character property and flash -----------------------------------------

std::span<const std::string_view> propertyNames() {
    return kProperties;
}
std::string_view propertyName(int property) {
    return pick(kProperties, property);
}
std::span<const std::string_view> flashNames() {
    return kFlashes;
}
std::string_view flashName(int flash) {
    return pick(kFlashes, flash);
}

// ---- Move in / move out ----------------------------------------------------

std::span<const std::string_view> moveMethodNames(SignMode mode) {
    if (mode == SignMode::NVS) return kNvsMoves;
    return kKv2Moves;
}

std::string_view moveMethodName(SignMode mode, int method) {
    return pick(moveMethodNames(mode), method);
}

std::vector<std::string_view> moveOutNames(SignMode mode) {
    std::vector<std::string_view> out;
    out.reserve(kMoveMethodCount + 1);
    out.push_back(kMoveOutNone);
    for (auto name : moveMethodNames(mode))
        out.push_back(name);
    return out;
}

std::string_view moveOutName(SignMode mode, int storedOut) {
    if (storedOut == 0) return kMoveOutNone;
    return moveMethodName(mode, storedOut - 1);
}

// ---- Speed, pause, beep ----------------------------------------------------

std::span<const std::string_view> speedNames() {
    return kSpeeds;
}
std::string_view speedName(int speed) {
    return pick(kSpeeds, speed);
}
std::span<const std::string_view> pauseNames() {
    return kPauses;
}
std::string_view pauseName(int pause) {
    return pick(kPauses, pause);
}
std::span<const std::string_view> beepNames() {
    return kBeeps;
}
std::string_view beepName(int beep) {
    return pick(kBeeps, beep);
}

// ---- Row pitch -------------------------------------------------------------

int rowPitchCount(SignMode mode, int signHeight) {
    int count = std::clamp(signHeight, 0, 256);
    if (mode == SignMode::NVS) count = std::min(count, kNvsRowPitchValues);
    return count;
}

bool validRowPitch(SignMode mode, int signHeight, int pitch) {
    return pitch >= 0 && pitch < rowPitchCount(mode, signHeight);
}

std::string rowPitchEntry(int pitch) {
    return std::string(kRowPitchLabel) + " " + std::to_string(pitch);
}

std::vector<std::string> rowPitchEntries(SignMode mode, int signHeight) {
    std::vector<std::string> entries;
    const int count = rowPitchCount(mode, signHeight);
    entries.reserve(static_cast<size_t>(count));
    for (int v = 0; v < count; ++v)
        entries.push_back(rowPitchEntry(v));
    return entries;
}

// ---- Date and time ---------------------------------------------------------

std::span<const NamedFormat> dateTimeFormats() {
    return kDateTimeFormats;
}

std::string_view dateTimeFormatName(int code) {
    return findName(kDateTimeFormats, code);
}

std::optional<uint8_t> dateTimeFormatCode(std::string_view name) {
    return findCode(kDateTimeFormats, name);
}

// ---- Temperature and counters ----------------------------------------------

std::span<const std::string_view> temperatureNames() {
    return kTemperatures;
}
std::span<const std::string_view> counterDisplayNames() {
    return kCounterDisplays;
}

bool isCountDownFormat(int format) {
    return format >= kCountDownBase && format < kCountDownBase + kCounterDisplayCount;
}

bool isCountUpFormat(int format) {
    return format >= kCountUpBase && format < kCountUpBase + kCounterDisplayCount;
}

bool isCounterFormat(int format) {
    return isCountDownFormat(format) || isCountUpFormat(format);
}

bool validTempCounterFormat(int format) {
    return (format >= 0 && format < static_cast<int>(kTemperatures.size())) ||
           isCounterFormat(format);
}

std::span<const NamedFormat> tempCounterFormats() {
    return kTempCounterFormats;
}

std::vector<NamedFormat> tempCounterInsertChoices() {
    constexpr int kCountUpHms = kCountUpBase + kCounterDisplayCount - 1;
    std::vector<NamedFormat> choices;
    for (const auto& f : kTempCounterFormats)
        if (f.code != kCountUpHms) choices.push_back(f);
    return choices;
}

std::string_view tempCounterFormatName(int format) {
    return findName(kTempCounterFormats, format);
}

std::optional<uint8_t> tempCounterFormatCode(std::string_view name) {
    return findCode(kTempCounterFormats, name);
}

// ---- Labels ----------------------------------------------------------------

std::string itemLabel(const TextItem& item, SignMode mode) {
    if (!item.hasParams()) return {};
    const ControlParams& p = item.params();
    switch (item.kind) {
        case kMove: {
            std::string label = nameOrUnknown(moveMethodName(mode, p.valueA), p.valueA);
            if (p.valueB != 0) label += nameOrUnknown(moveOutName(mode, p.valueB), p.valueB);
            return label;
        }
        case kSpeed:
            return nameOrUnknown(speedName(p.valueC), p.valueC);
        case kPause:
            return nameOrUnknown(pauseName(p.valueD), p.valueD);
        case kBeep:
            return nameOrUnknown(beepName(p.valueA), p.valueA);
        case kRowPitch:
            return formatText("[%s %d]", {kRowPitchLabel, static_cast<int>(p.valueA)});
        case kInclude:
            return formatText("[I:%s]", {p.name.str()});
        case kTempCounter:
        case kDateTime:
            return p.text;
        default:
            return {};
    }
}

std::string windowAreaEntry(int zeroBasedNumber) {
    return "Win " + std::to_string(zeroBasedNumber + 1);
}

std::vector<std::string> windowAreaEntries(const WindowControl& control) {
    std::vector<std::string> entries;
    entries.reserve(control.areas.size());
    for (size_t i = 0; i < control.areas.size(); ++i)
        entries.push_back(windowAreaEntry(static_cast<int>(i)));
    return entries;
}

}  // namespace lumavox
