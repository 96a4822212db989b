#include "app/LanguageCheck.h"

#include <cctype>
#include <set>

#include "app/LanguageManager.h"

namespace lumavox {

namespace {

constexpr const char* kTranslatedSections[] = {"Menu String", "Dialog String", "String Table"};

std::string upper(const std::string& s) {
    std::string u = s;
    for (char& c : u)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

}  // namespace

std::vector<std::string> checkLanguageFile(const Profile& file) {
    std::vector<std::string> problems;
    int version = file.getInt("Version Set", "Version", 0);
    if (version != kLanguageFileVersion)
        problems.push_back("[Version Set] Version is " +
                           file.getString("Version Set", "Version", "missing") +
                           ", the program needs " + std::to_string(kLanguageFileVersion));
    if (file.getString("Setting", "Language").empty())
        problems.push_back("[Setting] Language (the name shown in the language list) is missing");

    const Profile english = Profile::parse(builtInEnglishLanguageFile());
    for (const char* section : kTranslatedSections) {
        std::set<std::string> known;
        for (const std::string& key : english.keys(section))
            known.insert(upper(key));
        std::set<std::string> present;
        for (const std::string& key : file.keys(section)) {
            present.insert(upper(key));
            if (!known.count(upper(key))) {
                problems.push_back(std::string("[") + section + "] " + key +
                                   ": the program has no such text");
                continue;
            }
            std::string theirs =
                placeholderSignature(unescapeLanguageText(file.getString(section, key)));
            std::string ours =
                placeholderSignature(unescapeLanguageText(english.getString(section, key)));
            if (!file.getString(section, key).empty() && theirs != ours)
                problems.push_back(std::string("[") + section + "] " + key + ": placeholders \"" +
                                   theirs + "\" differ from the English \"" + ours +
                                   "\"; the English text is used instead");
        }
        for (const std::string& key : english.keys(section))
            if (!present.count(upper(key)))
                problems.push_back(std::string("[") + section + "] " + key +
                                   ": missing (the English text is used)");
    }
    return problems;
}

}  // namespace lumavox
