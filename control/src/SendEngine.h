// The control's send thread and its three ways of reaching a sign: a serial
// port it opens itself, a descriptor the host opened, and a TCP connection.
//
// The thread takes one piece at a time, writes it, collects and judges the
// reply when one is awaited, and reports every step through the notify
// callback as (kind, code, text). It never calls into the host: the control
// turns the notifications into events on the host's thread and hands over the
// next piece from there.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/SerialPort.h"

namespace lumavox::nvs {

enum CommuMode : int { kHostHandle = 0, kOwnSerial = 1, kTcp = 2, kModem = 3 };

enum JobKind : int {
    kJobTextData = 0,
    kJobDiskData = 1,
    kJobTime = 2,
    kJobClear = 3,
    kJobRunSequence = 4,
    kJobAddress = 6,
    kJobPowerOn = 7,
    kJobPowerOff = 8,
    kJobAlloc = 9,
};

// Notification kinds of the thread beyond those that become SendResult events:
// the bytes of a piece are on the line (code: their count). The control raises
// SendProgress type 2 from it, so progress counts only what was written.
constexpr int kNotifyPieceWritten = 5;

struct EngineSettings {
    int mode = kOwnSerial;
    int comport = 1;
    int32_t baud = 9600;
    std::string ip;
    int32_t port = 0;
    int hostFd = -1;  // mode 0: the host's descriptor; never closed here
};

// Waits the thread observes. The defaults are the working values; tests and
// benchmarks shorten them through the NVSOCX_TEST_TIMINGS environment setting.
struct Timings {
    int allocPauseMs = 2000;
    int replyLimitMs = 20000;
    int connectLimitMs = 15000;
};

struct Piece {
    std::string bytes;
    std::string description;
    int jobKind = 0;
    bool awaitReply = false;
    bool lastPiece = false;
};

class SendEngine {
  public:
    // `more`: another notification follows at once, so the host need not be
    // woken for this one alone.
    using Notify = std::function<void(int kind, int code, const std::string& text, bool more)>;

    explicit SendEngine(Notify notify) : notify_(std::move(notify)) {}
    ~SendEngine() { stop(); }
    SendEngine(const SendEngine&) = delete;
    SendEngine& operator=(const SendEngine&) = delete;

    // Starts the thread and returns once it has started.
    void start(const EngineSettings& settings, const Timings& timings);
    // Closes the connection, asks the thread to stop and waits until it has ended.
    void stop();
    // True while the thread runs (it ends by itself when it cannot connect).
    bool running() const { return running_.load(); }
    // True when a thread was started and not yet cleaned up by stop().
    bool hasThread() const { return thread_.joinable(); }
    void handPiece(Piece piece);

  private:
    void run();
    bool openConnection();
    void closeConnection();
    // 1 written, 0 failed (reason in error), -1 no connection.
    int writeBytes(const std::string& bytes, std::string& error);
    // Bytes read into reply_, 0 when none, -1 no connection, -2 read error.
    long readAvailable();
    void dropStaleInput();
    int waitFd() const;
    // Waits up to ms unless a stop is asked; false when stopped.
    bool pause(int ms);
    void report(int kind, int code, const std::string& text, bool more = false) {
        notify_(kind, code, text, more);
    }

    Notify notify_;
    EngineSettings settings_;
    Timings timings_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<bool> stopRequested_{false};

    std::mutex pieceLock_;
    std::condition_variable pieceCv_;
    std::optional<Piece> pending_;

    SerialPort serial_;
    int hostFd_ = -1;
    std::atomic<int> socket_{-1};

    std::string reply_;
    bool waiting_ = false;
    uint64_t sentAtMs_ = 0;
    std::string waitDescription_;
    int waitKind_ = 0;
};

uint64_t steadyMs();

}  // namespace lumavox::nvs
