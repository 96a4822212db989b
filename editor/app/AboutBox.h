// The about box and the hidden company box, without the window: the dialog
// feeds mouse clicks and the OK button to EditorAboutBox and shows what it says.
//
// Six right-button double-clicks made while Ctrl, Shift and the left button
// are held switch the about box to password mode: the group caption asks for
// the password, the date line hides, the version line shows the company name
// and the password field appears with the focus. The exact password closes the
// box and opens the company box with the contact details.
#pragma once

#include <string>
#include <string_view>

namespace lumavox {

class LanguageManager;

// The program's version and date, as the about box shows them and
// `lumavox-cli --version` prints them.
constexpr std::string_view kProgramVersion = "4.0.0.6";
constexpr std::string_view kProgramDate = "09 November, 2011";

// Template and control ids of the about box, for its translatable texts.
constexpr int kAboutDialog = 100;
constexpr int kAboutGroupControl = 1000;
constexpr int kAboutVersionControl = 1001;
constexpr int kAboutDateControl = 1002;

// The maker's details shown by the company box.
struct CompanyInfo {
    std::string name;
    std::string telephone;
    std::string fax;
    std::string web;    // an address a browser opens
    std::string email;  // an address a mail program opens
};
const CompanyInfo& companyInfo();

class EditorAboutBox {
  public:
    static constexpr int kClicksForPassword = 6;
    static constexpr std::string_view kPassword = "OPEN COMPANY PANEL FOR ALL";

    // Texts come from the language layer when it has them, else built in.
    explicit EditorAboutBox(const LanguageManager* language = nullptr);

    // A right-button double-click, with the state of Ctrl, Shift and the left
    // button at that moment. Returns true when this click switched the box to
    // password mode.
    bool rightDoubleClick(bool ctrl, bool shift, bool leftButton);

    enum class Outcome { StayOpen, Close, OpenCompanyBox };
    // OK pressed, with the password field's text.
    Outcome confirm(std::string_view password) const;

    int qualifyingClicks() const { return clicks_; }
    bool passwordMode() const { return clicks_ >= kClicksForPassword; }

    // What the box shows now.
    const std::string& title() const { return title_; }
    std::string groupCaption() const;
    std::string versionLine() const;
    const std::string& dateLine() const { return date_; }
    bool dateVisible() const { return !passwordMode(); }
    bool passwordVisible() const { return passwordMode(); }

  private:
    int clicks_ = 0;
    std::string title_;
    std::string group_;
    std::string version_;
    std::string date_;
};

// The company box: the version and date again, and the maker's details.
struct CompanyAboutBox {
    std::string title;
    std::string versionLine;
    std::string dateLine;
    CompanyInfo company;
    static CompanyAboutBox make(const LanguageManager* language = nullptr);
};

}  // namespace lumavox
