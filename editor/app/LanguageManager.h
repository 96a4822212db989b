// The language layer: every text the user sees can be replaced by the chosen
// language file in "Language/" of the data folder (the shipped languages) or of
// the settings folder (the user's own; a file of the same name there wins). The
// choice is kept in "LanguageSetting.ini" in the settings folder.
//
// A language file is a profile file with the sections "Version Set" (Version
// must be 1203), "Setting" (Language: the display name), "Menu String"
// ("IDS_MENU_<n>"), "Dialog String" ("IDD<t>_Title", "IDD<t>_<c>") and
// "String Table" ("IDS_STRINGTABLE_<id>"). Values carry the escapes \n, \r and
// \t. A missing key or an empty value keeps the built-in English text, and so
// does a translation whose %s/%d placeholders differ from the English text, so
// a faulty language file can never garble or break a message.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "operations/Environment.h"
#include "platform/Profile.h"

namespace lumavox {

constexpr int kLanguageFileVersion = 1203;

std::string unescapeLanguageText(std::string_view s);
std::string escapeLanguageText(std::string_view s);
// The conversions of a text in order, e.g. "sd" for "%s has %d"; "%%" is none.
std::string placeholderSignature(std::string_view s);

// The built-in English language file, generated from the string table, the menu
// trees and the dialog texts.
std::string builtInEnglishLanguageFile();
// The built-in "LanguageSetting.ini": the choice of English.
std::string builtInLanguageSetting();

// Writes one of the built-in files to a path; true when it was written.
using BuiltInFileWriter = std::function<bool(const std::filesystem::path&)>;

class LanguageManager {
  public:
    // One folder for both (a home folder) when settingsDir is not given.
    explicit LanguageManager(std::filesystem::path dataDir,
                             std::optional<std::filesystem::path> settingsDir = std::nullopt);
    // The data and settings folders of the environment.
    explicit LanguageManager(const ApplicationEnvironment& environment)
        : LanguageManager(environment.dataDir, environment.settingsDir) {}
    ~LanguageManager();
    LanguageManager(const LanguageManager&) = delete;
    LanguageManager& operator=(const LanguageManager&) = delete;

    // Where the built-in "LanguageSetting.ini" comes from when it must be
    // written (the program writes its own embedded copy); by default the text above.
    void setBuiltInSettingWriter(BuiltInFileWriter languageSetting);

    // Creates "LanguageSetting.ini" when missing, chooses the language it names
    // and routes every text of the program through this layer.
    void startUp();
    // Chooses the language file for `name` (empty: the stored choice, default
    // "English"); without one, an English file that is there, else the built-in
    // English texts (no file is written: languageFile() is then empty).
    void SelectLanguage(std::string_view name);

    // The translated string-table text, else the built-in one; trimmed of
    // leading and trailing blanks when asked.
    std::string GetText(int id, bool trim = false) const;
    // Menu entry n, a dialog's caption or control text; empty when the language
    // has none (the caller keeps its built-in text). Captions are not unescaped.
    std::string MenuText(int number) const;
    std::string DialogTitle(int templateId) const;
    std::string DialogControlText(int templateId, int controlId) const;

    // The display names of all usable language files (version 1203, non-empty
    // name), in file name order; "English" last when no file has it (the
    // built-in texts).
    std::vector<std::string> FillLanguageList() const;
    // The name stored in "LanguageSetting.ini" (default "English").
    std::string StoredLanguageName() const;

    bool active() const { return active_; }
    const std::string& languageName() const { return name_; }
    const std::filesystem::path& languageFile() const { return file_; }
    std::filesystem::path settingPath() const { return settingsDir_ / "LanguageSetting.ini"; }
    // The shipped language files' folder, and the user's own.
    std::filesystem::path languageDir() const { return dataDir_ / "Language"; }
    std::filesystem::path ownLanguageDir() const { return settingsDir_ / "Language"; }

  private:
    // The language files of both folders, in name order; of two with the same
    // name the user's own.
    std::vector<std::filesystem::path> languageFiles() const;
    // The first language file of that name and the current version.
    std::optional<std::filesystem::path> findLanguageFile(const std::string& name) const;
    void use(const std::filesystem::path& file, const Profile& profile);
    // The translation of a string-table id when it is usable, else empty.
    std::string translated(int id) const;

    std::filesystem::path dataDir_;
    std::filesystem::path settingsDir_;
    BuiltInFileWriter writeLanguageSetting_;
    std::filesystem::path file_;
    std::string name_;
    bool active_ = false;
    bool provider_ = false;
    std::map<int, std::string> strings_;
    std::map<int, std::string> menus_;
    std::map<std::string, std::string> dialogs_;  // key "IDD<t>_<c>" or "IDD<t>_Title"
};

}  // namespace lumavox
