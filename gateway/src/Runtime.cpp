#include "Runtime.h"

namespace lumavox::gateway {

Runtime& Runtime::get() {
    static Runtime runtime;
    return runtime;
}

Runtime::~Runtime() {
    io_.stop();
    handles_.clear();
    pending_.clear();
}

}  // namespace lumavox::gateway
