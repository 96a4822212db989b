// The send session: one operation on signs (send files, a one-shot command or a
// read request) run over the sign link, target by target and address by
// address, reported through a SessionHost.
//
// Each payload travels frame by frame; every frame to a non-zero address waits
// for the handshake and is repeated up to the configured attempts. Waits poll
// the link at most 10 ms at a time, so cancellation is seen within 10 ms.
// Failures are return values and result texts, never exceptions.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "content/Model.h"
#include "content/TextBody.h"
#include "platform/Clock.h"
#include "protocol/ReplyReception.h"
#include "session/ReadBack.h"
#include "session/SessionHost.h"
#include "session/SignCommands.h"
#include "transport/SignLink.h"

namespace lumavox {

enum class Route : int { Serial = 1, Tcp = 2, Gprs = 3 };

struct SessionConfig {
    // Frame size, attempts per frame, the two handshake limits, COM port and
    // baud, the sign address list and the TCP port.
    LinkSettings link;
    Route route = Route::Serial;
    // Serial: a device path opened directly, at serialBaud (0: the baud of
    // link.baudIndex), instead of COM link.comPort.
    std::string serialDevice;
    int serialBaud = 0;
    // TCP/IP: the group's name and its comma-separated IP list. GPRS: the
    // group's name.
    std::string groupName;
    std::string groupAddresses;
    // GPRS: the device names of the group; absent when no group of that name
    // exists. The link needs a registry of connected devices (setGprsDevices).
    std::optional<std::vector<std::string>> gprsDevices;
    bool alwaysDisplay = true;  // ask confirmConnection() before a run
    int sendOptions = 0;        // 0 none, 1 clear memory, 2 clear files, 3 both
    bool tcpHangUp = true;      // close the TCP connection after each target
    bool modemHangUp = false;
    AutoOnOffRecord autoOnOff;
    // How text files read from the sign are decoded: the program's default
    // font and the end code of font index 1 of the loaded font file.
    TextDecodeOptions textDecode;
    // Inactivity limit of a reply and the settle pause after each transfer.
    int replyTimeoutMs = 30000;
    int settleMs = 100;
};

// What an operation needs beyond the document.
struct OperationArgs {
    std::vector<std::string> files;  // kinds 1 and 2: the ticked names; empty = none
    std::string current;             // kind 30
    int oldAddress = 0;              // kind 5
    int newAddress = 0;
    std::string defaultName;  // kind 15
    int baudIndex = 0;        // kind 29
};

// Send all forces "Clear All Memory" in front of its first graphic file; a
// document without graphic files goes to the sign without the clear (the text
// files are sent with no option). True when the clear goes out.
bool sendAllClearsMemory(const WorkArea& work);

// A file received by a read, kept until the session is closed.
struct ReceivedText {
    TextFile file;
    std::vector<TextFile> windowFiles;
};

class SendSession : public LinkReceiver {
  public:
    SendSession(CSignLink& link, SessionHost& host, SessionConfig config, const WorkArea* document,
                const Clock& clock = SystemClock::instance());
    ~SendSession() override;
    SendSession(const SendSession&) = delete;
    SendSession& operator=(const SendSession&) = delete;

    // Runs an operation: the pre-checks, then every target and address. True
    // when every transfer of the run succeeded. Kinds 16 and 22 read the
    // directory into files(). While a run is in progress (asked for again from
    // the host's pump or a message box) it is refused: false, nothing changed.
    bool run(UpdateKind kind, const OperationArgs& args = {});
    // "Read File" of kinds 16 and 22: reads the ticked entries of files().
    // Refused while busy, as run().
    bool readFiles(UpdateKind kind);
    // Ticks the entry of that name; false when the list has none.
    bool tick(const std::string& name, bool on = true);
    // True from the start of run() or readFiles() until it returns.
    bool busy() const { return busy_; }

    // "Close" while idle: merges the files read into `work` (asking before an
    // ordinary file is replaced) and drops them. Returns how many were merged;
    // 0 and nothing merged while busy.
    int mergeInto(WorkArea& work);

