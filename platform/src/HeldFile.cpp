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
    std::string name = (dir / (prefix + "XXXXXX")).string();
    int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        error = systemError("create temporary file");
        return false;
    }
    if (!lockExclusive(fd)) {
        error = systemError("lock");
        ::close(fd);
        ::unlink(name.c_str());
        return false;
    }
    fd_ = fd;
    path_ = name;
    return true;
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
