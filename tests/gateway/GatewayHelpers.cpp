// The helpers of GatewayTestSupport.h that drive the gateway itself; kept
// apart so the test that loads the shared library links none of the gateway.
#include <stdlib.h>

#include <stdexcept>

#include "GatewayTestSupport.h"
#include "TestHooks.h"
#include "platform/Profile.h"

namespace lumavox::gwtest {

// ---- clock and server --------------------------------------------------------

ClockScope::ClockScope() {
    gateway::testhooks::setClock(&clock);
}

ClockScope::~ClockScope() {
    gateway::testhooks::setClock(nullptr);
}

Server::Server(const char* password) {
    port_ = freeTcpPort();
    handle_ = DTU_AddNetServer("127.0.0.1", port_, password);
    if (DTU_Init(handle_) != 1) throw std::runtime_error("server does not listen");
}

Server::~Server() {
    DTU_Uninit(handle_);
    DTU_Delete(handle_);
}

DTU_HANDLE Server::waitClient(int timeoutMs) {
    DTU_HANDLE client = nullptr;
    // Runs identification passes itself instead of waiting for the 200 ms timer.
    waitFor(
        [&] {
            gateway::testhooks::runIdentificationPass();
            return (client = DTU_GetNewConnectedClient(handle_)) != nullptr;
        },
        timeoutMs);
    return client;
}

Bytes receiveFromClient(DTU_HANDLE client, size_t n, int timeoutMs) {
    Bytes out;
    waitFor(
        [&] {
            uint8_t buf[4096];
            DTU_GetReceiveDataCount(client);
            int r = DTU_ReceiveData(client, buf,
                                    static_cast<int>(std::min(sizeof buf, n - out.size())));
            if (r > 0) out.insert(out.end(), buf, buf + r);
            return out.size() >= n;
        },
        timeoutMs);
    return out;
}

ComPorts::ComPorts() {
    if (const char* old = std::getenv("LUMAVOX_CONFIG_DIR")) oldValue_ = old;
    ::setenv("LUMAVOX_CONFIG_DIR", dir_.path().c_str(), 1);
}

ComPorts::~ComPorts() {
    if (oldValue_)
        ::setenv("LUMAVOX_CONFIG_DIR", oldValue_->c_str(), 1);
    else
        ::unsetenv("LUMAVOX_CONFIG_DIR");
}

void ComPorts::map(int comNumber, const std::string& devicePath) {
    Profile p = Profile::load(userStorePath());
    p.setString("Comports", "COM" + std::to_string(comNumber), devicePath);
    std::string error;
    std::filesystem::create_directories(userStorePath().parent_path());
    if (!p.saveAs(userStorePath(), error)) throw std::runtime_error("store: " + error);
}

}  // namespace lumavox::gwtest
