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

    // Font files and the character pickers
    kFontOpenFailed = 32838,
    kFontLengthWrong = 32841,
    kFontNotRight = 32842,
    kPickerCaption = 32881,
    kFontCantOpen = 32912,
    kFontReadError = 32913,
    kFontHeadError = 32914,

    // Send session, sign commands and read-back
    kSessionSelectFiles = 33224,
    kTextBodyTooLong = 33225,
    kNoSignAddress = 33226,
    kNoIpAddress = 33227,
    kReadFirstTarget = 33228,
    kReadFirstAddress = 33229,
    kReadAddressZero = 33230,
    kTestFirstTarget = 33231,
    kTestFirstAddress = 33232,
    kTargetInGroup = 33233,
    kNowConnecting = 33234,
    kConnectedByNetwork = 33235,
    kGraphicTooLarge = 33236,
    kSendingAttempt = 33238,
    kTo = 33239,
    kSuccessfully = 33240,
    kFailed = 33241,
    kHandshakeError = 33242,
    kLabelEndSession = 33243,
    kSendingTextFile = 33244,
    kSendingGraphicFile = 33245,
    kSendingCurrentFile = 33246,
    kSendAllDone = 33247,
    kAddressEmpty = 33248,
    kAddressFirstChar = 33249,
    kAddressLastChar = 33250,
    kAddressInvalid = 33251,
    kLabelAdjustTime = 33252,
    kLabelSchedule = 33253,
    kLabelChangeAddress = 33254,
    kLabelTestDisplay = 33255,
    kLabelCloseMachine = 33256,
    kLabelOpenMachine = 33257,
    kLabelClearMemory = 33258,
    kLabelClearGraphics = 33259,
    kLabelClearSchedule = 33260,
    kLabelClearText = 33261,
    kLabelSetDefault = 33262,
    kLabelCloseTest = 33263,
    kLabelAutoOnOff = 33264,
    kLabelChangeBaud = 33265,
    kAddressZeroChange = 33266,
    kAddressSame = 33267,
    kSelectDefaultFirst = 33268,
    kLabelReadMemory = 33269,
    kLabelReadTextDir = 33270,
    kLabelReadGraphic = 33271,
    kLabelReadText = 33272,
    kLabelReadGraphicDir = 33273,
    kLabelReadSchedule = 33274,
    kLabelReadAutoOnOff = 33275,
    kLabelReadBios = 33276,
    kLabelReadSerial = 33277,
    kLabelReadConfig = 33278,
    kAnnounceText = 33279,
    kAnnounceGraphic = 33280,
    kAnnounceMemory = 33281,
    kAnnounceDefault = 33282,
    kAnnounceSchedule = 33283,
    kAnnounceAutoOnOff = 33284,
    kAnnounceBios = 33285,
    kAnnounceSerial = 33286,
    kAnnounceConfig = 33287,
    kEndSessionError = 33288,
    kReadDataError = 33289,
    kReceiveTimeout = 33290,
    kReceiveCancelled = 33291,
    kReceiveSuccessfully = 33292,
    kNoReceiveData = 33293,
    kReadDirectoryFirst = 33294,
    kSelectReadFile = 33295,
    kReceivingFile = 33296,
    kOverwriteText = 33297,
    kOverwriteGraphic = 33298,
    kTitleReadMemory = 33299,
    kTitleReadDefault = 33300,
    kTitleReadAutoOnOff = 33301,
    kTitleReadBios = 33302,
    kTitleReadSerial = 33303,
    kTextUsed = 33304,
    kTextFree = 33305,
    kGraphicUsed = 33306,
    kGraphicFree = 33307,
    kBytes = 33308,
    kDefaultFileIs = 33309,
    kOn = 33310,
    kOff = 33311,
    kAuto = 33312,
    kManual = 33313,
    kSignModel = 33314,
    kBiosVersion = 33315,
    kBiosDate = 33316,
    kProtocolVersion = 33317,
    kHardwareVersion = 33318,
    kProductSn = 33319,
    kNoneText = 33320,
    kSound = 33321,
    kAutoBackup = 33322,
    kAutoRecover = 33323,
    kCommOptions = 33324,
    kBatteryBackup = 33325,
    kAutoDemo = 33326,
    kShowCommStatus = 33327,
    kLockRefresh = 33328,
    kLockNoRefresh = 33329,

    // The edit view's status panes and context menu, the property bar
    kPaneCursor = 33600,  // "x=%d,y=%d"
    kPaneSize = 33601,    // "cx=%d,cy=%d"
    kPaneScreen = 33602,  // "%dth %s"
    kScreen = 33603,
    kPaneInsert = 33604,
    kPaneOverwrite = 33605,
    kMenuCharProperty = 33606,
    kMenuEditGraphic = 33607,
    kMenuEditWindowFile = 33608,
    kMenuEndEditWindowText = 33609,
    kPropRename = 33610,
    kPropFont = 33611,
    kPropColour = 33612,
    kPropProperty = 33613,
    kPropFlash = 33614,
    kPropTemperature = 33615,
    kPropType = 33616,
    kPropFormat = 33617,
    kPropEndDate = 33618,
    kPropFromDate = 33619,
    kPropMoveIn = 33620,
    kPropMoveOut = 33621,
    kPropSpeed = 33622,
    kPropPause = 33623,
    kPropBeep = 33624,
    kPropGraphicName = 33625,
    kPropGraphic = 33626,
    kPropWindowFile = 33627,
    kPropRowPitch = 33628,
    kPropCallFile = 33629,
    kPropReturn = 33630,
    kPropEdit = 33631,
    kPropX = 33632,
    kPropY = 33633,
    kPropWidth = 33634,
    kPropHeight = 33635,
    kPropAlign = 33636,
    kPropCall = 33637,
    kPropEndEdit = 33638,
    kPropStamp = 33639,  // "%d-%d-%d %d:%02d:%02d"
    kHintSwitchFile = 33640,
    kHintNoUse = 33641,
    kHintRename = 33642,
    kHintFont = 33643,
    kHintColour = 33644,
    kHintProperty = 33645,
    kHintFlash = 33646,
    kHintEndWindowText = 33647,
    kHintDateTime = 33648,
    kHintTemperature = 33649,
    kHintCounterType = 33650,
    kHintCountDownFormat = 33651,
    kHintCountDownDate = 33652,
    kHintCountUpFormat = 33653,
    kHintCountUpDate = 33654,
    kHintRowPitch = 33655,
    kHintBeep = 33656,
    kHintSpeed = 33657,
    kHintPause = 33658,
    kHintMoveIn = 33659,
    kHintMoveOut = 33660,
    kHintInclude = 33661,
    kHintWindow = 33662,
    kHintGraphicName = 33663,
    kHintGraphicEdit = 33664,
    kHintGraphicReturn = 33665,
    kHintReturnToWindow = 33666,
    kHintArea = 33667,
    kHintAreaX = 33668,
    kHintAreaY = 33669,
    kHintAreaWidth = 33670,
    kHintAreaHeight = 33671,
    kHintAreaAlign = 33672,
    kHintAreaCall = 33673,
    kHintAreaEdit = 33674,
    kHintAreaEndEdit = 33675,
    // Start-up and the scriptable control's preparation
    kOleInitFailed = 33025,
    kSocketInitFailed = 33121,
    kControlResourceMissing = 33425,
    kControlResourceLoad = 33426,
    kControlWriteFailed = 33427,
    kControlLoadFailed = 33428,
    kControlRegisterFailed = 33429,
    kControlNoRegisterEntry = 33430,
    kControlCreateFailed = 33431,
    kControlPrepareFailed = 33432,
    // Sign addresses above one byte
    kAddressTooLarge = 33700,
    // Why a document could not be read, after the format message
    kDocumentEndsEarly = 33720,      // "...: it ends after %d bytes, in %s."
    kDocumentCountTooLarge = 33721,  // "...: %s counts %d entries, ..."
    kDocumentUnreadable = 33722,     // "...: %s cannot be read at byte %d."
    kDocumentPartHeading = 33723,
    kDocumentPartRunSequence = 33724,
    kDocumentPartTextFiles = 33725,
    kDocumentPartGraphics = 33726,
    kDocumentPartSchedule = 33727,
    // Where a refused connect went
    kConnectTried = 33728,  // "%s Tried %s, port %d."
    // Display simulation
    kPreviewTitle = 32915,
    kPreviewRecursion = 32916,
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
