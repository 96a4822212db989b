// Saves and reopens the largest document the editor allows: 255 text files of
// 10,000 items each, 255 graphics of 160 x 16 and 30 schedule tasks, nine
// rounds. Prints the file size and the median, fastest and slowest save, open
// and save + open, and the memory the open needed beyond what was in use, as a
// multiple of the file size. Between rounds the freed memory goes back to the
// system, so every open pays for fresh memory as the first one in a program
// does. Aims: save + open under a second (median), open memory at most twice
// the file.
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "MaximalDocument.h"
#include "content/Document.h"
#include "platform/Files.h"

using namespace lumavox;

namespace {

constexpr int kRounds = 9;

long statusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.rfind(prefix, 0) == 0) return std::stol(line.substr(prefix.size()));
    return -1;
}

// Makes the peak resident size start again from the current one.
void resetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

double msSince(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

struct Spread {
    double median, min, max;
};

Spread spread(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v.front(), v.back()};
}

void print(const char* what, const Spread& s, const char* unit) {
    std::printf("%-22s median %7.2f %s   min %7.2f   max %7.2f\n", what, s.median, unit, s.min,
                s.max);
}

}  // namespace

int main() {
    const SystemClock& clock = SystemClock::instance();
    WorkArea work = bench::maximalWorkArea();
    char dirTemplate[] = "/tmp/lumavox-bench-XXXXXX";
    if (!mkdtemp(dirTemplate)) return 1;
    std::filesystem::path path = std::filesystem::path(dirTemplate) / "maximal.glm";

    std::vector<double> saves, opens, totals, memory;
    double fileMiB = 0;
    for (int round = 0; round < kRounds; ++round) {
        auto t0 = std::chrono::steady_clock::now();
        std::string error;
        if (!saveDocument(path, work, SignMode::KV2, clock, error)) {
            std::fprintf(stderr, "save failed: %s\n", error.c_str());
            return 1;
        }
        double saveMs = msSince(t0);
        fileMiB = static_cast<double>(std::filesystem::file_size(path)) / (1024 * 1024);

        malloc_trim(0);
        long before = statusKiB("VmRSS");
        resetPeak();
        t0 = std::chrono::steady_clock::now();
        double openMs = 0;
        long peak = 0;
        {
            OpenResult r = openDocument(path, OpenOptions{});
            openMs = msSince(t0);
            peak = statusKiB("VmHWM");
            if (!r.ok || !(r.work == work)) {
                std::fprintf(stderr, "reopen failed: %s\n", r.error.c_str());
                return 1;
            }
        }
        malloc_trim(0);
        saves.push_back(saveMs / 1000);
        opens.push_back(openMs / 1000);
        totals.push_back((saveMs + openMs) / 1000);
        memory.push_back(static_cast<double>(peak - before) / 1024 / fileMiB);
    }
    std::filesystem::remove_all(dirTemplate);

    std::printf("maximal document: %zu text files x %zu items, %zu graphics, %zu tasks\n",
                work.textFiles.size(), work.textFiles[0].items.size(), work.graphics.size(),
                work.tasks.size());
    std::printf("file size %.1f MiB, %d rounds\n", fileMiB, kRounds);
    print("save", spread(saves), "s");
    print("open", spread(opens), "s");
    Spread total = spread(totals);
    print("save + open", total, "s");
    Spread mem = spread(memory);
    print("open memory / file", mem, "x");
    std::printf("aim: save + open under 1 s (median) %s; open memory at most 2x the file %s\n",
                total.median < 1.0 ? "met" : "NOT met", mem.max <= 2.0 ? "met" : "NOT met");
    return 0;
}
