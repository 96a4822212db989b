// Ini-style profile files: "[Section]" lines followed by "key=value" lines.
//
// Reading follows the semantics the settings and language files rely on:
// section and key names are compared without regard to case and may contain
// blanks; the first matching section and the first matching key win; free text
// before the first section is a note and ignored; blanks around names and values
// are not part of them and one pair of surrounding quotes is dropped; every read
// has a default, and a missing file, section or key is never an error. Values
// are read up to kMaxValueLength characters.
//
// Writing changes only the key written: the other sections, keys, notes and line
// order of the file are kept, and the file is replaced atomically.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lumavox {

class Profile {
  public:
    static constexpr size_t kMaxValueLength = 1000;
    // Larger files are not profile files; they are read as empty.
    static constexpr size_t kMaxFileBytes = size_t{16} << 20;

    Profile() = default;
    Profile(const Profile& other) : path_(other.path_), lines_(other.lines_) {}
    Profile& operator=(const Profile& other) {
        path_ = other.path_;
        lines_ = other.lines_;
        changed();
        return *this;
    }
    Profile(Profile&&) = default;
    Profile& operator=(Profile&&) = default;
    // Reads the file; a missing or unreadable file gives an empty profile that
    // still remembers its path for save().
    static Profile load(const std::filesystem::path& path);
    static Profile parse(std::string_view text);

    const std::filesystem::path& path() const { return path_; }
    bool hasSection(std::string_view section) const;
    bool hasKey(std::string_view section, std::string_view key) const;

    std::string getString(std::string_view section, std::string_view key,
                          std::string_view fallback = {}) const;
    // Decimal text with an optional sign; a key whose value is not a number reads
    // as 0, a missing key as the fallback. Out-of-range values are clamped.
    int getInt(std::string_view section, std::string_view key, int fallback) const;

    void setString(std::string_view section, std::string_view key, std::string_view value);
    void setInt(std::string_view section, std::string_view key, int value);
    // Removes a key, or a whole section with all its lines.
    void removeKey(std::string_view section, std::string_view key);
    void removeSection(std::string_view section);
    // Removes every section (each occurrence) whose name `remove` picks, with
    // all its lines, in one pass over the file.
    void removeSections(const std::function<bool(std::string_view)>& remove);

    // Section names in file order (first occurrences), and the keys of a section.
    std::vector<std::string> sections() const;
    std::vector<std::string> keys(std::string_view section) const;

    std::string text() const;
    // Writes to path() (or the given path) atomically.
    bool save(std::string& error) const { return saveAs(path_, error); }
    bool saveAs(const std::filesystem::path& path, std::string& error) const;

  private:
    struct Line {
        std::string raw;
        std::string name;  // section name for a header, key for a value line
        bool header = false;
        bool value = false;
    };
    // Index of the first header line of the section, or npos.
    size_t findSection(std::string_view section) const;
    // Index of the key's line inside the section starting at `header`, or npos.
    size_t findKey(size_t header, std::string_view key) const;
    // One past the section's last key line (where a new key goes).
    size_t sectionInsertPoint(size_t header) const;
    static std::string lowerKey(std::string_view name);

    // Where each section (first occurrence) and each key of a section (first
    // occurrence) is, by lower-case name, and each section's last key line, so
    // that lookups in large files stay cheap. Lines added at the end of the file
    // (the way a section is written afresh) are entered one by one, so writing
    // a section stays linear; any other change of line positions rebuilds it.
    struct Index {
        std::unordered_map<std::string, size_t> sections;
        std::unordered_map<std::string, size_t> keys;  // "<header line>\n<key>"
        std::unordered_map<size_t, size_t> lastKeys;   // header line -> last key line
    };
    const Index& index() const;
    void changed() { index_.reset(); }
    // Adds a line at the end of the file and enters it into a built index.
    void append(Line line, size_t header);

    std::filesystem::path path_;
    std::vector<Line> lines_;
    mutable std::unique_ptr<Index> index_;
};

// Folder of the per-user settings store: LUMAVOX_CONFIG_DIR when set, else
// $XDG_CONFIG_HOME (default ~/.config)/lumavox.
std::filesystem::path userStoreDir();
// Where earlier versions kept that store: $XDG_CONFIG_HOME/Local
// AppWizard-Generated Applications/LUMAVOX (its files are moved over once).
std::filesystem::path earlierUserStoreDir();
// The per-user store's profile file in that folder.
std::filesystem::path userStorePath();

}  // namespace lumavox
