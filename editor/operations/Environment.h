// Where the programs find and keep their files: the program directory, the
// per-user store and the temporary folder. The editor's application object,
// lumavox-cli and the service all start from these.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace lumavox {

struct ApplicationEnvironment {
    std::filesystem::path programDir;  // settings, language files, font files
    std::filesystem::path userStore;   // the per-user store's file
    std::filesystem::path tempDir;     // where the gateway library is unpacked

    // The running program's: LUMAVOX_HOME (or `home` when given) else the
    // executable's folder, the per-user store, $TMPDIR else /tmp.
    static ApplicationEnvironment fromSystem(const std::optional<std::string>& home = std::nullopt);
};

}  // namespace lumavox
