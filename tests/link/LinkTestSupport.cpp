#include "LinkTestSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "../../bench/Loopback.h"
#include "../support/TiedChild.h"
#include "platform/ByteIo.h"
#include "protocol/Frame.h"

namespace lumavox::test {

namespace {

uint64_t nowMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

int freeLoopbackPort() {
    return bench::freePort();
}

HeldPort::HeldPort() {
    fd_ = bench::listenLoopback(port_);
}

HeldPort::~HeldPort() {
    ::close(fd_);
}

pid_t spawnChild(const std::string& exe, const std::vector<std::string>& args, int& outFd,
                 int* errFd) {
    int out[2], err[2] = {-1, -1};
    if (::pipe2(out, O_CLOEXEC) != 0) return -1;
    if (errFd && ::pipe2(err, O_CLOEXEC) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return -1;
    }
    const pid_t parent = ::getpid();
    pid_t pid = ::fork();
    if (pid == 0) {
        tieToStartingProcess(parent);
        ::dup2(out[1], 1);
        int errTo = errFd ? err[1] : ::open("/dev/null", O_WRONLY);
        if (errTo >= 0) ::dup2(errTo, 2);
        std::string path = exe;
        std::vector<std::string> copy = args;
        std::vector<char*> argv{path.data()};
        for (auto& a : copy)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(path.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    outFd = out[0];
    if (errFd) {
        ::close(err[1]);
        *errFd = err[0];
    }
    return pid;
}

int reapChild(pid_t pid, int waitMs) {
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

int stopChild(pid_t pid) {
    ::kill(pid, SIGTERM);
    int status = reapChild(pid, 3000);
    if (status != -2) return status;
    ::kill(pid, SIGKILL);
    reapChild(pid, 3000);
    return -1;
}

int finishChild(pid_t pid) {
    int status = reapChild(pid, 5000);
    if (status == -2) {
        ::kill(pid, SIGKILL);
        reapChild(pid, 3000);
    }
    return status;
}

std::string firstLine(int fd) {
    std::string line;
    uint64_t end = nowMs() + 10000;
    while (nowMs() < end) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        char c;
        if (::read(fd, &c, 1) != 1 || c == '\n') break;
        line += c;
    }
    return line;
}

PtyPair::PtyPair() {
    master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0) slave = ::ptsname(master);
}

PtyPair::~PtyPair() {
    if (master >= 0) ::close(master);
}

void PtyPair::write(std::span<const uint8_t> bytes) const {
    (void)!::write(master, bytes.data(), bytes.size());
}

std::vector<uint8_t> PtyPair::read(size_t max, int waitMs) const {
    std::vector<uint8_t> got;
    uint64_t end = nowMs() + static_cast<uint64_t>(waitMs);
    while (got.size() < max) {
        uint64_t now = nowMs();
        if (now >= end) break;
        pollfd p{master, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(end - now)) <= 0) break;
        uint8_t buf[4096];
        ssize_t n = ::read(master, buf, std::min(sizeof buf, max - got.size()));
        if (n <= 0) break;
        got.insert(got.end(), buf, buf + n);
    }
    return got;
}

std::string Signsim::path() {
    return LUMAVOX_SIGNSIM_PATH;
}

Signsim::Signsim(std::vector<std::string> args) {
    pid_ = spawnChild(path(), args, out_, nullptr);
    if (pid_ < 0) return;
    std::string line = firstLine(out_);
    if (line.rfind("LISTEN ", 0) == 0) listen_ = line;
}

Signsim::~Signsim() {
    stop();
}

int Signsim::stop() {
    int status = -1;
    if (pid_ > 0) status = stopChild(pid_);
    pid_ = -1;
    if (out_ >= 0) ::close(out_);
    out_ = -1;
    return status;
}

int Signsim::port() const {
    auto colon = listen_.rfind(':');
    return colon == std::string::npos ? -1 : std::atoi(listen_.c_str() + colon + 1);
}

std::string Signsim::ptyPath() const {
    const std::string prefix = "LISTEN pty ";
    return listen_.rfind(prefix, 0) == 0 ? listen_.substr(prefix.size()) : "";
}

int runSignsim(const std::vector<std::string>& args, std::string& err) {
    int out = -1, errFd = -1;
    pid_t pid = spawnChild(Signsim::path(), args, out, &errFd);
    if (pid < 0) return -1;
    int status = finishChild(pid);
    char buf[4096];
    ssize_t n;
    while ((n = ::read(errFd, buf, sizeof buf)) > 0)
        err.append(buf, static_cast<size_t>(n));
    ::close(out);
    ::close(errFd);
    return status;
}

TestReceiver::TestReceiver(CSignLink& link) : link_(link) {
    reception.setAckSender([this] {
        std::string error;
        link_.send(kHandshake, error);
    });
    reception.setFrameObserver([this](std::span<const uint8_t> data) {
        reply.insert(reply.end(), data.begin(), data.end());
        size_t expected = expectedLength ? expectedLength(reply) : 0;
        return expected > 0 && reply.size() >= expected;
    });
}

void TestReceiver::onLinkBytes(std::span<const uint8_t> bytes, bool handshakeAwaited) {
    allBytes.insert(allBytes.end(), bytes.begin(), bytes.end());
    reception.receive(bytes, handshakeAwaited);
}

void TestReceiver::pump() {
    ++pumps;
    if (onPump) onPump(pumps);
}

std::vector<uint8_t> bytesOf(const std::string& s) {
    return std::vector<uint8_t>(s.begin(), s.end());
}

std::vector<uint8_t> hexBytes(const std::string& hex) {
    std::vector<uint8_t> out;
    std::string digits;
    for (char c : hex)
        if (!std::isspace(static_cast<unsigned char>(c))) digits += c;
    for (size_t i = 0; i + 1 < digits.size(); i += 2)
        out.push_back(static_cast<uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return out;
}

std::vector<uint8_t> frameOf(std::span<const uint8_t> payload, uint8_t address, uint8_t sequence) {
    std::vector<uint8_t> frame;
    buildFrame(payload, 0, kDefaultFrameSize, address, sequence, frame);
    return frame;
}

int sendAndAwait(CSignLink& link, std::span<const uint8_t> frame, int limitMs, std::string& error) {
    if (!link.send(frame, error)) return -1;
    return link.awaitHandshake(limitMs, error);
}

ReceptionState readReply(CSignLink& link, TestReceiver& rx, std::span<const uint8_t> request,
                         uint8_t address, uint8_t seq, int limitMs,
                         std::function<size_t(const std::vector<uint8_t>&)> expected) {
    rx.reply.clear();
    rx.expectedLength = std::move(expected);
    if (seq == 0) rx.reception.resetSequence();  // a new read operation
    rx.reception.begin();
    std::string error;
    auto frame = frameOf(request, address, seq);
    if (sendAndAwait(link, frame, limitMs, error) != 1) return ReceptionState::Idle;
    uint64_t end = nowMs() + static_cast<uint64_t>(limitMs);
    while (nowMs() < end) {
        auto s = rx.reception.state();
        if (s == ReceptionState::Complete || s == ReceptionState::Failed) break;
        if (!link.poll(error, CSignLink::kPollWaitMs)) break;
    }
    auto state = rx.reception.state();
    if (state == ReceptionState::Complete) rx.reception.markFinished();
    rx.reception.stopReceiving();
    return state;
}

std::vector<uint8_t> textBody(const std::string& name, size_t size) {
    std::vector<uint8_t> b(size, 'x');
    b[0] = 0;
    for (size_t i = 0; i < 8; ++i)
        b[1 + i] = i < name.size() ? static_cast<uint8_t>(name[i]) : 0;
    b[9] = static_cast<uint8_t>(size & 0xFF);
    b[10] = static_cast<uint8_t>(size >> 8);
    const uint8_t stamp[6] = {9, 5, 14, 7, 3, 24};
    std::memcpy(&b[11], stamp, 6);
    b[17] = 0xEF;
    b[size - 3] = 0xEF;
    uint16_t check = invertedSum16(std::span<const uint8_t>(b).first(size - 2));
    b[size - 2] = static_cast<uint8_t>(check & 0xFF);
    b[size - 1] = static_cast<uint8_t>(check >> 8);
    return b;
}

size_t expectedReplyLength(const std::vector<uint8_t>& r) {
    if (r.empty()) return 0;
    switch (r[0]) {
        case 'i':
        case 'y':
            return 9;
        case 'k':
        case 'l':
            return r.size() >= 2 ? 17u * r[1] + 2 : 0;
        case 'o':
            return r.size() >= 2 ? 22u * r[1] + 2 : 0;
        case 'm':
        case 'n':
            return r.size() >= 12 ? static_cast<size_t>(r[10] | (r[11] << 8)) + 1 : 0;
        default:
            return 1;
    }
}

}  // namespace lumavox::test