    const std::string& resultText() const { return result_; }
    const std::vector<FileEntry>& files() const { return files_; }
    const std::vector<DirectoryEntry>& directory() const { return directory_; }
    const std::vector<ReceivedText>& receivedTexts() const { return texts_; }
    const std::vector<GraphicFile>& receivedGraphics() const { return graphics_; }
    const std::vector<ScheduleTask>& receivedTasks() const { return tasks_; }
    // The data of the last reply R.
    const std::vector<uint8_t>& reply() const { return reply_; }
    const SessionConfig& config() const { return config_; }
    // Replaces the configuration between runs; false (and kept) while busy.
    bool setConfig(const SessionConfig& c);

    // The building blocks, public for the commands and the tests.
    // Transfer: 1 when every frame was delivered, -1 otherwise.
    int transfer(std::span<const uint8_t> payload, uint8_t address, const std::string& label,
                 const std::string& target, bool repeat);
    // 1 handshake seen, 0 timed out, -1 link error or cancelled.
    int waitHandshake();
    void pause(int ms);
    int endSession(uint8_t address, const std::string& target);

    // LinkReceiver
    void onLinkBytes(std::span<const uint8_t> bytes, bool handshakeAwaited) override;
    bool cancelRequested() const override;
    void pump() override;

  private:
    bool preChecks(UpdateKind kind, const OperationArgs& args, std::vector<std::string>& targets,
                   std::vector<uint8_t>& addresses, bool fileStage);
    // "%s in group %s" for a TCP/IP target; the host alone when the group has
    // no name; empty on a serial line.
    std::string targetLabel(const std::string& ip) const;
    // The names decoded window files must avoid: the document's files and the
    // files read so far, with their window files.
    WorkArea namesInUse() const;
    bool connect(const std::string& target, bool readOrTest);
    void disconnect();
    bool operate(UpdateKind kind, uint8_t address, const std::string& target,
                 const OperationArgs& args, bool fileStage);
    bool sendFiles(UpdateKind kind, uint8_t address, const std::string& target,
                   const std::vector<std::string>& names, int options);
    bool sendAll(uint8_t address, const std::string& target);
    // The end of a run or a file read: `ok` unless cancelled, and the progress
    // bar full when so.
    bool finished(bool ok);
    bool command(UpdateKind kind, uint8_t address, const std::string& target,
                 const OperationArgs& args);
    bool read(UpdateKind kind, uint8_t address, const std::string& target);
    bool readFileList(UpdateKind kind, uint8_t address, const std::string& target);
    // Sends one read request and waits for its reply: 1 when the wait ended
    // (the reception is complete or failed), -1 when the wait failed (link
    // error, time-out, cancel), -2 when the request was not delivered.
    int request(ReadKind kind, const std::string& name, uint8_t address, const std::string& target);
    int waitReply();
    void startReception(ReadKind kind);
    void setResult(const std::string& text, bool showStatus = true);
    void error(const std::string& text);
    // Why the run stops: the result (the status line, which keeps it) and an
    // error box.
    void reportFailure(const std::string& text);
    void warn(const std::string& text);
    bool payloadsFit(UpdateKind kind, const OperationArgs& args);
    // The text body of a file to send: the one the size check of this run encoded.
    const std::vector<uint8_t>& textBody(const TextFile& file);

    CSignLink& link_;
    SessionHost& host_;
    SessionConfig config_;
    const WorkArea* document_;
    const Clock& clock_;
    ReplyReception reception_;
    std::string result_;
    bool busy_ = false;
    unsigned sequence_ = 0;
    uint8_t currentAddress_ = 0;
    std::vector<FileEntry> files_;
    std::vector<DirectoryEntry> directory_;
    std::vector<ReceivedText> texts_;
    std::vector<GraphicFile> graphics_;
    std::vector<ScheduleTask> tasks_;
    // Frames the link took (sent, answered or not) since the session began.
    size_t framesSent_ = 0;
    // Send all at one address: whether a frame carrying "Clear All Memory"
    // went out, and the files that reached the sign since.
    bool clearSent_ = false;
    std::vector<std::string> reached_;
    // What the run tells at its end about signs left cleared by a send all
    // that stopped: one text per such address.
    std::vector<std::string> clearedNotes_;
    // The reply being received (filled from the frame observer).
    ReadKind readKind_ = ReadKind::Memory;
    std::vector<uint8_t> reply_;
    // Text bodies encoded by this run's size check, sent to every target and address.
    std::map<const TextFile*, std::vector<uint8_t>> bodies_;
    size_t firstFrameSize_ = 0;
    size_t expected_ = 0;
    bool untrusted_ = false;
    size_t acceptedFrames_ = 0;
};

}  // namespace lumavox
