// What one virtual sign holds, and the folder that keeps it across restarts.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace lumavox::sim {

using SignName = std::array<uint8_t, 8>;  // NUL-padded

struct StoredFile {
    SignName name{};
    std::vector<uint8_t> body;  // exactly as received: header, data, check word
};

struct SignState {
    uint8_t address = 1;
    std::vector<StoredFile> texts;     // in arrival order; a new body replaces the old one
    std::vector<StoredFile> graphics;  // the same
    std::vector<std::array<uint8_t, 22>> tasks;
    SignName defaultFile{};
    std::array<uint8_t, 6> autoOnOff{};  // on flag, hour, minute, off flag, hour, minute
    std::array<uint8_t, 6> clock{};      // the last time set: s, m, h, day, month, year-2000
    bool clockSet = false;
    bool displayOn = true;
    bool testActive = false;
    uint8_t baudIndex = 3;
    unsigned sessionsEnded = 0;

    // Replaces or appends a file by name.
    static void put(std::vector<StoredFile>& list, const StoredFile& file);
    static const StoredFile* find(const std::vector<StoredFile>& list, const SignName& name);
};

// The name field as text (up to the first NUL).
std::string nameText(const SignName& name);

// Keeps one sign's state in a folder:
//   state.txt        key=value lines (address, display, baud, default, auto, clock, order)
//   schedule.bin     the task records, 22 bytes each
//   text/<hex>.bin   text bodies; graphic/<hex>.bin graphic bodies (hex of the name)
// Every file is written atomically. Without a folder nothing is stored.
class SignStore {
  public:
    SignStore() = default;
    explicit SignStore(std::filesystem::path dir) : dir_(std::move(dir)) {}
    bool enabled() const { return !dir_.empty(); }

    // Loads what the folder holds into `state` (a missing folder is an empty
    // sign). Unreadable or malformed entries are skipped with a note in `notes`.
    bool load(SignState& state, std::vector<std::string>& notes, std::string& error) const;
    // Writes everything; false with the reason on failure.
    bool save(const SignState& state, std::string& error) const;

  private:
    std::filesystem::path dir_;
};

}  // namespace lumavox::sim
