// The 29 exported DTU_ functions and the version query: argument checks, handle
// lookup, and a guard that keeps any C++ exception from crossing into the host.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>

#include "DtuDevice.h"
#include "Gprslink.h"
#include "NetConnectionPort.h"
#include "NetServerPort.h"
#include "Registration.h"
#include "Runtime.h"
#include "SerialDtuPort.h"

using namespace lumavox::gateway;
// The public header's opaque DtuDevice is a different type from the class.
using Device = lumavox::gateway::DtuDevice;

namespace {

template <class R, class F>
R guarded(R fallback, F&& fn) noexcept {
    try {
        return fn();
    } catch (...) {
        return fallback;
    }
}

std::shared_ptr<Device> deviceOf(DTU_HANDLE handle) {
    if (handle == nullptr) return nullptr;
    return Runtime::get().handles().find(handle);
}

NetConnectionPort* clientOf(const std::shared_ptr<Device>& d) {
    return d ? d->connection() : nullptr;
}

std::string textOf(const char* s) {
    return s ? std::string(s) : std::string();
}

// Parameter names and values go into one command line each.
bool isSingleLine(std::string_view s) {
    return s.find_first_of("\r\n") == std::string_view::npos;
}

void copyBounded(std::string_view text, char* out, size_t size) {
    copyText(text.substr(0, std::min(text.size(), size - 1)), out);
}

bool validPort(int port) {
    return port >= 0 && port <= 65535;
}

int remote(DTU_HANDLE handle, std::string_view command, int timeoutMs) {
    return guarded(0, [&] {
        auto d = deviceOf(handle);
        return d ? d->remoteCommand(command, timeoutMs) : 0;
    });
}

}  // namespace

