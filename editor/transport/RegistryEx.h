// RegistryEx: a hierarchical key store with registry-style key paths
// ("HKEY_LOCAL_MACHINE\SYSTEM\...\0000"), kept in an ini-style file of the
// per-user store. Each key with values is a section named by its full path;
// a key exists when it or any key below it has a section. Values are text;
// binary values are written "hex:1c,00,..." as registry exports write them.
// Paths and value names compare without regard to case.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/Profile.h"

namespace lumavox {

class RegistryEx {
  public:
    RegistryEx() = default;
    explicit RegistryEx(Profile store) : store_(std::move(store)) {}
    // Reads the file; a missing file is an empty store.
    static RegistryEx load(const std::filesystem::path& path);

    bool keyExists(const std::string& path) const;
    // A text value; nothing when the key or the value is missing.
    std::optional<std::string> value(const std::string& path, const std::string& name) const;
    // A binary value ("hex:" bytes); nothing when missing or not binary.
    std::optional<std::vector<uint8_t>> binaryValue(const std::string& path,
                                                    const std::string& name) const;
    // The value names of a key, in file order.
    std::vector<std::string> valueNames(const std::string& path) const;
    // The names of the keys directly below, in case-insensitive name order.
    std::vector<std::string> subKeys(const std::string& path) const;
    // Depth-first search below `path` (children in subKeys() order, each key
    // before its own children) for the first key whose value `name` equals
    // `expected` without regard to case; its full path, or nothing.
    std::optional<std::string> findKeyWithValue(const std::string& path, const std::string& name,
                                                const std::string& expected) const;

    void setValue(const std::string& path, const std::string& name, const std::string& value);
    void setBinaryValue(const std::string& path, const std::string& name,
                        const std::vector<uint8_t>& bytes);
    // Removes the key and every key below it.
    void deleteKey(const std::string& path);

    bool save(std::string& error) const { return store_.save(error); }
    const Profile& store() const { return store_; }

  private:
    static constexpr int kMaxDepth = 512;
    std::optional<std::string> findBelow(const std::string& path, const std::string& name,
                                         const std::string& expected, int depth) const;
    Profile store_;
};

// The path of a key below another: parent + "\" + child.
std::string subKeyPath(const std::string& parent, const std::string& child);

}  // namespace lumavox
