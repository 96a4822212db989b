#include "platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace lumavox {

namespace fs = std::filesystem;

namespace {

// An XDG base directory: the variable when it holds an absolute path, else
// `fallback` under $HOME.
fs::path baseDirectory(const char* variable, const fs::path& fallback) {
    if (const char* xdg = std::getenv(variable); xdg && *xdg == '/') return xdg;
    if (const char* home = std::getenv("HOME"); home && *home) return fs::path(home) / fallback;
    return fallback;
}

}  // namespace

fs::path userConfigHome() {
    return baseDirectory("XDG_CONFIG_HOME", ".config");
}

fs::path userCacheHome() {
    return baseDirectory("XDG_CACHE_HOME", ".cache");
}

fs::path userStateHome() {
    return baseDirectory("XDG_STATE_HOME", fs::path(".local") / "state");
}

namespace {

// A folder of this user's own, created readable by the user only when missing.
fs::path ownFolder(fs::path dir) {
    std::error_code ec;
    if (fs::create_directories(dir, ec)) fs::permissions(dir, fs::perms::owner_all, ec);
    return dir;
}

}  // namespace

fs::path userWorkingDir(std::string_view application) {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/')
        return ownFolder(fs::path(runtime) / application);
    return userCacheDir(application);
}

fs::path userCacheDir(std::string_view application) {
    return ownFolder(userCacheHome() / application);
}

fs::path executableDir() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return fs::current_path(ec);
    return exe.parent_path();
}

std::optional<fs::path> homeOverride(const std::optional<std::string>& homeArgument) {
    if (homeArgument && !homeArgument->empty()) return fs::path(*homeArgument);
    if (const char* env = std::getenv("LUMAVOX_HOME"); env && *env) return fs::path(env);
    return std::nullopt;
}

fs::path resolveDataDir(const std::optional<std::string>& homeArgument) {
    if (std::optional<fs::path> home = homeOverride(homeArgument)) return *home;
    const fs::path exe = executableDir();
    const fs::path shared = (exe / ".." / "share" / "lumavox").lexically_normal();
    std::error_code ec;
    return fs::is_directory(shared, ec) ? shared : exe;
}

std::string moveToNewPlace(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    if (!fs::is_regular_file(fs::symlink_status(from, ec)) ||
        fs::exists(fs::symlink_status(to, ec)))
        return {};
    const std::string what = from.string() + " to " + to.string();
    fs::create_directories(to.parent_path(), ec);
    if (fs::rename(from, to, ec); !ec) return "moved " + what;
    // Another file system, or an old folder that may not be changed: copy,
    // then remove the old file where that is allowed. The copy is put in
    // place whole, so an interrupted move never leaves half a file that would
    // stop the next start from moving it again.
    std::vector<uint8_t> bytes;
    std::string error;
    if (!readWholeFile(from, size_t{64} << 20, bytes, error) ||
        !writeFileAtomically(to, bytes, error))
        return "could not move " + what + ": " + error;
    ec.clear();
    if (!fs::remove(from, ec))
        return "copied " + what + " (the old file stays: " + ec.message() + ")";
    return "moved " + what;
}

namespace {

std::string systemError(const char* step) {
    return std::string(step) + ": " + std::strerror(errno);
}

bool writeAll(int fd, const uint8_t* p, size_t n) {
    while (n > 0) {
        ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

// Opens a file for reading without ever blocking: a FIFO or a device would
// otherwise hold the open (or the reads) for ever. Only regular files are
// accepted; the descriptor is returned with its size.
int openRegularFile(const fs::path& path, off_t& size, std::string& error) {
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error = std::strerror(errno);
        ::close(fd);
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        error = S_ISDIR(st.st_mode) ? "is a directory" : "not a regular file";
        ::close(fd);
        return -1;
    }
    size = st.st_size;
    return fd;
}

// Reads up to `count` bytes from the start of the open file; fewer when it
// ends sooner.
bool readUpTo(int fd, size_t count, std::vector<uint8_t>& out, std::string& error) {
    std::vector<uint8_t> data(count);
    size_t got = 0;
    while (got < data.size()) {
        ssize_t r = ::read(fd, data.data() + got, data.size() - got);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) {
            error = std::strerror(errno);
            return false;
        }
        if (r == 0) break;
        got += static_cast<size_t>(r);
    }
    data.resize(got);
    out = std::move(data);
    return true;
}

}  // namespace

bool readWholeFile(const fs::path& path, size_t maxBytes, std::vector<uint8_t>& out,
                   std::string& error) {
    off_t size = 0;
    int fd = openRegularFile(path, size, error);
    if (fd < 0) return false;
    if (static_cast<uint64_t>(size) > maxBytes) {
        error = "file too large";
        ::close(fd);
        return false;
    }
    bool ok = readUpTo(fd, static_cast<size_t>(size), out, error);
    ::close(fd);
    return ok;
}

