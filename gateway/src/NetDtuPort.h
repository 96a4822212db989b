// TCP transports: the listening server (NetServerPort) and one accepted DTU
// connection (NetConnectionPort). Both share the local address they serve.
#pragma once

#include <string>
#include <thread>

#include "DtuPort.h"

namespace lumavox::gateway {

class NetDtuPort : public DtuPort {
  public:
    static constexpr int kReplyTimeoutMs = 10000;

    NetDtuPort(std::string localAddress, int localPort)
        : localAddress_(std::move(localAddress)), localPort_(localPort) {}

    int replyTimeoutMs() const override { return kReplyTimeoutMs; }
    const std::string& localAddress() const { return localAddress_; }
    int localPort() const { return localPort_; }

  protected:
    std::string localAddress_;
    int localPort_;
};

}  // namespace lumavox::gateway
