// Helpers of the control's tests: events recorded as a host receives them, a
// host loop that dispatches them, and a control with shortened waits.
#pragma once

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "NVSOCX.h"

namespace lumavox::nvstest {

struct Event {
    char type;  // 'r' result, 'p' prompt, 'g' progress
    int id = 0;
    int32_t value = 0;
    std::string text;
};

struct Recorder {
    std::vector<Event> events;
    static void onResult(void* u, int16_t id, int16_t r, const char* t) {
        static_cast<Recorder*>(u)->events.push_back({'r', id, r, t ? t : ""});
    }
    static void onPrompt(void* u, const char* t) {
        static_cast<Recorder*>(u)->events.push_back({'p', 0, 0, t ? t : ""});
    }
    static void onProgress(void* u, int16_t type, int32_t step) {
        static_cast<Recorder*>(u)->events.push_back({'g', type, step, {}});
    }
    const Event* result(int id) const {
        for (const auto& e : events)
            if (e.type == 'r' && e.id == id) return &e;
        return nullptr;
    }
    bool finished() const {
        for (const auto& e : events)
            if (e.type == 'r' && (e.id == 100 || e.id == 3 || (e.id == 2 && e.value != 1) ||
                                  (e.id == 1 && e.value == 0)))
                return true;
        return false;
    }
    std::string dump() const {
        std::ostringstream s;
        for (const auto& e : events)
            s << e.type << " " << e.id << " " << e.value << " " << e.text << "\n";
        return s.str();
    }
};

inline uint64_t nowMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// Dispatches events as a host's loop would until `done` or the limit.
inline bool pumpUntil(NVSOCX_Handle h, const std::function<bool()>& done, int limitMs = 20000) {
    uint64_t end = nowMs() + static_cast<uint64_t>(limitMs);
    while (!done()) {
        if (nowMs() >= end) return false;
        pollfd p{NVSOCX_EventFd(h), POLLIN, 0};
        ::poll(&p, 1, 10);
        NVSOCX_DispatchEvents(h);
    }
    return true;
}

// A control with recorded events and shortened waits.
struct Control {
    NVSOCX_Handle h = nullptr;
    Recorder rec;
    explicit Control(const char* timings = "20,5000,2000") {
        ::setenv("NVSOCX_TEST_TIMINGS", timings, 1);
        h = NVSOCX_Create();
        NVSOCX_SetEventHandlers(h, &Recorder::onResult, &Recorder::onPrompt, &Recorder::onProgress,
                                &rec);
    }
    ~Control() { NVSOCX_Destroy(h); }
    void tcp(int port) {
        NVSOCX_SetCommuMode(h, 2);
        NVSOCX_SetIPAndPort(h, "127.0.0.1", port);
    }
    bool connect() {
        if (NVSOCX_StartSend(h, -1) != 1) return false;
        pumpUntil(h, [&] { return rec.result(1) != nullptr; });
        return rec.result(1) && rec.result(1)->value == 1;
    }
    bool runToEnd(int limitMs = 20000) {
        return pumpUntil(
            h, [&] { return rec.finished(); }, limitMs);
    }
};

inline std::string tempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            ("nvsocx-" + std::to_string(::getpid()) + "-" + name))
        .string();
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline bool waitForLog(const std::string& path, const std::string& needle, int limitMs = 5000) {
    uint64_t end = nowMs() + static_cast<uint64_t>(limitMs);
    while (nowMs() < end) {
        if (readFile(path).find(needle) != std::string::npos) return true;
        ::poll(nullptr, 0, 10);
    }
    return false;
}

}  // namespace lumavox::nvstest
