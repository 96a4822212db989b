// A program directory of its own for a benchmark that runs the editor's
// engine or window: a temporary folder with the font files the build placed
// beside this executable, and the per-user settings kept inside it.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace lumavox::bench {

// Returns the folder, or an empty path when it cannot be made.
inline std::filesystem::path makeBenchHome(const char* prefix) {
    std::string pattern = std::string("/tmp/") + prefix + "-XXXXXX";
    if (!mkdtemp(pattern.data())) return {};
    const std::filesystem::path home = pattern;
    const std::filesystem::path bin = std::filesystem::canonical("/proc/self/exe").parent_path();
    std::error_code ec;
    for (const char* font : {"KV2fnt.bin", "KV3fnt.bin", "KV4fnt.bin"})
        std::filesystem::copy_file(bin / font, home / font, ec);
    setenv("LUMAVOX_CONFIG_DIR", (home / "config").c_str(), 1);
    return home;
}

}  // namespace lumavox::bench
