#include "platform/HeldFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace lumavox {

namespace fs = std::filesystem;

namespace {

std::string systemError(const char* step) {
    return std::string(step) + ": " + std::strerror(errno);
}

bool lockExclusive(int fd) {
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

// The name still refers to the open file: nobody removed or replaced it
// before the lock was won.
bool stillNamed(int fd, const fs::path& path) {
    struct stat held {};
    struct stat named {};
    return ::fstat(fd, &held) == 0 && ::lstat(path.c_str(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

}  // namespace

fs::path temporaryDirectory() {
    if (const char* env = std::getenv("TMPDIR"); env && *env) return fs::path(env);
    return fs::path("/tmp");
}

HeldFile::~HeldFile() {
    release();
}

HeldFile::HeldFile(HeldFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

HeldFile& HeldFile::operator=(HeldFile&& other) noexcept {
    if (this != &other) {
        release();
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

bool HeldFile::create(const fs::path& dir, const std::string& prefix, std::string& error) {
    release();
    // Between its creation and its lock a fresh file looks like one left behind,
    // and another process may take it over and remove it; then try again.
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = (dir / (prefix + "XXXXXX")).string();
        int fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0) {
            error = systemError("create temporary file");
            return false;
        }
        if (!lockExclusive(fd)) {
            bool taken = errno == EWOULDBLOCK;
            error = systemError("lock");
            ::close(fd);
            if (taken) continue;
            ::unlink(name.c_str());
            return false;
        }
        if (!stillNamed(fd, name)) {
            ::close(fd);
            continue;
        }
        fd_ = fd;
        path_ = name;
        return true;
    }
    error = "create temporary file: removed by others again and again";
    return false;
}

bool HeldFile::takeOver(const fs::path& path, std::string& error) {
    release();
    int fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        error = systemError("open");
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        error = "not a file of this user";
        ::close(fd);
        return false;
    }
    if (!lockExclusive(fd)) {
        error = errno == EWOULDBLOCK ? "in use" : systemError("lock");
        ::close(fd);
        return false;
    }
    if (!stillNamed(fd, path)) {
        error = "removed meanwhile";
        ::close(fd);
        return false;
    }
    fd_ = fd;
    path_ = path;
    return true;
}

bool HeldFile::write(std::span<const uint8_t> data, std::string& error) {
    if (fd_ < 0) {
        error = "no file";
        return false;
    }
    if (::ftruncate(fd_, 0) != 0 || ::lseek(fd_, 0, SEEK_SET) != 0) {
        error = systemError("truncate");
        return false;
    }
    const uint8_t* p = data.data();
    size_t left = data.size();
    while (left > 0) {
        ssize_t w = ::write(fd_, p, left);
        if (w < 0) {
            if (errno == EINTR) continue;
            error = systemError("write");
            return false;
        }
        p += w;
        left -= static_cast<size_t>(w);
    }
    return true;
}

void HeldFile::remove() {
    if (fd_ < 0) return;
    ::unlink(path_.c_str());
    release();
}

void HeldFile::release() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

}  // namespace lumavox
