// What the operation dialog and the communication settings dialogs decide,
// without any window: how the operation dialog looks for each operation, which
// files it lists, the checks of a TCP/IP group and of the connection choice,
// and the texts of those dialogs.
#pragma once

#include <string>
#include <vector>

#include "app/DialogTexts.h"
#include "content/Model.h"
#include "operations/Settings.h"
#include "session/SignCommands.h"

namespace lumavox {

// Dialog templates of the operation dialog and the communication settings.
constexpr int kUpdateDialog = 400;
constexpr int kComportAddrDialog = 401;
constexpr int kCommOptionDialog = 402;
constexpr int kTcpGroupDialog = 403;
constexpr int kBaudRateDialog = 404;
constexpr int kChangeAddressDialog = 405;
constexpr int kClearSignDialog = 406;
constexpr int kSetDefaultDialog = 407;
constexpr int kAutoOnOffDialog = 408;

// Control ids shared by those templates (1 and 2 are OK and Cancel).
enum : int {
    kCtlFirst = 1001,  // the first label, list or check of a template
    kCtlSecond,
    kCtlThird,
    kCtlFourth,
    kCtlFifth,
    kCtlSixth,
    kCtlSeventh,
    kCtlEighth,
    kCtlNinth,
};

// Adds the texts of the templates above to the built-in dialog texts.
void appendUpdateDialogTexts(std::vector<DialogTexts>& dialogs);

struct UpdateDialogLook {
    int titleId = 0;              // string-table id of the title; 0: the template's own
    int listCaptionId = 0;        // 0: the template's own
    bool graphicOptions = false;  // second check box is "Clear All Graphic Files"
    bool readsDirectory = false;  // "Update" reads the directory; "Read File" reads files
    bool waitsForUpdate = false;  // the run starts when "Update" is pressed
    bool closesItself = false;    // the dialog closes when its run ends
    bool showsResult = false;     // the result is shown as text lines in the dialog
};

UpdateDialogLook updateDialogLook(UpdateKind kind);

// The files the dialog lists for sending: the text files of kind 0 (window
// files are not listed) or the graphic files, in document order.
std::vector<std::string> sendableFiles(const WorkArea& work, UpdateKind kind);

// The "TCP/IP Group Info" check: 0, or the refusal's string-table id.
int checkTcpGroup(const TcpIpGroup& group);
// A TCP/IP group as "Communication option" lists it: "NAME<=>IP,IP".
std::string tcpGroupListEntry(const TcpIpGroup& group);

// The sign family's send options as the two check boxes and back.
inline bool clearMemoryTicked(int options) {
    return (options & 1) != 0;
}
inline bool clearFilesTicked(int options) {
    return (options & 2) != 0;
}
inline int sendOptionsOf(bool clearMemory, bool clearFiles) {
    return (clearMemory ? 1 : 0) | (clearFiles ? 2 : 0);
}

}  // namespace lumavox