bool readFileHead(const fs::path& path, size_t count, std::vector<uint8_t>& out,
                  std::string& error) {
    off_t size = 0;
    int fd = openRegularFile(path, size, error);
    if (fd < 0) return false;
    bool ok = readUpTo(fd, std::min(count, static_cast<size_t>(size)), out, error);
    ::close(fd);
    return ok;
}

bool writeFileAtomically(const fs::path& path, std::span<const uint8_t> data, std::string& error,
                         bool durable) {
    AtomicFileWriter writer(path, durable);
    return writer.open(error) && writer.write(data) && writer.commit(error);
}

FileByteSource::~FileByteSource() {
    if (fd_ >= 0) ::close(fd_);
}

bool FileByteSource::open(const fs::path& path, size_t maxBytes, std::string& error) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    size_ = done_ = 0;
    error_.clear();
    off_t size = 0;
    int fd = openRegularFile(path, size, error);
    if (fd < 0) return false;
    if (static_cast<uint64_t>(size) > maxBytes) {
        error = "file too large";
        ::close(fd);
        return false;
    }
    fd_ = fd;
    size_ = static_cast<size_t>(size);
    return true;
}

size_t FileByteSource::read(uint8_t* out, size_t n) {
    n = std::min(n, size_ - done_);
    if (fd_ < 0 || n == 0 || !error_.empty()) return 0;
    for (;;) {
        ssize_t r = ::read(fd_, out, n);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) {
            error_ = std::strerror(errno);
            return 0;
        }
        if (r == 0) {
            error_ = "file changed while reading";
            return 0;
        }
        done_ += static_cast<size_t>(r);
        return static_cast<size_t>(r);
    }
}

namespace {

// Follows path through the symbolic links it names, one after the other, to
// the file they finally lead to; relative links are read from their own folder.
bool followLinks(fs::path path, fs::path& target, std::string& error) {
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            target = path;
            return true;
        }
        std::error_code ec;
        fs::path next = fs::read_symlink(path, ec);
        if (ec) {
            error = "read link: " + ec.message();
            return false;
        }
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    error = std::string("read link: ") + std::strerror(ELOOP);
    return false;
}

// Whether name is "<stem>" followed by six letters or digits, the names mkstemp
// gives for the template "<stem>XXXXXX".
bool isTemporaryName(const std::string& name, const std::string& stem) {
    if (name.size() != stem.size() + 6 || name.compare(0, stem.size(), stem) != 0) return false;
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(stem.size()), name.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

// Removes the temporary files "<stem>XXXXXX" in dir that no live writer holds:
// those of saves killed midway. A file another writer holds is left alone.
void removeLeftTemporaries(const fs::path& dir, const std::string& stem) {
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (!isTemporaryName(it->path().filename().string(), stem)) continue;
        HeldFile left;
        std::string ignored;
        if (left.takeOver(it->path(), ignored)) left.remove();
    }
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(fs::path path, bool durable)
    : path_(std::move(path)), durable_(durable) {}

AtomicFileWriter::~AtomicFileWriter() {
    abandon();
}

void AtomicFileWriter::abandon() {
    temporary_.remove();
}

bool AtomicFileWriter::open(std::string& error) {
    abandon();
    error_.clear();
    if (!followLinks(path_, target_, error)) return false;
    fs::path dir = target_.has_parent_path() ? target_.parent_path() : fs::path(".");
    const std::string stem = "." + target_.filename().string() + ".";
    removeLeftTemporaries(dir, stem);
    if (!temporary_.create(dir, stem, error)) return false;
    // Keep the permissions of the file being replaced; new files get 0644 less umask.
    struct stat st {};
    mode_t mode = 0644;
    if (::stat(target_.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    if (::fchmod(temporary_.descriptor(), mode) != 0) {
        error = systemError("set permissions");
        abandon();
        return false;
    }
    return true;
}

bool AtomicFileWriter::write(std::span<const uint8_t> data) {
    if (!temporary_.held()) {
        if (error_.empty()) error_ = "write: file not open";
        return false;
    }
    if (!error_.empty()) return false;
    if (!writeAll(temporary_.descriptor(), data.data(), data.size())) {
        error_ = systemError("write");
        return false;
    }
    return true;
}

bool AtomicFileWriter::commit(std::string& error) {
    if (!error_.empty() || !temporary_.held()) {
        error = error_.empty() ? "write: file not open" : error_;
        abandon();
        return false;
    }
    if (durable_ && ::fsync(temporary_.descriptor()) != 0) {
        error = systemError("flush");
        abandon();
        return false;
    }
    // Renamed while still locked, so no other writer takes it for a leftover.
    if (::rename(temporary_.path().c_str(), target_.c_str()) != 0) {
        error = systemError("rename");
        abandon();
        return false;
    }
    temporary_.release();
    if (!durable_) return true;
    // Make the rename itself durable.
    fs::path dir = target_.has_parent_path() ? target_.parent_path() : fs::path(".");
    int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

}  // namespace lumavox
