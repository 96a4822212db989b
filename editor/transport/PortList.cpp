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

std::string serialPortText(const std::string& path, const std::vector<SerialPortName>& names) {
    const SerialPortName* named = stableNameOf(path, names);
    return named ? named->device + " (" + named->name() + ")" : path;
}

std::vector<ComPortEntry> listComPorts(const ComPortMap& ports,
                                       const std::vector<SerialPortName>& names) {
    std::vector<ComPortEntry> list;
    for (int n = 0; n < 50; ++n) {
        std::string device = ports.devicePath(n);
        if (!portPresent(device)) continue;
        std::string label = formatText("COM%d", {n});
        const SerialPortName* named = stableNameOf(device, names);
        std::string shown = named ? named->device + ", " + named->name() : device;
        std::string text = label + "  (" + shown + ")";
        list.push_back({n, std::move(label), std::move(device), std::move(text)});
    }
    return list;
}

std::vector<SystemPortEntry> unmappedSystemPorts(const ComPortMap& ports,
                                                 const std::vector<SerialPortName>& names) {
    // A COM number mapped to either path of a device maps the device.
    std::vector<std::string> mapped;
    for (int n = 0; n < 50; ++n) {
        const std::string device = ports.devicePath(n);
        mapped.push_back(device);
        if (const SerialPortName* named = stableNameOf(device, names))
            mapped.push_back(named->device);
    }
    std::vector<std::string> devices = SerialPort::listPorts();
    for (const SerialPortName& n : names)
        if (std::find(devices.begin(), devices.end(), n.device) == devices.end())
            devices.push_back(n.device);
    std::vector<SystemPortEntry> result;
    for (const std::string& device : devices) {
        if (std::find(mapped.begin(), mapped.end(), device) != mapped.end()) continue;
        const SerialPortName* named = stableNameOf(device, names);
        result.push_back({named ? named->link : device, serialPortText(device, names)});
    }
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
