#include "KvEngine.h"

#include <algorithm>
#include <cstdio>

#include "SignFrame.h"

namespace lumavox::sim {

namespace {

// Commands never legitimately span more than one body (a 16-bit length) plus
// a few option bytes; more pending bytes than this is a broken payload.
constexpr size_t kMaxPending = 70000;
// Received bytes kept while no frame or acknowledgement can be found in them.
constexpr size_t kMaxIdleInput = 4 * frame::kMaxBytes;

}  // namespace

KvEngine::KvEngine(const SimOptions& options, std::vector<SimSign>& signs, ConversationLog& log)
    : options_(options), signs_(signs), log_(log) {
    identity_.model = options.model;
    identity_.serial = options.serial;
    identity_.config = options.config;
    dropsLeft_ = options.dropHandshake;
    corruptLeft_ = options.corruptReply;
}

void KvEngine::connected(uint64_t) {
    input_.clear();
    output_.clear();
    reply_.reset();
    replySequence_ = 0;
    wantsClose_ = false;
    for (auto& s : signs_) {
        s.pending.clear();
        s.lastFrame.clear();
    }
}

void KvEngine::feed(std::span<const uint8_t> bytes, uint64_t now) {
    input_.insert(input_.end(), bytes.begin(), bytes.end());
    process(now);
}

void KvEngine::queue(std::vector<uint8_t> bytes, uint64_t now) {
    output_.push_back({now + static_cast<uint64_t>(options_.delayMs), std::move(bytes)});
}

std::vector<uint8_t> KvEngine::takeOutput(uint64_t now) {
    std::vector<uint8_t> out;
    while (!output_.empty() && output_.front().due <= now) {
        auto& b = output_.front().bytes;
        out.insert(out.end(), b.begin(), b.end());
        output_.pop_front();
    }
    return out;
}

std::optional<uint64_t> KvEngine::nextDeadline() const {
    std::optional<uint64_t> d;
    if (!output_.empty()) d = output_.front().due;
    if (reply_) d = d ? std::min(*d, reply_->ackDeadline) : reply_->ackDeadline;
    return d;
}

bool KvEngine::takeAck() {
    for (size_t i = 0; i + 3 <= input_.size(); ++i) {
        if (input_[i] == frame::kHandshakeByte && input_[i + 1] == frame::kHandshakeByte &&
            input_[i + 2] == frame::kHandshakeByte) {
            input_.erase(input_.begin(), input_.begin() + static_cast<ptrdiff_t>(i + 3));
            return true;
        }
    }
    return false;
}

void KvEngine::process(uint64_t now) {
    for (;;) {
        if (wantsClose_) return;
        if (reply_) {
            if (takeAck()) {
                log_.bare(now, "rx", "ack", frame::kHandshake);
                Reply& r = *reply_;
                r.sends = 0;
                if (options_.repeatReply && !r.repeated && r.index + 1 < r.frames.size()) {
                    r.repeated = true;  // as a sign that missed the acknowledgement
                    sendReplyFrame(now, false);
                } else {
                    ++r.index;
                    r.repeated = false;
                    if (r.index < r.frames.size())
                        sendReplyFrame(now, true);
                    else
                        reply_.reset();
                }
                continue;
            }
            // The editor has moved on when a whole new frame arrives instead.
            if (findFrame(input_).found != FrameFound::Frame) {
                if (input_.size() > kMaxIdleInput) input_.erase(input_.begin(), input_.end() - 2);
                return;
            }
            log_.note(now, "reply abandoned: a new frame arrived before the acknowledgement");
            reply_.reset();
        }
        FrameSearch r = findFrame(input_);
        switch (r.found) {
            case FrameFound::NeedMore:
                if (r.start >= input_.size()) {
                    // No start marker: keep only what may be the beginning of one.
                    size_t keep = std::min<size_t>(input_.size(), frame::kStart.size() - 1);
                    input_.erase(input_.begin(), input_.end() - static_cast<ptrdiff_t>(keep));
                } else {
                    input_.erase(input_.begin(), input_.begin() + static_cast<ptrdiff_t>(r.start));
                }
                return;
            case FrameFound::BadType:
            case FrameFound::BadLength:
            case FrameFound::BadCheck: {
                const char* why = r.found == FrameFound::BadType     ? "frame type"
                                  : r.found == FrameFound::BadLength ? "frame length"
                                                                     : "check word";
                log_.note(now, std::string("bad frame skipped: ") + why);
                input_.erase(input_.begin(), input_.begin() + static_cast<ptrdiff_t>(r.start + 1));
                continue;
            }
            case FrameFound::Frame: {
                std::vector<uint8_t> whole(input_.begin() + static_cast<ptrdiff_t>(r.start),
                                           input_.begin() + static_cast<ptrdiff_t>(r.end));
                input_.erase(input_.begin(), input_.begin() + static_cast<ptrdiff_t>(r.end));
                handleFrame(whole, now);
                continue;
            }
        }
    }
}

void KvEngine::handleFrame(std::span<const uint8_t> whole, uint64_t now) {
    FrameView f = viewFrame(whole);
    ++framesReceived_;
    ++framesSeen_;

    SimSign* sign = nullptr;
    for (auto& s : signs_)
        if (s.state.address == f.address) {
            sign = &s;
            break;
        }
    const SimSign* logSign = f.address == 0 && !signs_.empty() ? &signs_.front() : sign;
    std::string code;
    const char* command = "";
    if (logSign && logSign->pending.empty() && !f.data.empty()) {
        code = std::string(1, static_cast<char>(f.data[0]));
        command = commandName(f.data[0]);
    }
    log_.frame(now, "rx", whole, f.address, f.sequence, code, command);

    if (options_.closeAfter > 0 && framesReceived_ >= options_.closeAfter) {
        log_.note(now, "closing the connection (--close-after)");
        wantsClose_ = true;
        return;
    }
    if (options_.stallAfter > 0 && framesSeen_ > options_.stallAfter) {
        log_.note(now, "stalled: frame ignored (--stall-after)");
        return;
    }
    if (f.address == frame::kBroadcast) {
        for (auto& s : signs_) {
            s.pending.insert(s.pending.end(), f.data.begin(), f.data.end());
            applyPending(s, false, now);
        }
        return;
    }
    if (!sign) return;  // another sign's frame
    if (dropsLeft_ > 0) {
        --dropsLeft_;
        log_.note(now, "frame ignored (--drop-handshake)");
        return;
    }
    if (sign->lastFrame.size() == whole.size() &&
        std::equal(whole.begin(), whole.end(), sign->lastFrame.begin())) {
        queue(std::vector<uint8_t>(frame::kHandshake.begin(), frame::kHandshake.end()), now);
        log_.bare(now, "tx", "handshake", frame::kHandshake);
        log_.note(now, "repeated frame: answered, not applied again");
        return;
    }
    sign->lastFrame.assign(whole.begin(), whole.end());
    queue(std::vector<uint8_t>(frame::kHandshake.begin(), frame::kHandshake.end()), now);
    log_.bare(now, "tx", "handshake", frame::kHandshake);
    if (f.sequence == 0) replySequence_ = 0;  // a new session
    sign->pending.insert(sign->pending.end(), f.data.begin(), f.data.end());
    applyPending(*sign, true, now);
}

void KvEngine::applyPending(SimSign& sign, bool answer, uint64_t now) {
    std::string who = "sign " + std::to_string(sign.state.address) + ": ";
    if (sign.pending.size() > kMaxPending) {
        log_.note(now, who + "payload too long, " + std::to_string(sign.pending.size()) +
                           " bytes dropped");
        sign.pending.clear();
        return;
    }
    bool changed = false;
    while (!sign.pending.empty()) {
        CommandResult r = applyNextCommand(sign.state, sign.pending, identity_);
        if (r.status == CommandResult::NeedMore) break;
        if (r.status == CommandResult::Bad) {
            char code[8];
            std::snprintf(code, sizeof code, "0x%02X", r.code);
            log_.note(now, who + "bad payload at code " + code + " (" + r.error + "), " +
                               std::to_string(sign.pending.size()) + " bytes dropped");
            sign.pending.clear();
            break;
        }
        sign.pending.erase(sign.pending.begin(),
                           sign.pending.begin() + static_cast<ptrdiff_t>(r.consumed));
        log_.note(now, who + commandName(r.code));
        changed = changed || r.changed;
        if (r.endSession) {
            replySequence_ = 0;
            sign.lastFrame.clear();
        }
        if (r.reply && answer) startReply(sign.state.address, *r.reply, now);
    }
    if (changed) saveSign(sign, now);
    if (changed && display_)
        display_->update(sign.state, now, static_cast<size_t>(&sign - signs_.data()));
}

void KvEngine::saveSign(SimSign& sign, uint64_t now) {
    std::string error;
    if (!sign.store.save(sign.state, error)) {
        log_.note(now, "store: " + error);
        std::fprintf(stderr, "signsim: store: %s\n", error.c_str());
    }
}

void KvEngine::startReply(uint8_t address, const std::vector<uint8_t>& data, uint64_t now) {
    if (reply_) log_.note(now, "previous reply abandoned for a new request");
    Reply r;
    r.address = address;
    const size_t limit = options_.frameSize >= 1 && size_t(options_.frameSize) <= frame::kMaxData
                             ? size_t(options_.frameSize)
                             : frame::kMaxData;
    for (size_t pos = 0; pos < data.size(); pos += limit) {
        std::span<const uint8_t> piece(data.data() + pos, std::min(limit, data.size() - pos));
        r.frames.push_back(makeFrame(address, replySequence_++, piece));
    }
    reply_ = std::move(r);
    sendReplyFrame(now, true);
}

void KvEngine::sendReplyFrame(uint64_t now, bool first) {
    Reply& r = *reply_;
    if (first) {
        if (options_.stallAfter > 0 && framesSeen_ >= options_.stallAfter) {
            log_.note(now, "stalled: reply stopped (--stall-after)");
            reply_.reset();
            return;
        }
        ++framesSeen_;
    }
    std::vector<uint8_t> bytes = r.frames[r.index];
    if (corruptLeft_) {
        corruptLeft_ = false;
        bytes[bytes.size() - 2] ^= 0xFF;
        log_.note(now, "reply frame sent with a wrong check word (--corrupt-reply)");
    }
    FrameView f = viewFrame(bytes);
    log_.frame(now, "tx", bytes, f.address, f.sequence,
               r.index == 0 ? std::string(1, char(f.data[0])) : "",
               r.index == 0 ? commandName(f.data[0]) : "");
    ++r.sends;
    queue(std::move(bytes), now);
    r.ackDeadline = now + static_cast<uint64_t>(options_.delayMs + options_.ackTimeoutMs);
}

void KvEngine::tick(uint64_t now) {
    if (!reply_ || now < reply_->ackDeadline) return;
    if (reply_->sends < options_.replyAttempts) {
        log_.note(now, "no acknowledgement: reply frame sent again");
        sendReplyFrame(now, false);
    } else {
        log_.note(now, "no acknowledgement: reply abandoned");
        reply_.reset();
    }
}

}  // namespace lumavox::sim
