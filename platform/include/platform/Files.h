// Program directory and whole-file reading and writing.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ByteIo.h"
#include "platform/HeldFile.h"

namespace lumavox {

// The folder given in place of the installed layout: the explicit --home
// argument when given, else the LUMAVOX_HOME environment variable when set and
// not empty. Such a folder holds the font and language files and keeps the
// settings and working files too, as one self-contained set.
std::optional<std::filesystem::path> homeOverride(const std::optional<std::string>& homeArgument);

// The read-only program data (font files, shipped language files): the home
// override when there is one, else <executable's folder>/../share/lumavox when
// that folder exists (an installed or unpacked tree), else the executable's own
// folder (the build folder, where the files lie beside the programs).
std::filesystem::path resolveDataDir(const std::optional<std::string>& homeArgument);

// The XDG base directories: $XDG_CONFIG_HOME else ~/.config, $XDG_CACHE_HOME
// else ~/.cache, $XDG_STATE_HOME else ~/.local/state. A value that is not an
// absolute path is ignored, as the base directory rule says.
std::filesystem::path userConfigHome();
std::filesystem::path userCacheHome();
std::filesystem::path userStateHome();

// The folder for this user's working files of `application`, which are made
// and deleted again while a program runs: $XDG_RUNTIME_DIR/<application> when
// XDG_RUNTIME_DIR is set, else $XDG_CACHE_HOME/<application>. It is created
// when missing, readable by the user only (0700).
std::filesystem::path userWorkingDir(std::string_view application);
// $XDG_CACHE_HOME/<application>, for files kept between sessions that can be
// made again; created the same way.
std::filesystem::path userCacheDir(std::string_view application);

// Folder of the running executable (/proc/self/exe); the current directory if
// that cannot be read.
std::filesystem::path executableDir();

// Moves a file an earlier version kept at `from` to `to`, once: only when
// `from` is a regular file and `to` does not exist yet. The folder of `to` is
// created; across file systems the file is copied and the original removed
// (kept when the old folder is read-only, and then said so). Returns the line
// saying what was done ("moved A to B"), empty when nothing was to be moved;
// a failure is said the same way ("could not move A to B: reason").
std::string moveToNewPlace(const std::filesystem::path& from, const std::filesystem::path& to);

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
// A path that is a symbolic link is written through: its target is replaced
// and the link stays. See AtomicFileWriter for the temporary files.
// Working files that are deleted again anyway (`durable` false) skip the
// flushes to disk; they are still replaced whole.
bool writeFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> data,
                         std::string& error, bool durable = true);

// A regular file read piece by piece through a ByteReader, with the refusals of
// readWholeFile. The size is taken when the file is opened.
class FileByteSource : public ByteSource {
  public:
    FileByteSource() = default;
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;
    ~FileByteSource() override;

    // Opens path, refusing files larger than maxBytes; false with the reason.
    bool open(const std::filesystem::path& path, size_t maxBytes, std::string& error);
    size_t size() const override { return size_; }
    size_t read(uint8_t* out, size_t n) override;
    // The system message of a failed read, or empty; a file that got shorter
    // since it was opened reads as "file changed while reading".
    const std::string& error() const { return error_; }

  private:
    int fd_ = -1;
    size_t size_ = 0;
    size_t done_ = 0;
    std::string error_;
};

// A file written piece by piece and put in place as one: the pieces go to a
// temporary file in the same folder (".NAME.XXXXXX"), which commit() flushes to
// disk and renames over the target. Until commit() succeeds the old file is
// untouched, and a writer dropped uncommitted removes its temporary file.
//
// The temporary file is locked (flock) for as long as it exists under its name.
// A writer killed midway leaves it behind unlocked; the next open() for the same
// file removes such leftovers of this file's pattern that no live writer holds.
// A path that is a symbolic link (or a chain of them) is written through to
// the file it finally names, which need not exist yet.
class AtomicFileWriter : public ByteSink {
  public:
    // `durable` false: a working file that is deleted again anyway; the
    // flushes to disk are skipped, the file is still replaced whole.
    explicit AtomicFileWriter(std::filesystem::path path, bool durable = true);
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
    ~AtomicFileWriter() override;

    // Creates the temporary file; false with "<step>: <system message>".
    bool open(std::string& error);
    bool write(std::span<const uint8_t> data) override;
    // Puts the written bytes in place; false with "<step>: <system message>" of
    // the first step that failed, writes included, leaving the old file as it was.
    bool commit(std::string& error);

  private:
    void abandon();

    std::filesystem::path path_;
    // The file actually replaced: path_ with its symbolic links followed.
    std::filesystem::path target_;
    HeldFile temporary_;
    bool durable_ = true;
    std::string error_;
};

}  // namespace lumavox
