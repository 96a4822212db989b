// The sign side of the control's text command language.
//
// A conversation opens with "^B" and the sign addresses (hex, separated by
// commas) and closes with "^C". In between come commands "^A" ... "^D", each
// followed by four hex digits: the sum of its bytes from "^A" to "^D" (signed
// bytes for the fixed-pattern commands CCM, CSR, CSA, CPO and CPF, unsigned for
// the others). Inside a command "^^" stands for one caret.
//
// Every sign on the line that is addressed (or all of them for address 0)
// applies the commands to its state. A text file body whose "^F", "^E" or "^O"
// is not followed by a tag the sign knows is refused with "unknown command
// code" (NvsTags.h). The conversation is answered, after "^C",
// only when it names exactly one non-zero address and that sign is on this
// line: "ok" or the first error met, followed by CR LF.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ConversationLog.h"
#include "SignProtocol.h"
#include "SimOptions.h"

namespace lumavox::sim {

struct NvsFile {
    bool text = true;              // allocated with CSM (text) or CFM (disk file)
    size_t allocated = 0;          // announced body length
    std::string body;              // the body as received (text files: as sent)
    std::vector<uint8_t> decoded;  // disk files: the Base64-decoded bytes
    bool written = false;
};

struct NvsSignState {
    uint8_t address = 1;
    std::map<std::string, NvsFile> files;  // by lower-case name
    std::vector<std::string> runSequence;
    std::string date;  // MMDDYYYYX as received
    std::string time;  // HHMMSS as received
    bool powerOn = true;
    size_t memoryUsed() const;
};

class SignDisplay;

class NvsEngine final : public SignProtocol {
  public:
    // Memory of each sign, for "not enough memory".
    static constexpr size_t kMemoryBytes = size_t{64} << 20;
    // Longest command accepted; longer ones are dropped with "unknown error".
    static constexpr size_t kMaxCommandBytes = size_t{32} << 20;

    NvsEngine(const SimOptions& options, ConversationLog& log);

    void connected(uint64_t nowMs) override;
    void feed(std::span<const uint8_t> bytes, uint64_t nowMs) override;
    void tick(uint64_t) override {}
    std::optional<uint64_t> nextDeadline() const override;
    std::vector<uint8_t> takeOutput(uint64_t nowMs) override;
    bool wantsClose() const override { return false; }

    const std::vector<NvsSignState>& signs() const { return signs_; }
    // Shown anew after every conversation that changed a sign.
    void setDisplay(SignDisplay* display) { display_ = display; }

  private:
    enum class Stage { Idle, Addresses, Between, Command, Checksum };
    void startConversation();
    void endConversation(uint64_t nowMs);
    void finishCommand(uint64_t nowMs);
    // Applies one verified command to a sign; returns an error word or "".
    std::string apply(NvsSignState& sign, const std::string& command, uint64_t nowMs);
    void error(const std::string& word);
    void note(uint64_t ms, const std::string& text) { log_.note(ms, "nvs " + text); }

    const SimOptions& options_;
    ConversationLog& log_;
    std::vector<NvsSignState> signs_;

    Stage stage_ = Stage::Idle;
    bool caret_ = false;  // the previous byte was an unpaired '^'
    std::string addresses_;
    std::string command_;  // from "^A" to "^D" inclusive
    std::string checksum_;
    bool overflow_ = false;
    std::vector<uint8_t> targets_;  // indexes into signs_ of the addressed signs
    std::vector<bool> changed_;     // by index into signs_: changed in this conversation
    SignDisplay* display_ = nullptr;
    bool replyDue_ = false;
    std::string firstError_;
    uint64_t now_ = 0;

    std::deque<std::pair<uint64_t, std::string>> out_;
};

bool nvsChecksumSigned(std::string_view code);
std::optional<std::vector<uint8_t>> decodeBase64(std::string_view text);

}  // namespace lumavox::sim
