#include "operations/Resources.h"

#include "platform/Files.h"

namespace lumavox {

std::span<const uint8_t> ResourceTable::bytes(int id) const {
    auto it = entries_.find(id);
    return it == entries_.end() ? std::span<const uint8_t>() : it->second;
}

bool ResourceTable::ExtractResource(int id, const std::filesystem::path& path,
                                    std::string& error) const {
    auto it = entries_.find(id);
    if (it == entries_.end()) {
        error = "no resource " + std::to_string(id);
        return false;
    }
    return writeFileAtomically(path, it->second, error);
}

}  // namespace lumavox
