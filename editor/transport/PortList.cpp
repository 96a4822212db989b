#include "transport/PortList.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>

#include "platform/SerialPort.h"
#include "strings/TextFormat.h"

namespace lumavox {

namespace {

// Open for writing, existing device only: present and free, or present and held.
bool portPresent(const std::string& device) {
    int fd = ::open(device.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == EBUSY || errno == EACCES;
    bool present = ::isatty(fd) == 1;
    ::close(fd);
    return present;
}

}  // namespace

std::vector<ComPortEntry> listComPorts(const ComPortMap& ports) {
    std::vector<ComPortEntry> list;
    for (int n = 0; n < 50; ++n) {
        std::string device = ports.devicePath(n);
        if (portPresent(device)) list.push_back({n, formatText("COM%d", {n}), device});
    }
    return list;
}

std::vector<std::string> unmappedSystemPorts(const ComPortMap& ports) {
    std::vector<std::string> mapped;
    for (int n = 0; n < 50; ++n)
        mapped.push_back(ports.devicePath(n));
    std::vector<std::string> result;
    for (auto& device : SerialPort::listPorts())
        if (std::find(mapped.begin(), mapped.end(), device) == mapped.end())
            result.push_back(device);
    return result;
}

int preselectedPort(const std::vector<ComPortEntry>& list, int current) {
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].number == current) return static_cast<int>(i);
    return list.empty() ? -1 : 0;
}

int comNumberFromLabel(const std::string& label) {
    if (label.size() <= 3) return 1;
    int n = 0;
    auto [p, ec] = std::from_chars(label.data() + 3, label.data() + label.size(), n);
    if (ec != std::errc() || n < 0) return 1;
    return n;
}

}  // namespace lumavox
