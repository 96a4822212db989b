// A file the program writes for itself and keeps while it runs, such as a
// library unpacked from the program file before it is loaded, or the temporary
// file of an atomic save.
//
// The file is created fresh with mkstemp, or an earlier copy is taken over.
// While held it is locked (flock), so another process, or another holder in
// this one, never takes over and rewrites a copy that is in use; a copy left
// behind by a process that ended without cleaning up is free again.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace lumavox {

// $TMPDIR when set and not empty, else /tmp.
std::filesystem::path temporaryDirectory();

class HeldFile {
  public:
    HeldFile() = default;
    // Releases the lock; the file stays.
    ~HeldFile();
    HeldFile(HeldFile&& other) noexcept;
    HeldFile& operator=(HeldFile&& other) noexcept;
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    // Creates "<prefix>XXXXXX" in dir (mode 0600) and holds it. The file is
    // held under its name: one taken over and removed by another process before
    // the lock was won is replaced by a fresh one.
    bool create(const std::filesystem::path& dir, const std::string& prefix, std::string& error);
    // Holds an existing file: only a regular file, not reached through a symbolic
    // link, owned by this user, held by nobody else and still under that name
    // once held.
    bool takeOver(const std::filesystem::path& path, std::string& error);
    // Replaces the whole content of the held file.
    bool write(std::span<const uint8_t> data, std::string& error);
    // Releases the lock and deletes the file.
    void remove();
    // Releases the lock and keeps the file.
    void release();

    bool held() const { return fd_ >= 0; }
    // The open descriptor of the held file, -1 when none.
    int descriptor() const { return fd_; }
    const std::filesystem::path& path() const { return path_; }

  private:
    int fd_ = -1;
    std::filesystem::path path_;
};

}  // namespace lumavox
