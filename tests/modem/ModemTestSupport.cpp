#include "ModemTestSupport.h"

#include <unistd.h>

#include "LinkTestSupport.h"

namespace lumavox::test {

Modemsim::Modemsim(std::vector<std::string> args) {
    args.insert(args.begin(), "--pty");
    pid_ = spawnChild(LUMAVOX_MODEMSIM_PATH, args, out_, nullptr);
    if (pid_ < 0) return;
    const std::string prefix = "LISTEN pty ", line = firstLine(out_);
    if (line.rfind(prefix, 0) == 0) pty_ = line.substr(prefix.size());
}

Modemsim::~Modemsim() {
    if (pid_ > 0) stopChild(pid_);
    if (out_ >= 0) ::close(out_);
}

int runModemsim(const std::vector<std::string>& args) {
    int out = -1;
    pid_t pid = spawnChild(LUMAVOX_MODEMSIM_PATH, args, out, nullptr);
    if (pid < 0) return -1;
    int status = finishChild(pid);
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
