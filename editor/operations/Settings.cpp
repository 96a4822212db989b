#include "operations/Settings.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "platform/ComPorts.h"
#include "platform/Profile.h"

namespace lumavox {

namespace {

constexpr const char* kCommunication = "Settings for Communication";
constexpr const char* kSendInfo = "SendInfo";
constexpr const char* kAutoSet = "AutoSet";
constexpr const char* kPhone = "Phone";
constexpr const char* kServerIpList = "ServerIPList";
constexpr const char* kGprs = "GPRS";
constexpr const char* kPingSize = "DefaultPingSize";
// Counts read from files bound the keys looked for; far above any real list.
constexpr int kMaxListEntries = 10000;

int boundedCount(int n) {
    return n < 0 ? 0 : n > kMaxListEntries ? kMaxListEntries : n;
}

// "GPRS Group<number>", the section of one GPRS group (names compare without
// regard to case).
bool isGprsGroupSection(std::string_view name) {
    constexpr std::string_view prefix = "gprs group";
    if (name.size() <= prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(name[i])) != prefix[i]) return false;
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

std::string indexed(const char* pattern, int n) {
    std::string s(pattern);
    size_t at = s.find("%d");
    return s.replace(at, 2, std::to_string(n));
}

bool ensureFolder(const std::filesystem::path& file, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    if (ec) error = file.parent_path().string() + ": " + ec.message();
    return !ec;
}

}  // namespace

int Settings::mapComDevice(const std::string& device) {
    for (const auto& [com, path] : comDevices)
        if (path == device) return com;
    for (int com = 1; com <= 49; ++com) {
        if (comDevices.count(com)) continue;
        std::error_code ec;
        if (std::filesystem::exists(defaultComDevicePath(com), ec)) continue;
        comDevices[com] = device;
        return com;
    }
    return -1;
}

std::string Settings::comDevicePath(int com) const {
    return comPortsFrom(*this).devicePath(com);
}

LinkSettings linkSettingsFrom(const Settings& s) {
    LinkSettings link;
    link.frameSize = s.frameSize;
    link.repeatTimes = s.repeatTimes;
    link.modemTimeoutMs = s.modemTimeoutMs;
    link.lanTimeoutMs = s.lanRs232TimeoutMs;
    link.comPort = s.comport;
    link.baudIndex = s.baudRateIndex;
    link.address = s.address;
    link.tcpPort = s.tcpPort;
    return link;
}

ComPortMap comPortsFrom(const Settings& s) {
    return ComPortMap(s.comDevices);
}

SettingsStore::SettingsStore(std::filesystem::path settingsDir, std::filesystem::path userStore)
    : settingsDir_(std::move(settingsDir)), userStore_(std::move(userStore)) {}

Settings SettingsStore::LoadSettings() const {
    Settings s;
    Profile soft = Profile::load(softwareSetPath());
    s.repeatTimes = soft.getInt(kCommunication, "Time for Repeating send", 3);
    if (s.repeatTimes <= 0) s.repeatTimes = 1;
    s.modemTimeoutMs = soft.getInt(kCommunication, "Time out for Modem connection", 6500);
    s.lanRs232TimeoutMs = soft.getInt(kCommunication, "Time out for LAN / RS232 connection", 13000);
    s.frameSize = soft.getInt(kCommunication, "Number for Frame", 1000);
    if (s.frameSize >= 1000 || s.frameSize <= 10) s.frameSize = 1000;
    s.mode = soft.getInt("Sign Type", "Is For NVS", 0) != 0 ? SignMode::NVS : SignMode::KV2;

    Profile user = Profile::load(userStore_);
    s.commuStatus = user.getInt("MenuCheck", "iCommuStatus", -1);
    s.autoOn = user.getInt(kAutoSet, "IsAutoOn", 0) != 0;
    s.autoOff = user.getInt(kAutoSet, "IsAutoOff", 0) != 0;
    s.autoOnHour = user.getInt(kAutoSet, "AutoOnHour", 0);
    s.autoOnMinute = user.getInt(kAutoSet, "AutoOnMinute", 0);
    s.autoOffHour = user.getInt(kAutoSet, "AutoOffHour", 0);
    s.autoOffMinute = user.getInt(kAutoSet, "AutoOffMunute", 0);
    s.lastGroupName = user.getString(kSendInfo, "LastGroupName");
    s.tcpPort = user.getInt(kSendInfo, "Port", 5005);
    int sendType = user.getInt(kSendInfo, "SendType", 1);
    // GPRS is not offered in the NVS family; a stored 3 means serial there.
    if (sendType == 3 && s.mode == SignMode::NVS) sendType = 1;
    s.sendType = sendType == 2   ? SendType::TcpIp
                 : sendType == 3 ? SendType::Gprs
                                 : SendType::Serial;
    s.comport = user.getInt(kSendInfo, "Comport", 1);
    s.alwaysDisplay = user.getInt(kSendInfo, "IsAlwaysDisplay", 1) != 0;
    s.address = user.getString(kSendInfo, "Address");
    s.baudRateIndex = user.getInt(kSendInfo, "BaudRate", 3);
    s.clearAllMemory = user.getInt(kSendInfo, "ClearAllMemory", 0);
    s.checkResponseEachSignNvs = user.getInt(kSendInfo, "Check Response for Each Sign NVS", 1) != 0;
    s.lastGprsGroupName = user.getString(kSendInfo, "LastGPRSGroupName");
    s.fontFileName = user.getString("Font", "FontName");
    s.modemName = user.getString("Modem", "Use Modem Name");
    s.hangUpModemWhenSendOver = user.getInt("Modem", "HangUpWhenSendOver", 0) != 0;
    int phones = boundedCount(user.getInt(kPhone, "Phone Count", 0));
    for (int i = 0; i < phones; ++i)
        s.phones.push_back(user.getString(kPhone, indexed("Phone %d", i)));
    s.lastPhoneNo = user.getString(kPhone, "LastPhoneNo");
    int groups = boundedCount(user.getInt(kServerIpList, "Count", 0));
    for (int i = 0; i < groups; ++i)
        s.tcpGroups.push_back({user.getString(kServerIpList, indexed("Group%d Name", i)),
                               user.getString(kServerIpList, indexed("Group%d IP", i))});
    s.comDevices = readComDevices(user);

    Profile gprs = Profile::load(gprsSetPath());
    s.gprsServerPort = gprs.getInt(kGprs, "Server Port", 8001);
    // Only groups whose section is there count: a garbage count read as
    // thousands of empty groups would be written back as such.
    int gprsGroups = boundedCount(gprs.getInt(kGprs, "Group Count", 0));
    for (int g = 1; g <= gprsGroups; ++g) {
        std::string section = indexed("GPRS Group%d", g);
        if (!gprs.hasSection(section)) continue;
        GprsGroup group;
        group.name = gprs.getString(section, "Group Name");
        int items = boundedCount(gprs.getInt(section, "Count", 0));
        for (int i = 1; i <= items; ++i)
            group.devices.push_back(gprs.getString(section, indexed("Item%d", i)));
        s.gprsGroups.push_back(std::move(group));
    }
    return s;
}

bool SettingsStore::SaveSettings(const Settings& s, std::string& error) const {
    Profile user = Profile::load(userStore_);
    user.setInt("MenuCheck", "iCommuStatus", s.commuStatus);
    user.setInt(kAutoSet, "IsAutoOn", s.autoOn);
    user.setInt(kAutoSet, "IsAutoOff", s.autoOff);
    user.setInt(kAutoSet, "AutoOnHour", s.autoOnHour);
    user.setInt(kAutoSet, "AutoOnMinute", s.autoOnMinute);
    user.setInt(kAutoSet, "AutoOffHour", s.autoOffHour);
    user.setInt(kAutoSet, "AutoOffMunute", s.autoOffMinute);
    user.setString(kSendInfo, "LastGroupName", s.lastGroupName);
    user.setInt(kSendInfo, "Port", s.tcpPort);
    user.setInt(kSendInfo, "SendType", static_cast<int>(s.sendType));
    user.setInt(kSendInfo, "Comport", s.comport);
    user.setInt(kSendInfo, "IsAlwaysDisplay", s.alwaysDisplay);
    user.setString(kSendInfo, "Address", s.address);
    user.setInt(kSendInfo, "BaudRate", s.baudRateIndex);
    user.setInt(kSendInfo, "ClearAllMemory", s.clearAllMemory);
    user.setInt(kSendInfo, "Check Response for Each Sign NVS", s.checkResponseEachSignNvs);
    user.setString(kSendInfo, "LastGPRSGroupName", s.lastGprsGroupName);
    user.setInt(kSendInfo, "HangUpWhenSendOverByTcpIp", s.hangUpWhenSendOverByTcpIp);
    user.setString("Font", "FontName", s.fontFileName);
    user.setString("Modem", "Use Modem Name", s.modemName);
    user.setInt("Modem", "HangUpWhenSendOver", s.hangUpModemWhenSendOver);
    // COM numbers given to devices (the keys a user wrote by hand stay as they are).
    for (const auto& [com, path] : s.comDevices)
        user.setString(kComportsSection, "COM" + std::to_string(com), path);
    // Lists are rewritten whole so that entries of a longer old list do not linger.
    user.removeSection(kPhone);
    user.setInt(kPhone, "Phone Count", static_cast<int>(s.phones.size()));
    for (size_t i = 0; i < s.phones.size(); ++i)
        user.setString(kPhone, indexed("Phone %d", static_cast<int>(i)), s.phones[i]);
    user.setString(kPhone, "LastPhoneNo", s.lastPhoneNo);
    user.removeSection(kServerIpList);
    user.setInt(kServerIpList, "Count", static_cast<int>(s.tcpGroups.size()));
    for (size_t i = 0; i < s.tcpGroups.size(); ++i) {
        user.setString(kServerIpList, indexed("Group%d Name", static_cast<int>(i)),
                       s.tcpGroups[i].name);
        user.setString(kServerIpList, indexed("Group%d IP", static_cast<int>(i)),
                       s.tcpGroups[i].addresses);
    }
    if (!ensureFolder(userStore_, error) || !user.save(error)) return false;

    Profile gprs = Profile::load(gprsSetPath());
    // Every old group goes, whatever the old count said, before the list is
    // written afresh.
    gprs.removeSections([](std::string_view name) { return isGprsGroupSection(name); });
    gprs.setInt(kGprs, "Server Port", s.gprsServerPort);
    gprs.setInt(kGprs, "Group Count", static_cast<int>(s.gprsGroups.size()));
    for (size_t g = 0; g < s.gprsGroups.size(); ++g) {
        std::string section = indexed("GPRS Group%d", static_cast<int>(g + 1));
        const GprsGroup& group = s.gprsGroups[g];
        gprs.setString(section, "Group Name", group.name);
        gprs.setInt(section, "Count", static_cast<int>(group.devices.size()));
        for (size_t i = 0; i < group.devices.size(); ++i)
            gprs.setString(section, indexed("Item%d", static_cast<int>(i + 1)), group.devices[i]);
    }
    return ensureFolder(gprsSetPath(), error) && gprs.save(error);
}

DefaultSignSize SettingsStore::LoadDefaultSignSize() const {
    Profile user = Profile::load(userStore_);
    return {user.getInt(kPingSize, "PingWidth", 160), user.getInt(kPingSize, "PingHeight", 16),
            user.getInt(kPingSize, "PingColor", 0)};
}

bool SettingsStore::SaveDefaultSignSize(const DefaultSignSize& size, std::string& error) const {
    Profile user = Profile::load(userStore_);
    user.setInt(kPingSize, "PingWidth", size.width);
    user.setInt(kPingSize, "PingHeight", size.height);
    user.setInt(kPingSize, "PingColor", size.colourType);
    return ensureFolder(userStore_, error) && user.save(error);
}

std::string SettingsStore::DefaultFontName() const {
    return Profile::load(softwareSetPath()).getString("Font", "Default", "SS7");
}

}  // namespace lumavox
