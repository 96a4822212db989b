// The handles handed to the host.
//
// A handle is a token, not an address: it is looked up here on every call, so
// a null, made-up or already deleted handle is recognised and refused instead
// of being dereferenced. Tokens are never reused. A call in progress keeps its
// device alive even if another thread deletes the handle meanwhile.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "DtuDevice.h"
#include "Gprslink.h"

namespace lumavox::gateway {

class HandleTable {
  public:
    DTU_HANDLE add(std::shared_ptr<DtuDevice> device);
    std::shared_ptr<DtuDevice> find(DTU_HANDLE handle) const;
    // Removes the handle and returns its device (null when unknown).
    std::shared_ptr<DtuDevice> remove(DTU_HANDLE handle);
    void clear();
    size_t size() const;

  private:
    mutable std::mutex mutex_;
    std::unordered_map<uintptr_t, std::shared_ptr<DtuDevice>> devices_;
    uintptr_t next_ = 0x10000;
};

}  // namespace lumavox::gateway
