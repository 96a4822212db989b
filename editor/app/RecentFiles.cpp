#include "app/RecentFiles.h"

#include <algorithm>

namespace lumavox {

namespace {

constexpr size_t kMenuPathLength = 40;

std::string key(size_t i) {
    return "File" + std::to_string(i + 1);
}

// "/a/b/c/d/name.glm" as "/a/.../name.glm" when longer than the limit: the first
// folder and the file name stay.
std::string shortened(const std::string& path) {
    if (path.size() <= kMenuPathLength) return path;
    size_t nameStart = path.find_last_of('/');
    if (nameStart == std::string::npos) return path;
    size_t firstEnd = path.find('/', path[0] == '/' ? 1 : 0);
    std::string head = firstEnd < nameStart ? path.substr(0, firstEnd + 1) : std::string();
    std::string shortPath = head + "..." + path.substr(nameStart);
    return shortPath.size() < path.size() ? shortPath : path;
}

}  // namespace

void RecentFileList::add(std::string_view path) {
    if (path.empty()) return;
    remove(path);
    files_.insert(files_.begin(), std::string(path));
    if (files_.size() > kSize) files_.resize(kSize);
}

void RecentFileList::remove(std::string_view path) {
    files_.erase(std::remove(files_.begin(), files_.end(), path), files_.end());
}

std::string RecentFileList::menuText(size_t i) const {
    if (i >= files_.size()) return {};
    // A "&" of the path is shown as itself, not as a mnemonic mark.
    std::string shown;
    for (char c : shortened(files_[i])) {
        shown += c;
        if (c == '&') shown += '&';
    }
    return "&" + std::to_string(i + 1) + " " + shown;
}

void RecentFileList::load(const Profile& store) {
    files_.clear();
    for (size_t i = kSize; i-- > 0;)
        add(store.getString(kSection, key(i)));
}

void RecentFileList::save(Profile& store) const {
    for (size_t i = 0; i < kSize; ++i) {
        if (i < files_.size())
            store.setString(kSection, key(i), files_[i]);
        else
            store.removeKey(kSection, key(i));
    }
}

}  // namespace lumavox
