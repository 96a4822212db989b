// One control instance: its content, geometry and connection settings, the two
// job queues, the send engine, and the queue of notifications and events that
// the host drains on its own thread.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

#include "SendEngine.h"
#include "SignContent.h"
#include "platform/Clock.h"

namespace lumavox::nvs {

struct SendJob {
    uint32_t sequence = 0;
    int kind = 0;
    std::string bytes;
    std::string description;
    bool replyExpected = false;
    size_t bytesSent = 0;
};

struct EventHandlers {
    void (*onResult)(void* user, int16_t eventId, int16_t result, const char* text) = nullptr;
    void (*onPrompt)(void* user, const char* text) = nullptr;
    void (*onProgress)(void* user, int16_t type, int32_t step) = nullptr;
    void* user = nullptr;
};

class CNVSOCXCtrl {
  public:
    CNVSOCXCtrl();
    ~CNVSOCXCtrl();
    CNVSOCXCtrl(const CNVSOCXCtrl&) = delete;
    CNVSOCXCtrl& operator=(const CNVSOCXCtrl&) = delete;

    bool valid() const { return eventFd_ >= 0; }
    SignContent& content() { return content_; }
    const SignContent& content() const { return content_; }

    int16_t SetSignInfo(int32_t w, int32_t h, int32_t colour) {
        return content_.setSignInfo(w, h, colour) ? 1 : 0;
    }
    int16_t SetCommuMode(int16_t mode);
    int16_t SetIPAndPort(const char* ip, int32_t port);
    int16_t SetComport(int16_t comport);
    int16_t SetBaudRate(int32_t baud);
    int16_t StartSend(int32_t handle);
    int16_t StopSend();
    int16_t IsInSending();
    int16_t HasStartSendThread() { return engine_.running() ? 1 : 0; }

    int16_t ClearSignMemory(const char* address, int16_t atOnce);
    int16_t SendFiles(const char* address, int16_t clear, int16_t atOnce);
    int16_t AdjustTime(const char* address, int16_t atOnce);
    int16_t ChangeSignAddress(int32_t oldAddress, int32_t newAddress);
    int16_t TurnPowerOn(const char* address);
    int16_t TurnPowerOff(const char* address);
    int16_t SetRunSequence(const char* address, const char* sequence, int16_t atOnce);

    void setEventHandlers(const EventHandlers& h);
    // Raises the events that wait, on the calling thread. Returns how many
    // notifications and events were handled.
    int dispatchEvents();
    int eventFd() const { return eventFd_; }

    // For tests: the clock AdjustTime reads, and the job queues.
    void setClock(const Clock* clock) { clock_ = clock; }
    size_t buildingJobs();
    size_t sendingJobs();
    std::deque<SendJob> buildingQueue();
    const Timings& timings() const { return timings_; }

  private:
    struct Message {
        enum Type { Notify, Result, Prompt, Progress } type;
        int16_t a = 0;  // kind / event id / progress type
        int32_t b = 0;  // code / result / step
        std::string text;
    };
    // Queues m for the host's dispatch; `more` holds the wake-up back for the
    // notification that follows at once.
    void post(Message m, bool more = false);
    void notifyFromThread(int kind, int code, const std::string& text, bool more);
    void windowProc(const Message& m);
    void raiseResult(int16_t id, int16_t result, const std::string& text);
    void raisePrompt(const std::string& text);
    void raiseProgress(int16_t type, int32_t step);

    int16_t queueCommand(const char* address, int kind, const std::string& command,
                         const char* description, bool atOnce);
    std::string describe(const char* fmt, const std::string& a, const std::string& b) const;
    void startTransmission();
    void handNextPiece();
    void endTransmission();

    SignContent content_;
    int commuMode_ = kOwnSerial;
    int comport_ = 1;
    int32_t baud_ = 9600;
    std::string ip_;
    int32_t port_ = 0;
    int hostFd_ = -1;
    Timings timings_;
    const Clock* clock_ = &SystemClock::instance();

    SendEngine engine_;

    std::mutex jobsLock_;
    std::deque<SendJob> building_;
    std::deque<SendJob> sending_;
    size_t current_ = 0;  // index of the job in sending_ whose pieces go out
    uint32_t nextSequence_ = 1;
    std::string currentAddress_;

    std::mutex messagesLock_;
    std::deque<Message> messages_;
    bool heldWake_ = false;  // a message went into an empty queue without a wake-up
    int eventFd_ = -1;
    EventHandlers handlers_;
};

// Reads the shortened waits from NVSOCX_TEST_TIMINGS ("pause,reply,connect" in
// milliseconds); the working values otherwise.
Timings timingsFromEnvironment();

}  // namespace lumavox::nvs
