#include "strings/ModemTexts.h"

namespace lumavox {

void addModemTexts(std::map<int, std::string>& t) {
    t[msg::kModemResultOk] = "Connect Status:\rCommand is OK!";
    t[msg::kModemResultConnect] = "Connect Status:\rConnect successfully!";
    t[msg::kModemResultRing] = "Connect Status:\rUnknow status";
    t[msg::kModemResultNoCarrier] = "Connect Status:\rNo carrier!";
    t[msg::kModemResultError] = "Connect Status:\rInvalid command!";
    t[msg::kModemResultNoDialtone] = "Connect Status:\rNo dialtone!";
    t[msg::kModemResultBusy] = "Connect Status:\rThe other side is busy!";
    t[msg::kModemResultUnknown] = "Connect Status:\rUnknow status";

    t[msg::kModemDisconnected] = "Connect Status:\rDisconnected!";
    t[msg::kModemChecking] = "Connect Status:\rIs checking modem status, please waiting...";
    t[msg::kModemCheckOver] = "Connect Status:\rCheck modem status over";
    t[msg::kModemDialing] = "Connect Status:\rNow is dialing up,please waitting...";
    t[msg::kModemDialTimeOut] = "Connect Status:\rDial time out!";
    t[msg::kModemDialCancelled] = "Connect Status:\rDial up cancelled by user!";
    t[msg::kModemBadNumber] = "Connect Status:\rInvalid phone number or phone number empty!";

    t[msg::kModemStatusUnknown] = "Modem status is unknow";
    t[msg::kGsmStatusUnknown] = "GSM modem status is unknow";
    t[msg::kModemAlive] = "Modem is alive";
    t[msg::kModemNotAlive] = "Modem is not alive";
    t[msg::kModemNotGsm] = "Modem maybe not GSM Modem, or not insert SIM Card in GSM Modem!";
    t[msg::kPinNeededNo] = "Pin Code needed: No";
    t[msg::kPinNeededYes] = "Pin Code needed: Yes";
    t[msg::kPinNeededError] = "Pin Code needed: Error";
    t[msg::kPinNeededCancelled] = "Pin Code needed: Yes(Cancelled by user)";
    t[msg::kRegisteredYes] = "Modem registered to network: Yes";
    t[msg::kRegisteredNo] = "Modem registered to network: No";
    t[msg::kSignalStrength] = "Signal strength: ";
    t[msg::kSignalBad] = "Bad";
    t[msg::kSignalAcceptable] = "Acceptable";
    t[msg::kSignalGood] = "Good";
    t[msg::kSignalVeryGood] = "Very good";
    t[msg::kSignalPerfect] = "Perfect";
    t[msg::kSignalUnknown] = "Unknow";

    t[msg::kNoModemInstalled] = "Sorry, your computer hasn't install MODEM";
    t[msg::kModemLineOnNetwork] = "Now PC is connected with moving-sign by network";
    t[msg::kModemLineOnGprs] = "Now PC is connected with moving-sign by GPRS";
    t[msg::kModemLineUp] = "Now PC is connected with moving-sign by modem!";
    t[msg::kSelectModemFirst] = "You must select a modem in 'Modem->Modem Info...'";
    t[msg::kModemPortError] = "Get modem comport error when dial up";
    t[msg::kReceiveCharError] = "ReceiveChar() error";

    t[msg::kPinCodeTitle] = "Pin Code";
    t[msg::kPinCodePrompt] = "Please input Pin code:";
    t[msg::kPinCodeWarning] =
        "Warning: If failed 3 times, the SIM card will be locked. If the SIM card be locked, "
        "please use PUK code to unlock it. If you want to exit the Pin Code check, please press "
        "'Cancel' button.";
    t[msg::kPinCodeBlank] = "Sorry, Pin Code can not be left blank!";

    t[msg::kModemInfoTitle] = "Modem Info...";
    t[msg::kInstalledModems] = "Installed modem(s)";
    t[msg::kNoModemListed] = "No modem installed";
    t[msg::kModemPortLabel] = "Port";
    t[msg::kModemSpeedLabel] = "Speed";
    t[msg::kModemInitLabel] = "Initializition String";
    t[msg::kModemResetLabel] = "Reset String";
    t[msg::kModemBaudUnit] = "baud";
    t[msg::kDialWindowTitle] = "Dial up by Modem";
    t[msg::kPhoneNumberLabel] = "Phone number";
    t[msg::kDialUpButton] = "Dial up";
    t[msg::kHangUpCheck] = "Hang up modem connection when send complete";
    t[msg::kGsmStatusBox] = "GSM modem status";
    t[msg::kModemInfoClose] = "Close";
}

}  // namespace lumavox
