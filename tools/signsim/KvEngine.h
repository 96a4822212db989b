// The sign side of the frame protocol, for one line with one or more signs.
//
// Frames are looked for in the received bytes; noise and bad frames (wrong
// type, length or check word) are skipped. A good frame addressed to one of the
// signs is answered with the handshake FA FA FA; frames to address 0 are taken
// by every sign silently. A frame that repeats the previous one byte for byte
// (its handshake was lost) is answered again but not applied twice. The data of
// accepted frames is assembled per sign and applied command by command.
//
// A read request is answered, after its handshake, with reply frames cut by the
// sign's own frame size and numbered on from the last reply frame of the
// conversation (from 0 when the request frame itself is the first frame of a
// session or after "End session"). Each reply frame waits for its
// acknowledgement and is sent again when none comes in time.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ConversationLog.h"
#include "SignCommands.h"
#include "SignProtocol.h"
#include "SignShow.h"
#include "SignState.h"
#include "SimOptions.h"

namespace lumavox::sim {

struct SimSign {
    SignState state;
    SignStore store;
    std::vector<uint8_t> pending;    // assembled payload bytes not yet applied
    std::vector<uint8_t> lastFrame;  // for recognising a repeated frame
};

class KvEngine final : public SignProtocol {
  public:
    KvEngine(const SimOptions& options, std::vector<SimSign>& signs, ConversationLog& log);

    void connected(uint64_t nowMs) override;
    void feed(std::span<const uint8_t> bytes, uint64_t nowMs) override;
    void tick(uint64_t nowMs) override;
    std::optional<uint64_t> nextDeadline() const override;
    std::vector<uint8_t> takeOutput(uint64_t nowMs) override;
    bool wantsClose() const override { return wantsClose_; }
    // Told whenever what a sign holds or shows has changed.
    void setDisplay(SignDisplay* display) { display_ = display; }

  private:
    struct Outgoing {
        uint64_t due;
        std::vector<uint8_t> bytes;
    };
    struct Reply {
        uint8_t address = 0;
        std::vector<std::vector<uint8_t>> frames;
        size_t index = 0;
        int sends = 0;  // sends of the current frame
        bool repeated = false;
        uint64_t ackDeadline = 0;
    };

    void process(uint64_t now);
    bool takeAck();
    void handleFrame(std::span<const uint8_t> whole, uint64_t now);
    void applyPending(SimSign& sign, bool answer, uint64_t now);
    void startReply(uint8_t address, const std::vector<uint8_t>& data, uint64_t now);
    void sendReplyFrame(uint64_t now, bool first);
    void queue(std::vector<uint8_t> bytes, uint64_t now);
    void saveSign(SimSign& sign, uint64_t now);

    const SimOptions& options_;
    std::vector<SimSign>& signs_;
    ConversationLog& log_;
    SignIdentity identity_;
    std::vector<uint8_t> input_;
    std::deque<Outgoing> output_;
    std::optional<Reply> reply_;
    uint8_t replySequence_ = 0;
    int framesReceived_ = 0;
    int framesSeen_ = 0;  // received plus reply frames sent
    int dropsLeft_ = 0;
    bool corruptLeft_ = false;
    bool wantsClose_ = false;
    SignDisplay* display_ = nullptr;
};

}  // namespace lumavox::sim
