#include "operations/GatewayBinding.h"

#include <dlfcn.h>

#include <algorithm>
#include <vector>

#include "platform/Profile.h"

namespace lumavox {

namespace fs = std::filesystem;

namespace {

// Taken from the gateway in slices, so that a count of any size never makes a
// large allocation.
constexpr int kFlushSlice = 64 * 1024;

template <typename F>
void lookUp(void* library, const char* name, F& entry) {
    entry = reinterpret_cast<F>(::dlsym(library, name));
}

// Only a file this program could have made is ever taken over and rewritten: a
// "KOR" file directly in the temporary folder. Any other remembered path (an
// edited store, a changed $TMPDIR) is left alone.
bool isOurCopyName(const std::string& stored, const fs::path& workDir) {
    if (stored.empty()) return false;
    fs::path p(stored);
    return (workDir / p.filename()).lexically_normal() == p.lexically_normal() &&
           p.filename().string().rfind(GatewayBinding::kCopyPrefix, 0) == 0;
}

}  // namespace

GatewayBinding::GatewayBinding(std::span<const uint8_t> library, const fs::path& workDir,
                               const fs::path& userStore) {
    if (library.empty()) return;
    std::string error;
    Profile store = Profile::load(userStore);
    std::string stored = store.getString(kStoreSection, kStoreKey);
    bool reused = isOurCopyName(stored, workDir) && copy_.takeOver(stored, error);
    if (!reused && !copy_.create(workDir, kCopyPrefix, error)) return;
    if (!copy_.write(library, error)) {
        copy_.remove();
        return;
    }
    if (!reused) {
        std::error_code ec;
        fs::create_directories(userStore.parent_path(), ec);
        store.setString(kStoreSection, kStoreKey, copy_.path().string());
        store.save(error);
    }
    library_ = ::dlopen(copy_.path().c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library_) bind();
}

GatewayBinding::~GatewayBinding() {
    Release();
}

void GatewayBinding::bind() {
    lookUp(library_, "DTU_Delete", delete_);
    lookUp(library_, "DTU_Init", init_);
    lookUp(library_, "DTU_AddNetServer", addNetServer_);
    lookUp(library_, "DTU_Uninit", uninit_);
    lookUp(library_, "DTU_IsClientAvailable", isClientAvailable_);
    lookUp(library_, "DTU_GetClientInfo", getClientInfo_);
    lookUp(library_, "DTU_GetNewConnectedClient", getNewConnectedClient_);
    lookUp(library_, "DTU_SendData", sendData_);
    lookUp(library_, "DTU_ReceiveData", receiveData_);
    lookUp(library_, "DTU_GetReceiveDataCount", getReceiveDataCount_);
}

void GatewayBinding::Release() {
    delete_ = nullptr;
    init_ = nullptr;
    addNetServer_ = nullptr;
    uninit_ = nullptr;
    isClientAvailable_ = nullptr;
    getClientInfo_ = nullptr;
    getNewConnectedClient_ = nullptr;
    sendData_ = nullptr;
    receiveData_ = nullptr;
    getReceiveDataCount_ = nullptr;
    if (library_) ::dlclose(library_);
    library_ = nullptr;
    copy_.remove();
}

int GatewayBinding::boundCount() const {
    const void* entries[] = {reinterpret_cast<const void*>(delete_),
                             reinterpret_cast<const void*>(init_),
                             reinterpret_cast<const void*>(addNetServer_),
                             reinterpret_cast<const void*>(uninit_),
                             reinterpret_cast<const void*>(isClientAvailable_),
                             reinterpret_cast<const void*>(getClientInfo_),
                             reinterpret_cast<const void*>(getNewConnectedClient_),
                             reinterpret_cast<const void*>(sendData_),
                             reinterpret_cast<const void*>(receiveData_),
                             reinterpret_cast<const void*>(getReceiveDataCount_)};
    return static_cast<int>(
        std::count_if(std::begin(entries), std::end(entries), [](const void* p) { return p; }));
}

void GatewayBinding::Delete(DTU_HANDLE handle) const {
    if (delete_) delete_(handle);
}

int GatewayBinding::Init(DTU_HANDLE handle) const {
    return init_ ? init_(handle) : -1;
}

DTU_HANDLE GatewayBinding::AddNetServer(const char* localIp, int port, const char* password) const {
    return addNetServer_ ? addNetServer_(localIp, port, password) : nullptr;
}

int GatewayBinding::Uninit(DTU_HANDLE handle) const {
    return uninit_ ? uninit_(handle) : -1;
}

int GatewayBinding::IsClientAvailable(DTU_HANDLE client) const {
    return isClientAvailable_ ? isClientAvailable_(client) : 0;
}

int GatewayBinding::GetClientInfo(DTU_HANDLE client, char* ipAddress, int* port, char* fieldA,
                                  char* fieldB, char* fieldC, char* fieldD) const {
    return getClientInfo_ ? getClientInfo_(client, ipAddress, port, fieldA, fieldB, fieldC, fieldD)
                          : 0;
}

DTU_HANDLE GatewayBinding::GetNewConnectedClient(DTU_HANDLE server) const {
    return getNewConnectedClient_ ? getNewConnectedClient_(server) : nullptr;
}

int GatewayBinding::SendData(DTU_HANDLE client, const unsigned char* data, int length) const {
    return sendData_ ? sendData_(client, data, length) : -1;
}

int GatewayBinding::ReceiveData(DTU_HANDLE client, unsigned char* buffer, int capacity) const {
    return receiveData_ ? receiveData_(client, buffer, capacity) : -1;
}

int GatewayBinding::GetReceiveDataCount(DTU_HANDLE client) const {
    return getReceiveDataCount_ ? getReceiveDataCount_(client) : 0;
}

void GatewayBinding::FlushClient(DTU_HANDLE client) const {
    if (!getReceiveDataCount_ || !receiveData_) return;
    int pending = getReceiveDataCount_(client);
    if (pending <= 0) return;
    std::vector<unsigned char> scratch(static_cast<size_t>(std::min(pending, kFlushSlice)));
    while (pending > 0) {
        int got = receiveData_(client, scratch.data(),
                               std::min(pending, static_cast<int>(scratch.size())));
        if (got <= 0) break;
        pending -= got;
    }
}

}  // namespace lumavox
