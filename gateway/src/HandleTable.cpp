#include "HandleTable.h"

namespace lumavox::gateway {

DTU_HANDLE HandleTable::add(std::shared_ptr<DtuDevice> device) {
    std::lock_guard lock(mutex_);
    next_ += 0x10;
    devices_.emplace(next_, std::move(device));
    return reinterpret_cast<DTU_HANDLE>(next_);
}

std::shared_ptr<DtuDevice> HandleTable::find(DTU_HANDLE handle) const {
    std::lock_guard lock(mutex_);
    auto it = devices_.find(reinterpret_cast<uintptr_t>(handle));
    return it == devices_.end() ? nullptr : it->second;
}

std::shared_ptr<DtuDevice> HandleTable::remove(DTU_HANDLE handle) {
    std::lock_guard lock(mutex_);
    auto it = devices_.find(reinterpret_cast<uintptr_t>(handle));
    if (it == devices_.end()) return nullptr;
    auto device = std::move(it->second);
    devices_.erase(it);
    return device;
}

void HandleTable::clear() {
    std::unordered_map<uintptr_t, std::shared_ptr<DtuDevice>> all;
    {
        std::lock_guard lock(mutex_);
        all.swap(devices_);
    }
    all.clear();
}

size_t HandleTable::size() const {
    std::lock_guard lock(mutex_);
    return devices_.size();
}

}  // namespace lumavox::gateway
