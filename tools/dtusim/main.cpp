// dtusim: a simulated GPRS DTU for the gateway library's tests and load runs.
#include <csignal>
#include <cstdio>
#include <string>

#include "Options.h"
#include "SerialConfig.h"
#include "Signals.h"
#include "TcpDtu.h"

int main(int argc, char** argv) {
    using namespace lumavox::dtusim;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") {
            std::printf("%s", usage().c_str());
            return 0;
        }
    }
    std::string error;
    auto options = parseOptions(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "dtusim: %s\n%s", error.c_str(), usage().c_str());
        return 2;
    }
    std::signal(SIGPIPE, SIG_IGN);
    if (options->serialConfig) {
        installStopHandlers();
        return runSerialConfig(*options);
    }
    return runTcpDtus(*options);
}
