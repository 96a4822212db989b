// The command line's answer to a prompter: messages the editor would show in a
// box go to standard error, and questions are answered No.
#pragma once

#include <ostream>
#include <string>

#include "content/Prompter.h"

namespace lumavox {

class StreamPrompter : public Prompter {
  public:
    explicit StreamPrompter(std::ostream& err) : err_(err) {}
    void message(const std::string& text, Icon) override { err_ << text << "\n"; }
    bool askYesNo(const std::string& text, Icon) override {
        err_ << text << "\n";
        return false;
    }

  private:
    std::ostream& err_;
};

}  // namespace lumavox
