#include "server/Import.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace lumavox::server {

namespace {

std::string lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The first sign address of the stored list ("1,3,10-12" gives 1); 1 when none.
int firstAddress(const std::string& list) {
    size_t i = list.find_first_of("0123456789");
    if (i == std::string::npos) return 1;
    int v = std::atoi(list.c_str() + i);
    return v >= 0 && v <= 255 ? v : 1;
}

std::vector<std::string> splitHosts(const std::string& addresses) {
    std::vector<std::string> hosts;
    size_t pos = 0;
    while (pos <= addresses.size()) {
        size_t comma = addresses.find(',', pos);
        std::string h =
            addresses.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        h.erase(0, h.find_first_not_of(" \t"));
        h.erase(h.find_last_not_of(" \t") + 1);
        if (!h.empty()) hosts.push_back(h);
        if (comma == std::string::npos) break;
        pos = comma + 1;
    }
    return hosts;
}

}  // namespace

std::string registryName(const std::string& name) {
    std::string out;
    for (unsigned char c : name) {
        if (out.size() == 64) break;
        out.push_back(std::isalnum(c) || c == '-' || c == '_' || c == '.' ? static_cast<char>(c)
                                                                          : '_');
    }
    if (!out.empty() && out[0] == '.') out[0] = '_';
    return out;
}

ImportedSigns signsFromStoredGroups(const Settings& settings, const DefaultSignSize& size,
                                    const std::vector<SignRecord>& registered, int64_t nowSeconds) {
    ImportedSigns out;
    std::map<std::string, SignRecord> made;  // lower-case name -> sign
    auto join = [&](const std::string& name, const std::string& link, const std::string& group) {
        const std::string key = lower(name);
        auto it = made.find(key);
        if (it == made.end()) {
            auto known = std::find_if(registered.begin(), registered.end(),
                                      [&](const SignRecord& s) { return lower(s.name) == key; });
            SignRecord s;
            if (known != registered.end()) {
                s = *known;
            } else {
                s.name = name;
                s.link = link;
                s.address = firstAddress(settings.address);
                s.family = settings.mode == SignMode::NVS ? "NVS" : "KV2";
                s.width = size.width;
                s.height = size.height;
                s.colourType = size.colourType;
                s.createdAt = nowSeconds;
            }
            it = made.emplace(key, std::move(s)).first;
        }
        std::vector<std::string>& groups = it->second.groups;
        if (std::none_of(groups.begin(), groups.end(),
                         [&](const std::string& g) { return lower(g) == lower(group); }))
            groups.push_back(group);
    };
    for (const TcpIpGroup& g : settings.tcpGroups) {
        const std::string group = registryName(g.name);
        if (group.empty()) {
            out.skipped.push_back("TCP/IP group without a name");
            continue;
        }
        for (const std::string& host : splitHosts(g.addresses))
            join(registryName(host), "tcp:" + host + ":" + std::to_string(settings.tcpPort), group);
    }
    for (const GprsGroup& g : settings.gprsGroups) {
        const std::string group = registryName(g.name);
        if (group.empty()) {
            out.skipped.push_back("GPRS group without a name");
            continue;
        }
        for (const std::string& device : g.devices) {
            if (device.empty() || device.find(',') != std::string::npos) {
                out.skipped.push_back("GPRS device \"" + device + "\" of group " + g.name);
                continue;
            }
            join(registryName(device), "gprs:" + device, group);
        }
    }
    for (auto& [key, sign] : made)
        out.signs.push_back(std::move(sign));
    return out;
}

}  // namespace lumavox::server
