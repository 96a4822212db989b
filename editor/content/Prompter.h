// How the content rules talk to the user: messages and yes/no questions.
// The editor's dialogs implement it with message boxes; the command line and
// the tests answer it themselves.
#pragma once

#include <string>

namespace lumavox {

enum class Icon { None, Error, Exclamation, Information, Question };

class Prompter {
  public:
    virtual ~Prompter() = default;
    // Shows a message with an OK button; title is "Error" or "Prompt" by icon.
    virtual void message(const std::string& text, Icon icon) = 0;
    // Asks a Yes/No question; true for Yes.
    virtual bool askYesNo(const std::string& text, Icon icon) = 0;
};

// Keeps the last message instead of showing it, for a caller that shows a
// refusal over its own dialog (a name box that stays open); questions are
// answered No.
class KeptMessage : public Prompter {
  public:
    void message(const std::string& text, Icon) override { kept = text; }
    bool askYesNo(const std::string&, Icon) override { return false; }
    std::string kept;
};

// The title of a message or question with that icon: "Error" for the error
// icon, "Prompt" for every other.
std::string promptTitle(Icon icon);

}  // namespace lumavox
