// The texts of sending through the scriptable control: the control's return
// values as the user reads them, the run's progress lines, the refusals of
// the content build and the labels of the window's "Update Files" dialog.
#pragma once

#include <map>
#include <string>

namespace lumavox {

namespace msg {
enum : int {
    kControlBadAddress = 34500,      // result 0
    kControlStartSendFirst = 34501,  // results -1 and -7
    kControlBusy = 34502,            // result -2
    kControlBadComHandle = 34503,    // result -8
    kControlBadAddressPair = 34504,  // result -10
    kControlNoTextFile = 34505,      // result -20
    kControlAllOver = 34506,
    kControlStopping = 34507,
    kControlStopped = 34508,
    kControlRefusedItem = 34509,       // method, file, result
    kControlImageFailed = 34510,       // path, reason
    kControlTitleRunSequence = 34511,  // dialog title of kind 15
    kControlTitleSendAll = 34512,      // dialog title of kind 23
    kControlBodyTooLarge = 34513,      // result -21
    kControlUpdateFilesTitle = 34514,
};

// The "Update Files" dialog of the window.
enum : int {
    kControlResultCaption = 35300,  // "Result for sending"
    kControlClearMemory = 35301,    // check box
    kControlCheckEach = 35302,      // check box
    kControlStopButton = 35303,
    kControlCloseWhileSending = 35304,  // question when the window is closed mid-send
};
}  // namespace msg

void addControlRouteTexts(std::map<int, std::string>& table);

}  // namespace lumavox
