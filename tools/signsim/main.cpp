// signsim: the virtual sign. See `signsim --help`.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "ConversationLog.h"
#include "KvEngine.h"
#include "LineServer.h"
#include "NvsEngine.h"
#include "SignShow.h"
#include "SimOptions.h"
#include "platform/Files.h"

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
    std::optional<SignDisplay> display;
    if (!options.gifDir.empty()) {
        ShowSettings show;
        const char* home = std::getenv("LUMAVOX_HOME");
        show.fontDir = !options.fontDir.empty() ? std::filesystem::path(options.fontDir)
                       : home && *home          ? std::filesystem::path(home)
                                                : lumavox::executableDir();
        show.width = options.width;
        show.height = options.height;
        show.singleColour = options.singleColour;
        show.dot = options.dot;
        show.durationMs = static_cast<uint64_t>(options.seconds * 1000);
        std::optional<lumavox::CalendarTime> fixed;
        if (!options.clock.empty()) parseCalendarTime(options.clock, fixed.emplace());
        display.emplace(options.gifDir, show, fixed, log);
        for (auto& sign : signs)
            display->update(sign.state, 0);
        engine.setDisplay(&*display);
    }
    return runLine(options, engine);
}
