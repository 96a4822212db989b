#include "strings/ControlRouteTexts.h"

namespace lumavox {

void addControlRouteTexts(std::map<int, std::string>& t) {
    t[msg::kControlBadAddress] = "The sign address is invalid, please input like this '1,0A,64'.";
    t[msg::kControlStartSendFirst] = "Please call method 'StartSend' firstly!";
    t[msg::kControlBusy] =
        "Is in sending the other data, please wait. If you want to cancel the previous data, "
        "please call method 'StopSend' firstly!";
    t[msg::kControlBadComHandle] = "The COM handle is invalid!";
    t[msg::kControlBadAddressPair] =
        "The parameter is invalid: new sign address and old sign address can't be zero, and new "
        "sign address must not be same with old sign address!";
    t[msg::kControlNoTextFile] = "No text file in work area, stop send.";
    t[msg::kControlAllOver] = "All are over!";
    t[msg::kControlStopping] = "Is stop sending...";
    t[msg::kControlStopped] = "Stop send over!";
    t[msg::kControlRefusedItem] = "The control refused '%s' in file '%s' (result %d).";
    t[msg::kControlImageFailed] = "The picture '%s' can't be written:(%s).";
    t[msg::kControlTitleRunSequence] = "Set run sequence";
    t[msg::kControlTitleSendAll] = "Send all of text files, graphics";
    t[msg::kControlBodyTooLarge] = "A file is too large to be sent.";
    t[msg::kControlUpdateFilesTitle] = "Update Files";
    t[msg::kControlResultCaption] = "Result for sending";
    t[msg::kControlClearMemory] = "Clear sign's memory";
    t[msg::kControlCheckEach] = "Check response for each sign";
    t[msg::kControlStopButton] = "Stop";
    t[msg::kControlCloseWhileSending] =
        "The data is still being sent. Stop sending and close this window?";
}

}  // namespace lumavox
