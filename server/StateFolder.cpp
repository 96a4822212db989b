#include "server/StateFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/Files.h"

namespace lumavox::server {

namespace fs = std::filesystem;

bool newToken(std::string& token, std::string& error) {
    unsigned char bytes[32];
    int fd = ::open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return (error = std::string("/dev/urandom: ") + std::strerror(errno), false);
    size_t got = 0;
    while (got < sizeof bytes) {
        ssize_t n = ::read(fd, bytes + got, sizeof bytes - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ::close(fd);
            return (error = "/dev/urandom: cannot read", false);
        }
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    static const char* hex = "0123456789abcdef";
    token.clear();
    for (unsigned char b : bytes) {
        token.push_back(hex[b >> 4]);
        token.push_back(hex[b & 15]);
    }
    return true;
}

bool openStateFolder(const fs::path& dir, StateFolder& out, std::string& error) {
    std::error_code ec;
    out.created = !fs::exists(dir, ec);
    fs::create_directories(dir, ec);
    if (ec) return (error = dir.string() + ": " + ec.message(), false);
    if (out.created) ::chmod(dir.c_str(), 0700);
    out.database = dir / "lumavox-server.db";
    out.tokenFile = dir / "token";
    std::vector<uint8_t> bytes;
    if (readWholeFile(out.tokenFile, 4096, bytes, error)) {
        out.token.assign(bytes.begin(), bytes.end());
        while (!out.token.empty() && (out.token.back() == '\n' || out.token.back() == '\r'))
            out.token.pop_back();
        if (out.token.empty())
            return (error = out.tokenFile.string() + ": the token is empty", false);
        return true;
    }
    if (fs::exists(out.tokenFile, ec))
        return (error = out.tokenFile.string() + ": " + error, false);
    if (!newToken(out.token, error)) return false;
    // Written whole under a temporary name with the owner's rights only, then
    // renamed: another user never sees the token, a crash never leaves half.
    const fs::path temporary = dir / "token.new";
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return (error = temporary.string() + ": " + std::strerror(errno), false);
    ::fchmod(fd, 0600);
    bool ok =
        ::write(fd, out.token.data(), out.token.size()) == static_cast<ssize_t>(out.token.size()) &&
        ::fsync(fd) == 0;
    ::close(fd);
    if (!ok || ::rename(temporary.c_str(), out.tokenFile.c_str()) != 0) {
        error = out.tokenFile.string() + ": " + std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace lumavox::server
