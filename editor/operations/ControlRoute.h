// Sending through the scriptable control: the NVS family's route for the
// operations of the "Update Files" dialog and of lumavox-cli. The editor's
// document is replayed as method calls through the control's dispatch
// interface, the control's own send thread transfers, and its events drive the
// run from target to target.
//
// Nothing here waits: the host watches eventFd() (a socket notifier in the
// window, poll() on the command line) and calls dispatch() when it is readable.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "NVSOCXHost.h"
#include "content/Model.h"
#include "content/Prompter.h"
#include "operations/Settings.h"
#include "session/SignCommands.h"

namespace lumavox {

// Whoever shows the run: the "Result for sending" list, the progress bar and
// the message boxes (Prompter).
class ControlRouteHost : public Prompter {
  public:
    virtual void addResult(const std::string& text) = 0;
    virtual void progressRange(int32_t high) = 0;
    virtual void progressPosition(int32_t position) = 0;
    // The run is over ("Update" can be pressed again).
    virtual void runEnded() {}
};

struct ControlRouteConfig {
    SendType sendType = SendType::Serial;  // the control's connection mode
    int baudRate = 9600;
    int comPort = 1;
    int tcpPort = 5005;
    // TCP/IP: every IP address is one target; other modes have one target.
    std::vector<std::string> targets;
    std::string addressList;   // the editor's decimal list, e.g. "1,3,10-12"
    bool clearMemory = false;  // "Clear sign's memory"
    bool checkEach = true;     // "Check response for each sign"
    // An open serial descriptor handed to the control (a modem line is up); -1 none.
    int hostHandle = -1;
    // Where the graphics are written for the control ("NVS_Img").
    std::filesystem::path imageDir;
    int oldAddress = 0;  // kind 5
    int newAddress = 0;
};

// The connection and sign addresses of a run in words, e.g.
// "serial COM1 (/dev/ttyS0) at 9600 baud, sign address 1"; `device` names an
// open line handed over instead of the COM port.
std::string describeControlConnection(const ControlRouteConfig& config, const Settings& settings,
                                      const std::string& device = {});

// The text of a control result, empty for results without one.
std::string controlResultText(int result);

// The config the stored settings give for a run: mode, baud rate, COM port, the
// TCP port and the IP addresses of the group "LastGroupName", the address list
// and the two check boxes.
ControlRouteConfig controlRouteConfigFrom(const Settings& settings,
                                          const std::filesystem::path& imageDir);

// The string-table id of the "Update Files" dialog's title for a kind.
int controlDialogTitleId(UpdateKind kind);

// The dialog's two check boxes written back into the settings: "Clear sign's
// memory" is the first of the send options (the second is kept as it is),
// "Check response for each sign" has its own value. True when anything changed.
bool storeControlChecks(Settings& settings, bool clearMemory, bool checkEach);

class ControlRoute {
  public:
    // The control must outlive the route; the route sets its event handlers.
    ControlRoute(NVSOCX_Object& control, ControlRouteHost& host);
    ~ControlRoute();
    ControlRoute(const ControlRoute&) = delete;
    ControlRoute& operator=(const ControlRoute&) = delete;

    // "Update": kinds 3, 5, 7, 8, 9, 15 and 23. Checks the targets and the
    // addresses, writes the graphics (kind 23), then runs the first target.
    // False, with the reason told through the host, when nothing was started;
    // the document must live until the run ends.
    bool start(UpdateKind kind, const ControlRouteConfig& config, const WorkArea* document);
    bool running() const { return running_; }
    // Failures of the last run: refusals, control results with a text, failed
    // steps and a stop by the user.
    int failures() const { return failures_; }

    // The control's event descriptor, readable when events wait.
    int eventFd() const;
    // Raises the waiting events and takes the steps they ask for.
    void dispatch();

    // "Stop": true when a send was stopped; false when the control's send
    // thread was not running (the dialog then closes).
    bool stop();

  private:
    short call(int dispid, std::initializer_list<NVSOCX_Variant> args);
    void report(int result);
    void runTarget();
    void operate();
    // The one-shot command of the run's kind for one address string, sent at once.
    int callOneShot(const std::string& address);
    void nextStep();
    bool writeImages(std::string& error);
    void buildContent();
    void replayFile(const TextFile& file, std::vector<const TextFile*>& expanding);
    void refused(const char* method, const std::string& file, int result);
    void onResult(int16_t id, int16_t result, const std::string& text);
    void onPrompt(const std::string& text);
    void onProgress(int16_t type, int32_t step);

    static void resultThunk(void* user, int16_t id, int16_t result, const char* text);
    static void promptThunk(void* user, const char* text);
    static void progressThunk(void* user, int16_t type, int32_t step);

    NVSOCX_Object& control_;
    ControlRouteHost& host_;
    UpdateKind kind_ = UpdateKind::AdjustTime;
    ControlRouteConfig config_;
    const WorkArea* document_ = nullptr;
    std::vector<std::string> addresses_;                       // "%X" each
    std::vector<std::pair<std::string, std::string>> images_;  // path, label
    size_t target_ = 0;
    std::vector<std::string> pending_;  // addresses still to get a one-shot call
    std::string sequence_;              // kind 15: the text files, each between "$" signs
    bool running_ = false;
    bool stepRequested_ = false;
    bool pendingRequested_ = false;
    bool dispatching_ = false;
    int32_t progress_ = 0;
    int failures_ = 0;
};

}  // namespace lumavox
