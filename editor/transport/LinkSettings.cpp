#include "transport/LinkSettings.h"

#include "platform/ComPorts.h"
#include "protocol/Frame.h"

namespace lumavox {

int baudRateForIndex(int index) {
    static constexpr int kTable[kBaudTableSize] = {1200,  2400,  4800,  9600,
                                                   14400, 19200, 28800, 57600};
    if (index < 0 || index >= kBaudTableSize) return 9600;
    return kTable[index];
}

int LinkSettings::frameLimit() const {
    return frameSizeLimit(frameSize);
}

int LinkSettings::attemptsPerFrame() const {
    return repeatTimes <= 0 ? 1 : repeatTimes;
}

std::string ComPortMap::defaultPath(int com) {
    return defaultComDevicePath(com);
}

std::string ComPortMap::devicePath(int com) const {
    if (lookup_) {
        std::string p = lookup_(com);
        if (!p.empty()) return p;
    }
    return comDevicePath(com, overrides_);
}

}  // namespace lumavox
