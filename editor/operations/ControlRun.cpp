#include "operations/ControlRun.h"

#include <poll.h>

#include "operations/ControlSetup.h"

namespace lumavox {

bool controlNumber(const std::string& t, int& v) {
    if (t.empty() || t.size() > 9 || t.find_first_not_of("0123456789") != std::string::npos)
        return false;
    v = std::atoi(t.c_str());
    return true;
}

bool applyControlLink(const std::string& l, ControlRouteConfig& config, SerialPort& serial,
                      std::string& error, bool& badText) {
    badText = true;
    if (l.rfind("tcp:", 0) == 0) {
        size_t colon = l.rfind(':');
        int port = 0;
        if (colon <= 3 || !controlNumber(l.substr(colon + 1), port) || port <= 0 || port > 65535) {
            error = "tcp:HOST:PORT needs a port";
            return false;
        }
        config.sendType = SendType::TcpIp;
        config.tcpPort = port;
        config.targets.clear();
        std::string hosts = l.substr(4, colon - 4);
        size_t pos = 0;
        while (pos <= hosts.size()) {
            size_t comma = hosts.find(',', pos);
            std::string h = hosts.substr(pos, comma == std::string::npos ? comma : comma - pos);
            if (!h.empty()) config.targets.push_back(h);
            if (comma == std::string::npos) break;
            pos = comma + 1;
        }
        return true;
    }
    if (l.rfind("serial:", 0) == 0) {
        // The line is opened here and handed to the control as an open line.
        std::string rest = l.substr(7);
        size_t at = rest.rfind('@');
        SerialSettings s;
        s.baud = config.baudRate;
        if (at != std::string::npos &&
            (!controlNumber(rest.substr(at + 1), s.baud) || s.baud <= 0)) {
            error = "serial:DEVICE[@BAUD] needs a device";
            return false;
        }
        badText = false;
        if (!serial.open(rest.substr(0, at), s, error)) return false;
        config.sendType = SendType::Serial;
        config.targets = {std::string()};
        config.hostHandle = serial.fd();
        return true;
    }
    if (l.rfind("com:", 0) == 0 && controlNumber(l.substr(4), config.comPort) &&
        config.comPort > 0) {
        config.sendType = SendType::Serial;
        config.targets = {std::string()};
        return true;
    }
    error = "the NVS family sends over tcp:, serial: or com: links, not " + l;
    return false;
}

int runControlOperation(UpdateKind kind, const ControlRouteConfig& config, const WorkArea* document,
                        ControlRouteHost& host, const std::filesystem::path& controlDir,
                        const ResourceTable& resources, const std::function<bool()>& stop) {
    HostedControl hosted = CreateHostedControl(controlDir, resources, host);
    if (!hosted.control) return 1;
    int failures = 0;
    {
        ControlRoute route(*hosted.control, host);
        if (route.start(kind, config, document)) {
            while (route.running()) {
                if (stop && stop()) {
                    route.stop();
                    ++failures;
                    break;
                }
                pollfd p{route.eventFd(), POLLIN, 0};
                ::poll(&p, 1, 200);
                route.dispatch();
            }
        } else {
            ++failures;
        }
        failures += route.failures();
    }
    NVSOCX_ReleaseObject(hosted.control);
    return failures;
}

}  // namespace lumavox
