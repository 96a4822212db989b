#include "ModemTestSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

namespace lumavox::test {

namespace {

uint64_t nowMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

pid_t spawn(const std::vector<std::string>& args, int& outFd) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return -1;
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], 1);
        int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) ::dup2(null, 2);
        std::vector<std::string> copy = args;
        std::string exe = LUMAVOX_MODEMSIM_PATH;
        std::vector<char*> argv{exe.data()};
        for (auto& a : copy)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(exe.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    outFd = out[0];
    return pid;
}

int reap(pid_t pid, int waitMs) {
    uint64_t end = nowMs() + static_cast<uint64_t>(waitMs);
    for (;;) {
        int status = 0;
        pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (r < 0) return -1;
        if (nowMs() >= end) return -2;
        ::poll(nullptr, 0, 5);
    }
}

}  // namespace

Modemsim::Modemsim(std::vector<std::string> args) {
    args.insert(args.begin(), "--pty");
    pid_ = spawn(args, out_);
    if (pid_ < 0) return;
    std::string line;
    uint64_t end = nowMs() + 10000;
    while (nowMs() < end) {
        pollfd p{out_, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        char c;
        if (::read(out_, &c, 1) != 1) break;
        if (c == '\n') break;
        line += c;
    }
    const std::string prefix = "LISTEN pty ";
    if (line.rfind(prefix, 0) == 0) pty_ = line.substr(prefix.size());
}

Modemsim::~Modemsim() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        if (reap(pid_, 3000) == -2) {
            ::kill(pid_, SIGKILL);
            reap(pid_, 3000);
        }
    }
    if (out_ >= 0) ::close(out_);
}

int runModemsim(const std::vector<std::string>& args) {
    int out = -1;
    pid_t pid = spawn(args, out);
    if (pid < 0) return -1;
    int status = reap(pid, 5000);
    if (status == -2) {
        ::kill(pid, SIGKILL);
        reap(pid, 3000);
    }
    ::close(out);
    return status;
}

bool RecordingModemHost::sawStatus(const std::string& s) const {
    for (const auto& x : statuses)
        if (x.find(s) != std::string::npos) return true;
    return false;
}

ModemTarget comTwelve() {
    ModemTarget t;
    t.model = "GSM";
    t.comPort = 12;
    t.baud = 9600;
    return t;
}

ModemTimings quickTimings() {
    ModemTimings t;
    t.guardBeforeMs = 120;
    t.guardAfterMs = 150;
    t.connectedPauseMs = 20;
    t.dialLimitMs = 5000;
    return t;
}

}  // namespace lumavox::test
