// The list of the most recently used documents shown in the File menu: most
// recent first, each document once, at most four. It is kept in the per-user
// store, section "Recent File List", keys "File1" to "File4".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Profile.h"

namespace lumavox {

class RecentFileList {
  public:
    static constexpr size_t kSize = 4;
    static constexpr const char* kSection = "Recent File List";

    // Puts a document at the front; one already listed moves there, and the
    // oldest beyond the size is dropped. An empty name is ignored.
    void add(std::string_view path);
    // Takes a document off the list (one that could not be opened).
    void remove(std::string_view path);
    const std::vector<std::string>& files() const { return files_; }

    // The text of menu entry i (0 first): "&1 " and the path, shortened in the
    // middle when long so that the file name always shows ("&" doubled).
    std::string menuText(size_t i) const;

    // Reads "File1".."File4" (empty and repeated entries are skipped).
    void load(const Profile& store);
    // Writes the list as "File1".. and removes the keys of empty places.
    void save(Profile& store) const;

  private:
    std::vector<std::string> files_;
};

}  // namespace lumavox
