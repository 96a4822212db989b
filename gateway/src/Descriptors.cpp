#include "Descriptors.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace lumavox::gateway {

namespace {

constexpr size_t kMinShare = 16;
constexpr size_t kMaxShare = 4096;

int openSpare() {
    return ::open("/dev/null", O_RDONLY | O_CLOEXEC);
}

}  // namespace

size_t descriptorShare() {
    rlimit rl{};
    size_t descriptors = 1024;
    if (::getrlimit(RLIMIT_NOFILE, &rl) == 0 && rl.rlim_cur != RLIM_INFINITY)
        descriptors = static_cast<size_t>(rl.rlim_cur);
    return std::clamp<size_t>(descriptors / 4, kMinShare, kMaxShare);
}

SpareDescriptor::SpareDescriptor() : fd_(openSpare()) {}

SpareDescriptor::~SpareDescriptor() {
    if (fd_ >= 0) ::close(fd_);
}

bool SpareDescriptor::refuseOne(int listener) {
    int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0 && (errno == EMFILE || errno == ENFILE) && fd_ >= 0) {
        // The reserve makes room for exactly this one connection.
        ::close(fd_);
        fd_ = -1;
        fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    }
    if (fd >= 0) ::close(fd);
    if (fd_ < 0) fd_ = openSpare();
    return fd >= 0;
}

}  // namespace lumavox::gateway
