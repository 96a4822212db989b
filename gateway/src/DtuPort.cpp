#include "DtuPort.h"

namespace lumavox::gateway {

void DtuPort::purge() {
    uint8_t sink[1024];
    read(sink, sizeof sink);
}

}  // namespace lumavox::gateway
