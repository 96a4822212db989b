// signsim: the virtual sign. See `signsim --help`.
#include <cstdio>
#include <string>
#include <vector>

#include "ConversationLog.h"
#include "KvEngine.h"
#include "LineServer.h"
#include "NvsEngine.h"
#include "SimOptions.h"

using namespace lumavox::sim;

int main(int argc, char** argv) {
    SimOptions options;
    bool help = false;
    std::string error;
    if (!parseOptions(argc, argv, options, help, error)) {
        std::fprintf(stderr, "signsim: %s\n%s", error.c_str(), usageText());
        return 2;
    }
    if (help) {
        std::fputs(usageText(), stdout);
        return 0;
    }
    ConversationLog log;
    if (!options.logFile.empty() && !log.open(options.logFile, error)) {
        std::fprintf(stderr, "signsim: --log: %s\n", error.c_str());
        return 1;
    }
    if (options.nvs) {
        NvsEngine nvs(options, log);
        return runLine(options, nvs);
    }
    std::vector<SimSign> signs(options.addresses.size());
    for (size_t i = 0; i < signs.size(); ++i) {
        signs[i].state.address = options.addresses[i];
        if (options.storeDir.empty()) continue;
        signs[i].store =
            SignStore(std::filesystem::path(options.storeDir) / ("sign" + std::to_string(i + 1)));
        std::vector<std::string> notes;
        if (!signs[i].store.load(signs[i].state, notes, error)) {
            std::fprintf(stderr, "signsim: --store: %s\n", error.c_str());
            return 1;
        }
        for (auto& n : notes)
            std::fprintf(stderr, "signsim: store: skipped %s\n", n.c_str());
        if (signs[i].state.address != options.addresses[i])
            std::fprintf(stderr, "signsim: sign %zu keeps its stored address %d\n", i + 1,
                         signs[i].state.address);
    }
    KvEngine engine(options, signs, log);
    return runLine(options, engine);
}
