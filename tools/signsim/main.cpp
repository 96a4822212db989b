// signsim: the virtual sign. See `signsim --help`.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ConversationLog.h"
#include "KvEngine.h"
#include "LineServer.h"
#include "LiveSign.h"
#include "NvsEngine.h"
#include "ShowFrontEnd.h"
#include "SignShow.h"
#include "SimOptions.h"
#include "platform/Files.h"

using namespace lumavox::sim;

namespace lumavox::sim {
#ifndef LUMAVOX_SIGNSIM_SHOW
// Built without Qt: there are no windows to show.
bool showFrontEndBuilt() {
    return false;
}
int runShowWindows(int, char**, const std::vector<LiveSign*>&, int, const std::string&,
                   const std::function<int()>&) {
    return 1;
}
#endif
}  // namespace lumavox::sim

namespace {

ShowSettings showSettings(const SimOptions& options) {
    ShowSettings show;
    show.fontDir = !options.fontDir.empty() ? std::filesystem::path(options.fontDir)
                                            : lumavox::resolveDataDir(std::nullopt);
    show.width = options.width;
    show.height = options.height;
    show.singleColour = options.singleColour;
    show.mode = options.nvs ? lumavox::SignMode::NVS : lumavox::SignMode::KV2;
    show.dot = options.dot;
    show.durationMs = static_cast<uint64_t>(options.seconds * 1000);
    return show;
}

// What the signs show goes to the GIF folder and to the windows; the line runs
// on this thread, or beside the windows with --show.
template <typename Engine, typename States>
int serve(int argc, char** argv, const SimOptions& options, Engine& engine, const States& states,
          ConversationLog& log) {
    std::optional<SignDisplay> display;
    std::vector<std::unique_ptr<LiveSign>> live;
    if (!options.gifDir.empty() || options.show) {
        std::optional<lumavox::CalendarTime> fixed;
        if (!options.clock.empty()) parseCalendarTime(options.clock, fixed.emplace());
        const ShowSettings show = showSettings(options);
        display.emplace(options.gifDir, show, fixed, log);
        if (options.show) {
            for (const auto& state : states)
                live.push_back(
                    std::make_unique<LiveSign>(state.address, show.width, show.height, show.seed));
            // By place on the line: a sign keeps its window when its address changes.
            display->setSceneSink([&live](std::shared_ptr<const SignScene> scene) {
                if (scene->position < live.size()) live[scene->position]->show(scene);
            });
        }
        for (size_t i = 0; i < states.size(); ++i)
            display->update(states[i], 0, i);
        engine.setDisplay(&*display);
    }
    if (!options.show) return runLine(options, engine, log);
    std::vector<LiveSign*> signs;
    for (auto& sign : live)
        signs.push_back(sign.get());
    return runShowWindows(argc, argv, signs, options.dot, options.screenshot,
                          [&] { return runLine(options, engine, log); });
}

}  // namespace

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
    if (options.show && !showFrontEndBuilt()) {
        std::fprintf(stderr, "signsim: --show: this signsim was built without windows (Qt)\n");
        return 1;
    }
    if (options.nvs) {
        NvsEngine nvs(options, log);
        return serve(argc, argv, options, nvs, nvs.signs(), log);
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
    std::vector<SignState> states;
    for (const auto& sign : signs)
        states.push_back(sign.state);
    return serve(argc, argv, options, engine, states, log);
}
