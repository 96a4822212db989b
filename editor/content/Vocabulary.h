// The display names of every code value of a text file, for both sign families.
//
// The edit view, the property bar, the insert dialogs and the command line all
// show codes through these tables, so the names live here and nowhere else.
// Lookups of a value outside its table return an empty name instead of failing:
// documents and sign bodies are untrusted and may carry any byte.
//
// Alignment names of window areas belong to the window layout module
// (alignmentName in content/WindowLayout.h).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "content/Model.h"

namespace lumavox {

// ---- Colours ---------------------------------------------------------------

// Number of valid colour codes: 17 (0-16) for KV2, 26 (0-25) for NVS.
int colourCount(SignMode mode);
bool validColour(SignMode mode, int code);
// Red in both families: 1 for KV2, 2 for NVS.
uint8_t defaultColour(SignMode mode);
// "[ACL]", "[RED]" ... in code order; the list index is the code.
std::span<const std::string_view> colourNames(SignMode mode);
// Empty for an invalid code.
std::string_view colourName(SignMode mode, int code);
// The seven-step colour cycle of the edit view and the preview: step k (taken
// modulo 7, negative steps included) gives 1, 2, 3, 4, 5, 9, 10 for KV2 and
// 2, 3, 5, 8, 9, 13, 14 for NVS.
uint8_t cycleColour(SignMode mode, int step);
constexpr int kColourCycleLength = 7;

// ---- Character property and flash -----------------------------------------

// "[Normal]" 0, "[Bold]" 1, "[Widen]" 2.
std::span<const std::string_view> propertyNames();
std::string_view propertyName(int property);
// "No Flash" 0, "Flash" 1.
std::span<const std::string_view> flashNames();
std::string_view flashName(int flash);

// ---- Move in / move out ----------------------------------------------------

constexpr int kMoveMethodCount = 44;
// The 44 method names of the family, indexed by method number.
std::span<const std::string_view> moveMethodNames(SignMode mode);
std::string_view moveMethodName(SignMode mode, int method);
// The out list: "[NONE]" followed by the 44 methods. The list index is the
// stored out value (method + 1, 0 = none).
constexpr std::string_view kMoveOutNone = "[NONE]";
std::vector<std::string_view> moveOutNames(SignMode mode);
std::string_view moveOutName(SignMode mode, int storedOut);

// ---- Speed, pause, beep ----------------------------------------------------

// "[Speed 1(Slowest)]" ... "[Speed 8(Fastest)]" for 0-7.
std::span<const std::string_view> speedNames();
std::string_view speedName(int speed);
// "[NO PAU]", "[PAU 1S]" ... "[PAU 60S]" for 0-7.
std::span<const std::string_view> pauseNames();
std::string_view pauseName(int pause);
// "Beep 1", "Beep 2", "Beep 3" for 0-2.
std::span<const std::string_view> beepNames();
std::string_view beepName(int beep);

// ---- Row pitch -------------------------------------------------------------

constexpr std::string_view kRowPitchLabel = "VS";
constexpr int kNvsRowPitchValues = 10;
// How many row pitch values the property bar offers: values 0 .. count-1.
// That is the sign height (at most 256, the values are sent as one byte), and
// at most 10 in NVS mode. 0 for a sign height below 1.
int rowPitchCount(SignMode mode, int signHeight);
bool validRowPitch(SignMode mode, int signHeight, int pitch);
// "VS 3": the property bar's list entry of one value.
std::string rowPitchEntry(int pitch);
// The entries for 0 .. rowPitchCount - 1.
std::vector<std::string> rowPitchEntries(SignMode mode, int signHeight);

// ---- Date and time ---------------------------------------------------------

struct NamedFormat {
    uint8_t code;
    std::string_view name;
};

// The 31 date/time formats in the order the editor lists them. The code's upper
// four bits are the group (0 time, 1 date, 2 hour, 3 minute, 4 second, 5 am/pm,
// 6 weekday, 7 day, 8 month, 9 year), the lower four bits the form.
std::span<const NamedFormat> dateTimeFormats();
// Empty for a code that is not in the table.
std::string_view dateTimeFormatName(int code);
std::optional<uint8_t> dateTimeFormatCode(std::string_view name);

// ---- Temperature and counters ----------------------------------------------

// The temperature formats 0-2 and the counters: 16-20 count down to an end date
// ("DE-Counter"), 32-36 count up from a start date ("IN-Counter"); the low part
// 0-4 selects the display "With days" ... "With HH:MM:SS".
//
// A counter's list label is the counter type, a blank and the display, for
// example "DE-Counter With days" or "IN-Counter With HH:MM:SS", so that one flat
// list can hold every format and each label still reads as the two names the
// insert dialog offers side by side.
constexpr uint8_t kCountDownBase = 16;
constexpr uint8_t kCountUpBase = 32;
constexpr int kCounterDisplayCount = 5;
constexpr std::string_view kCountDownName = "DE-Counter";
constexpr std::string_view kCountUpName = "IN-Counter";

// "Celsius", "Fahrenheit", "Absolute Temperature".
std::span<const std::string_view> temperatureNames();
// "With days", "With hours", "With minutes", "With seconds", "With HH:MM:SS".
std::span<const std::string_view> counterDisplayNames();

bool isCounterFormat(int format);    // 16-20 or 32-36
bool isCountDownFormat(int format);  // 16-20
bool isCountUpFormat(int format);    // 32-36
bool validTempCounterFormat(int format);

// All 13 formats with their combined labels, in code order (the property bar's
// list, which offers "With HH:MM:SS" for both counters).
std::span<const NamedFormat> tempCounterFormats();
// The insert dialog's choices: the same list without "IN-Counter With HH:MM:SS",
// which that dialog offers only for the count-down counter.
std::vector<NamedFormat> tempCounterInsertChoices();
// Empty for a format that is not in the table.
std::string_view tempCounterFormatName(int format);
std::optional<uint8_t> tempCounterFormatCode(std::string_view name);

// ---- Labels of the edit view and the property bar --------------------------

// The label the edit view draws for an item:
//   move       the in-method name, followed by the out-method name when an out
//              method is set, e.g. "[SNOW]" or "[SNOW][SCROLL]";
//   speed, pause, beep   their names;
//   row pitch  "[VS 3]";
//   include    "[I:NAME]";
//   temperature, counter, date/time   the sample value kept in the item's text
//              field, empty until the renderer has made one;
//   characters, graphics and window controls   empty (they are drawn).
// A value outside its table is shown as "[?" value "]" so that damaged content
// stays visible and editable instead of disappearing.
std::string itemLabel(const TextItem& item, SignMode mode);

// "Win 1" for the area with zero-based number 0: the property bar's area list
// counts areas from 1.
std::string windowAreaEntry(int zeroBasedNumber);
// "Win 1" ... "Win n" for the areas of a control, in the control's area order.
std::vector<std::string> windowAreaEntries(const WindowControl& control);

}  // namespace lumavox