extern "C" {

GPRSLINK_API int DTU_GetLibraryVersion(void) {
    return GPRSLINK_VERSION;
}

GPRSLINK_API DTU_HANDLE DTU_AddCOM(int comNumber, int baudRate, int dataBits, int parity,
                                   int stopBits) {
    return guarded<DTU_HANDLE>(nullptr, [&] {
        SerialLine line{baudRate, dataBits, parity, stopBits};
        auto port = std::make_shared<SerialDtuPort>(comNumber, line);
        return Runtime::get().handles().add(std::make_shared<Device>(port));
    });
}

GPRSLINK_API DTU_HANDLE DTU_AddNetServer(const char* localIp, int port, const char* password) {
    return guarded<DTU_HANDLE>(nullptr, [&] {
        Runtime& rt = Runtime::get();
        auto server = std::make_shared<NetServerPort>(rt.io(), rt.pending(), rt.budget(),
                                                      textOf(localIp), port, textOf(password));
        return rt.handles().add(makeServerDevice(server));
    });
}

GPRSLINK_API DTU_HANDLE DTU_GetNewConnectedClient(DTU_HANDLE server) {
    return guarded<DTU_HANDLE>(nullptr, [&]() -> DTU_HANDLE {
        auto d = deviceOf(server);
        NetServerPort* s = d ? d->server() : nullptr;
        if (s == nullptr) return nullptr;
        auto connection = s->takeNewClient();
        if (!connection) return nullptr;
        return Runtime::get().handles().add(makeClientDevice(std::move(connection)));
    });
}

GPRSLINK_API void DTU_Delete(DTU_HANDLE handle) {
    guarded(0, [&] {
        if (handle == nullptr) return 0;
        if (auto d = Runtime::get().handles().remove(handle)) d->uninit();
        return 0;
    });
}

GPRSLINK_API int DTU_Init(DTU_HANDLE handle) {
    int why = EINVAL;
    int r = guarded(0, [&] {
        auto d = deviceOf(handle);
        if (!d) return 0;
        int ok = d->init();
        if (!ok) why = errno;
        return ok;
    });
    if (!r) errno = why;
    return r;
}

GPRSLINK_API int DTU_Uninit(DTU_HANDLE handle) {
    return guarded(0, [&] {
        auto d = deviceOf(handle);
        return d ? d->uninit() : 0;
    });
}

GPRSLINK_API int DTU_SendData(DTU_HANDLE handle, const unsigned char* data, int length) {
    return guarded(0, [&] {
        if (data == nullptr || length <= 0) return 0;
        auto d = deviceOf(handle);
        return d ? d->sendData(data, static_cast<size_t>(length)) : 0;
    });
}

GPRSLINK_API int DTU_ReceiveData(DTU_HANDLE handle, unsigned char* buffer, int capacity) {
    return guarded(0, [&] {
        if (buffer == nullptr || capacity <= 0) return 0;
        auto d = deviceOf(handle);
        return d ? d->receiveData(buffer, static_cast<size_t>(capacity)) : 0;
    });
}

GPRSLINK_API int DTU_GetReceiveDataCount(DTU_HANDLE handle) {
    return guarded(0, [&] {
        auto d = deviceOf(handle);
        return d ? d->receiveDataCount() : 0;
    });
}

GPRSLINK_API int DTU_IsClientAvailable(DTU_HANDLE client) {
    return guarded(0, [&] {
        NetConnectionPort* c = clientOf(deviceOf(client));
        return c && c->isClientAvailable() ? 1 : 0;
    });
}

GPRSLINK_API int DTU_GetClientInfo(DTU_HANDLE client, char* ipAddress, int* port, char* fieldA,
                                   char* fieldB, char* fieldC, char* fieldD) {
    return guarded(0, [&] {
        auto d = deviceOf(client);
        NetConnectionPort* c = clientOf(d);
        if (c == nullptr) return 0;
        const RegistrationRecord& r = c->record();
        copyBounded(c->peerAddress(), ipAddress, DTU_IP_ADDRESS_SIZE);
        if (port) *port = c->peerPort();
        copyBounded(r.deviceType(), fieldA, DTU_FIELD_A_SIZE);
        copyBounded(r.deviceName(), fieldB, DTU_FIELD_B_SIZE);
        copyBounded(r.deviceId(), fieldC, DTU_FIELD_C_SIZE);
        copyBounded(r.phone(), fieldD, DTU_FIELD_D_SIZE);
        return 1;
    });
}

GPRSLINK_API int DTU_SetReceiveDataTimeout(DTU_HANDLE client, int milliseconds) {
    return guarded(0, [&] {
        NetConnectionPort* c = clientOf(deviceOf(client));
        if (c == nullptr) return 0;
        c->setSilenceLimit(milliseconds < 0 ? -1 : milliseconds);
        return 1;
    });
}

GPRSLINK_API int DTU_AddTransferDes(DTU_HANDLE client, const char* ipAddress, int port) {
    return guarded(0, [&] {
        NetConnectionPort* c = clientOf(deviceOf(client));
        if (c == nullptr || ipAddress == nullptr || !validPort(port)) return 0;
        c->destinations().add(ipAddress, static_cast<uint16_t>(port));
        return 1;
    });
}

GPRSLINK_API int DTU_DelTransferDes(DTU_HANDLE client, const char* ipAddress, int port) {
    return guarded(0, [&] {
        NetConnectionPort* c = clientOf(deviceOf(client));
        if (c == nullptr) return 0;
        if (ipAddress != nullptr && validPort(port))
            c->destinations().remove(ipAddress, static_cast<uint16_t>(port));
        return 1;
    });
}

GPRSLINK_API int DTU_ClearTransferDes(DTU_HANDLE client) {
    return guarded(0, [&] {
        NetConnectionPort* c = clientOf(deviceOf(client));
        if (c == nullptr) return 0;
        c->destinations().clear();
        return 1;
    });
}

GPRSLINK_API int DTU_TransferDesDisTm(DTU_HANDLE client, int milliseconds) {
    return guarded(0, [&] {
        NetConnectionPort* c = clientOf(deviceOf(client));
        if (c == nullptr) return 0;
        c->setDestinationIdleLimit(milliseconds > 0 ? static_cast<uint64_t>(milliseconds) : 0);
        return 1;
    });
}

GPRSLINK_API int DTU_SendDataEx(DTU_HANDLE handle, const unsigned char* data, int length,
                                int wantAck, int timeoutMs) {
    return guarded(0, [&] {
        if (length < 0 || (data == nullptr && length > 0)) return 0;
        auto d = deviceOf(handle);
        return d ? d->sendDataEx(data, static_cast<size_t>(length), wantAck != 0, timeoutMs) : 0;
    });
}

GPRSLINK_API int DTU_SendStateData(DTU_HANDLE handle, const unsigned char* data, int length,
                                   int wantAck, int timeoutMs) {
    return guarded(0, [&] {
        if (length < 0 || (data == nullptr && length > 0)) return 0;
        auto d = deviceOf(handle);
        return d ? d->sendStateData(data, static_cast<size_t>(length), wantAck != 0, timeoutMs) : 0;
    });
}

GPRSLINK_API int DTU_ReceiveStateData(DTU_HANDLE handle, unsigned char* buffer, int capacity) {
    return guarded(0, [&] {
        if (buffer == nullptr || capacity <= 0) return 0;
        auto d = deviceOf(handle);
        return d ? d->receiveStateData(buffer, static_cast<size_t>(capacity)) : 0;
    });
}

GPRSLINK_API int DTU_Reset(DTU_HANDLE handle, int timeoutMs) {
    return remote(handle, "+++ dtu rst\r\n", timeoutMs);
}

GPRSLINK_API int DTU_Disconnect(DTU_HANDLE handle, int timeoutMs) {
    return remote(handle, "+++ discnt\r\n", timeoutMs);
}

GPRSLINK_API int DTU_StopIO(DTU_HANDLE handle, int timeoutMs) {
    return remote(handle, "+++ io stop\r\n", timeoutMs);
}

GPRSLINK_API int DTU_StartIO(DTU_HANDLE handle, int timeoutMs) {
    return remote(handle, "+++ io start\r\n", timeoutMs);
}

GPRSLINK_API int DTU_EnterConfig(DTU_HANDLE handle) {
    return guarded(DTU_CONFIG_FAILED, [&] {
        auto d = deviceOf(handle);
        return d ? d->enterConfig() : DTU_CONFIG_FAILED;
    });
}

GPRSLINK_API int DTU_ExitConfig(DTU_HANDLE handle, int waitReply) {
    return guarded(DTU_CONFIG_FAILED, [&] {
        auto d = deviceOf(handle);
        return d ? d->exitConfig(waitReply != 0) : DTU_CONFIG_FAILED;
    });
}

GPRSLINK_API int DTU_ConfigRead(DTU_HANDLE handle, const char* name, char* valueOut) {
    return guarded(DTU_CONFIG_FAILED, [&] {
        auto d = deviceOf(handle);
        const std::string n = textOf(name);
        if (!d || !isSingleLine(n)) return DTU_CONFIG_FAILED;
        std::string value;
        int r = d->configRead(n, value);
        if (r == DTU_CONFIG_OK) copyBounded(value, valueOut, DTU_CONFIG_TEXT_SIZE);
        return r;
    });
}

GPRSLINK_API int DTU_ConfigWrite(DTU_HANDLE handle, const char* name, const char* value) {
    return guarded(DTU_CONFIG_FAILED, [&] {
        auto d = deviceOf(handle);
        const std::string n = textOf(name);
        const std::string v = textOf(value);
        if (!d || !isSingleLine(n) || !isSingleLine(v)) return DTU_CONFIG_FAILED;
        return d->configWrite(n, v);
    });
}

GPRSLINK_API int DTU_GetAllConfig(DTU_HANDLE handle) {
    return guarded(DTU_CONFIG_FAILED, [&] {
        auto d = deviceOf(handle);
        return d ? d->getAllConfig() : DTU_CONFIG_FAILED;
    });
}

GPRSLINK_API int DTU_GetConfig(DTU_HANDLE handle, char* nameOut, char* valueOut) {
    return guarded(DTU_CONFIG_FAILED, [&] {
        auto d = deviceOf(handle);
        std::string name, value;
        if (!d || !d->getConfig(name, value)) return DTU_CONFIG_FAILED;
        copyBounded(name, nameOut, DTU_CONFIG_TEXT_SIZE);
        copyBounded(value, valueOut, DTU_CONFIG_TEXT_SIZE);
        return DTU_CONFIG_OK;
    });
}

}  // extern "C"
