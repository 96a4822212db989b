#include "app/LanguageManager.h"

#include <algorithm>
#include <cctype>

#include "app/DialogTexts.h"
#include "editing/MenuTree.h"
#include "platform/Files.h"
#include "strings/StringTable.h"

namespace lumavox {

namespace fs = std::filesystem;

namespace {

constexpr const char* kSettingSection = "Setting";
constexpr const char* kLanguageKey = "Language";
constexpr const char* kDefaultLanguage = "English";
constexpr std::string_view kStringPrefix = "IDS_STRINGTABLE_";
constexpr std::string_view kMenuPrefix = "IDS_MENU_";

bool writeText(const fs::path& path, const std::string& text) {
    std::string error;
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    return writeFileAtomically(
        path, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()),
        error);
}

// The number after a key prefix, or -1 when the key is not of that form.
long numberAfter(std::string_view key, std::string_view prefix) {
    if (key.size() <= prefix.size() || key.size() > prefix.size() + 9) return -1;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(key[i])) != prefix[i]) return -1;
    long n = 0;
    for (char c : key.substr(prefix.size())) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

std::string trimBlanks(std::string s) {
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

std::string upper(std::string_view s) {
    std::string u(s);
    for (char& c : u)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

}  // namespace

std::string unescapeLanguageText(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            char n = s[i + 1];
            if (n == 'n' || n == 'r' || n == 't') {
                out += n == 'n' ? '\n' : n == 'r' ? '\r' : '\t';
                ++i;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

std::string escapeLanguageText(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else
            out += c;
    }
    // A profile reader trims blanks around a value and takes off one pair of
    // quotes around it: a text with blanks at either end ("Signal strength: ")
    // or in quotes of its own is written in quotes so it reads back whole.
    bool quoted =
        out.size() >= 2 && (out.front() == '"' || out.front() == '\'') && out.back() == out.front();
    if (!out.empty() && (out.front() == ' ' || out.back() == ' ' || quoted)) out = '"' + out + '"';
    return out;
}

std::string placeholderSignature(std::string_view s) {
    std::string sig;
    for (size_t i = 0; i + 1 < s.size(); ++i) {
        if (s[i] != '%') continue;
        if (s[i + 1] == '%') {
            ++i;
            continue;
        }
        size_t j = i + 1;
        while (j < s.size() &&
               (std::isdigit(static_cast<unsigned char>(s[j])) || s[j] == '-' || s[j] == '.'))
            ++j;
        if (j < s.size() && std::isalpha(static_cast<unsigned char>(s[j]))) sig += s[j];
        i = j;
    }
    return sig;
}

std::string builtInEnglishLanguageFile() {
    std::string f;
    f += "Note:\nPlease do not edit these characters as follows:\n";
    f += "\\n,\\t,\\r,%d,%s,do not edit the [Version Set] section\n\n";
    f += "[Version Set]\nVersion=" + std::to_string(kLanguageFileVersion) + "\n\n";
    f += std::string("[Setting]\nLanguage=") + kDefaultLanguage + "\n\n";
    f += "[Menu String]\n";
    for (const NamedMenu& menu : allMenus())
        for (const NumberedMenuEntry& e : numberMenu(*menu.bar, menu.base))
            f += std::string(kMenuPrefix) + std::to_string(e.number) + "=" +
                 escapeLanguageText(e.entry->text) + "\n";
    f += "\n[Dialog String]\n";
    for (const DialogTexts& d : builtInDialogTexts()) {
        f += "IDD" + std::to_string(d.templateId) + "_Title=" + d.title + "\n";
        for (const DialogControlText& c : d.controls)
            f += "IDD" + std::to_string(d.templateId) + "_" + std::to_string(c.controlId) + "=" +
                 escapeLanguageText(c.text) + "\n";
    }
    f += "\n[String Table]\n";
    for (int id : builtInTextIds())
        f += std::string(kStringPrefix) + std::to_string(id) + "=" +
             escapeLanguageText(builtInText(id)) + "\n";
    return f;
}

std::string builtInLanguageSetting() {
    return std::string("[Setting]\nLanguage=") + kDefaultLanguage + "\n";
}

LanguageManager::LanguageManager(fs::path dataDir, std::optional<fs::path> settingsDir)
    : dataDir_(std::move(dataDir)),
      settingsDir_(settingsDir ? std::move(*settingsDir) : dataDir_),
      writeLanguageSetting_(
          [](const fs::path& p) { return writeText(p, builtInLanguageSetting()); }) {}

void LanguageManager::setBuiltInSettingWriter(BuiltInFileWriter languageSetting) {
    if (languageSetting) writeLanguageSetting_ = std::move(languageSetting);
}

LanguageManager::~LanguageManager() {
    if (provider_) setTextProvider({});
}

void LanguageManager::startUp() {
    std::error_code ec;
    fs::create_directories(settingsDir_, ec);
    if (!fs::exists(settingPath(), ec)) writeLanguageSetting_(settingPath());
    SelectLanguage("");
    setTextProvider([this](int id) { return translated(id); });
    provider_ = true;
}

std::string LanguageManager::StoredLanguageName() const {
    return Profile::load(settingPath()).getString(kSettingSection, kLanguageKey, kDefaultLanguage);
}

std::vector<fs::path> LanguageManager::languageFiles() const {
    std::map<fs::path, fs::path> byName;
    for (const fs::path& dir : {languageDir(), ownLanguageDir()}) {
        std::error_code ec;
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            const fs::path& p = it->path();
            std::string ext = upper(p.extension().string());
            if (ext == ".INI" && it->is_regular_file(ec)) byName[p.filename()] = p;
        }
    }
    std::vector<fs::path> files;
    for (auto& [name, path] : byName)
        files.push_back(path);
    return files;
}

std::optional<fs::path> LanguageManager::findLanguageFile(const std::string& name) const {
    for (const fs::path& p : languageFiles()) {
        Profile profile = Profile::load(p);
        if (profile.getString(kSettingSection, kLanguageKey) == name &&
            profile.getInt("Version Set", "Version", 0) == kLanguageFileVersion)
            return p;
    }
    return std::nullopt;
}

void LanguageManager::SelectLanguage(std::string_view name) {
    const std::string wanted = name.empty() ? StoredLanguageName() : std::string(name);
    std::optional<fs::path> file = findLanguageFile(wanted);
    // A language whose file has gone falls back to an English file that is
    // there (its texts may have been edited), rather than writing the built-in
    // English file over it.
    if (!file && wanted != kDefaultLanguage) file = findLanguageFile(kDefaultLanguage);
    if (file) {
        use(*file, Profile::load(*file));
    } else {
        use({}, Profile::parse(builtInEnglishLanguageFile()));
        name_ = kDefaultLanguage;
    }
    Profile setting = Profile::load(settingPath());
    setting.setString(kSettingSection, kLanguageKey, name_);
    std::string error;
    setting.save(error);
}

void LanguageManager::use(const fs::path& file, const Profile& profile) {
    file_ = file;
    name_ = profile.getString(kSettingSection, kLanguageKey);
    active_ = profile.getInt("Version Set", "Version", 0) == kLanguageFileVersion;
    strings_.clear();
    menus_.clear();
    dialogs_.clear();
    for (const std::string& key : profile.keys("String Table")) {
        long id = numberAfter(key, kStringPrefix);
        std::string value = unescapeLanguageText(profile.getString("String Table", key));
        if (id >= 0 && !value.empty()) strings_.emplace(static_cast<int>(id), std::move(value));
    }
    for (const std::string& key : profile.keys("Menu String")) {
        long n = numberAfter(key, kMenuPrefix);
        std::string value = unescapeLanguageText(profile.getString("Menu String", key));
        if (n >= 0 && !value.empty()) menus_.emplace(static_cast<int>(n), std::move(value));
    }
    for (const std::string& key : profile.keys("Dialog String")) {
        std::string value = profile.getString("Dialog String", key);
        if (!value.empty()) dialogs_.emplace(upper(key), std::move(value));
    }
}

std::string LanguageManager::translated(int id) const {
    if (!active_) return {};
    auto it = strings_.find(id);
    if (it == strings_.end()) return {};
    if (placeholderSignature(it->second) != placeholderSignature(builtInText(id))) return {};
    return it->second;
}

std::string LanguageManager::GetText(int id, bool trim) const {
    std::string t = translated(id);
    if (t.empty()) t = builtInText(id);
    return trim ? trimBlanks(std::move(t)) : t;
}

std::string LanguageManager::MenuText(int number) const {
    if (!active_) return {};
    auto it = menus_.find(number);
    return it == menus_.end() ? std::string() : it->second;
}

std::string LanguageManager::DialogTitle(int templateId) const {
    if (!active_) return {};
    auto it = dialogs_.find("IDD" + std::to_string(templateId) + "_TITLE");
    return it == dialogs_.end() ? std::string() : it->second;
}

std::string LanguageManager::DialogControlText(int templateId, int controlId) const {
    if (!active_) return {};
    auto it = dialogs_.find("IDD" + std::to_string(templateId) + "_" + std::to_string(controlId));
    return it == dialogs_.end() ? std::string() : unescapeLanguageText(it->second);
}

std::vector<std::string> LanguageManager::FillLanguageList() const {
    std::vector<std::string> names;
    for (const fs::path& p : languageFiles()) {
        Profile profile = Profile::load(p);
        std::string name = profile.getString(kSettingSection, kLanguageKey);
        if (!name.empty() && profile.getInt("Version Set", "Version", 0) == kLanguageFileVersion)
            names.push_back(name);
    }
    if (std::find(names.begin(), names.end(), kDefaultLanguage) == names.end())
        names.push_back(kDefaultLanguage);
    return names;
}

}  // namespace lumavox
