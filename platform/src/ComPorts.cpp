#include "platform/ComPorts.h"

#include <algorithm>
#include <cstdlib>

#include <charconv>

#include "platform/Profile.h"

namespace lumavox {

std::string defaultComDevicePath(int com) {
    return "/dev/ttyS" + std::to_string(com - 1);
}

int comNumberOfKey(std::string_view key) {
    if (key.size() < 4) return 0;
    for (size_t i = 0; i < 3; ++i)
        if ((key[i] | 0x20) != "com"[i]) return 0;
    std::string_view digits = key.substr(3);
    int n = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (ec != std::errc() || end != digits.data() + digits.size() || n <= 0) return 0;
    return n;
}

std::map<int, std::string> readComDevices(const Profile& store) {
    std::map<int, std::string> devices;
    for (const std::string& key : store.keys(kComportsSection)) {
        int n = comNumberOfKey(key);
        if (n <= 0 || devices.count(n)) continue;
        std::string path = store.getString(kComportsSection, key);
        // An empty entry counts as none, but still hides later keys for the number.
        devices.emplace(n, std::move(path));
    }
    std::erase_if(devices, [](const auto& entry) { return entry.second.empty(); });
    return devices;
}

std::string comDevicePath(int com, const std::map<int, std::string>& devices) {
    auto it = devices.find(com);
    if (it != devices.end() && !it->second.empty()) return it->second;
    return defaultComDevicePath(com);
}

std::string comDevicePath(int com, const Profile& store) {
    return comDevicePath(com, readComDevices(store));
}

std::filesystem::path serialByIdDir() {
    if (const char* dir = std::getenv("LUMAVOX_SERIAL_BY_ID"); dir && *dir) return dir;
    return "/dev/serial/by-id";
}

std::vector<SerialPortName> serialPortNames(const std::filesystem::path& byIdDir) {
    namespace fs = std::filesystem;
    std::vector<SerialPortName> names;
    std::error_code ec;
    for (fs::directory_iterator it(byIdDir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code linkError;
        if (!it->is_symlink(linkError)) continue;
        const fs::path device = fs::canonical(it->path(), linkError);
        if (linkError) continue;
        names.push_back({it->path().string(), device.string()});
    }
    std::sort(names.begin(), names.end(),
              [](const SerialPortName& a, const SerialPortName& b) { return a.link < b.link; });
    return names;
}

const SerialPortName* stableNameOf(std::string_view path,
                                   const std::vector<SerialPortName>& names) {
    std::error_code ec;
    const std::filesystem::path device = std::filesystem::canonical(path, ec);
    for (const SerialPortName& n : names)
        if (n.link == path || n.device == path || (!ec && n.device == device.string())) return &n;
    return nullptr;
}

}  // namespace lumavox
