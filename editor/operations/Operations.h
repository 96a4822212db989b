// The sign operations of the Update and Read menus as one table, and the one
// function that runs an entry: the checks of the operation's own dialog, the
// send session's run and the write-back of what was read into the document.
// The editor's menu commands and lumavox-cli's sub-commands both come here;
// nothing here prints or reads the terminal: everything the user sees goes
// through the SessionHost.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "operations/Settings.h"
#include "session/SendSession.h"

namespace lumavox {

// What an operation asks of the user beyond the link and the address list.
enum class OperationInput {
    None,
    SendNames,    // files of the document to send; none named: every one
    CurrentFile,  // the text file being edited
    ReadNames,    // files on the sign to read (after its directory)
    DefaultName,  // the name of the sign's default file
    AddressPair,  // the old and the new sign address
    OnOffTimes,   // the automatic on/off times (kept in the settings)
    BaudIndex,    // the sign's new baud rate, as an index of the baud table
};

enum class DocumentUse {
    None,      // works without a document
    Required,  // sends from or reads into the document
    Optional,  // reads into the document when there is one
};

struct SignOperation {
    std::string_view name;  // the lumavox-cli sub-command
    UpdateKind kind;
    int command;  // the menu command (cmd::) that starts it
    DocumentUse document;
    OperationInput input;
    bool writesBack;  // what is read goes into the document
};

// Every operation, in menu order. Several entries may share a command: the
// four of "Clear The Sign", and the directory read before the file read of
// "Text File..." and "Graphic File..." in the Read menu.
std::span<const SignOperation> signOperations();
// The entry of a sub-command name, or null.
const SignOperation* findOperation(std::string_view name);
// The entries of a menu command, in table order; empty for other commands.
std::vector<const SignOperation*> operationsForCommand(int command);

// The session configuration the stored settings give: the link settings, the
// route ("SendType"), the TCP/IP group named by "LastGroupName" or the GPRS
// group named by "LastGPRSGroupName", the dialog switches and the auto on/off
// times.
SessionConfig sessionConfigFrom(const Settings& settings);

// A connection named for one run instead of the stored one.
struct LinkOverride {
    Route route = Route::Serial;
    // Serial: a device path opened directly at `baud` (0: the stored baud
    // rate), or when empty COM `comPort`.
    std::string device;
    int baud = 0;
    int comPort = 1;
    // TCP/IP: a group of comma-separated hosts, its name and port. GPRS: the
    // group's name (empty when the devices were listed one by one).
    std::string groupName;
    std::string hosts;
    int port = 0;
    // Modem: the number the selected modem dials before the run (serial
    // route over the modem's port); the line is hung up afterwards when
    // "HangUpWhenSendOver" says so.
    std::string modemNumber;
    // Where the installed modems are kept; empty: beside the per-user store.
    std::filesystem::path modemRegistry;
    // GPRS: the devices to send to; the link needs the monitor's registry.
    std::vector<std::string> devices;
};

// A connection written as text, as lumavox-cli's --link and the service's sign
// registry write it: tcp:HOST[,HOST...]:PORT, serial:DEVICE[@BAUD], com:N,
// modem:NUMBER or gprs:GROUP|NAME[,NAME...] (a stored GPRS group, else the
// device names). False with the reason when the text names no connection.
bool parseLinkText(const std::string& link, const Settings& settings, LinkOverride& l,
                   std::string& error);

// One run's choices: what overrides the stored settings, and the answers of
// the operation's own dialog.
struct OperationRequest {
    std::optional<LinkOverride> link;
    std::optional<std::string> address;  // the sign address list
    std::optional<int> sendOptions;      // the two check boxes, 0 ... 3
    std::optional<bool> alwaysDisplay;   // show "Comport & Addr." first
    int replyTimeoutMs = 0;              // 0: the 30-second rule
    // How text files read from the sign are decoded: give the font set the
    // document's sign height needs and the "Font" "Default" setting
    // (readBackDecodeOptions of render/FontSet.h). Left as it is, decoding
    // starts in font 1 and takes every byte below 256 as a character.
    TextDecodeOptions textDecode;

    // Files to send (SendNames), the current file (CurrentFile, one name) or
    // the files to read from the sign (ReadNames).
    std::vector<std::string> names;
    std::string defaultName;
    int oldAddress = 0;
    int newAddress = 0;
    int baudIndex = 0;
    // Test display: how long the test pattern stays up before the close-test
    // command (the host's pump runs meanwhile).
    int holdMs = 0;

    // The caller shows a schedule read from the sign before offering it to the
    // document itself (onAnswer receives it): the run writes no schedule back.
    bool offerScheduleLater = false;

    // Where the document is saved after something was written back into it;
    // empty: the caller keeps the changed document.
    std::filesystem::path documentPath;
    // Called once the sign has answered a successful run: before the test
    // pattern is closed, before files are read by name and before anything is
    // written back (the dialog shows the lists, the command line prints them).
    std::function<void(const SendSession&)> onAnswer;
    // Called when the link's modem number is dialled (the caller keeps it in
    // the phone list as the dial window does).
    std::function<void(const std::string&)> onNumberDialled;
};

// Why an operation did not run. Only Refused was shown to the user (through
// the host); the caller reports the others.
enum class OperationProblem {
    None,
    Busy,            // another operation is running on the link
    GprsRoute,       // GPRS is stored, no other link was named and the link has no registry
    BadAddressList,  // the address list or an address given is refused (detail: the refusal)
    NoDocument,      // the operation needs a document
    UnknownFile,     // a name given is no file of the document (detail: the name)
    BadAnswer,       // a number given is out of range, or a name is missing
    Refused,         // the operation's own check said no (and told the user)
};

struct OperationOutcome {
    bool ok = false;  // the operation ran and every step of it succeeded
    OperationProblem problem = OperationProblem::None;
    std::string detail;
    std::string resultText;  // the session's last result text
    int merged = 0;          // files written back into the document
    bool documentChanged = false;
    std::string saveError;  // the document could not be saved
};

// The session configuration of one run: the stored settings with what
// `request` overrides.
SessionConfig sessionConfigFor(const Settings& settings, const OperationRequest& request);

// The connection and sign addresses a run of `request` uses, in words, for
// telling the user before anything is sent, e.g.
// "serial COM1 (/dev/ttyS0) at 9600 baud, sign address 1".
std::string describeConnection(const Settings& settings, const OperationRequest& request);

// The note that follows the description when the stored settings chose the
// link, the addresses or both.
std::string storedChoice(bool linkGiven, bool addressGiven);

// The checks of the stored settings and the overrides, made before anything
// else (and again by runOperation): None, GprsRoute or BadAddressList. The
// stored GPRS route needs a link with a registry of GPRS devices (`gprs`).
OperationProblem checkRequest(const Settings& settings, const OperationRequest& request,
                              std::string& detail, bool gprs = false);

// Runs `operation` over `link`, reporting through `host`. `work` is the
// document (null when there is none); it receives the files and schedule read
// when the operation writes back, and is then saved to request.documentPath
// (atomically) when one is given.
OperationOutcome runOperation(const SignOperation& operation, CSignLink& link, SessionHost& host,
                              WorkArea* work, const Settings& settings,
                              const OperationRequest& request);

}  // namespace lumavox
