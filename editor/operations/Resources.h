// The files the program carries inside itself, by resource id, and their
// extraction into files.
//
// The editor executable links the embedded table (editor/embedded); tests and
// other hosts may hand the application any table of their own.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <span>
#include <string>

namespace lumavox {

namespace res {
enum : int {
    kEnglishLanguageFile = 179,     // "Language/Multi_eng.ini"
    kDefaultLanguageSetting = 180,  // "LanguageSetting.ini"
    kGateway = 187,                 // the GPRS gateway library
    kControl = 195,                 // the scriptable sign control library
};
}  // namespace res

class ResourceTable {
  public:
    ResourceTable() = default;

    // The bytes must outlive the table.
    void add(int id, std::span<const uint8_t> bytes) { entries_[id] = bytes; }
    bool contains(int id) const { return entries_.count(id) != 0; }
    // The bytes of a resource; empty when the table has none of that id.
    std::span<const uint8_t> bytes(int id) const;

    // Writes resource `id` to `path`, replacing the file whole (never leaving a
    // partly written file). False, with a reason, when there is no such
    // resource or the file cannot be written.
    bool ExtractResource(int id, const std::filesystem::path& path, std::string& error) const;

  private:
    std::map<int, std::span<const uint8_t>> entries_;
};

}  // namespace lumavox
