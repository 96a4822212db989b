// Program directory and whole-file reading and writing.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace lumavox {

// The program directory: the explicit --home argument when given, else the
// LUMAVOX_HOME environment variable when set and not empty, else the folder of
// the running executable.
std::filesystem::path resolveProgramDir(const std::optional<std::string>& homeArgument);

// Folder of the running executable (/proc/self/exe); the current directory if
// that cannot be read.
std::filesystem::path executableDir();

// Reads a whole file, refusing files larger than maxBytes. Only regular files
// are read; a FIFO, a device or a socket is refused at once ("not a regular
// file"), without waiting for a writer. On failure returns false and a reason
// ("No such file or directory", "is a directory", "not a regular file",
// "file too large", ...).
bool readWholeFile(const std::filesystem::path& path, size_t maxBytes, std::vector<uint8_t>& out,
                   std::string& error);

// Reads the first `count` bytes of a regular file (all of it when shorter),
// with the same refusals as readWholeFile, so a file's header can be checked
// before the whole file is read.
bool readFileHead(const std::filesystem::path& path, size_t count, std::vector<uint8_t>& out,
                  std::string& error);

// Writes data to path atomically: a temporary file in the same folder is
// written, flushed to disk and renamed over the target, so the old file is
// either kept whole or replaced whole. On failure the temporary file is removed,
// the old file is untouched and error holds "<step>: <system message>".
// Working files that are deleted again anyway (`durable` false) skip the
// flushes to disk; they are still replaced whole.
bool writeFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> data,
                         std::string& error, bool durable = true);

}  // namespace lumavox
