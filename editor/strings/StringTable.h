// The program's string table: every text the user sees, addressed by number.
//
// The built-in English texts live here and nowhere else. A language layer can
// install a provider that replaces texts; text() falls back to the built-in
// string when the provider has nothing.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace lumavox {

namespace msg {
enum : int {
    kErrorTitle = 32839,
    kPromptTitle = 32840,
    kFontFileMissing = 33026,
    kFontFileInvalid = 33027,

    // Text files and their sign bodies
    kCounterYearRange = 33150,
    kFileFormatInvalid = 33151,
    kDecodeTooLong = 33152,
    kFileChecksumError = 33153,
    kNameEmpty = 33154,
    kNameDemo = 33155,
    kNameExists = 33156,
    kMaxTextFiles = 33157,
    kLastTextFile = 33158,
    kDeleteCalledFile = 33159,
    kConfirmDeleteText = 33160,
    kOneRowPitch = 33161,
    kCallItself = 33162,
    kCallRecursion = 33163,

    // Document file and clipboard
    kSignWidthTooSmall = 33164,
    kSignHeightTooSmall = 33165,
    kNotOurFile = 33166,
    kNewerVersion = 33167,
    kFileIsNvs = 33168,
    kFileIsKv2 = 33169,
    kUnexpectedFormat = 33170,
    kClipboardNewer = 33171,

    // Graphic files
    kMaxGraphics = 33172,
    kGraphicWidthRange = 33173,
    kGraphicHeightRange = 33174,
    kConfirmDeleteGraphic = 33175,
    kGraphicInUse = 33176,
    kConfirmRenameGraphic = 33177,
    kGraphicChecksumError = 33178,

    // Window controls and window files
    kMaxAreas = 33179,
    kLastArea = 33180,
    kSelectAreaToDelete = 33181,
    kAreaTooNarrow = 33182,
    kNoFullScreenArea = 33183,
    kContinueExitWindow = 33184,
    kFullScreenNotFirst = 33185,
    kAreasOverlap = 33186,
    kSelectFileFirst = 33187,
    kConfirmDeleteWindowFile = 33188,
    kPressCall = 33189,
    kReadWhileWindowFile = 33190,
    kReadWhileWindow = 33191,

    // Schedules and run sequence
    kTask = 33192,
    kNoTask = 33193,
    kMaxTasks = 33194,
    kConfirmDeleteGroup = 33195,
    kNoSchedule = 33196,
    kSaveScheduleQuestion = 33197,
    kCaution = 33198,
    kScheduleDestroysOld = 33199,
    kRunFileNotInWorkArea = 33200,
    kSelectItemToEdit = 33201,
    kSelectItemToRemove = 33202,
    kConfirmDeleteItem = 33203,

    // Names longer than the 8 bytes a sign name holds (the name fields stop at 8,
    // so only scripted callers see it)
    kNameTooLong = 33204,

    // Names of the date and time texts, Sunday and January first
    kWeekdayLong = 33331,   // .. 33337
    kWeekdayShort = 33442,  // .. 33448
    kMonthLong = 33449,     // .. 33460
    kMonthShort = 33461,    // .. 33472
    kMarkerAM = 33473,      // "AM", "A", "PM", "P", "am", "a", "pm", "p" .. 33480
    kOrdinalSt = 33481,     // "st", "nd", "rd", "th" .. 33484

    // Frames, the serial and TCP channels of the sign link
    kFrameTypeError = 33205,
    kFrameLengthError = 33206,
    kFrameChecksumError = 33207,
    kReceiveBufferOverflow = 33208,
    kClearCommError = 33209,
    kApplicationErrorTitle = 33210,
    kCommSetupFailed = 33211,
    kInitComportError = 33212,
    kIpAddressEmpty = 33213,
    kConnectTypeSetError = 33214,
    kConnectError = 33215,
    kCancelledByUser = 33216,
    kConnectTimeout = 33217,
    kSendFailed = 33218,
    kClientClosed = 33219,
    kIoctlSocketError = 33220,
    kRecvError = 33221,
    kComportWriteError = 33222,
    kNoGprsDevice = 33223,
};
}  // namespace msg

// The built-in English text of an id; empty when the id has none.
const std::string& builtInText(int id);

// Every id that has a built-in text, in increasing order.
std::vector<int> builtInTextIds();

// The text the user sees: the provider's text when it has a non-empty one,
// else the built-in text.
std::string text(int id);

// Installs (or, with an empty function, removes) the translation provider.
void setTextProvider(std::function<std::string(int)> provider);

}  // namespace lumavox
