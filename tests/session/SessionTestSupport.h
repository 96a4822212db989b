// Helpers of the session tests: a host that records what the dialog would
// show, the demonstration document, and a configuration for a signsim on
// loopback TCP.
#pragma once

#include <string>
#include <vector>

#include "LinkTestSupport.h"
#include "content/Model.h"
#include "session/SendSession.h"

namespace lumavox::test {

class RecordingHost : public SessionHost {
  public:
    void status(const std::string& t) override { statuses.push_back(t); }
    void progressRange(int low, int high) override {
        progressLow = low;
        progressHigh = high;
    }
    void progressPosition(int position) override { progressAt = position; }
    // Kept as "Title: text".
    void message(const std::string& t, Icon icon) override {
        boxes.push_back(promptTitle(icon) + ": " + t);
    }
    bool askYesNo(const std::string& t, Icon) override {
        questions.push_back(t);
        return answer;
    }
    void fileList(const std::vector<FileEntry>& f) override { listed = f.size(); }
    void pump() override {
        ++pumps;
        if (cancelAfterPumps > 0 && pumps >= cancelAfterPumps) cancel = true;
    }
    bool cancelRequested() const override { return cancel; }
    bool sawStatus(const std::string& s) const;

    std::vector<std::string> statuses, boxes, questions;
    bool answer = true;
    bool cancel = false;
    int pumps = 0;
    int cancelAfterPumps = 0;
    size_t listed = 0;
    int progressLow = 0, progressHigh = 0, progressAt = 0;
};

// The document of `lumavox-cli demo`.
WorkArea demoDocument();

// Serial-free configuration: the group "G" of 127.0.0.1 at the signsim's port,
// the address list given, no connection dialog, no settle pauses.
SessionConfig tcpConfig(const Signsim& sim, const std::string& addresses);

}  // namespace lumavox::test
