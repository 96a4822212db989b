// Shared helpers of the unit tests: a temporary folder, a fixed clock, a
// scripted user, and content builders.
#pragma once

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "content/Model.h"
#include "content/Prompter.h"

namespace lumavox::test {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

// 2024-03-01 08:00:00, a Friday.
CalendarTime fixedTime();

// Records every message and question; answers questions from a queue. When the
// queue is empty it answers Yes, or, when strict, fails the test and answers No.
class ScriptedPrompter : public Prompter {
  public:
    struct Shown {
        bool question;
        std::string text;
        Icon icon;
    };
    explicit ScriptedPrompter(bool strict = false) : strict_(strict) {}
    void message(const std::string& text, Icon icon) override {
        shown.push_back({false, text, icon});
    }
    bool askYesNo(const std::string& text, Icon icon) override;

    std::deque<bool> answers;
    std::vector<Shown> shown;

  private:
    bool strict_;
};

CharItem charAttrs(uint8_t font, uint8_t colour, uint8_t property = 0, uint8_t flash = 0);
// Appends the characters of s with the given attributes.
void appendText(TextFile& f, std::string_view s, const CharItem& attrs);
// Appends the end-of-text marker.
void appendEnd(TextFile& f, const CharItem& attrs = charAttrs(1, 1));
TextFile makeTextFile(std::string_view name, uint8_t kind = kTextFile);
ControlParams params(uint16_t a, uint16_t b = 0, uint16_t c = 0, uint16_t d = 0, uint8_t e = 0);

// Writes a file whose header is a valid font file header into dir.
void writeFontStub(const std::filesystem::path& dir, const std::string& name);

}  // namespace lumavox::test
