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

// The title of a message or question with that icon: "Error" for the error
// icon, "Prompt" for every other.
std::string promptTitle(Icon icon);

}  // namespace lumavox
