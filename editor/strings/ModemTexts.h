// The texts of the modem dialer: its result words, the GSM status lines, the
// dial window's status texts and refusals, and the "Modem Info..." and
// "Pin Code" dialogs.
#pragma once

#include <map>
#include <string>

namespace lumavox {

namespace msg {
enum : int {
    // Result words, by result code (0 ... 7, 5 unused), and the unknown ones
    kModemResultOk = 35100,
    kModemResultConnect = 35101,
    kModemResultRing = 35102,
    kModemResultNoCarrier = 35103,
    kModemResultError = 35104,
    kModemResultNoDialtone = 35106,
    kModemResultBusy = 35107,
    kModemResultUnknown = 35108,

    // Dial window status texts
    kModemDisconnected = 35110,
    kModemChecking = 35111,
    kModemCheckOver = 35112,
    kModemDialing = 35113,
    kModemDialTimeOut = 35114,
    kModemDialCancelled = 35115,
    kModemBadNumber = 35116,

    // GSM check
    kModemStatusUnknown = 35120,
    kGsmStatusUnknown = 35121,
    kModemAlive = 35122,
    kModemNotAlive = 35123,
    kModemNotGsm = 35124,
    kPinNeededNo = 35125,
    kPinNeededYes = 35126,
    kPinNeededError = 35127,
    kPinNeededCancelled = 35128,
    kRegisteredYes = 35129,
    kRegisteredNo = 35130,
    kSignalStrength = 35131,  // "Signal strength: "
    kSignalBad = 35132,
    kSignalAcceptable = 35133,
    kSignalGood = 35134,
    kSignalVeryGood = 35135,
    kSignalPerfect = 35136,
    kSignalUnknown = 35137,

    // Refusals and failures
    kNoModemInstalled = 35140,
    kModemLineOnNetwork = 35141,
    kModemLineOnGprs = 35142,
    kModemLineUp = 35143,
    kSelectModemFirst = 35144,
    kModemPortError = 35145,
    kReceiveCharError = 35146,

    // "Pin Code" dialog
    kPinCodeTitle = 35150,
    kPinCodePrompt = 35151,
    kPinCodeWarning = 35152,
    kPinCodeBlank = 35153,

    // "Modem Info..." dialog and the dial window
    kModemInfoTitle = 35160,
    kInstalledModems = 35161,
    kNoModemListed = 35162,
    kModemPortLabel = 35163,
    kModemSpeedLabel = 35164,
    kModemInitLabel = 35165,
    kModemResetLabel = 35166,
    kModemBaudUnit = 35167,  // "baud"
    kDialWindowTitle = 35170,
    kPhoneNumberLabel = 35171,
    kDialUpButton = 35172,
    kHangUpCheck = 35173,
    kGsmStatusBox = 35174,
    kModemInfoClose = 35175,
};
}  // namespace msg

void addModemTexts(std::map<int, std::string>& table);

}  // namespace lumavox
