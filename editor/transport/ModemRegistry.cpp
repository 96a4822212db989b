#include "transport/ModemRegistry.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace lumavox {

namespace {

constexpr int kStandardSpeeds[] = {110,   300,   1200,  2400,   4800,  9600,
                                   19200, 38400, 57600, 115200, 230400};

bool isStandardSpeed(int s) {
    return std::find(std::begin(kStandardSpeeds), std::end(kStandardSpeeds), s) !=
           std::end(kStandardSpeeds);
}

// The BaudRate field of a DCB: the 32-bit little-endian number after DCBlength.
int dcbSpeed(const std::vector<uint8_t>& dcb) {
    if (dcb.size() < 8) return 0;
    uint32_t v =
        uint32_t{dcb[4]} | uint32_t{dcb[5]} << 8 | uint32_t{dcb[6]} << 16 | uint32_t{dcb[7]} << 24;
    return v <= 230400 && isStandardSpeed(static_cast<int>(v)) ? static_cast<int>(v) : 0;
}

std::string initStringOf(const RegistryEx& r, const std::string& key) {
    std::string settings = subKeyPath(key, "Settings");
    std::string out;
    for (const std::string& name : r.valueNames(settings)) {
        std::string v = r.value(settings, name).value_or("");
        if (v.empty()) continue;
        if (!out.empty()) out += " ";
        out += v;
    }
    return out;
}

int portOf(const RegistryEx& r, const std::string& key, const std::string& keyName) {
    if (auto attached = r.value(key, "AttachedTo")) return portNumberOf(*attached);
    auto device = r.findKeyWithValue(kEnumKey, "Driver", "Modem\\" + keyName);
    if (!device) return 0;
    return portNumberOf(r.value(*device, "PORTNAME").value_or(""));
}

}  // namespace

bool ModemEntry::counted() const {
    return model.find(kIpVirtualModem) == std::string::npos;
}

std::string modemKeyName(int index) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d", index);
    return buf;
}

int portNumberOf(const std::string& text) {
    if (text.size() <= 3) return 0;
    int n = 0;
    for (size_t i = 3; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        n = n * 10 + (text[i] - '0');
        if (n > 255) return 0;
    }
    return n;
}

ModemList enumerateModems(const RegistryEx& r) {
    ModemList list;
    for (int i = 0; i < kMaxModems; ++i) {
        std::string name = modemKeyName(i);
        std::string key = subKeyPath(kModemClassKey, name);
        std::string model = r.value(key, "Model").value_or("");
        if (model.empty()) continue;
        ModemEntry e;
        e.key = name;
        e.model = model;
        e.port = portOf(r, key, name);
        e.speed = dcbSpeed(r.binaryValue(key, "DCB").value_or(std::vector<uint8_t>{}));
        e.resetString = r.value(key, "Reset").value_or("");
        if (e.resetString == "NONE") e.resetString.clear();
        e.initString = initStringOf(r, key);
        if (e.counted()) ++list.counted;
        list.modems.push_back(std::move(e));
    }
    return list;
}

std::optional<ModemEntry> findModem(const RegistryEx& r, const std::string& model) {
    for (ModemEntry& e : enumerateModems(r).modems)
        if (e.model == model) return e;
    return std::nullopt;
}

int modemPort(const RegistryEx& r, const std::string& model) {
    auto e = findModem(r, model);
    return e ? e->port : 0;
}

bool addModem(RegistryEx& r, const std::string& model, int port, int speed, std::string& error) {
    if (model.empty() || model.find_first_of("\r\n[]") != std::string::npos) {
        error = "a modem needs a model name (one line, without brackets)";
        return false;
    }
    if (port < 1 || port > 255) {
        error = "the port must be COM 1 ... 255";
        return false;
    }
    if (speed != 0 && !isStandardSpeed(speed)) {
        error = "the speed must be a standard rate (110 ... 230400)";
        return false;
    }
    if (findModem(r, model)) {
        error = "a modem named '" + model + "' is installed already";
        return false;
    }
    for (int i = 0; i < kMaxModems; ++i) {
        std::string key = subKeyPath(kModemClassKey, modemKeyName(i));
        if (!r.value(key, "Model").value_or("").empty()) continue;
        r.deleteKey(key);
        r.setValue(key, "Model", model);
        r.setValue(key, "AttachedTo", "COM" + std::to_string(port));
        r.setValue(key, "Reset", "ATZ");
        uint32_t baud = static_cast<uint32_t>(speed ? speed : 115200);
        std::vector<uint8_t> dcb(28, 0);
        dcb[0] = 28;
        for (int b = 0; b < 4; ++b)
            dcb[4 + b] = static_cast<uint8_t>(baud >> (8 * b));
        r.setBinaryValue(key, "DCB", dcb);
        std::string settings = subKeyPath(key, "Settings");
        r.setValue(settings, "Prefix", "AT");
        r.setValue(settings, "Terminator", "<cr>");
        r.setValue(settings, "EchoOff", "E0");
        r.setValue(settings, "CallSetupFailTimer", "S7=90");
        return true;
    }
    error = "ten modems are installed already";
    return false;
}

bool removeModem(RegistryEx& r, const std::string& model) {
    auto e = findModem(r, model);
    if (!e) return false;
    // Device keys that name this modem go with it.
    while (auto device = r.findKeyWithValue(kEnumKey, "Driver", "Modem\\" + e->key))
        r.deleteKey(*device);
    r.deleteKey(subKeyPath(kModemClassKey, e->key));
    return true;
}

}  // namespace lumavox
