// The configuration dialogue's state on one handle: the reader thread that
// collects the DTU's answers, the outstanding command, the recognised reply
// and the event that tells a waiting caller a reply has settled.
//
// A reply is announced only after 100 ms without further bytes, so a DTU that
// sends its answer in pieces is heard out.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "ByteRing.h"
#include "ConfigText.h"
#include "DtuPort.h"

namespace lumavox::gateway {

class ConfigSession {
  public:
    static constexpr size_t kCollectSize = 3072;
    static constexpr int kQuietMs = 100;

    ConfigSession() = default;
    ~ConfigSession() { stopReader(); }
    ConfigSession(const ConfigSession&) = delete;
    ConfigSession& operator=(const ConfigSession&) = delete;

    bool active() const { return active_; }
    void setActive(bool on) { active_ = on; }

    // Starts the reader on the port (which must stay alive until stopReader).
    void startReader(DtuPort& port);
    // Stops the reader and waits for it to end.
    void stopReader();
    bool readerRunning() const { return reader_.joinable(); }

    // Clears the reply, makes cmd the outstanding command and writes it. False
    // when the command is too long (nothing is sent) or the write failed.
    bool sendCommand(DtuPort& port, std::string_view cmd);
    // Waits up to timeoutMs for the reply event, then judges the settled
    // reply: wanting "OK", it must contain it (and is then consumed);
    // otherwise any reply will do.
    bool waitReply(bool wantOk, int timeoutMs);
    std::string reply() const;
    void setListMode(bool on);

    ConfigList& list() { return list_; }

  private:
    void readerLoop(DtuPort* port);

    std::atomic<bool> active_{false};
    std::thread reader_;
    std::atomic<bool> stop_{false};

    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::string command_;
    std::string reply_;
    bool event_ = false;
    bool listMode_ = false;

    ByteRing collected_;
    ConfigList list_;
};

}  // namespace lumavox::gateway
