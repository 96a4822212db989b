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
