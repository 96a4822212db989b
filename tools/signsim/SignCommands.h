// The payload codes a sign understands: applying the commands that change what
// it holds, and answering the read requests.
//
// Payloads arrive split into frames, so commands are taken from the front of
// the sign's pending bytes one at a time; a command whose bytes are not all
// there yet waits for the next frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "SignState.h"

namespace lumavox::sim {

struct SignIdentity {
    std::string model;
    std::string serial;
    uint8_t config = 0;
};

// Memory sizes the sign reports against.
constexpr size_t kTextMemory = 65536;
constexpr size_t kGraphicMemory = 16384;

struct CommandResult {
    enum Status { Done, NeedMore, Bad } status = NeedMore;
    size_t consumed = 0;
    uint8_t code = 0;
    std::string error;                          // for Bad
    std::optional<std::vector<uint8_t>> reply;  // the reply data R of a read request
    bool changed = false;                       // the state changed (store it)
    bool endSession = false;                    // "z" alone
};

// Takes the next command from `pending` and applies it to `state`.
CommandResult applyNextCommand(SignState& state, std::span<const uint8_t> pending,
                               const SignIdentity& identity);

// A short English name of a payload code, for the conversation log; "" for
// bytes that are no code.
const char* commandName(uint8_t code);

}  // namespace lumavox::sim
