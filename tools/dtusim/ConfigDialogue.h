// The DTU's configuration dialogue: set-up mode entered with "+++ in set",
// parameters read with "AT+NAME?" and written with "AT+NAME=VALUE", the whole
// list with "AT+SETLIST=ON", and set-up mode left by writing OUTSET=ON.
#pragma once

#include <string>
#include <vector>

#include "Options.h"

namespace lumavox::dtusim {

class ConfigDialogue {
  public:
    struct Output {
        int delayMs = 0;
        std::string bytes;
    };

    explicit ConfigDialogue(const DialogueOptions& options);

    // Feeds bytes from the host; returns what the DTU answers, in order.
    std::vector<Output> feed(const std::string& bytes);
    bool inSetMode() const { return setMode_; }
    // For a DTU already switched into set-up mode by other means.
    void enterSetMode() { setMode_ = true; }

  private:
    std::vector<Output> handleLine(const std::string& line, const std::string& raw);
    std::string* find(const std::string& name);

    DialogueOptions options_;
    std::string pending_;
    bool setMode_ = false;
};

}  // namespace lumavox::dtusim
