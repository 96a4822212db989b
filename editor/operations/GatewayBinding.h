// The editor's ten entry points into the GPRS gateway library, bound by name.
//
// The library travels inside the program file. At start it is unpacked into a
// file of its own in the temporary folder (a "KOR" file made with mkstemp) and
// loaded from there; the file's path is remembered in the per-user store so
// that a copy left behind by a run that ended abruptly is reused rather than
// littering the folder. A copy in use by a running program is never reused, so
// two programs always run separate copies. When the program ends the library is
// released and its copy deleted.
//
// Any entry point may be absent (no library, an unloadable file, a library
// without that export): every call then gives its neutral result, as listed
// with each function, so GPRS operations fail softly instead of crashing.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "Gprslink.h"
#include "platform/HeldFile.h"

namespace lumavox {

class GatewayBinding {
  public:
    // Where the per-user store remembers the unpacked copy.
    static constexpr const char* kStoreSection = "Gateway";
    static constexpr const char* kStoreKey = "Unpacked Library";
    static constexpr const char* kCopyPrefix = "KOR";

    // Nothing bound: every call gives its neutral result.
    GatewayBinding() = default;
    // Unpacks `library` into workDir (or into the copy remembered in userStore
    // when that is free), loads it and binds the entry points. An empty
    // `library`, a copy that cannot be written or a file that cannot be loaded
    // leaves entry points absent; nothing is reported.
    GatewayBinding(std::span<const uint8_t> library, const std::filesystem::path& workDir,
                   const std::filesystem::path& userStore);
    // Release().
    ~GatewayBinding();
    GatewayBinding(const GatewayBinding&) = delete;
    GatewayBinding& operator=(const GatewayBinding&) = delete;

    // Releases the library, then deletes the unpacked copy.
    void Release();

    // The unpacked copy (empty when none was written) and whether the library
    // is loaded.
    const std::filesystem::path& libraryPath() const { return copy_.path(); }
    bool loaded() const { return library_ != nullptr; }
    // How many of the ten entry points are bound.
    int boundCount() const;

    // Absent: nothing happens.
    void Delete(DTU_HANDLE handle) const;
    // Absent: -1.
    int Init(DTU_HANDLE handle) const;
    // Absent: 0 (no server).
    DTU_HANDLE AddNetServer(const char* localIp, int port, const char* password) const;
    // Absent: -1.
    int Uninit(DTU_HANDLE handle) const;
    // Absent: 0.
    int IsClientAvailable(DTU_HANDLE client) const;
    // Absent: 0.
    int GetClientInfo(DTU_HANDLE client, char* ipAddress, int* port, char* fieldA, char* fieldB,
                      char* fieldC, char* fieldD) const;
    // Absent: 0 (no client).
    DTU_HANDLE GetNewConnectedClient(DTU_HANDLE server) const;
    // Absent: -1.
    int SendData(DTU_HANDLE client, const unsigned char* data, int length) const;
    // Absent: -1.
    int ReceiveData(DTU_HANDLE client, unsigned char* buffer, int capacity) const;
    // Absent: 0.
    int GetReceiveDataCount(DTU_HANDLE client) const;

    // Reads and discards what the gateway holds for a client; needs both the
    // count and the receive entry points, else does nothing.
    void FlushClient(DTU_HANDLE client) const;

  private:
    void bind();

    HeldFile copy_;
    void* library_ = nullptr;
    decltype(&DTU_Delete) delete_ = nullptr;
    decltype(&DTU_Init) init_ = nullptr;
    decltype(&DTU_AddNetServer) addNetServer_ = nullptr;
    decltype(&DTU_Uninit) uninit_ = nullptr;
    decltype(&DTU_IsClientAvailable) isClientAvailable_ = nullptr;
    decltype(&DTU_GetClientInfo) getClientInfo_ = nullptr;
    decltype(&DTU_GetNewConnectedClient) getNewConnectedClient_ = nullptr;
    decltype(&DTU_SendData) sendData_ = nullptr;
    decltype(&DTU_ReceiveData) receiveData_ = nullptr;
    decltype(&DTU_GetReceiveDataCount) getReceiveDataCount_ = nullptr;
};

}  // namespace lumavox
