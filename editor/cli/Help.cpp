#include "cli/Help.h"

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "app/AboutBox.h"
#include "cli/ControlOperations.h"
#include "operations/Operations.h"

namespace lumavox {

namespace {

constexpr const char* kDocumentOptions =
    "  --home DIR        a folder with the font and language files that keeps the\n"
    "                    settings too (default: LUMAVOX_HOME, else the installed\n"
    "                    data and the settings in ~/.config/lumavox)\n"
    "  --family kv2|nvs  sign family (default: \"Is For NVS\" of SoftwareSet.ini, else kv2)\n";

constexpr const char* kLinkOptions =
    "  --link tcp:HOST[,HOST...]:PORT | serial:DEVICE[@BAUD] | com:N\n"
    "         | modem:NUMBER (dial with the selected modem, see 'modem')\n"
    "         | gprs:GROUP | gprs:NAME[,NAME...] (a stored GPRS group, else device names)\n"
    "                    the connection (default: the stored settings, named on the\n"
    "                    first line printed)\n"
    "  --server-port N --wait-devices SECONDS   GPRS: the gateway's port, the wait for\n"
    "                    the devices to connect (default: the stored port, 10 s)\n"
    "  --address LIST    sign addresses such as 1,3,10-12 (default: the stored one)\n"
    "  --yes | --no      answer questions (default No)   --quiet  results only\n"
    "  --reply-timeout-ms N   shorter reply limit than 30 seconds\n"
    "  --server URL (--sign NAME | --group NAME | --all) [--expires S] [--no-wait]\n"
    "                    queue the command as a job of a running lumavox-server instead\n"
    "                    and follow it (token: LUMAVOX_TOKEN, else the service's state\n"
    "                    folder); send-all DOC.glm, set-default NAME and the commands\n"
    "                    without a document\n";

constexpr std::string_view kDocuments = "documents";
constexpr std::string_view kSending = "sending";
constexpr std::string_view kReading = "reading";
constexpr std::string_view kSettings = "settings";

constexpr CommandHelp kCommands[] = {
    // ---- documents ----
    {kDocuments, "new", "OUT.glm --size WxH [--single-colour]",
     "make an empty document with its first text file \"Main\"",
     "  as File > New does: a W x H dot sign (default: the size the editor offers),\n"
     "  tri-colour unless --single-colour\n"},
    {kDocuments, "build", "DOC.json OUT.glm", "make a document from JSON (what dump prints)",
     "  the whole work area: sign size, colour type, text and window files with their\n"
     "  items, graphics as row strings, schedule tasks and run sequence. Display names\n"
     "  (\"type\", \"colourName\", \"text\", \"speed\" ...) may stand in for numbers; keys\n"
     "  left out take a new document's defaults. A wrong key or value is refused with\n"
     "  its JSON path and the reason, and nothing is written. The document is saved\n"
     "  with the stamp its files carry, so dump then build gives the same bytes.\n"},
    {kDocuments, "dump", "DOC.glm", "print the document's whole work area as JSON", ""},
    {kDocuments, "demo", "OUT.glm", "write a demonstration document", ""},
    {kDocuments, "body", "DOC.glm [NAME]",
     "print the sign body of a text file (default: the first) in hex", ""},
    {kDocuments, "render", "DOC.glm [--file NAME] [--dot N] --png OUT.png",
     "draw every screen of a text file as the sign shows it, into a PNG",
     "  the first text file unless --file, N x N pixels a dot (default 4)\n"},
    {kDocuments, "preview",
     "DOC.glm [--file NAME] [--seconds S] [--dot N] [--clock TIME] [--seed N] --gif OUT.gif",
     "play a text file as the preview does and write an animated GIF",
     "  S seconds of sign time (default: one pass of the file, at most 600); dates and\n"
     "  times show TIME (\"YYYY-MM-DD HH:MM[:SS]\", default now); random effects start\n"
     "  from seed N\n"},
    // ---- sending ----
    {kSending, "send-all", "DOC.glm [--clear-memory] [--clear-files]",
     "send every text file, graphic and the schedule",
     "  in the NVS family through the scriptable control (also --check-each |\n"
     "  --no-check-each)\n"},
    {kSending, "send-text", "DOC.glm [NAME...]", "send text files (none named: every one)", ""},
    {kSending, "send-graphic", "DOC.glm [NAME...]", "send graphics (none named: every one)", ""},
    {kSending, "send-current", "DOC.glm NAME", "send the text file being edited", ""},
    {kSending, "send-schedule", "DOC.glm", "send the schedule tasks", ""},
    {kSending, "set-run-sequence", "DOC.glm",
     "NVS family: send the document's run sequence through the control", ""},
    {kSending, "test-display", "[--hold SECONDS]", "show the sign's test pattern, then close it",
     ""},
    {kSending, "sign-off", "", "turn the sign off", ""},
    {kSending, "sign-on", "", "turn the sign on", ""},
    {kSending, "clear-memory", "", "clear the sign's whole memory", ""},
    {kSending, "clear-graphics", "", "clear the sign's graphics", ""},
    {kSending, "clear-schedule", "", "clear the sign's schedule", ""},
    {kSending, "clear-text", "", "clear the sign's text files", ""},
    // ---- reading ----
    {kReading, "read-memory", "", "read the sign's memory use", ""},
    {kReading, "read-text-dir", "", "list the text files on the sign", ""},
    {kReading, "read-text", "DOC.glm NAME...", "read text files into the document",
     "  the files read are merged into DOC.glm (questions answered by --yes/--no)\n"},
    {kReading, "read-graphic-dir", "", "list the graphics on the sign", ""},
    {kReading, "read-graphic", "DOC.glm NAME...", "read graphics into the document", ""},
    {kReading, "read-schedule", "[--into DOC.glm]",
     "read the schedule (with --into: into the document)", ""},
    {kReading, "read-default", "", "read the sign's default file", ""},
    {kReading, "read-auto-onoff", "", "read the automatic on/off times", ""},
    {kReading, "read-bios", "", "read the sign's BIOS information", ""},
    {kReading, "read-serial", "", "read the product serial number", ""},
    {kReading, "read-config", "", "read the configuration word", ""},
    // ---- settings ----
    {kSettings, "adjust-time", "", "set the sign's clock to the PC's", ""},
    {kSettings, "set-default", "[NAME]", "set (or clear) the sign's default file", ""},
    {kSettings, "change-address", "OLD NEW", "change a sign's address", ""},
    {kSettings, "change-baud", "INDEX", "change the sign's baud rate (index of the baud table)",
     ""},
    {kSettings, "auto-onoff", "AUTO|MANUAL HH:MM AUTO|MANUAL HH:MM",
     "set the automatic on and off times", "  kept in the settings for the next time\n"},
    {kSettings, "ports", "", "list the serial ports with their stable names",
     "  the COM numbers whose device is there (\"COM3  (/dev/ttyUSB0, usb-...)\"),\n"
     "  then the devices without one with the link to send through them; a USB\n"
     "  adapter is shown with its stable name under /dev/serial/by-id, which\n"
     "  --link serial:PATH and modem add --port take as well\n"},
    {kSettings, "lang check", "FILE", "check a language file against the program's texts", ""},
    {kSettings, "gprs", "list [--server-port N] [--seconds S]",
     "run the GPRS gateway and print the devices that connect",
     "  name, address, ID, type and phone of each device, for S seconds; sending to\n"
     "  GPRS devices is --link gprs:GROUP|NAME[,NAME...] on the sending commands, or\n"
     "  the stored GPRS group when the stored settings send through GPRS\n"},
    {kSettings, "modem", "add|list|remove|select|check ...",
     "install, list and choose the modems the modem route dials with",
     "  modem add --model NAME --port N|COMn|DEVICE [--speed BAUD]\n"
     "      install a modem (a device path gets a COM number in \"Comports\"); the\n"
     "      first modem installed is selected (\"Use Modem Name\")\n"
     "  modem list            the installed modems; '*' marks the selected one\n"
     "  modem remove NAME     uninstall a modem\n"
     "  modem select NAME     dial with this modem\n"
     "  modem check [--pin CODE]\n"
     "      check the selected GSM modem and print its status lines\n"
     "  sending over the modem is --link modem:NUMBER on the sending commands\n"},
};

// The commands that reach a sign take the link options: the operations of the
// Update and Read menus and the NVS family's commands.
bool isSignCommand(const CommandHelp& c) {
    return findOperation(c.name) || isControlCommand(std::string(c.name));
}

std::string firstWord(std::string_view s) {
    return std::string(s.substr(0, s.find(' ')));
}

}  // namespace

std::span<const CommandHelp> commandHelp() {
    return kCommands;
}

const CommandHelp* findCommandHelp(std::string_view name) {
    for (const CommandHelp& c : kCommands)
        if (c.name == name || firstWord(c.name) == name) return &c;
    return nullptr;
}

void printHelp(std::ostream& out) {
    out << "usage: lumavox-cli COMMAND [ARGS] [OPTIONS]\n"
           "       lumavox-cli help [COMMAND] | COMMAND --help | --version\n";
    std::vector<std::string_view> groups;
    for (const CommandHelp& c : kCommands)
        if (std::find(groups.begin(), groups.end(), c.group) == groups.end())
            groups.push_back(c.group);
    for (std::string_view group : groups) {
        out << "\n" << group << ":\n";
        for (const CommandHelp& c : kCommands) {
            if (c.group != group) continue;
            std::string head = "  " + std::string(c.name);
            if (!c.synopsis.empty()) head += " " + std::string(c.synopsis);
            out << head << "\n      " << c.summary << "\n";
        }
    }
    out << "\noptions of every command:\n" << kDocumentOptions;
    out << "options of the sending, reading and sign settings commands:\n" << kLinkOptions;
    out << "\nExit status: 0 success, 1 failure, 2 usage error.\n";
}

void printCommandHelp(const CommandHelp& c, std::ostream& out) {
    out << "usage: lumavox-cli " << c.name;
    if (!c.synopsis.empty()) out << " " << c.synopsis;
    out << "\n  " << c.summary << "\n" << c.details;
    out << "options:\n" << kDocumentOptions;
    if (isSignCommand(c)) out << kLinkOptions;
}

int usageError(std::string_view command, std::ostream& err) {
    if (const CommandHelp* help = command.empty() ? nullptr : findCommandHelp(command))
        printCommandHelp(*help, err);
    else
        err << "run 'lumavox-cli help' for the commands\n";
    return 2;
}

void printVersion(std::ostream& out) {
    out << "lumavox-cli " << kProgramVersion << "\n";
}

}  // namespace lumavox
