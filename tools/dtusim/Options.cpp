#include "Options.h"

#include <cctype>
#include <cstdlib>

namespace lumavox::dtusim {

namespace {

bool parseInt(const std::string& s, int lo, int hi, int& out) {
    if (s.empty()) return false;
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    if (*end != '\0' || v < lo || v > hi) return false;
    out = static_cast<int>(v);
    return true;
}

bool parseEndpoint(std::string s, Endpoint& out) {
    if (s.rfind("tcp:", 0) == 0) s.erase(0, 4);
    size_t colon = s.rfind(':');
    if (colon == std::string::npos || colon == 0) return false;
    out.host = s.substr(0, colon);
    return parseInt(s.substr(colon + 1), 1, 65535, out.port);
}

const std::vector<std::pair<std::string, std::string>>& defaultParams() {
    static const std::vector<std::pair<std::string, std::string>> params = {
        {"IPAD", "10.0.0.1"},    {"PORT", "8001"}, {"APN", "CMNET"},
        {"DTUID", "0000000001"}, {"BAUD", "9600"}, {"BEATDATA", "60"},
    };
    return params;
}

}  // namespace

std::string usage() {
    return "usage:\n"
           "  dtusim --gateway HOST:PORT [--count N] [--connect-window N]\n"
           "         [--type T] [--name PATTERN] [--phone P] [--password W] [--id I]\n"
           "         [--framed [--heartbeat MS]] [--sign tcp:HOST:PORT] [--junk KIB]\n"
           "  dtusim --serial-config PATH [dialogue options]\n"
           "dialogue options (also for the configuration mode of --framed):\n"
           "  --echo  --err-cmd NAME  --err-data NAME  --param NAME=VALUE  --delay NAME:MS\n";
}

std::optional<Options> parseOptions(int argc, char** argv, std::string& error) {
    Options o;
    o.dialogue.params = defaultParams();
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = a + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string v;
        if (a == "--framed") {
            o.framed = true;
        } else if (a == "--echo") {
            o.dialogue.echo = true;
        } else if (!value(v)) {
            if (error.empty()) error = "unknown option " + a;
            return std::nullopt;
        } else if (a == "--gateway") {
            Endpoint e;
            if (!parseEndpoint(v, e)) return error = "bad --gateway " + v, std::nullopt;
            o.gateway = e;
        } else if (a == "--sign") {
            Endpoint e;
            if (v.rfind("tcp:", 0) != 0 || !parseEndpoint(v, e))
                return error = "bad --sign " + v + " (tcp:HOST:PORT)", std::nullopt;
            o.sign = e;
        } else if (a == "--count") {
            if (!parseInt(v, 1, 1000000, o.count)) return error = "bad --count", std::nullopt;
        } else if (a == "--connect-window") {
            if (!parseInt(v, 1, 100000, o.connectWindow))
                return error = "bad --connect-window", std::nullopt;
        } else if (a == "--junk") {
            int kib = 0;
            if (!parseInt(v, 1, 1 << 20, kib)) return error = "bad --junk", std::nullopt;
            o.junkBytes = kib * 1024L;
        } else if (a == "--heartbeat") {
            if (!parseInt(v, 1, 3600000, o.heartbeatMs))
                return error = "bad --heartbeat", std::nullopt;
        } else if (a == "--type") {
            o.type = v;
        } else if (a == "--name") {
            o.name = v;
        } else if (a == "--phone") {
            o.phone = v;
        } else if (a == "--password") {
            o.password = v;
        } else if (a == "--id") {
            o.id = v;
        } else if (a == "--serial-config") {
            o.serialConfig = v;
        } else if (a == "--err-cmd") {
            o.dialogue.errCmd.insert(v);
        } else if (a == "--err-data") {
            o.dialogue.errData.insert(v);
        } else if (a == "--param") {
            size_t eq = v.find('=');
            if (eq == std::string::npos || eq == 0)
                return error = "bad --param " + v + " (NAME=VALUE)", std::nullopt;
            std::string name = v.substr(0, eq);
            bool replaced = false;
            for (auto& p : o.dialogue.params)
                if (p.first == name) p.second = v.substr(eq + 1), replaced = true;
            if (!replaced) o.dialogue.params.emplace_back(name, v.substr(eq + 1));
        } else if (a == "--delay") {
            size_t colon = v.rfind(':');
            int ms = 0;
            if (colon == std::string::npos || colon == 0 ||
                !parseInt(v.substr(colon + 1), 0, 600000, ms))
                return error = "bad --delay " + v + " (NAME:MS)", std::nullopt;
            o.dialogue.delayMs[v.substr(0, colon)] = ms;
        } else {
            error = "unknown option " + a;
            return std::nullopt;
        }
    }
    if (o.gateway.has_value() == o.serialConfig.has_value()) {
        error = "give either --gateway or --serial-config";
        return std::nullopt;
    }
    return o;
}

std::string nameFor(const std::string& pattern, int index, int count) {
    std::string out;
    bool used = false;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            out += pattern[i];
            continue;
        }
        if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        size_t j = i + 1;
        bool zero = j < pattern.size() && pattern[j] == '0';
        if (zero) ++j;
        int width = 0;
        while (j < pattern.size() && std::isdigit(static_cast<unsigned char>(pattern[j])) &&
               width < 100)
            width = width * 10 + (pattern[j++] - '0');
        if (used || j >= pattern.size() || pattern[j] != 'd') {
            out += pattern[i];  // not a number field: kept as it stands
            continue;
        }
        std::string digits = std::to_string(index);
        if (static_cast<int>(digits.size()) < width)
            digits.insert(0, static_cast<size_t>(width) - digits.size(), zero ? '0' : ' ');
        out += digits;
        used = true;
        i = j;
    }
    if (!used && count > 1) out += std::to_string(index);
    return out;
}

}  // namespace lumavox::dtusim
