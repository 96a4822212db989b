#include "app/AboutBox.h"

#include "app/DialogTexts.h"
#include "app/LanguageManager.h"

namespace lumavox {

namespace {

constexpr const char* kPasswordCaption = "Please input password";

std::string builtInControlText(int controlId) {
    for (const DialogTexts& d : builtInDialogTexts()) {
        if (d.templateId != kAboutDialog) continue;
        for (const DialogControlText& c : d.controls)
            if (c.controlId == controlId) return c.text;
    }
    return {};
}

std::string controlText(const LanguageManager* language, int controlId) {
    std::string t = language ? language->DialogControlText(kAboutDialog, controlId) : "";
    return t.empty() ? builtInControlText(controlId) : t;
}

std::string titleText(const LanguageManager* language) {
    std::string t = language ? language->DialogTitle(kAboutDialog) : "";
    if (!t.empty()) return t;
    for (const DialogTexts& d : builtInDialogTexts())
        if (d.templateId == kAboutDialog) return d.title;
    return {};
}

}  // namespace

const CompanyInfo& companyInfo() {
    // Invented for this program: the 555-01xx numbers and the .example domain
    // are reserved for fiction and reach nobody.
    static const CompanyInfo info = {
        "LUMAVOX Sign Works (a fictional company)",
        "+1 555 0100",
        "+1 555 0199",
        "https://lumavox.example",
        "info@lumavox.example",
    };
    return info;
}

EditorAboutBox::EditorAboutBox(const LanguageManager* language)
    : title_(titleText(language)),
      group_(controlText(language, kAboutGroupControl)),
      version_(controlText(language, kAboutVersionControl)),
      date_(controlText(language, kAboutDateControl)) {}

bool EditorAboutBox::rightDoubleClick(bool ctrl, bool shift, bool leftButton) {
    if (passwordMode() || !(ctrl && shift && leftButton)) return false;
    ++clicks_;
    return passwordMode();
}

EditorAboutBox::Outcome EditorAboutBox::confirm(std::string_view password) const {
    if (!passwordMode()) return Outcome::Close;
    return password == kPassword ? Outcome::OpenCompanyBox : Outcome::StayOpen;
}

std::string EditorAboutBox::groupCaption() const {
    return passwordMode() ? kPasswordCaption : group_;
}

std::string EditorAboutBox::versionLine() const {
    return passwordMode() ? companyInfo().name : version_;
}

CompanyAboutBox CompanyAboutBox::make(const LanguageManager* language) {
    return {titleText(language), controlText(language, kAboutVersionControl),
            controlText(language, kAboutDateControl), companyInfo()};
}

}  // namespace lumavox
