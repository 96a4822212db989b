#include "Signals.h"

#include <csignal>

namespace lumavox::dtusim {

namespace {
volatile std::sig_atomic_t stopFlag = 0;
void onStop(int) {
    stopFlag = 1;
}
}  // namespace

void installStopHandlers() {
    struct sigaction sa {};
    sa.sa_handler = onStop;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

bool stopRequested() {
    return stopFlag != 0;
}

}  // namespace lumavox::dtusim
