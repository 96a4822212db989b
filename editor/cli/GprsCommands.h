// lumavox-cli's GPRS route: `--link gprs:NAME[,NAME...]` for the sign
// operations (the gateway started, the devices awaited, the link given the
// monitor's registry) and the `gprs list` command.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "operations/GprsRoute.h"
#include "operations/Operations.h"

namespace lumavox {

// Default of --wait-devices, in seconds.
constexpr int kDefaultWaitDevicesSeconds = 10;

// True for `lumavox-cli gprs ...`.
bool isGprsCommand(const std::vector<std::string>& args);
int runGprsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The gateway of one GPRS sign operation.
class CliGprsRoute {
  public:
    // Starts the gateway's server on `port` (0: the stored server port) and
    // waits up to `waitSeconds` for `devices`; prints who is missing and every
    // refused registration. A server that cannot start waits for nothing.
    CliGprsRoute(const std::optional<std::string>& home, const Settings& settings,
                 const std::vector<std::string>& devices, int port, int waitSeconds,
                 const std::function<bool()>& cancelled, std::ostream& out);
    GprsMonitor& monitor() { return gateway_->monitor(); }
    // Why the gateway's server did not start; empty when it runs.
    const std::string& startError() const { return startError_; }

  private:
    std::unique_ptr<GprsGateway> gateway_;
    std::string startError_;
};

}  // namespace lumavox
